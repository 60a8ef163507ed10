// The traced names of setupapi's device calls: the list of present devices,
// each member of it, and the hardware ids read from one.
#include <cstdio>
#include <cstring>
#include <string>

#include "sim/api/served_api.h"
#include "sim/api/system_exports.h"
#include "sim/api/trace.h"

namespace sim {
namespace {

std::string GuidText(const GUID* guid) {
  if (!guid) return "NULL";
  char text[40];
  std::snprintf(text, sizeof(text), "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", guid->Data1,
                guid->Data2, guid->Data3, guid->Data4[0], guid->Data4[1], guid->Data4[2], guid->Data4[3],
                guid->Data4[4], guid->Data4[5], guid->Data4[6], guid->Data4[7]);
  return text;
}

std::string PropertyName(DWORD property) {
  static const Named kNames[] = {{SPDRP_HARDWAREID, "SPDRP_HARDWAREID"}};
  return ConstantName(property, kNames);
}

// A REG_MULTI_SZ as its strings, each quoted.
std::string MultiStrings(const BYTE* data, DWORD size) {
  std::string text;
  const char* at = reinterpret_cast<const char*>(data);
  const char* end = at + size;
  while (at < end && *at) {
    const std::size_t length = strnlen(at, static_cast<std::size_t>(end - at));
    text += (text.empty() ? "" : " ") + Quoted(std::string(at, length));
    at += length + 1;
  }
  return text.empty() ? "no strings" : text;
}

std::string DeviceText(const SP_DEVINFO_DATA* device) {
  return device ? "device " + std::to_string(device->DevInst) : "NULL";
}

}  // namespace
}  // namespace sim

using sim::CallTrace;
namespace served = sim::served;

HDEVINFO WINAPI sim::exports::SetupDiGetClassDevsA(const GUID* ClassGuid, LPCSTR Enumerator, HWND hwndParent,
                                                   DWORD Flags) {
  static const Named kFlags[] = {{DIGCF_DEFAULT, "DIGCF_DEFAULT"},
                                 {DIGCF_PRESENT, "DIGCF_PRESENT"},
                                 {DIGCF_ALLCLASSES, "DIGCF_ALLCLASSES"}};
  const HDEVINFO set = served::SetupDiGetClassDevsA(ClassGuid, Enumerator, hwndParent, Flags);
  if (!Tracing()) return set;
  CallTrace("SetupDiGetClassDevsA")
      .Word(GuidText(ClassGuid))
      .Text(Enumerator)
      .Handle(hwndParent)
      .Word(FlagNames(Flags, kFlags))
      .Returns(HandleResult(set), set == INVALID_HANDLE_VALUE);
  return set;
}

BOOL WINAPI sim::exports::SetupDiEnumDeviceInfo(HDEVINFO DeviceInfoSet, DWORD MemberIndex,
                                                PSP_DEVINFO_DATA DeviceInfoData) {
  const BOOL found = served::SetupDiEnumDeviceInfo(DeviceInfoSet, MemberIndex, DeviceInfoData);
  if (!Tracing()) return found;
  CallTrace trace("SetupDiEnumDeviceInfo");
  trace.Handle(DeviceInfoSet).Number(MemberIndex).Returns(Boolean(found), !found);
  if (found) trace.Then(DeviceText(DeviceInfoData));
  return found;
}

BOOL WINAPI sim::exports::SetupDiGetDeviceRegistryPropertyA(HDEVINFO DeviceInfoSet,
                                                            PSP_DEVINFO_DATA DeviceInfoData, DWORD Property,
                                                            PDWORD PropertyRegDataType, PBYTE PropertyBuffer,
                                                            DWORD PropertyBufferSize, PDWORD RequiredSize) {
  const BOOL read =
      served::SetupDiGetDeviceRegistryPropertyA(DeviceInfoSet, DeviceInfoData, Property, PropertyRegDataType,
                                                PropertyBuffer, PropertyBufferSize, RequiredSize);
  if (!Tracing()) return read;
  CallTrace trace("SetupDiGetDeviceRegistryPropertyA");
  trace.Handle(DeviceInfoSet)
      .Word(DeviceText(DeviceInfoData))
      .Word(PropertyName(Property))
      .Number(PropertyBufferSize)
      .Returns(Boolean(read), !read);
  if (read && PropertyBuffer) {
    // The hardware ids are a REG_MULTI_SZ, whether or not the caller asks for the type.
    if (PropertyRegDataType) trace.Then(RegistryTypeName(*PropertyRegDataType));
    trace.Then(MultiStrings(PropertyBuffer, RequiredSize ? *RequiredSize : PropertyBufferSize));
  } else if (!read && RequiredSize && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    trace.Then(std::to_string(*RequiredSize) + " bytes needed");
  }
  return read;
}

BOOL WINAPI sim::exports::SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet) {
  const BOOL destroyed = served::SetupDiDestroyDeviceInfoList(DeviceInfoSet);
  CallTrace("SetupDiDestroyDeviceInfoList").Handle(DeviceInfoSet).Returns(Boolean(destroyed), !destroyed);
  return destroyed;
}
