// What the simulated system libraries export. The checker binds these names
// at run time: kernel32's entry points that Windows 2000 lacks, and the
// user32, setupapi, wintrust and version calls it loads from the system
// folder. Each is traced, around its body in sim::served.
#pragma once

#include <string_view>

#include "platform/platform.h"
#include "sim/api/served_api.h"

namespace sim {
namespace exports {

// Each has the platform function's own type.
decltype(served::IsWow64Process) IsWow64Process;
decltype(served::GetNativeSystemInfo) GetNativeSystemInfo;
decltype(served::GetProductInfo) GetProductInfo;
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
