// The system libraries of the simulated system folder and their exports.
#include <cstring>

#include "sim/api/system_exports.h"
#include "sim/machine/machine.h"

namespace sim {
namespace {

struct SystemExport {
  const char* library;
  const char* name;
  FARPROC address;
};

template <typename Function>
FARPROC AddressOf(Function function) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

const SystemExport kExports[] = {
    {"user32.dll", "GetSystemMetrics", AddressOf(&exports::GetSystemMetrics)},
    {"setupapi.dll", "SetupDiGetClassDevsA", AddressOf(&exports::SetupDiGetClassDevsA)},
    {"setupapi.dll", "SetupDiEnumDeviceInfo", AddressOf(&exports::SetupDiEnumDeviceInfo)},
    {"setupapi.dll", "SetupDiGetDeviceRegistryPropertyA",
     AddressOf(&exports::SetupDiGetDeviceRegistryPropertyA)},
    {"setupapi.dll", "SetupDiDestroyDeviceInfoList", AddressOf(&exports::SetupDiDestroyDeviceInfoList)},
    {"wintrust.dll", "WinVerifyTrust", AddressOf(&exports::WinVerifyTrust)},
    {"version.dll", "GetFileVersionInfoSizeA", AddressOf(&exports::GetFileVersionInfoSizeA)},
    {"version.dll", "GetFileVersionInfoA", AddressOf(&exports::GetFileVersionInfoA)},
    {"version.dll", "VerQueryValueA", AddressOf(&exports::VerQueryValueA)},
};

}  // namespace

bool IsSystemLibrary(std::string_view file_name) {
  for (const SystemExport& entry : kExports)
    if (EqualsNoCase(file_name, entry.library)) return true;
  return false;
}

FARPROC SystemLibraryExport(std::string_view file_name, std::string_view name) {
  const SystemLibraryFacts& facts = Current().system_libraries;
  for (const SystemExport& entry : kExports) {
    // Export names are matched exactly, as the platform does.
    if (!EqualsNoCase(file_name, entry.library) || name != entry.name) continue;
    if (facts.missing_exports.count(std::string(entry.library) + "!" + entry.name)) return nullptr;
    return entry.address;
  }
  return nullptr;
}

}  // namespace sim
