#include "checks/system/hwmgmt.h"

#include <gtest/gtest.h>

#include "platform/system_libraries.h"
#include "probes/os_facts.h"
#include "sim/profile/known_machines.h"
#include "support/installed_machine.h"
#include "support/nothing_left_open.h"

namespace {

const char kR2Setup[] = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\R2Setup";
const char kR2Setup32[] = "HKLM\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\R2Setup";
const char kComponents[] =
    "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup\\OC Manager\\Subcomponents";
const char kComponents32[] =
    "HKLM\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Setup\\OC Manager\\Subcomponents";

struct ProbeCase {
  const char* name;
  sim::Machine machine;
  bool expected;
};

sim::Machine With(sim::Machine machine, const char* key, const char* value, std::uint32_t type,
                  std::vector<std::uint8_t> data) {
  machine.registry.SetValue(key, value, type, std::move(data));
  return machine;
}

sim::Machine WithString(sim::Machine machine, const char* key, const char* value, const char* text) {
  machine.registry.SetString(key, value, text);
  return machine;
}

const std::vector<std::uint8_t> kOne = {1, 0, 0, 0};

TEST(IsHwMgmtComponentInstalled, OnlyADwordOfOneInTheNativeView) {
  ProbeCase cases[] = {
      {"DwordOne", With(sim::Server2003(2, false), kComponents, "hwmgmt", REG_DWORD, kOne), true},
      {"DwordTwo", With(sim::Server2003(2, false), kComponents, "hwmgmt", REG_DWORD, {2, 0, 0, 0}), false},
      {"DwordZero", With(sim::Server2003(2, false), kComponents, "hwmgmt", REG_DWORD, {0, 0, 0, 0}), false},
      {"StringOne", WithString(sim::Server2003(2, false), kComponents, "hwmgmt", "1"), false},
      {"BinaryOne", With(sim::Server2003(2, false), kComponents, "hwmgmt", REG_BINARY, kOne), false},
      {"Missing", sim::Server2003(2, false), false},
      {"SixtyFourBitView", With(sim::Server2003(2, true), kComponents, "hwmgmt", REG_DWORD, kOne), true},
      {"OnlyIn32BitView", With(sim::Server2003(2, true), kComponents32, "hwmgmt", REG_DWORD, kOne), false},
      {"Wow6432NodeOn32BitWindows", With(sim::Server2003(2, false), kComponents32, "hwmgmt", REG_DWORD, kOne),
       false},
  };
  for (ProbeCase& c : cases) {
    InstalledMachine scoped(c.machine);
    EXPECT_EQ(IsHwMgmtComponentInstalled(), c.expected) << c.name;
    EXPECT_TRUE(NothingLeftOpen()) << c.name;
  }
}

TEST(IsR2SetupInstalled, AnyDatumThatFitsFourBytes) {
  ProbeCase cases[] = {
      {"DwordZero", With(sim::Server2003(2, false), kR2Setup, "Installed", REG_DWORD, {0, 0, 0, 0}), true},
      {"DwordOne", With(sim::Server2003(2, false), kR2Setup, "Installed", REG_DWORD, kOne), true},
      {"ThreeCharacters", WithString(sim::Server2003(2, false), kR2Setup, "Installed", "yes"), true},
      {"FourCharacters", WithString(sim::Server2003(2, false), kR2Setup, "Installed", "true"), false},
      {"Missing", sim::Server2003(2, false), false},
      {"SixtyFourBitView", With(sim::Server2003(2, true), kR2Setup, "Installed", REG_DWORD, kOne), true},
      {"OnlyIn32BitView", With(sim::Server2003(2, true), kR2Setup32, "Installed", REG_DWORD, kOne), false},
  };
  for (ProbeCase& c : cases) {
    InstalledMachine scoped(c.machine);
    EXPECT_EQ(IsR2SetupInstalled(), c.expected) << c.name;
    EXPECT_TRUE(NothingLeftOpen()) << c.name;
  }
}

enum class Library { kMissing, kNoExport, kAnswers };

struct R2Case {
  const char* name;
  Library library;
  std::int32_t answer;  // of IsSystem7GOrLower
  bool r2_setup, component;
  bool installed, missing;  // what CheckHwMgmtInstalled and CheckHwMgmtMissing answer
};

sim::Machine R2Machine(const R2Case& c) {
  sim::Machine machine = sim::Server2003(2, true);
  if (c.library != Library::kMissing) {
    sim::Library kvil;
    kvil.exports["CheckForOldKVNode"] = 0;
    if (c.library == Library::kAnswers) kvil.exports["IsSystem7GOrLower"] = c.answer;
    machine.libraries["KVIL32.DLL"] = kvil;
  }
  if (c.r2_setup) machine.registry.SetDword(kR2Setup, "Installed", 1);
  if (c.component) machine.registry.SetDword(kComponents, "hwmgmt", 1);
  return machine;
}

TEST(CheckHwMgmt, AsksTheFamilyLibraryThenTheRegistryAndFreesTheLibrary) {
  const R2Case cases[] = {
      {"ComponentInstalled", Library::kAnswers, 0, true, true, true, false},
      {"ComponentMissing", Library::kAnswers, 0, true, false, false, true},
      {"NoR2SetupNoComponent", Library::kAnswers, 0, false, false, false, false},
      {"ComponentWithoutR2Setup", Library::kAnswers, 0, false, true, true, false},
      {"System7GOrLower", Library::kAnswers, 1, true, true, false, false},
      {"System7GOrLowerMissingComponent", Library::kAnswers, 1, true, false, false, false},
      {"OnlyTheLowByteCounts", Library::kAnswers, 0x100, true, false, false, true},
      {"AnyLowByteIsTrue", Library::kAnswers, -1, true, false, false, false},
      {"NoExport", Library::kNoExport, 0, true, false, false, false},
      {"NoLibrary", Library::kMissing, 0, true, false, false, false},
  };
  for (const R2Case& c : cases) {
    for (bool missing_check : {false, true}) {
      InstalledMachine scoped(R2Machine(c));
      const bool answer = missing_check ? CheckHwMgmtMissing() : CheckHwMgmtInstalled();
      EXPECT_EQ(answer, missing_check ? c.missing : c.installed)
          << c.name << (missing_check ? " missing" : "");
      const sim::LibraryRuntime& libraries = sim::CurrentRuntime().libraries;
      EXPECT_TRUE(NothingLeftOpen()) << c.name;
      const std::vector<std::string> asked = {"KVIL32.DLL!IsSystem7GOrLower"};
      EXPECT_EQ(libraries.calls, c.library == Library::kAnswers ? asked : std::vector<std::string>())
          << c.name;
      EXPECT_TRUE(NothingLeftOpen()) << c.name;
    }
  }
}

sim::Device MakeDevice(const char* instance, std::vector<std::string> ids, bool present = true,
                       std::uint32_t read_error = 0) {
  return sim::Device{instance, present, std::move(ids), read_error};
}

struct DeviceCase {
  const char* name;
  std::vector<sim::Device> devices;
  bool found;
  std::vector<std::string> not_queried;  // devices the walk must not reach
};

TEST(HasDeviceWithHardwareId, ComparesTheFirstIdOfPresentDevices) {
  const sim::Device imb = MakeDevice("ROOT\\IMBDRV\\0000", {"*IMBDRV"});
  const sim::Device other = MakeDevice("ROOT\\OTHER\\0000", {"ROOT\\other"});
  DeviceCase cases[] = {
      {"NoSuchDevice", {other}, false, {}},
      {"FirstIdAnyCase", {other, imb}, true, {}},
      {"LowerCase", {MakeDevice("ROOT\\IMBDRV\\0000", {"*imbdrv", "ROOT\\imbdrv"})}, true, {}},
      {"OnlyTheSecondId", {MakeDevice("ROOT\\IMBDRV\\0000", {"ROOT\\imbdrv", "*imbdrv"})}, false, {}},
      {"NotPresent", {MakeDevice("ROOT\\IMBDRV\\0000", {"*imbdrv"}, false)}, false, {}},
      {"NoPatternMatching",
       {MakeDevice("ROOT\\IMBDRV\\0000", {"*imbdrv2"}), MakeDevice("X\\Y\\0", {"*imb"})},
       false,
       {}},
      {"DeviceWithoutIdsIsPassed", {MakeDevice("ROOT\\LEGACY_X\\0000", {}), imb}, true, {}},
      {"FailedSecondReadStopsTheWalk",
       {other, MakeDevice("ROOT\\BROKEN\\0000", {"*imbdrv"}, true, ERROR_INVALID_DATA), imb},
       false,
       {"ROOT\\IMBDRV\\0000"}},
      {"MatchStopsTheWalk", {imb, other}, true, {"ROOT\\OTHER\\0000"}},
  };
  for (DeviceCase& c : cases) {
    sim::Machine machine = sim::Server2003(2, false);
    machine.system.devices.devices.insert(machine.system.devices.devices.end(), c.devices.begin(),
                                          c.devices.end());
    InstalledMachine scoped(machine);
    {
      SystemLibraryScope libraries;
      EXPECT_EQ(HasDeviceWithHardwareId("*imbdrv"), c.found) << c.name;
    }
    const sim::SystemRuntime& runtime = sim::CurrentRuntime().system;
    EXPECT_TRUE(NothingLeftOpen()) << c.name;
    for (const std::string& instance : c.not_queried)
      for (const std::string& queried : runtime.devices.property_queries)
        EXPECT_NE(queried, instance) << c.name << ": the walk went past its stop";
  }
}

TEST(HasDeviceWithHardwareId, NoDeviceListAnswersFalse) {
  sim::Machine machine = sim::Server2003(2, false);
  machine.system.devices.devices.push_back(MakeDevice("ROOT\\IMBDRV\\0000", {"*imbdrv"}));
  machine.system.devices.class_devs_error = ERROR_INVALID_PARAMETER;
  InstalledMachine scoped(machine);
  EXPECT_FALSE(HasDeviceWithHardwareId("*imbdrv"));
  EXPECT_TRUE(sim::CurrentRuntime().system.devices.property_queries.empty());
}

}  // namespace
