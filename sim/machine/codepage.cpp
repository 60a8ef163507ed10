#include "sim/machine/codepage.h"

#include <algorithm>

namespace sim {
namespace {

// Windows-1252 positions 0x80 to 0x9F; 0 marks the five unassigned bytes,
// which map to the C1 control of the same number, as MultiByteToWideChar does.
constexpr char16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t ToWide(unsigned char c) {
  if (c >= 0x80 && c < 0xA0) return kHigh[c - 0x80] ? kHigh[c - 0x80] : c;
  return c;
}

}  // namespace

std::u16string AnsiToWide(std::string_view ansi) {
  std::u16string wide;
  wide.reserve(ansi.size());
  for (char c : ansi) wide.push_back(ToWide(static_cast<unsigned char>(c)));
  return wide;
}

std::string WideToAnsi(std::u16string_view wide) {
  std::string ansi;
  ansi.reserve(wide.size());
  for (char16_t w : wide) {
    if (w < 0x80 || (w >= 0xA0 && w <= 0xFF)) {
      ansi.push_back(static_cast<char>(w));
      continue;
    }
    const char16_t* found = std::find(std::begin(kHigh), std::end(kHigh), w);
    if (found != std::end(kHigh) && w != 0)
      ansi.push_back(static_cast<char>(0x80 + (found - kHigh)));
    else if (w >= 0x80 && w < 0xA0 && kHigh[w - 0x80] == 0)
      ansi.push_back(static_cast<char>(w));
    else
      ansi.push_back('?');
  }
  return ansi;
}

unsigned char FoldAnsi(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

bool NoCaseLess::operator()(std::string_view a, std::string_view b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return FoldAnsi(static_cast<unsigned char>(x)) < FoldAnsi(static_cast<unsigned char>(y));
  });
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && !NoCaseLess()(a, b) && !NoCaseLess()(b, a);
}

std::vector<std::uint8_t> WideBytes(std::u16string_view wide) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(wide.size() * 2);
  for (char16_t w : wide) {
    bytes.push_back(static_cast<std::uint8_t>(w & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(w >> 8));
  }
  return bytes;
}

std::string WideByteString(std::u16string_view wide) {
  const std::vector<std::uint8_t> bytes = WideBytes(wide);
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace sim
