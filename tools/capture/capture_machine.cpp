#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "app/machine_reads.h"
#include "captured_machine.h"
#include "checks/package/signature.h"
#include "checks/system/privilege.h"
#include "platform/platform.h"
#include "probes/entry_points.h"
#include "probes/file_version.h"
#include "probes/handles.h"
#include "probes/os_facts.h"
#include "probes/registry.h"
#include "probes/text_rules.h"

namespace {

using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
using GetNativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
using GetProductInfoFn = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, PDWORD);
using AnswerFn = int(WINAPI*)();

CapturedOs CaptureOs() {
  CapturedOs os;
  OSVERSIONINFOEXA record = {};
  record.dwOSVersionInfoSize = sizeof(record);
  os.version_call_fails = !GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&record));
  os.major = record.dwMajorVersion;
  os.minor = record.dwMinorVersion;
  os.build = record.dwBuildNumber;
  os.platform = record.dwPlatformId;
  os.service_pack = TextUpToNul(record.szCSDVersion, sizeof(record.szCSDVersion));
  os.service_pack_major = record.wServicePackMajor;
  os.service_pack_minor = record.wServicePackMinor;
  os.suite_mask = record.wSuiteMask;
  os.product_type = record.wProductType;

  if (auto is_wow64_process = Kernel32Export<IsWow64ProcessFn>("IsWow64Process")) {
    os.has_is_wow64_process = true;
    BOOL wow64 = FALSE;
    os.wow64_call_fails = !is_wow64_process(GetCurrentProcess(), &wow64);
    os.sixty_four_bit = wow64 == TRUE;
  }
  if (auto get_native_system_info = Kernel32Export<GetNativeSystemInfoFn>("GetNativeSystemInfo")) {
    os.has_get_native_system_info = true;
    SYSTEM_INFO info = {};
    get_native_system_info(&info);
    if (info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64)
      os.native_architecture = "ia64";
    else if (info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64)
      os.native_architecture = "amd64";
  } else if (os.sixty_four_bit) {
    os.native_architecture = "amd64";
  }
  if (auto get_product_info = Kernel32Export<GetProductInfoFn>("GetProductInfo")) {
    os.has_get_product_info = true;
    DWORD product = 0;
    // Asked as the edition check asks it, with the version record's numbers.
    get_product_info(record.dwMajorVersion, record.dwMinorVersion, record.wServicePackMajor,
                     record.wServicePackMinor, &product);
    os.product_info = product;
  }
  return os;
}

// The drive type's name in a machine profile.
const char* DriveTypeName(UINT type) {
  switch (type) {
    case DRIVE_REMOVABLE:
      return "removable";
    case DRIVE_FIXED:
      return "fixed";
    case DRIVE_REMOTE:
      return "remote";
    case DRIVE_CDROM:
      return "cdrom";
    case DRIVE_RAMDISK:
      return "ramdisk";
    default:
      return "none";
  }
}

bool HasDriveLetter(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

void NoteDrive(CapturedMachine& machine, const std::string& path) {
  if (!HasDriveLetter(path)) return;
  const char letter = static_cast<char>(path[0] & ~0x20);
  if (machine.drives.count(letter)) return;
  const char root[] = {letter, ':', '\\', 0};
  machine.drives[letter] = DriveTypeName(GetDriveTypeA(root));
}

// Joins a path relative to `folder`, as Windows resolves it: "." and ".."
// parts are taken away, ".." at the root stays at the root; doubled
// backslashes count as one.
std::string ResolvePath(const std::string& folder, const std::string& relative) {
  const std::string joined = relative.size() >= 2 && relative[1] == ':' ? relative : folder + "\\" + relative;
  if (!HasDriveLetter(joined)) return joined;
  std::vector<std::string> parts;
  std::size_t at = 2;
  while (at <= joined.size()) {
    std::size_t end = joined.find('\\', at);
    if (end == std::string::npos) end = joined.size();
    const std::string part = joined.substr(at, end - at);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    at = end + 1;
  }
  std::string path = joined.substr(0, 2);
  for (const std::string& part : parts) path += "\\" + part;
  return parts.empty() ? path + "\\" : path;
}

bool FolderExists(const std::string& path) {
  std::string folder = path;
  while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  if (folder.size() <= 3)
    return HasDriveLetter(folder) && GetDriveTypeA((folder.substr(0, 2) + "\\").c_str()) > DRIVE_NO_ROOT_DIR;
  WIN32_FIND_DATAA found;
  UniqueFindHandle search(FindFirstFileA(folder.c_str(), &found));
  return search && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void NoteFolder(CapturedMachine& machine, const std::string& path) {
  if (!HasDriveLetter(path) || path.size() <= 3 || !FolderExists(path)) return;
  std::string folder = path;
  while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  for (const std::string& known : machine.folders)
    if (EqualsNoCase(known.c_str(), folder.c_str())) return;
  machine.folders.push_back(folder);
}

// Four dotted numbers from 0 to 65535, as a version resource holds them.
bool IsFourPartVersion(const std::string& text) {
  int parts = 0;
  std::size_t at = 0;
  while (at <= text.size()) {
    std::size_t end = text.find('.', at);
    if (end == std::string::npos) end = text.size();
    if (end == at || end - at > 5) return false;
    unsigned long number = 0;
    for (std::size_t i = at; i < end; ++i) {
      if (text[i] < '0' || text[i] > '9') return false;
      number = number * 10 + static_cast<unsigned long>(text[i] - '0');
    }
    if (number > 65535) return false;
    ++parts;
    at = end + 1;
  }
  return parts == 4;
}

// The trust verdict under the name a machine profile gives it. Verdicts the
// profile has no name for fail verification all the same.
const char* SignatureName(LONG verdict) {
  switch (static_cast<std::uint32_t>(verdict)) {
    case 0:
      return "valid";
    case 0x800B0100u:
      return "unsigned";
    case 0x80096010u:
      return "bad_digest";
    case 0x800B0109u:
      return "untrusted_root";
    case 0x800B0101u:
      return "expired";
    default:
      return "not_trusted";
  }
}

std::string Expand(const std::string& templated, const CapturedMachine& machine) {
  const auto variable = [&](const char* name) -> std::optional<std::string> {
    auto found = machine.environment.find(name);
    return found == machine.environment.end() ? std::nullopt : found->second;
  };
  const std::string windir = "%windir%";
  const std::string location = "%InstallerLocation%";
  if (templated.compare(0, windir.size(), windir) == 0) {
    const auto value = variable("windir");
    return value ? *value + templated.substr(windir.size()) : std::string();
  }
  if (templated.compare(0, location.size(), location) == 0) {
    const std::string stored = ReadRegString(
        HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer", "InstallerLocation");
    return stored.empty() ? std::string() : stored + templated.substr(location.size());
  }
  return templated;
}

CapturedFile& FileAt(CapturedMachine& machine, const std::string& path) {
  for (CapturedFile& file : machine.files)
    if (EqualsNoCase(file.path.c_str(), path.c_str())) return file;
  machine.files.push_back(CapturedFile{path, std::nullopt, std::string(), std::string(), std::string()});
  return machine.files.back();
}

void CaptureFileBytes(CapturedMachine& machine, const char* name) {
  UniqueTextFile file(crt::fopen_binary(name));
  if (!file) return;
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const std::size_t got = crt::fread(buffer, sizeof(buffer), file.get());
    bytes.append(buffer, got);
    if (got < sizeof(buffer)) break;
  }
  FileAt(machine, ResolvePath(machine.current_directory, name)).bytes = bytes;
}

void CaptureFileVersion(CapturedMachine& machine, const char* templated) {
  const std::string asked = Expand(templated, machine);
  if (asked.empty()) return;
  const std::string version = GetFileVersionString(asked);
  if (!IsFourPartVersion(version)) return;
  // The replay serves the file by its full path, as the version call was asked for it.
  CapturedFile& file = FileAt(machine, ResolvePath(asked, ""));
  file.version = version;
}

void CapturePackage(CapturedMachine& machine, const char* tag) {
  const std::string relative = PackagePathForTag(tag);
  if (relative.empty() || !FileExists(relative)) return;
  CapturedFile& file = FileAt(machine, ResolvePath(machine.current_directory, relative));
  const LONG verdict = TrustVerdictOf(relative);
  file.signature = SignatureName(verdict);
  char note[64];
  std::snprintf(note, sizeof(note), "trust verdict 0x%08lX",
                static_cast<unsigned long>(static_cast<std::uint32_t>(verdict)));
  file.note = note;
}

void CaptureDevices(CapturedMachine& machine) {
  const UniqueDevInfo devices(
      SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES));
  if (!devices) {
    machine.class_devs_error = GetLastError();
    return;
  }
  SP_DEVINFO_DATA device = {};
  device.cbSize = sizeof(device);
  for (DWORD index = 0; SetupDiEnumDeviceInfo(devices.get(), index, &device); ++index) {
    CapturedDevice captured;
    DWORD required = 0;
    if (!SetupDiGetDeviceRegistryPropertyA(devices.get(), &device, SPDRP_HARDWAREID, nullptr, nullptr, 0,
                                           &required) &&
        GetLastError() == ERROR_INSUFFICIENT_BUFFER && required > 0) {
      std::vector<BYTE> ids(required);
      if (SetupDiGetDeviceRegistryPropertyA(devices.get(), &device, SPDRP_HARDWAREID, nullptr, ids.data(),
                                            required, nullptr)) {
        captured.has_hardware_ids = true;
        std::size_t at = 0;
        while (at < ids.size() && ids[at] != 0) {
          const std::string id = TextUpToNul(reinterpret_cast<const char*>(ids.data()) + at, ids.size() - at);
          captured.hardware_ids.push_back(id);
          at += id.size() + 1;
        }
      }
    }
    machine.devices.push_back(captured);
  }
}

void CaptureLibraryExport(CapturedMachine& machine, const MachineRead& read) {
  UniqueLibrary library(LoadLibraryA(read.where));
  if (!library) return;
  std::vector<CapturedExport>& exports = machine.libraries[read.where];
  const auto function = LookUpExport<AnswerFn>(library.get(), read.what);
  if (!function) return;
  CapturedExport captured{read.what, 1, false};
  if (read.kind == ReadKind::kLibraryCall) {
    captured.answer = function();
    captured.called = true;
  }
  exports.push_back(captured);
}

// A query with a buffer that grows until the value fits.
std::optional<CapturedValue> QueryValue(HKEY key, const char* name) {
  std::vector<BYTE> buffer(256);
  for (int attempt = 0; attempt < 8; ++attempt) {
    DWORD type = REG_NONE;
    DWORD size = static_cast<DWORD>(buffer.size());
    const LSTATUS status = RegQueryValueExA(key, name, nullptr, &type, buffer.data(), &size);
    if (status == ERROR_SUCCESS)
      return CapturedValue{name, type, std::string(reinterpret_cast<const char*>(buffer.data()), size)};
    if (status != ERROR_MORE_DATA) return std::nullopt;
    buffer.resize(size > buffer.size() ? size + 2 : buffer.size() * 2);
  }
  return std::nullopt;
}

// The path of a key as the machine keeps it, for the view asked.
std::string PhysicalPath(const std::string& path, bool wow64, bool view_64) {
  const std::string software = "SOFTWARE\\";
  if (!wow64 || view_64 || path.size() < software.size() ||
      !EqualsNoCase(path.substr(0, software.size()).c_str(), software.c_str()))
    return path;
  return "SOFTWARE\\Wow6432Node\\" + path.substr(software.size());
}

void CaptureRegistry(CapturedMachine& machine) {
  const bool wow64 = machine.os.sixty_four_bit;
  // Keys in the order the list first names them, each with its values.
  std::vector<std::pair<std::string, std::vector<const char*>>> keys;
  for (const MachineRead& read : AllMachineReads()) {
    if (read.kind != ReadKind::kRegistryKey && read.kind != ReadKind::kRegistryValue) continue;
    auto key = keys.begin();
    while (key != keys.end() && key->first != read.where) ++key;
    if (key == keys.end()) key = keys.insert(keys.end(), {read.where, {}});
    if (read.what) key->second.push_back(read.what);
  }
  for (const bool view_64 : {false, true}) {
    if (view_64 && !wow64) break;
    const REGSAM view = !wow64 ? 0 : view_64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
    for (const auto& [path, values] : keys) {
      UniqueRegKey key;
      const std::string physical = PhysicalPath(path, wow64, view_64);
      const LSTATUS status =
          RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE | view, key.put());
      if (status == ERROR_ACCESS_DENIED) machine.deny_read.push_back("HKLM\\" + physical);
      if (status != ERROR_SUCCESS) continue;
      CapturedKey captured{physical, {}};
      for (const char* name : values)
        if (std::optional<CapturedValue> value = QueryValue(key.get(), name))
          captured.values.push_back(*value);
      machine.keys.push_back(captured);
    }
  }
}

}  // namespace

CapturedMachine CaptureMachine() {
  CapturedMachine machine;
  machine.os = CaptureOs();
  for (const MachineRead& read : AllMachineReads()) {
    switch (read.kind) {
      case ReadKind::kOsFacts:
        break;
      case ReadKind::kToken:
        machine.administrator = IsAdministratorsMember();
        break;
      case ReadKind::kElevation:
        machine.elevated = static_cast<bool>(OpenWithFullAccess(read.where));
        break;
      case ReadKind::kSession:
        machine.remote_session = GetSystemMetrics(SM_REMOTESESSION) != 0;
        break;
      case ReadKind::kEnvironment: {
        const char* value = crt::getenv(read.where);
        machine.environment[read.where] = value ? std::optional<std::string>(value) : std::nullopt;
        if (value) NoteFolder(machine, value);
        break;
      }
      case ReadKind::kCurrentDirectory: {
        std::vector<char> buffer(32768);
        if (crt::getcwd(buffer.data(), static_cast<int>(buffer.size())))
          machine.current_directory = buffer.data();
        NoteDrive(machine, machine.current_directory);
        NoteFolder(machine, machine.current_directory);
        break;
      }
      case ReadKind::kFileBytes:
        CaptureFileBytes(machine, read.where);
        break;
      case ReadKind::kFileVersion:
        CaptureFileVersion(machine, read.where);
        break;
      case ReadKind::kPackage:
        CapturePackage(machine, read.where);
        break;
      case ReadKind::kDevices:
        CaptureDevices(machine);
        break;
      case ReadKind::kLibraryCall:
      case ReadKind::kLibraryExport:
        CaptureLibraryExport(machine, read);
        break;
      case ReadKind::kRegistryKey:
      case ReadKind::kRegistryValue:
        break;  // all keys at once, below
    }
  }
  CaptureRegistry(machine);
  for (const CapturedFile& file : machine.files) NoteDrive(machine, file.path);
  for (const std::string& folder : machine.folders) NoteDrive(machine, folder);
  return machine;
}
