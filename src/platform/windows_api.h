// The Windows build's view of the platform: the real system headers.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
// user32 and setupapi are not imported: platform/system_library_calls.cpp
// defines the calls the checks make and binds them at run time, so the
// headers must declare them as plain functions rather than as imports.
#define WINUSERAPI
#define _SETUPAPI_
#include <windows.h>
// Order matters: the trust and setup headers need the base types above.
#include <setupapi.h>
#include <softpub.h>
#include <wintrust.h>
