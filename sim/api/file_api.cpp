// kernel32 calls about files and drives, the ANSI-to-UTF-16 conversion, and
// the run-time's text-mode file reads, served from the simulated machine.
#include <cctype>
#include <cstring>

#include "platform/platform.h"
#include "sim/api/file_access.h"
#include "sim/api/served_api.h"
#include "sim/api/support.h"
#include "sim/machine/machine.h"

namespace sim {
namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

std::string Windir() {
  auto found = Current().environment.find(std::string_view("windir"));
  return FullPath(found == Current().environment.end() ? "C:\\WINDOWS" : found->second, "C:\\");
}

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  if (pattern.empty()) return name.empty();
  if (pattern[0] == '*')
    return WildcardMatch(pattern.substr(1), name) ||
           (!name.empty() && WildcardMatch(pattern, name.substr(1)));
  if (name.empty()) return false;
  if (pattern[0] != '?' &&
      FoldAnsi(static_cast<unsigned char>(pattern[0])) != FoldAnsi(static_cast<unsigned char>(name[0])))
    return false;
  return WildcardMatch(pattern.substr(1), name.substr(1));
}

std::string NameOf(std::string_view full_path) {
  const std::size_t slash = full_path.rfind('\\');
  return std::string(slash == std::string_view::npos ? full_path : full_path.substr(slash + 1));
}

void Fill(WIN32_FIND_DATAA& data, const std::string& full_path, const SimFile* file) {
  std::memset(&data, 0, sizeof(data));
  data.dwFileAttributes = file ? FILE_ATTRIBUTE_ARCHIVE : FILE_ATTRIBUTE_DIRECTORY;
  if (file) data.nFileSizeLow = static_cast<DWORD>(file->content.size());
  std::strncpy(data.cFileName, NameOf(full_path).c_str(), sizeof(data.cFileName) - 1);
}

}  // namespace

std::string NativeFullPath(std::string_view path, std::string_view current_directory) {
  return FullPath(path, current_directory);
}

std::string CheckerFullPath(std::string_view path) {
  std::string full = FullPath(path, Current().current_directory);
  if (!Current().os.is_64bit || full.empty()) return full;
  const std::string system32 = Windir() + "\\system32";
  if (!EqualsNoCase(full, system32) && !StartsWithNoCase(full, system32 + "\\")) return full;
  // The few folders that WOW64 leaves alone.
  for (const char* exempt : {"\\catroot", "\\catroot2", "\\drivers\\etc", "\\logfiles", "\\spool"}) {
    const std::string kept = system32 + exempt;
    if (EqualsNoCase(full, kept) || StartsWithNoCase(full, kept + "\\")) return full;
  }
  return Windir() + "\\SysWOW64" + full.substr(system32.size());
}

}  // namespace sim

using namespace sim;

// The bodies; the platform names are defined in traced_file_api.cpp.
namespace sim::served {

HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
  Runtime& runtime = CurrentRuntime();
  const std::string given = lpFileName ? lpFileName : "";
  const std::string full = CheckerFullPath(given);
  // A trailing backslash names no file; neither does a drive root.
  if (!lpFindFileData || full.empty() || given.back() == '\\' || given.back() == '/' ||
      (full.size() == 3 && full[1] == ':')) {
    return Fail(full.empty() ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
  }
  const FileSystem& fs = Current().files;
  const std::string folder = ParentOf(full);
  if (!fs.IsFolder(folder)) return Fail(ERROR_PATH_NOT_FOUND, INVALID_HANDLE_VALUE);
  const std::string pattern = NameOf(full);
  bool found = false;
  if (pattern.find_first_of("*?") == std::string::npos) {
    if (const SimFile* file = fs.FindFile(full)) {
      Fill(*lpFindFileData, fs.files.find(full)->first, file);
      found = true;
    } else if (fs.IsFolder(full)) {
      Fill(*lpFindFileData, *fs.folders.find(full), nullptr);
      found = true;
    }
  } else {
    for (const std::string& name : fs.folders)
      if (!found && EqualsNoCase(ParentOf(name), folder) && WildcardMatch(pattern, NameOf(name))) {
        Fill(*lpFindFileData, name, nullptr);
        found = true;
      }
    for (const auto& [name, file] : fs.files)
      if (!found && EqualsNoCase(ParentOf(name), folder) && WildcardMatch(pattern, NameOf(name))) {
        Fill(*lpFindFileData, name, &file);
        found = true;
      }
  }
  if (!found) return Fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
  const std::uintptr_t value = NewHandle();
  runtime.files.find_handles.insert(value);
  return reinterpret_cast<HANDLE>(value);
}

BOOL WINAPI FindClose(HANDLE hFindFile) {
  if (CurrentRuntime().files.find_handles.erase(reinterpret_cast<std::uintptr_t>(hFindFile)) == 0)
    return Fail(ERROR_INVALID_HANDLE);
  return TRUE;
}

UINT WINAPI GetDriveTypeA(LPCSTR lpRootPathName) {
  std::string root = lpRootPathName ? lpRootPathName : Current().current_directory.substr(0, 3);
  // "X:" and "X:\" name a drive; anything longer is no drive's root.
  if (root.size() < 2 || root.size() > 3 || root[1] != ':' || (root.size() == 3 && root[2] != '\\'))
    return DRIVE_NO_ROOT_DIR;
  const auto& drives = Current().files.drives;
  auto found = drives.find(static_cast<char>(std::toupper(static_cast<unsigned char>(root[0]))));
  return found == drives.end() ? DRIVE_NO_ROOT_DIR : found->second;
}

}  // namespace sim::served

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD, LPCSTR lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar) {
  // The machine's ANSI code page is 1252.
  if ((CodePage != CP_ACP && CodePage != 1252) || !lpMultiByteStr || cbMultiByte == 0 || cchWideChar < 0)
    return Fail(ERROR_INVALID_PARAMETER, 0);
  const std::size_t length = cbMultiByte < 0 ? std::strlen(lpMultiByteStr) + 1 : std::size_t(cbMultiByte);
  const std::u16string wide = AnsiToWide(std::string_view(lpMultiByteStr, length));
  if (cchWideChar == 0) return static_cast<int>(wide.size());
  if (!lpWideCharStr) return Fail(ERROR_INVALID_PARAMETER, 0);
  if (wide.size() > static_cast<std::size_t>(cchWideChar)) return Fail(ERROR_INSUFFICIENT_BUFFER, 0);
  std::memcpy(lpWideCharStr, wide.data(), wide.size() * sizeof(char16_t));
  return static_cast<int>(wide.size());
}

namespace crt {

int fgetc(File* file) {
  if (file->at_end || file->position >= file->bytes.size()) {
    file->at_end = true;
    return EOF;
  }
  const unsigned char c = static_cast<unsigned char>(file->bytes[file->position++]);
  if (file->binary) return c;
  // Text mode: Ctrl-Z ends the file, CR LF reads as LF, a lone CR stays.
  if (c == 0x1A) {
    file->at_end = true;
    return EOF;
  }
  if (c == '\r' && file->position < file->bytes.size() && file->bytes[file->position] == '\n') {
    ++file->position;
    return '\n';
  }
  return c;
}

int ferror(File* file) { return file->error ? 1 : 0; }

}  // namespace crt

// The run-time bodies that the trace wraps.
namespace sim::served::crt {

namespace {

::crt::File* Open(const char* path, bool binary) {
  const SimFile* file = path ? Current().files.FindFile(CheckerFullPath(path)) : nullptr;
  if (!file) return nullptr;
  auto opened = std::make_unique<::crt::File>();
  opened->bytes = file->content;
  opened->binary = binary;
  ::crt::File* handle = opened.get();
  CurrentRuntime().files.open_files.emplace(handle, std::move(opened));
  return handle;
}

}  // namespace

::crt::File* fopen_text(const char* path) { return Open(path, false); }
::crt::File* fopen_binary(const char* path) { return Open(path, true); }

std::size_t fread(void* buffer, std::size_t size, ::crt::File* file) {
  auto* out = static_cast<unsigned char*>(buffer);
  std::size_t count = 0;
  for (; count < size; ++count) {
    const int c = ::crt::fgetc(file);
    if (c == EOF) break;
    out[count] = static_cast<unsigned char>(c);
  }
  return count;
}

void fclose(::crt::File* file) { CurrentRuntime().files.open_files.erase(file); }

}  // namespace sim::served::crt
