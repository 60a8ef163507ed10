// The device tree as the setup API lists it: device instances, whether
// each is present, and its hardware-id list.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace sim {

struct Device {
  std::string instance_id;  // e.g. "ROOT\\IMBDRV\\0000"
  bool present = true;      // installed but not present: listed only without DIGCF_PRESENT
  // The HardwareID property, most specific first; empty: the device has none.
  std::vector<std::string> hardware_ids;
  // Non-zero: reading the property into a buffer large enough fails with this.
  std::uint32_t hardware_id_read_error = 0;
};

struct DeviceFacts {
  // Enumerated in this order.
  std::vector<Device> devices = {
      {"ACPI\\PNP0A03\\0", true, {"ACPI\\PNP0A03", "*PNP0A03"}, 0},
      {"PCI\\VEN_8086&DEV_7111&SUBSYS_00000000&REV_01\\3&267A616A&0&39",
       true,
       {"PCI\\VEN_8086&DEV_7111&SUBSYS_00000000&REV_01", "PCI\\VEN_8086&DEV_7111&SUBSYS_00000000",
        "PCI\\VEN_8086&DEV_7111&CC_01018A", "PCI\\VEN_8086&DEV_7111"},
       0},
      {"ROOT\\LEGACY_BEEP\\0000", true, {}, 0},  // legacy drivers have no hardware id
      {"STORAGE\\VOLUME\\1&30A96598&0&SIGNATURE0", false, {"STORAGE\\Volume"}, 0},
  };
  std::uint32_t class_devs_error = 0;  // non-zero: SetupDiGetClassDevsA fails with this
};

// What the setup calls have handed out in the current run.
struct DeviceRuntime {
  std::map<std::uintptr_t, std::vector<std::size_t>> open_sets;  // handle to device indexes
  // Instance ids of the devices whose hardware ids were asked for, in call order.
  std::vector<std::string> property_queries;
};

}  // namespace sim
