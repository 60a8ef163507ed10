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

// A release that ships no profile of its own: its version on the shipped
// Server 2003 SP2, with the folders Windows 6.x moved.
Machine Derived(std::uint32_t major, std::uint32_t minor, std::uint32_t build, int service_pack,
                std::uint8_t product_type, bool sixty_four_bit) {
  Machine machine = WithServicePack(Shipped("server2003-sp2.toml"), service_pack);
  OsFacts& os = machine.os;
  os.major = major;
  os.minor = minor;
  os.build = build;
  os.product_type = product_type;
  os.is_64bit = sixty_four_bit;
  if (major >= 6) {
    machine.environment["windir"] = "C:\\Windows";
    machine.environment["SystemRoot"] = "C:\\Windows";
    machine.environment["temp"] = "C:\\Users\\ADMINI~1\\AppData\\Local\\Temp";
    machine.registry.SetString("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer",
                               "InstallerLocation", "C:\\Windows\\system32\\");
  }
  return machine;
}

constexpr std::uint8_t kWorkstation = 1;  // VER_NT_WORKSTATION
constexpr std::uint8_t kServer = 3;       // VER_NT_SERVER
constexpr std::uint32_t kProductEnterprise = 4;
constexpr std::uint32_t kProductEnterpriseServer = 10;

}  // namespace

Machine Windows2000Sp4() { return Shipped("windows2000-sp4.toml"); }
Machine WindowsXpSp2() { return Shipped("windows-xp-sp2.toml"); }
Machine WindowsXpX64() { return Derived(5, 2, 3790, 2, kWorkstation, true); }
Machine Server2003(int service_pack, bool sixty_four_bit) {
  return WithServicePack(Shipped(sixty_four_bit ? "server2003-sp1-x64.toml" : "server2003-sp2.toml"),
                         service_pack);
}
Machine WindowsVista() { return Derived(6, 0, 6002, 2, kWorkstation, false); }
Machine Server2008() {
  Machine machine = Derived(6, 0, 6002, 2, kServer, false);
  machine.os.product_info = kProductEnterpriseServer;
  return machine;
}
Machine Windows7(bool sixty_four_bit) {
  Machine machine = Derived(6, 1, 7601, 1, kWorkstation, sixty_four_bit);
  machine.os.product_info = kProductEnterprise;
  return machine;
}
Machine Server2008R2() {
  // The shipped Server Core profile as a full installation.
  Machine machine = Shipped("server2008r2-core.toml");
  machine.os.product_info = kProductEnterpriseServer;
  return machine;
}

}  // namespace sim
