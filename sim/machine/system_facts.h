// The machine's side of the privilege, session and hardware checks: the
// process token, the logon session and the device tree.
#pragma once

#include "sim/machine/devices.h"
#include "sim/machine/session.h"
#include "sim/machine/token.h"

namespace sim {

struct SystemFacts {
  TokenFacts token;
  SessionFacts session;
  DeviceFacts devices;
};

// What the token and setup calls hold open in the current run.
struct SystemRuntime {
  TokenRuntime token;
  DeviceRuntime devices;
};

}  // namespace sim
