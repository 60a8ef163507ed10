// kvchecks_table: the 32 keywords on one simulated machine, worked out by the
// checks' own rows. The machine is the checker's: the profile KVCHECKS_MACHINE
// names, or the embedded default. Each keyword runs as in a run of its own,
// on the machine as loaded. Arguments KEYWORD=ARG give a keyword its ARG;
// without one, SIGNCHECK runs for each package tag, VERSIONCHECK for the
// selectors MN, MS and any other (ZR), and the STORPORT rows with an empty ARG.
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/keyword_table.h"
#include "platform/startup.h"
#include "platform/system_libraries.h"
#include "probes/os_facts.h"
#include "sim/machine/machine.h"

namespace {

const char* const kOutcomes[] = {"none", "major upgrade", "minor upgrade", "same version", "downgrade"};

// One run of a row on a fresh copy of the machine; STATUS is 1, so the
// report tells whether the condition holds (VERSIONCHECK: its outcome).
std::string RunRow(const sim::Machine& machine, const KeywordRow& row, const std::string& arg) {
  sim::Use(sim::Machine(machine));
  std::vector<std::string> words = {"kvchecks", row.keyword, "1", "d"};
  if (std::strcmp(row.keyword, "VERSIONCHECK") == 0)
    words = {"kvchecks", row.keyword, arg, "1", "MAJOR", "2", "MINOR", "3", "SAME", "4", "DOWN"};
  else if (!arg.empty())
    words.push_back(arg);
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(&word[0]);
  argv.push_back(nullptr);

  Run run;
  run.argc = static_cast<int>(words.size());
  run.argv = argv.data();
  // SLEEP waits STATUS milliseconds; the table does not wait.
  run.status = std::strcmp(row.keyword, "SLEEP") == 0 ? 0 : 1;
  run.description = "d";
  run.arg = words.size() >= 5 && std::strcmp(row.keyword, "VERSIONCHECK") != 0 ? words[4] : "";
  OsVersionRecord = OSVERSIONINFOEXA{};
  CaptureOsVersion();
  {
    SystemLibraryScope libraries;
    row.run(run);
  }
  if (std::strcmp(row.keyword, "VERSIONCHECK") == 0)
    return kOutcomes[run.reported >= 1 && run.reported <= 4 ? run.reported : 0];
  return run.reported != 0 ? "holds" : "does not hold";
}

std::vector<std::string> DefaultArgs(const char* keyword) {
  if (std::strcmp(keyword, "SIGNCHECK") == 0) return {"NODE", "STATION", "KESTRELDOCS", "KESTRELDRIVER"};
  if (std::strcmp(keyword, "VERSIONCHECK") == 0) return {"MN", "MS", "ZR"};
  return {""};
}

}  // namespace

int main(int argc, char** argv) {
  std::map<std::string, std::string> given;
  for (int i = 1; i < argc; ++i) {
    const char* equals = std::strchr(argv[i], '=');
    const KeywordRow* row = equals ? FindKeywordRow(std::string(argv[i], equals - argv[i]).c_str()) : nullptr;
    if (!row) {
      std::fprintf(stderr, "usage: [KVCHECKS_MACHINE=PROFILE] kvchecks_table [KEYWORD=ARG]...\n");
      return 2;
    }
    given[row->keyword] = equals + 1;
  }
  if (int refusal = AttachPlatform()) return refusal;
  sim::Machine machine = sim::Current();
  // The table runs on the simulated clock: a child's run time is not waited out.
  machine.real_time = false;

  std::printf("| # | Keyword | ARG | Condition |\n|---|---|---|---|\n");
  int number = 0;
  for (const KeywordRow& row : AllKeywordRows()) {
    ++number;
    auto arg = given.find(row.keyword);
    const std::vector<std::string> args =
        arg != given.end() ? std::vector<std::string>{arg->second} : DefaultArgs(row.keyword);
    for (const std::string& each : args)
      std::printf("| %d | %s | %s | %s |\n", number, row.keyword, each.c_str(),
                  RunRow(machine, row, each).c_str());
  }
  sim::Use(sim::Machine(machine));
  return 0;
}
