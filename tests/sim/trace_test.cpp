// The replay's trace: every traced call writes one line with its arguments
// and its result, errors and rights by name.
#include "sim/api/trace.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/keyword_table.h"
#include "platform/platform.h"
#include "probes/process.h"
#include "sim/machine/machine.h"
#include "sim/profile/known_machines.h"
#include "support/installed_machine.h"

namespace {

constexpr char kKelvane[] = "SOFTWARE\\Norvik Computer Corporation\\Kelvane";

// The trace lines of a keyword's run.
std::vector<std::string> TraceOfKeyword(const char* keyword) {
  std::vector<std::string> lines;
  sim::TraceInto(&lines);
  ::Run run;
  run.status = 1;
  FindKeywordRow(keyword)->run(run);
  sim::TraceInto(nullptr);
  return lines;
}

std::vector<std::string> TraceOf(const std::function<void()>& calls) {
  std::vector<std::string> lines;
  sim::TraceInto(&lines);
  calls();
  sim::TraceInto(nullptr);
  return lines;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& line) {
  for (const std::string& each : lines)
    if (each == line) return true;
  return false;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& line : lines) all += line + "\n";
  return all;
}

TEST(Trace, WritesEachCallWithItsArgumentsAndResult) {
  sim::Machine machine = sim::Server2003(2, true);
  // The 32-bit checker reads the 32-bit view of HKLM\SOFTWARE.
  machine.registry.SetString("HKLM\\SOFTWARE\\Wow6432Node\\Norvik Computer Corporation\\Kelvane", "Version",
                             "5.0");
  machine.files.programs["child"] = sim::Program();
  machine.files.programs["child"].exit_code = 3;
  InstalledMachine installed(machine);

  struct Case {
    const char* name;
    std::function<std::vector<std::string>()> run;
    std::vector<std::string> lines;  // each must be in the trace
  };
  const std::string qrnode = std::string(kKelvane) + "\\Applications\\QRNODE";
  const Case cases[] = {
      {"AMissingKey",
       [] { return TraceOfKeyword("QRMNCHECK"); },
       {"RegOpenKeyExA(HKEY_LOCAL_MACHINE, \"" + qrnode +
        "\", KEY_READ (32-bit view)) -> ERROR_FILE_NOT_FOUND"}},
      {"AValueRead",
       [] {
         return TraceOf([] {
           HKEY key = nullptr;
           RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKelvane, 0, KEY_QUERY_VALUE, &key);
           char text[8];
           DWORD type = 0, size = sizeof(text);
           RegQueryValueExA(key, "Version", nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
           RegQueryValueExA(key, "Absent", nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
           RegCloseKey(key);
         });
       },
       {"RegOpenKeyExA(HKEY_LOCAL_MACHINE, \"" + std::string(kKelvane) +
            "\", KEY_QUERY_VALUE (32-bit view)) -> ERROR_SUCCESS; key 0x1000",
        "RegQueryValueExA(0x1000 [HKEY_LOCAL_MACHINE\\" + std::string(kKelvane) +
            "], \"Version\", 8) -> ERROR_SUCCESS; REG_SZ, 4 bytes \"5.0\"",
        "RegQueryValueExA(0x1000 [HKEY_LOCAL_MACHINE\\" + std::string(kKelvane) +
            "], \"Absent\", 4) -> ERROR_FILE_NOT_FOUND",
        "RegCloseKey(0x1000 [HKEY_LOCAL_MACHINE\\" + std::string(kKelvane) + "]) -> ERROR_SUCCESS"}},
      {"ALibraryThatIsMissing",
       [] { return TraceOfKeyword("R2HWMGMTINSTALLEDCHECK"); },
       {"LoadLibraryA(\"KVIL32.DLL\") -> NULL, last error ERROR_MOD_NOT_FOUND"}},
      {"AChildProcess",
       [] { return TraceOf([] { RunAndWait("child.exe a", nullptr); }); },
       {"CreateProcessA(NULL, \"child.exe a\", 0, 0x0, NULL) -> TRUE; process 0x1000, thread 0x1004",
        "WaitForSingleObject(0x1000, 100) -> WAIT_OBJECT_0",
        "GetExitCodeProcess(0x1000) -> TRUE; exit code 3", "CloseHandle(0x1000) -> TRUE"}},
      {"AChildThatCannotStart",
       [] { return TraceOf([] { RunAndWait("absent.exe", nullptr); }); },
       {"CreateProcessA(NULL, \"absent.exe\", 0, 0x0, NULL) -> FALSE, last error ERROR_FILE_NOT_FOUND"}},
  };
  for (const Case& c : cases) {
    installed.Install(machine);
    const std::vector<std::string> lines = c.run();
    for (const std::string& line : c.lines)
      EXPECT_TRUE(HasLine(lines, line)) << c.name << ": " << line << "\nin\n" << Joined(lines);
  }
}

TEST(Trace, NamesRightsAndTheViewAsked) {
  EXPECT_EQ(sim::AccessNames(KEY_READ | KEY_WOW64_64KEY), "KEY_READ|KEY_WOW64_64KEY");
  EXPECT_EQ(sim::AccessNames(KEY_ALL_ACCESS), "KEY_ALL_ACCESS");
  EXPECT_EQ(sim::AccessNames(KEY_QUERY_VALUE | 0x400), "KEY_QUERY_VALUE|0x400");
  EXPECT_EQ(sim::ErrorName(ERROR_ACCESS_DENIED), "ERROR_ACCESS_DENIED");
  EXPECT_EQ(sim::ErrorName(4242), "error 4242");

  InstalledMachine installed(sim::Server2003(2, true));
  const std::vector<std::string> lines = TraceOf([] {
    HKEY key = nullptr;
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ | KEY_WOW64_64KEY, &key);
    RegCloseKey(key);
  });
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0],
            "RegOpenKeyExA(HKEY_LOCAL_MACHINE, \"SOFTWARE\", KEY_READ|KEY_WOW64_64KEY (64-bit view)) -> "
            "ERROR_SUCCESS; key 0x1000");
}

}  // namespace
