// The simulated registry written out as a .reg export, so that a test can
// read back what a run left behind.
#pragma once

#include <string>

#include "sim/machine/registry.h"

namespace sim {

// The whole registry as regedit exports it: "Windows Registry Editor
// Version 5.00", UTF-16LE with a byte-order mark, CR LF line ends.
std::string ExportRegistry(const Registry& registry);
// When the host variable KVCHECKS_REGISTRY_OUT names a file, the registry of
// the current machine is written there as the process exits.
void ExportRegistryAtExitWhenAsked();

}  // namespace sim
