// setupapi's device information sets, served from the simulated device tree.
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "sim/api/served_api.h"
#include "sim/api/support.h"
#include "sim/machine/machine.h"

namespace sim {
namespace {

constexpr DWORD kErrorInvalidUserBuffer = 1784;  // ERROR_INVALID_USER_BUFFER
// {4D36E97D-E325-11CE-BFC1-08002BE10318}, the System class.
constexpr GUID kSystemClass = {0x4D36E97D, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

const std::vector<std::size_t>* SetOf(HDEVINFO set) {
  auto& open = CurrentRuntime().system.devices.open_sets;
  auto found = open.find(reinterpret_cast<std::uintptr_t>(set));
  return found == open.end() ? nullptr : &found->second;
}

// The hardware-id list as REG_MULTI_SZ: each id and its terminator, then one more.
std::string MultiSz(const std::vector<std::string>& ids) {
  std::string bytes;
  for (const std::string& id : ids) bytes += id + '\0';
  return bytes + '\0';
}

}  // namespace
}  // namespace sim

using namespace sim;

HDEVINFO WINAPI served::SetupDiGetClassDevsA(const GUID* ClassGuid, LPCSTR Enumerator, HWND, DWORD Flags) {
  // Devices carry no setup class here, so only the all-classes list is served.
  if (!(Flags & DIGCF_ALLCLASSES) || ClassGuid) return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  const DeviceFacts& facts = Current().system.devices;
  if (facts.class_devs_error) return Fail(facts.class_devs_error, INVALID_HANDLE_VALUE);
  const std::string prefix = Enumerator ? std::string(Enumerator) + "\\" : std::string();
  std::vector<std::size_t> members;
  for (std::size_t i = 0; i < facts.devices.size(); ++i) {
    const Device& device = facts.devices[i];
    if ((Flags & DIGCF_PRESENT) && !device.present) continue;
    if (!prefix.empty() &&
        !EqualsNoCase(std::string_view(device.instance_id).substr(0, prefix.size()), prefix))
      continue;
    members.push_back(i);
  }
  Runtime& runtime = CurrentRuntime();
  const std::uintptr_t value = NewHandle();
  runtime.system.devices.open_sets[value] = std::move(members);
  return reinterpret_cast<HDEVINFO>(value);
}

BOOL WINAPI served::SetupDiEnumDeviceInfo(HDEVINFO DeviceInfoSet, DWORD MemberIndex,
                                          PSP_DEVINFO_DATA DeviceInfoData) {
  const std::vector<std::size_t>* members = SetOf(DeviceInfoSet);
  if (!members) return Fail(ERROR_INVALID_HANDLE);
  if (!DeviceInfoData) return Fail(ERROR_INVALID_PARAMETER);
  if (DeviceInfoData->cbSize != sizeof(SP_DEVINFO_DATA)) return Fail(kErrorInvalidUserBuffer);
  if (MemberIndex >= members->size()) return Fail(ERROR_NO_MORE_ITEMS);
  DeviceInfoData->ClassGuid = kSystemClass;
  DeviceInfoData->DevInst = static_cast<DWORD>((*members)[MemberIndex] + 1);
  // The platform keeps its own reference to the device here; so do we.
  DeviceInfoData->Reserved = MemberIndex + 1;
  return TRUE;
}

BOOL WINAPI served::SetupDiGetDeviceRegistryPropertyA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                                      DWORD Property, PDWORD PropertyRegDataType,
                                                      PBYTE PropertyBuffer, DWORD PropertyBufferSize,
                                                      PDWORD RequiredSize) {
  const std::vector<std::size_t>* members = SetOf(DeviceInfoSet);
  if (!members) return Fail(ERROR_INVALID_HANDLE);
  if (!DeviceInfoData || DeviceInfoData->cbSize != sizeof(SP_DEVINFO_DATA) || DeviceInfoData->Reserved == 0 ||
      DeviceInfoData->Reserved > members->size())
    return Fail(ERROR_INVALID_PARAMETER);
  if (!PropertyBuffer && PropertyBufferSize) return Fail(ERROR_INVALID_PARAMETER);
  const Device& device = Current().system.devices.devices[(*members)[DeviceInfoData->Reserved - 1]];
  CurrentRuntime().system.devices.property_queries.push_back(device.instance_id);
  // Only the hardware ids are described; a property a device lacks is invalid data.
  if (Property != SPDRP_HARDWAREID || device.hardware_ids.empty()) return Fail(ERROR_INVALID_DATA);
  const std::string bytes = MultiSz(device.hardware_ids);
  if (PropertyRegDataType) *PropertyRegDataType = REG_MULTI_SZ;
  if (RequiredSize) *RequiredSize = static_cast<DWORD>(bytes.size());
  if (PropertyBufferSize < bytes.size()) return Fail(ERROR_INSUFFICIENT_BUFFER);
  if (device.hardware_id_read_error) return Fail(device.hardware_id_read_error);
  std::memcpy(PropertyBuffer, bytes.data(), bytes.size());
  return TRUE;
}

BOOL WINAPI served::SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet) {
  if (CurrentRuntime().system.devices.open_sets.erase(reinterpret_cast<std::uintptr_t>(DeviceInfoSet)) == 0)
    return Fail(ERROR_INVALID_HANDLE);
  return TRUE;
}
