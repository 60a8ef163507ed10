// kvcapture OUTDIR: writes OUTDIR/machine.toml and the files it names, holding
// everything the checker's keywords read on this machine, and prints whether
// each keyword's condition holds here. It changes nothing on the machine: no
// registry write, and the database library's StartServer is never called.
#include <cstdio>
#include <cstring>
#include <string>

#include "app/condition_table.h"
#include "app/machine_reads.h"
#include "captured_machine.h"
#include "platform/startup.h"
#include "platform/system_libraries.h"
#include "probes/os_facts.h"

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--reads") == 0) {
    std::fputs(DescribeMachineReads().c_str(), stdout);
    return 0;
  }
  if (argc != 2 || argv[1][0] == '\0' || argv[1][0] == '-') {
    std::fputs("usage: kvcapture OUTDIR\n", stderr);
    return 2;
  }
  if (int refusal = AttachPlatform()) return refusal;
  CaptureOsVersion();
  CapturedMachine machine;
  {
    SystemLibraryScope libraries;
    machine = CaptureMachine();
  }
  std::string error;
  if (!WriteCapture(machine, argv[1], error)) {
    std::fprintf(stderr, "kvcapture: %s\n", error.c_str());
    return 1;
  }
  ConditionOptions options;
  options.read_only = true;
  std::fputs(ConditionTableText(WorkOutConditions(options)).c_str(), stdout);
  std::printf("\nCaptured into %s (machine.toml, registry.reg).\n", argv[1]);
  return 0;
}
