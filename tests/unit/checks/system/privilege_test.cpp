#include "checks/system/privilege.h"

#include <gtest/gtest.h>

#include "platform/system_libraries.h"
#include "probes/os_facts.h"
#include "sim/profile/known_machines.h"
#include "support/installed_machine.h"
#include "support/nothing_left_open.h"
#include "support/os_record.h"

namespace {

using sim::TokenFacts;
using sim::TokenGroup;

constexpr DWORD kTrustFailure = 1789;  // ERROR_TRUSTED_RELATIONSHIP_FAILURE

TokenFacts AdministratorTokenWith(std::uint32_t lookup_error) {
  TokenFacts token;
  for (TokenGroup& group : token.groups)
    if (group.sid == sim::kAdministratorsSid) group.lookup_error = lookup_error;
  return token;
}

TokenFacts TwoAdministratorEntries(std::uint32_t first_lookup, std::uint32_t second_lookup) {
  TokenFacts token = sim::StandardUserToken();
  token.groups.insert(token.groups.begin() + 1,
                      {sim::kAdministratorsSid, sim::kGroupDenyOnly, first_lookup, "", ""});
  token.groups.push_back({sim::kAdministratorsSid, sim::kGroupEnabledMandatory, second_lookup, "", ""});
  return token;
}

struct TokenCase {
  const char* name;
  TokenFacts token;
  bool member;
  std::size_t lookups;
};

TEST(IsAdministratorsMember, WalksTheTokenGroupsAndFreesEverything) {
  TokenFacts open_fails, size_query_fails, query_fails, sid_fails, admin_with_bad_sizes;
  open_fails.open_error = ERROR_ACCESS_DENIED;
  size_query_fails.size_query_error = ERROR_INVALID_PARAMETER;
  query_fails.query_error = ERROR_NOT_ENOUGH_MEMORY;
  sid_fails.allocate_sid_error = ERROR_NOT_ENOUGH_MEMORY;
  TokenFacts no_groups;
  no_groups.groups.clear();
  TokenCase cases[] = {
      {"Administrator", TokenFacts(), true, 1},
      {"StandardUser", sim::StandardUserToken(), false, 0},
      {"FilteredAdministratorDenyOnly", sim::FilteredAdministratorToken(), true, 1},
      {"NameNotMapped", AdministratorTokenWith(ERROR_NONE_MAPPED), true, 1},
      {"OtherLookupError", AdministratorTokenWith(kTrustFailure), false, 1},
      {"EveryMatchIsLookedUp", TwoAdministratorEntries(ERROR_NONE_MAPPED, 0), true, 2},
      {"LaterLookupErrorWins", TwoAdministratorEntries(0, kTrustFailure), false, 2},
      {"LookupErrorStopsTheWalk", TwoAdministratorEntries(kTrustFailure, 0), false, 1},
      {"EmptyToken", no_groups, false, 0},
      {"TokenCannotBeOpened", open_fails, false, 0},
      {"SizeQueryFailsOtherwise", size_query_fails, false, 0},
      {"SecondQueryFails", query_fails, false, 0},
      {"SidCannotBeMade", sid_fails, false, 0},
  };
  for (TokenCase& c : cases) {
    sim::Machine machine = sim::Server2003(2, false);
    machine.system.token = c.token;
    InstalledMachine scoped(machine);
    EXPECT_EQ(IsAdministratorsMember(), c.member) << c.name;
    const sim::TokenRuntime& runtime = sim::CurrentRuntime().system.token;
    EXPECT_EQ(runtime.lookups.size(), c.lookups) << c.name;
    for (const std::string& looked_up : runtime.lookups)
      EXPECT_EQ(looked_up, sim::kAdministratorsSid) << c.name;
    EXPECT_TRUE(NothingLeftOpen()) << c.name;
    EXPECT_TRUE(runtime.allocated_sids.empty()) << c.name << ": SID not freed";
  }
}

struct SessionCase {
  const char* name;
  sim::Machine machine;
  bool remote;
  WORD suite_mask;
  int code;
};

TEST(CheckTerminalServerMode, HoldsOnlyInARemoteApplicationServerSessionOfWindows2000) {
  constexpr WORD kTerminal = 0x10;  // VER_SUITE_TERMINAL
  sim::Machine windows_98_like = sim::Windows2000Sp4();
  windows_98_like.os.platform = 1;
  SessionCase cases[] = {
      {"Windows2000Console", sim::Windows2000Sp4(), false, kTerminal, 0},
      {"Windows2000RemoteApplicationServer", sim::Windows2000Sp4(), true, kTerminal, 218},
      {"Windows2000RemoteAdministration", sim::Windows2000Sp4(), true, kTerminal | VER_SUITE_SINGLEUSERTS, 0},
      {"Windows2000OtherPlatform", windows_98_like, true, kTerminal, 0},
      {"XpRemote", sim::WindowsXpSp2(), true, 0, 0},
      {"Server2003RemoteApplicationServer", sim::Server2003(2, false), true, kTerminal, 0},
      {"Server2008RemoteApplicationServer", sim::Server2008(), true, kTerminal, 0},
      {"Server2008R2Remote", sim::Server2008R2(), true, kTerminal, 0},
  };
  InstalledMachine installed;
  for (SessionCase& c : cases) {
    c.machine.system.session.remote = c.remote;
    c.machine.os.suite_mask = c.suite_mask;
    InstallAndCaptureOsVersion(installed, c.machine);
    SystemLibraryScope libraries;
    EXPECT_EQ(CheckTerminalServerMode(), c.code) << c.name;
  }
}

TEST(IsSingleUserTerminalServices, AsksForTheSingleUserSuiteBit) {
  const std::pair<WORD, bool> cases[] = {
      {0, false}, {0x10, false}, {0x100, true}, {0x110, true}, {0x3FF, true}};
  for (const auto& [suite_mask, expected] : cases) {
    sim::Machine machine = sim::Windows2000Sp4();
    machine.os.suite_mask = suite_mask;
    InstalledMachine scoped(machine);
    EXPECT_EQ(IsSingleUserTerminalServices(), expected) << suite_mask;
  }
}

}  // namespace
