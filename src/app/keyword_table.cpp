#include "app/keyword_table.h"

#include <iterator>

#include "checks/package/installer.h"
#include "checks/package/media_folder.h"
#include "checks/package/signature.h"
#include "checks/package/version_check.h"
#include "checks/software/database.h"
#include "checks/software/earlier_software.h"
#include "checks/system/hwmgmt.h"
#include "checks/system/platform.h"
#include "checks/system/privilege.h"
#include "checks/system/storport.h"
#include "platform/platform.h"
#include "probes/os_facts.h"
#include "probes/registry.h"
#include "probes/text_rules.h"

namespace {

void SleepForStatus(Run& run) {
  // A negative STATUS would reach Sleep as an infinite wait: do not wait.
  if (run.status > 0) Sleep(static_cast<DWORD>(run.status));
  run.reported = 0;
}

// clang-format off
const KeywordRow kKeywordTable[] = {
    {"ADMINCHECK",                [](Run& r) { r.KeepStatusWhen(!IsAdministratorsMember()); }},
    {"KROSCHECK",                 [](Run& r) { r.KeepStatusWhen(!MeetsOsLevel(true)); }},
    {"OLDKVCHECK",                [](Run& r) { r.KeepStatusWhen(HasEarlierNodeOrStation()); }},
    {"VERSIONCHECK",              [](Run& r) { ComparePackageVersion(r.argv[2], r.argc, r.argv, r.reported, r.description); }},
    {"SIGNCHECK",                 [](Run& r) { r.KeepStatusWhen(!VerifyPackageSignature(r.arg)); }},
    {"W2KDRIVERPOLICYCHECK",      [](Run& r) { r.KeepStatusWhen(!IsNonDriverSigningSilent()); }},
    {"OLDQRWITHKVI",              [](Run& r) { r.KeepStatusWhen(HasEarlierStorageManagerWithSuite()); }},
    {"SQLDEFAULTCHECK",           [](Run& r) { r.KeepStatusWhen(ClassifySqlInstallation() == kSqlNoDefaultInstance); }},
    {"SQLVERSIONCHECK",           [](Run& r) { r.KeepStatusWhen(ClassifySqlInstallation() == kSqlServerBelowVersion8); }},
    {"SQLCLIENTONLYCHECK",        [](Run& r) { r.KeepStatusWhen(ClassifySqlInstallation() == kSqlClientOnly); }},
    {"TQAROCKSCHECK",             [](Run& r) { r.KeepStatusWhen(HasOldConnectionProduct() == kOldConnectionProduct); }},
    {"MSDEWORKINGCHECK",          [](Run& r) { r.KeepStatusWhen(TryStartDatabaseServer() == kDatabaseServerNotStarted); }},
    {"MSDEINSTALLEDCHECK",        [](Run& r) { r.KeepStatusWhen(!IsRunningUnderWow64() && !IsEngineVersion8OrLater()); }},
    {"KVNMCHECK",                 [](Run& r) { r.KeepStatusWhen(HasNetworkManagerServer() == kNetworkManagerServer); }},
    {"TSMODECHECK",               [](Run& r) { r.KeepStatusWhen(CheckTerminalServerMode() == kApplicationServerSession); }},
    {"RACMNINSTALLED",            [](Run& r) { r.KeepStatusWhen(HasRemoteAccessCardNode()); }},
    {"ISNOTEM64T",                [](Run& r) { r.KeepStatusWhen(IsRunningUnderWow64()); }},
    {"ISITANIUM",                 [](Run& r) { r.KeepStatusWhen(IsItaniumSystem()); }},
    {"KRCDFOLDERCHECK",           [](Run& r) { r.KeepStatusWhen(!IsExpectedMediaFolder(kMediaFolder)); }},
    {"QRMNCHECK",                 [](Run& r) { r.KeepStatusWhen(KeyExists(HKEY_LOCAL_MACHINE, kQrNodeKey)); }},
    {"QRMSCHECK",                 [](Run& r) { r.KeepStatusWhen(QrmsComponentFor(kQrmsFirstProduct) && !QrmsComponentFor(kQrmsSecondProduct)); }},
    {"MSIINPROGRESSCHECK",        [](Run& r) { r.KeepStatusWhen(KeyExists(HKEY_LOCAL_MACHINE, kInstallerBusyKey)); }},
    {"MSICHECK",                  [](Run& r) { r.KeepStatusWhen(!IsInstallerVersionSufficient()); }},
    {"R2HWMGMTINSTALLEDCHECK",    [](Run& r) { r.KeepStatusWhen(CheckHwMgmtInstalled()); }},
    {"INTELDRIVERINSTALLEDCHECK", [](Run& r) { r.KeepStatusWhen(HasDeviceWithHardwareId("*imbdrv")); }},
    {"R2NOHWMGMTINSTALLEDCHECK",  [](Run& r) { r.KeepStatusWhen(CheckHwMgmtMissing()); }},
    {"STORPORTSP1",               [](Run& r) { r.KeepStatusWhen(PassesStorportSp1Gate() && !StorportMeetsMinimum(r.arg)); }},
    {"STORPORT",                  [](Run& r) { r.KeepStatusWhen(PassesStorportGate() && !StorportMeetsMinimum(r.arg)); }},
    {"2008_CORE",                 [](Run& r) { r.KeepStatusWhen(IsServerCoreEdition()); }},
    {"W2K8R2OSCHECK",             [](Run& r) { r.KeepStatusWhen(IsServer2008R2()); }},
    {"NULL",                      [](Run& r) { r.KeepStatusWhen(true); }},
    {"SLEEP",                     SleepForStatus},
};
// clang-format on

}  // namespace

const KeywordRow* FindKeywordRow(const char* mode) {
  for (const KeywordRow& row : kKeywordTable) {
    if (EqualsNoCase(mode, row.keyword)) return &row;
  }
  return nullptr;
}

KeywordRows AllKeywordRows() { return KeywordRows{std::begin(kKeywordTable), std::end(kKeywordTable)}; }
