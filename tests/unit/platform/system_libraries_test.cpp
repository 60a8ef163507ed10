// The system libraries a few checks need: loaded on first use, by full path
// from the system folder, once per run, freed with it; and a library or
// function that cannot be had reads as absence.
#include "platform/system_libraries.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/front_end.h"
#include "checks/package/signature.h"
#include "checks/system/hwmgmt.h"
#include "checks/system/privilege.h"
#include "probes/file_version.h"
#include "probes/os_facts.h"
#include "sim/machine/machine.h"
#include "sim/profile/known_machines.h"
#include "support/installed_machine.h"
#include "support/nothing_left_open.h"

namespace {

const char kMsiexec[] = "C:\\WINDOWS\\system32\\msiexec.exe";
const char kPackage[] = "D:\\windows\\SystemsManagement\\SysMgmt.msi";

// A Windows 2000 application server in a remote session, with a versioned
// msiexec.exe, the device the hardware check looks for and a signed package
// on a medium whose windows folder is current: every one of the four
// libraries has something to find.
sim::Machine EverythingToFind() {
  sim::Machine machine = sim::Windows2000Sp4();
  machine.os.suite_mask = 0x10;  // VER_SUITE_TERMINAL
  machine.system.session.remote = true;
  machine.files.AddVersionedFile(kMsiexec, {3, 1, 4000, 1823});
  sim::Device device;
  device.instance_id = "ROOT\\IMBDRV\\0000";
  device.hardware_ids = {"*IMBDRV"};
  machine.system.devices.devices.push_back(device);
  machine.files.drives['D'] = sim::kDriveCdrom;
  machine.current_directory = "D:\\windows\\setup";
  machine.files.AddFolder(machine.current_directory);
  machine.files.AddFile(kPackage).signature = sim::Signature::kValid;
  return machine;
}

// What each check answers when its library is there; the signature check
// answers whether the package failed to verify.
struct Answers {
  std::string msiexec_version;
  bool device_found;
  int terminal_server_code;
  bool signature_failed;
};

Answers AskAll() {
  CaptureOsVersion();
  return {GetFileVersionString(kMsiexec), HasDeviceWithHardwareId("*imbdrv"), CheckTerminalServerMode(),
          !VerifyPackageSignature("NODE")};
}

const Answers kAllThere = {"3.1.4000.1823", true, 218, false};

TEST(SystemLibraries, AreLoadedOnFirstUseByFullPathAndFreedWithTheScope) {
  const struct {
    const char* name;
    const char* system_directory;
  } cases[] = {
      {"Windows", "C:\\WINDOWS\\system32"},
      {"Winnt", "C:\\WINNT\\system32"},
      {"TrailingBackslash", "C:\\WINNT\\system32\\"},
  };
  for (const auto& c : cases) {
    sim::Machine machine = EverythingToFind();
    machine.system_libraries.directory = c.system_directory;
    InstalledMachine scoped(machine);
    {
      SystemLibraryScope libraries;
      EXPECT_TRUE(sim::CurrentRuntime().libraries.requests.empty()) << c.name << ": loaded before use";
      const Answers first = AskAll();
      const Answers second = AskAll();
      EXPECT_EQ(first.msiexec_version, kAllThere.msiexec_version) << c.name;
      EXPECT_EQ(first.device_found, kAllThere.device_found) << c.name;
      EXPECT_EQ(first.terminal_server_code, kAllThere.terminal_server_code) << c.name;
      EXPECT_EQ(first.signature_failed, kAllThere.signature_failed) << c.name;
      EXPECT_EQ(second.msiexec_version, first.msiexec_version) << c.name;
      EXPECT_EQ(second.signature_failed, first.signature_failed) << c.name;
    }
    std::string folder = c.system_directory;
    if (folder.back() != '\\') folder += '\\';
    std::vector<std::string> asked;
    for (const sim::LoadRequest& request : sim::CurrentRuntime().libraries.requests) {
      asked.push_back(request.name);
      EXPECT_EQ(request.flags, DWORD{LOAD_WITH_ALTERED_SEARCH_PATH}) << c.name << ": " << request.name;
    }
    // Once each, in the order the checks first needed them.
    const std::vector<std::string> expected = {folder + "version.dll", folder + "setupapi.dll",
                                               folder + "user32.dll", folder + "wintrust.dll"};
    EXPECT_EQ(asked, expected) << c.name;
    EXPECT_TRUE(NothingLeftOpen()) << c.name;
  }
}

TEST(SystemLibraries, ALibraryOrFunctionThatCannotBeHadIsAbsence) {
  const struct {
    const char* name;
    const char* missing_library;
    const char* missing_export;
    Answers answers;
  } cases[] = {
      {"NoVersionLibrary", "version.dll", nullptr, {"", true, 218, false}},
      {"NoVersionQuery", nullptr, "version.dll!VerQueryValueA", {"", true, 218, false}},
      {"NoSizeQuery", nullptr, "version.dll!GetFileVersionInfoSizeA", {"", true, 218, false}},
      {"NoSetupLibrary", "setupapi.dll", nullptr, {"3.1.4000.1823", false, 218, false}},
      {"NoDeviceEnumeration",
       nullptr,
       "setupapi.dll!SetupDiEnumDeviceInfo",
       {"3.1.4000.1823", false, 218, false}},
      {"NoUser32", "user32.dll", nullptr, {"3.1.4000.1823", true, 0, false}},
      {"NoSystemMetrics", nullptr, "user32.dll!GetSystemMetrics", {"3.1.4000.1823", true, 0, false}},
      // A signature that cannot be verified counts as not verified.
      {"NoTrustLibrary", "wintrust.dll", nullptr, {"3.1.4000.1823", true, 218, true}},
      {"NoTrustFunction", nullptr, "wintrust.dll!WinVerifyTrust", {"3.1.4000.1823", true, 218, true}},
  };
  for (const auto& c : cases) {
    sim::Machine machine = EverythingToFind();
    if (c.missing_library) machine.system_libraries.missing.insert(c.missing_library);
    if (c.missing_export) machine.system_libraries.missing_exports.insert(c.missing_export);
    InstalledMachine scoped(machine);
    {
      SystemLibraryScope libraries;
      const Answers answers = AskAll();
      EXPECT_EQ(answers.msiexec_version, c.answers.msiexec_version) << c.name;
      EXPECT_EQ(answers.device_found, c.answers.device_found) << c.name;
      EXPECT_EQ(answers.terminal_server_code, c.answers.terminal_server_code) << c.name;
      EXPECT_EQ(answers.signature_failed, c.answers.signature_failed) << c.name;
    }
    EXPECT_TRUE(NothingLeftOpen()) << c.name;
  }
}

TEST(SystemLibraries, OutsideARunNothingIsLoaded) {
  InstalledMachine scoped(EverythingToFind());
  const Answers answers = AskAll();
  EXPECT_EQ(answers.msiexec_version, "");
  EXPECT_FALSE(answers.device_found);
  EXPECT_EQ(answers.terminal_server_code, 0);
  EXPECT_TRUE(answers.signature_failed);
  EXPECT_TRUE(sim::CurrentRuntime().libraries.requests.empty());
}

TEST(SystemLibraries, ARunLoadsOnlyWhatItsKeywordNeeds) {
  const struct {
    const char* name;
    std::vector<std::string> args;
    std::vector<std::string> loaded;
  } cases[] = {
      {"Null", {"kvchecks", "NULL", "17", "abc"}, {}},
      {"Admin", {"kvchecks", "ADMINCHECK", "1", "A"}, {}},
      {"TerminalServer", {"kvchecks", "TSMODECHECK", "1", "T"}, {"C:\\WINDOWS\\system32\\user32.dll"}},
      {"Device",
       {"kvchecks", "INTELDRIVERINSTALLEDCHECK", "1", "D"},
       {"C:\\WINDOWS\\system32\\setupapi.dll"}},
      {"Signature", {"kvchecks", "SIGNCHECK", "1", "S", "NODE"}, {"C:\\WINDOWS\\system32\\wintrust.dll"}},
  };
  for (auto c : cases) {
    InstalledMachine scoped(EverythingToFind());
    std::vector<char*> argv;
    for (std::string& arg : c.args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    testing::internal::CaptureStdout();
    RunChecker(static_cast<int>(c.args.size()), argv.data());
    testing::internal::GetCapturedStdout();
    std::vector<std::string> asked;
    for (const sim::LoadRequest& request : sim::CurrentRuntime().libraries.requests)
      asked.push_back(request.name);
    EXPECT_EQ(asked, c.loaded) << c.name;
    EXPECT_TRUE(NothingLeftOpen()) << c.name;
  }
}

}  // namespace
