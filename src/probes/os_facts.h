// What the checks know about the running Windows.
#pragma once

#include "platform/platform.h"

// The process-wide version record, written once by CaptureOsVersion before
// any check runs and only read afterwards.
extern OSVERSIONINFOEXA OsVersionRecord;

void CaptureOsVersion();
bool IsRunningUnderWow64();
bool IsNativeItanium();
// True on the Server 2003 family; with the flag set also from XP on.
bool MeetsOsLevel(bool flag);
