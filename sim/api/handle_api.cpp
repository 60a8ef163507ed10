// kernel32's CloseHandle for the kernel objects the simulated calls hand
// out: child processes and their threads, and process tokens.
#include "sim/api/served_api.h"
#include "sim/api/support.h"

namespace sim::served {

BOOL WINAPI CloseHandle(HANDLE hObject) {
  const auto value = reinterpret_cast<std::uintptr_t>(hObject);
  sim::Runtime& runtime = sim::CurrentRuntime();
  if (runtime.processes.process_handles.erase(value) || runtime.processes.thread_handles.erase(value) ||
      runtime.system.token.open_tokens.erase(value))
    return TRUE;
  return sim::Fail(ERROR_INVALID_HANDLE);
}

}  // namespace sim::served
