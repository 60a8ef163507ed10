// What the capture program found on a machine: everything the keywords'
// checks read there, as plain data for the profile writer.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct CapturedOs {
  bool version_call_fails = false;
  std::uint32_t major = 0, minor = 0, build = 0, platform = 0;
  std::string service_pack;
  std::uint32_t service_pack_major = 0, service_pack_minor = 0, suite_mask = 0, product_type = 0;
  bool has_is_wow64_process = false, has_get_native_system_info = false, has_get_product_info = false;
  bool sixty_four_bit = false;
  bool wow64_call_fails = false;
  std::string native_architecture = "x86";
  std::uint32_t product_info = 0;
};

struct CapturedValue {
  std::string name;
  std::uint32_t type = 0;
  std::string data;  // the bytes RegQueryValueExA gave
};

// A key as it is kept on the machine: on 64-bit Windows the 32-bit view of
// HKLM\SOFTWARE\X is HKLM\SOFTWARE\Wow6432Node\X.
struct CapturedKey {
  std::string path;  // under HKEY_LOCAL_MACHINE
  std::vector<CapturedValue> values;
};

struct CapturedFile {
  std::string path;  // full
  std::optional<std::string> bytes;
  std::string version;    // four dotted numbers, or empty
  std::string signature;  // the profile's name of the trust verdict, or empty
  std::string note;
};

struct CapturedExport {
  std::string name;
  std::int32_t answer = 0;
  bool called = false;
};

struct CapturedDevice {
  std::vector<std::string> hardware_ids;
  bool has_hardware_ids = false;
};

struct CapturedMachine {
  CapturedOs os;
  bool administrator = true;
  bool elevated = true;
  bool remote_session = false;
  std::map<std::string, std::optional<std::string>> environment;  // unset: no value
  std::string current_directory;
  std::map<char, std::string> drives;  // letter to the profile's drive type
  std::vector<std::string> folders;
  std::vector<CapturedFile> files;
  std::optional<std::uint32_t> class_devs_error;
  std::vector<CapturedDevice> devices;
  std::map<std::string, std::vector<CapturedExport>> libraries;  // present libraries only
  std::vector<CapturedKey> keys;
  std::vector<std::string> deny_read;  // HKLM\... keys that refused to be read
};

// Reads the machine through the platform seam, as the checks read it.
CapturedMachine CaptureMachine();

// Writes OUTDIR/machine.toml, OUTDIR/registry.reg and the files' bytes.
// False with `error` set when a file cannot be written.
bool WriteCapture(const CapturedMachine& machine, const std::string& folder, std::string& error);
