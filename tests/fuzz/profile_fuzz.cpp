// The machine profile loader on arbitrary text: it loads or throws
// ProfileError, and the machine it loads can be installed.
#include <string>

#include "fuzz_support.h"
#include "sim/machine/machine.h"
#include "sim/profile/profile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  // Files a profile names are read from the host: keep the fuzzer away from
  // devices that never end (/dev/zero) or block (/dev/stdin). Relative names
  // resolve into a folder that does not exist.
  for (const char* host : {"/dev", "/proc", "/sys", "\\u", "\\U"})
    if (text.find(host) != std::string::npos) return -1;
  try {
    sim::Use(sim::LoadProfileText(text, "/nonexistent-kvchecks-fuzz/machine.toml"));
  } catch (const sim::ProfileError& error) {
    // A message names the file, and the line where there is one.
    FUZZ_CHECK(std::string(error.what()).find(": ") != std::string::npos);
  }
  sim::Use(sim::Machine());
  return 0;
}
