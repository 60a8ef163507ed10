// The keys the installed-software checks open themselves.
#pragma once

#include "probes/handles.h"

// HKLM\path with full access, in the process's own view (the 32-bit one on
// 64-bit Windows). A process that may not write the key, such as one that is
// not elevated, cannot open it and sees it as absent.
inline UniqueRegKey OpenWithFullAccess(const char* path) {
  return OpenRegKey(HKEY_LOCAL_MACHINE, path, KEY_ALL_ACCESS);
}
