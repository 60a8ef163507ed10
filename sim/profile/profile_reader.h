// Helpers for reading one table of a machine profile strictly: every key
// must be known, every value of the expected type, and errors name the file
// and line.
#pragma once

#include <toml++/toml.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "sim/profile/profile.h"

namespace sim {

struct ProfileContext {
  std::string origin;  // the profile's name in messages
  std::string folder;  // where relative file names are resolved
};

[[noreturn]] void ProfileFail(const ProfileContext& context, const toml::node& at,
                              const std::string& message);
// Rejects any key of the table that is not in the list.
void RequireKnownKeys(const ProfileContext& context, const toml::table& table,
                      std::initializer_list<std::string_view> known);
const toml::table& RequireTable(const ProfileContext& context, const toml::node& node, std::string_view what);
std::int64_t ReadInteger(const ProfileContext& context, const toml::table& table, std::string_view key,
                         std::int64_t fallback, std::int64_t low, std::int64_t high);
bool ReadBool(const ProfileContext& context, const toml::table& table, std::string_view key, bool fallback);
// TOML text is UTF-8; what the machine holds is UTF-16, or the ANSI code
// page's bytes for names and paths that the ANSI calls hand out.
std::u16string Utf8ToWide(const ProfileContext& context, const toml::node& at, const std::string& text);
std::string MachineText(const ProfileContext& context, const toml::node& at, const std::string& text);

std::string ReadString(const ProfileContext& context, const toml::table& table, std::string_view key,
                       const std::string& fallback);
// A path relative to the profile's folder, or an absolute host path.
std::string ResolveProfilePath(const ProfileContext& context, const std::string& name);

// The sections of a profile, each read by its own loader.
void LoadOsSection(const ProfileContext& context, const toml::table& table, Machine& machine);
void LoadUserSection(const ProfileContext& context, const toml::table& table, Machine& machine);
void LoadEnvironmentSection(const ProfileContext& context, const toml::table& table, Machine& machine);
void LoadProcessSection(const ProfileContext& context, const toml::table& table, Machine& machine);
void LoadRegistrySection(const ProfileContext& context, const toml::table& table, Machine& machine);
void LoadLibrariesSection(const ProfileContext& context, const toml::table& table, Machine& machine);
void LoadFilesSection(const ProfileContext& context, const toml::table& table, Machine& machine);
void LoadTokenSection(const ProfileContext& context, const toml::table& table, Machine& machine);
void LoadSessionSection(const ProfileContext& context, const toml::table& table, Machine& machine);
void LoadDevicesSection(const ProfileContext& context, const toml::table& table, Machine& machine);

}  // namespace sim
