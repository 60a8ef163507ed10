#include <gtest/gtest.h>

#include "checks/system/platform.h"
#include "probes/os_facts.h"
#include "sim/profile/known_machines.h"
#include "support/nothing_left_open.h"
#include "support/os_record.h"

namespace {

class PlatformChecks : public ::testing::Test {
 protected:
  void UseRecordOf(sim::Machine machine) { InstallAndCaptureOsVersion(machine_, std::move(machine)); }
  InstalledMachine machine_;
};

TEST(IsServerCoreProductType, KnowsTheEightCoreAndHyperVTypes) {
  for (DWORD type : {12u, 13u, 14u, 29u, 39u, 40u, 41u, 42u})
    EXPECT_TRUE(IsServerCoreProductType(type)) << type;
  // Full editions, workstations, undefined, and the Storage Server cores next to the table.
  for (DWORD type : {0u, 1u, 4u, 6u, 7u, 8u, 10u, 15u, 17u, 18u, 24u, 38u, 43u, 44u, 0xABCDABCDu})
    EXPECT_FALSE(IsServerCoreProductType(type)) << type;
}

struct MachineCase {
  const char* name;
  sim::Machine machine;
  bool expected;
};

sim::Machine WithProductInfo(sim::Machine machine, std::uint32_t product_info) {
  machine.os.product_info = product_info;
  return machine;
}

TEST_F(PlatformChecks, ServerCoreAsksGetProductInfoOnlyOnVersion6) {
  sim::Machine without_export = WithProductInfo(sim::Server2008(), 13);
  without_export.os.has_get_product_info = false;
  sim::Machine server2003_with_export = WithProductInfo(sim::Server2003(2, false), 13);
  server2003_with_export.os.has_get_product_info = true;
  MachineCase cases[] = {
      {"Server2008Enterprise", WithProductInfo(sim::Server2008(), 10), false},
      {"Server2008StandardCore", WithProductInfo(sim::Server2008(), 13), true},
      {"Server2008R2DatacenterCore", WithProductInfo(sim::Server2008R2(), 12), true},
      {"HyperVServer", WithProductInfo(sim::Server2008R2(), 42), true},
      {"Undefined", WithProductInfo(sim::Server2008(), 0), false},
      {"Version6WithoutTheExport", without_export, false},
      {"Version5NeverAsks", server2003_with_export, false},
  };
  for (MachineCase& c : cases) {
    UseRecordOf(c.machine);
    EXPECT_EQ(IsServerCoreEdition(), c.expected) << c.name;
  }
}

sim::Machine OnItanium(sim::Machine machine) {
  machine.os.native_architecture = PROCESSOR_ARCHITECTURE_IA64;
  machine.os.has_get_native_system_info = true;
  return machine;
}

TEST_F(PlatformChecks, ItaniumIsAskedOnlyPastTheVersionTest) {
  sim::Machine xp_itanium = OnItanium(sim::WindowsXpSp2());
  sim::Machine nt4_itanium = OnItanium(sim::Windows2000Sp4());
  nt4_itanium.os.major = 4;
  nt4_itanium.os.minor = 1;
  sim::Machine platform_one = OnItanium(sim::WindowsXpSp2());
  platform_one.os.platform = 1;
  MachineCase cases[] = {
      {"Xp", xp_itanium, true},
      {"Server2003", OnItanium(sim::Server2003(1, true)), true},
      {"Server2008R2", OnItanium(sim::Server2008R2()), true},
      {"Server2008IsX0", OnItanium(sim::Server2008()), false},
      {"Windows2000IsX0", OnItanium(sim::Windows2000Sp4()), false},
      {"Nt4", nt4_itanium, false},
      {"OtherPlatform", platform_one, false},
      {"X64", sim::Server2003(2, true), false},
      {"X86", sim::WindowsXpSp2(), false},
  };
  for (MachineCase& c : cases) {
    UseRecordOf(c.machine);
    EXPECT_EQ(IsItaniumSystem(), c.expected) << c.name;
  }
}

TEST_F(PlatformChecks, Server2008R2IsVersion61NotWorkstation) {
  sim::Machine domain_controller = sim::Server2008R2();
  domain_controller.os.product_type = VER_NT_DOMAIN_CONTROLLER;
  sim::Machine other_platform = sim::Server2008R2();
  other_platform.os.platform = 1;
  MachineCase cases[] = {
      {"Server2008R2", sim::Server2008R2(), true},
      {"Server2008R2Core", WithProductInfo(sim::Server2008R2(), 13), true},
      {"DomainController", domain_controller, true},
      {"PlatformNotExamined", other_platform, true},
      {"Windows7", sim::Windows7(true), false},
      {"Server2008", sim::Server2008(), false},
      {"Server2003", sim::Server2003(2, true), false},
  };
  for (MachineCase& c : cases) {
    UseRecordOf(c.machine);
    EXPECT_EQ(IsServer2008R2(), c.expected) << c.name;
  }
}

const char kPolicyKey[] = "HKLM\\SOFTWARE\\Microsoft\\Non-Driver Signing";

sim::Machine WithPolicy(sim::Machine machine, std::uint32_t type, std::vector<std::uint8_t> data) {
  machine.registry.SetValue(kPolicyKey, "Policy", type, std::move(data));
  return machine;
}

TEST_F(PlatformChecks, NonDriverSigningCountsOnlyAOneBytePolicyOnWindows2000) {
  sim::Machine key_only = sim::Windows2000Sp4();
  key_only.registry.Create(kPolicyKey);
  sim::Machine string_one = sim::Windows2000Sp4();
  string_one.registry.SetString(kPolicyKey, "Policy", "1");
  MachineCase cases[] = {
      {"OneByteWarn", WithPolicy(sim::Windows2000Sp4(), REG_BINARY, {1}), false},
      {"OneByteBlock", WithPolicy(sim::Windows2000Sp4(), REG_BINARY, {2}), false},
      {"OneByteSilent", WithPolicy(sim::Windows2000Sp4(), REG_BINARY, {0}), true},
      {"FourByteNumberOne", WithPolicy(sim::Windows2000Sp4(), REG_DWORD, {1, 0, 0, 0}), true},
      {"StringOne", string_one, true},
      {"LongerThanTheBuffer", WithPolicy(sim::Windows2000Sp4(), REG_BINARY, std::vector<std::uint8_t>(17, 1)),
       true},
      {"NoValue", key_only, true},
      {"NoKey", sim::Windows2000Sp4(), true},
      {"XpWithOneByteBlock", WithPolicy(sim::WindowsXpSp2(), REG_BINARY, {2}), true},
      {"Server2003WithOneByteBlock", WithPolicy(sim::Server2003(0, false), REG_BINARY, {2}), true},
  };
  for (MachineCase& c : cases) {
    UseRecordOf(c.machine);
    EXPECT_EQ(IsNonDriverSigningSilent(), c.expected) << c.name;
    EXPECT_TRUE(NothingLeftOpen()) << c.name;
  }
}

}  // namespace
