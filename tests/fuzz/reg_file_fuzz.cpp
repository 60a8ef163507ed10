// The .reg reader on arbitrary bytes: it imports or throws ProfileError
// naming the file, and what it imported survives an export and a re-import.
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "sim/profile/profile.h"
#include "sim/profile/reg_export.h"
#include "sim/profile/reg_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  sim::Registry registry;
  try {
    sim::ImportRegBytes(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.reg", registry);
  } catch (const sim::ProfileError& error) {
    FUZZ_CHECK(std::string_view(error.what()).substr(0, 9) == "fuzz.reg:");
    return 0;
  }
  const std::string exported = sim::ExportRegistry(registry);
  sim::Registry again;
  sim::ImportRegBytes(exported, "exported.reg", again);
  FUZZ_CHECK(sim::ExportRegistry(again) == exported);
  return 0;
}
