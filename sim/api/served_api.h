// The simulator's bodies of the platform calls that the trace wraps: each
// has the platform function's own type, and the platform name, defined in
// one of the traced_*.cpp files, writes the call's trace line around it.
#pragma once

#include "platform/platform.h"

namespace sim::served {

// Registry, libraries and child processes.
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

// The system's own facts, kernel32's optional entry points among them.
decltype(::GetVersionExA) GetVersionExA;
decltype(::VerifyVersionInfoA) VerifyVersionInfoA;
decltype(::GetModuleHandleA) GetModuleHandleA;
decltype(::Sleep) Sleep;
BOOL WINAPI IsWow64Process(HANDLE hProcess, PBOOL Wow64Process);
void WINAPI GetNativeSystemInfo(LPSYSTEM_INFO lpSystemInfo);
BOOL WINAPI GetProductInfo(DWORD dwOSMajorVersion, DWORD dwOSMinorVersion, DWORD dwSpMajorVersion,
                           DWORD dwSpMinorVersion, PDWORD pdwReturnedProductType);
decltype(::GetSystemMetrics) GetSystemMetrics;

// Files, drives and version resources.
decltype(::FindFirstFileA) FindFirstFileA;
decltype(::FindClose) FindClose;
decltype(::GetDriveTypeA) GetDriveTypeA;
decltype(::GetFileVersionInfoSizeA) GetFileVersionInfoSizeA;
decltype(::GetFileVersionInfoA) GetFileVersionInfoA;
decltype(::VerQueryValueA) VerQueryValueA;

// The process token, security identifiers and signatures.
decltype(::OpenProcessToken) OpenProcessToken;
decltype(::GetTokenInformation) GetTokenInformation;
decltype(::AllocateAndInitializeSid) AllocateAndInitializeSid;
decltype(::EqualSid) EqualSid;
decltype(::FreeSid) FreeSid;
decltype(::LookupAccountSidA) LookupAccountSidA;
decltype(::WinVerifyTrust) WinVerifyTrust;

// Device information sets.
decltype(::SetupDiGetClassDevsA) SetupDiGetClassDevsA;
decltype(::SetupDiEnumDeviceInfo) SetupDiEnumDeviceInfo;
decltype(::SetupDiGetDeviceRegistryPropertyA) SetupDiGetDeviceRegistryPropertyA;
decltype(::SetupDiDestroyDeviceInfoList) SetupDiDestroyDeviceInfoList;

}  // namespace sim::served

// The run-time calls of the seam that read the machine.
namespace sim::served::crt {

decltype(::crt::getenv) getenv;
decltype(::crt::getcwd) getcwd;
decltype(::crt::fopen_text) fopen_text;
decltype(::crt::fopen_binary) fopen_binary;
decltype(::crt::fread) fread;
decltype(::crt::fclose) fclose;

}  // namespace sim::served::crt
