// Entry points looked up by name at run time: the optional kernel32 exports
// and the exports of the family's libraries.
#pragma once

#include "platform/platform.h"

// The named export of a loaded module as a typed function pointer, or null.
// The detour through void(*)() is the one cast between function types that
// compilers accept without a warning.
template <typename Function>
Function LookUpExport(HMODULE module, const char* name) {
  if (!module) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}
