// The system libraries that only a few checks need. Importing them would
// cost every run their start-up and, because setupapi and wintrust are not
// KnownDLLs before Vista, would let a DLL of the same name beside the
// checker or in the current directory be loaded in their place. They are
// loaded instead when a check first calls into one, by full path from the
// system folder, and freed when the run ends.
#pragma once

#include "platform/platform.h"

enum class SystemLibrary { kUser32, kSetupApi, kWinTrust, kVersion };

// The libraries loaded during one run. Scopes nest; calls are bound in the
// innermost open one, and with none open every library reads as missing.
class SystemLibraryScope {
 public:
  SystemLibraryScope();
  ~SystemLibraryScope();
  SystemLibraryScope(const SystemLibraryScope&) = delete;
  SystemLibraryScope& operator=(const SystemLibraryScope&) = delete;

  // The named export of the library, which is loaded on the first request
  // and tried only once per scope; null when it cannot be had.
  static FARPROC Export(SystemLibrary library, const char* name);

 private:
  static constexpr int kLibraries = 4;
  HMODULE Module(SystemLibrary library);

  HMODULE modules_[kLibraries] = {};
  bool attempted_[kLibraries] = {};
  SystemLibraryScope* enclosing_;
};
