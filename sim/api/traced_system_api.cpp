// The traced platform names of the calls about the system itself: the
// version record, kernel32's optional entry points, the session metric and
// the run's sleep.
#include <string>

#include "sim/api/served_api.h"
#include "sim/api/system_exports.h"
#include "sim/api/trace.h"

namespace sim {
namespace {

std::string RecordName(DWORD size) {
  if (size == sizeof(OSVERSIONINFOEXA)) return "OSVERSIONINFOEXA";
  if (size == sizeof(OSVERSIONINFOA)) return "OSVERSIONINFOA";
  return "a record of " + std::to_string(size) + " bytes";
}

std::string VersionRecord(const OSVERSIONINFOA& info) {
  static const Named kPlatforms[] = {{VER_PLATFORM_WIN32s, "VER_PLATFORM_WIN32s"},
                                     {VER_PLATFORM_WIN32_WINDOWS, "VER_PLATFORM_WIN32_WINDOWS"},
                                     {VER_PLATFORM_WIN32_NT, "VER_PLATFORM_WIN32_NT"}};
  static const Named kProductTypes[] = {{VER_NT_WORKSTATION, "VER_NT_WORKSTATION"},
                                        {VER_NT_DOMAIN_CONTROLLER, "VER_NT_DOMAIN_CONTROLLER"},
                                        {VER_NT_SERVER, "VER_NT_SERVER"}};
  std::string text = std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) +
                     " build " + std::to_string(info.dwBuildNumber) + ", " +
                     ConstantName(info.dwPlatformId, kPlatforms) + ", " + Quoted(info.szCSDVersion);
  if (info.dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXA)) return text;
  const auto& ex = reinterpret_cast<const OSVERSIONINFOEXA&>(info);
  return text + ", service pack " + std::to_string(ex.wServicePackMajor) + "." +
         std::to_string(ex.wServicePackMinor) + ", suite mask " + HexNumber(ex.wSuiteMask) + ", " +
         ConstantName(ex.wProductType, kProductTypes);
}

// The conditions VerifyVersionInfoA takes, three bits per type bit.
std::string Conditions(DWORD type_mask, DWORDLONG condition_mask) {
  static const Named kTypes[] = {{VER_SUITENAME, "VER_SUITENAME"}};
  static const Named kConditions[] = {{VER_AND, "VER_AND"}, {VER_OR, "VER_OR"}};
  std::string text;
  for (int bit = 0; bit < 8; ++bit) {
    if (!(type_mask & (1u << bit))) continue;
    const auto condition = static_cast<DWORD>((condition_mask >> (bit * 3)) & 7);
    text += (text.empty() ? "" : " ") + ConstantName(1u << bit, kTypes) + " " +
            ConstantName(condition, kConditions);
  }
  return text.empty() ? "none" : text;
}

std::string Architecture(WORD architecture) {
  static const Named kNames[] = {{PROCESSOR_ARCHITECTURE_INTEL, "PROCESSOR_ARCHITECTURE_INTEL"},
                                 {PROCESSOR_ARCHITECTURE_IA64, "PROCESSOR_ARCHITECTURE_IA64"},
                                 {PROCESSOR_ARCHITECTURE_AMD64, "PROCESSOR_ARCHITECTURE_AMD64"}};
  return ConstantName(architecture, kNames);
}

}  // namespace
}  // namespace sim

using sim::CallTrace;
namespace served = sim::served;

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA lpVersionInformation) {
  const DWORD size = lpVersionInformation ? lpVersionInformation->dwOSVersionInfoSize : 0;
  const BOOL answered = served::GetVersionExA(lpVersionInformation);
  if (!sim::Tracing()) return answered;
  CallTrace trace("GetVersionExA");
  if (lpVersionInformation) {
    trace.Word(sim::RecordName(size));
  } else {
    trace.Handle(nullptr);
  }
  trace.Returns(sim::Boolean(answered), !answered);
  if (answered) trace.Then(sim::VersionRecord(*lpVersionInformation));
  return answered;
}

BOOL WINAPI VerifyVersionInfoA(LPOSVERSIONINFOEXA lpVersionInformation, DWORD dwTypeMask,
                               DWORDLONG dwlConditionMask) {
  const BOOL holds = served::VerifyVersionInfoA(lpVersionInformation, dwTypeMask, dwlConditionMask);
  if (!sim::Tracing()) return holds;
  CallTrace trace("VerifyVersionInfoA");
  if (lpVersionInformation && (dwTypeMask & VER_SUITENAME)) {
    trace.Word("suite mask " + sim::HexNumber(lpVersionInformation->wSuiteMask));
  } else {
    trace.Handle(lpVersionInformation);
  }
  trace.Word(sim::Conditions(dwTypeMask, dwlConditionMask)).Returns(sim::Boolean(holds), !holds);
  return holds;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
  const HMODULE module = served::GetModuleHandleA(lpModuleName);
  CallTrace("GetModuleHandleA").Text(lpModuleName).Returns(sim::PointerText(module), !module);
  return module;
}

void WINAPI Sleep(DWORD dwMilliseconds) {
  CallTrace("Sleep").Number(dwMilliseconds);
  served::Sleep(dwMilliseconds);
}

BOOL WINAPI sim::exports::IsWow64Process(HANDLE hProcess, PBOOL Wow64Process) {
  const BOOL answered = served::IsWow64Process(hProcess, Wow64Process);
  if (!Tracing()) return answered;
  CallTrace trace("IsWow64Process");
  trace.Word(ProcessText(hProcess)).Returns(Boolean(answered), !answered);
  if (answered) trace.Then(*Wow64Process ? "a 32-bit process on 64-bit Windows" : "not under WOW64");
  return answered;
}

void WINAPI sim::exports::GetNativeSystemInfo(LPSYSTEM_INFO lpSystemInfo) {
  served::GetNativeSystemInfo(lpSystemInfo);
  if (!Tracing()) return;
  CallTrace("GetNativeSystemInfo").Returns(Architecture(lpSystemInfo->wProcessorArchitecture), false);
}

BOOL WINAPI sim::exports::GetProductInfo(DWORD dwOSMajorVersion, DWORD dwOSMinorVersion,
                                         DWORD dwSpMajorVersion, DWORD dwSpMinorVersion,
                                         PDWORD pdwReturnedProductType) {
  const BOOL answered = served::GetProductInfo(dwOSMajorVersion, dwOSMinorVersion, dwSpMajorVersion,
                                               dwSpMinorVersion, pdwReturnedProductType);
  if (!Tracing()) return answered;
  CallTrace trace("GetProductInfo");
  trace.Number(dwOSMajorVersion).Number(dwOSMinorVersion).Number(dwSpMajorVersion).Number(dwSpMinorVersion);
  trace.Returns(Boolean(answered), !answered);
  if (pdwReturnedProductType)
    trace.Then(*pdwReturnedProductType == PRODUCT_UNDEFINED
                   ? "PRODUCT_UNDEFINED"
                   : "product type " + std::to_string(*pdwReturnedProductType));
  return answered;
}

int WINAPI sim::exports::GetSystemMetrics(int nIndex) {
  static const Named kMetrics[] = {{SM_REMOTESESSION, "SM_REMOTESESSION"}};
  const int metric = served::GetSystemMetrics(nIndex);
  if (!Tracing()) return metric;
  CallTrace("GetSystemMetrics")
      .Word(ConstantName(static_cast<DWORD>(nIndex), kMetrics))
      .Returns(std::to_string(metric), false);
  return metric;
}
