// Libraries that the checker loads: the family's, by name, with exports
// that take no arguments and return a 32-bit integer; and the system
// libraries whose calls the simulator serves itself.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "sim/machine/codepage.h"

namespace sim {

// The system libraries of the system folder: present with every export the
// simulator serves, unless a machine takes a library or an export away.
struct SystemLibraryFacts {
  std::string directory = "C:\\WINDOWS\\system32";  // what GetSystemDirectoryA answers
  std::set<std::string, NoCaseLess> missing;        // file names, "wintrust.dll"
  std::set<std::string> missing_exports;            // "version.dll!VerQueryValueA"
};

// One LoadLibraryA or LoadLibraryExA request, as the checker made it.
struct LoadRequest {
  std::string name;
  std::uint32_t flags = 0;  // 0 for LoadLibraryA
};

struct Library {
  std::map<std::string, std::int32_t> exports;  // export name (exact case) to its result
};

// What the checker did with libraries during a run, for tests to inspect.
struct LibraryRuntime {
  std::map<std::uintptr_t, std::string> loaded;  // handle to library name
  std::vector<std::string> calls;                // "LIBRARY!Export" in call order
  std::vector<LoadRequest> requests;             // every load asked for, in order
};

}  // namespace sim
