#include "probes/file_version.h"

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/system_libraries.h"
#include "probes/process.h"
#include "sim/profile/known_machines.h"
#include "support/installed_machine.h"
#include "support/nothing_left_open.h"

namespace {

const char kTemp[] = "C:\\Users\\ADMINI~1\\AppData\\Local\\Temp";
const char kTempFile[] = "C:\\Users\\ADMINI~1\\AppData\\Local\\Temp\\tmp_ver.txt";

sim::Machine MachineWithFiles(bool sixty_four_bit) {
  sim::Machine machine = sim::Windows7(sixty_four_bit);
  machine.files.AddFolder(kTemp);
  machine.files.AddVersionedFile("C:\\Windows\\system32\\msiexec.exe", {5, 2, 3790, 1830});
  machine.files.AddVersionedFile("C:\\Program Files\\Kit\\tool.exe", {1, 65535, 0, 7});
  machine.files.AddFile("C:\\Windows\\system32\\plain.txt", "no resource");
  return machine;
}

TEST(GetFileVersionString, ReadsTheResourceOn32BitWindows) {
  InstalledMachine scoped(MachineWithFiles(false));
  SystemLibraryScope libraries;
  EXPECT_EQ(GetFileVersionString("C:\\Windows\\system32\\msiexec.exe"), "5.2.3790.1830");
  EXPECT_EQ(GetFileVersionString("C:\\Windows\\system32\\\\msiexec.exe"), "5.2.3790.1830");
  EXPECT_EQ(GetFileVersionString("C:\\Windows\\system32\\plain.txt"), "");
  EXPECT_EQ(GetFileVersionString("C:\\Windows\\system32\\missing.exe"), "");
  EXPECT_TRUE(sim::CurrentRuntime().processes.children.empty());
}

TEST(GetFileVersionString, AsksTheCompanionOn64BitWindows) {
  InstalledMachine scoped(MachineWithFiles(true));
  // The companion, a 64-bit program, sees the native system32.
  EXPECT_EQ(GetFileVersionString("C:\\Windows\\system32\\msiexec.exe"), "5.2.3790.1830");
  EXPECT_EQ(GetFileVersionString("C:\\Program Files\\Kit\\tool.exe"), "1.65535.0.7");
  const auto& children = sim::CurrentRuntime().processes.children;
  ASSERT_EQ(children.size(), 2u);
  EXPECT_EQ(children[1].command_line,
            "fileversion_x64 C:\\Program Files\\Kit\\tool.exe " + std::string(kTempFile));
  EXPECT_EQ(children[1].current_directory, sim::Current().current_directory);
  EXPECT_EQ(children[1].startup_info_size, sizeof(STARTUPINFOA));
  EXPECT_FALSE(children[1].inherit_handles);
  EXPECT_EQ(GetFileVersionString("C:\\Windows\\system32\\plain.txt"), "");
  EXPECT_TRUE(NothingLeftOpen());
}

TEST(GetFileVersionString, TrustsOnlyACompanionThatSucceeds) {
  const std::string stale = "4.0.0.1";
  const std::string long_text = std::string(300, '7');
  const struct {
    const char* name;
    std::int32_t exit_code;
    bool writes_output;
    std::string left_over;  // what the output file held before; "<none>": no file
    std::string version;
  } cases[] = {
      {"FailureWithAVersionLeftInTheFile", 1, true, stale, ""},
      {"ExitZeroWithoutWritingReadsTheStaleFile", 0, false, stale, "4.0.0.1"},
      {"ExitZeroWithoutAnyFile", 0, false, "<none>", ""},
      {"MoreThan256BytesGiveTheFirst256", 0, false, long_text, long_text.substr(0, 256)},
      {"ExitMinusOne", -1, true, "<none>", ""},
  };
  for (const auto& c : cases) {
    sim::Machine machine = MachineWithFiles(true);
    machine.files.programs["fileversion_x64"].exit_code = c.exit_code;
    machine.files.programs["fileversion_x64"].writes_output = c.writes_output;
    if (c.left_over != "<none>") machine.files.AddFile(kTempFile, c.left_over);
    InstalledMachine scoped(machine);
    EXPECT_EQ(GetFileVersionString("C:\\Windows\\system32\\msiexec.exe"), c.version) << c.name;
  }
}

TEST(GetFileVersionString, WithAnEmptyTempWritesToTheDrivesRoot) {
  sim::Machine machine = MachineWithFiles(true);
  machine.environment["temp"] = "";
  InstalledMachine scoped(machine);
  EXPECT_EQ(GetFileVersionString("C:\\Windows\\system32\\msiexec.exe"), "5.2.3790.1830");
  EXPECT_EQ(sim::CurrentRuntime().processes.children.at(0).command_line,
            "fileversion_x64 C:\\Windows\\system32\\msiexec.exe \\tmp_ver.txt");
}

TEST(GetFileVersionString, NeedsTheTempVariable) {
  sim::Machine machine = MachineWithFiles(true);
  machine.environment.erase("temp");
  InstalledMachine scoped(machine);
  EXPECT_EQ(GetFileVersionString("C:\\Windows\\system32\\msiexec.exe"), "");
  EXPECT_TRUE(sim::CurrentRuntime().processes.children.empty());
}

TEST(GetFileVersionString, FindsTempWhateverItsLetterCase) {
  sim::Machine machine = MachineWithFiles(true);
  machine.environment.erase("temp");
  machine.environment["TEMP"] = kTemp;
  InstalledMachine scoped(machine);
  EXPECT_EQ(GetFileVersionString("C:\\Windows\\system32\\msiexec.exe"), "5.2.3790.1830");
}

TEST(GetFileVersionString, BuildsLongPathsWhole) {
  sim::Machine machine = MachineWithFiles(true);
  const std::string deep_temp = "C:\\" + std::string(150, 't');
  const std::string deep_file = "C:\\" + std::string(200, 'f') + "\\tool.exe";
  machine.environment["temp"] = deep_temp;
  machine.files.AddFolder(deep_temp);
  machine.files.AddVersionedFile(deep_file, {9, 8, 7, 6});
  InstalledMachine scoped(machine);
  EXPECT_EQ(GetFileVersionString(deep_file), "9.8.7.6");
}

struct WaitCase {
  const char* name;
  sim::Program program;
  std::int32_t exit_code;
  std::uint64_t elapsed_ms;  // simulated time the wait took
  bool terminated;           // the checker ended the child
};

TEST(RunAndWait, WaitsForTheChildsEnd) {
  sim::Program quick;
  sim::Program slow;
  slow.runs_ms = 1234;
  slow.exit_code = 3;
  sim::Program still_active;
  still_active.exit_code = 259;
  sim::Program minus_one;
  minus_one.exit_code = -1;
  sim::Program unreadable;
  unreadable.exit_code_query_fails = true;
  sim::Program a_minute;
  a_minute.runs_ms = 60000;
  a_minute.exit_code = 4;
  sim::Program past_a_minute = a_minute;
  past_a_minute.runs_ms = 60001;
  sim::Program hangs;
  hangs.never_exits = true;
  const WaitCase cases[] = {
      {"ExitsAtOnce", quick, 0, 0, false},
      {"RunsForAWhile", slow, 3, 1234, false},
      {"ExitsWithStillActive", still_active, 259, 0, false},
      {"ExitsWithMinusOne", minus_one, -1, 0, false},
      {"ExitCodeCannotBeRead", unreadable, -1, 0, false},
      {"EndsAsTheMinuteEnds", a_minute, 4, 60000, false},
      {"StillRunningAfterAMinute", past_a_minute, -1, 60000, true},
      {"NeverExits", hangs, -1, 60000, true},
  };
  for (const WaitCase& c : cases) {
    sim::Machine machine = sim::Server2003(2, false);
    machine.files.programs["child"] = c.program;
    InstalledMachine scoped(machine);
    EXPECT_EQ(RunAndWait("child.exe a b", nullptr), c.exit_code) << c.name;
    // The wait ends when the child does, not at the next poll.
    EXPECT_EQ(sim::CurrentRuntime().clock_ms, c.elapsed_ms) << c.name;
    EXPECT_EQ(sim::CurrentRuntime().processes.children.at(0).terminated, c.terminated) << c.name;
    EXPECT_TRUE(NothingLeftOpen()) << c.name;
  }
}

TEST(RunAndWait, ReportsMinusOneWhenTheChildCannotStart) {
  InstalledMachine scoped(sim::Server2003(2, false));
  EXPECT_EQ(RunAndWait("no_such_program x", nullptr), -1);
  // The 64-bit companion does not start on 32-bit Windows.
  EXPECT_EQ(RunAndWait("fileversion_x64 a b", nullptr), -1);
  EXPECT_EQ(sim::CurrentRuntime().processes.failed_starts.size(), 2u);
}

TEST(RunAndWait, StartsTheChildInTheGivenDirectory) {
  sim::Machine machine = sim::Server2003(2, false);
  machine.files.programs["child"] = sim::Program();
  machine.files.AddFolder("C:\\work");
  InstalledMachine scoped(machine);
  EXPECT_EQ(RunAndWait("child", "C:\\work"), 0);
  EXPECT_EQ(sim::CurrentRuntime().processes.children.at(0).current_directory, "C:\\work");
  EXPECT_EQ(RunAndWait("child", "C:\\nowhere"), -1);
}

}  // namespace
