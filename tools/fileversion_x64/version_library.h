// version.dll, loaded by full path from the system folder when the version
// is first asked for. An import would have the loader look for it in this
// program's folder first, and version.dll is no KnownDLL on Windows XP and
// Server 2003: a copy planted beside the companion would run in its place.
#pragma once

#include <windows.h>

namespace companion {

struct VersionCalls {
  decltype(&GetFileVersionInfoSizeA) size = nullptr;
  decltype(&GetFileVersionInfoA) read = nullptr;
  decltype(&VerQueryValueA) query = nullptr;
};

// The three calls from the system folder's version.dll; all null when it
// cannot be loaded or lacks one of them. The library stays loaded until exit.
inline VersionCalls LoadVersionCalls() {
  char folder[MAX_PATH];
  const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH - 13) return VersionCalls();
  lstrcatA(folder, "\\version.dll");
  HMODULE library = LoadLibraryExA(folder, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!library) return VersionCalls();
  VersionCalls calls;
  // FARPROC to the typed pointer through void*, as GetProcAddress's callers must.
  calls.size = reinterpret_cast<decltype(calls.size)>(
      reinterpret_cast<void*>(GetProcAddress(library, "GetFileVersionInfoSizeA")));
  calls.read = reinterpret_cast<decltype(calls.read)>(
      reinterpret_cast<void*>(GetProcAddress(library, "GetFileVersionInfoA")));
  calls.query = reinterpret_cast<decltype(calls.query)>(
      reinterpret_cast<void*>(GetProcAddress(library, "VerQueryValueA")));
  if (!calls.size || !calls.read || !calls.query) return VersionCalls();
  return calls;
}

}  // namespace companion
