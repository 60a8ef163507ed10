// The access token of the checker's process: its groups, what the account
// lookup makes of each group's SID, and the failures of the token calls.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace sim {

// SE_GROUP_* attribute bits of a token group.
constexpr std::uint32_t kGroupMandatory = 0x1;
constexpr std::uint32_t kGroupEnabledByDefault = 0x2;
constexpr std::uint32_t kGroupEnabled = 0x4;
constexpr std::uint32_t kGroupOwner = 0x8;
constexpr std::uint32_t kGroupDenyOnly = 0x10;
constexpr std::uint32_t kGroupLogonId = 0xC0000000u;
constexpr std::uint32_t kGroupEnabledMandatory = kGroupMandatory | kGroupEnabledByDefault | kGroupEnabled;

constexpr const char* kAdministratorsSid = "S-1-5-32-544";

struct TokenGroup {
  std::string sid;  // in the S-R-I-S-S... form, e.g. "S-1-5-32-544"
  std::uint32_t attributes = kGroupEnabledMandatory;
  // What LookupAccountSidA makes of this entry: 0 maps it to the account
  // name and domain below (or the well-known ones when they are empty);
  // otherwise the call fails with this error, e.g. ERROR_NONE_MAPPED (1332).
  std::uint32_t lookup_error = 0;
  std::string name;
  std::string domain;
};

struct TokenFacts {
  // An elevated member of the local Administrators group.
  std::vector<TokenGroup> groups = {
      {"S-1-5-21-1004336348-1177238915-682003330-513", kGroupEnabledMandatory, 0, "None", "WORKSTATION"},
      {"S-1-1-0", kGroupEnabledMandatory, 0, "", ""},
      {kAdministratorsSid, kGroupEnabledMandatory | kGroupOwner, 0, "", ""},
      {"S-1-5-32-545", kGroupEnabledMandatory, 0, "", ""},
      {"S-1-5-4", kGroupEnabledMandatory, 0, "", ""},
      {"S-1-5-11", kGroupEnabledMandatory, 0, "", ""},
      {"S-1-5-5-0-54123", kGroupEnabledMandatory | kGroupLogonId, 0, "", ""},
      {"S-1-2-0", kGroupEnabledMandatory, 0, "", ""},
  };
  // Non-zero: the call fails with this error.
  std::uint32_t open_error = 0;          // OpenProcessToken
  std::uint32_t size_query_error = 0;    // GetTokenInformation asked with a buffer too small
                                         // (in place of ERROR_INSUFFICIENT_BUFFER)
  std::uint32_t query_error = 0;         // GetTokenInformation with a buffer large enough
  std::uint32_t allocate_sid_error = 0;  // AllocateAndInitializeSid
};

// A standard user: no Administrators entry at all.
TokenFacts StandardUserToken();
// An administrator under User Account Control without elevation: the
// Administrators entry is there for deny only.
TokenFacts FilteredAdministratorToken();

// What the token calls have handed out in the current run.
struct TokenRuntime {
  std::map<std::uintptr_t, std::uint32_t> open_tokens;  // handle to granted access
  // SIDs from AllocateAndInitializeSid that are not yet freed, by address.
  std::map<std::uintptr_t, std::vector<std::uint8_t>> allocated_sids;
  // Where the last TokenGroups query put each group's SID: address to entry.
  std::map<std::uintptr_t, std::size_t> group_sids;
  std::vector<std::string> lookups;  // SIDs looked up, in call order
};

// A SID's binary form from its text form; empty when the text is malformed.
std::vector<std::uint8_t> SidFromText(const std::string& text);
// The text form of a binary SID; empty when it is malformed.
std::string SidToText(const std::uint8_t* sid);
// The size in bytes of a valid binary SID, or 0 when it is not one.
std::size_t SidLength(const std::uint8_t* sid);

}  // namespace sim
