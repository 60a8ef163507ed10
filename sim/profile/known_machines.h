// Machines of the Windows releases the checker supports, for tests to start from.
#pragma once

#include "sim/machine/machine.h"

namespace sim {

Machine Windows2000Sp4();
Machine WindowsXpSp2();
Machine WindowsXpX64();
Machine Server2003(int service_pack, bool sixty_four_bit);
Machine WindowsVista();
Machine Server2008();
Machine Windows7(bool sixty_four_bit);
Machine Server2008R2();

}  // namespace sim
