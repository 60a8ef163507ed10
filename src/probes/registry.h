// Registry operations that several checks share. Every key a probe opens is
// closed before it returns.
#pragma once

#include <string>

#include "platform/platform.h"

bool KeyExists(HKEY root, const char* path);
std::string ReadRegString(HKEY root, const char* path, const char* name);
// Reads a value of a key the caller has open, into 256 bytes.
std::string QueryStringValue(HKEY key, const char* name);
int CreateSubKey(HKEY root, const char* parent, const char* name);
int WriteRegValue(HKEY root, const char* path, const char* name, const char* data, DWORD type);
// The access mask for a read that must see the 64-bit view.
REGSAM NativeViewQueryAccess();
