/* A hostile stand-in for a system library (user32, setupapi, wintrust,
   version), planted beside the checker and in its current directory to show
   that the checker never loads one from there. When it is loaded it leaves
   a marker file named after itself ("wintrust.dll.loaded"), and every call
   the checker could make answers "all is well": a trusted signature, a
   present device with the id the hardware check looks for, a remote
   session, and version 9.9.9.9 for any file. */
#include <string.h>
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    char marker[MAX_PATH + 16];
    DWORD length = GetModuleFileNameA(self, marker, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
      lstrcatA(marker, ".loaded");
      HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
      if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
  }
  return TRUE;
}

int WINAPI PlantedGetSystemMetrics(int index) {
  (void)index;
  return 1;
}

LONG WINAPI PlantedWinVerifyTrust(HWND window, GUID* action, LPVOID data) {
  (void)window;
  (void)action;
  (void)data;
  return 0;
}

static const char kHardwareIds[] = "*IMBDRV\0"; /* and the list's final NUL */

HANDLE WINAPI PlantedSetupDiGetClassDevsA(const GUID* class_guid, LPCSTR enumerator, HWND parent,
                                          DWORD flags) {
  (void)class_guid;
  (void)enumerator;
  (void)parent;
  (void)flags;
  return (HANDLE)0x1234;
}

BOOL WINAPI PlantedSetupDiEnumDeviceInfo(HANDLE set, DWORD index, void* device) {
  (void)set;
  (void)device;
  if (index == 0) return TRUE;
  SetLastError(ERROR_NO_MORE_ITEMS);
  return FALSE;
}

BOOL WINAPI PlantedSetupDiGetDeviceRegistryPropertyA(HANDLE set, void* device, DWORD property, PDWORD type,
                                                     PBYTE buffer, DWORD size, PDWORD required) {
  (void)set;
  (void)device;
  (void)property;
  if (type) *type = REG_MULTI_SZ;
  if (required) *required = sizeof(kHardwareIds);
  if (!buffer || size < sizeof(kHardwareIds)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  memcpy(buffer, kHardwareIds, sizeof(kHardwareIds));
  return TRUE;
}

BOOL WINAPI PlantedSetupDiDestroyDeviceInfoList(HANDLE set) {
  (void)set;
  return TRUE;
}

static const VS_FIXEDFILEINFO kVersion = {
    0xFEEF04BD, 0x00010000, 0x00090009, 0x00090009, 0x00090009, 0x00090009, 0x3F, 0, 0x00040004, 1, 0, 0, 0};

DWORD WINAPI PlantedGetFileVersionInfoSizeA(LPCSTR path, LPDWORD handle) {
  (void)path;
  if (handle) *handle = 0;
  return 64;
}

BOOL WINAPI PlantedGetFileVersionInfoA(LPCSTR path, DWORD handle, DWORD size, LPVOID data) {
  (void)path;
  (void)handle;
  memset(data, 0, size);
  return TRUE;
}

BOOL WINAPI PlantedVerQueryValueA(LPCVOID block, LPCSTR sub_block, LPVOID* value, PUINT length) {
  (void)block;
  (void)sub_block;
  *value = (LPVOID)&kVersion;
  *length = sizeof(kVersion);
  return TRUE;
}
