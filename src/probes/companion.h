// The 64-bit companion fileversion_x64: a file's version as a 64-bit
// program sees the file, so that system32 means the native folder.
#pragma once

#include <string>

// Runs "fileversion_x64 PATH OUTPUT", OUTPUT being the value of "temp"
// followed by `output_under_temp` ("\tmp_ver.txt"), and reads back what the
// companion wrote: at most 256 bytes of OUTPUT, as text, up to the first
// NUL. Empty when "temp" is not set, the companion cannot start, fails or
// does not end in time, or OUTPUT cannot be opened. An empty "temp" still
// runs it, with OUTPUT in the root of the current drive; a file left by an
// earlier run is read again, as the companion may exit 0 without writing.
std::string VersionThroughCompanion(const std::string& path, const char* output_under_temp);
