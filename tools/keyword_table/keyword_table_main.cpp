// kvchecks_table: the 32 keywords on one simulated machine, worked out by the
// checks' own rows. The machine is the checker's: the profile KVCHECKS_MACHINE
// names, or the embedded default. Each keyword runs as in a run of its own,
// on a fresh copy of the machine as loaded. Arguments KEYWORD=ARG give a
// keyword its ARG.
#include <cstdio>
#include <cstring>
#include <string>

#include "app/condition_table.h"
#include "app/keyword_table.h"
#include "platform/startup.h"
#include "sim/machine/machine.h"

namespace {

void FreshCopy(void* machine) { sim::Use(sim::Machine(*static_cast<const sim::Machine*>(machine))); }

}  // namespace

int main(int argc, char** argv) {
  ConditionOptions options;
  for (int i = 1; i < argc; ++i) {
    const char* equals = std::strchr(argv[i], '=');
    const KeywordRow* row = equals ? FindKeywordRow(std::string(argv[i], equals - argv[i]).c_str()) : nullptr;
    if (!row) {
      std::fprintf(stderr, "usage: [KVCHECKS_MACHINE=PROFILE] kvchecks_table [KEYWORD=ARG]...\n");
      return 2;
    }
    options.args[row->keyword] = equals + 1;
  }
  if (int refusal = AttachPlatform()) return refusal;
  sim::Machine machine = sim::Current();
  // The table runs on the simulated clock: a child's run time is not waited out.
  machine.real_time = false;
  options.before_each = FreshCopy;
  options.context = &machine;

  std::fputs(ConditionTableText(WorkOutConditions(options)).c_str(), stdout);
  // A captured machine's StartServer was never called: its answer in the profile is assumed.
  if (const auto library = machine.libraries.find("KxDbLib.dll"); library != machine.libraries.end())
    if (library->second.exports.count("StartServer"))
      std::printf(
          "\nMSDEWORKINGCHECK asks KxDbLib.dll's StartServer, which answers %d as the machine profile "
          "says; a captured machine's StartServer was not called, and its answer there is assumed.\n",
          static_cast<int>(library->second.exports.at("StartServer")));
  sim::Use(sim::Machine(machine));
  return 0;
}
