// The simulated registry calls keep the contract of the real ones where a
// caller can tell: size reporting, result codes, dispositions, rights.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/platform.h"
#include "probes/handles.h"
#include "probes/registry.h"
#include "sim/machine/machine.h"
#include "sim/profile/known_machines.h"
#include "support/installed_machine.h"

namespace {

constexpr char kKey[] = "SOFTWARE\\Norvik Computer Corporation\\Kelvane";
const std::string kHklmKey = std::string("HKLM\\") + kKey;

class SimRegistryApi : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::Machine machine = sim::Server2003(2, false);
    // Seven characters stored as UTF-16: 16 bytes stored, 8 read through the ANSI call.
    machine.registry.SetString(kHklmKey, "Text", "version");
    machine.registry.SetDword(kHklmKey, "Number", 300);
    machine_.Install(std::move(machine));
  }
  InstalledMachine machine_;
};

TEST_F(SimRegistryApi, QueryReportsTheSizeInAnsiBytes) {
  UniqueRegKey key = OpenRegKey(HKEY_LOCAL_MACHINE, kKey, KEY_READ);
  ASSERT_TRUE(key);
  struct Case {
    const char* name;
    const char* value;
    bool with_buffer;
    DWORD buffer_size;
    LSTATUS status;
    DWORD reported;
  };
  const Case cases[] = {
      {"SizeOnlyOfAString", "Text", false, 0, ERROR_SUCCESS, 8},
      {"StringFits", "Text", true, 8, ERROR_SUCCESS, 8},
      {"StringOneByteShort", "Text", true, 7, ERROR_MORE_DATA, 8},
      {"SizeOnlyOfADword", "Number", false, 0, ERROR_SUCCESS, 4},
      {"DwordTooBig", "Number", true, 3, ERROR_MORE_DATA, 4},
      {"MissingValue", "Absent", true, 8, ERROR_FILE_NOT_FOUND, 8},
  };
  for (const Case& c : cases) {
    char buffer[16];
    std::memset(buffer, '#', sizeof(buffer));
    DWORD type = 99;
    DWORD size = c.buffer_size;
    const LSTATUS status = RegQueryValueExA(key.get(), c.value, nullptr, &type,
                                            c.with_buffer ? reinterpret_cast<BYTE*>(buffer) : nullptr, &size);
    EXPECT_EQ(status, c.status) << c.name;
    EXPECT_EQ(size, c.reported) << c.name;
    // A buffer that is too small is left as it was.
    if (status == ERROR_MORE_DATA) {
      EXPECT_EQ(buffer[0], '#') << c.name;
    }
  }
}

TEST_F(SimRegistryApi, QueryTerminatesAnUnterminatedStringWhenThereIsRoom) {
  sim::Current().registry.SetValue(kHklmKey, "Bare", REG_SZ, sim::WideBytes(u"ab"));
  UniqueRegKey key = OpenRegKey(HKEY_LOCAL_MACHINE, kKey, KEY_READ);
  ASSERT_TRUE(key);
  char roomy[4] = {'#', '#', '#', '#'};
  DWORD size = sizeof(roomy);
  ASSERT_EQ(RegQueryValueExA(key.get(), "Bare", nullptr, nullptr, reinterpret_cast<BYTE*>(roomy), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(size, 2u);
  EXPECT_EQ(std::string(roomy, 4), std::string("ab\0#", 4));
  char exact[2] = {'#', '#'};
  size = sizeof(exact);
  ASSERT_EQ(RegQueryValueExA(key.get(), "Bare", nullptr, nullptr, reinterpret_cast<BYTE*>(exact), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(std::string(exact, 2), "ab");
}

TEST_F(SimRegistryApi, CreateReportsItsDisposition) {
  UniqueRegKey parent = OpenRegKey(HKEY_LOCAL_MACHINE, kKey, KEY_ALL_ACCESS);
  ASSERT_TRUE(parent);
  for (DWORD expected : {DWORD{REG_CREATED_NEW_KEY}, DWORD{REG_OPENED_EXISTING_KEY}}) {
    HKEY made = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(parent.get(), "PreReqChecks", 0, nullptr, REG_OPTION_NON_VOLATILE, 0x2001F,
                              nullptr, &made, &disposition),
              ERROR_SUCCESS);
    UniqueRegKey owned(made);
    EXPECT_EQ(disposition, expected);
  }
  HKEY made = nullptr;
  EXPECT_EQ(
      RegCreateKeyExA(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\X", 0, nullptr, 0, KEY_READ, nullptr, &made, nullptr),
      ERROR_BAD_PATHNAME);
  EXPECT_EQ(made, nullptr);
}

TEST_F(SimRegistryApi, UserNotElevatedMayOpenButNotMakeMachineKeys) {
  sim::Current().user.elevated = false;
  HKEY opened = nullptr;
  DWORD disposition = 0;
  EXPECT_EQ(
      RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_READ, nullptr, &opened, &disposition),
      ERROR_SUCCESS);
  UniqueRegKey owned(opened);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  HKEY made = nullptr;
  EXPECT_EQ(
      RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\New", 0, nullptr, 0, KEY_READ, nullptr, &made, nullptr),
      ERROR_ACCESS_DENIED);
  EXPECT_EQ(sim::Current().registry.Find("HKLM\\SOFTWARE\\New"), nullptr);
  const BYTE data[] = {'x', 0};
  EXPECT_EQ(RegSetValueExA(HKEY_LOCAL_MACHINE, "Root", 0, REG_SZ, data, sizeof(data)), ERROR_ACCESS_DENIED);
}

TEST_F(SimRegistryApi, AHandleOfTheMachineRootRedirectsLikeTheRootItself) {
  sim::Machine machine = sim::Server2003(1, true);
  machine.registry.SetString("HKLM\\SOFTWARE\\Wow6432Node\\Vendor", "View", "32");
  machine.registry.SetString("HKLM\\SOFTWARE\\Vendor", "View", "64");
  machine_.Install(std::move(machine));
  UniqueRegKey root = OpenRegKey(HKEY_LOCAL_MACHINE, "", KEY_READ);
  ASSERT_TRUE(root);
  UniqueRegKey vendor = OpenRegKey(root.get(), "SOFTWARE\\Vendor", KEY_READ);
  ASSERT_TRUE(vendor);
  char text[8] = {};
  DWORD size = sizeof(text);
  ASSERT_EQ(RegQueryValueExA(vendor.get(), "View", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(text, "32");
}

TEST_F(SimRegistryApi, FailuresLeaveTheLastErrorAlone) {
  sim::CurrentRuntime().last_error = 1234;
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Absent", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCloseKey(reinterpret_cast<HKEY>(std::uintptr_t{0x4242})), ERROR_INVALID_HANDLE);
  EXPECT_EQ(GetLastError(), 1234u);
}

}  // namespace
