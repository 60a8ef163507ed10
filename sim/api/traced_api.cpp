// The traced platform names of the registry, library and child-process
// calls: each serves the call from its body in sim::served and writes its
// trace line.
#include <cstring>
#include <string>

#include "sim/api/served_api.h"
#include "sim/api/trace.h"
#include "sim/machine/registry.h"

namespace sim {
namespace {

// What a successful query handed back, as far as the caller asked for it.
std::string QueriedValue(const DWORD* type, const BYTE* data, const DWORD* size) {
  std::string detail = type ? RegistryTypeName(*type) : std::string("type not asked");
  if (!size) return detail;
  detail += ", " + std::to_string(*size) + " bytes";
  if (!data || !type) return detail;
  if (*type == kRegString || *type == kRegExpandString) {
    const char* text = reinterpret_cast<const char*>(data);
    detail += " \"" + std::string(text, strnlen(text, *size)) + '"';
  } else if (*type == kRegDword && *size == 4) {
    DWORD number;
    std::memcpy(&number, data, 4);
    detail += " " + std::to_string(number);
  }
  return detail;
}

std::string LoadFlags(DWORD flags) {
  if (flags == 0) return "0";
  if (flags == LOAD_WITH_ALTERED_SEARCH_PATH) return "LOAD_WITH_ALTERED_SEARCH_PATH";
  return HexNumber(flags);
}

std::string WaitResult(DWORD result) {
  if (result == WAIT_OBJECT_0) return "WAIT_OBJECT_0";
  if (result == WAIT_TIMEOUT) return "WAIT_TIMEOUT";
  if (result == WAIT_FAILED) return "WAIT_FAILED";
  return HexNumber(result);
}

}  // namespace
}  // namespace sim

using sim::CallTrace;
namespace served = sim::served;

LSTATUS WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                             PHKEY phkResult) {
  const LSTATUS status = served::RegOpenKeyExA(hKey, lpSubKey, ulOptions, samDesired, phkResult);
  CallTrace trace("RegOpenKeyExA");
  trace.Key(hKey).Text(lpSubKey).Access(samDesired).Status(status);
  if (status == ERROR_SUCCESS) {
    CallTrace::Remember(*phkResult, hKey, lpSubKey);
    trace.Then("key " + sim::HexNumber(reinterpret_cast<std::uintptr_t>(*phkResult)));
  }
  return status;
}

LSTATUS WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                                LPBYTE lpData, LPDWORD lpcbData) {
  const DWORD offered = lpcbData ? *lpcbData : 0;
  const LSTATUS status = served::RegQueryValueExA(hKey, lpValueName, lpReserved, lpType, lpData, lpcbData);
  if (!sim::Tracing()) return status;
  CallTrace trace("RegQueryValueExA");
  trace.Key(hKey).Text(lpValueName);
  if (lpcbData) trace.Number(offered);
  trace.Status(status);
  if (status == ERROR_SUCCESS) trace.Then(sim::QueriedValue(lpType, lpData, lpcbData));
  if (status == ERROR_MORE_DATA && lpcbData) trace.Then(std::to_string(*lpcbData) + " bytes needed");
  return status;
}

LSTATUS WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions,
                               REGSAM samDesired, const LPSECURITY_ATTRIBUTES lpSecurityAttributes,
                               PHKEY phkResult, LPDWORD lpdwDisposition) {
  const LSTATUS status = served::RegCreateKeyExA(hKey, lpSubKey, Reserved, lpClass, dwOptions, samDesired,
                                                 lpSecurityAttributes, phkResult, lpdwDisposition);
  CallTrace trace("RegCreateKeyExA");
  trace.Key(hKey).Text(lpSubKey).Access(samDesired).Status(status);
  if (status == ERROR_SUCCESS) {
    CallTrace::Remember(*phkResult, hKey, lpSubKey);
    trace.Then("key " + sim::HexNumber(reinterpret_cast<std::uintptr_t>(*phkResult)));
    if (lpdwDisposition)
      trace.Then(*lpdwDisposition == REG_CREATED_NEW_KEY ? "REG_CREATED_NEW_KEY" : "REG_OPENED_EXISTING_KEY");
  }
  return status;
}

LSTATUS WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                              DWORD cbData) {
  const LSTATUS status = served::RegSetValueExA(hKey, lpValueName, Reserved, dwType, lpData, cbData);
  if (!sim::Tracing()) return status;
  CallTrace("RegSetValueExA")
      .Key(hKey)
      .Text(lpValueName)
      .Number(cbData)
      .Status(status)
      .Then(sim::QueriedValue(&dwType, lpData, &cbData));
  return status;
}

LSTATUS WINAPI RegCloseKey(HKEY hKey) {
  const LSTATUS status = served::RegCloseKey(hKey);
  CallTrace("RegCloseKey").Key(hKey).Status(status);
  return status;
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  const FARPROC address = served::GetProcAddress(hModule, lpProcName);
  CallTrace("GetProcAddress").Handle(hModule).Text(lpProcName).Returns(address ? "found" : "NULL", !address);
  return address;
}

HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName) {
  const HMODULE module = served::LoadLibraryA(lpLibFileName);
  CallTrace("LoadLibraryA").Text(lpLibFileName).Returns(sim::PointerText(module), !module);
  return module;
}

HMODULE WINAPI LoadLibraryExA(LPCSTR lpLibFileName, HANDLE hFile, DWORD dwFlags) {
  const HMODULE module = served::LoadLibraryExA(lpLibFileName, hFile, dwFlags);
  CallTrace trace("LoadLibraryExA");
  if (sim::Tracing())
    trace.Text(lpLibFileName)
        .Handle(hFile)
        .Word(sim::LoadFlags(dwFlags))
        .Returns(sim::PointerText(module), !module);
  return module;
}

UINT WINAPI GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize) {
  const UINT length = served::GetSystemDirectoryA(lpBuffer, uSize);
  CallTrace trace("GetSystemDirectoryA");
  trace.Number(uSize).Returns(std::to_string(length), false);
  if (lpBuffer && length < uSize) trace.Then('"' + std::string(lpBuffer) + '"');
  return length;
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
  const BOOL freed = served::FreeLibrary(hLibModule);
  CallTrace("FreeLibrary").Handle(hLibModule).Returns(sim::Boolean(freed), !freed);
  return freed;
}

BOOL WINAPI CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine,
                           LPSECURITY_ATTRIBUTES lpProcessAttributes,
                           LPSECURITY_ATTRIBUTES lpThreadAttributes, BOOL bInheritHandles,
                           DWORD dwCreationFlags, LPVOID lpEnvironment, LPCSTR lpCurrentDirectory,
                           LPSTARTUPINFOA lpStartupInfo, LPPROCESS_INFORMATION lpProcessInformation) {
  const BOOL started = served::CreateProcessA(
      lpApplicationName, lpCommandLine, lpProcessAttributes, lpThreadAttributes, bInheritHandles,
      dwCreationFlags, lpEnvironment, lpCurrentDirectory, lpStartupInfo, lpProcessInformation);
  if (!sim::Tracing()) return started;
  CallTrace trace("CreateProcessA");
  trace.Text(lpApplicationName)
      .Text(lpCommandLine)
      .Number(static_cast<unsigned>(bInheritHandles))
      .Word(sim::HexNumber(dwCreationFlags))
      .Text(lpCurrentDirectory)
      .Returns(sim::Boolean(started), !started);
  if (started)
    trace.Then("process " + sim::PointerText(lpProcessInformation->hProcess) + ", thread " +
               sim::PointerText(lpProcessInformation->hThread));
  return started;
}

BOOL WINAPI GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode) {
  const BOOL answered = served::GetExitCodeProcess(hProcess, lpExitCode);
  CallTrace trace("GetExitCodeProcess");
  trace.Handle(hProcess).Returns(sim::Boolean(answered), !answered);
  if (answered)
    trace.Then(*lpExitCode == STILL_ACTIVE ? "STILL_ACTIVE" : "exit code " + std::to_string(*lpExitCode));
  return answered;
}

BOOL WINAPI TerminateProcess(HANDLE hProcess, UINT uExitCode) {
  const BOOL ended = served::TerminateProcess(hProcess, uExitCode);
  CallTrace("TerminateProcess").Handle(hProcess).Number(uExitCode).Returns(sim::Boolean(ended), !ended);
  return ended;
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  const DWORD result = served::WaitForSingleObject(hHandle, dwMilliseconds);
  CallTrace("WaitForSingleObject")
      .Handle(hHandle)
      .Number(dwMilliseconds)
      .Returns(sim::WaitResult(result), result == WAIT_FAILED);
  return result;
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
  const BOOL closed = served::CloseHandle(hObject);
  CallTrace("CloseHandle").Handle(hObject).Returns(sim::Boolean(closed), !closed);
  return closed;
}
