#include "sim/machine/os_facts.h"

#include "sim/machine/codepage.h"

namespace sim {

bool OsFacts::HasEntryPoint(const std::string& name) const {
  const bool nt = platform == 2;
  const auto at_least = [&](std::uint32_t want_major, std::uint32_t want_minor) {
    return nt && (major > want_major || (major == want_major && minor >= want_minor));
  };
  if (EqualsNoCase(name, "IsWow64Process")) {
    if (has_is_wow64_process) return *has_is_wow64_process;
    // From XP SP2 and Server 2003 SP1; every 64-bit release has it.
    return is_64bit || at_least(6, 0) || (nt && major == 5 && minor == 1 && sp_major >= 2) ||
           (nt && major == 5 && minor == 2 && sp_major >= 1);
  }
  if (EqualsNoCase(name, "GetNativeSystemInfo")) {
    if (has_get_native_system_info) return *has_get_native_system_info;
    return at_least(5, 1);
  }
  if (EqualsNoCase(name, "GetProductInfo")) {
    if (has_get_product_info) return *has_get_product_info;
    return at_least(6, 0);
  }
  return false;
}

}  // namespace sim
