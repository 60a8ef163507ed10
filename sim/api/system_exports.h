// The simulator's bodies of the system-library calls. The checker binds
// these names at run time from the system folder; the simulated user32,
// setupapi, wintrust and version libraries export these functions.
#pragma once

#include <string_view>

#include "platform/platform.h"

namespace sim {
namespace exports {

// Each has the platform function's own type.
decltype(::GetSystemMetrics) GetSystemMetrics;
decltype(::SetupDiGetClassDevsA) SetupDiGetClassDevsA;
decltype(::SetupDiEnumDeviceInfo) SetupDiEnumDeviceInfo;
decltype(::SetupDiGetDeviceRegistryPropertyA) SetupDiGetDeviceRegistryPropertyA;
decltype(::SetupDiDestroyDeviceInfoList) SetupDiDestroyDeviceInfoList;
decltype(::WinVerifyTrust) WinVerifyTrust;
decltype(::GetFileVersionInfoSizeA) GetFileVersionInfoSizeA;
decltype(::GetFileVersionInfoA) GetFileVersionInfoA;
decltype(::VerQueryValueA) VerQueryValueA;

}  // namespace exports

// Whether the file name is one of the system libraries the simulator serves.
bool IsSystemLibrary(std::string_view file_name);

// The export of a system library as the machine has it, or null.
FARPROC SystemLibraryExport(std::string_view file_name, std::string_view name);

}  // namespace sim
