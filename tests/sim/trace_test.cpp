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
#include "platform/system_libraries.h"
#include "probes/os_facts.h"
#include "probes/process.h"
#include "sim/machine/machine.h"
#include "sim/profile/known_machines.h"
#include "support/installed_machine.h"

namespace {

constexpr char kKelvane[] = "SOFTWARE\\Norvik Computer Corporation\\Kelvane";

// The trace lines of a keyword's run, from the version record it starts
// with to the system libraries it frees.
std::vector<std::string> TraceOfKeyword(const char* keyword, const char* arg = "") {
  std::vector<std::string> lines;
  sim::TraceInto(&lines);
  {
    OsVersionRecord = OSVERSIONINFOEXA{};
    CaptureOsVersion();
    SystemLibraryScope libraries;
    std::string words[] = {"kvchecks", keyword, "1", "DESC", arg};
    char* argv[] = {&words[0][0], &words[1][0], &words[2][0], &words[3][0], &words[4][0]};
    ::Run run;
    run.status = 1;
    run.description = words[3];
    run.arg = arg;
    run.argc = *arg ? 5 : 4;
    run.argv = argv;
    FindKeywordRow(keyword)->run(run);
  }
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

// A machine with something for every kind of call to find: a CD the checker
// runs from with hwlist.ini and a signed package, a remote session, a device
// and the family library.
sim::Machine RichMachine(sim::Machine machine) {
  machine.current_directory = "D:\\setup";
  machine.files.drives['D'] = sim::kDriveCdrom;
  machine.files.AddFile("D:\\setup\\hwlist.ini", "[Product]\r\nProductVersion=4.2\r\nMore=1\r\n");
  machine.files.AddFile("D:\\SystemsManagement\\SysMgmt.msi", "msi").signature = sim::Signature::kBadDigest;
  machine.files.AddVersionedFile("C:\\WINDOWS\\system32\\drivers\\storport.sys", {5, 2, 3790, 3959});
  machine.system.session.remote = true;
  machine.libraries["KVIL32.DLL"].exports["IsSystem7GOrLower"] = 1;
  return machine;
}

TEST(Trace, WritesEveryKindOfCallWithWhatItFound) {
  sim::Machine server_x64 = RichMachine(sim::Server2003(1, true));
  // The installer folder the x64 profile names; the companion reads it in the native view.
  server_x64.files.AddVersionedFile("C:\\WINDOWS\\SysWOW64\\msiexec.exe", {3, 1, 4000, 2435});
  server_x64.files.AddFolder("C:\\DOCUME~1\\ADMINI~1\\LOCALS~1\\Temp");
  const sim::Machine server_x86 = RichMachine(sim::Server2003(2, false));
  sim::Machine windows_2000 = RichMachine(sim::Windows2000Sp4());
  windows_2000.os.suite_mask = 0x10;  // VER_SUITE_TERMINAL without the single-user bit
  sim::Machine server_core = RichMachine(sim::Server2008R2());
  server_core.os.product_info = 13;  // PRODUCT_STANDARD_SERVER_CORE
  sim::Machine no_token = RichMachine(sim::Server2003(2, false));
  no_token.system.token.open_error = ERROR_ACCESS_DENIED;

  struct Case {
    const char* name;
    const sim::Machine& machine;
    std::function<std::vector<std::string>()> run;
    std::vector<std::string> lines;  // each must be in the trace
  };
  const Case cases[] = {
      {"TheVersionRecordAndWow64",
       server_x64,
       [] { return TraceOfKeyword("ISNOTEM64T"); },
       {"GetVersionExA(OSVERSIONINFOEXA) -> TRUE; 5.2 build 3790, VER_PLATFORM_WIN32_NT, \"Service Pack 1\", "
        "service pack 1.0, suite mask 0x0, VER_NT_SERVER",
        "GetModuleHandleA(\"kernel32\") -> 0x7c800000",
        "GetProcAddress(0x7c800000, \"IsWow64Process\") -> found",
        "IsWow64Process(GetCurrentProcess()) -> TRUE; a 32-bit process on 64-bit Windows"}},
      {"TheNativeProcessor",
       server_x64,
       [] { return TraceOfKeyword("ISITANIUM"); },
       {"GetNativeSystemInfo() -> PROCESSOR_ARCHITECTURE_AMD64"}},
      {"TheProductType",
       server_core,
       [] { return TraceOfKeyword("2008_CORE"); },
       {"GetProductInfo(6, 1, 1, 0) -> TRUE; product type 13"}},
      {"TheRemoteSessionAndSuite",
       windows_2000,
       [] { return TraceOfKeyword("TSMODECHECK"); },
       {"GetSystemMetrics(SM_REMOTESESSION) -> 1",
        "VerifyVersionInfoA(suite mask 0x100, VER_SUITENAME VER_AND) -> FALSE, last error "
        "ERROR_OLD_WIN_VERSION"}},
      {"TheCurrentDirectoryAndItsDrive",
       server_x64,
       [] { return TraceOfKeyword("KRCDFOLDERCHECK"); },
       {"getcwd(260) -> \"D:\\setup\"", "GetDriveTypeA(\"D:\") -> DRIVE_CDROM"}},
      {"AFileFoundAndItsSignature",
       server_x64,
       [] { return TraceOfKeyword("SIGNCHECK", "NODE"); },
       {"FindFirstFileA(\"..\\SystemsManagement\\SysMgmt.msi\") -> 0x1000; \"SysMgmt.msi\", "
        "FILE_ATTRIBUTE_ARCHIVE, 3 bytes; reaches \"D:\\SystemsManagement\\SysMgmt.msi\"",
        "FindClose(0x1000) -> TRUE",
        "WinVerifyTrust(NULL, WINTRUST_ACTION_GENERIC_VERIFY_V2, \"..\\SystemsManagement\\SysMgmt.msi\") -> "
        "TRUST_E_BAD_DIGEST; reaches \"D:\\SystemsManagement\\SysMgmt.msi\""}},
      {"AFileMissing",
       server_x64,
       [] { return TraceOfKeyword("SIGNCHECK", "STATION"); },
       {"FindFirstFileA(\"..\\ManagementStation\\MgmtSt.msi\") -> INVALID_HANDLE_VALUE, last error "
        "ERROR_PATH_NOT_FOUND; reaches \"D:\\ManagementStation\\MgmtSt.msi\""}},
      {"ATextFileReadInPart",
       server_x64,
       [] { return TraceOfKeyword("VERSIONCHECK", "MN"); },
       {"fopen_text(\"hwlist.ini\") -> file [D:\\setup\\hwlist.ini]; 39 bytes",
        "fclose(file [D:\\setup\\hwlist.ini]); 31 of 39 bytes read"}},
      {"TheEnvironmentAndTheCompanionsAnswer",
       server_x64,
       [] { return TraceOfKeyword("MSICHECK"); },
       {"getenv(\"temp\") -> \"C:\\DOCUME~1\\ADMINI~1\\LOCALS~1\\Temp\"",
        "fopen_text(\"C:\\DOCUME~1\\ADMINI~1\\LOCALS~1\\Temp\\tmp_ver.txt\") -> "
        "file [C:\\DOCUME~1\\ADMINI~1\\LOCALS~1\\Temp\\tmp_ver.txt]; 13 bytes",
        "fread(file [C:\\DOCUME~1\\ADMINI~1\\LOCALS~1\\Temp\\tmp_ver.txt], 256) -> 13; \"3.1.4000.2435\""}},
      {"AFileVersion",
       server_x86,
       [] { return TraceOfKeyword("STORPORT", "5.2.3790.4000"); },
       {"getenv(\"windir\") -> \"C:\\WINDOWS\"",
        "GetFileVersionInfoSizeA(\"C:\\WINDOWS\\system32\\drivers\\storport.sys\") -> 92",
        "GetFileVersionInfoA(\"C:\\WINDOWS\\system32\\drivers\\storport.sys\", 0, 92) -> TRUE",
        "VerQueryValueA(\"\\\") -> TRUE; file version 5.2.3790.3959"}},
      {"TheTokensAdministrators",
       server_x64,
       [] { return TraceOfKeyword("ADMINCHECK"); },
       {"OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY) -> TRUE; token 0x1000",
        "GetTokenInformation(0x1000, TokenGroups, 0) -> FALSE, last error ERROR_INSUFFICIENT_BUFFER; 264 "
        "bytes "
        "needed",
        "AllocateAndInitializeSid(authority 5, 2, 32, 544) -> TRUE; S-1-5-32-544",
        "EqualSid(S-1-1-0, S-1-5-32-544) -> FALSE", "EqualSid(S-1-5-32-544, S-1-5-32-544) -> TRUE",
        "LookupAccountSidA(NULL, S-1-5-32-544, 256, 256) -> TRUE; BUILTIN\\Administrators, SidTypeAlias",
        "FreeSid(S-1-5-32-544) -> NULL", "CloseHandle(0x1000) -> TRUE"}},
      {"ATokenThatCannotBeOpened",
       no_token,
       [] { return TraceOfKeyword("ADMINCHECK"); },
       {"OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY) -> FALSE, last error ERROR_ACCESS_DENIED"}},
      {"TheDevices",
       server_x64,
       [] { return TraceOfKeyword("INTELDRIVERINSTALLEDCHECK"); },
       {"SetupDiGetClassDevsA(NULL, NULL, NULL, DIGCF_PRESENT|DIGCF_ALLCLASSES) -> 0x1004",
        "SetupDiEnumDeviceInfo(0x1004, 0) -> TRUE; device 1",
        "SetupDiGetDeviceRegistryPropertyA(0x1004, device 1, SPDRP_HARDWAREID, 0) -> FALSE, last error "
        "ERROR_INSUFFICIENT_BUFFER; 23 bytes needed",
        "SetupDiGetDeviceRegistryPropertyA(0x1004, device 1, SPDRP_HARDWAREID, 23) -> TRUE; "
        "\"ACPI\\PNP0A03\" "
        "\"*PNP0A03\"",
        "SetupDiGetDeviceRegistryPropertyA(0x1004, device 3, SPDRP_HARDWAREID, 0) -> FALSE, last error "
        "ERROR_INVALID_DATA",
        "SetupDiEnumDeviceInfo(0x1004, 3) -> FALSE, last error ERROR_NO_MORE_ITEMS",
        "SetupDiDestroyDeviceInfoList(0x1004) -> TRUE"}},
      {"AFamilyLibrarysAnswer",
       server_x64,
       [] { return TraceOfKeyword("R2HWMGMTINSTALLEDCHECK"); },
       {"LoadLibraryA(\"KVIL32.DLL\") -> 0x10010000", "KVIL32.DLL!IsSystem7GOrLower() -> 1"}},
      {"TheSleep", server_x64, [] { return TraceOfKeyword("SLEEP"); }, {"Sleep(1)"}},
  };
  InstalledMachine installed;
  for (const Case& c : cases) {
    installed.Install(c.machine);
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
