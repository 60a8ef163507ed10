// SIGNCHECK: the Authenticode signature of one of the installation's packages.
#pragma once

#include <string>

#include "platform/platform.h"

// The package path of a tag ("NODE", "STATION", "KESTRELDOCS",
// "KESTRELDRIVER", in any letter case), relative to the current directory;
// empty for any other tag.
std::string PackagePathForTag(const std::string& tag);

// False only when the tag names a package that is present as a file and
// whose signature does not verify; true otherwise.
bool VerifyPackageSignature(const std::string& tag);

// What the trust service finds for the file's Authenticode signature: 0 when
// it verifies, else its error (TRUST_E_NOSIGNATURE, ...), as the signature
// check asks it.
LONG TrustVerdictOf(const std::string& path);

// Whether the path names an entry that is not a folder.
bool FileExists(const std::string& path);
