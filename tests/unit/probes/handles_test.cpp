// The handle owner closes exactly what it owns: once, on every path.
#include "probes/handles.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> g_closed;

struct CountingTraits {
  static int Invalid() { return 0; }
  static void Close(int handle) { g_closed.push_back(handle); }
};
using Owner = UniqueHandleOf<int, CountingTraits>;

TEST(UniqueHandleOf, PutClosesWhatIsHeldAndTakesWhatTheCallWrites) {
  g_closed.clear();
  {
    Owner owner(7);
    *owner.put() = 9;
    EXPECT_EQ(g_closed, std::vector<int>{7});
    EXPECT_EQ(owner.get(), 9);
  }
  EXPECT_EQ(g_closed, (std::vector<int>{7, 9}));
}

TEST(UniqueHandleOf, ReleaseGivesTheHandleUpWithoutClosingIt) {
  g_closed.clear();
  {
    Owner owner(5);
    EXPECT_EQ(owner.release(), 5);
    EXPECT_FALSE(owner);
  }
  EXPECT_TRUE(g_closed.empty());
}

TEST(UniqueHandleOf, AnEmptySlotLeftByAFailedCallClosesNothing) {
  g_closed.clear();
  {
    Owner owner;
    owner.put();
  }
  EXPECT_TRUE(g_closed.empty());
}

}  // namespace
