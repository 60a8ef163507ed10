// advapi32's token and SID calls, served from the simulated process token.
#include <cstring>
#include <stdexcept>

#include "platform/platform.h"
#include "sim/api/served_api.h"
#include "sim/api/support.h"
#include "sim/machine/machine.h"

namespace sim {
namespace {

constexpr DWORD kErrorInvalidSid = 1337;

std::vector<std::uint8_t> GroupSid(const TokenGroup& group) {
  std::vector<std::uint8_t> sid = SidFromText(group.sid);
  if (sid.empty()) throw std::invalid_argument("token group with a malformed SID: " + group.sid);
  return sid;
}

struct Account {
  const char* sid;
  const char* name;
  const char* domain;
  SID_NAME_USE use;
};

// Names of the well-known SIDs as an English system maps them.
const Account kWellKnown[] = {
    {"S-1-1-0", "Everyone", "", SidTypeWellKnownGroup},
    {"S-1-2-0", "LOCAL", "", SidTypeWellKnownGroup},
    {"S-1-5-4", "INTERACTIVE", "NT AUTHORITY", SidTypeWellKnownGroup},
    {"S-1-5-11", "Authenticated Users", "NT AUTHORITY", SidTypeWellKnownGroup},
    {"S-1-5-18", "SYSTEM", "NT AUTHORITY", SidTypeWellKnownGroup},
    {"S-1-5-32-544", "Administrators", "BUILTIN", SidTypeAlias},
    {"S-1-5-32-545", "Users", "BUILTIN", SidTypeAlias},
    {"S-1-5-32-547", "Power Users", "BUILTIN", SidTypeAlias},
};

// The token entry a SID handed to LookupAccountSidA stands for: the entry
// whose SID the last TokenGroups query put at that address, else the first
// entry with an equal SID.
const TokenGroup* GroupFor(const std::uint8_t* sid, const std::string& text) {
  const TokenFacts& token = Current().system.token;
  const auto& placed = CurrentRuntime().system.token.group_sids;
  auto at = placed.find(reinterpret_cast<std::uintptr_t>(sid));
  if (at != placed.end() && at->second < token.groups.size() && token.groups[at->second].sid == text)
    return &token.groups[at->second];
  for (const TokenGroup& group : token.groups)
    if (SidToText(GroupSid(group).data()) == text) return &group;
  return nullptr;
}

}  // namespace
}  // namespace sim

using namespace sim;

// The bodies; the platform names are defined in traced_security_api.cpp.
namespace sim::served {

BOOL WINAPI OpenProcessToken(HANDLE ProcessHandle, DWORD DesiredAccess, PHANDLE TokenHandle) {
  if (!TokenHandle) return Fail(ERROR_INVALID_PARAMETER);
  if (reinterpret_cast<std::uintptr_t>(ProcessHandle) != kCurrentProcess) return Fail(ERROR_INVALID_HANDLE);
  if (Current().system.token.open_error) return Fail(Current().system.token.open_error);
  Runtime& runtime = CurrentRuntime();
  const std::uintptr_t value = NewHandle();
  runtime.system.token.open_tokens[value] = DesiredAccess;
  *TokenHandle = reinterpret_cast<HANDLE>(value);
  return TRUE;
}

BOOL WINAPI GetTokenInformation(HANDLE TokenHandle, TOKEN_INFORMATION_CLASS TokenInformationClass,
                                LPVOID TokenInformation, DWORD TokenInformationLength, PDWORD ReturnLength) {
  auto& open = CurrentRuntime().system.token.open_tokens;
  auto token_handle = open.find(reinterpret_cast<std::uintptr_t>(TokenHandle));
  if (token_handle == open.end()) return Fail(ERROR_INVALID_HANDLE);
  if (!(token_handle->second & TOKEN_QUERY)) return Fail(ERROR_ACCESS_DENIED);
  if (TokenInformationClass != TokenGroups || !ReturnLength) return Fail(ERROR_INVALID_PARAMETER);
  const TokenFacts& token = Current().system.token;

  // The block holds the count, the entries and then the SIDs they point to.
  std::vector<std::vector<std::uint8_t>> sids;
  const std::size_t entries =
      offsetof(TOKEN_GROUPS, Groups) + token.groups.size() * sizeof(SID_AND_ATTRIBUTES);
  std::size_t needed = entries;
  for (const TokenGroup& group : token.groups) {
    sids.push_back(GroupSid(group));
    needed += sids.back().size();
  }
  *ReturnLength = static_cast<DWORD>(needed);
  if (TokenInformationLength < needed || !TokenInformation)
    return Fail(token.size_query_error ? token.size_query_error : ERROR_INSUFFICIENT_BUFFER);
  if (token.query_error) return Fail(token.query_error);

  auto* block = static_cast<std::uint8_t*>(TokenInformation);
  auto* groups = static_cast<TOKEN_GROUPS*>(TokenInformation);
  groups->GroupCount = static_cast<DWORD>(token.groups.size());
  auto& placed = CurrentRuntime().system.token.group_sids;
  placed.clear();
  std::size_t at = entries;
  for (std::size_t i = 0; i < token.groups.size(); ++i) {
    std::memcpy(block + at, sids[i].data(), sids[i].size());
    groups->Groups[i].Sid = block + at;
    groups->Groups[i].Attributes = token.groups[i].attributes;
    placed[reinterpret_cast<std::uintptr_t>(block + at)] = i;
    at += sids[i].size();
  }
  return TRUE;
}

BOOL WINAPI AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY pIdentifierAuthority, BYTE nSubAuthorityCount,
                                     DWORD nSubAuthority0, DWORD nSubAuthority1, DWORD nSubAuthority2,
                                     DWORD nSubAuthority3, DWORD nSubAuthority4, DWORD nSubAuthority5,
                                     DWORD nSubAuthority6, DWORD nSubAuthority7, PSID* pSid) {
  if (!pIdentifierAuthority || !pSid || nSubAuthorityCount > 8) return Fail(ERROR_INVALID_PARAMETER);
  if (Current().system.token.allocate_sid_error) return Fail(Current().system.token.allocate_sid_error);
  const DWORD sub[8] = {nSubAuthority0, nSubAuthority1, nSubAuthority2, nSubAuthority3,
                        nSubAuthority4, nSubAuthority5, nSubAuthority6, nSubAuthority7};
  std::vector<std::uint8_t> sid(8 + 4 * nSubAuthorityCount);
  sid[0] = 1;
  sid[1] = nSubAuthorityCount;
  std::memcpy(&sid[2], pIdentifierAuthority->Value, 6);
  for (int i = 0; i < nSubAuthorityCount; ++i) std::memcpy(&sid[8 + 4 * i], &sub[i], 4);
  auto& allocated = CurrentRuntime().system.token.allocated_sids;
  // The vector's storage stays where it is while the entry lives.
  std::uint8_t* address = sid.data();
  allocated.emplace(reinterpret_cast<std::uintptr_t>(address), std::move(sid));
  *pSid = address;
  return TRUE;
}

BOOL WINAPI EqualSid(PSID pSid1, PSID pSid2) {
  const auto* a = static_cast<const std::uint8_t*>(pSid1);
  const auto* b = static_cast<const std::uint8_t*>(pSid2);
  const std::size_t length = SidLength(a);
  if (!length || !SidLength(b)) return Fail(kErrorInvalidSid);
  CurrentRuntime().last_error = ERROR_SUCCESS;
  return SidLength(b) == length && std::memcmp(a, b, length) == 0;
}

PVOID WINAPI FreeSid(PSID pSid) {
  // Returns null on success, the SID itself when it was not allocated here.
  if (CurrentRuntime().system.token.allocated_sids.erase(reinterpret_cast<std::uintptr_t>(pSid)) == 0)
    return pSid;
  return nullptr;
}

BOOL WINAPI LookupAccountSidA(LPCSTR, PSID Sid, LPSTR Name, LPDWORD cchName, LPSTR ReferencedDomainName,
                              LPDWORD cchReferencedDomainName, PSID_NAME_USE peUse) {
  const auto* sid = static_cast<const std::uint8_t*>(Sid);
  if (!SidLength(sid) || !cchName || !cchReferencedDomainName || !peUse) return Fail(ERROR_INVALID_PARAMETER);
  const std::string text = SidToText(sid);
  CurrentRuntime().system.token.lookups.push_back(text);

  std::string name, domain;
  SID_NAME_USE use = SidTypeGroup;
  const TokenGroup* group = GroupFor(sid, text);
  if (group && group->lookup_error) return Fail(group->lookup_error);
  bool mapped = false;
  if (group && !group->name.empty()) {
    name = group->name;
    domain = group->domain;
    mapped = true;
  } else {
    for (const Account& account : kWellKnown)
      if (text == account.sid) {
        name = account.name;
        domain = account.domain;
        use = account.use;
        mapped = true;
      }
  }
  // Logon SIDs and SIDs of unknown domains have no account name.
  if (!mapped) return Fail(ERROR_NONE_MAPPED);

  // Both buffers must hold their text and its terminator, else both sizes are reported.
  if (!Name || !ReferencedDomainName || *cchName <= name.size() ||
      *cchReferencedDomainName <= domain.size()) {
    *cchName = static_cast<DWORD>(name.size() + 1);
    *cchReferencedDomainName = static_cast<DWORD>(domain.size() + 1);
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  std::memcpy(Name, name.c_str(), name.size() + 1);
  std::memcpy(ReferencedDomainName, domain.c_str(), domain.size() + 1);
  *cchName = static_cast<DWORD>(name.size());
  *cchReferencedDomainName = static_cast<DWORD>(domain.size());
  *peUse = use;
  return TRUE;
}

}  // namespace sim::served
