// Decisions on version texts read from the registry. Versions are never
// parsed as numbers: a test looks at single characters and compares their
// codes as signed 8-bit values, so bytes 0x80 to 0xFF and the terminating
// NUL sort below every digit.
#pragma once

#include <cstddef>
#include <string>

// The character at the index as a signed 8-bit value; NUL for an index at or
// past the end, as if the text went on in terminators.
signed char VersionCharAt(const std::string& text, std::size_t index);

// A database engine of generation 8 or later: the first character is "8" or above.
bool IsEngineVersion8(const std::string& version);
// The network manager of version 1 or later: the first character is "1" or above.
bool IsNetworkManagerVersion1OrLater(const std::string& version);
// Connection products that are too old to keep: NNM below 2.2 (or no
// version at all), SMS 1.0 and 1.1, Unicenter TNG 1.0 to 1.2.
bool IsOldNnmConnectionVersion(const std::string& version);
bool IsOldSmsConnectionVersion(const std::string& version);
bool IsOldUnicenterConnectionVersion(const std::string& version);
