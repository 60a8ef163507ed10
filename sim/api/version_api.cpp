// The version library's calls: a file's version resource as the platform
// hands it out, a VS_VERSIONINFO block with its VS_FIXEDFILEINFO.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/platform.h"
#include "sim/api/file_access.h"
#include "sim/api/served_api.h"
#include "sim/api/support.h"
#include "sim/machine/machine.h"

namespace sim {
namespace {

// The block header: length, value length, type, then the key in UTF-16
// padded to a 32-bit boundary, then the value.
constexpr char16_t kKey[] = u"VS_VERSION_INFO";
constexpr std::size_t kHeader = 6 + sizeof(kKey);                      // 38 bytes
constexpr std::size_t kValueOffset = (kHeader + 3) & ~std::size_t{3};  // 40 bytes

std::vector<std::uint8_t> VersionBlock(const std::array<std::uint16_t, 4>& version) {
  VS_FIXEDFILEINFO info = {};
  info.dwSignature = 0xFEEF04BDu;
  info.dwStrucVersion = 0x00010000u;
  info.dwFileVersionMS = (DWORD{version[0]} << 16) | version[1];
  info.dwFileVersionLS = (DWORD{version[2]} << 16) | version[3];
  info.dwProductVersionMS = info.dwFileVersionMS;
  info.dwProductVersionLS = info.dwFileVersionLS;
  info.dwFileFlagsMask = 0x3F;
  info.dwFileOS = 0x00040004u;  // VOS_NT_WINDOWS32
  info.dwFileType = 1;          // VFT_APP
  std::vector<std::uint8_t> block(kValueOffset + sizeof(info), 0);
  const WORD length = static_cast<WORD>(block.size());
  const WORD value_length = sizeof(info);
  std::memcpy(&block[0], &length, 2);
  std::memcpy(&block[2], &value_length, 2);
  std::memcpy(&block[6], kKey, sizeof(kKey));
  std::memcpy(&block[kValueOffset], &info, sizeof(info));
  return block;
}

// The file's version block, or null with the error the platform gives.
const SimFile* VersionedFile(LPCSTR path) {
  const SimFile* file = path ? Current().files.FindFile(CheckerFullPath(path)) : nullptr;
  if (!file) return Fail(ERROR_FILE_NOT_FOUND, nullptr);
  if (!file->version) return Fail(ERROR_RESOURCE_TYPE_NOT_FOUND, nullptr);
  return file;
}

}  // namespace
}  // namespace sim

using namespace sim;

DWORD WINAPI served::GetFileVersionInfoSizeA(LPCSTR lptstrFilename, LPDWORD lpdwHandle) {
  if (lpdwHandle) *lpdwHandle = 0;
  const SimFile* file = VersionedFile(lptstrFilename);
  return file ? static_cast<DWORD>(VersionBlock(*file->version).size()) : 0;
}

BOOL WINAPI served::GetFileVersionInfoA(LPCSTR lptstrFilename, DWORD, DWORD dwLen, LPVOID lpData) {
  const SimFile* file = VersionedFile(lptstrFilename);
  if (!file) return FALSE;
  if (!lpData) return Fail(ERROR_INVALID_PARAMETER);
  // Like the platform, a short buffer gets the leading part of the block.
  const std::vector<std::uint8_t> block = VersionBlock(*file->version);
  std::memcpy(lpData, block.data(), std::min<std::size_t>(dwLen, block.size()));
  return TRUE;
}

BOOL WINAPI served::VerQueryValueA(const void* pBlock, LPCSTR lpSubBlock, LPVOID* lplpBuffer, UINT* puLen) {
  if (!pBlock || !lpSubBlock || !lplpBuffer || !puLen) return FALSE;
  // Only the root block is served; it holds the fixed file information.
  if (std::strcmp(lpSubBlock, "\\") != 0) return Fail(ERROR_RESOURCE_TYPE_NOT_FOUND);
  const auto* bytes = static_cast<const std::uint8_t*>(pBlock);
  WORD length = 0, value_length = 0;
  std::memcpy(&length, bytes, 2);
  std::memcpy(&value_length, bytes + 2, 2);
  if (length < kValueOffset + sizeof(VS_FIXEDFILEINFO) || value_length != sizeof(VS_FIXEDFILEINFO) ||
      std::memcmp(bytes + 6, kKey, sizeof(kKey)) != 0) {
    return Fail(ERROR_INVALID_DATA);
  }
  *lplpBuffer = const_cast<std::uint8_t*>(bytes + kValueOffset);
  *puLen = value_length;
  return TRUE;
}
