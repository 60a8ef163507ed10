#include "checks/system/privilege.h"

#include <cstddef>
#include <memory>
#include <new>

#include "platform/platform.h"
#include "probes/handles.h"
#include "probes/os_facts.h"

namespace {

constexpr DWORD kAccountNameChars = 256;

// The group list of the process token, in a zero-filled block of exactly
// the size the token reports; null when any step fails.
std::unique_ptr<BYTE[]> QueryTokenGroups(HANDLE token, DWORD& size) {
  size = 0;
  if (!GetTokenInformation(token, TokenGroups, nullptr, 0, &size) &&
      GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    return nullptr;
  std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[size ? size : 1]());
  if (!block || !GetTokenInformation(token, TokenGroups, block.get(), size, &size)) return nullptr;
  return block;
}

}  // namespace

bool IsAdministratorsMember() {
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return false;

  DWORD size = 0;
  const std::unique_ptr<BYTE[]> block = QueryTokenGroups(token.get(), size);
  if (!block) return false;

  SID_IDENTIFIER_AUTHORITY nt_authority = SECURITY_NT_AUTHORITY;
  UniqueSid administrators;
  if (!AllocateAndInitializeSid(&nt_authority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0,
                                0, 0, 0, 0, administrators.put()))
    return false;

  const std::size_t entries_end = offsetof(TOKEN_GROUPS, Groups);
  // A block too small to hold even the count has no entries to walk.
  if (size < entries_end) return false;
  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(block.get());
  bool member = false;
  // The attributes are not looked at: an entry for deny only, as a filtered
  // administrator's token has it, counts as membership.
  for (DWORD i = 0; i < groups->GroupCount; ++i) {
    if (entries_end + (i + 1) * sizeof(SID_AND_ATTRIBUTES) > size) break;
    PSID sid = groups->Groups[i].Sid;
    if (!EqualSid(sid, administrators.get())) continue;
    char name[kAccountNameChars];
    char domain[kAccountNameChars];
    DWORD name_chars = kAccountNameChars;
    DWORD domain_chars = kAccountNameChars;
    SID_NAME_USE use = SidTypeAlias;
    // A SID the system cannot name is still the Administrators SID.
    if (LookupAccountSidA(nullptr, sid, name, &name_chars, domain, &domain_chars, &use) ||
        GetLastError() == ERROR_NONE_MAPPED)
      member = true;
    else
      return false;
  }
  return member;
}

int CheckTerminalServerMode() {
  const OSVERSIONINFOEXA& os = OsVersionRecord;
  if (os.dwPlatformId != VER_PLATFORM_WIN32_NT || os.dwMajorVersion != 5 || os.dwMinorVersion != 0) return 0;
  if (GetSystemMetrics(SM_REMOTESESSION) == 0) return 0;
  if (IsSingleUserTerminalServices()) return 0;
  return kApplicationServerSession;
}

bool IsSingleUserTerminalServices() {
  OSVERSIONINFOEXA query = {};
  query.dwOSVersionInfoSize = sizeof(query);
  query.wSuiteMask = VER_SUITE_SINGLEUSERTS;
  const DWORDLONG condition = VerSetConditionMask(0, VER_SUITENAME, VER_AND);
  // A failed call reads as a system without single-user terminal services.
  return VerifyVersionInfoA(&query, VER_SUITENAME, condition) != FALSE;
}
