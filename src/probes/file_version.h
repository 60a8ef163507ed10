// The version of a file as dotted text.
#pragma once

#include <string>

// "%d.%d.%d.%d" of the file version in the file's version resource, or
// empty when none can be read. On 64-bit Windows the 64-bit companion
// fileversion_x64 reads it, so that system32 means the native folder.
std::string GetFileVersionString(const std::string& path);

// The companion's output read back: at most 256 bytes of the file, as text,
// up to the first NUL. Empty when the file cannot be opened.
std::string ReadCompanionOutput(const std::string& output_file);
