#include "checks/software/version_rules.h"

signed char VersionCharAt(const std::string& text, std::size_t index) {
  return index < text.size() ? static_cast<signed char>(text[index]) : '\0';
}

bool IsEngineVersion8(const std::string& version) { return VersionCharAt(version, 0) >= '8'; }

bool IsNetworkManagerVersion1OrLater(const std::string& version) { return VersionCharAt(version, 0) >= '1'; }

bool IsOldNnmConnectionVersion(const std::string& version) {
  const signed char first = VersionCharAt(version, 0);
  return first < '2' || (first == '2' && VersionCharAt(version, 2) < '2');
}

bool IsOldSmsConnectionVersion(const std::string& version) {
  return VersionCharAt(version, 0) == '1' && VersionCharAt(version, 2) < '2';
}

bool IsOldUnicenterConnectionVersion(const std::string& version) {
  return VersionCharAt(version, 0) == '1' && VersionCharAt(version, 2) < '3';
}
