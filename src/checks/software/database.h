// Which SQL Server or MSDE engine is registered, and whether the console's
// database library can start it.
#pragma once

#include <cstddef>

// Codes of ClassifySqlInstallation.
constexpr int kSqlNoDefaultInstance = 216;
constexpr int kSqlServerBelowVersion8 = 205;
constexpr int kSqlClientOnly = 212;
// Codes of TryStartDatabaseServer.
constexpr int kDatabaseServerNotStarted = 207;
constexpr int kDatabaseServerStarted = 0;
constexpr int kNoDatabaseServerToStart = -1;
// The library's "StartServer" is there but was not called.
constexpr int kDatabaseServerNotAsked = 1;

// Whether a list of NUL-terminated strings, ending at an empty string or at
// the end of the data, has an entry containing "MSSQLSERVER" (case counts).
bool InstanceListNamesDefault(const char* data, std::size_t size);

bool HasDefaultSqlInstance();
int ClassifySqlInstallation();
bool IsEngineVersion8OrLater();
// Loads the database library and, when `start` is set, asks it to start the
// server; without `start` nothing is started and a present export answers
// kDatabaseServerNotAsked.
int TryStartDatabaseServer(bool start = true);
