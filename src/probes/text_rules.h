// Text rules that several checks share.
#pragma once

#include <cstdint>
#include <string>

// The C run-time's atoi rule: leading white space, an optional sign, then
// decimal digits up to the first other character; no digits give 0. Values
// beyond the 32-bit range saturate at the nearest limit instead of wrapping.
std::int32_t AtoiSaturating(const char* text);

// The run-time's multibyte-aware case-insensitive comparison, as used for
// keywords, tags, selectors, folder names and package versions.
int CompareNoCase(const char* a, const char* b);
inline bool EqualsNoCase(const char* a, const char* b) { return CompareNoCase(a, b) == 0; }

// Bytes up to the first zero byte, or all of them when none is zero.
std::string TextUpToNul(const char* data, std::size_t size);
