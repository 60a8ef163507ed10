// The simulated Windows version, processor and optional entry points.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sim {

struct OsFacts {
  std::uint32_t major = 5;
  std::uint32_t minor = 2;
  std::uint32_t build = 3790;
  std::uint32_t platform = 2;  // VER_PLATFORM_WIN32_NT
  std::string csd_version = "Service Pack 2";
  std::uint16_t sp_major = 2;
  std::uint16_t sp_minor = 0;
  std::uint16_t suite_mask = 0;
  std::uint8_t product_type = 3;  // VER_NT_SERVER
  bool version_call_fails = false;

  bool is_64bit = false;  // the checker then runs under WOW64
  // PROCESSOR_ARCHITECTURE_*; unset means x86, or AMD64 on a 64-bit machine.
  std::optional<std::uint16_t> native_architecture;
  bool wow64_call_fails = false;   // IsWow64Process returns FALSE
  std::uint32_t product_info = 0;  // what GetProductInfo reports

  // Present or absent kernel32 exports; unset means as the version implies.
  std::optional<bool> has_is_wow64_process;
  std::optional<bool> has_get_native_system_info;
  std::optional<bool> has_get_product_info;

  // Whether kernel32 of this version exports the named optional entry point.
  bool HasEntryPoint(const std::string& name) const;
  std::uint16_t NativeArchitecture() const { return native_architecture.value_or(is_64bit ? 9 : 0); }
};

}  // namespace sim
