// The profile tables of the OS facts, the user, the environment, the
// process, the registry and the libraries.
#include <limits>

#include "sim/profile/profile_reader.h"
#include "sim/profile/reg_file.h"

namespace sim {

void LoadOsSection(const ProfileContext& context, const toml::table& table, Machine& machine) {
  RequireKnownKeys(
      context, table,
      {"major", "minor", "build", "platform", "service_pack", "service_pack_major", "service_pack_minor",
       "suite_mask", "product_type", "version_call_fails", "sixty_four_bit", "native_architecture",
       "wow64_call_fails", "product_info", "entry_points"});
  OsFacts& os = machine.os;
  const std::int64_t u32 = std::numeric_limits<std::uint32_t>::max();
  os.major = static_cast<std::uint32_t>(ReadInteger(context, table, "major", os.major, 0, u32));
  os.minor = static_cast<std::uint32_t>(ReadInteger(context, table, "minor", os.minor, 0, u32));
  os.build = static_cast<std::uint32_t>(ReadInteger(context, table, "build", os.build, 0, u32));
  os.platform = static_cast<std::uint32_t>(ReadInteger(context, table, "platform", os.platform, 0, u32));
  if (const toml::node* node = table.get("service_pack"))
    os.csd_version = MachineText(context, *node, ReadString(context, table, "service_pack", ""));
  if (os.csd_version.size() > 127)
    ProfileFail(context, *table.get("service_pack"), "\"service_pack\" is longer than 127 characters");
  os.sp_major =
      static_cast<std::uint16_t>(ReadInteger(context, table, "service_pack_major", os.sp_major, 0, 0xFFFF));
  os.sp_minor =
      static_cast<std::uint16_t>(ReadInteger(context, table, "service_pack_minor", os.sp_minor, 0, 0xFFFF));
  os.suite_mask =
      static_cast<std::uint16_t>(ReadInteger(context, table, "suite_mask", os.suite_mask, 0, 0xFFFF));
  os.product_type =
      static_cast<std::uint8_t>(ReadInteger(context, table, "product_type", os.product_type, 0, 0xFF));
  os.version_call_fails = ReadBool(context, table, "version_call_fails", os.version_call_fails);
  os.is_64bit = ReadBool(context, table, "sixty_four_bit", os.is_64bit);
  os.wow64_call_fails = ReadBool(context, table, "wow64_call_fails", os.wow64_call_fails);
  os.product_info =
      static_cast<std::uint32_t>(ReadInteger(context, table, "product_info", os.product_info, 0, u32));

  if (const toml::node* node = table.get("native_architecture")) {
    const std::string name = ReadString(context, table, "native_architecture", "");
    if (name == "x86")
      os.native_architecture = 0;
    else if (name == "amd64")
      os.native_architecture = 9;
    else if (name == "ia64")
      os.native_architecture = 6;
    else
      ProfileFail(context, *node, "\"native_architecture\" must be \"x86\", \"amd64\" or \"ia64\"");
  }

  if (const toml::node* node = table.get("entry_points")) {
    const toml::table& entry_points = RequireTable(context, *node, "entry_points");
    RequireKnownKeys(context, entry_points, {"IsWow64Process", "GetNativeSystemInfo", "GetProductInfo"});
    if (entry_points.get("IsWow64Process"))
      os.has_is_wow64_process = ReadBool(context, entry_points, "IsWow64Process", false);
    if (entry_points.get("GetNativeSystemInfo"))
      os.has_get_native_system_info = ReadBool(context, entry_points, "GetNativeSystemInfo", false);
    if (entry_points.get("GetProductInfo"))
      os.has_get_product_info = ReadBool(context, entry_points, "GetProductInfo", false);
  }
}

void LoadUserSection(const ProfileContext& context, const toml::table& table, Machine& machine) {
  RequireKnownKeys(context, table, {"elevated"});
  machine.user.elevated = ReadBool(context, table, "elevated", machine.user.elevated);
}

void LoadEnvironmentSection(const ProfileContext& context, const toml::table& table, Machine& machine) {
  for (const auto& [key, node] : table) {
    if (key.str() == "unset") continue;
    const auto* value = node.as_string();
    if (!value)
      ProfileFail(context, node, "environment variable \"" + std::string(key.str()) + "\" must be a string");
    machine.environment[std::string(key.str())] = MachineText(context, node, value->get());
  }
  // Variables the process does not have, even where a base profile sets them.
  if (const toml::node* unset = table.get("unset")) {
    const toml::array* names = unset->as_array();
    if (!names) ProfileFail(context, *unset, "\"unset\" must be a list of variable names");
    for (const toml::node& name : *names) {
      const auto* text = name.as_string();
      if (!text) ProfileFail(context, name, "\"unset\" must be a list of variable names");
      machine.environment.erase(text->get());
    }
  }
}

void LoadProcessSection(const ProfileContext& context, const toml::table& table, Machine& machine) {
  RequireKnownKeys(context, table, {"current_directory"});
  if (const toml::node* node = table.get("current_directory"))
    machine.current_directory =
        MachineText(context, *node, ReadString(context, table, "current_directory", ""));
}

void LoadRegistrySection(const ProfileContext& context, const toml::table& table, Machine& machine) {
  RequireKnownKeys(context, table, {"import", "deny_read", "quota_exhausted"});
  machine.registry.quota_exhausted =
      ReadBool(context, table, "quota_exhausted", machine.registry.quota_exhausted);
  const auto read_list = [&](std::string_view key, auto&& each) {
    const toml::node* node = table.get(key);
    if (!node) return;
    const toml::array* list = node->as_array();
    if (!list) ProfileFail(context, *node, "\"" + std::string(key) + "\" must be a list of strings");
    for (const toml::node& item : *list) {
      const auto* text = item.as_string();
      if (!text) ProfileFail(context, item, "\"" + std::string(key) + "\" must be a list of strings");
      each(item, text->get());
    }
  };
  read_list("import",
            [&](const toml::node&, const std::string& name) { ImportRegFile(name, machine.registry); });
  read_list("deny_read", [&](const toml::node& item, const std::string& path) {
    if (!RootFromName(SplitRegPath(path).empty() ? "" : SplitRegPath(path)[0]))
      ProfileFail(context, item, "\"" + path + "\" does not begin with a registry root");
    machine.registry.DenyRead(MachineText(context, item, path));
  });
}

void LoadLibrariesSection(const ProfileContext& context, const toml::table& table, Machine& machine) {
  // [libraries."KVIL32.DLL"] with one integer per export: the export's result.
  for (const auto& [name, node] : table) {
    const toml::table& exports = RequireTable(context, node, "a library");
    Library library;
    for (const auto& [export_name, result] : exports) {
      const auto* number = result.as_integer();
      if (!number || number->get() < std::numeric_limits<std::int32_t>::min() ||
          number->get() > std::numeric_limits<std::uint32_t>::max())
        ProfileFail(context, result,
                    "export \"" + std::string(export_name.str()) + "\" must be a 32-bit integer");
      library.exports[std::string(export_name.str())] = static_cast<std::int32_t>(number->get());
    }
    machine.libraries[std::string(name.str())] = std::move(library);
  }
}

}  // namespace sim
