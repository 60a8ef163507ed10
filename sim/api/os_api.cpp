// kernel32 and user32 calls about the system itself: version facts, modules,
// optional entry points, libraries, errors and time.
#include <array>
#include <cstring>
#include <utility>

#include "platform/platform.h"
#include "sim/api/support.h"
#include "sim/api/system_exports.h"
#include "sim/api/trace.h"
#include "sim/machine/machine.h"

namespace sim {
namespace {

const std::uintptr_t kKernel32 = 0x7C800000u;

// Exports are served through a fixed set of entry points, one per handed-out
// export, because a plain function pointer carries no context.
constexpr int kExportSlots = 64;
struct ExportSlot {
  std::string library;
  std::string name;
};
ExportSlot g_slots[kExportSlots];
int g_slots_used = 0;

std::int32_t ExportAnswer(const ExportSlot& target) {
  auto library = Current().libraries.find(target.library);
  if (library == Current().libraries.end()) return 0;
  auto result = library->second.exports.find(target.name);
  return result == library->second.exports.end() ? 0 : result->second;
}

// A family library's export has no platform name to wrap: its entry traces itself.
std::int32_t CallExport(int slot) {
  const ExportSlot& target = g_slots[slot];
  const std::string function = target.library + "!" + target.name;
  CurrentRuntime().libraries.calls.push_back(function);
  const std::int32_t answer = ExportAnswer(target);
  CallTrace(function.c_str()).Returns(std::to_string(answer), false);
  return answer;
}

template <int N>
std::int32_t WINAPI ExportEntry() {
  return CallExport(N);
}

template <int... N>
constexpr std::array<std::int32_t(WINAPI*)(), sizeof...(N)> MakeEntries(std::integer_sequence<int, N...>) {
  return {&ExportEntry<N>...};
}
const auto kEntries = MakeEntries(std::make_integer_sequence<int, kExportSlots>());

FARPROC ExportAddress(const std::string& library, const std::string& name) {
  for (int i = 0; i < g_slots_used; ++i)
    if (g_slots[i].library == library && g_slots[i].name == name)
      return reinterpret_cast<FARPROC>(kEntries[i]);
  if (g_slots_used == kExportSlots) return nullptr;
  g_slots[g_slots_used] = ExportSlot{library, name};
  return reinterpret_cast<FARPROC>(kEntries[g_slots_used++]);
}

}  // namespace
}  // namespace sim

using namespace sim;

// The bodies; the platform names are defined in traced_system_api.cpp and
// traced_api.cpp.
namespace sim::served {

BOOL WINAPI IsWow64Process(HANDLE process, PBOOL wow64) {
  if (process != reinterpret_cast<HANDLE>(kCurrentProcess)) return Fail(ERROR_INVALID_HANDLE);
  if (!wow64) return Fail(ERROR_INVALID_PARAMETER);
  // A handle without the query right is what makes the call fail on a real machine.
  if (Current().os.wow64_call_fails) return Fail(ERROR_ACCESS_DENIED);
  *wow64 = Current().os.is_64bit ? TRUE : FALSE;
  return TRUE;
}

void WINAPI GetNativeSystemInfo(LPSYSTEM_INFO info) {
  std::memset(info, 0, sizeof(*info));
  info->wProcessorArchitecture = Current().os.NativeArchitecture();
  info->dwPageSize = 4096;
  info->dwNumberOfProcessors = 1;
}

BOOL WINAPI GetProductInfo(DWORD os_major, DWORD, DWORD, DWORD, PDWORD product_type) {
  if (!product_type) return Fail(ERROR_INVALID_PARAMETER);
  // Versions before 6.0 are invalid input; any valid call succeeds, even
  // when it can only say PRODUCT_UNDEFINED.
  *product_type = os_major >= 6 ? Current().os.product_info : PRODUCT_UNDEFINED;
  return os_major >= 6 ? TRUE : Fail(ERROR_INVALID_PARAMETER);
}

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
  const OsFacts& os = Current().os;
  if (!info || os.version_call_fails) return Fail(ERROR_INVALID_PARAMETER);
  const DWORD size = info->dwOSVersionInfoSize;
  if (size != sizeof(OSVERSIONINFOA) && size != sizeof(OSVERSIONINFOEXA))
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  info->dwMajorVersion = os.major;
  info->dwMinorVersion = os.minor;
  info->dwBuildNumber = os.build;
  info->dwPlatformId = os.platform;
  std::memset(info->szCSDVersion, 0, sizeof(info->szCSDVersion));
  std::strncpy(info->szCSDVersion, os.csd_version.c_str(), sizeof(info->szCSDVersion) - 1);
  if (size == sizeof(OSVERSIONINFOEXA)) {
    auto* ex = reinterpret_cast<LPOSVERSIONINFOEXA>(info);
    ex->wServicePackMajor = os.sp_major;
    ex->wServicePackMinor = os.sp_minor;
    ex->wSuiteMask = os.suite_mask;
    ex->wProductType = os.product_type;
    ex->wReserved = 0;
  }
  return TRUE;
}

BOOL WINAPI VerifyVersionInfoA(LPOSVERSIONINFOEXA info, DWORD type_mask, DWORDLONG condition_mask) {
  const OsFacts& os = Current().os;
  if (!info || type_mask == 0 || condition_mask == 0) return Fail(ERROR_INVALID_PARAMETER);
  if (type_mask & VER_SUITENAME) {
    // VER_AND: every suite asked for is present; VER_OR: at least one is (or
    // none was asked for). The suite name takes no other condition.
    const unsigned condition = static_cast<unsigned>((condition_mask >> (6 * 3)) & 7);
    bool holds = false;
    if (condition == VER_AND) {
      holds = (os.suite_mask & info->wSuiteMask) == info->wSuiteMask;
    } else if (condition == VER_OR) {
      holds = (os.suite_mask & info->wSuiteMask) != 0 || info->wSuiteMask == 0;
    } else {
      return Fail(ERROR_INVALID_PARAMETER);
    }
    if (!holds) return Fail(ERROR_OLD_WIN_VERSION);
  }
  return TRUE;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
  if (name && (EqualsNoCase(name, "kernel32") || EqualsNoCase(name, "kernel32.dll")))
    return reinterpret_cast<HMODULE>(kKernel32);
  return Fail(ERROR_MOD_NOT_FOUND, nullptr);
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
  const auto value = reinterpret_cast<std::uintptr_t>(module);
  if (value == kKernel32 && name) {
    const OsFacts& os = Current().os;
    if (os.HasEntryPoint(name)) {
      if (std::strcmp(name, "IsWow64Process") == 0)
        return reinterpret_cast<FARPROC>(&exports::IsWow64Process);
      if (std::strcmp(name, "GetNativeSystemInfo") == 0)
        return reinterpret_cast<FARPROC>(&exports::GetNativeSystemInfo);
      if (std::strcmp(name, "GetProductInfo") == 0)
        return reinterpret_cast<FARPROC>(&exports::GetProductInfo);
    }
  } else if (name) {
    auto& loaded = CurrentRuntime().libraries.loaded;
    auto handle = loaded.find(value);
    if (handle != loaded.end() && IsSystemLibrary(handle->second)) {
      if (FARPROC address = SystemLibraryExport(handle->second, name)) return address;
    } else if (handle != loaded.end()) {
      auto library = Current().libraries.find(handle->second);
      // Export names are matched exactly, as the platform does.
      if (library != Current().libraries.end() && library->second.exports.count(name))
        return ExportAddress(handle->second, name);
    }
  }
  return Fail(ERROR_PROC_NOT_FOUND, nullptr);
}

namespace {

HMODULE HandOutModule(const std::string& library) {
  // Module handles are load addresses, not small kernel handle values.
  const std::uintptr_t value = 0x10000000u + (NewHandle() << 4);
  CurrentRuntime().libraries.loaded[value] = library;
  return reinterpret_cast<HMODULE>(value);
}

// The family's libraries are found by the name the checker gives.
HMODULE LoadFamilyLibrary(LPCSTR name) {
  auto library = name ? Current().libraries.find(std::string_view(name)) : Current().libraries.end();
  if (library == Current().libraries.end()) return Fail(ERROR_MOD_NOT_FOUND, nullptr);
  return HandOutModule(library->first);
}

}  // namespace

HMODULE WINAPI LoadLibraryA(LPCSTR name) {
  CurrentRuntime().libraries.requests.push_back(LoadRequest{name ? name : "", 0});
  return LoadFamilyLibrary(name);
}

HMODULE WINAPI LoadLibraryExA(LPCSTR name, HANDLE file, DWORD flags) {
  CurrentRuntime().libraries.requests.push_back(LoadRequest{name ? name : "", flags});
  if (file) return Fail(ERROR_INVALID_PARAMETER, nullptr);
  // A system library is had only by its full path in the system folder: the
  // simulated folders of the checker and the current directory hold none.
  const SystemLibraryFacts& system = Current().system_libraries;
  const std::string_view path = name ? name : "";
  const std::size_t slash = path.find_last_of('\\');
  if (slash != std::string_view::npos && IsSystemLibrary(path.substr(slash + 1))) {
    const std::string file_name(path.substr(slash + 1));
    std::string_view folder = system.directory;
    if (!folder.empty() && folder.back() == '\\') folder.remove_suffix(1);
    if (!EqualsNoCase(path.substr(0, slash), folder) || system.missing.count(file_name))
      return Fail(ERROR_MOD_NOT_FOUND, nullptr);
    return HandOutModule(file_name);
  }
  return LoadFamilyLibrary(name);
}

UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT size) {
  const std::string& directory = Current().system_libraries.directory;
  // Too small a buffer is answered with the size needed, its NUL included.
  if (!buffer || size <= directory.size()) return static_cast<UINT>(directory.size() + 1);
  std::memcpy(buffer, directory.c_str(), directory.size() + 1);
  return static_cast<UINT>(directory.size());
}

BOOL WINAPI FreeLibrary(HMODULE module) {
  if (CurrentRuntime().libraries.loaded.erase(reinterpret_cast<std::uintptr_t>(module)) == 0)
    return Fail(ERROR_INVALID_HANDLE);
  return TRUE;
}

void WINAPI Sleep(DWORD milliseconds) { Advance(milliseconds); }

}  // namespace sim::served

ULONGLONG WINAPI VerSetConditionMask(ULONGLONG mask, DWORD type_mask, BYTE condition) {
  // Three bits per type, in the order of the type bits.
  for (int bit = 0; bit < 8; ++bit)
    if (type_mask & (1u << bit)) {
      mask &= ~(ULONGLONG{7} << (bit * 3));
      mask |= ULONGLONG{condition & 7u} << (bit * 3);
    }
  return mask;
}

HANDLE WINAPI GetCurrentProcess() { return reinterpret_cast<HANDLE>(kCurrentProcess); }

DWORD WINAPI GetLastError() { return CurrentRuntime().last_error; }
