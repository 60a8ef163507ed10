// A function looked up by name at run time, as the typed pointer it is.
#pragma once

#include "platform/platform.h"

// The detour through void(*)() is the one cast between function types that
// compilers accept without a warning.
template <typename Function>
Function FunctionFrom(FARPROC address) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}
