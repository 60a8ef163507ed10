// Entry points looked up by name at run time: the optional kernel32 exports
// and the exports of the family's libraries.
#pragma once

#include "platform/exports.h"
#include "platform/platform.h"

// The named export of a loaded module as a typed function pointer, or null.
template <typename Function>
Function LookUpExport(HMODULE module, const char* name) {
  if (!module) return nullptr;
  return FunctionFrom<Function>(GetProcAddress(module, name));
}

// An optional kernel32 export: one that Windows 2000 lacks (IsWow64Process,
// GetNativeSystemInfo, GetProductInfo) would stop the checker loading if it
// were imported.
template <typename Function>
Function Kernel32Export(const char* name) {
  return LookUpExport<Function>(GetModuleHandleA("kernel32"), name);
}
