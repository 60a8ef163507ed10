// The C run-time calls of the seam that read the machine: environment,
// current directory and the code page's case-insensitive comparison.
#include <cstring>

#include "platform/platform.h"
#include "sim/api/served_api.h"
#include "sim/machine/machine.h"

// The bodies; the seam's names are defined in traced_file_api.cpp.
namespace sim::served::crt {

const char* getenv(const char* name) {
  // Windows matches environment names without regard to case.
  auto& environment = Current().environment;
  auto found = environment.find(std::string_view(name));
  return found == environment.end() ? nullptr : found->second.c_str();
}

char* getcwd(char* buffer, int size) {
  const std::string& directory = Current().current_directory;
  // Like _getcwd: a buffer too small for the path and its terminator fails.
  if (!buffer || size <= 0 || directory.size() + 1 > static_cast<std::size_t>(size)) return nullptr;
  std::memcpy(buffer, directory.c_str(), directory.size() + 1);
  return buffer;
}

}  // namespace sim::served::crt

namespace crt {

int mbsicmp(const char* a, const char* b) {
  // A single-byte code page: A to Z fold to lower case, then bytes compare unsigned.
  for (;; ++a, ++b) {
    const unsigned char x = sim::FoldAnsi(static_cast<unsigned char>(*a));
    const unsigned char y = sim::FoldAnsi(static_cast<unsigned char>(*b));
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
}

}  // namespace crt
