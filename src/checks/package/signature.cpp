#include "checks/package/signature.h"

#include <cstddef>
#include <vector>

#include "platform/platform.h"
#include "probes/handles.h"
#include "probes/text_rules.h"

namespace {

// TRUST_E_NOSIGNATURE, which the trust service answers for a file it finds no signature in.
constexpr LONG kNoSignature = static_cast<LONG>(0x800B0100u);

struct Package {
  const char* tag;
  const char* path;
};

const Package kPackages[] = {
    {"NODE", "..\\SystemsManagement\\SysMgmt.msi"},
    {"STATION", "..\\ManagementStation\\MgmtSt.msi"},
    {"KESTRELDOCS", "..\\Docs\\Norvik Halcyra Tessel Disk Documentation.msi"},
    {"KESTRELDRIVER", "..\\Driver\\SAS 7K Adapter Driver.msi"},
};

#if defined(_WIN32) && !defined(_WIN64)
static_assert(offsetof(WINTRUST_DATA, dwProvFlags) + sizeof(DWORD) == 44, "the 32-bit trust request layout");
static_assert(sizeof(WINTRUST_FILE_INFO) == 16, "the 32-bit file information layout");
#endif

// The package path in UTF-16, as the trust service takes it.
std::vector<WCHAR> WidePath(const std::string& path) {
  const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  if (length <= 0) return {};
  std::vector<WCHAR> wide(static_cast<std::size_t>(length));
  if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), length) != length) return {};
  return wide;
}

}  // namespace

std::string PackagePathForTag(const std::string& tag) {
  for (const Package& package : kPackages)
    if (EqualsNoCase(tag.c_str(), package.tag)) return package.path;
  return std::string();
}

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  WIN32_FIND_DATAA found;
  UniqueFindHandle search(FindFirstFileA(path.c_str(), &found));
  if (!search) return false;
  return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool VerifyPackageSignature(const std::string& tag) {
  const std::string path = PackagePathForTag(tag);
  if (!FileExists(path)) return true;
  return TrustVerdictOf(path) == 0;
}

LONG TrustVerdictOf(const std::string& path) {
  std::vector<WCHAR> wide = WidePath(path);
  // A present package whose path cannot be converted cannot be vouched for.
  if (wide.empty()) return kNoSignature;

  WINTRUST_FILE_INFO file = {};
  file.cbStruct = sizeof(file);
  file.pcwszFilePath = wide.data();
  file.hFile = nullptr;
  file.pgKnownSubject = nullptr;

  WINTRUST_DATA data = {};
  // The layout that ends with dwProvFlags (44 bytes on 32-bit Windows), which
  // every supported Windows reads; newer headers declare a longer structure.
  data.cbStruct = offsetof(WINTRUST_DATA, dwProvFlags) + sizeof(DWORD);
  data.pPolicyCallbackData = nullptr;
  data.pSIPClientData = nullptr;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = 0;
  data.hWVTStateData = nullptr;
  data.pwszURLReference = nullptr;
  data.dwProvFlags = 0;

  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  return WinVerifyTrust(nullptr, &action, &data);
}
