// The shared registry probes against a simulated machine: what each read
// returns for the value shapes a machine holds, what the writes do and
// report, and which registry view and access rights apply.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "probes/handles.h"
#include "probes/registry.h"
#include "sim/machine/machine.h"
#include "sim/profile/known_machines.h"
#include "support/installed_machine.h"
#include "support/nothing_left_open.h"

namespace {

constexpr char kKey[] = "SOFTWARE\\Norvik Computer Corporation\\Kelvane";
const std::string kHklmKey = std::string("HKLM\\") + kKey;
const std::string kWowKey = "HKLM\\SOFTWARE\\Wow6432Node\\Norvik Computer Corporation\\Kelvane";

std::vector<std::uint8_t> Bytes(std::initializer_list<int> bytes) {
  std::vector<std::uint8_t> out;
  for (int b : bytes) out.push_back(static_cast<std::uint8_t>(b));
  return out;
}

// Each test installs its machine; every probe must have closed every key it
// opened by the time the test ends.
class RegistryProbes : public ::testing::Test {
 protected:
  void Install(sim::Machine machine) { machine_.Install(std::move(machine)); }
  void TearDown() override { EXPECT_TRUE(NothingLeftOpen()); }
  InstalledMachine machine_;
};

struct ReadCase {
  const char* name;
  std::uint32_t type;
  std::vector<std::uint8_t> raw;  // as the machine stores it
  std::string expected;
};

std::vector<std::uint8_t> Wide(const std::string& ansi, bool terminated = true) {
  std::u16string wide = sim::AnsiToWide(ansi);
  if (terminated) wide.push_back(u'\0');
  return sim::WideBytes(wide);
}

TEST_F(RegistryProbes, ReadRegStringConvertsEachValueShape) {
  const std::string multi("first\0second\0", 13);
  const ReadCase cases[] = {
      {"DwordThreeHundred", REG_DWORD, Bytes({0x2C, 0x01, 0, 0}), "300"},
      {"DwordZero", REG_DWORD, Bytes({0, 0, 0, 0}), "0"},
      {"DwordAllOnesIsSigned", REG_DWORD, Bytes({0xFF, 0xFF, 0xFF, 0xFF}), "-1"},
      {"DwordOfTwoBytesZeroExtends", REG_DWORD, Bytes({0x2C, 0x01}), "300"},
      {"DwordOfOneByteZeroExtends", REG_DWORD, Bytes({0x07}), "7"},
      {"DwordWithoutDataIsZero", REG_DWORD, {}, "0"},
      {"StringAbc", REG_SZ, Wide("abc"), "abc"},
      {"EmptyString", REG_SZ, Wide(""), ""},
      {"StringWithoutDataIsEmpty", REG_SZ, {}, ""},
      {"StringStoredWithoutTerminator", REG_SZ, Wide("abc", false), "abc"},
      {"ExpandStringStaysUnexpanded", REG_EXPAND_SZ, Wide("%SystemRoot%\\system32"),
       "%SystemRoot%\\system32"},
      {"MultiStringGivesItsFirstString", REG_MULTI_SZ, Wide(multi), "first"},
      {"LatinLettersComeInTheAnsiCodePage", REG_SZ, Wide("Caf\xE9 \x80"), "Caf\xE9 \x80"},
      {"BinaryUpToItsFirstZero", REG_BINARY, Bytes({'4', '.', '2', 0, '9'}), "4.2"},
      {"BinaryWithoutZeroWhole", REG_BINARY, Bytes({'a', 'b'}), "ab"},
      {"QwordAsItsBytes", REG_QWORD, Bytes({'A', 'B', 0, 0, 0, 0, 0, 0}), "AB"},
      {"StringOf1023CharactersIsWhole", REG_SZ, Wide(std::string(1023, 'x')), std::string(1023, 'x')},
      {"StringOf1024CharactersDoesNotFit", REG_SZ, Wide(std::string(1024, 'x')), ""},
      {"StringOf1500BytesDoesNotFit", REG_SZ, Wide(std::string(1499, 'x')), ""},
      // The ANSI call sizes strings in ANSI bytes: 700 characters are 1402
      // bytes as stored but 701 as read.
      {"SizeCountsAnsiBytesNotStoredBytes", REG_SZ, Wide(std::string(700, 'y')), std::string(700, 'y')},
      {"BinaryOf1025BytesDoesNotFit", REG_BINARY, std::vector<std::uint8_t>(1025, 'z'), ""},
  };
  for (const ReadCase& c : cases) {
    sim::Machine machine = sim::Server2003(2, false);
    machine.registry.SetValue(kHklmKey, "Value", c.type, c.raw);
    Install(std::move(machine));
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, kKey, "Value"), c.expected) << c.name;
    EXPECT_TRUE(NothingLeftOpen()) << c.name;
  }
}

TEST_F(RegistryProbes, ReadRegStringReadsTheDefaultValueByEmptyName) {
  sim::Machine machine = sim::Server2003(2, false);
  machine.registry.SetString(kHklmKey, "", "default text");
  Install(std::move(machine));
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, kKey, ""), "default text");
}

struct AbsenceCase {
  const char* name;
  sim::Machine machine;
  const char* path;
  const char* value;
};

TEST_F(RegistryProbes, WhatCannotBeReadIsAbsent) {
  sim::Machine present = sim::Server2003(2, false);
  present.registry.SetString(kHklmKey, "Version", "4.2");
  sim::Machine denied = present;
  denied.registry.DenyRead(kHklmKey);
  sim::Machine only_64bit_view = sim::Server2003(1, true);
  only_64bit_view.registry.SetString(kHklmKey, "Version", "4.2");
  const AbsenceCase cases[] = {
      {"MissingKey", present, "SOFTWARE\\Norvik Computer Corporation\\Other", "Version"},
      {"MissingValue", present, kKey, "Revision"},
      {"KeyDenyingRead", denied, kKey, "Version"},
      {"KeyOnlyInThe64BitView", only_64bit_view, kKey, "Version"},
  };
  for (const AbsenceCase& c : cases) {
    Install(c.machine);
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, c.path, c.value), "") << c.name;
    EXPECT_TRUE(NothingLeftOpen()) << c.name;
  }
}

struct ExistsCase {
  const char* name;
  sim::Machine machine;
  bool expected;
};

TEST_F(RegistryProbes, KeyExistsSeesTheProcessOwnViewOnly) {
  sim::Machine thirty_two = sim::Server2003(2, false);
  thirty_two.registry.Create(kHklmKey);
  sim::Machine sixty_four_native_only = sim::Server2003(1, true);
  sixty_four_native_only.registry.Create(kHklmKey);
  sim::Machine sixty_four_wow = sim::Server2003(1, true);
  sixty_four_wow.registry.Create(kWowKey);
  sim::Machine denied = thirty_two;
  denied.registry.DenyRead(kHklmKey);
  sim::Machine not_elevated = thirty_two;
  not_elevated.user.elevated = false;
  // On a 32-bit machine Wow6432Node is an ordinary key name: nothing is redirected.
  sim::Machine thirty_two_with_wow_branch = sim::Server2003(2, false);
  thirty_two_with_wow_branch.registry.Create(kWowKey);
  const ExistsCase cases[] = {
      {"ThirtyTwoBitMachine", thirty_two, true},
      {"SixtyFourBitKeyOnlyInNativeView", sixty_four_native_only, false},
      {"SixtyFourBitKeyInWow6432Node", sixty_four_wow, true},
      {"KeyDenyingRead", denied, false},
      {"UserNotElevatedMayRead", not_elevated, true},
      {"ThirtyTwoBitMachineDoesNotRedirect", thirty_two_with_wow_branch, false},
      {"MissingKey", sim::Server2003(2, false), false},
  };
  for (const ExistsCase& c : cases) {
    Install(c.machine);
    EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, kKey), c.expected) << c.name;
    EXPECT_TRUE(NothingLeftOpen()) << c.name;
  }
}

TEST_F(RegistryProbes, KeysOutsideSoftwareAreSharedByBothViews) {
  sim::Machine machine = sim::Server2003(1, true);
  machine.registry.SetString("HKLM\\SYSTEM\\CurrentControlSet\\Services\\storport", "ImagePath",
                             "system32\\drivers\\storport.sys");
  Install(std::move(machine));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\storport"));
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\storport", "ImagePath"),
            "system32\\drivers\\storport.sys");
}

TEST_F(RegistryProbes, NativeViewQueryAccessReachesThe64BitView) {
  struct Case {
    const char* name;
    sim::Machine machine;
    REGSAM expected;
  };
  sim::Machine wow64_missing = sim::Server2003(1, true);
  wow64_missing.os.has_is_wow64_process = false;
  const Case cases[] = {
      {"ThirtyTwoBitServer", sim::Server2003(2, false), KEY_QUERY_VALUE},
      {"Windows2000WithoutIsWow64Process", sim::Windows2000Sp4(), KEY_QUERY_VALUE},
      {"SixtyFourBitServer", sim::Server2003(1, true), KEY_QUERY_VALUE | KEY_WOW64_64KEY},
      {"Server2008R2", sim::Server2008R2(), 0x101},
      {"SixtyFourBitWithoutIsWow64Process", wow64_missing, KEY_QUERY_VALUE},
  };
  for (const Case& c : cases) {
    Install(c.machine);
    EXPECT_EQ(NativeViewQueryAccess(), c.expected) << c.name;
  }

  // The mask opens the key that exists only in the 64-bit view.
  sim::Machine machine = sim::Server2003(1, true);
  machine.registry.SetString(kHklmKey, "Version", "64-bit");
  machine.registry.SetString(kWowKey, "Version", "32-bit");
  Install(std::move(machine));
  UniqueRegKey native = OpenRegKey(HKEY_LOCAL_MACHINE, kKey, NativeViewQueryAccess());
  ASSERT_TRUE(native);
  EXPECT_EQ(QueryStringValue(native.get(), "Version"), "64-bit");
  UniqueRegKey own = OpenRegKey(HKEY_LOCAL_MACHINE, kKey, KEY_QUERY_VALUE);
  ASSERT_TRUE(own);
  EXPECT_EQ(QueryStringValue(own.get(), "Version"), "32-bit");
}

struct QueryCase {
  const char* name;
  std::uint32_t type;
  std::vector<std::uint8_t> raw;
  std::string expected;
};

TEST_F(RegistryProbes, QueryStringValueReadsRawBytesIntoTwoHundredFiftySix) {
  const QueryCase cases[] = {
      {"StringOf255CharactersIsWhole", REG_SZ, Wide(std::string(255, 'q')), std::string(255, 'q')},
      {"StringOf256CharactersDoesNotFit", REG_SZ, Wide(std::string(256, 'q')), ""},
      {"UnterminatedStringOf256CharactersFillsTheBuffer", REG_SZ, Wide(std::string(256, 'q'), false),
       std::string(256, 'q')},
      {"DwordComesBackAsItsBytes", REG_DWORD, Bytes({'A', 'B', 'C', 0}), "ABC"},
      {"DwordThreeHundredIsNotANumber", REG_DWORD, Bytes({0x2C, 0x01, 0, 0}), "\x2C\x01"},
      {"DwordZeroIsEmpty", REG_DWORD, Bytes({0, 0, 0, 0}), ""},
      {"MultiStringGivesItsFirstString", REG_MULTI_SZ, Wide(std::string("a\0b\0", 4)), "a"},
      {"EmptyString", REG_SZ, Wide(""), ""},
  };
  for (const QueryCase& c : cases) {
    sim::Machine machine = sim::Server2003(2, false);
    machine.registry.SetValue(kHklmKey, "Value", c.type, c.raw);
    Install(std::move(machine));
    UniqueRegKey key = OpenRegKey(HKEY_LOCAL_MACHINE, kKey, KEY_ALL_ACCESS);
    ASSERT_TRUE(key) << c.name;
    EXPECT_EQ(QueryStringValue(key.get(), "Value"), c.expected) << c.name;
  }
}

TEST_F(RegistryProbes, QueryStringValueLeavesTheCallersKeyOpen) {
  sim::Machine machine = sim::Server2003(2, false);
  machine.registry.SetString(kHklmKey, "Version", "4.2");
  Install(std::move(machine));
  UniqueRegKey key = OpenRegKey(HKEY_LOCAL_MACHINE, kKey, KEY_ALL_ACCESS);
  ASSERT_TRUE(key);
  EXPECT_EQ(QueryStringValue(key.get(), "Missing"), "");
  EXPECT_EQ(QueryStringValue(key.get(), "Version"), "4.2");
  EXPECT_EQ(sim::CurrentRuntime().open_keys.size(), 1u);
}

TEST_F(RegistryProbes, FullAccessOfTheMachineHiveNeedsElevation) {
  struct Case {
    const char* name;
    REGSAM access;
    bool opens;
  };
  const Case cases[] = {
      {"AllAccess", KEY_ALL_ACCESS, false},
      {"SetValue", KEY_SET_VALUE, false},
      {"CreateSubKey", KEY_CREATE_SUB_KEY, false},
      {"Write", KEY_WRITE, false},
      {"Read", KEY_READ, true},
      {"QueryValue", KEY_QUERY_VALUE, true},
  };
  sim::Machine machine = sim::Server2003(2, false);
  machine.user.elevated = false;
  machine.registry.SetString(kHklmKey, "Version", "4.2");
  Install(std::move(machine));
  for (const Case& c : cases) {
    UniqueRegKey key = OpenRegKey(HKEY_LOCAL_MACHINE, kKey, c.access);
    EXPECT_EQ(static_cast<bool>(key), c.opens) << c.name;
  }
  // A check that opens its key with full access sees nothing.
  UniqueRegKey full = OpenRegKey(HKEY_LOCAL_MACHINE, kKey, KEY_ALL_ACCESS);
  EXPECT_FALSE(full);
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, kKey, "Version"), "4.2");
}

TEST_F(RegistryProbes, CreateSubKeyMakesOrOpensTheKey) {
  const std::string parent_path = "HKLM\\SOFTWARE\\Norvik Computer Corporation";
  struct Case {
    const char* name;
    bool existing;
    bool parent_exists;
    bool elevated;
    bool quota_exhausted;
    int expected;
    bool key_afterwards;
  };
  const Case cases[] = {
      {"NewKey", false, true, true, false, 0, true},
      {"ExistingKeyCountsAsSuccess", true, true, true, false, 0, true},
      {"MissingParent", false, false, true, false, -1, false},
      {"UserNotElevated", false, true, false, false, -1, false},
      {"UserNotElevatedWithExistingKey", true, true, false, false, -1, true},
      {"RegistryQuotaExhausted", false, true, true, true, -1, false},
  };
  for (const Case& c : cases) {
    sim::Machine machine = sim::Server2003(2, false);
    if (c.parent_exists) machine.registry.Create(parent_path);
    if (c.existing) machine.registry.SetString(kHklmKey, "Kept", "yes");
    machine.user.elevated = c.elevated;
    machine.registry.quota_exhausted = c.quota_exhausted;
    Install(std::move(machine));
    EXPECT_EQ(CreateSubKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Norvik Computer Corporation", "Kelvane"),
              c.expected)
        << c.name;
    EXPECT_EQ(sim::Current().registry.Find(kHklmKey) != nullptr, c.key_afterwards) << c.name;
    EXPECT_EQ(sim::Current().registry.Find(parent_path) != nullptr, c.parent_exists) << c.name;
    EXPECT_EQ(sim::Current().registry.GetValue(kHklmKey, "Kept") != nullptr, c.existing) << c.name;
    EXPECT_TRUE(NothingLeftOpen()) << c.name;
  }
}

TEST_F(RegistryProbes, CreateSubKeyOnA64BitMachineMakesTheKeyInWow6432Node) {
  sim::Machine machine = sim::Server2003(1, true);
  machine.registry.Create("HKLM\\SOFTWARE\\Wow6432Node\\Norvik Computer Corporation");
  Install(std::move(machine));
  EXPECT_EQ(CreateSubKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Norvik Computer Corporation", "Kelvane"), 0);
  EXPECT_NE(sim::Current().registry.Find(kWowKey), nullptr);
  EXPECT_EQ(sim::Current().registry.Find(kHklmKey), nullptr);
}

// The value as the checker would read it back through the ANSI call.
struct ReadBack {
  LSTATUS status;
  DWORD type;
  std::vector<std::uint8_t> bytes;
};
ReadBack ReadValueBack(const char* name) {
  ReadBack back{ERROR_FILE_NOT_FOUND, REG_NONE, {}};
  UniqueRegKey key = OpenRegKey(HKEY_LOCAL_MACHINE, kKey, KEY_QUERY_VALUE);
  if (!key) return back;
  std::uint8_t buffer[64] = {};
  DWORD size = sizeof(buffer);
  back.status = RegQueryValueExA(key.get(), name, nullptr, &back.type, buffer, &size);
  if (back.status == ERROR_SUCCESS) back.bytes.assign(buffer, buffer + size);
  return back;
}

TEST_F(RegistryProbes, WriteRegValueStoresTheTextWithItsTerminator) {
  struct Case {
    const char* name;
    const char* data;
    std::vector<std::uint8_t> read_back;
  };
  const Case cases[] = {
      {"EmptyTextIsOneZeroByte", "", Bytes({0})},
      {"VersionText", "4.2", Bytes({'4', '.', '2', 0})},
  };
  for (const Case& c : cases) {
    sim::Machine machine = sim::Server2003(2, false);
    machine.registry.Create(kHklmKey);
    Install(std::move(machine));
    EXPECT_EQ(WriteRegValue(HKEY_LOCAL_MACHINE, kKey, "MN", c.data, REG_SZ), 0) << c.name;
    const ReadBack back = ReadValueBack("MN");
    EXPECT_EQ(back.status, ERROR_SUCCESS) << c.name;
    EXPECT_EQ(back.type, static_cast<DWORD>(REG_SZ)) << c.name;
    EXPECT_EQ(back.bytes, c.read_back) << c.name;
    EXPECT_TRUE(NothingLeftOpen()) << c.name;
  }
}

TEST_F(RegistryProbes, WriteRegValueReplacesAnEarlierValue) {
  sim::Machine machine = sim::Server2003(2, false);
  machine.registry.SetDword(kHklmKey, "MN", 7);
  Install(std::move(machine));
  EXPECT_EQ(WriteRegValue(HKEY_LOCAL_MACHINE, kKey, "mn", "5.0", REG_SZ), 0);
  EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, kKey, "MN"), "5.0");
  EXPECT_EQ(sim::Current().registry.GetValue(kHklmKey, "MN")->name, "MN");
}

TEST_F(RegistryProbes, WriteRegValueSaysWhichStepFailed) {
  struct Case {
    const char* name;
    bool key_exists;
    bool elevated;
    bool quota_exhausted;
    int expected;
  };
  const Case cases[] = {
      {"MissingKeyCannotBeOpened", false, true, false, -1},
      {"UserNotElevatedCannotOpenForWriting", true, false, false, -1},
      {"FullRegistryRefusesTheValue", true, true, true, -2},
  };
  for (const Case& c : cases) {
    sim::Machine machine = sim::Server2003(2, false);
    if (c.key_exists) machine.registry.Create(kHklmKey);
    machine.user.elevated = c.elevated;
    machine.registry.quota_exhausted = c.quota_exhausted;
    Install(std::move(machine));
    EXPECT_EQ(WriteRegValue(HKEY_LOCAL_MACHINE, kKey, "MN", "4.2", REG_SZ), c.expected) << c.name;
    EXPECT_EQ(sim::Current().registry.GetValue(kHklmKey, "MN"), nullptr) << c.name;
    EXPECT_TRUE(NothingLeftOpen()) << c.name;
  }
}

TEST_F(RegistryProbes, WriteRegValueOnA64BitMachineWritesThe32BitView) {
  sim::Machine machine = sim::Server2003(1, true);
  machine.registry.Create(kWowKey);
  machine.registry.Create(kHklmKey);
  Install(std::move(machine));
  EXPECT_EQ(WriteRegValue(HKEY_LOCAL_MACHINE, kKey, "MN", "4.2", REG_SZ), 0);
  EXPECT_NE(sim::Current().registry.GetValue(kWowKey, "MN"), nullptr);
  EXPECT_EQ(sim::Current().registry.GetValue(kHklmKey, "MN"), nullptr);
}

}  // namespace
