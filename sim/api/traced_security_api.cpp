// The traced names of the security calls: the process token and its groups,
// the security identifiers built, compared and looked up, and the signature
// verdict of a file.
#include <cstdint>
#include <string>

#include "sim/api/served_api.h"
#include "sim/api/system_exports.h"
#include "sim/api/trace.h"
#include "sim/machine/machine.h"

namespace sim {
namespace {

std::string SidText(PSID sid) {
  if (!sid) return "NULL";
  const std::string text = SidToText(static_cast<const std::uint8_t*>(sid));
  return text.empty() ? "an invalid SID" : text;
}

std::string GroupAttributes(DWORD attributes) {
  static const Named kNames[] = {{SE_GROUP_MANDATORY, "SE_GROUP_MANDATORY"},
                                 {SE_GROUP_ENABLED_BY_DEFAULT, "SE_GROUP_ENABLED_BY_DEFAULT"},
                                 {SE_GROUP_ENABLED, "SE_GROUP_ENABLED"},
                                 {SE_GROUP_OWNER, "SE_GROUP_OWNER"},
                                 {SE_GROUP_USE_FOR_DENY_ONLY, "SE_GROUP_USE_FOR_DENY_ONLY"},
                                 {SE_GROUP_LOGON_ID, "SE_GROUP_LOGON_ID"}};
  return FlagNames(attributes, kNames);
}

std::string Groups(const TOKEN_GROUPS& groups) {
  std::string text = std::to_string(groups.GroupCount) + " groups";
  for (DWORD i = 0; i < groups.GroupCount; ++i)
    text += (i ? ", " : ": ") + SidText(groups.Groups[i].Sid) + " " +
            GroupAttributes(groups.Groups[i].Attributes);
  return text;
}

std::string InformationClass(TOKEN_INFORMATION_CLASS information_class) {
  static const Named kNames[] = {{TokenUser, "TokenUser"}, {TokenGroups, "TokenGroups"}};
  return ConstantName(static_cast<DWORD>(information_class), kNames);
}

std::string Authority(const SID_IDENTIFIER_AUTHORITY* authority) {
  if (!authority) return "NULL";
  std::uint64_t value = 0;
  for (BYTE byte : authority->Value) value = (value << 8) | byte;
  return "authority " + std::to_string(value);
}

std::string AccountUse(SID_NAME_USE use) {
  static const Named kNames[] = {{SidTypeUser, "SidTypeUser"},
                                 {SidTypeGroup, "SidTypeGroup"},
                                 {SidTypeDomain, "SidTypeDomain"},
                                 {SidTypeAlias, "SidTypeAlias"},
                                 {SidTypeWellKnownGroup, "SidTypeWellKnownGroup"}};
  return ConstantName(static_cast<DWORD>(use), kNames);
}

std::string TrustVerdict(LONG result) {
  // The verdicts the generic verification gives, as HRESULTs.
  static const Named kNames[] = {{0, "ERROR_SUCCESS"},
                                 {0x800B0001u, "TRUST_E_PROVIDER_UNKNOWN"},
                                 {0x800B0004u, "TRUST_E_SUBJECT_NOT_TRUSTED"},
                                 {0x800B0100u, "TRUST_E_NOSIGNATURE"},
                                 {0x800B0101u, "CERT_E_EXPIRED"},
                                 {0x800B0109u, "CERT_E_UNTRUSTEDROOT"},
                                 {0x80096010u, "TRUST_E_BAD_DIGEST"},
                                 {0x80070057u, "E_INVALIDARG"}};
  return ConstantName(static_cast<DWORD>(result), kNames);
}

}  // namespace
}  // namespace sim

using sim::CallTrace;
namespace served = sim::served;

BOOL WINAPI OpenProcessToken(HANDLE ProcessHandle, DWORD DesiredAccess, PHANDLE TokenHandle) {
  static const sim::Named kRights[] = {{TOKEN_QUERY, "TOKEN_QUERY"}};
  const BOOL opened = served::OpenProcessToken(ProcessHandle, DesiredAccess, TokenHandle);
  if (!sim::Tracing()) return opened;
  CallTrace trace("OpenProcessToken");
  trace.Word(sim::ProcessText(ProcessHandle)).Word(sim::FlagNames(DesiredAccess, kRights));
  trace.Returns(sim::Boolean(opened), !opened);
  if (opened) trace.Then("token " + sim::PointerText(*TokenHandle));
  return opened;
}

BOOL WINAPI GetTokenInformation(HANDLE TokenHandle, TOKEN_INFORMATION_CLASS TokenInformationClass,
                                LPVOID TokenInformation, DWORD TokenInformationLength, PDWORD ReturnLength) {
  const BOOL answered = served::GetTokenInformation(TokenHandle, TokenInformationClass, TokenInformation,
                                                    TokenInformationLength, ReturnLength);
  if (!sim::Tracing()) return answered;
  CallTrace trace("GetTokenInformation");
  trace.Handle(TokenHandle).Word(sim::InformationClass(TokenInformationClass)).Number(TokenInformationLength);
  trace.Returns(sim::Boolean(answered), !answered);
  if (answered && TokenInformationClass == TokenGroups) {
    trace.Then(sim::Groups(*static_cast<const TOKEN_GROUPS*>(TokenInformation)));
  } else if (!answered && ReturnLength && *ReturnLength > TokenInformationLength) {
    trace.Then(std::to_string(*ReturnLength) + " bytes needed");
  }
  return answered;
}

BOOL WINAPI AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY pIdentifierAuthority, BYTE nSubAuthorityCount,
                                     DWORD nSubAuthority0, DWORD nSubAuthority1, DWORD nSubAuthority2,
                                     DWORD nSubAuthority3, DWORD nSubAuthority4, DWORD nSubAuthority5,
                                     DWORD nSubAuthority6, DWORD nSubAuthority7, PSID* pSid) {
  const BOOL built = served::AllocateAndInitializeSid(
      pIdentifierAuthority, nSubAuthorityCount, nSubAuthority0, nSubAuthority1, nSubAuthority2,
      nSubAuthority3, nSubAuthority4, nSubAuthority5, nSubAuthority6, nSubAuthority7, pSid);
  if (!sim::Tracing()) return built;
  CallTrace trace("AllocateAndInitializeSid");
  trace.Word(sim::Authority(pIdentifierAuthority)).Number(nSubAuthorityCount);
  const DWORD sub_authorities[8] = {nSubAuthority0, nSubAuthority1, nSubAuthority2, nSubAuthority3,
                                    nSubAuthority4, nSubAuthority5, nSubAuthority6, nSubAuthority7};
  for (BYTE i = 0; i < nSubAuthorityCount && i < 8; ++i) trace.Number(sub_authorities[i]);
  trace.Returns(sim::Boolean(built), !built);
  if (built) trace.Then(sim::SidText(*pSid));
  return built;
}

BOOL WINAPI EqualSid(PSID pSid1, PSID pSid2) {
  const BOOL equal = served::EqualSid(pSid1, pSid2);
  if (!sim::Tracing()) return equal;
  // FALSE with no error means the two differ.
  const bool failed = !equal && GetLastError() != ERROR_SUCCESS;
  CallTrace("EqualSid")
      .Word(sim::SidText(pSid1))
      .Word(sim::SidText(pSid2))
      .Returns(sim::Boolean(equal), failed);
  return equal;
}

PVOID WINAPI FreeSid(PSID pSid) {
  const std::string sid = sim::Tracing() ? sim::SidText(pSid) : std::string();
  const PVOID left = served::FreeSid(pSid);
  if (!sim::Tracing()) return left;
  CallTrace trace("FreeSid");
  trace.Word(sid).Returns(sim::PointerText(left), false);
  if (left) trace.Then("not a SID this process allocated");
  return left;
}

BOOL WINAPI LookupAccountSidA(LPCSTR lpSystemName, PSID Sid, LPSTR Name, LPDWORD cchName,
                              LPSTR ReferencedDomainName, LPDWORD cchReferencedDomainName,
                              PSID_NAME_USE peUse) {
  const DWORD name_offered = cchName ? *cchName : 0;
  const DWORD domain_offered = cchReferencedDomainName ? *cchReferencedDomainName : 0;
  const BOOL found = served::LookupAccountSidA(lpSystemName, Sid, Name, cchName, ReferencedDomainName,
                                               cchReferencedDomainName, peUse);
  if (!sim::Tracing()) return found;
  CallTrace trace("LookupAccountSidA");
  trace.Text(lpSystemName).Word(sim::SidText(Sid)).Number(name_offered).Number(domain_offered);
  trace.Returns(sim::Boolean(found), !found);
  if (found) {
    trace.Then(std::string(ReferencedDomainName) + (*ReferencedDomainName ? "\\" : "") + Name + ", " +
               sim::AccountUse(*peUse));
  } else if (GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    trace.Then(std::to_string(*cchName) + " and " + std::to_string(*cchReferencedDomainName) +
               " characters needed");
  }
  return found;
}

LONG WINAPI sim::exports::WinVerifyTrust(HWND hwnd, GUID* pgActionID, LPVOID pWVTData) {
  const LONG verdict = served::WinVerifyTrust(hwnd, pgActionID, pWVTData);
  if (!Tracing()) return verdict;
  // The request as the machine read it.
  const TrustRequest& request = CurrentRuntime().trust.requests.back();
  const std::string file = WideToAnsi(request.path);
  CallTrace trace("WinVerifyTrust");
  trace.Handle(hwnd)
      .Word(request.generic_verify_v2 ? "WINTRUST_ACTION_GENERIC_VERIFY_V2" : "another action")
      .Word(file.empty() ? "no file" : Quoted(file))
      .Returns(TrustVerdict(verdict), false);
  if (!file.empty()) trace.Reached(file.c_str());
  return verdict;
}
