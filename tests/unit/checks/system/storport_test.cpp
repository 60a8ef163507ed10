#include "checks/system/storport.h"

#include <gtest/gtest.h>

#include "probes/os_facts.h"

namespace {

TEST(IsVersionAtLeast, TheFirstPairOfPartsThatDifferDecidesByValue) {
  struct Case {
    const char* installed;
    const char* minimum;
    bool at_least;
  };
  const Case cases[] = {
      {"5.2.3790.1830", "5.2.3790.2075", false},
      {"5.2.3790.2075", "5.2.3790.2075", true},
      {"5.2.3790.3959", "5.2.3790.2075", true},
      {"5.2.3790.1830", "5.2", true},               // 3790 meets the empty part
      {"5.2.3790.1830", "5.2.3790.1830.5", false},  // the empty fifth part meets 5
      {"5.02.1", "5.2.9", true},                    // "02" and "2" differ as text, not in value
      {"5.2.1", "5.02.9", true},
      {"5.2.3790.1830", ".5..2", true},
      {"5.2", ".5..2", true},
      {"5.1", ".5..2", false},
      {"5.2.3790.1830\n", "5.2.3790.1830", true},
      {"5.2.3790.1830\n", "5.2.3790.1831", false},
      {"5.2.3790.1830", "5.2.x", true},  // a part without digits is 0
      {"6.0", "10.0", false},            // by value, not as text
      {"10.0", "9.9", true},
      {"", "5.2.3790.2075", false},  // an unreadable version is below any minimum above 0
      {"", "0.1", true},             // ... but not below one whose first part is 0
      {"5.2.3790.1830", "", true},   // no minimum
      {"", "", true},
      {"5.2.3790.1830", "5.2.3790.1830", true},
      {"5.2.3790.1830", "5.2.3790.1830.0", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsVersionAtLeast(c.installed, c.minimum), c.at_least)
        << '"' << c.installed << "\" against \"" << c.minimum << '"';
}

TEST(StorportGates, SplitMajorVersion5AtServicePack2) {
  struct Case {
    DWORD major;
    WORD service_pack;
    bool sp1_gate, gate;
  };
  const Case cases[] = {
      {5, 0, true, false}, {5, 1, true, false}, {5, 2, false, true}, {5, 3, false, true},
      {6, 0, false, true}, {6, 1, false, true}, {4, 6, false, true}, {0, 0, false, true},
  };
  for (const Case& c : cases) {
    OsVersionRecord = OSVERSIONINFOEXA{};
    OsVersionRecord.dwMajorVersion = c.major;
    OsVersionRecord.wServicePackMajor = c.service_pack;
    EXPECT_EQ(PassesStorportSp1Gate(), c.sp1_gate) << c.major << " SP" << c.service_pack;
    EXPECT_EQ(PassesStorportGate(), c.gate) << c.major << " SP" << c.service_pack;
  }
}

}  // namespace
