// The machine's side of the privilege, session and hardware checks: the
// process token, the logon session and the device tree.
#pragma once

#include "devices.h"
#include "session.h"
#include "token.h"

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
