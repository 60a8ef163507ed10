#include <gtest/gtest.h>

#include "checks/system/storport.h"
#include "platform/system_libraries.h"
#include "probes/os_facts.h"
#include "sim/profile/known_machines.h"
#include "support/nothing_left_open.h"
#include "support/os_record.h"

namespace {

const char kDriver[] = "C:\\WINDOWS\\system32\\drivers\\storport.sys";
const char kTemp[] = "C:\\DOCUME~1\\ADMINI~1\\LOCALS~1\\Temp";
const char kOutput[] = "C:\\DOCUME~1\\ADMINI~1\\LOCALS~1\\Temp\\storport_ver.txt";
const char kMinimum[] = "5.2.3790.2075";

sim::Machine WithDriver(sim::Machine machine, std::array<std::uint16_t, 4> version) {
  machine.environment["windir"] = "C:\\WINDOWS";
  machine.environment["temp"] = kTemp;
  machine.files.AddFolder(kTemp);
  machine.files.AddVersionedFile(kDriver, version);
  return machine;
}

class StorportMeetsMinimumTest : public ::testing::Test {
 protected:
  void Use(sim::Machine machine) { InstallAndCaptureOsVersion(machine_, std::move(machine)); }
  InstalledMachine machine_;
};

struct DriverCase {
  const char* name;
  sim::Machine machine;
  const char* minimum;
  bool meets;
};

TEST_F(StorportMeetsMinimumTest, ReadsTheDriverOnServer2003Only) {
  const std::array<std::uint16_t, 4> old_driver = {5, 2, 3790, 1830};
  DriverCase cases[] = {
      {"Server2003Sp1Older", WithDriver(sim::Server2003(1, false), old_driver), kMinimum, false},
      {"Server2003Sp2AtTheMinimum", WithDriver(sim::Server2003(2, false), {5, 2, 3790, 2075}), kMinimum,
       true},
      {"Server2003Sp2Newer", WithDriver(sim::Server2003(2, false), {5, 2, 3790, 3959}), kMinimum, true},
      {"NoMinimum", WithDriver(sim::Server2003(1, false), old_driver), "", true},
      {"WindowsXp", WithDriver(sim::WindowsXpSp2(), old_driver), kMinimum, true},
      {"WindowsXpX64", WithDriver(sim::WindowsXpX64(), old_driver), kMinimum, true},
      {"Windows2000", WithDriver(sim::Windows2000Sp4(), old_driver), kMinimum, true},
      {"Server2008", WithDriver(sim::Server2008(), old_driver), kMinimum, true},
      {"Server2008R2", WithDriver(sim::Server2008R2(), old_driver), kMinimum, true},
  };
  for (DriverCase& c : cases) {
    Use(std::move(c.machine));
    {
      SystemLibraryScope libraries;
      EXPECT_EQ(StorportMeetsMinimum(c.minimum), c.meets) << c.name;
    }
    EXPECT_TRUE(NothingLeftOpen()) << c.name;
  }
}

TEST_F(StorportMeetsMinimumTest, AMissingDriverOrWindirReadsAsBelow) {
  sim::Machine no_driver = sim::Server2003(1, false);
  Use(no_driver);
  EXPECT_FALSE(StorportMeetsMinimum(kMinimum));
  EXPECT_TRUE(StorportMeetsMinimum("0.1"));  // an empty version meets a first part of 0

  sim::Machine no_windir = WithDriver(sim::Server2003(1, false), {5, 2, 3790, 9999});
  no_windir.environment.erase("windir");
  Use(no_windir);
  EXPECT_FALSE(StorportMeetsMinimum(kMinimum));
}

TEST_F(StorportMeetsMinimumTest, SixtyFourBitWindowsAsksTheCompanion) {
  Use(WithDriver(sim::Server2003(1, true), {5, 2, 3790, 1830}));
  EXPECT_FALSE(StorportMeetsMinimum(kMinimum));
  const sim::ProcessRuntime& processes = sim::CurrentRuntime().processes;
  ASSERT_EQ(processes.children.size(), 1u);
  EXPECT_EQ(processes.children[0].command_line, std::string("fileversion_x64 ") + kDriver + " " + kOutput);
  EXPECT_TRUE(NothingLeftOpen());
  const sim::SimFile* output = sim::Current().files.FindFile(kOutput);
  ASSERT_NE(output, nullptr) << "the output file stays";
  EXPECT_EQ(output->content, "5.2.3790.1830");

  Use(WithDriver(sim::Server2003(2, true), {5, 2, 3790, 2075}));
  EXPECT_TRUE(StorportMeetsMinimum(kMinimum));
}

TEST_F(StorportMeetsMinimumTest, CompanionFailuresAndLeftoverOutput) {
  const std::array<std::uint16_t, 4> new_driver = {5, 2, 3790, 4000};
  sim::Machine fails = WithDriver(sim::Server2003(1, true), new_driver);
  fails.files.programs["fileversion_x64"].exit_code = 1;
  fails.files.AddFile(kOutput, "5.2.3790.4000");  // a version there does not count
  Use(fails);
  EXPECT_FALSE(StorportMeetsMinimum(kMinimum));

  sim::Machine leftover = WithDriver(sim::Server2003(1, true), {5, 2, 3790, 1830});
  leftover.files.programs["fileversion_x64"].writes_output = false;
  leftover.files.AddFile(kOutput, "5.2.3790.2075\n");  // from an earlier run, with a line end
  Use(leftover);
  EXPECT_TRUE(StorportMeetsMinimum(kMinimum));

  sim::Machine long_output = WithDriver(sim::Server2003(1, true), new_driver);
  long_output.files.programs["fileversion_x64"].writes_output = false;
  // 256 bytes that end with the fourth part, then a fifth part that is never read.
  long_output.files.AddFile(kOutput, std::string(243, '.') + "5.2.3790.1830" + ".9");
  Use(long_output);
  EXPECT_FALSE(StorportMeetsMinimum("5.2.3790.1830.9"));

  sim::Machine no_temp = WithDriver(sim::Server2003(1, true), new_driver);
  no_temp.environment.erase("temp");
  Use(no_temp);
  EXPECT_FALSE(StorportMeetsMinimum(kMinimum));
  EXPECT_TRUE(sim::CurrentRuntime().processes.children.empty()) << "no command line built from nothing";
}

}  // namespace
