// RunChecker with an arbitrary argument vector (the input cut at NUL bytes,
// after the program's path) on the default simulated machine: it reports or
// prints the usage text, and leaves no key, file, search or process open.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "app/front_end.h"
#include "fuzz_support.h"
#include "machine.h"
#include "profile.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The report lines would drown the fuzzer's own figures (on stderr).
  std::fflush(stdout);
  const int null = open("/dev/null", O_WRONLY);
  if (null >= 0) dup2(null, STDOUT_FILENO);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> entries = fuzz::SplitAtNul(data, size);
  if (size == 0) entries.clear();
  entries.insert(entries.begin(), "C:\\kvchecks\\kvchecks.exe");
  const fuzz::ArgumentVector arguments(entries, true);
  sim::Use(sim::DefaultMachine());

  const int exit_code = RunChecker(arguments.argc(), arguments.argv());
  FUZZ_CHECK(exit_code == (arguments.argc() < 4 ? -1 : 0));
  const sim::Runtime& runtime = sim::CurrentRuntime();
  FUZZ_CHECK(runtime.open_keys.empty());
  FUZZ_CHECK(runtime.files.AllClosed());
  FUZZ_CHECK(runtime.libraries.loaded.empty());
  sim::Use(sim::Machine());
  return 0;
}
