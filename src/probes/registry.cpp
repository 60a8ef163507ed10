#include "probes/registry.h"

#include <cstdio>
#include <cstring>

#include "probes/handles.h"
#include "probes/os_facts.h"
#include "probes/text_rules.h"

namespace {

constexpr REGSAM kCreatedKeyAccess = KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;  // 0x2001F

}  // namespace

bool KeyExists(HKEY root, const char* path) {
  // A key that exists but denies read access cannot be opened: it reads as absent.
  return static_cast<bool>(OpenRegKey(root, path, KEY_READ));
}

std::string ReadRegString(HKEY root, const char* path, const char* name) {
  UniqueRegKey key = OpenRegKey(root, path, KEY_READ);
  if (!key) return std::string();
  char buffer[1024] = {};
  DWORD type = REG_NONE;
  DWORD size = sizeof(buffer);
  // Data longer than the buffer fails with ERROR_MORE_DATA: it reads as absent.
  const LSTATUS status =
      RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  key.reset();
  if (status != ERROR_SUCCESS) return std::string();
  if (size > sizeof(buffer)) size = sizeof(buffer);
  if (type == REG_DWORD) {
    // Missing bytes of a short datum read as zero (the buffer is zeroed).
    std::int32_t number = 0;
    std::memcpy(&number, buffer, sizeof(number));
    char text[16];
    std::snprintf(text, sizeof(text), "%d", static_cast<int>(number));
    return text;
  }
  return TextUpToNul(buffer, size);
}

std::string QueryStringValue(HKEY key, const char* name) {
  char buffer[256] = {};
  DWORD size = sizeof(buffer);
  // The type is not asked: a REG_DWORD comes back as its raw bytes.
  if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
    return std::string();
  if (size > sizeof(buffer)) size = sizeof(buffer);
  return TextUpToNul(buffer, size);
}

int CreateSubKey(HKEY root, const char* parent, const char* name) {
  UniqueRegKey parent_key = OpenRegKey(root, parent, KEY_ALL_ACCESS);
  if (!parent_key) return -1;
  UniqueRegKey created;
  DWORD disposition = 0;
  // An existing key is opened instead of made, which counts as success.
  const LSTATUS status = RegCreateKeyExA(parent_key.get(), name, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                         kCreatedKeyAccess, nullptr, created.put(), &disposition);
  return status == ERROR_SUCCESS ? 0 : -1;
}

int WriteRegValue(HKEY root, const char* path, const char* name, const char* data, DWORD type) {
  UniqueRegKey key = OpenRegKey(root, path, KEY_ALL_ACCESS);
  if (!key) return -1;
  const DWORD size = static_cast<DWORD>(std::strlen(data) + 1);
  if (RegSetValueExA(key.get(), name, 0, type, reinterpret_cast<const BYTE*>(data), size) != ERROR_SUCCESS)
    return -2;
  return 0;
}

REGSAM NativeViewQueryAccess() {
  return IsRunningUnderWow64() ? (KEY_QUERY_VALUE | KEY_WOW64_64KEY) : KEY_QUERY_VALUE;
}
