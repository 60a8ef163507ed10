#include "app/machine_reads.h"

#include <iterator>

namespace {

// clang-format off
const MachineRead kMachineReads[] = {
    {ReadKind::kOsFacts, "GetVersionExA, IsWow64Process, GetNativeSystemInfo, GetProductInfo", nullptr,
     "KROSCHECK, MSICHECK, STORPORT, STORPORTSP1, ISNOTEM64T, ISITANIUM, 2008_CORE, W2K8R2OSCHECK, "
     "W2KDRIVERPOLICYCHECK, TSMODECHECK, MSDEINSTALLEDCHECK"},
    {ReadKind::kToken, "the process token", nullptr, "ADMINCHECK"},
    {ReadKind::kElevation, "SOFTWARE", nullptr,
     "SQLDEFAULTCHECK, SQLVERSIONCHECK, SQLCLIENTONLYCHECK, MSDEWORKINGCHECK, MSDEINSTALLEDCHECK, "
     "KVNMCHECK, TQAROCKSCHECK"},
    {ReadKind::kSession, "GetSystemMetrics(SM_REMOTESESSION)", nullptr, "TSMODECHECK"},
    {ReadKind::kEnvironment, "temp", nullptr, "MSICHECK, STORPORT, STORPORTSP1"},
    {ReadKind::kEnvironment, "windir", nullptr, "STORPORT, STORPORTSP1"},
    {ReadKind::kCurrentDirectory, "the current directory", nullptr, "KRCDFOLDERCHECK, VERSIONCHECK, SIGNCHECK"},
    {ReadKind::kFileBytes, "hwlist.ini", nullptr, "VERSIONCHECK"},
    {ReadKind::kFileVersion, "%InstallerLocation%\\msiexec.exe", nullptr, "MSICHECK"},
    {ReadKind::kFileVersion, "%windir%\\system32\\drivers\\storport.sys", nullptr, "STORPORT, STORPORTSP1"},
    {ReadKind::kPackage, "NODE", nullptr, "SIGNCHECK"},
    {ReadKind::kPackage, "STATION", nullptr, "SIGNCHECK"},
    {ReadKind::kPackage, "KESTRELDOCS", nullptr, "SIGNCHECK"},
    {ReadKind::kPackage, "KESTRELDRIVER", nullptr, "SIGNCHECK"},
    {ReadKind::kDevices, "SetupDiGetClassDevsA, present devices of all classes", nullptr, "INTELDRIVERINSTALLEDCHECK"},
    {ReadKind::kLibraryCall, "KVIL32.DLL", "CheckForOldKVNode", "OLDKVCHECK"},
    {ReadKind::kLibraryCall, "KVIL32.DLL", "CheckForOldKVStation", "OLDKVCHECK"},
    {ReadKind::kLibraryCall, "KVIL32.DLL", "IsSystem7GOrLower", "R2HWMGMTINSTALLEDCHECK, R2NOHWMGMTINSTALLEDCHECK"},
    {ReadKind::kLibraryExport, "KxDbLib.dll", "StartServer", "MSDEWORKINGCHECK"},

    {ReadKind::kRegistryValue, "SOFTWARE\\Norvik Computer Corporation\\Kelvane\\Applications\\ZR4000", "Version", "VERSIONCHECK"},
    {ReadKind::kRegistryValue, "SOFTWARE\\Norvik Computer Corporation\\Kelvane\\Applications\\SystemsManagement", "Version", "VERSIONCHECK"},
    {ReadKind::kRegistryKey, "SOFTWARE\\Norvik Computer Corporation\\Kelvane\\Applications\\SystemsManagement", nullptr, "OLDQRWITHKVI, RACMNINSTALLED"},
    {ReadKind::kRegistryValue, "SOFTWARE\\Norvik Computer Corporation\\Kelvane\\Applications\\ManagementStation", "Version", "VERSIONCHECK"},
    {ReadKind::kRegistryKey, "SOFTWARE\\Norvik Computer Corporation\\Kelvane\\Applications\\ManagementStation", nullptr, "OLDQRWITHKVI"},
    {ReadKind::kRegistryKey, "SOFTWARE\\Norvik Computer Corporation\\Kelvane\\Applications\\QRNODE", nullptr, "QRMNCHECK"},
    {ReadKind::kRegistryValue, "SOFTWARE\\Norvik Computer Corporation\\Kelvane\\Remote Access Card Managed Node", "CurrentVersion", "RACMNINSTALLED"},
    {ReadKind::kRegistryKey, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{7B1E2D94-5C3A-4F10-9D6E-2A8C4B7F0E13}", nullptr, "OLDQRWITHKVI"},
    {ReadKind::kRegistryValue, "SOFTWARE\\Norvik Computer Corporation\\Norvik Kelvane Network Manager", "version", "KVNMCHECK"},
    {ReadKind::kRegistryValue, "SOFTWARE\\Norvik Computer Corporation\\Norvik Kelvane Network Manager", "server", "KVNMCHECK"},
    {ReadKind::kRegistryValue, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\a3c94e1b07d25f68e4b19c7d3a0f2e85", "DisplayName", "KVNMCHECK"},
    {ReadKind::kRegistryValue, "SOFTWARE\\Norvik Computer Corporation\\Norvik Kelvane Connection for NNM\\CurrentVersion", "Version", "TQAROCKSCHECK"},
    {ReadKind::kRegistryValue, "SOFTWARE\\Norvik Computer Corporation\\Norvik Kelvane Connection for SMS\\CurrentVersion", "Version", "TQAROCKSCHECK"},
    {ReadKind::kRegistryValue, "SOFTWARE\\Norvik Computer Corporation\\Kelvane Connection for Unicenter TNG\\CurrentVersion", "Version", "TQAROCKSCHECK"},
    {ReadKind::kRegistryValue, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Components\\E2A7C4190B5D38F6A1C9D07E4B2F6A53", "5D0C8E3A71F94B26C8E1A0B7D3F5294C", "QRMSCHECK"},
    {ReadKind::kRegistryValue, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Components\\E2A7C4190B5D38F6A1C9D07E4B2F6A53", "9F6B2E0D4C1A7358B0E2D94C6A1F8E07", "QRMSCHECK"},
    {ReadKind::kRegistryKey, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\InProgress", nullptr, "MSIINPROGRESSCHECK"},
    {ReadKind::kRegistryValue, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer", "InstallerLocation", "MSICHECK"},
    {ReadKind::kRegistryKey, "SOFTWARE\\Microsoft\\Microsoft SQL Server 7.0\\7.00.000", nullptr, "SQLDEFAULTCHECK, SQLVERSIONCHECK, SQLCLIENTONLYCHECK"},
    {ReadKind::kRegistryValue, "SOFTWARE\\Microsoft\\Microsoft SQL Server", "InstalledInstances", "SQLDEFAULTCHECK, SQLVERSIONCHECK, SQLCLIENTONLYCHECK"},
    {ReadKind::kRegistryKey, "SOFTWARE\\Microsoft\\MSDE\\7.00.000", nullptr, "SQLDEFAULTCHECK, SQLVERSIONCHECK, SQLCLIENTONLYCHECK"},
    {ReadKind::kRegistryKey, "SOFTWARE\\Microsoft\\MSSQLServer\\Client", nullptr, "SQLDEFAULTCHECK, SQLVERSIONCHECK, SQLCLIENTONLYCHECK"},
    {ReadKind::kRegistryValue, "SOFTWARE\\Microsoft\\MSSQLServer\\MSSQLServer\\CurrentVersion", "CurrentVersion", "SQLVERSIONCHECK, SQLCLIENTONLYCHECK, MSDEWORKINGCHECK, MSDEINSTALLEDCHECK"},
    {ReadKind::kRegistryValue, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\R2Setup", "Installed", "R2HWMGMTINSTALLEDCHECK, R2NOHWMGMTINSTALLEDCHECK"},
    {ReadKind::kRegistryValue, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup\\OC Manager\\Subcomponents", "hwmgmt", "R2HWMGMTINSTALLEDCHECK, R2NOHWMGMTINSTALLEDCHECK"},
    {ReadKind::kRegistryValue, "SOFTWARE\\Microsoft\\Non-Driver Signing", "Policy", "W2KDRIVERPOLICYCHECK"},
};
// clang-format on

const char* KindText(ReadKind kind) {
  switch (kind) {
    case ReadKind::kOsFacts:
      return "OS facts";
    case ReadKind::kToken:
      return "token";
    case ReadKind::kElevation:
      return "full access to HKEY_LOCAL_MACHINE";
    case ReadKind::kSession:
      return "session";
    case ReadKind::kEnvironment:
      return "environment variable";
    case ReadKind::kCurrentDirectory:
      return "current directory and its drive type";
    case ReadKind::kFileBytes:
      return "file bytes (current directory)";
    case ReadKind::kFileVersion:
      return "file version";
    case ReadKind::kPackage:
      return "package: presence and trust verdict";
    case ReadKind::kDevices:
      return "devices and hardware ids";
    case ReadKind::kLibraryCall:
      return "library export, called";
    case ReadKind::kLibraryExport:
      return "library export, presence only (never called)";
    case ReadKind::kRegistryKey:
      return "registry key";
    case ReadKind::kRegistryValue:
      return "registry value";
  }
  return "";
}

}  // namespace

MachineReads AllMachineReads() { return MachineReads{std::begin(kMachineReads), std::end(kMachineReads)}; }

std::string DescribeMachineReads() {
  std::string text = "| What | Where | Name | Read by |\n|---|---|---|---|\n";
  for (const MachineRead& read : kMachineReads) {
    std::string where = read.where;
    if (read.kind == ReadKind::kRegistryKey || read.kind == ReadKind::kRegistryValue ||
        read.kind == ReadKind::kElevation)
      where = "HKLM\\" + where;
    // Names as they stand on the machine are set as code; descriptions are not.
    const bool named = read.kind != ReadKind::kOsFacts && read.kind != ReadKind::kToken &&
                       read.kind != ReadKind::kSession && read.kind != ReadKind::kCurrentDirectory &&
                       read.kind != ReadKind::kDevices;
    if (named) where = "`" + where + "`";
    text += std::string("| ") + KindText(read.kind) + " | " + where + " | " +
            (read.what ? std::string("`") + read.what + "`" : std::string()) + " | " + read.keywords + " |\n";
  }
  return text;
}
