#include "checks/package/media_folder.h"

#include <gtest/gtest.h>

#include "sim/profile/known_machines.h"
#include "support/installed_machine.h"

namespace {

TEST(IsExpectedMediaFolder, TestsTheFolderOnCdDrivesOnly) {
  const struct {
    const char* directory;
    bool expected;
  } cases[] = {
      {"D:\\windows\\rodadazadezad", true},
      {"D:\\WINDOWS\\RodAdaZadezad\\", true},
      {"D:\\", false},
      {"D:\\windows", false},
      {"D:\\setup\\windows\\rodadazadezad", false},
      {"D:\\windows\\rodadazadezad2\\", false},
      {"C:\\windows\\rodadazadezad", true},  // a hard disk
      {"C:\\setup", true},
      {"N:\\setup", true},  // a network drive
      {"E:\\setup", true},  // no such drive
      {"D:", true},         // two characters: nothing to test
      {"\\\\server\\share\\windows", true},
  };
  for (const auto& c : cases) {
    sim::Machine machine = sim::Server2003(2, false);
    machine.files.drives['D'] = sim::kDriveCdrom;
    machine.files.drives['N'] = sim::kDriveRemote;
    machine.current_directory = c.directory;
    InstalledMachine scoped(machine);
    EXPECT_EQ(IsExpectedMediaFolder(kMediaFolder), c.expected) << c.directory;
  }
}

TEST(IsExpectedMediaFolder, AnUnreadableDirectoryIsNoProblem) {
  sim::Machine machine = sim::Server2003(2, false);
  machine.files.drives['D'] = sim::kDriveCdrom;
  machine.current_directory = "D:\\" + std::string(260, 'x');
  InstalledMachine scoped(machine);
  EXPECT_TRUE(IsExpectedMediaFolder(kMediaFolder));
}

TEST(FolderAfterDrive, PutsABackslashAtBothEnds) {
  EXPECT_EQ(FolderAfterDrive("D:\\"), "\\");
  EXPECT_EQ(FolderAfterDrive("D:\\windows"), "\\windows\\");
  EXPECT_EQ(FolderAfterDrive("D:\\windows\\"), "\\windows\\");
  EXPECT_EQ(FolderAfterDrive("D:windows"), "\\windows\\");
}

}  // namespace
