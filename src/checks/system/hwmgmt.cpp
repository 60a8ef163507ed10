#include "checks/system/hwmgmt.h"

#include <memory>
#include <new>

#include "platform/platform.h"
#include "probes/entry_points.h"
#include "probes/handles.h"
#include "probes/registry.h"
#include "probes/text_rules.h"

namespace {

using IsSystem7GOrLowerFn = BOOL(WINAPI*)();

const char kR2SetupKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\R2Setup";
const char kSubcomponentsKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup\\OC Manager\\Subcomponents";

// Loads the family's installation library into `library` and asks it about
// the system's generation. True only when it loads, has the export and
// classes the system above 7G; the caller keeps the library loaded.
bool IsClassedAbove7G(UniqueLibrary& library) {
  library = UniqueLibrary(LoadLibraryA("KVIL32.DLL"));
  if (!library) return false;
  auto is_system_7g_or_lower = LookUpExport<IsSystem7GOrLowerFn>(library.get(), "IsSystem7GOrLower");
  if (!is_system_7g_or_lower) return false;
  // The library answers a one-byte truth value; the rest of the register is not its answer.
  return (static_cast<DWORD>(is_system_7g_or_lower()) & 0xFFu) == 0;
}

}  // namespace

bool IsR2SetupInstalled() {
  UniqueRegKey key = OpenRegKey(HKEY_LOCAL_MACHINE, kR2SetupKey, NativeViewQueryAccess());
  if (!key) return false;
  BYTE data[4];
  DWORD type = REG_NONE;
  DWORD size = sizeof(data);
  // Any datum that fits four bytes counts; longer ones fail with ERROR_MORE_DATA.
  return RegQueryValueExA(key.get(), "Installed", nullptr, &type, data, &size) == ERROR_SUCCESS;
}

bool IsHwMgmtComponentInstalled() {
  UniqueRegKey key = OpenRegKey(HKEY_LOCAL_MACHINE, kSubcomponentsKey, NativeViewQueryAccess());
  if (!key) return false;
  DWORD state = 0;
  DWORD type = REG_NONE;
  DWORD size = sizeof(state);
  const LSTATUS status =
      RegQueryValueExA(key.get(), "hwmgmt", nullptr, &type, reinterpret_cast<BYTE*>(&state), &size);
  return status == ERROR_SUCCESS && type == REG_DWORD && state == 1;
}

bool CheckHwMgmtInstalled() {
  UniqueLibrary library;
  if (!IsClassedAbove7G(library)) return false;
  return IsHwMgmtComponentInstalled();
}

bool CheckHwMgmtMissing() {
  UniqueLibrary library;
  if (!IsClassedAbove7G(library)) return false;
  if (!IsR2SetupInstalled()) return false;
  return !IsHwMgmtComponentInstalled();
}

bool HasDeviceWithHardwareId(const char* hardware_id) {
  const UniqueDevInfo devices(
      SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES));
  if (!devices) return false;
  SP_DEVINFO_DATA device = {};
  device.cbSize = sizeof(device);
  for (DWORD index = 0; SetupDiEnumDeviceInfo(devices.get(), index, &device); ++index) {
    DWORD required = 0;
    if (SetupDiGetDeviceRegistryPropertyA(devices.get(), &device, SPDRP_HARDWAREID, nullptr, nullptr, 0,
                                          &required))
      break;
    // Any other error: the device has no hardware ids; go on to the next.
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) continue;
    const std::unique_ptr<BYTE[]> ids(new (std::nothrow) BYTE[required ? required : 1]());
    if (!ids || !SetupDiGetDeviceRegistryPropertyA(devices.get(), &device, SPDRP_HARDWAREID, nullptr,
                                                   ids.get(), required, nullptr))
      break;
    // Only the first id of the REG_MULTI_SZ list takes part.
    const std::string first = TextUpToNul(reinterpret_cast<const char*>(ids.get()), required);
    if (EqualsNoCase(first.c_str(), hardware_id)) return true;
  }
  return false;
}
