#include "probes/file_version.h"

#include <cstdio>
#include <vector>

#include "platform/platform.h"
#include "probes/companion.h"
#include "probes/os_facts.h"

namespace {

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

std::string GetFileVersionString(const std::string& path) {
  return IsRunningUnderWow64() ? VersionThroughCompanion(path, "\\tmp_ver.txt") : VersionFromResource(path);
}
