// The profile tables of the process token, the logon session and the
// device tree.
#include <limits>

#include "sim/profile/profile_reader.h"

namespace sim {
namespace {

constexpr std::int64_t kU32 = std::numeric_limits<std::uint32_t>::max();

std::uint32_t ReadError(const ProfileContext& context, const toml::table& table, std::string_view key,
                        std::uint32_t fallback) {
  return static_cast<std::uint32_t>(ReadInteger(context, table, key, fallback, 0, kU32));
}

std::uint32_t ReadAttributes(const ProfileContext& context, const toml::node& node) {
  if (const auto* number = node.as_integer()) {
    if (number->get() < 0 || number->get() > kU32)
      ProfileFail(context, node, "\"attributes\" must be a 32-bit number");
    return static_cast<std::uint32_t>(number->get());
  }
  static const std::pair<const char*, std::uint32_t> kNames[] = {
      {"mandatory", kGroupMandatory}, {"enabled_by_default", kGroupEnabledByDefault},
      {"enabled", kGroupEnabled},     {"owner", kGroupOwner},
      {"deny_only", kGroupDenyOnly},  {"logon_id", kGroupLogonId}};
  const toml::array* list = node.as_array();
  if (!list) ProfileFail(context, node, "\"attributes\" must be a number or a list of attribute names");
  std::uint32_t attributes = 0;
  for (const toml::node& item : *list) {
    const auto* name = item.as_string();
    bool known = false;
    for (const auto& [text, bit] : kNames)
      if (name && name->get() == text) {
        attributes |= bit;
        known = true;
      }
    if (!known)
      ProfileFail(context, item,
                  "attribute names are \"mandatory\", \"enabled_by_default\", \"enabled\", \"owner\", "
                  "\"deny_only\" and \"logon_id\"");
  }
  return attributes;
}

TokenGroup ReadGroup(const ProfileContext& context, const toml::table& table) {
  RequireKnownKeys(context, table, {"sid", "attributes", "lookup", "name", "domain"});
  TokenGroup group;
  const toml::node* sid = table.get("sid");
  if (!sid) ProfileFail(context, table, "a token group needs a \"sid\"");
  group.sid = ReadString(context, table, "sid", "");
  if (SidFromText(group.sid).empty()) ProfileFail(context, *sid, "\"" + group.sid + "\" is not a SID");
  if (const toml::node* attributes = table.get("attributes"))
    group.attributes = ReadAttributes(context, *attributes);
  if (const toml::node* lookup = table.get("lookup")) {
    const auto* text = lookup->as_string();
    if (text && text->get() == "mapped")
      group.lookup_error = 0;
    else if (text && text->get() == "none_mapped")
      group.lookup_error = 1332;  // ERROR_NONE_MAPPED
    else if (!text)
      group.lookup_error = ReadError(context, table, "lookup", 0);
    else
      ProfileFail(context, *lookup, "\"lookup\" must be \"mapped\", \"none_mapped\" or an error number");
  }
  group.name = ReadString(context, table, "name", "");
  group.domain = ReadString(context, table, "domain", "");
  return group;
}

}  // namespace

void LoadTokenSection(const ProfileContext& context, const toml::table& table, Machine& machine) {
  RequireKnownKeys(context, table,
                   {"kind", "groups", "open_error", "size_query_error", "query_error", "allocate_sid_error"});
  TokenFacts& token = machine.system.token;
  if (const toml::node* kind = table.get("kind")) {
    const std::string name = ReadString(context, table, "kind", "");
    TokenFacts made;
    if (name == "administrator")
      made = TokenFacts();
    else if (name == "standard_user")
      made = StandardUserToken();
    else if (name == "filtered_administrator")
      made = FilteredAdministratorToken();
    else
      ProfileFail(context, *kind,
                  "\"kind\" must be \"administrator\", \"standard_user\" or \"filtered_administrator\"");
    token.groups = made.groups;
  }
  // A list of groups describes the whole token: it replaces the base's.
  if (const toml::node* groups = table.get("groups")) {
    const toml::array* list = groups->as_array();
    if (!list) ProfileFail(context, *groups, "\"groups\" must be a list of tables ([[token.groups]])");
    token.groups.clear();
    for (const toml::node& item : *list)
      token.groups.push_back(ReadGroup(context, RequireTable(context, item, "a token group")));
  }
  token.open_error = ReadError(context, table, "open_error", token.open_error);
  token.size_query_error = ReadError(context, table, "size_query_error", token.size_query_error);
  token.query_error = ReadError(context, table, "query_error", token.query_error);
  token.allocate_sid_error = ReadError(context, table, "allocate_sid_error", token.allocate_sid_error);
}

void LoadSessionSection(const ProfileContext& context, const toml::table& table, Machine& machine) {
  RequireKnownKeys(context, table, {"remote"});
  machine.system.session.remote = ReadBool(context, table, "remote", machine.system.session.remote);
}

void LoadDevicesSection(const ProfileContext& context, const toml::table& table, Machine& machine) {
  DeviceFacts& facts = machine.system.devices;
  facts.class_devs_error = ReadError(context, table, "class_devs_error", facts.class_devs_error);
  // Every other key names a device instance; an instance the base has is replaced in place.
  for (const auto& [key, node] : table) {
    if (key.str() == "class_devs_error") continue;
    const toml::table& entry = RequireTable(context, node, "a device");
    RequireKnownKeys(context, entry, {"present", "hardware_ids", "hardware_id_read_error"});
    Device device;
    device.instance_id = std::string(key.str());
    device.present = ReadBool(context, entry, "present", true);
    if (const toml::node* ids = entry.get("hardware_ids")) {
      const toml::array* list = ids->as_array();
      if (!list) ProfileFail(context, *ids, "\"hardware_ids\" must be a list of strings");
      for (const toml::node& id : *list) {
        const auto* text = id.as_string();
        if (!text || text->get().empty() || text->get().find('\0') != std::string::npos)
          ProfileFail(context, id, "a hardware id must be a non-empty string");
        device.hardware_ids.push_back(MachineText(context, id, text->get()));
      }
    }
    device.hardware_id_read_error = ReadError(context, entry, "hardware_id_read_error", 0);
    bool replaced = false;
    for (Device& existing : facts.devices)
      if (EqualsNoCase(existing.instance_id, device.instance_id)) {
        existing = device;
        replaced = true;
      }
    if (!replaced) facts.devices.push_back(std::move(device));
  }
}

}  // namespace sim
