// The traced names of the calls that reach files and drives: the searches,
// the drive type, the version resources, and the run-time's environment,
// current directory and text files.
#include <cstdio>
#include <map>
#include <string>

#include "sim/api/file_access.h"
#include "sim/api/served_api.h"
#include "sim/api/system_exports.h"
#include "sim/api/trace.h"
#include "sim/machine/file_runtime.h"

namespace sim {
namespace {

// The full path each open run-time file was found at, for the lines that use it.
std::map<const ::crt::File*, std::string>& FilePaths() {
  static std::map<const ::crt::File*, std::string> paths;
  return paths;
}

std::string FileText(const ::crt::File* file) {
  auto found = FilePaths().find(file);
  return found == FilePaths().end() ? PointerText(file) : "file [" + found->second + "]";
}

// Bytes as read, with what is not printable escaped.
std::string BytesText(const void* data, std::size_t size) {
  std::string text;
  for (std::size_t i = 0; i < size; ++i) {
    const auto byte = static_cast<const unsigned char*>(data)[i];
    if (byte >= 0x20 && byte < 0x7F && byte != '"' && byte != '\\') {
      text += static_cast<char>(byte);
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof(escaped), "\\x%02x", byte);
      text += escaped;
    }
  }
  return Quoted(text);
}

std::string Found(const WIN32_FIND_DATAA& data) {
  static const Named kAttributes[] = {{FILE_ATTRIBUTE_DIRECTORY, "FILE_ATTRIBUTE_DIRECTORY"},
                                      {FILE_ATTRIBUTE_ARCHIVE, "FILE_ATTRIBUTE_ARCHIVE"},
                                      {FILE_ATTRIBUTE_NORMAL, "FILE_ATTRIBUTE_NORMAL"}};
  return Quoted(data.cFileName) + ", " + FlagNames(data.dwFileAttributes, kAttributes) + ", " +
         std::to_string(data.nFileSizeLow) + " bytes";
}

std::string DriveType(UINT type) {
  static const Named kTypes[] = {
      {DRIVE_UNKNOWN, "DRIVE_UNKNOWN"},     {DRIVE_NO_ROOT_DIR, "DRIVE_NO_ROOT_DIR"},
      {DRIVE_REMOVABLE, "DRIVE_REMOVABLE"}, {DRIVE_FIXED, "DRIVE_FIXED"},
      {DRIVE_REMOTE, "DRIVE_REMOTE"},       {DRIVE_CDROM, "DRIVE_CDROM"},
      {DRIVE_RAMDISK, "DRIVE_RAMDISK"}};
  return ConstantName(type, kTypes);
}

std::string FixedFileVersion(const void* value, UINT length) {
  if (length < sizeof(VS_FIXEDFILEINFO)) return std::to_string(length) + " bytes";
  const auto* info = static_cast<const VS_FIXEDFILEINFO*>(value);
  return "file version " + std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
         std::to_string(LOWORD(info->dwFileVersionMS)) + "." + std::to_string(HIWORD(info->dwFileVersionLS)) +
         "." + std::to_string(LOWORD(info->dwFileVersionLS));
}

}  // namespace
}  // namespace sim

using sim::CallTrace;
namespace served = sim::served;

HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
  const HANDLE search = served::FindFirstFileA(lpFileName, lpFindFileData);
  if (!sim::Tracing()) return search;
  CallTrace trace("FindFirstFileA");
  const bool failed = search == INVALID_HANDLE_VALUE;
  trace.Text(lpFileName).Returns(sim::HandleResult(search), failed);
  if (!failed) trace.Then(sim::Found(*lpFindFileData));
  trace.Reached(lpFileName);
  return search;
}

BOOL WINAPI FindClose(HANDLE hFindFile) {
  const BOOL closed = served::FindClose(hFindFile);
  CallTrace("FindClose").Handle(hFindFile).Returns(sim::Boolean(closed), !closed);
  return closed;
}

UINT WINAPI GetDriveTypeA(LPCSTR lpRootPathName) {
  const UINT type = served::GetDriveTypeA(lpRootPathName);
  if (!sim::Tracing()) return type;
  CallTrace("GetDriveTypeA").Text(lpRootPathName).Returns(sim::DriveType(type), false);
  return type;
}

DWORD WINAPI sim::exports::GetFileVersionInfoSizeA(LPCSTR lptstrFilename, LPDWORD lpdwHandle) {
  const DWORD size = served::GetFileVersionInfoSizeA(lptstrFilename, lpdwHandle);
  if (!Tracing()) return size;
  CallTrace trace("GetFileVersionInfoSizeA");
  trace.Text(lptstrFilename).Returns(std::to_string(size), size == 0);
  trace.Reached(lptstrFilename);
  return size;
}

BOOL WINAPI sim::exports::GetFileVersionInfoA(LPCSTR lptstrFilename, DWORD dwHandle, DWORD dwLen,
                                              LPVOID lpData) {
  const BOOL read = served::GetFileVersionInfoA(lptstrFilename, dwHandle, dwLen, lpData);
  if (!Tracing()) return read;
  CallTrace trace("GetFileVersionInfoA");
  trace.Text(lptstrFilename).Number(dwHandle).Number(dwLen).Returns(Boolean(read), !read);
  trace.Reached(lptstrFilename);
  return read;
}

BOOL WINAPI sim::exports::VerQueryValueA(const void* pBlock, LPCSTR lpSubBlock, LPVOID* lplpBuffer,
                                         UINT* puLen) {
  const BOOL found = served::VerQueryValueA(pBlock, lpSubBlock, lplpBuffer, puLen);
  if (!Tracing()) return found;
  CallTrace trace("VerQueryValueA");
  trace.Text(lpSubBlock).Returns(Boolean(found), !found);
  if (found && lpSubBlock && std::string(lpSubBlock) == "\\")
    trace.Then(FixedFileVersion(*lplpBuffer, *puLen));
  return found;
}

namespace crt {

const char* getenv(const char* name) {
  const char* value = served::crt::getenv(name);
  if (!sim::Tracing()) return value;
  CallTrace("getenv").Text(name).Returns(value ? sim::Quoted(value) : "NULL", false);
  return value;
}

char* getcwd(char* buffer, int size) {
  char* directory = served::crt::getcwd(buffer, size);
  if (!sim::Tracing()) return directory;
  CallTrace("getcwd")
      .Number(static_cast<unsigned>(size))
      .Returns(directory ? sim::Quoted(directory) : "NULL", false);
  return directory;
}

namespace {

File* TracedOpen(const char* name, File* (*open)(const char*), const char* path) {
  File* file = open(path);
  if (!sim::Tracing()) return file;
  CallTrace trace(name);
  trace.Text(path);
  if (file) {
    sim::FilePaths()[file] = sim::CheckerFullPath(path);
    trace.Returns(sim::FileText(file), false).Then(std::to_string(file->bytes.size()) + " bytes");
  } else {
    trace.Returns("NULL", false);
    trace.Reached(path);
  }
  return file;
}

}  // namespace

File* fopen_text(const char* path) { return TracedOpen("fopen_text", served::crt::fopen_text, path); }
File* fopen_binary(const char* path) { return TracedOpen("fopen_binary", served::crt::fopen_binary, path); }

std::size_t fread(void* buffer, std::size_t size, File* file) {
  const std::size_t read = served::crt::fread(buffer, size, file);
  if (!sim::Tracing()) return read;
  CallTrace("fread")
      .Word(sim::FileText(file))
      .Number(size)
      .Returns(std::to_string(read), false)
      .Then(sim::BytesText(buffer, read));
  return read;
}

void fclose(File* file) {
  if (sim::Tracing() && file) {
    CallTrace trace("fclose");
    trace.Word(sim::FileText(file));
    trace.Then(file->at_end ? std::string("read to its end")
                            : std::to_string(file->position) + " of " + std::to_string(file->bytes.size()) +
                                  " bytes read");
  }
  sim::FilePaths().erase(file);
  served::crt::fclose(file);
}

}  // namespace crt
