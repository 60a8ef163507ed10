#include "checks/software/earlier_software.h"

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

const char kApplications[] = "SOFTWARE\\Norvik Computer Corporation\\Kelvane\\Applications";
const std::string kSystemsManagement = std::string(kApplications) + "\\SystemsManagement";
const std::string kManagementStation = std::string(kApplications) + "\\ManagementStation";
const std::string kQrNode = std::string(kApplications) + "\\QRNODE";
const char kSuiteUninstall[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{7B1E2D94-5C3A-4F10-9D6E-2A8C4B7F0E13}";
const char kRemoteAccessCardNode[] =
    "SOFTWARE\\Norvik Computer Corporation\\Kelvane\\Remote Access Card Managed Node";
const char kNetworkManager[] = "SOFTWARE\\Norvik Computer Corporation\\Norvik Kelvane Network Manager";
const char kNetworkManagerUninstall[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\a3c94e1b07d25f68e4b19c7d3a0f2e85";
const char kNnm[] =
    "SOFTWARE\\Norvik Computer Corporation\\Norvik Kelvane Connection for NNM\\CurrentVersion";
const char kSms[] =
    "SOFTWARE\\Norvik Computer Corporation\\Norvik Kelvane Connection for SMS\\CurrentVersion";
const char kTng[] =
    "SOFTWARE\\Norvik Computer Corporation\\Kelvane Connection for Unicenter TNG\\CurrentVersion";
const char kComponent[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Components\\"
    "E2A7C4190B5D38F6A1C9D07E4B2F6A53";
const char kFirstProduct[] = "5D0C8E3A71F94B26C8E1A0B7D3F5294C";
const char kSecondProduct[] = "9F6B2E0D4C1A7358B0E2D94C6A1F8E07";

using MachineSetup = std::function<void(SoftwareMachine&)>;

struct KvilCase {
  const char* name;
  bool library;
  std::map<std::string, std::int32_t> exports;
  bool expected;
  std::vector<std::string> calls;
};

TEST(HasEarlierNodeOrStation, AsksTheStationOnlyWhenTheNodeDoesNotAnswerOne) {
  const std::string node = "KVIL32.DLL!CheckForOldKVNode";
  const std::string station = "KVIL32.DLL!CheckForOldKVStation";
  const KvilCase cases[] = {
      {"LibraryMissing", false, {}, false, {}},
      {"NodeOne", true, {{"CheckForOldKVNode", 1}, {"CheckForOldKVStation", 1}}, true, {node}},
      {"NodeTwoStationOne",
       true,
       {{"CheckForOldKVNode", 2}, {"CheckForOldKVStation", 1}},
       true,
       {node, station}},
      {"NodeTwoStationTwo",
       true,
       {{"CheckForOldKVNode", 2}, {"CheckForOldKVStation", 2}},
       false,
       {node, station}},
      {"NodeZeroStationZero",
       true,
       {{"CheckForOldKVNode", 0}, {"CheckForOldKVStation", 0}},
       false,
       {node, station}},
      {"NodeMissingStationOne", true, {{"CheckForOldKVStation", 1}}, true, {station}},
      {"NodeMinusOneStationMissing", true, {{"CheckForOldKVNode", -1}}, false, {node}},
      {"NoExports", true, {}, false, {}},
  };
  for (const KvilCase& c : cases) {
    SoftwareMachine setup;
    if (c.library) setup.Library("KVIL32.DLL", c.exports);
    InstalledMachine machine(setup.machine);
    EXPECT_EQ(RowHolds("OLDKVCHECK"), c.expected) << c.name;
    EXPECT_EQ(sim::CurrentRuntime().libraries.calls, c.calls) << c.name;
    ExpectNothingLeftOpen(c.name);
  }
}

// How many handles the run has handed out so far: each successful open of a
// key takes one.
std::uintptr_t HandlesHandedOut() { return (sim::CurrentRuntime().next_handle - 0x1000) / 4; }

TEST(HasEarlierStorageManagerWithSuite, NeedsAnApplicationKeyAndTheSuiteUninstallKey) {
  struct Case {
    const char* name;
    bool systems_management, management_station, suite;
    bool expected;
    std::uintptr_t opens;
  };
  const Case cases[] = {
      {"SuiteAlone", false, false, true, false, 0},
      {"StationAndSuite", false, true, true, true, 2},
      {"SystemsManagementAndSuite", true, false, true, true, 2},
      // The station key is not probed once the systems-management key is found.
      {"BothApplicationsAndSuite", true, true, true, true, 2},
      {"BothApplicationsWithoutSuite", true, true, false, false, 1},
      {"StationWithoutSuite", false, true, false, false, 1},
      {"Nothing", false, false, false, false, 0},
  };
  for (const Case& c : cases) {
    SoftwareMachine setup;
    if (c.systems_management) setup.Key(kSystemsManagement);
    if (c.management_station) setup.Key(kManagementStation);
    if (c.suite) setup.Key(kSuiteUninstall);
    InstalledMachine machine(setup.machine);
    EXPECT_EQ(RowHolds("OLDQRWITHKVI"), c.expected) << c.name;
    EXPECT_EQ(HandlesHandedOut(), c.opens) << c.name;
    ExpectNothingLeftOpen(c.name);
  }
}

struct RegistryCase {
  const char* name;
  MachineSetup setup;
  bool expected;
};

void ExpectRow(const char* keyword, const std::vector<RegistryCase>& cases) {
  for (bool sixty_four_bit : {false, true}) {
    for (const RegistryCase& c : cases) {
      SoftwareMachine setup(sixty_four_bit);
      c.setup(setup);
      InstalledMachine machine(setup.machine);
      const std::string name = std::string(c.name) + (sixty_four_bit ? " on x64" : "");
      EXPECT_EQ(RowHolds(keyword), c.expected) << name;
      ExpectNothingLeftOpen(name);
    }
  }
}

TEST(HasRemoteAccessCardNode, NeedsSystemsManagementAndACurrentVersion) {
  const auto version = [](std::string text) {
    return [text](SoftwareMachine& m) { m.String(kRemoteAccessCardNode, "CurrentVersion", text); };
  };
  const auto with_sm = [](MachineSetup more) {
    return [more](SoftwareMachine& m) {
      m.Key(kSystemsManagement);
      more(m);
    };
  };
  ExpectRow(
      "RACMNINSTALLED",
      {
          {"Installed", with_sm(version("1.2.0")), true},
          {"NoSystemsManagement", version("1.2.0"), false},
          {"EmptyVersion", with_sm(version("")), false},
          {"KeyWithoutVersion", with_sm([](SoftwareMachine& m) { m.Key(kRemoteAccessCardNode); }), false},
          {"NumericVersionZero",
           with_sm([](SoftwareMachine& m) { m.Dword(kRemoteAccessCardNode, "CurrentVersion", 0); }), true},
          {"VersionLongerThan1024Bytes", with_sm(version(std::string(1500, '1'))), false},
      });
}

TEST(HasNetworkManagerServer, NeedsAServerOfVersion1AndItsDisplayName) {
  struct Parts {
    const char* version = "1.0";  // null: no value
    MachineSetup server = [](SoftwareMachine& m) { m.String(kNetworkManager, "server", "1"); };
    MachineSetup uninstall = [](SoftwareMachine& m) {
      m.String(kNetworkManagerUninstall, "DisplayName", "Norvik Kelvane Network Manager");
    };
  };
  const auto make = [](Parts parts) {
    return [parts](SoftwareMachine& m) {
      m.Key(kNetworkManager);
      if (parts.version) m.String(kNetworkManager, "version", parts.version);
      parts.server(m);
      parts.uninstall(m);
    };
  };
  const auto server = [](MachineSetup s) {
    Parts p;
    p.server = s;
    return p;
  };
  const auto version = [](const char* v) {
    Parts p;
    p.version = v;
    return p;
  };
  const auto name = [](std::string text) {
    Parts p;
    p.uninstall = [text](SoftwareMachine& m) { m.String(kNetworkManagerUninstall, "DisplayName", text); };
    return p;
  };
  const MachineSetup nothing = [](SoftwareMachine&) {};
  ExpectRow("KVNMCHECK",
            {
                {"Installed", make(Parts()), true},
                {"NoNetworkManagerKey", [](SoftwareMachine& m) { m.Key(kNetworkManagerUninstall); }, false},
                {"Version2", make(version("2.5")), true},
                {"Version0", make(version("0.9")), false},
                {"EmptyVersion", make(version("")), false},
                {"NoVersion", make(version(nullptr)), false},
                {"VersionHighByte", make(version("\x91")), false},
                {"ServerStringZero",
                 make(server([](SoftwareMachine& m) { m.String(kNetworkManager, "server", "0"); })), true},
                {"ServerNumber256",
                 make(server([](SoftwareMachine& m) { m.Dword(kNetworkManager, "server", 256); })), false},
                {"ServerNumber1",
                 make(server([](SoftwareMachine& m) { m.Dword(kNetworkManager, "server", 1); })), true},
                {"ServerEmptyString",
                 make(server([](SoftwareMachine& m) { m.String(kNetworkManager, "server", ""); })), false},
                {"NoServer", make(server(nothing)), false},
                {"ServerOf256Bytes", make(server([](SoftwareMachine& m) {
                   m.String(kNetworkManager, "server", std::string(255, 'S'));
                 })),
                 true},
                {"ServerLongerThan256Bytes", make(server([](SoftwareMachine& m) {
                   m.String(kNetworkManager, "server", std::string(256, 'S'));
                 })),
                 false},
                {"NameInOtherCase", make(name("NORVIK kelvane NETWORK manager")), true},
                {"NameWithTrailingBlank", make(name("Norvik Kelvane Network Manager ")), false},
                {"OtherName", make(name("Norvik Kelvane Network")), false},
                // Readable, it would match up to its NUL; at 300 bytes it is not read.
                {"NameLongerThan256Bytes",
                 make(name("Norvik Kelvane Network Manager" + std::string(1, '\0') + std::string(300, 'x'))),
                 false},
                {"NoDisplayName", make(name("")), false},
                {"NoUninstallKey",
                 [&](SoftwareMachine& m) {
                   Parts p;
                   p.uninstall = nothing;
                   make(p)(m);
                 },
                 false},
            });
}

TEST(HasOldConnectionProduct, FindsAnyEarlierConnectionProduct) {
  const auto version = [](const char* key, std::string text) {
    return [key, text](SoftwareMachine& m) { m.String(key, "Version", text); };
  };
  const auto key = [](const char* path) { return [path](SoftwareMachine& m) { m.Key(path); }; };
  const auto both = [](MachineSetup a, MachineSetup b) {
    return [a, b](SoftwareMachine& m) {
      a(m);
      b(m);
    };
  };
  ExpectRow(
      "TQAROCKSCHECK",
      {
          {"Nothing", [](SoftwareMachine&) {}, false},
          {"NnmWithoutVersion", key(kNnm), true},
          {"Nnm2.1", version(kNnm, "2.1"), true},
          {"Nnm10.0", version(kNnm, "10.0"), true},
          {"Nnm2.2", version(kNnm, "2.2"), false},
          {"Nnm3.0", version(kNnm, "3.0"), false},
          {"NnmTwoCharacters", version(kNnm, "2."), true},
          {"NnmOneCharacter", version(kNnm, "2"), true},
          {"Sms1.1", version(kSms, "1.1"), true},
          {"Sms1.2", version(kSms, "1.2"), false},
          {"Sms0.9", version(kSms, "0.9"), false},
          {"Sms2.0", version(kSms, "2.0"), false},
          {"SmsWithoutVersion", key(kSms), false},
          {"SmsTwoCharacters", version(kSms, "1."), true},
          {"SmsOneCharacter", version(kSms, "1"), true},
          {"Tng1.2", version(kTng, "1.2"), true},
          {"Tng1.3", version(kTng, "1.3"), false},
          {"TngOneCharacter", version(kTng, "1"), true},
          {"TngWithoutVersion", key(kTng), false},
          {"TngPathNameIsNotTheVersion", [](SoftwareMachine& m) { m.String(kTng, "PathName", "1.0"); },
           false},
          {"NnmVersionLongerThan256Bytes", version(kNnm, "3" + std::string(300, '0')), true},
          {"CurrentNnmThenOldSms", both(version(kNnm, "3.0"), version(kSms, "1.0")), true},
          {"CurrentNnmThenOldTng", both(version(kNnm, "2.5"), version(kTng, "1.0")), true},
          {"AllCurrent", both(version(kNnm, "2.5"), both(version(kSms, "2.0"), version(kTng, "2.0"))), false},
      });
}

TEST(QrmnCheck, HoldsWhenTheManagedNodeKeyIsPresent) {
  ExpectRow("QRMNCHECK", {
                             {"Present", [](SoftwareMachine& m) { m.Key(kQrNode); }, true},
                             {"Absent", [](SoftwareMachine& m) { m.Key(kApplications); }, false},
                         });
  // On 64-bit Windows a key of the native view alone is not seen.
  SoftwareMachine setup(true);
  setup.machine.registry.Create("HKLM\\" + kQrNode);
  InstalledMachine machine(setup.machine);
  EXPECT_FALSE(RowHolds("QRMNCHECK"));
}

TEST(QrmsCheck, HoldsForTheFirstProductWithoutTheSecond) {
  const auto values = [](const char* first, const char* second) {
    return [first, second](SoftwareMachine& m) {
      m.Key(kComponent);
      if (first) m.String(kComponent, kFirstProduct, first);
      if (second) m.String(kComponent, kSecondProduct, second);
    };
  };
  const char path[] = "C:\\Program Files\\Norvik\\qrms.exe";
  ExpectRow("QRMSCHECK", {
                             {"BothProducts", values(path, path), false},
                             {"FirstOnly", values(path, nullptr), true},
                             {"FirstEmpty", values("", nullptr), false},
                             {"SecondEmpty", values(path, ""), true},
                             {"SecondOnly", values(nullptr, path), false},
                             {"NoComponentKey", [](SoftwareMachine&) {}, false},
                         });
}

TEST(EarlierSoftwareChecks, AUserWhoIsNotElevatedSeesOnlyTheKeysReadForReading) {
  struct Case {
    const char* keyword;
    MachineSetup setup;
    bool holds_when_not_elevated;
  };
  const Case cases[] = {
      {"KVNMCHECK",
       [](SoftwareMachine& m) {
         m.String(kNetworkManager, "version", "1.0")
             .String(kNetworkManager, "server", "1")
             .String(kNetworkManagerUninstall, "DisplayName", "Norvik Kelvane Network Manager");
       },
       false},
      {"TQAROCKSCHECK", [](SoftwareMachine& m) { m.String(kSms, "Version", "1.0"); }, false},
      {"OLDQRWITHKVI", [](SoftwareMachine& m) { m.Key(kSystemsManagement).Key(kSuiteUninstall); }, true},
      {"RACMNINSTALLED",
       [](SoftwareMachine& m) {
         m.Key(kSystemsManagement).String(kRemoteAccessCardNode, "CurrentVersion", "1.0");
       },
       true},
      {"QRMNCHECK", [](SoftwareMachine& m) { m.Key(kQrNode); }, true},
      {"QRMSCHECK", [](SoftwareMachine& m) { m.String(kComponent, kFirstProduct, "C:\\qrms.exe"); }, true},
      {"OLDKVCHECK",
       [](SoftwareMachine& m) {
         m.Library("KVIL32.DLL", {{"CheckForOldKVNode", 1}});
       },
       true},
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
    EXPECT_EQ(RowHolds(c.keyword), c.holds_when_not_elevated) << c.keyword << " not elevated";
    ExpectNothingLeftOpen(c.keyword);
  }
}

}  // namespace
