// SIGNCHECK: the Authenticode signature of one of the installation's packages.
#pragma once

#include <string>

// The package path of a tag ("NODE", "STATION", "KESTRELDOCS",
// "KESTRELDRIVER", in any letter case), relative to the current directory;
// empty for any other tag.
std::string PackagePathForTag(const std::string& tag);

// False only when the tag names a package that is present as a file and
// whose signature does not verify; true otherwise.
bool VerifyPackageSignature(const std::string& tag);

// Whether the path names an entry that is not a folder.
bool FileExists(const std::string& path);
