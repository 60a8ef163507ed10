// CloseHandle serves kernel handles of several kinds; each area of the
// simulated machine that hands some out registers how it closes its own.
#pragma once

#include <cstdint>

namespace sim {

// Closes the handle if it is one of the area's; false when it is not.
using HandleCloser = bool (*)(std::uintptr_t handle);

// Registers a closer; call it from a static initialiser of the area.
bool RegisterHandleCloser(HandleCloser closer);

}  // namespace sim
