// The simulated machine's ANSI code page (1252) and its conversions.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sim {

std::u16string AnsiToWide(std::string_view ansi);
// Characters outside the code page become '?', as the platform's default.
std::string WideToAnsi(std::u16string_view wide);
// The code page's lower-case folding of one byte (A to Z only).
unsigned char FoldAnsi(unsigned char c);
// Case-insensitive ordering for names: registry keys, values, files.
struct NoCaseLess {
  bool operator()(std::string_view a, std::string_view b) const;
  using is_transparent = void;
};
bool EqualsNoCase(std::string_view a, std::string_view b);
// UTF-16 as little-endian bytes, the platform's in-memory and file form.
std::vector<std::uint8_t> WideBytes(std::u16string_view wide);
std::string WideByteString(std::u16string_view wide);

}  // namespace sim
