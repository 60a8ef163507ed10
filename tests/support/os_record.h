// Installs a machine and takes its version record afresh, as the checker's
// start does before any check runs.
#pragma once

#include <utility>

#include "probes/os_facts.h"
#include "support/installed_machine.h"

inline void InstallAndCaptureOsVersion(InstalledMachine& installed, sim::Machine machine) {
  installed.Install(std::move(machine));
  OsVersionRecord = OSVERSIONINFOEXA{};
  CaptureOsVersion();
}
