// What the simulated Win32 calls share: the handle values they hand out, the
// thread's last error, the current-process pseudo handle and the clock.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "sim/machine/machine.h"

namespace sim {

// The pseudo handle GetCurrentProcess returns.
constexpr std::uintptr_t kCurrentProcess = static_cast<std::uintptr_t>(-1);

// A handle value not yet handed out in the current run.
std::uintptr_t NewHandle();

// Sets the thread's last error and returns the call's failure value.
template <typename Result>
Result Fail(DWORD error, Result failure) {
  CurrentRuntime().last_error = error;
  return failure;
}
inline BOOL Fail(DWORD error) { return Fail(error, FALSE); }

// Moves the simulated clock on; a machine in real time waits as long.
void Advance(std::uint64_t milliseconds);

}  // namespace sim
