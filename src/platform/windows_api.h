// The Windows build's view of the platform: the real system headers.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// Order matters: the trust and setup headers need the base types above.
#include <setupapi.h>
#include <softpub.h>
#include <wintrust.h>
