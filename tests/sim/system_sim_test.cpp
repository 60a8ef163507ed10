// The simulated token, session and device calls keep the platform's
// contract where the checker can observe it.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/platform.h"
#include "platform/system_libraries.h"
#include "sim/profile/known_machines.h"
#include "sim/profile/profile.h"
#include "support/installed_machine.h"

namespace {

TEST(SimulatedToken, SizeQueryReportsTheWholeBlockAndSidsHaveTheirLayout) {
  InstalledMachine scoped(sim::Server2003(2, false));
  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  DWORD size = 0;
  EXPECT_FALSE(GetTokenInformation(token, TokenGroups, nullptr, 0, &size));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  std::vector<BYTE> block(size);
  DWORD short_size = 0;
  EXPECT_FALSE(GetTokenInformation(token, TokenGroups, block.data(), size - 1, &short_size));
  EXPECT_EQ(short_size, size);
  ASSERT_TRUE(GetTokenInformation(token, TokenGroups, block.data(), size, &size));
  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(block.data());
  ASSERT_EQ(groups->GroupCount, sim::TokenFacts().groups.size());

  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, 32, 544, 0, 0, 0, 0, 0, 0, &administrators));
  const BYTE expected[16] = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 0x02, 0, 0};
  EXPECT_EQ(std::memcmp(administrators, expected, sizeof(expected)), 0);
  EXPECT_EQ(sim::SidToText(static_cast<const std::uint8_t*>(administrators)), "S-1-5-32-544");
  int matches = 0;
  for (DWORD i = 0; i < groups->GroupCount; ++i)
    matches += EqualSid(groups->Groups[i].Sid, administrators) ? 1 : 0;
  EXPECT_EQ(matches, 1);

  char name[256], domain[256];
  DWORD name_chars = 5, domain_chars = 256;
  SID_NAME_USE use;
  EXPECT_FALSE(LookupAccountSidA(nullptr, administrators, name, &name_chars, domain, &domain_chars, &use));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(name_chars, 15u);
  ASSERT_TRUE(LookupAccountSidA(nullptr, administrators, name, &name_chars, domain, &domain_chars, &use));
  EXPECT_STREQ(name, "Administrators");
  EXPECT_STREQ(domain, "BUILTIN");

  EXPECT_EQ(FreeSid(administrators), nullptr);
  EXPECT_TRUE(CloseHandle(token));
  EXPECT_FALSE(CloseHandle(token));
  EXPECT_TRUE(sim::CurrentRuntime().system.token.allocated_sids.empty());
}

TEST(SimulatedDevices, EnumerationChecksTheRecordSizeAndEndsWithNoMoreItems) {
  sim::Machine machine = sim::Server2003(2, false);
  machine.system.devices.devices = {{"ROOT\\A\\0000", true, {"*a", "b"}, 0},
                                    {"ROOT\\B\\0000", false, {"*b"}, 0},
                                    {"ROOT\\C\\0000", true, {}, 0}};
  InstalledMachine scoped(machine);
  SystemLibraryScope libraries;
  HDEVINFO set = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
  ASSERT_NE(set, INVALID_HANDLE_VALUE);
  SP_DEVINFO_DATA device = {};
  device.cbSize = sizeof(device) - 4;
  EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 0, &device));
  EXPECT_EQ(GetLastError(), 1784u);  // ERROR_INVALID_USER_BUFFER
  device.cbSize = sizeof(device);
  ASSERT_TRUE(SetupDiEnumDeviceInfo(set, 0, &device));

  DWORD type = 0, required = 0;
  EXPECT_FALSE(
      SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID, &type, nullptr, 0, &required));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(required, 6u);  // "*a\0b\0\0"
  BYTE ids[6];
  ASSERT_TRUE(
      SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID, &type, ids, sizeof(ids), nullptr));
  EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
  EXPECT_EQ(std::memcmp(ids, "*a\0b\0\0", 6), 0);

  // The non-present device is not in the set; the one without ids reports invalid data.
  ASSERT_TRUE(SetupDiEnumDeviceInfo(set, 1, &device));
  EXPECT_FALSE(
      SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID, &type, nullptr, 0, &required));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
  EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 2, &device));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  EXPECT_TRUE(SetupDiDestroyDeviceInfoList(set));
  EXPECT_FALSE(SetupDiDestroyDeviceInfoList(set));

  HDEVINFO all = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
  EXPECT_TRUE(SetupDiEnumDeviceInfo(all, 2, &device));
  SetupDiDestroyDeviceInfoList(all);
}

TEST(SimulatedSuiteQuery, AndWantsEverySuiteOrWantsOne) {
  sim::Machine machine = sim::Windows2000Sp4();
  machine.os.suite_mask = 0x110;
  InstalledMachine scoped(machine);
  OSVERSIONINFOEXA query = {};
  query.dwOSVersionInfoSize = sizeof(query);
  query.wSuiteMask = 0x101;
  EXPECT_FALSE(VerifyVersionInfoA(&query, VER_SUITENAME, VerSetConditionMask(0, VER_SUITENAME, VER_AND)));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_OLD_WIN_VERSION));
  EXPECT_TRUE(VerifyVersionInfoA(&query, VER_SUITENAME, VerSetConditionMask(0, VER_SUITENAME, VER_OR)));
  EXPECT_FALSE(VerifyVersionInfoA(&query, VER_SUITENAME, VerSetConditionMask(0, VER_SUITENAME, 1)));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(GetSystemMetrics(SM_REMOTESESSION), 0);
}

TEST(SystemProfileSections, DescribeTokenSessionAndDevices) {
  const sim::Machine machine = sim::LoadProfileText(R"(
[token]
kind = "standard_user"
query_error = 8

[[token.groups]]
sid = "S-1-5-32-544"
attributes = ["deny_only"]
lookup = "none_mapped"

[[token.groups]]
sid = "S-1-1-0"
attributes = 7
lookup = 1789

[session]
remote = true

[devices]
class_devs_error = 13
[devices.'ROOT\IMBDRV\0000']
hardware_ids = ["*imbdrv", 'ROOT\imbdrv']
hardware_id_read_error = 8
[devices.'ROOT\LEGACY_BEEP\0000']
present = false
)",
                                                    "inline.toml");
  const sim::TokenFacts& token = machine.system.token;
  ASSERT_EQ(token.groups.size(), 2u);
  EXPECT_EQ(token.groups[0].attributes, sim::kGroupDenyOnly);
  EXPECT_EQ(token.groups[0].lookup_error, static_cast<std::uint32_t>(ERROR_NONE_MAPPED));
  EXPECT_EQ(token.groups[1].attributes, 7u);
  EXPECT_EQ(token.groups[1].lookup_error, 1789u);
  EXPECT_EQ(token.query_error, 8u);
  EXPECT_TRUE(machine.system.session.remote);
  const sim::DeviceFacts& devices = machine.system.devices;
  EXPECT_EQ(devices.class_devs_error, 13u);
  const sim::Device* imb = nullptr;
  for (const sim::Device& device : devices.devices) {
    if (device.instance_id == "ROOT\\IMBDRV\\0000") imb = &device;
    if (device.instance_id == "ROOT\\LEGACY_BEEP\\0000") {
      EXPECT_FALSE(device.present);  // replaced in place
    }
  }
  ASSERT_NE(imb, nullptr);
  EXPECT_EQ(imb->hardware_ids, (std::vector<std::string>{"*imbdrv", "ROOT\\imbdrv"}));
  EXPECT_EQ(imb->hardware_id_read_error, 8u);
  EXPECT_EQ(devices.devices.size(), sim::DeviceFacts().devices.size() + 1);
}

TEST(SystemProfileSections, RejectWhatTheyDoNotKnow) {
  const char* bad[] = {
      "[token]\nkind = \"guest\"\n",
      "[[token.groups]]\nsid = \"S-1-x\"\n",
      "[[token.groups]]\nattributes = 7\n",
      "[[token.groups]]\nsid = \"S-1-1-0\"\nattributes = [\"disabled\"]\n",
      "[[token.groups]]\nsid = \"S-1-1-0\"\nlookup = \"maybe\"\n",
      "[session]\nremote = 1\n",
      "[devices.'ROOT\\X\\0000']\nhardware_ids = \"*x\"\n",
      "[devices.'ROOT\\X\\0000']\ncolour = 1\n",
  };
  for (const char* text : bad) {
    try {
      sim::LoadProfileText(text, "bad.toml");
      ADD_FAILURE() << "accepted:\n" << text;
    } catch (const sim::ProfileError& error) {
      EXPECT_EQ(std::string(error.what()).rfind("bad.toml:", 0), 0u) << error.what();
    }
  }
}

}  // namespace
