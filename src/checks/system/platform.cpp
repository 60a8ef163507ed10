#include "checks/system/platform.h"

#include "probes/entry_points.h"
#include "probes/handles.h"
#include "probes/os_facts.h"
#include "probes/registry.h"

namespace {

using GetProductInfoFn = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, PDWORD);

}  // namespace

bool IsItaniumSystem() {
  const OSVERSIONINFOEXA& os = OsVersionRecord;
  // Windows 2000 has no GetNativeSystemInfo; every x.0 is ruled out before asking.
  if (os.dwPlatformId != VER_PLATFORM_WIN32_NT || os.dwMajorVersion <= 4 || os.dwMinorVersion == 0)
    return false;
  return IsNativeItanium();
}

bool IsServer2008R2() {
  const OSVERSIONINFOEXA& os = OsVersionRecord;
  return os.dwMajorVersion == 6 && os.dwMinorVersion == 1 && os.wProductType != VER_NT_WORKSTATION;
}

bool IsServerCoreProductType(DWORD product_type) {
  switch (product_type) {
    case 12:  // PRODUCT_DATACENTER_SERVER_CORE
    case 13:  // PRODUCT_STANDARD_SERVER_CORE
    case 14:  // PRODUCT_ENTERPRISE_SERVER_CORE
    case 29:  // PRODUCT_WEB_SERVER_CORE
    case 39:  // PRODUCT_DATACENTER_SERVER_CORE_V
    case 40:  // PRODUCT_STANDARD_SERVER_CORE_V
    case 41:  // PRODUCT_ENTERPRISE_SERVER_CORE_V
    case 42:  // PRODUCT_HYPERV
      return true;
    default:
      return false;
  }
}

bool IsServerCoreEdition() {
  const OSVERSIONINFOEXA& os = OsVersionRecord;
  if (os.dwMajorVersion <= 5) return false;
  // kernel32 before Vista does not export it.
  auto get_product_info = Kernel32Export<GetProductInfoFn>("GetProductInfo");
  if (!get_product_info) return false;
  DWORD product_type = 0;
  // Its result is not examined: a call that writes nothing leaves 0, which is no Server Core type.
  get_product_info(os.dwMajorVersion, os.dwMinorVersion, os.wServicePackMajor, os.wServicePackMinor,
                   &product_type);
  return IsServerCoreProductType(product_type);
}

bool IsNonDriverSigningSilent() {
  const OSVERSIONINFOEXA& os = OsVersionRecord;
  if (os.dwMajorVersion != 5 || os.dwMinorVersion != 0) return true;
  UniqueRegKey key =
      OpenRegKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Non-Driver Signing", KEY_QUERY_VALUE);
  if (!key) return true;
  BYTE policy[16];
  policy[0] = 0;
  DWORD size = sizeof(policy);
  const LSTATUS status = RegQueryValueExA(key.get(), "Policy", nullptr, nullptr, policy, &size);
  key.reset();
  // Windows 2000 keeps the policy in one byte: 0 silent, 1 warn, 2 block.
  // Any other size is not its form and counts as silent.
  return !(status == ERROR_SUCCESS && size == 1 && policy[0] != 0);
}
