// VERSIONCHECK: how the package on the medium relates to the installed product.
#pragma once

#include <cstdint>
#include <string>

enum class VersionOutcome { kNone, kMajorUpgrade, kMinorUpgrade, kSameVersion, kDowngrade };

// The textual comparison of the package version with the installed one:
// case-insensitive, byte by byte, so 10.0 sorts before 9.0. kNone when either
// is empty, or when a newer package's versions cannot be split at a ".".
VersionOutcome ClassifyPackageVersion(const std::string& installed, const std::string& package);

// The outcome for a selector ("MN", "MS", or any other for ZR4000) from the
// installed version and hwlist.ini's, without recording anything; `package`,
// when given, receives the package version read.
VersionOutcome PackageVersionOutcome(const std::string& selector, std::string* package = nullptr);

// Sets `status` and `description` from the pair of argv entries that belong
// to the outcome (3/4 major, 5/6 minor, 7/8 same, 9/10 downgrade), or to 0 and
// empty. Records the package version under PreReqChecks as a value named
// `selector` on every run whose keys can be made.
void ComparePackageVersion(const std::string& selector, int argc, char** argv, std::int32_t& status,
                           std::string& description);
