// The simulator's bodies of the system-library calls. The checker binds
// these names at run time from the system folder; the simulated user32,
// setupapi, wintrust and version libraries export these functions.
#pragma once

#include <string_view>

#include "platform/platform.h"

namespace sim {
namespace exports {

int WINAPI GetSystemMetrics(int nIndex);
HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID* ClassGuid, LPCSTR Enumerator, HWND hwndParent, DWORD Flags);
BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO DeviceInfoSet, DWORD MemberIndex, PSP_DEVINFO_DATA DeviceInfoData);
BOOL WINAPI SetupDiGetDeviceRegistryPropertyA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                              DWORD Property, PDWORD PropertyRegDataType,
                                              PBYTE PropertyBuffer, DWORD PropertyBufferSize,
                                              PDWORD RequiredSize);
BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet);
LONG WINAPI WinVerifyTrust(HWND hwnd, GUID* pgActionID, LPVOID pWVTData);
DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR lptstrFilename, LPDWORD lpdwHandle);
BOOL WINAPI GetFileVersionInfoA(LPCSTR lptstrFilename, DWORD dwHandle, DWORD dwLen, LPVOID lpData);
BOOL WINAPI VerQueryValueA(const void* pBlock, LPCSTR lpSubBlock, LPVOID* lplpBuffer, UINT* puLen);

}  // namespace exports

// Whether the file name is one of the system libraries the simulator serves.
bool IsSystemLibrary(std::string_view file_name);

// The export of a system library as the machine has it, or null.
FARPROC SystemLibraryExport(std::string_view file_name, std::string_view name);

}  // namespace sim
