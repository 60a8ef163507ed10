// The one way a test installs a simulated machine: it is the machine the
// platform calls see while the object lives, and everything the calls handed
// out must be closed again by the time it goes or the next one is installed.
#pragma once

#include <utility>

#include "sim/machine/machine.h"
#include "support/nothing_left_open.h"

class InstalledMachine {
 public:
  InstalledMachine() = default;
  explicit InstalledMachine(sim::Machine machine) { sim::Use(std::move(machine)); }
  ~InstalledMachine() { Install(sim::Machine()); }
  InstalledMachine(const InstalledMachine&) = delete;
  InstalledMachine& operator=(const InstalledMachine&) = delete;

  void Install(sim::Machine machine) {
    EXPECT_TRUE(NothingLeftOpen());
    sim::Use(std::move(machine));
  }
};
