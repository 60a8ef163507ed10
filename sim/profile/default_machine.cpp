#include "sim/profile/profile.h"
#include "sim/profile/shipped_profiles.h"

namespace sim {

// Windows Server 2003 SP2, 32-bit, an elevated administrator, nothing of the
// family installed: the shipped profile of that release.
Machine DefaultMachine() { return ShippedMachine("server2003-sp2.toml"); }

}  // namespace sim
