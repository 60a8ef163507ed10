// The one check that a run closed everything the simulated calls handed out:
// registry keys, text files, searches, processes and threads, libraries,
// tokens, SIDs and device lists.
#pragma once

#include <gtest/gtest.h>

#include "sim/machine/machine.h"

inline ::testing::AssertionResult NothingLeftOpen() {
  const std::string open = sim::CurrentRuntime().LeftOpen();
  if (open.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "left open: " << open;
}
