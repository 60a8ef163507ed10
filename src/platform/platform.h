// The one door to Windows. Product code includes this header and nothing
// else of the platform: on Windows it is the real API, elsewhere the same
// names are declared here and served by the simulated machine.
#pragma once

#if defined(_WIN32)
#include "platform/windows_api.h"
#else
#include "platform/simulated_api.h"
#endif

#include "platform/crt.h"
