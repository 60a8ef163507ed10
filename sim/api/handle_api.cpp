// kernel32's CloseHandle for the kernel objects the simulated calls hand out:
// each area that hands some out registers how it closes its own.
#include <vector>

#include "platform/platform.h"
#include "sim/api/handle_closers.h"
#include "sim/machine/machine.h"

namespace sim {
namespace {

std::vector<HandleCloser>& Closers() {
  static std::vector<HandleCloser> closers;
  return closers;
}

}  // namespace

bool RegisterHandleCloser(HandleCloser closer) {
  Closers().push_back(closer);
  return true;
}

}  // namespace sim

BOOL WINAPI CloseHandle(HANDLE hObject) {
  const auto value = reinterpret_cast<std::uintptr_t>(hObject);
  for (sim::HandleCloser closer : sim::Closers())
    if (closer(value)) return TRUE;
  sim::CurrentRuntime().last_error = ERROR_INVALID_HANDLE;
  return FALSE;
}
