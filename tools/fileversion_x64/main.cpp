// fileversion_x64 FILE OUTFILE: writes FILE's file version as
// "%d.%d.%d.%d" into OUTFILE and exits with 0. A 64-bit program, so that
// FILE is read from the native system32 and not WOW64's. Exit codes: 1 the
// command line does not name both files, 2 FILE has no readable version,
// 3 OUTFILE cannot be written. Nothing is written on any failure.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "command_line.h"
#include "version_library.h"

namespace {

bool ReadFileVersion(const std::string& path, char (&text)[32]) {
  const companion::VersionCalls version = companion::LoadVersionCalls();
  if (!version.size) return false;
  DWORD handle = 0;
  const DWORD size = version.size(path.c_str(), &handle);
  if (size == 0) return false;
  std::vector<char> block(size);
  if (!version.read(path.c_str(), handle, size, block.data())) return false;
  void* value = nullptr;
  UINT length = 0;
  if (!version.query(block.data(), "\\", &value, &length) || !value || length < sizeof(VS_FIXEDFILEINFO))
    return false;
  const auto* info = static_cast<const VS_FIXEDFILEINFO*>(value);
  std::snprintf(text, sizeof(text), "%d.%d.%d.%d", HIWORD(info->dwFileVersionMS),
                LOWORD(info->dwFileVersionMS), HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS));
  return true;
}

bool IsExistingFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WriteWhole(const std::string& path, const char* text) {
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (!file) return false;
  const bool written = std::fputs(text, file) >= 0;
  if (std::fclose(file) == 0 && written) return true;
  std::remove(path.c_str());  // no half-written version for the caller to read
  return false;
}

}  // namespace

int main() {
  // The raw line, not argv: an unquoted path with blanks arrives whole.
  const char* raw = GetCommandLineA();
  std::string file, output;
  if (!raw || !companion::SplitCommandLine(raw, IsExistingFile, file, output)) return 1;
  char text[32];
  if (!ReadFileVersion(file, text)) return 2;
  return WriteWhole(output, text) ? 0 : 3;
}
