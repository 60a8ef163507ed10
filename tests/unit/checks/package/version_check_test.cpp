#include "checks/package/version_check.h"

#include <gtest/gtest.h>

#include <vector>

#include "sim/profile/known_machines.h"
#include "support/installed_machine.h"
#include "support/nothing_left_open.h"

namespace {

const char kApplications[] = "HKLM\\SOFTWARE\\Norvik Computer Corporation\\Kelvane\\Applications\\";
const char kPreReqChecks[] = "HKLM\\SOFTWARE\\Norvik Computer Corporation\\Kelvane\\PreReqChecks";

TEST(ClassifyPackageVersion, ComparesAsText) {
  const struct {
    const char* installed;
    const char* package;
    VersionOutcome outcome;
  } cases[] = {
      {"4.1", "4.2", VersionOutcome::kMinorUpgrade},
      {"4.9", "5.0", VersionOutcome::kMajorUpgrade},
      {"5.0", "4.9", VersionOutcome::kDowngrade},
      {"2.1.0A", "2.1.0a", VersionOutcome::kSameVersion},
      {"9.0", "10.0", VersionOutcome::kDowngrade},  // "1" sorts before "9"
      {"2.9", "2.10", VersionOutcome::kDowngrade},
      {"2.1", "2.1.1", VersionOutcome::kMinorUpgrade},  // a prefix sorts first
      {"4", "5", VersionOutcome::kNone},                // no "." on the newer branch
      {"5", "4", VersionOutcome::kDowngrade},           // "." is not looked for here
      {"4.0", "5", VersionOutcome::kNone},
      {".4", "5.0", VersionOutcome::kNone},
      {"4.0", "04.1", VersionOutcome::kDowngrade},
      {"04.0", "4.1", VersionOutcome::kMajorUpgrade},  // 04 and 4 differ as text
      {"v4.0", "V4.5", VersionOutcome::kMinorUpgrade},
      {"", "4.0", VersionOutcome::kNone},
      {"4.0", "", VersionOutcome::kNone},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ClassifyPackageVersion(c.installed, c.package), c.outcome)
        << c.installed << " -> " << c.package;
}

struct Outcome {
  std::int32_t status;
  std::string description;
};

// Runs VERSIONCHECK with the ten entries, or the first `entries` of them.
Outcome RunVersionCheck(const std::string& selector, int entries = 11) {
  std::vector<std::string> words = {"kvchecks.exe", "VERSIONCHECK", selector, "13", "MAJOR", "15",
                                    "MINOR",        "17",           "SAME",   "19", "DOWN"};
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  std::int32_t status = 99;
  std::string description = "DESC";
  ComparePackageVersion(selector, entries, argv.data(), status, description);
  return {status, description};
}

sim::Machine PackageMachine(const char* package_version) {
  sim::Machine machine = sim::Server2003(2, false);
  machine.current_directory = "D:\\windows\\rodadazadezad";
  if (package_version)
    machine.files.AddFile("D:\\windows\\rodadazadezad\\hwlist.ini",
                          std::string("[Product]\r\nProductVersion=") + package_version + "\r\n");
  return machine;
}

TEST(ComparePackageVersion, ReportsThePairOfTheOutcome) {
  const struct {
    const char* name;
    const char* selector;
    const char* zr4000;  // null: no value
    const char* systems_management;
    const char* management_station;
    const char* package;
    Outcome expected;
  } cases[] = {
      {"MinorUpgrade", "XX", "4.1", nullptr, nullptr, "4.2", {15, "MINOR"}},
      {"MajorUpgrade", "XX", "4.9", nullptr, nullptr, "5.0", {13, "MAJOR"}},
      {"Downgrade", "XX", "5.0", nullptr, nullptr, "4.9", {19, "DOWN"}},
      {"SameIgnoringCase", "XX", "4.2b", nullptr, nullptr, "4.2B", {17, "SAME"}},
      {"TextualDowngrade", "XX", "9.0", nullptr, nullptr, "10.0", {19, "DOWN"}},
      {"NoDotOnNewerBranch", "XX", "4", nullptr, nullptr, "5", {0, ""}},
      {"NoDotDowngrade", "XX", "5", nullptr, nullptr, "4", {19, "DOWN"}},
      {"NotInstalled", "XX", nullptr, nullptr, nullptr, "4.2", {0, ""}},
      {"NoHwList", "XX", "4.1", nullptr, nullptr, nullptr, {0, ""}},
      {"MnSelectsSystemsManagement", "MN", "1.0", "4.1", "9.0", "4.2", {15, "MINOR"}},
      {"LowerCaseMn", "mn", "1.0", "4.1", "9.0", "4.2", {15, "MINOR"}},
      {"MsSelectsManagementStation", "Ms", "1.0", "4.1", "4.2", "4.2", {17, "SAME"}},
      {"MnWithoutItsKeyIgnoresZr4000", "MN", "4.1", nullptr, nullptr, "4.2", {0, ""}},
      {"OtherSelectorReadsZr4000", "MNX", "4.1", "9.9", "9.9", "4.2", {15, "MINOR"}},
      {"EmptySelectorReadsZr4000", "", "4.1", "9.9", "9.9", "4.2", {15, "MINOR"}},
  };
  for (const auto& c : cases) {
    sim::Machine machine = PackageMachine(c.package);
    if (c.zr4000) machine.registry.SetString(std::string(kApplications) + "ZR4000", "Version", c.zr4000);
    if (c.systems_management)
      machine.registry.SetString(std::string(kApplications) + "SystemsManagement", "Version",
                                 c.systems_management);
    if (c.management_station)
      machine.registry.SetString(std::string(kApplications) + "ManagementStation", "Version",
                                 c.management_station);
    InstalledMachine scoped(machine);
    const Outcome outcome = RunVersionCheck(c.selector);
    EXPECT_EQ(outcome.status, c.expected.status) << c.name;
    EXPECT_EQ(outcome.description, c.expected.description) << c.name;
  }
}

TEST(ComparePackageVersion, RecordsThePackageVersionUnderTheSelectorsName) {
  const struct {
    std::string selector;
    const char* package;
    const char* recorded;  // null: no value is written
  } cases[] = {
      {"mn", "4.2", "4.2"},
      {"", "4.2", "4.2"},   // the key's default value
      {"MS", nullptr, ""},  // no package version: written empty
      {std::string(16383, 'n'), "4.2", "4.2"},
      {std::string(16384, 'n'), "4.2", nullptr},  // longer than a value name may be: skipped silently
  };
  for (const auto& c : cases) {
    sim::Machine machine = PackageMachine(c.package);
    InstalledMachine scoped(machine);
    RunVersionCheck(c.selector);
    const std::string label = c.selector.substr(0, 8) + " (" + std::to_string(c.selector.size()) + ")";
    const sim::RegValue* value = sim::Current().registry.GetValue(kPreReqChecks, c.selector);
    EXPECT_TRUE(sim::CurrentRuntime().open_keys.empty()) << label;
    if (!c.recorded) {
      EXPECT_EQ(value, nullptr) << label;
      continue;
    }
    ASSERT_TRUE(value) << label;
    EXPECT_EQ(value->name, c.selector);
    EXPECT_EQ(value->type, 1u);
    EXPECT_EQ(sim::WideToAnsi(sim::BytesToWide(value->data)), std::string(c.recorded) + '\0');
    EXPECT_TRUE(NothingLeftOpen());
  }
}

TEST(ComparePackageVersion, ReadsAndRecordsInThe32BitViewOn64BitWindows) {
  sim::Machine machine = sim::Server2003(2, true);
  machine.current_directory = "D:\\kit";
  machine.files.AddFile("D:\\kit\\hwlist.ini", "ProductVersion=4.2\n");
  machine.registry.SetString(
      "HKLM\\SOFTWARE\\Wow6432Node\\Norvik Computer Corporation\\Kelvane\\Applications\\ZR4000", "Version",
      "4.1");
  machine.registry.SetString(std::string(kApplications) + "ZR4000", "Version", "4.2");  // the 64-bit view
  InstalledMachine scoped(machine);
  const Outcome outcome = RunVersionCheck("XX");
  EXPECT_EQ(outcome.description, "MINOR");
  EXPECT_NE(sim::Current().registry.GetValue(
                "HKLM\\SOFTWARE\\Wow6432Node\\Norvik Computer Corporation\\Kelvane\\PreReqChecks", "XX"),
            nullptr);
  EXPECT_EQ(sim::Current().registry.Find(kPreReqChecks), nullptr);
}

TEST(ComparePackageVersion, ANonElevatedUserSkipsTheRecordOnly) {
  sim::Machine machine = PackageMachine("4.2");
  machine.registry.SetString(std::string(kApplications) + "ZR4000", "Version", "4.1");
  machine.user.elevated = false;
  InstalledMachine scoped(machine);
  const Outcome outcome = RunVersionCheck("XX");
  EXPECT_EQ(outcome.status, 15);
  EXPECT_EQ(outcome.description, "MINOR");
  EXPECT_EQ(sim::Current().registry.Find(kPreReqChecks), nullptr);
}

TEST(ComparePackageVersion, AShortCommandLineReportsNothingButStillRecords) {
  sim::Machine machine = PackageMachine("5.0");
  machine.registry.SetString(std::string(kApplications) + "ZR4000", "Version", "4.9");
  for (int entries : {4, 5, 10}) {
    InstalledMachine scoped(machine);
    const Outcome outcome = RunVersionCheck("MNX", entries);
    EXPECT_EQ(outcome.status, 0) << entries;
    EXPECT_EQ(outcome.description, "") << entries;
    EXPECT_NE(sim::Current().registry.GetValue(kPreReqChecks, "MNX"), nullptr) << entries;
  }
}

TEST(ComparePackageVersion, StatusEntriesFollowTheAtoiRule) {
  sim::Machine machine = PackageMachine("4.2");
  machine.registry.SetString(std::string(kApplications) + "ZR4000", "Version", "4.1");
  InstalledMachine scoped(machine);
  std::vector<std::string> words = {"k", "VERSIONCHECK", "X", "1", "a", " -7x", "MINOR", "3", "b", "4", "c"};
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  std::int32_t status = 0;
  std::string description;
  ComparePackageVersion("X", 11, argv.data(), status, description);
  EXPECT_EQ(status, -7);
  EXPECT_EQ(description, "MINOR");
}

}  // namespace
