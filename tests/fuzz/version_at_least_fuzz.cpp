// IsVersionAtLeast on two arbitrary texts (split at the input's first NUL),
// with what the part rule implies whatever the texts hold.
#include <string>

#include "checks/system/storport.h"
#include "fuzz_support.h"

namespace {

// The same parts with a leading dot and every dot doubled: dots at the start
// and runs of dots separate nothing.
std::string SpreadDots(const std::string& text) {
  std::string spread = ".";
  for (char c : text) {
    spread.push_back(c);
    if (c == '.') spread.push_back('.');
  }
  return spread;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> texts = fuzz::SplitAtNul(data, size);
  const std::string installed = texts.empty() ? std::string() : texts[0];
  const std::string minimum = texts.size() < 2 ? std::string() : texts[1];

  const bool at_least = IsVersionAtLeast(installed, minimum);
  // A text is at or above itself.
  FUZZ_CHECK(IsVersionAtLeast(installed, installed));
  FUZZ_CHECK(IsVersionAtLeast(minimum, minimum));
  // One pair of parts decides both ways round, so one of them holds.
  FUZZ_CHECK(at_least || IsVersionAtLeast(minimum, installed));
  FUZZ_CHECK(IsVersionAtLeast(SpreadDots(installed), minimum) == at_least);
  FUZZ_CHECK(IsVersionAtLeast(installed, SpreadDots(minimum)) == at_least);
  return 0;
}
