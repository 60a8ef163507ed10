// Every keyword's check on the default machine with an arbitrary .reg file
// imported on top: the registry is what the checks read from the outside.
// The input: one byte choosing the keyword (and, in its top bit, a user who
// is not elevated), then the .reg file. A file the importer refuses is not
// a machine, and the input is dropped.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "app/front_end.h"
#include "app/keyword_table.h"
#include "fuzz_support.h"
#include "sim/machine/machine.h"
#include "sim/profile/profile.h"
#include "sim/profile/reg_file.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The report lines would drown the fuzzer's own figures (on stderr).
  std::fflush(stdout);
  const int null = open("/dev/null", O_WRONLY);
  if (null >= 0) dup2(null, STDOUT_FILENO);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return -1;
  sim::Machine machine = sim::DefaultMachine();
  machine.user.elevated = !(data[0] & 0x80);
  try {
    sim::ImportRegBytes(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1), "fuzz.reg",
                        machine.registry);
  } catch (const sim::ProfileError&) {
    return -1;
  }
  sim::Use(std::move(machine));
  const KeywordRows rows = AllKeywordRows();
  const char* keyword = rows.first[(data[0] & 0x7F) % rows.size()].keyword;
  // SLEEP reads no registry; its wait would only slow the fuzzer down.
  if (std::string_view(keyword) == "SLEEP") return 0;
  const fuzz::ArgumentVector arguments(
      {"C:\\kvchecks\\kvchecks.exe", keyword, "MN", "10", "MAJOR", "20", "MINOR", "30", "SAME", "40", "DOWN"},
      true);

  FUZZ_CHECK(RunChecker(arguments.argc(), arguments.argv()) == 0);
  FUZZ_CHECK(sim::CurrentRuntime().LeftOpen().empty());
  sim::Use(sim::Machine());
  return 0;
}
