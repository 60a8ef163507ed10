#include "sim/profile/known_machines.h"

#include "sim/machine/files.h"
#include "sim/profile/profile.h"

namespace sim {
namespace {

Machine Make(std::uint32_t major, std::uint32_t minor, std::uint32_t build, int service_pack,
             std::uint8_t product_type, bool sixty_four_bit) {
  Machine machine = DefaultMachine();
  // The default machine's system files are those of Server 2003 SP2; a test
  // of another release adds the files it needs.
  machine.files = FileSystem();
  OsFacts& os = machine.os;
  os = OsFacts();
  os.major = major;
  os.minor = minor;
  os.build = build;
  os.sp_major = static_cast<std::uint16_t>(service_pack);
  os.csd_version = service_pack ? "Service Pack " + std::to_string(service_pack) : "";
  os.product_type = product_type;
  os.is_64bit = sixty_four_bit;
  if (major >= 6) {
    machine.environment["windir"] = "C:\\Windows";
    machine.environment["temp"] = "C:\\Users\\ADMINI~1\\AppData\\Local\\Temp";
  }
  return machine;
}

}  // namespace

Machine Windows2000Sp4() { return Make(5, 0, 2195, 4, 3, false); }
Machine WindowsXpSp2() { return Make(5, 1, 2600, 2, 1, false); }
Machine WindowsXpX64() { return Make(5, 2, 3790, 2, 1, true); }
Machine Server2003(int service_pack, bool sixty_four_bit) {
  return Make(5, 2, 3790, service_pack, 3, sixty_four_bit);
}
Machine WindowsVista() { return Make(6, 0, 6002, 2, 1, false); }
Machine Server2008() {
  Machine machine = Make(6, 0, 6002, 2, 3, false);
  machine.os.product_info = 10;  // PRODUCT_ENTERPRISE_SERVER
  return machine;
}
Machine Windows7(bool sixty_four_bit) {
  Machine machine = Make(6, 1, 7601, 1, 1, sixty_four_bit);
  machine.os.product_info = 4;  // PRODUCT_ENTERPRISE
  return machine;
}
Machine Server2008R2() {
  Machine machine = Make(6, 1, 7601, 1, 3, true);
  machine.os.product_info = 10;
  return machine;
}

}  // namespace sim
