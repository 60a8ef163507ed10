#include "probes/os_facts.h"

#include "probes/entry_points.h"

OSVERSIONINFOEXA OsVersionRecord;

namespace {

using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
using GetNativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);

}  // namespace

void CaptureOsVersion() {
  OsVersionRecord.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
  // A failed call leaves the zeroed record, which every check reads as 0.0.
  GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&OsVersionRecord));
}

bool IsRunningUnderWow64() {
  auto is_wow64_process = Kernel32Export<IsWow64ProcessFn>("IsWow64Process");
  if (!is_wow64_process) return false;
  BOOL wow64 = FALSE;
  // The call's result is not examined: a failure leaves FALSE in place.
  is_wow64_process(GetCurrentProcess(), &wow64);
  return wow64 == TRUE;
}

bool IsNativeItanium() {
  auto get_native_system_info = Kernel32Export<GetNativeSystemInfoFn>("GetNativeSystemInfo");
  if (!get_native_system_info) return false;
  SYSTEM_INFO info = {};
  get_native_system_info(&info);
  return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
}

bool MeetsOsLevel(bool flag) {
  const OSVERSIONINFOEXA& os = OsVersionRecord;
  if (os.dwPlatformId == VER_PLATFORM_WIN32_NT && os.dwMajorVersion == 5) {
    if (os.dwMinorVersion == 2 && os.wProductType != VER_NT_WORKSTATION) return true;
    return flag && os.dwMinorVersion >= 1;
  }
  return flag && os.dwMajorVersion >= 6;
}
