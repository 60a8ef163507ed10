// user32's system metrics, as far as the checker asks them; the export is
// traced in traced_system_api.cpp.
#include "platform/platform.h"
#include "sim/api/served_api.h"
#include "sim/machine/machine.h"

int WINAPI sim::served::GetSystemMetrics(int nIndex) {
  // Metrics the machine does not describe read as 0, as unknown indexes do.
  if (nIndex == SM_REMOTESESSION) return sim::Current().system.session.remote ? 1 : 0;
  return 0;
}
