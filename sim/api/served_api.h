// The simulator's bodies of the platform calls that the trace wraps: each
// has the platform function's own type, and the platform name, defined in
// traced_api.cpp, writes the call's trace line around it.
#pragma once

#include "platform/platform.h"

namespace sim::served {

decltype(::RegOpenKeyExA) RegOpenKeyExA;
decltype(::RegQueryValueExA) RegQueryValueExA;
decltype(::RegCreateKeyExA) RegCreateKeyExA;
decltype(::RegSetValueExA) RegSetValueExA;
decltype(::RegCloseKey) RegCloseKey;
decltype(::GetProcAddress) GetProcAddress;
decltype(::LoadLibraryA) LoadLibraryA;
decltype(::LoadLibraryExA) LoadLibraryExA;
decltype(::GetSystemDirectoryA) GetSystemDirectoryA;
decltype(::FreeLibrary) FreeLibrary;
decltype(::CreateProcessA) CreateProcessA;
decltype(::GetExitCodeProcess) GetExitCodeProcess;
decltype(::WaitForSingleObject) WaitForSingleObject;
decltype(::TerminateProcess) TerminateProcess;
decltype(::CloseHandle) CloseHandle;

}  // namespace sim::served
