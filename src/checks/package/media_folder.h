// KRCDFOLDERCHECK: the folder the checker runs from on a compact disc.
#pragma once

#include <string>

// The folder of the install medium, a backslash at both ends.
extern const char kMediaFolder[];

// The directory after its drive ("D:"), with a backslash at both ends.
std::string FolderAfterDrive(const std::string& directory);

// False only when the current directory is on a CD drive and is another
// folder than `expected` (compared without regard to case).
bool IsExpectedMediaFolder(const char* expected);
