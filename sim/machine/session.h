// The logon session the checker runs in.
#pragma once

namespace sim {

struct SessionFacts {
  // A Terminal Services client session rather than the console.
  bool remote = false;
};

}  // namespace sim
