#include "sim/api/support.h"

#include <chrono>
#include <thread>

namespace sim {

std::uintptr_t NewHandle() {
  Runtime& runtime = CurrentRuntime();
  const std::uintptr_t value = runtime.next_handle;
  runtime.next_handle += 4;
  return value;
}

void Advance(std::uint64_t milliseconds) {
  CurrentRuntime().clock_ms += milliseconds;
  if (Current().real_time) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace sim
