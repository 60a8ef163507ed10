#include "checks/software/database.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "software_machine.h"
#include "support/installed_machine.h"

namespace {

using software_test::ExpectNothingLeftOpen;
using software_test::RowHolds;
using software_test::SoftwareMachine;

const char kSql70[] = "SOFTWARE\\Microsoft\\Microsoft SQL Server 7.0\\7.00.000";
const char kSqlServer[] = "SOFTWARE\\Microsoft\\Microsoft SQL Server";
const char kMsde70[] = "SOFTWARE\\Microsoft\\MSDE\\7.00.000";
const char kClient[] = "SOFTWARE\\Microsoft\\MSSQLServer\\Client";
const char kServerVersion[] = "SOFTWARE\\Microsoft\\MSSQLServer\\MSSQLServer\\CurrentVersion";

// The bytes of a literal, embedded NULs included.
template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

// A REG_MULTI_SZ list of the names, with the terminating empty string.
std::string InstanceList(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) list += name + '\0';
  return list;  // SetString appends the final terminator
}

struct InstanceCase {
  const char* name;
  std::function<void(SoftwareMachine&)> setup;
  bool expected;
};

TEST(HasDefaultSqlInstance, LooksForTheDefaultNameInTheInstanceList) {
  const auto instances = [](std::string list, std::uint32_t type = 7) {
    return [list, type](SoftwareMachine& m) { m.String(kSqlServer, "InstalledInstances", list, type); };
  };
  const std::string filler(5000, 'N');
  const InstanceCase cases[] = {
      {"NoKey", [](SoftwareMachine&) {}, false},
      {"NoValue", [](SoftwareMachine& m) { m.Key(kSqlServer); }, false},
      {"OnlyDefault", instances(InstanceList({"MSSQLSERVER"})), true},
      {"DefaultFirst", instances(InstanceList({"MSSQLSERVER", "SALES", "HR"})), true},
      {"DefaultInTheMiddle", instances(InstanceList({"SALES", "MSSQLSERVER", "HR"})), true},
      {"DefaultLast", instances(InstanceList({"SALES", "HR", "MSSQLSERVER"})), true},
      {"NamedInstancesOnly", instances(InstanceList({"SALES", "HR"})), false},
      {"DefaultNameWithSuffix", instances(InstanceList({"SALES", "MSSQLSERVER2"})), true},
      {"DefaultNameInsideAnother", instances(InstanceList({"XMSSQLSERVERX"})), true},
      {"LowerCase", instances(InstanceList({"mssqlserver"})), false},
      {"MixedCase", instances(InstanceList({"MsSqlServer"})), false},
      {"DataBeginsWithNul", instances(Bytes("\0MSSQLSERVER\0")), false},
      {"EmptyStringEndsTheList", instances(Bytes("SALES\0\0MSSQLSERVER\0")), false},
      {"PlainStringTypeIgnored", instances("MSSQLSERVER", 1), true},
      {"ListLargerThan4096Bytes", instances(InstanceList({"MSSQLSERVER", filler})), false},
      // 4082 + 1 + 11 + 1 + the final terminator: exactly 4096 bytes still fit.
      {"ListOfExactly4096Bytes", instances(InstanceList({std::string(4082, 'N'), "MSSQLSERVER"})), true},
      {"UnterminatedBinaryData",
       [](SoftwareMachine& m) {
         m.machine.registry.SetValue(m.Path(kSqlServer), "InstalledInstances", 3,
                                     {'M', 'S', 'S', 'Q', 'L', 'S', 'E', 'R', 'V', 'E', 'R'});
       },
       true},
  };
  for (const InstanceCase& c : cases) {
    SoftwareMachine setup;
    c.setup(setup);
    InstalledMachine machine(setup.machine);
    EXPECT_EQ(HasDefaultSqlInstance(), c.expected) << c.name;
    ExpectNothingLeftOpen(c.name);
  }
}

TEST(InstanceListNamesDefault, ReadsNothingBeyondTheGivenSize) {
  const char data[] = "SALESMSSQLSERVER";
  EXPECT_TRUE(InstanceListNamesDefault(data, 16));
  // Cut inside the name: the rest of the buffer is not looked at.
  EXPECT_FALSE(InstanceListNamesDefault(data, 15));
  EXPECT_FALSE(InstanceListNamesDefault(data, 0));
}

struct ClassifyCase {
  const char* name;
  std::function<void(SoftwareMachine&)> setup;
  int expected;
};

TEST(ClassifySqlInstallation, FollowsTheRegistrationKeys) {
  const auto with = [](std::vector<const char*> keys, std::function<void(SoftwareMachine&)> more = {}) {
    return [keys, more](SoftwareMachine& m) {
      for (const char* key : keys) m.Key(key);
      if (more) more(m);
    };
  };
  const auto version = [](std::string text) {
    return [text](SoftwareMachine& m) { m.String(kServerVersion, "CurrentVersion", text); };
  };
  const auto default_instance = [](SoftwareMachine& m) {
    m.String(kSqlServer, "InstalledInstances", InstanceList({"MSSQLSERVER"}), 7);
  };
  const ClassifyCase cases[] = {
      {"NothingInstalled", with({}), 0},
      {"SqlServerKeyWithoutInstances", with({kSqlServer}), 216},
      {"NoDefaultInstanceWinsOverTheOldKeys",
       with({kSqlServer, kSql70, kMsde70, kClient}, version("7.00.623")), 216},
      {"OnlyNamedInstances",
       with({},
            [](SoftwareMachine& m) {
              m.String(kSqlServer, "InstalledInstances", InstanceList({"SALES"}), 7);
            }),
       216},
      {"DefaultInstanceWithoutVersionKey", with({}, default_instance), 0},
      {"DefaultInstanceAndClientWithoutVersionKey", with({kClient}, default_instance), 212},
      {"DefaultInstanceVersion7",
       with({},
            [&](SoftwareMachine& m) {
              default_instance(m);
              version("7.00.1063")(m);
            }),
       205},
      {"ClientKeyAlone", with({kClient}), 0},
      {"ClientKeyAndVersion7Alone", with({kClient}, version("7.00")), 0},
      {"MsdeAndClientWithoutVersionKey", with({kMsde70, kClient}), 212},
      {"MsdeWithoutClientOrVersionKey", with({kMsde70}), 0},
      {"Sql70Version7", with({kSql70, kServerVersion}, version("7.00.623")), 205},
      {"Sql70Version8", with({kSql70}, version("8.00.194")), 0},
      {"Sql70Version9", with({kSql70}, version("9.00.1399")), 0},
      {"Sql70Version10CountsAsBelow8", with({kSql70}, version("10.50.1600")), 205},
      {"Sql70EmptyVersion", with({kSql70}, version("")), 205},
      {"Sql70VersionKeyWithoutValue", with({kSql70, kServerVersion}), 0},
      {"Sql70VersionKeyWithoutValueAndClient", with({kSql70, kServerVersion, kClient}), 0},
      {"Sql70Version8WithClient", with({kSql70, kClient}, version("8.00")), 0},
      {"FirstByte0x80",
       with({kSql70}, version("\x80"
                              "8")),
       205},
      {"FirstByte0xFF", with({kSql70}, version("\xFF")), 205},
      {"VersionLongerThan256Bytes", with({kSql70}, version(std::string(300, '7'))), 0},
      {"VersionOf255Characters", with({kSql70}, version(std::string(255, '7'))), 205},
  };
  for (const ClassifyCase& c : cases) {
    SoftwareMachine setup;
    c.setup(setup);
    InstalledMachine machine(setup.machine);
    EXPECT_EQ(ClassifySqlInstallation(), c.expected) << c.name;
    ExpectNothingLeftOpen(c.name);
  }
}

TEST(ClassifySqlInstallation, TheThreeKeywordsCompareTheirOwnCode) {
  struct RowCase {
    const char* name;
    std::function<void(SoftwareMachine&)> setup;
    bool default_check, version_check, client_only_check;
  };
  const RowCase cases[] = {
      {"NoDefaultInstance", [](SoftwareMachine& m) { m.Key(kSqlServer); }, true, false, false},
      {"Version7", [](SoftwareMachine& m) { m.Key(kSql70).String(kServerVersion, "CurrentVersion", "7.00"); },
       false, true, false},
      {"ClientOnly", [](SoftwareMachine& m) { m.Key(kMsde70).Key(kClient); }, false, false, true},
      {"Version8", [](SoftwareMachine& m) { m.Key(kSql70).String(kServerVersion, "CurrentVersion", "8.00"); },
       false, false, false},
  };
  for (bool sixty_four_bit : {false, true}) {
    for (const RowCase& c : cases) {
      SoftwareMachine setup(sixty_four_bit);
      c.setup(setup);
      InstalledMachine machine(setup.machine);
      const std::string name = std::string(c.name) + (sixty_four_bit ? " on x64" : "");
      EXPECT_EQ(RowHolds("SQLDEFAULTCHECK"), c.default_check) << name;
      EXPECT_EQ(RowHolds("SQLVERSIONCHECK"), c.version_check) << name;
      EXPECT_EQ(RowHolds("SQLCLIENTONLYCHECK"), c.client_only_check) << name;
      ExpectNothingLeftOpen(name);
    }
  }
}

TEST(ClassifySqlInstallation, KeysOfTheNativeViewAreNotRead) {
  // On 64-bit Windows the 32-bit checker reads SOFTWARE\Wow6432Node only.
  SoftwareMachine setup(true);
  setup.machine.registry.Create("HKLM\\SOFTWARE\\Microsoft\\Microsoft SQL Server");
  InstalledMachine machine(setup.machine);
  EXPECT_EQ(ClassifySqlInstallation(), 0);
}

struct EngineCase {
  const char* name;
  std::function<void(SoftwareMachine&)> setup;
  bool version8;
  int start;
  std::vector<std::string> calls;
};

TEST(TryStartDatabaseServer, AsksTheDatabaseLibraryOnlyForAnEngineOf8OrLater) {
  const auto version = [](std::string text) {
    return [text](SoftwareMachine& m) { m.String(kServerVersion, "CurrentVersion", text); };
  };
  const auto library = [](std::string text, std::map<std::string, std::int32_t> exports) {
    return [text, exports](SoftwareMachine& m) {
      m.String(kServerVersion, "CurrentVersion", text).Library("KxDbLib.dll", exports);
    };
  };
  const std::vector<std::string> none;
  const std::vector<std::string> start = {"KxDbLib.dll!StartServer"};
  const EngineCase cases[] = {
      {"NoVersionKey",
       [](SoftwareMachine& m) {
         m.Library("KxDbLib.dll", {{"StartServer", 1}});
       },
       false, -1, none},
      {"VersionKeyWithoutValue", [](SoftwareMachine& m) { m.Key(kServerVersion); }, false, -1, none},
      {"Version7", library("7.00.623", {{"StartServer", 0}}), false, -1, none},
      {"Version10", library("10.0.1600", {{"StartServer", 0}}), false, -1, none},
      {"EmptyVersion", library("", {{"StartServer", 0}}), false, -1, none},
      {"FirstByte0x80", library("\x80", {{"StartServer", 0}}), false, -1, none},
      {"Version8WithoutLibrary", version("8.00.194"), true, -1, none},
      {"Version8WithoutExport", library("8.00.194", {{"StopServer", 1}}), true, 207, none},
      {"Version8StartFails", library("8.00.194", {{"StartServer", 0}}), true, 207, start},
      {"Version8StartSucceeds", library("8.00.194", {{"StartServer", 1}}), true, 0, start},
      {"Version9StartReturnsMinusOne", library("9.00", {{"StartServer", -1}}), true, 0, start},
  };
  for (const EngineCase& c : cases) {
    SoftwareMachine setup;
    c.setup(setup);
    InstalledMachine machine(setup.machine);
    EXPECT_EQ(IsEngineVersion8OrLater(), c.version8) << c.name;
    EXPECT_EQ(TryStartDatabaseServer(), c.start) << c.name;
    EXPECT_EQ(sim::CurrentRuntime().libraries.calls, c.calls) << c.name;
    ExpectNothingLeftOpen(c.name);
    sim::CurrentRuntime().libraries.calls.clear();
    EXPECT_EQ(RowHolds("MSDEWORKINGCHECK"), c.start == 207) << c.name;
    ExpectNothingLeftOpen(c.name);
  }
}

TEST(MsdeInstalledCheck, HoldsOn32BitWindowsWithoutAnEngineOf8OrLater) {
  struct Case {
    const char* name;
    bool sixty_four_bit;
    const char* version;  // null: no version key
    bool holds;
  };
  const Case cases[] = {
      {"NoEngine", false, nullptr, true},         {"Version7", false, "7.00.623", true},
      {"Version8", false, "8.00.194", false},     {"Version10", false, "10.0", true},
      {"NoEngineOnX64", true, nullptr, false},    {"Version7OnX64", true, "7.00.623", false},
      {"Version8OnX64", true, "8.00.194", false},
  };
  for (const Case& c : cases) {
    SoftwareMachine setup(c.sixty_four_bit);
    if (c.version) setup.String(kServerVersion, "CurrentVersion", c.version);
    InstalledMachine machine(setup.machine);
    EXPECT_EQ(RowHolds("MSDEINSTALLEDCHECK"), c.holds) << c.name;
    ExpectNothingLeftOpen(c.name);
  }
}

TEST(DatabaseChecks, AUserWhoIsNotElevatedSeesNoKeys) {
  struct Case {
    const char* keyword;
    std::function<void(SoftwareMachine&)> setup;
  };
  // Each machine makes its keyword hold for an elevated administrator.
  const Case cases[] = {
      {"SQLDEFAULTCHECK", [](SoftwareMachine& m) { m.Key(kSqlServer); }},
      {"SQLVERSIONCHECK",
       [](SoftwareMachine& m) { m.Key(kSql70).String(kServerVersion, "CurrentVersion", "7.00"); }},
      {"SQLCLIENTONLYCHECK", [](SoftwareMachine& m) { m.Key(kMsde70).Key(kClient); }},
      {"MSDEWORKINGCHECK",
       [](SoftwareMachine& m) {
         m.String(kServerVersion, "CurrentVersion", "8.00").Library("KxDbLib.dll", {{"StartServer", 0}});
       }},
  };
  for (const Case& c : cases) {
    SoftwareMachine setup;
    c.setup(setup);
    {
      InstalledMachine machine(setup.machine);
      EXPECT_TRUE(RowHolds(c.keyword)) << c.keyword << " elevated";
    }
    setup.NotElevated();
    InstalledMachine machine(setup.machine);
    EXPECT_FALSE(RowHolds(c.keyword)) << c.keyword << " not elevated";
    EXPECT_TRUE(sim::CurrentRuntime().libraries.calls.empty()) << c.keyword;
    ExpectNothingLeftOpen(c.keyword);
  }
  // With the engine's key out of reach, MSDE counts as not installed.
  SoftwareMachine engine;
  engine.String(kServerVersion, "CurrentVersion", "8.00").NotElevated();
  InstalledMachine machine(engine.machine);
  EXPECT_TRUE(RowHolds("MSDEINSTALLEDCHECK"));
}

}  // namespace
