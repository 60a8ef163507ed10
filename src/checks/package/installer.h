// MSICHECK and MSIINPROGRESSCHECK: the state of Windows Installer.
#pragma once

#include <string>

// The key Windows Installer keeps while an installation is in progress.
extern const char kInstallerBusyKey[];

// True when the dotted version splits into a major and a minor part and
// they, as decimal numbers, are below 3.1.
bool IsInstallerVersionBelowMinimum(const std::string& version);

// False only on the Server 2003 family when msiexec.exe, found through
// "InstallerLocation", has a version below 3.1.
bool IsInstallerVersionSufficient();
