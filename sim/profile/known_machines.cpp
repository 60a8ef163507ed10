#include "sim/profile/known_machines.h"

#include "sim/machine/files.h"
#include "sim/profile/shipped_profiles.h"

namespace sim {
namespace {

// A shipped machine without its system files; a test adds the files it needs.
Machine Shipped(const char* profile) {
  Machine machine = ShippedMachine(profile);
  machine.files = FileSystem();
  return machine;
}

Machine WithServicePack(Machine machine, int service_pack) {
  machine.os.sp_major = static_cast<std::uint16_t>(service_pack);
  machine.os.csd_version = service_pack ? "Service Pack " + std::to_string(service_pack) : "";
  return machine;
}

constexpr std::uint32_t kProductEnterpriseServer = 10;

}  // namespace

Machine Windows2000Sp4() { return Shipped("windows2000-sp4.toml"); }
Machine WindowsXpSp2() { return Shipped("windows-xp-sp2.toml"); }
Machine WindowsXpX64() { return Shipped("windows-xp-sp2-x64.toml"); }
Machine Server2003(int service_pack, bool sixty_four_bit) {
  return WithServicePack(Shipped(sixty_four_bit ? "server2003-sp1-x64.toml" : "server2003-sp2.toml"),
                         service_pack);
}
Machine WindowsVista() { return Shipped("windows-vista-sp2.toml"); }
Machine Server2008() { return Shipped("server2008-sp2.toml"); }
Machine Windows7(bool sixty_four_bit) {
  return Shipped(sixty_four_bit ? "windows7-sp1-x64.toml" : "windows7-sp1.toml");
}
Machine Server2008R2() {
  // The shipped Server Core profile as a full installation.
  Machine machine = Shipped("server2008r2-core.toml");
  machine.os.product_info = kProductEnterpriseServer;
  return machine;
}

}  // namespace sim
