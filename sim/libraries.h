// Libraries that the checker loads by name, with exports that take no
// arguments and return a 32-bit integer.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "codepage.h"

namespace sim {

struct Library {
  std::map<std::string, std::int32_t> exports;  // export name (exact case) to its result
};

// What the checker did with libraries during a run, for tests to inspect.
struct LibraryRuntime {
  std::map<std::uintptr_t, std::string> loaded;  // handle to library name
  std::vector<std::string> calls;                // "LIBRARY!Export" in call order
};

}  // namespace sim
