// Checks of the user's privileges and of the Terminal Services session.
#pragma once

// The process token carries the local Administrators group (S-1-5-32-544).
bool IsAdministratorsMember();
// What CheckTerminalServerMode answers on Windows 2000 in a remote session
// of an application-mode terminal server; it answers 0 everywhere else.
constexpr int kApplicationServerSession = 218;
int CheckTerminalServerMode();
// The system's suite includes single-user terminal services.
bool IsSingleUserTerminalServices();
