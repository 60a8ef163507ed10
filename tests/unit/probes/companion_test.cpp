// The companion fileversion_x64 as both of its callers run it: MSICHECK for
// msiexec.exe, STORPORT for storport.sys, on 64-bit Windows Server 2003 SP2.
#include "probes/companion.h"

#include <gtest/gtest.h>

#include <optional>

#include "app/front_end.h"
#include "sim/profile/known_machines.h"
#include "support/installed_machine.h"
#include "support/nothing_left_open.h"

namespace {

const char kMsiexec[] = "C:\\WINDOWS\\system32\\msiexec.exe";
const char kDriver[] = "C:\\WINDOWS\\system32\\drivers\\storport.sys";

struct TempCase {
  const char* name;
  std::optional<std::string> temp;  // none: not set
  bool runs;                        // the companion is started
  std::string output_folder;        // where its output files go
};

// msiexec.exe 3.0 is below 3.1 and storport.sys exactly at 5.2.3790.1830, so
// MSICHECK holds and STORPORT does not when the companion answers.
sim::Machine Server2003Sp2x64(const TempCase& c) {
  sim::Machine machine = sim::Server2003(2, true);
  machine.registry.SetString("HKLM\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Installer",
                             "InstallerLocation", "C:\\WINDOWS\\system32");
  machine.files.AddVersionedFile(kMsiexec, {3, 0, 3790, 2180});
  machine.files.AddVersionedFile(kDriver, {5, 2, 3790, 1830});
  machine.environment.erase("temp");
  if (c.temp) machine.environment["temp"] = *c.temp;
  if (!c.output_folder.empty()) machine.files.AddFolder(c.output_folder);
  return machine;
}

std::string Report(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  testing::internal::CaptureStdout();
  RunChecker(static_cast<int>(argv.size()), argv.data());
  return testing::internal::GetCapturedStdout();
}

TEST(VersionThroughCompanion, OneTempRuleForBothCallers) {
  const TempCase cases[] = {
      {"Plain", std::string("C:\\WINDOWS\\Temp"), true, "C:\\WINDOWS\\Temp"},
      // An empty "temp" still runs it: the output goes to the current drive's root.
      {"Empty", std::string(), true, "C:\\"},
      {"WithBlanks", std::string("C:\\Documents and Settings\\Administrator\\Local Settings\\Temp"), true,
       "C:\\Documents and Settings\\Administrator\\Local Settings\\Temp"},
      {"NotSet", std::nullopt, false, ""},
  };
  for (const TempCase& c : cases) {
    InstalledMachine scoped(Server2003Sp2x64(c));
    const std::string msicheck = Report({"kvchecks", "MSICHECK", "7", "d"});
    const std::string storport = Report({"kvchecks", "STORPORT", "5", "D", "5.2.3790.1830"});
    const sim::ProcessRuntime& files = sim::CurrentRuntime().processes;
    if (!c.runs) {
      // No version: MSICHECK takes the installer as sufficient, STORPORT the driver as outdated.
      EXPECT_EQ(msicheck, "Status=0\nDescriptionID=d\n") << c.name;
      EXPECT_EQ(storport, "Status=5\nDescriptionID=D\n") << c.name;
      EXPECT_TRUE(files.children.empty()) << c.name;
      continue;
    }
    EXPECT_EQ(msicheck, "Status=7\nDescriptionID=d\n") << c.name;
    EXPECT_EQ(storport, "Status=0\nDescriptionID=D\n") << c.name;
    const std::string temp = *c.temp;
    ASSERT_EQ(files.children.size(), 2u) << c.name;
    EXPECT_EQ(files.children[0].command_line,
              "fileversion_x64 " + std::string(kMsiexec) + " " + temp + "\\tmp_ver.txt")
        << c.name;
    EXPECT_EQ(files.children[1].command_line,
              "fileversion_x64 " + std::string(kDriver) + " " + temp + "\\storport_ver.txt")
        << c.name;
    const std::string folder = c.output_folder.back() == '\\' ? c.output_folder : c.output_folder + "\\";
    ASSERT_NE(sim::Current().files.FindFile(folder + "tmp_ver.txt"), nullptr) << c.name;
    EXPECT_EQ(sim::Current().files.FindFile(folder + "storport_ver.txt")->content, "5.2.3790.1830") << c.name;
    EXPECT_TRUE(NothingLeftOpen()) << c.name;
  }
}

TEST(VersionThroughCompanion, AHungCompanionCountsAsAFailedOne) {
  // A version left by an earlier run is not read after the companion was ended.
  TempCase c = {"Hung", std::string("C:\\WINDOWS\\Temp"), true, "C:\\WINDOWS\\Temp"};
  sim::Machine machine = Server2003Sp2x64(c);
  machine.files.programs["fileversion_x64"].never_exits = true;
  machine.files.AddFile("C:\\WINDOWS\\Temp\\tmp_ver.txt", "3.1.4000.1823");
  machine.files.AddFile("C:\\WINDOWS\\Temp\\storport_ver.txt", "5.2.3790.1830");
  InstalledMachine scoped(machine);
  EXPECT_EQ(Report({"kvchecks", "MSICHECK", "7", "d"}), "Status=0\nDescriptionID=d\n");
  EXPECT_EQ(Report({"kvchecks", "STORPORT", "5", "D", "5.2.3790.1830"}), "Status=5\nDescriptionID=D\n");
  sim::Current().os.sp_major = 1;
  EXPECT_EQ(Report({"kvchecks", "STORPORTSP1", "5", "D", "5.2.3790.1830"}), "Status=5\nDescriptionID=D\n");
  const sim::ProcessRuntime& files = sim::CurrentRuntime().processes;
  ASSERT_EQ(files.children.size(), 3u);
  for (const sim::ChildProcess& child : files.children) EXPECT_TRUE(child.terminated) << child.command_line;
  EXPECT_EQ(sim::CurrentRuntime().clock_ms, 3 * 60000u) << "each keyword gave up after a minute";
  EXPECT_TRUE(NothingLeftOpen());
}

}  // namespace
