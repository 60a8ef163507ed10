// The registry behaviour that the installed-software checks rely on.
#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"
#include "probes/handles.h"
#include "probes/registry.h"
#include "sim/profile/known_machines.h"
#include "support/installed_machine.h"
#include "support/nothing_left_open.h"

namespace {

const char kKey[] = "SOFTWARE\\Microsoft\\Microsoft SQL Server";

TEST(RegQueryValueExA, DataLargerThanTheBufferFailsWithMoreDataAndTheSizeNeeded) {
  sim::Machine setup = sim::Server2003(2, false);
  const std::string list = std::string(5000, 'N') + '\0';  // SetString adds the list's final NUL
  setup.registry.SetString(std::string("HKLM\\") + kKey, "InstalledInstances", list, REG_MULTI_SZ);
  InstalledMachine machine(setup);
  UniqueRegKey key = OpenRegKey(HKEY_LOCAL_MACHINE, kKey, KEY_ALL_ACCESS);
  ASSERT_TRUE(key);
  char buffer[4096];
  DWORD size = sizeof(buffer);
  EXPECT_EQ(RegQueryValueExA(key.get(), "InstalledInstances", nullptr, nullptr,
                             reinterpret_cast<BYTE*>(buffer), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 5002u);
}

TEST(RegQueryValueExA, AListOfStringsComesBackAsAnsiWithItsTerminators) {
  sim::Machine setup = sim::Server2003(2, false);
  setup.registry.SetString(std::string("HKLM\\") + kKey, "InstalledInstances", std::string("A\0BC\0", 5),
                           REG_MULTI_SZ);
  InstalledMachine machine(setup);
  UniqueRegKey key = OpenRegKey(HKEY_LOCAL_MACHINE, kKey, KEY_ALL_ACCESS);
  ASSERT_TRUE(key);
  char buffer[16];
  DWORD size = sizeof(buffer);
  DWORD type = 0;
  ASSERT_EQ(RegQueryValueExA(key.get(), "InstalledInstances", nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                             &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
  EXPECT_EQ(std::string(buffer, size), std::string("A\0BC\0\0", 6));
}

TEST(RegOpenKeyExA, AUserWhoIsNotElevatedMayReadButNotOpenForFullAccess) {
  sim::Machine setup = sim::Server2003(2, false);
  setup.registry.Create(std::string("HKLM\\") + kKey);
  setup.user.elevated = false;
  InstalledMachine machine(setup);
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_ALL_ACCESS, &key), ERROR_ACCESS_DENIED);
  EXPECT_EQ(key, nullptr);
  EXPECT_TRUE(OpenRegKey(HKEY_LOCAL_MACHINE, kKey, KEY_READ));
  EXPECT_TRUE(NothingLeftOpen());
}

}  // namespace
