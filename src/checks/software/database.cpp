#include "checks/software/database.h"

#include <cstring>
#include <string>

#include "checks/software/version_rules.h"
#include "probes/entry_points.h"
#include "probes/handles.h"
#include "probes/registry.h"
#include "probes/text_rules.h"

namespace {

const char kSql70Key[] = "SOFTWARE\\Microsoft\\Microsoft SQL Server 7.0\\7.00.000";
const char kSqlServerKey[] = "SOFTWARE\\Microsoft\\Microsoft SQL Server";
const char kMsde70Key[] = "SOFTWARE\\Microsoft\\MSDE\\7.00.000";
const char kClientKey[] = "SOFTWARE\\Microsoft\\MSSQLServer\\Client";
const char kServerVersionKey[] = "SOFTWARE\\Microsoft\\MSSQLServer\\MSSQLServer\\CurrentVersion";

using StartServerFn = int(WINAPI*)();

bool KeyOpensWithFullAccess(const char* path) { return static_cast<bool>(OpenWithFullAccess(path)); }

}  // namespace

bool InstanceListNamesDefault(const char* data, std::size_t size) {
  static const char kDefault[] = "MSSQLSERVER";
  std::size_t position = 0;
  while (position < size) {
    const void* nul = std::memchr(data + position, 0, size - position);
    const std::size_t end = nul ? static_cast<const char*>(nul) - data : size;
    if (end == position) break;  // the empty string that ends the list
    if (std::string(data + position, end - position).find(kDefault) != std::string::npos) return true;
    position = end + 1;
  }
  return false;
}

bool HasDefaultSqlInstance() {
  UniqueRegKey key = OpenWithFullAccess(kSqlServerKey);
  if (!key) return false;
  char buffer[4096];
  DWORD size = sizeof(buffer);
  // A list longer than the buffer fails with ERROR_MORE_DATA and reads as no list.
  if (RegQueryValueExA(key.get(), "InstalledInstances", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                       &size) != ERROR_SUCCESS)
    return false;
  return InstanceListNamesDefault(buffer, size < sizeof(buffer) ? size : sizeof(buffer));
}

int ClassifySqlInstallation() {
  bool server = false;
  bool client = false;
  if (KeyOpensWithFullAccess(kSql70Key)) server = true;
  if (UniqueRegKey key = OpenWithFullAccess(kSqlServerKey)) {
    if (!HasDefaultSqlInstance()) return kSqlNoDefaultInstance;
    server = true;
  }
  if (KeyOpensWithFullAccess(kMsde70Key)) server = true;
  if (KeyOpensWithFullAccess(kClientKey)) client = true;
  if (!server) return 0;

  UniqueRegKey version_key = OpenWithFullAccess(kServerVersionKey);
  if (!version_key) return client ? kSqlClientOnly : 0;
  char buffer[256];
  DWORD size = sizeof(buffer);
  if (RegQueryValueExA(version_key.get(), "CurrentVersion", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                       &size) != ERROR_SUCCESS)
    return 0;
  const std::string version = TextUpToNul(buffer, size < sizeof(buffer) ? size : sizeof(buffer));
  return IsEngineVersion8(version) ? 0 : kSqlServerBelowVersion8;
}

bool IsEngineVersion8OrLater() {
  UniqueRegKey key = OpenWithFullAccess(kServerVersionKey);
  if (!key) return false;
  return IsEngineVersion8(QueryStringValue(key.get(), "CurrentVersion"));
}

int TryStartDatabaseServer(bool start) {
  if (!IsEngineVersion8OrLater()) return kNoDatabaseServerToStart;
  UniqueLibrary library(LoadLibraryA("KxDbLib.dll"));
  if (!library) return kNoDatabaseServerToStart;
  const auto start_server = LookUpExport<StartServerFn>(library.get(), "StartServer");
  if (!start_server) return kDatabaseServerNotStarted;
  if (!start) return kDatabaseServerNotAsked;
  return start_server() == 0 ? kDatabaseServerNotStarted : kDatabaseServerStarted;
}
