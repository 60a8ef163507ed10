#include "checks/package/version_check.h"

#include "checks/package/hwlist.h"
#include "platform/platform.h"
#include "probes/registry.h"
#include "probes/text_rules.h"

namespace {

const char kApplications[] = "SOFTWARE\\Norvik Computer Corporation\\Kelvane\\Applications\\";
const char kPreReqChecks[] = "SOFTWARE\\Norvik Computer Corporation\\Kelvane\\PreReqChecks";

std::string InstalledVersion(const char* product) {
  return ReadRegString(HKEY_LOCAL_MACHINE, (std::string(kApplications) + product).c_str(), "Version");
}

// Each key is made only when its parent could be; the first failure ends it.
void RecordPackageVersion(const std::string& selector, const std::string& package) {
  if (CreateSubKey(HKEY_LOCAL_MACHINE, "SOFTWARE", "Norvik Computer Corporation") != 0) return;
  if (CreateSubKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Norvik Computer Corporation", "Kelvane") != 0) return;
  if (CreateSubKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Norvik Computer Corporation\\Kelvane", "PreReqChecks") != 0)
    return;
  WriteRegValue(HKEY_LOCAL_MACHINE, kPreReqChecks, selector.c_str(), package.c_str(), REG_SZ);
}

}  // namespace

VersionOutcome ClassifyPackageVersion(const std::string& installed, const std::string& package) {
  if (installed.empty() || package.empty()) return VersionOutcome::kNone;
  const int order = CompareNoCase(package.c_str(), installed.c_str());
  if (order == 0) return VersionOutcome::kSameVersion;
  if (order < 0) return VersionOutcome::kDowngrade;
  // Only a newer package is split at its first ".".
  const std::size_t installed_dot = installed.find('.');
  const std::size_t package_dot = package.find('.');
  if (installed_dot == std::string::npos || installed_dot == 0 || package_dot == std::string::npos ||
      package_dot == 0)
    return VersionOutcome::kNone;
  const bool same_leading =
      EqualsNoCase(package.substr(0, package_dot).c_str(), installed.substr(0, installed_dot).c_str());
  return same_leading ? VersionOutcome::kMinorUpgrade : VersionOutcome::kMajorUpgrade;
}

VersionOutcome PackageVersionOutcome(const std::string& selector, std::string* package) {
  std::string installed = InstalledVersion("ZR4000");
  const std::string read = ReadHwListProductVersion();
  if (EqualsNoCase(selector.c_str(), "MN"))
    installed = InstalledVersion("SystemsManagement");
  else if (EqualsNoCase(selector.c_str(), "MS"))
    installed = InstalledVersion("ManagementStation");
  if (package) *package = read;
  return ClassifyPackageVersion(installed, read);
}

void ComparePackageVersion(const std::string& selector, int argc, char** argv, std::int32_t& status,
                           std::string& description) {
  status = 0;
  description.clear();
  std::string package;
  const VersionOutcome outcome = PackageVersionOutcome(selector, &package);
  RecordPackageVersion(selector, package);

  // The outcome's pair is read from argv only when all ten entries are there.
  if (argc < 11) return;
  int entry = 0;
  switch (outcome) {
    case VersionOutcome::kMajorUpgrade:
      entry = 3;
      break;
    case VersionOutcome::kMinorUpgrade:
      entry = 5;
      break;
    case VersionOutcome::kSameVersion:
      entry = 7;
      break;
    case VersionOutcome::kDowngrade:
      entry = 9;
      break;
    case VersionOutcome::kNone:
      return;
  }
  status = AtoiSaturating(argv[entry]);
  description = argv[entry + 1];
}
