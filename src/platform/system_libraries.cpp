#include "platform/system_libraries.h"

#include <string>

namespace {

SystemLibraryScope* g_innermost = nullptr;

const char* const kFileNames[] = {"user32.dll", "setupapi.dll", "wintrust.dll", "version.dll"};

// The system folder, or empty when the platform cannot say.
std::string SystemDirectory() {
  // A buffer too small is answered with the size needed, its NUL included.
  const UINT needed = GetSystemDirectoryA(nullptr, 0);
  if (needed == 0) return std::string();
  std::string directory(needed, '\0');
  const UINT length = GetSystemDirectoryA(&directory[0], needed);
  if (length == 0 || length >= needed) return std::string();
  directory.resize(length);
  return directory;
}

}  // namespace

SystemLibraryScope::SystemLibraryScope() : enclosing_(g_innermost) { g_innermost = this; }

SystemLibraryScope::~SystemLibraryScope() {
  for (HMODULE module : modules_)
    if (module) FreeLibrary(module);
  g_innermost = enclosing_;
}

FARPROC SystemLibraryScope::Export(SystemLibrary library, const char* name) {
  if (!g_innermost) return nullptr;
  HMODULE module = g_innermost->Module(library);
  return module ? GetProcAddress(module, name) : nullptr;
}

HMODULE SystemLibraryScope::Module(SystemLibrary library) {
  const int index = static_cast<int>(library);
  if (attempted_[index]) return modules_[index];
  attempted_[index] = true;
  std::string directory = SystemDirectory();
  if (directory.empty()) return nullptr;
  if (directory.back() != '\\') directory += '\\';
  // A full path is never searched for; the altered search path makes the
  // library's own imports come from its folder too. For a 32-bit process on
  // 64-bit Windows, file-system redirection takes the path to the 32-bit
  // system folder.
  modules_[index] =
      LoadLibraryExA((directory + kFileNames[index]).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  return modules_[index];
}
