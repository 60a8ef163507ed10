#include "sim/machine/token.h"

#include <cstdlib>

namespace sim {

TokenFacts StandardUserToken() {
  TokenFacts token;
  token.groups = {
      {"S-1-5-21-1004336348-1177238915-682003330-513", kGroupEnabledMandatory, 0, "None", "WORKSTATION"},
      {"S-1-1-0", kGroupEnabledMandatory, 0, "", ""},
      {"S-1-5-32-545", kGroupEnabledMandatory, 0, "", ""},
      {"S-1-5-4", kGroupEnabledMandatory, 0, "", ""},
      {"S-1-5-11", kGroupEnabledMandatory, 0, "", ""},
      {"S-1-5-5-0-61802", kGroupEnabledMandatory | kGroupLogonId, 0, "", ""},
      {"S-1-2-0", kGroupEnabledMandatory, 0, "", ""},
  };
  return token;
}

TokenFacts FilteredAdministratorToken() {
  TokenFacts token;
  for (TokenGroup& group : token.groups)
    if (group.sid == kAdministratorsSid) group.attributes = kGroupDenyOnly;
  return token;
}

std::vector<std::uint8_t> SidFromText(const std::string& text) {
  // S-1-<authority>-<sub authority>..., at most 15 sub-authorities.
  if (text.size() < 4 || (text[0] != 'S' && text[0] != 's') || text[1] != '-') return {};
  std::vector<unsigned long long> numbers;
  std::size_t at = 2;
  while (at <= text.size()) {
    std::size_t end = text.find('-', at);
    if (end == std::string::npos) end = text.size();
    const std::string part = text.substr(at, end - at);
    if (part.empty() || part.find_first_not_of("0123456789") != std::string::npos || part.size() > 15)
      return {};
    numbers.push_back(std::strtoull(part.c_str(), nullptr, 10));
    at = end + 1;
  }
  if (numbers.size() < 2 || numbers.size() > 17 || numbers[0] != 1 || numbers[1] >= (1ull << 48)) return {};
  std::vector<std::uint8_t> sid(8 + 4 * (numbers.size() - 2));
  sid[0] = 1;
  sid[1] = static_cast<std::uint8_t>(numbers.size() - 2);
  for (int i = 0; i < 6; ++i) sid[2 + i] = static_cast<std::uint8_t>(numbers[1] >> (8 * (5 - i)));
  for (std::size_t i = 2; i < numbers.size(); ++i) {
    if (numbers[i] > 0xFFFFFFFFull) return {};
    // Sub-authorities are stored little-endian, as the platform does.
    for (int b = 0; b < 4; ++b) sid[8 + 4 * (i - 2) + b] = static_cast<std::uint8_t>(numbers[i] >> (8 * b));
  }
  return sid;
}

std::size_t SidLength(const std::uint8_t* sid) {
  if (!sid || sid[0] != 1 || sid[1] > 15) return 0;
  return 8 + 4 * static_cast<std::size_t>(sid[1]);
}

std::string SidToText(const std::uint8_t* sid) {
  if (!SidLength(sid)) return std::string();
  unsigned long long authority = 0;
  for (int i = 0; i < 6; ++i) authority = (authority << 8) | sid[2 + i];
  std::string text = "S-1-" + std::to_string(authority);
  for (int i = 0; i < sid[1]; ++i) {
    const std::uint8_t* p = sid + 8 + 4 * i;
    const std::uint32_t value = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                                (static_cast<std::uint32_t>(p[2]) << 16) |
                                (static_cast<std::uint32_t>(p[3]) << 24);
    text += "-" + std::to_string(value);
  }
  return text;
}

}  // namespace sim
