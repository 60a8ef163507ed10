// ComparePackageVersion with arbitrary installed and package versions and an
// argument vector of any length. The input: one byte of machine facts, then
// texts cut at NUL bytes: the ZR4000, systems-management and management-
// station versions (empty: no value), the hwlist.ini line's value, the
// selector, and the argument vector's entries.
#include <string>

#include "checks/package/hwlist.h"
#include "checks/package/version_check.h"
#include "fuzz_support.h"
#include "platform/platform.h"
#include "probes/registry.h"
#include "probes/text_rules.h"
#include "sim/machine/machine.h"

namespace {

const char kApplications[] = "SOFTWARE\\Norvik Computer Corporation\\Kelvane\\Applications\\";
const char kPreReqChecks[] = "SOFTWARE\\Norvik Computer Corporation\\Kelvane\\PreReqChecks";

std::string Take(std::vector<std::string>& texts) {
  if (texts.empty()) return std::string();
  std::string text = texts.front();
  texts.erase(texts.begin());
  return text;
}

bool IsUpgrade(VersionOutcome outcome) {
  return outcome == VersionOutcome::kMajorUpgrade || outcome == VersionOutcome::kMinorUpgrade;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return -1;
  const std::uint8_t facts = data[0];
  std::vector<std::string> texts = fuzz::SplitAtNul(data + 1, size - 1);
  const std::string products[] = {"ZR4000", "SystemsManagement", "ManagementStation"};
  sim::Machine machine;
  machine.user.elevated = !(facts & 1);
  machine.os.is_64bit = (facts & 2) != 0;
  machine.current_directory = "C:\\kvpackage";
  machine.files.AddFolder(machine.current_directory);
  // The 32-bit view the checker reads: on a 64-bit machine, under Wow6432Node.
  const std::string software = machine.os.is_64bit ? "HKLM\\SOFTWARE\\Wow6432Node\\" : "HKLM\\SOFTWARE\\";
  machine.registry.Create(software);  // Windows always has it
  for (const std::string& product : products) {
    const std::string version = Take(texts);
    const std::string key = software + (kApplications + 9) + product;
    if (!version.empty()) machine.registry.SetString(key, "Version", version);
  }
  const std::string line_value = Take(texts);
  if (!(facts & 4))
    machine.files.AddFile("C:\\kvpackage\\hwlist.ini", "ProductVersion=" + line_value + "\r\n");
  const std::string selector = Take(texts);
  const fuzz::ArgumentVector arguments(texts, false);
  sim::Use(std::move(machine));

  std::int32_t status = 12345;
  std::string description = "unchanged";
  ComparePackageVersion(selector, arguments.argc(), arguments.argv(), status, description);
  FUZZ_CHECK(sim::CurrentRuntime().LeftOpen().empty());

  // What the check should have found, read the way the checker reads it.
  const std::string package = ReadHwListProductVersion();
  const char* product = EqualsNoCase(selector.c_str(), "MN")   ? "SystemsManagement"
                        : EqualsNoCase(selector.c_str(), "MS") ? "ManagementStation"
                                                               : "ZR4000";
  const std::string installed =
      ReadRegString(HKEY_LOCAL_MACHINE, (std::string(kApplications) + product).c_str(), "Version");
  const VersionOutcome outcome = ClassifyPackageVersion(installed, package);
  int entry = 0;
  if (outcome == VersionOutcome::kMajorUpgrade) entry = 3;
  if (outcome == VersionOutcome::kMinorUpgrade) entry = 5;
  if (outcome == VersionOutcome::kSameVersion) entry = 7;
  if (outcome == VersionOutcome::kDowngrade) entry = 9;
  if (entry == 0 || arguments.argc() < 11) {
    FUZZ_CHECK(status == 0 && description.empty());
  } else {
    FUZZ_CHECK(status == AtoiSaturating(arguments.argv()[entry]));
    FUZZ_CHECK(description == arguments.argv()[entry + 1]);
  }

  // The textual order is one order: swapping the versions swaps the outcome.
  const VersionOutcome swapped = ClassifyPackageVersion(package, installed);
  if (installed.empty() || package.empty()) {
    FUZZ_CHECK(outcome == VersionOutcome::kNone && swapped == VersionOutcome::kNone);
  } else {
    FUZZ_CHECK((outcome == VersionOutcome::kSameVersion) == (swapped == VersionOutcome::kSameVersion));
    FUZZ_CHECK((outcome == VersionOutcome::kSameVersion) ==
               (CompareNoCase(package.c_str(), installed.c_str()) == 0));
    FUZZ_CHECK(outcome != VersionOutcome::kDowngrade || IsUpgrade(swapped) ||
               swapped == VersionOutcome::kNone);
    FUZZ_CHECK(!IsUpgrade(outcome) || swapped == VersionOutcome::kDowngrade);
    FUZZ_CHECK(ClassifyPackageVersion(package, package) == VersionOutcome::kSameVersion);
  }

  // The package version is recorded, under the selector as passed, whenever the keys can be made.
  if (!(facts & 1)) FUZZ_CHECK(ReadRegString(HKEY_LOCAL_MACHINE, kPreReqChecks, selector.c_str()) == package);
  sim::Use(sim::Machine());
  return 0;
}
