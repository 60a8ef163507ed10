// Registry operations that several checks share. Every key a probe opens is
// closed before it returns.
#pragma once

#include <string>

#include "platform/platform.h"
#include "probes/handles.h"

bool KeyExists(HKEY root, const char* path);
std::string ReadRegString(HKEY root, const char* path, const char* name);
// Reads a value of a key the caller has open, into 256 bytes.
std::string QueryStringValue(HKEY key, const char* name);
int CreateSubKey(HKEY root, const char* parent, const char* name);
int WriteRegValue(HKEY root, const char* path, const char* name, const char* data, DWORD type);
// The access mask for a read that must see the 64-bit view.
REGSAM NativeViewQueryAccess();

// Opens root\path with the given access; empty when the key cannot be opened.
inline UniqueRegKey OpenRegKey(HKEY root, const char* path, REGSAM access) {
  UniqueRegKey key;
  // A failed open leaves null in the slot.
  if (RegOpenKeyExA(root, path, 0, access, key.put()) != ERROR_SUCCESS) return UniqueRegKey();
  return key;
}

// HKLM\path with full access, in the process's own view (the 32-bit one on
// 64-bit Windows). A process that may not write the key, such as one that is
// not elevated, cannot open it and sees it as absent.
inline UniqueRegKey OpenWithFullAccess(const char* path) {
  return OpenRegKey(HKEY_LOCAL_MACHINE, path, KEY_ALL_ACCESS);
}
