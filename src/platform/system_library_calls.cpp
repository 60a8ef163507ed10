// The calls into user32, setupapi, wintrust and version that the checks
// make, under their platform names. Each binds its function in the run's
// SystemLibraryScope; a library or function that cannot be had answers as
// the call does when it finds nothing.
#include "platform/exports.h"
#include "platform/system_libraries.h"

namespace {

template <typename Function>
Function Bound(SystemLibrary library, const char* name) {
  return FunctionFrom<Function>(SystemLibraryScope::Export(library, name));
}

// HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND): the verification could not be
// made, which the signature check counts as not verified.
constexpr LONG kTrustNotAvailable = static_cast<LONG>(0x80070000u | ERROR_MOD_NOT_FOUND);

}  // namespace

int WINAPI GetSystemMetrics(int nIndex) {
  auto call = Bound<decltype(&GetSystemMetrics)>(SystemLibrary::kUser32, "GetSystemMetrics");
  return call ? call(nIndex) : 0;
}

HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID* ClassGuid, LPCSTR Enumerator, HWND hwndParent, DWORD Flags) {
  auto call = Bound<decltype(&SetupDiGetClassDevsA)>(SystemLibrary::kSetupApi, "SetupDiGetClassDevsA");
  return call ? call(ClassGuid, Enumerator, hwndParent, Flags) : INVALID_HANDLE_VALUE;
}

BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO DeviceInfoSet, DWORD MemberIndex,
                                  PSP_DEVINFO_DATA DeviceInfoData) {
  auto call = Bound<decltype(&SetupDiEnumDeviceInfo)>(SystemLibrary::kSetupApi, "SetupDiEnumDeviceInfo");
  return call ? call(DeviceInfoSet, MemberIndex, DeviceInfoData) : FALSE;
}

BOOL WINAPI SetupDiGetDeviceRegistryPropertyA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                              DWORD Property, PDWORD PropertyRegDataType,
                                              PBYTE PropertyBuffer, DWORD PropertyBufferSize,
                                              PDWORD RequiredSize) {
  auto call = Bound<decltype(&SetupDiGetDeviceRegistryPropertyA)>(SystemLibrary::kSetupApi,
                                                                  "SetupDiGetDeviceRegistryPropertyA");
  return call ? call(DeviceInfoSet, DeviceInfoData, Property, PropertyRegDataType, PropertyBuffer,
                     PropertyBufferSize, RequiredSize)
              : FALSE;
}

BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet) {
  auto call = Bound<decltype(&SetupDiDestroyDeviceInfoList)>(SystemLibrary::kSetupApi,
                                                             "SetupDiDestroyDeviceInfoList");
  return call ? call(DeviceInfoSet) : FALSE;
}

LONG WINAPI WinVerifyTrust(HWND hwnd, GUID* pgActionID, LPVOID pWVTData) {
  auto call = Bound<decltype(&WinVerifyTrust)>(SystemLibrary::kWinTrust, "WinVerifyTrust");
  return call ? call(hwnd, pgActionID, pWVTData) : kTrustNotAvailable;
}

DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR lptstrFilename, LPDWORD lpdwHandle) {
  auto call = Bound<decltype(&GetFileVersionInfoSizeA)>(SystemLibrary::kVersion, "GetFileVersionInfoSizeA");
  return call ? call(lptstrFilename, lpdwHandle) : 0;
}

BOOL WINAPI GetFileVersionInfoA(LPCSTR lptstrFilename, DWORD dwHandle, DWORD dwLen, LPVOID lpData) {
  auto call = Bound<decltype(&GetFileVersionInfoA)>(SystemLibrary::kVersion, "GetFileVersionInfoA");
  return call ? call(lptstrFilename, dwHandle, dwLen, lpData) : FALSE;
}

BOOL WINAPI VerQueryValueA(const void* pBlock, LPCSTR lpSubBlock, LPVOID* lplpBuffer, UINT* puLen) {
  auto call = Bound<decltype(&VerQueryValueA)>(SystemLibrary::kVersion, "VerQueryValueA");
  return call ? call(pBlock, lpSubBlock, lplpBuffer, puLen) : FALSE;
}
