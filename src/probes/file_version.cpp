#include "probes/file_version.h"

#include <cstdio>
#include <vector>

#include "platform/platform.h"
#include "probes/handles.h"
#include "probes/os_facts.h"
#include "probes/process.h"
#include "probes/text_rules.h"

namespace {

std::string VersionThroughCompanion(const std::string& path) {
  // Without "temp" there is no folder for the output file.
  const char* temp = crt::getenv("temp");
  if (!temp || !*temp) return std::string();
  const std::string output_file = std::string(temp) + "\\tmp_ver.txt";
  // Unquoted: the companion takes the blanks of a path as part of it.
  if (RunAndWait("fileversion_x64 " + path + " " + output_file, nullptr) != 0) return std::string();
  return ReadCompanionOutput(output_file);
}

std::string VersionFromResource(const std::string& path) {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  if (size == 0) return std::string();
  std::vector<char> block(size);
  if (!GetFileVersionInfoA(path.c_str(), handle, size, block.data())) return std::string();
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), "\\", &value, &length) || !value || length < sizeof(VS_FIXEDFILEINFO))
    return std::string();
  const auto* info = static_cast<const VS_FIXEDFILEINFO*>(value);
  char text[32];
  std::snprintf(text, sizeof(text), "%d.%d.%d.%d", HIWORD(info->dwFileVersionMS),
                LOWORD(info->dwFileVersionMS), HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS));
  return text;
}

}  // namespace

std::string ReadCompanionOutput(const std::string& output_file) {
  UniqueTextFile file(crt::fopen_text(output_file.c_str()));
  if (!file) return std::string();
  char buffer[256];
  const std::size_t read = crt::fread(buffer, sizeof(buffer), file.get());
  return TextUpToNul(buffer, read);
}

std::string GetFileVersionString(const std::string& path) {
  return IsRunningUnderWow64() ? VersionThroughCompanion(path) : VersionFromResource(path);
}
