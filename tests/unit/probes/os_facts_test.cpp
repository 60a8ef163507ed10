#include "probes/os_facts.h"

#include <gtest/gtest.h>

#include "sim/profile/known_machines.h"
#include "support/installed_machine.h"

namespace {

struct OsLevelCase {
  const char* name;
  DWORD platform, major, minor;
  BYTE product_type;
  bool flag_clear, flag_set;
};

TEST(MeetsOsLevel, FollowsTheVersionTable) {
  const OsLevelCase cases[] = {
      {"Windows2000", 2, 5, 0, 3, false, false},
      {"WindowsXp", 2, 5, 1, 1, false, true},
      {"XpX64Workstation", 2, 5, 2, 1, false, true},
      {"Server2003", 2, 5, 2, 3, true, true},
      {"Server2003DomainController", 2, 5, 2, 2, true, true},
      {"Windows7Workstation", 2, 6, 1, 1, false, true},
      {"Server2008", 2, 6, 0, 3, false, true},
      {"FutureMajor", 2, 10, 0, 1, false, true},
      {"Nt4", 2, 4, 0, 1, false, false},
      {"XpOnPlatformOne", 1, 5, 1, 1, false, false},
      {"Server2003OnPlatformOne", 1, 5, 2, 3, false, false},
      {"FailedCapture", 0, 0, 0, 0, false, false},
  };
  for (const OsLevelCase& c : cases) {
    OsVersionRecord = OSVERSIONINFOEXA{};
    OsVersionRecord.dwPlatformId = c.platform;
    OsVersionRecord.dwMajorVersion = c.major;
    OsVersionRecord.dwMinorVersion = c.minor;
    OsVersionRecord.wProductType = c.product_type;
    EXPECT_EQ(MeetsOsLevel(false), c.flag_clear) << c.name;
    EXPECT_EQ(MeetsOsLevel(true), c.flag_set) << c.name;
  }
}

TEST(CaptureOsVersion, FillsTheExtendedRecord) {
  InstalledMachine machine(sim::Server2003(1, true));
  OsVersionRecord = OSVERSIONINFOEXA{};
  CaptureOsVersion();
  EXPECT_EQ(OsVersionRecord.dwOSVersionInfoSize, 156u);
  EXPECT_EQ(OsVersionRecord.dwMajorVersion, 5u);
  EXPECT_EQ(OsVersionRecord.dwMinorVersion, 2u);
  EXPECT_EQ(OsVersionRecord.dwBuildNumber, 3790u);
  EXPECT_EQ(OsVersionRecord.dwPlatformId, 2u);
  EXPECT_STREQ(OsVersionRecord.szCSDVersion, "Service Pack 1");
  EXPECT_EQ(OsVersionRecord.wServicePackMajor, 1);
  EXPECT_EQ(OsVersionRecord.wProductType, 3);
}

TEST(CaptureOsVersion, AFailedCallLeavesZerosButTheSize) {
  sim::Machine failing = sim::Server2008R2();
  failing.os.version_call_fails = true;
  InstalledMachine machine(failing);
  OsVersionRecord = OSVERSIONINFOEXA{};
  CaptureOsVersion();
  EXPECT_EQ(OsVersionRecord.dwOSVersionInfoSize, 156u);
  EXPECT_EQ(OsVersionRecord.dwMajorVersion, 0u);
  EXPECT_EQ(OsVersionRecord.dwPlatformId, 0u);
  EXPECT_FALSE(MeetsOsLevel(true));
}

TEST(IsRunningUnderWow64, AnswersFromTheOptionalEntryPoint) {
  struct Case {
    const char* name;
    sim::Machine machine;
    bool expected;
  };
  sim::Machine failing_call = sim::Server2003(2, true);
  failing_call.os.wow64_call_fails = true;
  sim::Machine x64_without_export = sim::Server2003(2, true);
  x64_without_export.os.has_is_wow64_process = false;
  Case cases[] = {
      {"Windows2000HasNoExport", sim::Windows2000Sp4(), false},
      {"ThirtyTwoBitServer", sim::Server2003(2, false), false},
      {"SixtyFourBitServer", sim::Server2003(1, true), true},
      {"XpX64", sim::WindowsXpX64(), true},
      {"Server2008R2", sim::Server2008R2(), true},
      {"FailedCallReadsFalse", failing_call, false},
      {"MissingExportReadsFalse", x64_without_export, false},
  };
  for (Case& c : cases) {
    InstalledMachine machine(c.machine);
    EXPECT_EQ(IsRunningUnderWow64(), c.expected) << c.name;
  }
}

TEST(IsNativeItanium, ReadsTheNativeArchitecture) {
  sim::Machine itanium = sim::Server2003(1, true);
  itanium.os.native_architecture = PROCESSOR_ARCHITECTURE_IA64;
  sim::Machine itanium_2000 = sim::Windows2000Sp4();
  itanium_2000.os.native_architecture = PROCESSOR_ARCHITECTURE_IA64;
  const std::pair<sim::Machine, bool> cases[] = {
      {sim::Server2003(2, false), false},
      {sim::Server2008R2(), false},
      {itanium, true},
      {itanium_2000, false},  // no GetNativeSystemInfo on Windows 2000
  };
  for (const auto& [described, expected] : cases) {
    InstalledMachine machine(described);
    EXPECT_EQ(IsNativeItanium(), expected);
  }
}

}  // namespace
