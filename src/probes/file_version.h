// The version of a file as dotted text.
#pragma once

#include <string>

// "%d.%d.%d.%d" of the file version in the file's version resource, or
// empty when none can be read. On 64-bit Windows the 64-bit companion
// fileversion_x64 reads it, so that system32 means the native folder.
std::string GetFileVersionString(const std::string& path);
