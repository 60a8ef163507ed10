#include "checks/package/installer.h"

#include "platform/platform.h"
#include "probes/file_version.h"
#include "probes/os_facts.h"
#include "probes/registry.h"
#include "probes/text_rules.h"

const char kInstallerBusyKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\InProgress";

bool IsInstallerVersionBelowMinimum(const std::string& version) {
  const std::size_t dot = version.find('.');
  if (dot == std::string::npos || dot == 0 || dot + 1 == version.size()) return false;
  const std::string major = version.substr(0, dot);
  const std::string rest = version.substr(dot + 1);
  const std::size_t second = rest.find('.');
  if (second == std::string::npos || second == 0) return false;
  const std::string minor = rest.substr(0, second);
  const std::int32_t major_number = AtoiSaturating(major.c_str());
  const std::int32_t minor_number = AtoiSaturating(minor.c_str());
  return major_number < 3 || (major_number == 3 && minor_number < 1);
}

bool IsInstallerVersionSufficient() {
  // Only the Server 2003 family is held to the minimum.
  if (!MeetsOsLevel(false)) return true;
  const std::string location = ReadRegString(
      HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer", "InstallerLocation");
  if (location.empty()) return true;
  // Joined as stored: a location ending in "\" gives a doubled backslash, which Windows accepts.
  return !IsInstallerVersionBelowMinimum(GetFileVersionString(location + "\\msiexec.exe"));
}
