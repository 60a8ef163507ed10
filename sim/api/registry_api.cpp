// The registry functions of the platform, served from the simulated registry.
// Like the real ones they return their error and leave the thread's last
// error alone.
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "sim/api/support.h"
#include "sim/machine/machine.h"

namespace sim {
namespace {

constexpr std::uint32_t kWriteRights =
    KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | WRITE_DAC | WRITE_OWNER;
constexpr std::uint32_t kReadRights = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY | READ_CONTROL;

// What the platform answers when the registry quota leaves no room.
constexpr LSTATUS kQuotaLimit = 613;  // ERROR_REGISTRY_QUOTA_LIMIT
// ERROR_FILENAME_EXCED_RANGE: a value name longer than the registry allows,
// 16 383 characters, counted after the conversion to UTF-16.
constexpr LSTATUS kNameTooLong = 206;
constexpr std::size_t kLongestValueName = 16383;

// Resolves a handle to its key; predefined roots resolve without opening.
const OpenKey* Resolve(HKEY handle, OpenKey& root_scratch) {
  const auto value = reinterpret_cast<std::uintptr_t>(handle);
  if (RegKey* root = Current().registry.Root(value)) {
    root_scratch.key = root;
    root_scratch.machine_hive = value == kLocalMachine;
    // A user who is not elevated holds only read rights on the machine hive.
    root_scratch.access =
        root_scratch.machine_hive && !Current().user.elevated ? kReadRights : KEY_ALL_ACCESS;
    return &root_scratch;
  }
  auto& open = CurrentRuntime().open_keys;
  auto found = open.find(value);
  return found == open.end() ? nullptr : &found->second;
}

bool IsPredefined(HKEY handle) {
  return Current().registry.Root(reinterpret_cast<std::uintptr_t>(handle)) != nullptr;
}

// The parts of a sub-key path as the process sees them: a 32-bit process on
// a 64-bit machine has its HKLM\SOFTWARE redirected to SOFTWARE\Wow6432Node
// unless it asks for the 64-bit view.
std::vector<std::string> ViewParts(const OpenKey& from, const char* sub_key, REGSAM sam) {
  std::vector<std::string> parts = SplitRegPath(sub_key ? sub_key : "");
  const bool hklm_root = from.key == Current().registry.Root(kLocalMachine);
  if (Current().os.is_64bit && hklm_root && !(sam & KEY_WOW64_64KEY) && !parts.empty() &&
      EqualsNoCase(parts[0], "SOFTWARE") && !(parts.size() > 1 && EqualsNoCase(parts[1], "Wow6432Node")))
    parts.insert(parts.begin() + 1, "Wow6432Node");
  return parts;
}

LSTATUS CheckAccess(const RegKey& key, bool machine_hive, REGSAM sam) {
  if (machine_hive && !Current().user.elevated && (sam & kWriteRights)) return ERROR_ACCESS_DENIED;
  if (key.deny_read && (sam & kReadRights)) return ERROR_ACCESS_DENIED;
  return ERROR_SUCCESS;
}

HKEY HandOut(RegKey* key, REGSAM sam, bool machine_hive) {
  Runtime& runtime = CurrentRuntime();
  const std::uintptr_t value = NewHandle();
  runtime.open_keys[value] =
      OpenKey{key, sam & ~static_cast<std::uint32_t>(KEY_WOW64_64KEY | KEY_WOW64_32KEY), machine_hive};
  return reinterpret_cast<HKEY>(value);
}

}  // namespace
}  // namespace sim

// The bodies; the platform names are defined in traced_api.cpp.
namespace sim::served {

LSTATUS WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  OpenKey scratch;
  const OpenKey* from = Resolve(hKey, scratch);
  if (!from) return ERROR_INVALID_HANDLE;
  RegKey* key = from->key;
  for (const std::string& part : ViewParts(*from, lpSubKey, samDesired)) {
    key = key->Child(part);
    if (!key) return ERROR_FILE_NOT_FOUND;
  }
  if (LSTATUS denied = CheckAccess(*key, from->machine_hive, samDesired)) return denied;
  *phkResult = HandOut(key, samDesired, from->machine_hive);
  return ERROR_SUCCESS;
}

LSTATUS WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                                LPDWORD lpcbData) {
  OpenKey scratch;
  const OpenKey* open = Resolve(hKey, scratch);
  if (!open) return ERROR_INVALID_HANDLE;
  if (!(open->access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  if (lpData && !lpcbData) return ERROR_INVALID_PARAMETER;
  auto found = open->key->values.find(std::string_view(lpValueName ? lpValueName : ""));
  if (found == open->key->values.end()) return ERROR_FILE_NOT_FOUND;
  const RegValue& value = found->second;
  // The ANSI call hands string types over converted, and sizes them so.
  std::vector<std::uint8_t> bytes = value.data;
  if (IsStringType(value.type)) {
    const std::string ansi = WideToAnsi(BytesToWide(value.data));
    bytes.assign(ansi.begin(), ansi.end());
  }
  if (lpType) *lpType = value.type;
  if (!lpcbData) return ERROR_SUCCESS;
  const DWORD needed = static_cast<DWORD>(bytes.size());
  if (lpData) {
    if (*lpcbData < needed) {
      *lpcbData = needed;
      return ERROR_MORE_DATA;
    }
    if (!bytes.empty()) std::memcpy(lpData, bytes.data(), bytes.size());
    // Like the platform, an unterminated string gets a terminator when it fits.
    if (IsStringType(value.type) && needed > 0 && needed < *lpcbData && bytes.back() != 0) lpData[needed] = 0;
  }
  *lpcbData = needed;
  return ERROR_SUCCESS;
}

LSTATUS WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR, DWORD, REGSAM samDesired,
                               const LPSECURITY_ATTRIBUTES, PHKEY phkResult, LPDWORD lpdwDisposition) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  OpenKey scratch;
  const OpenKey* from = Resolve(hKey, scratch);
  if (!from) return ERROR_INVALID_HANDLE;
  if (lpSubKey && lpSubKey[0] == '\\') return ERROR_BAD_PATHNAME;
  RegKey* key = from->key;
  bool created = false;
  for (const std::string& part : ViewParts(*from, lpSubKey, samDesired)) {
    if (RegKey* child = key->Child(part)) {
      key = child;
      continue;
    }
    // Making a key needs KEY_CREATE_SUB_KEY on the handle; opening one does not.
    if (!(from->access & KEY_CREATE_SUB_KEY) && !created) return ERROR_ACCESS_DENIED;
    if (Current().registry.quota_exhausted) return kQuotaLimit;
    key = &key->ChildOrCreate(part);
    created = true;
  }
  if (LSTATUS denied = CheckAccess(*key, from->machine_hive, samDesired)) return denied;
  if (lpdwDisposition) *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *phkResult = HandOut(key, samDesired, from->machine_hive);
  return ERROR_SUCCESS;
}

LSTATUS WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData,
                              DWORD cbData) {
  OpenKey scratch;
  const OpenKey* open = Resolve(hKey, scratch);
  if (!open) return ERROR_INVALID_HANDLE;
  if (!(open->access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  if (Current().registry.quota_exhausted) return kQuotaLimit;
  const std::string name = lpValueName ? lpValueName : "";
  if (AnsiToWide(name).size() > kLongestValueName) return kNameTooLong;
  std::vector<std::uint8_t> data(lpData, lpData + (lpData ? cbData : 0));
  // The ANSI call stores string types converted to UTF-16.
  if (IsStringType(dwType)) data = WideBytes(AnsiToWide(std::string(data.begin(), data.end())));
  auto found = open->key->values.find(name);
  // A value set again keeps the spelling of its name.
  if (found == open->key->values.end()) found = open->key->values.emplace(name, RegValue{name, 0, {}}).first;
  found->second.type = dwType;
  found->second.data = std::move(data);
  return ERROR_SUCCESS;
}

LSTATUS WINAPI RegCloseKey(HKEY hKey) {
  if (IsPredefined(hKey)) return ERROR_SUCCESS;
  if (CurrentRuntime().open_keys.erase(reinterpret_cast<std::uintptr_t>(hKey)) == 0)
    return ERROR_INVALID_HANDLE;
  return ERROR_SUCCESS;
}

}  // namespace sim::served
