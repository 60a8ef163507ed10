// Start-up of the native checker: attach the machine named by
// KVCHECKS_MACHINE, or the embedded default.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/startup.h"
#include "sim/api/trace.h"
#include "sim/machine/machine.h"
#include "sim/profile/profile.h"
#include "sim/profile/reg_export.h"

int AttachPlatform() {
  try {
    // The host's own environment names the profile; the run sees only the profile's.
    const char* profile = std::getenv("KVCHECKS_MACHINE");
    sim::Machine machine = (profile && *profile) ? sim::LoadProfile(profile) : sim::DefaultMachine();
    machine.real_time = true;
    sim::Use(std::move(machine));
    sim::ExportRegistryAtExitWhenAsked();
    const char* trace = std::getenv("KVCHECKS_TRACE");
    if (trace && std::string(trace) == "1") sim::TraceToStandardError();
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kvchecks: %s\n", error.what());
    return 2;
  }
}
