// RunChecker with an arbitrary argument vector (the input cut at NUL bytes,
// after the program's path) on the default simulated machine: it prints the
// usage text or exactly the two report lines, and leaves no key, file,
// search, process or library open.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/front_end.h"
#include "fuzz_support.h"
#include "probes/text_rules.h"
#include "sim/machine/machine.h"
#include "sim/profile/profile.h"

namespace {

// Standard output goes to a scratch file that each input starts afresh.
std::FILE* capture = nullptr;

void StartCapture() {
  std::fflush(stdout);
  FUZZ_CHECK(ftruncate(STDOUT_FILENO, 0) == 0);
  lseek(STDOUT_FILENO, 0, SEEK_SET);
}

std::string Captured() {
  std::fflush(stdout);
  const off_t size = lseek(STDOUT_FILENO, 0, SEEK_CUR);
  std::string text(static_cast<std::size_t>(size), '\0');
  FUZZ_CHECK(pread(STDOUT_FILENO, &text[0], text.size(), 0) == size);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  capture = std::tmpfile();
  if (!capture) std::abort();
  std::fflush(stdout);
  dup2(fileno(capture), STDOUT_FILENO);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> entries = fuzz::SplitAtNul(data, size);
  if (size == 0) entries.clear();
  entries.insert(entries.begin(), "C:\\kvchecks\\kvchecks.exe");
  const fuzz::ArgumentVector arguments(entries, true);
  sim::Use(sim::DefaultMachine());

  StartCapture();
  const int exit_code = RunChecker(arguments.argc(), arguments.argv());
  const std::string output = Captured();
  FUZZ_CHECK(sim::CurrentRuntime().LeftOpen().empty());

  if (arguments.argc() < 4) {
    FUZZ_CHECK(exit_code == -1);
    FUZZ_CHECK(output == "Run app like this....kvchecks.exe MODE STATUS DESC\n");
  } else {
    FUZZ_CHECK(exit_code == 0);
    // Two lines, "Status=" first; only VERSIONCHECK sets its own status and description.
    const std::size_t status_end = output.find('\n');
    FUZZ_CHECK(output.rfind("Status=", 0) == 0 && status_end != std::string::npos);
    const std::string status = output.substr(7, status_end - 7);
    FUZZ_CHECK(status == std::to_string(AtoiSaturating(status.c_str())));
    const std::string rest = output.substr(status_end + 1);
    FUZZ_CHECK(rest.rfind("DescriptionID=", 0) == 0 && rest.back() == '\n');
    if (!EqualsNoCase(entries[1].c_str(), "VERSIONCHECK")) {
      FUZZ_CHECK(rest == "DescriptionID=" + entries[3] + "\n");
      FUZZ_CHECK(status == "0" || status == std::to_string(AtoiSaturating(entries[2].c_str())));
    }
  }
  sim::Use(sim::Machine());
  return 0;
}
