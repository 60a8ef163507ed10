#include "sim/profile/profile_reader.h"

#include <algorithm>
#include <filesystem>
#include <limits>

#include "sim/machine/codepage.h"

namespace sim {

void ProfileFail(const ProfileContext& context, const toml::node& at, const std::string& message) {
  // A node keeps the file it was read from through a base chain.
  const auto& source = at.source();
  std::string where = source.path ? *source.path : context.origin;
  if (source.begin.line) where += ":" + std::to_string(source.begin.line);
  throw ProfileError(where + ": " + message);
}

void RequireKnownKeys(const ProfileContext& context, const toml::table& table,
                      std::initializer_list<std::string_view> known) {
  for (const auto& [key, node] : table) {
    if (std::find(known.begin(), known.end(), key.str()) == known.end())
      ProfileFail(context, node, "unknown key \"" + std::string(key.str()) + "\"");
  }
}

const toml::table& RequireTable(const ProfileContext& context, const toml::node& node,
                                std::string_view what) {
  const toml::table* table = node.as_table();
  if (!table) ProfileFail(context, node, std::string(what) + " must be a table");
  return *table;
}

std::int64_t ReadInteger(const ProfileContext& context, const toml::table& table, std::string_view key,
                         std::int64_t fallback, std::int64_t low, std::int64_t high) {
  const toml::node* node = table.get(key);
  if (!node) return fallback;
  const auto* value = node->as_integer();
  if (!value) ProfileFail(context, *node, "\"" + std::string(key) + "\" must be an integer");
  const std::int64_t number = value->get();
  if (number < low || number > high)
    ProfileFail(context, *node,
                "\"" + std::string(key) + "\" must lie between " + std::to_string(low) + " and " +
                    std::to_string(high));
  return number;
}

bool ReadBool(const ProfileContext& context, const toml::table& table, std::string_view key, bool fallback) {
  const toml::node* node = table.get(key);
  if (!node) return fallback;
  const auto* value = node->as_boolean();
  if (!value) ProfileFail(context, *node, "\"" + std::string(key) + "\" must be true or false");
  return value->get();
}

std::string ReadString(const ProfileContext& context, const toml::table& table, std::string_view key,
                       const std::string& fallback) {
  const toml::node* node = table.get(key);
  if (!node) return fallback;
  const auto* value = node->as_string();
  if (!value) ProfileFail(context, *node, "\"" + std::string(key) + "\" must be a string");
  return value->get();
}

// TOML text is UTF-8; the machine's files hold the code page's bytes.
std::u16string Utf8ToWide(const ProfileContext& context, const toml::node& at, const std::string& text) {
  std::u16string wide;
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    int extra = lead < 0x80 ? 0 : (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : -1;
    if (extra < 0 || i + extra >= text.size() + (extra ? 0 : 1))
      ProfileFail(context, at, "the text holds a character outside the Basic Multilingual Plane");
    std::uint32_t code = extra == 0 ? lead : extra == 1 ? (lead & 0x1F) : (lead & 0x0F);
    for (int k = 1; k <= extra; ++k) code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    wide.push_back(static_cast<char16_t>(code));
    i += extra + 1;
  }
  return wide;
}

std::string MachineText(const ProfileContext& context, const toml::node& at, const std::string& text) {
  return WideToAnsi(Utf8ToWide(context, at, text));
}

std::string ResolveProfilePath(const ProfileContext& context, const std::string& name) {
  if (!name.empty() && name[0] == '/') return name;
  if (context.folder.empty()) return name;
  return std::filesystem::path(context.folder + "/" + name).lexically_normal().generic_string();
}

}  // namespace sim
