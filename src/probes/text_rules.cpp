#include "probes/text_rules.h"

#include <cstring>
#include <limits>

#include "platform/platform.h"

std::int32_t AtoiSaturating(const char* text) {
  const char* p = text;
  // The run-time's isspace in the C locale: blank, tab and \n \v \f \r.
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = (*p++ == '-');
  const std::int64_t limit = negative ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
                                      : std::numeric_limits<std::int32_t>::max();
  std::int64_t value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value >= limit) {
      value = limit;
      // Consume the rest of the digits; the value stays at the limit.
    }
  }
  return static_cast<std::int32_t>(negative ? -value : value);
}

int CompareNoCase(const char* a, const char* b) { return crt::mbsicmp(a, b); }

std::string TextUpToNul(const char* data, std::size_t size) {
  const void* nul = std::memchr(data, 0, size);
  return std::string(data, nul ? static_cast<const char*>(nul) - data : size);
}
