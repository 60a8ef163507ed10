#include "checks/software/earlier_software.h"

#include <string>

#include "checks/software/version_rules.h"
#include "probes/entry_points.h"
#include "probes/handles.h"
#include "probes/registry.h"
#include "probes/text_rules.h"

const char kQrNodeKey[] = "SOFTWARE\\Norvik Computer Corporation\\Kelvane\\Applications\\QRNODE";
const char kQrmsComponentKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Components\\"
    "E2A7C4190B5D38F6A1C9D07E4B2F6A53";
const char kQrmsFirstProduct[] = "5D0C8E3A71F94B26C8E1A0B7D3F5294C";
const char kQrmsSecondProduct[] = "9F6B2E0D4C1A7358B0E2D94C6A1F8E07";

namespace {

const char kSystemsManagementKey[] =
    "SOFTWARE\\Norvik Computer Corporation\\Kelvane\\Applications\\SystemsManagement";
const char kManagementStationKey[] =
    "SOFTWARE\\Norvik Computer Corporation\\Kelvane\\Applications\\ManagementStation";
const char kSuiteUninstallKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{7B1E2D94-5C3A-4F10-9D6E-2A8C4B7F0E13}";
const char kRemoteAccessCardNodeKey[] =
    "SOFTWARE\\Norvik Computer Corporation\\Kelvane\\Remote Access Card Managed Node";
const char kNetworkManagerKey[] = "SOFTWARE\\Norvik Computer Corporation\\Norvik Kelvane Network Manager";
const char kNetworkManagerUninstallKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\a3c94e1b07d25f68e4b19c7d3a0f2e85";
const char kNetworkManagerName[] = "Norvik Kelvane Network Manager";
const char kNnmConnectionKey[] =
    "SOFTWARE\\Norvik Computer Corporation\\Norvik Kelvane Connection for NNM\\CurrentVersion";
const char kSmsConnectionKey[] =
    "SOFTWARE\\Norvik Computer Corporation\\Norvik Kelvane Connection for SMS\\CurrentVersion";
const char kUnicenterConnectionKey[] =
    "SOFTWARE\\Norvik Computer Corporation\\Kelvane Connection for Unicenter TNG\\CurrentVersion";

using CheckForOldFn = int(WINAPI*)();

// Whether the library's export is there and reports exactly 1.
bool ExportAnswersOne(HMODULE library, const char* name) {
  const auto check = LookUpExport<CheckForOldFn>(library, name);
  return check && check() == 1;
}

// The "Version" text of a connection product's key, when the key opens.
bool ConnectionIsOld(const char* path, bool (*is_old)(const std::string&)) {
  UniqueRegKey key = OpenWithFullAccess(path);
  return key && is_old(QueryStringValue(key.get(), "Version"));
}

}  // namespace

bool QrmsComponentFor(const char* packed_product) {
  return !ReadRegString(HKEY_LOCAL_MACHINE, kQrmsComponentKey, packed_product).empty();
}

bool HasEarlierNodeOrStation() {
  UniqueLibrary library(LoadLibraryA("KVIL32.DLL"));
  if (!library) return false;
  // The station is asked only when the node does not answer 1.
  return ExportAnswersOne(library.get(), "CheckForOldKVNode") ||
         ExportAnswersOne(library.get(), "CheckForOldKVStation");
}

bool HasEarlierStorageManagerWithSuite() {
  // The station key is looked at only when the systems-management key is absent.
  if (!KeyExists(HKEY_LOCAL_MACHINE, kSystemsManagementKey) &&
      !KeyExists(HKEY_LOCAL_MACHINE, kManagementStationKey))
    return false;
  return KeyExists(HKEY_LOCAL_MACHINE, kSuiteUninstallKey);
}

bool HasRemoteAccessCardNode() {
  if (!KeyExists(HKEY_LOCAL_MACHINE, kSystemsManagementKey)) return false;
  return !ReadRegString(HKEY_LOCAL_MACHINE, kRemoteAccessCardNodeKey, "CurrentVersion").empty();
}

int HasNetworkManagerServer() {
  UniqueRegKey manager = OpenWithFullAccess(kNetworkManagerKey);
  if (!manager) return 0;
  const bool version_ok = IsNetworkManagerVersion1OrLater(QueryStringValue(manager.get(), "version"));
  // The type is not asked: a string passes by its first character, a number
  // by its lowest byte.
  char server[256];
  server[0] = 0;
  DWORD size = sizeof(server);
  const bool server_ok = RegQueryValueExA(manager.get(), "server", nullptr, nullptr,
                                          reinterpret_cast<BYTE*>(server), &size) == ERROR_SUCCESS &&
                         server[0] != 0;
  if (!version_ok || !server_ok) return 0;

  UniqueRegKey uninstall = OpenWithFullAccess(kNetworkManagerUninstallKey);
  if (!uninstall) return 0;
  char name[256];
  size = sizeof(name);
  if (RegQueryValueExA(uninstall.get(), "DisplayName", nullptr, nullptr, reinterpret_cast<BYTE*>(name),
                       &size) != ERROR_SUCCESS)
    return 0;
  const std::string display_name = TextUpToNul(name, size < sizeof(name) ? size : sizeof(name));
  return EqualsNoCase(display_name.c_str(), kNetworkManagerName) ? kNetworkManagerServer : 0;
}

int HasOldConnectionProduct() {
  // Every product's key is probed, whatever the earlier ones found.
  bool old_product = false;
  old_product |= ConnectionIsOld(kNnmConnectionKey, IsOldNnmConnectionVersion);
  old_product |= ConnectionIsOld(kSmsConnectionKey, IsOldSmsConnectionVersion);
  old_product |= ConnectionIsOld(kUnicenterConnectionKey, IsOldUnicenterConnectionVersion);
  return old_product ? kOldConnectionProduct : 0;
}
