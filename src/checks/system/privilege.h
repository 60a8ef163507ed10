// Checks of the user's privileges and of the Terminal Services session.
#pragma once

// The process token carries the local Administrators group (S-1-5-32-544).
bool IsAdministratorsMember();
// 218 on Windows 2000 in a remote session of an application-mode terminal
// server, else 0.
int CheckTerminalServerMode();
// The system's suite includes single-user terminal services.
bool IsSingleUserTerminalServices();
