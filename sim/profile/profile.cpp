#include "sim/profile/profile.h"

#include <sstream>

#include "sim/profile/profile_reader.h"
#include "sim/profile/shipped_profiles.h"

namespace sim {
namespace {

using SectionLoader = void (*)(const ProfileContext&, const toml::table&, Machine&);

struct Section {
  std::string_view name;
  SectionLoader load;
};

// The tables a profile may have, in the order they are applied.
constexpr Section kSections[] = {
    {"os", LoadOsSection},
    {"user", LoadUserSection},
    {"environment", LoadEnvironmentSection},
    {"process", LoadProcessSection},
    {"registry", LoadRegistrySection},
    {"libraries", LoadLibrariesSection},
    {"files", LoadFilesSection},
    {"token", LoadTokenSection},
    {"session", LoadSessionSection},
    {"devices", LoadDevicesSection},
};

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Makes a string node, if it is one, a path relative to the profile's folder.
void ResolveInPlace(const ProfileContext& context, toml::node* node) {
  if (auto* name = node ? node->as_string() : nullptr) name->get() = ResolveProfilePath(context, name->get());
}

// File names a profile holds are relative to the profile that names them:
// its registry imports and the sources of its files.
void ResolveFileNames(const ProfileContext& context, toml::table& document) {
  if (auto* registry = document["registry"].as_table())
    if (auto* imports = (*registry)["import"].as_array())
      for (toml::node& name : *imports) ResolveInPlace(context, &name);
  if (auto* files = document["files"].as_table())
    if (auto* list = (*files)["file"].as_array())
      for (toml::node& entry : *list)
        if (auto* file = entry.as_table()) ResolveInPlace(context, file->get("source"));
}

// Tables whose keys are Windows names, matched without regard to case.
bool NamesWindowsObjects(const std::string& path) {
  return path == "environment" || path == "libraries" || path == "devices";
}
// Entries that a profile names again replace the base's as a whole: a
// library with its exports, a device, the token's list of groups.
bool ReplacedWhole(const std::string& path) {
  return path.rfind("libraries.", 0) == 0 || path.rfind("devices.", 0) == 0 || path == "token.groups";
}

// Applies `top` on top of `base`: scalar keys replace the base's, tables are
// merged by key, lists are appended to the base's.
void Merge(toml::table& base, const toml::table& top, const std::string& path) {
  for (const auto& [key, node] : top) {
    const std::string name(key.str());
    const std::string here = path.empty() ? name : path + "." + name;
    if (NamesWindowsObjects(path)) {
      for (auto it = base.begin(); it != base.end();) {
        if (it->first.str() != name && EqualsNoCase(it->first.str(), name))
          it = base.erase(it);
        else
          ++it;
      }
    }
    // A token kind stands for a whole list of groups.
    if (here == "token.kind") base.erase("groups");
    toml::node* old = base.get(name);
    if (old && old->is_table() && node.is_table() && !ReplacedWhole(here)) {
      Merge(*old->as_table(), *node.as_table(), here);
    } else if (old && old->is_array() && node.is_array() && !ReplacedWhole(here)) {
      for (const toml::node& item : *node.as_array()) old->as_array()->push_back(item);
    } else {
      base.insert_or_assign(key, node);
    }
  }
}

toml::table ResolveFile(const std::string& path, int depth);

toml::table ResolveText(const std::string& text, const ProfileContext& context, int depth) {
  toml::table document;
  try {
    document = toml::parse(text, context.origin);
  } catch (const toml::parse_error& error) {
    throw ProfileError(context.origin + ":" + std::to_string(error.source().begin.line) + ": " +
                       std::string(error.description()));
  }
  for (const auto& [key, node] : document) {
    if (key.str() == "base") continue;
    bool known = false;
    for (const Section& section : kSections) known = known || section.name == key.str();
    if (!known) ProfileFail(context, node, "unknown section \"" + std::string(key.str()) + "\"");
  }
  ResolveFileNames(context, document);
  const toml::node* base = document.get("base");
  if (!base) return document;
  const auto* name = base->as_string();
  if (!name) ProfileFail(context, *base, "\"base\" must be the file name of another profile");
  if (depth > 8) ProfileFail(context, *base, "\"base\" profiles nest too deeply");
  toml::table merged = ResolveFile(ResolveProfilePath(context, name->get()), depth + 1);
  document.erase("base");
  Merge(merged, document, "");
  return merged;
}

toml::table ResolveFile(const std::string& path, int depth) {
  const std::optional<std::string> text = ReadProfileFile(path);
  if (!text) throw ProfileError(path + ": cannot be read");
  return ResolveText(*text, ProfileContext{path, FolderOf(path)}, depth);
}

// A machine from a resolved profile: each table applied once, in order, to a
// fresh machine.
Machine LoadResolved(const toml::table& document, const ProfileContext& context) {
  Machine machine;
  for (const Section& section : kSections) {
    if (const toml::node* node = document.get(section.name))
      section.load(context, RequireTable(context, *node, section.name), machine);
  }
  return machine;
}

}  // namespace

Machine LoadProfileText(const std::string& text, const std::string& origin) {
  const ProfileContext context{origin, FolderOf(origin)};
  return LoadResolved(ResolveText(text, context, 0), context);
}

Machine LoadProfile(const std::string& path) {
  const ProfileContext context{path, FolderOf(path)};
  return LoadResolved(ResolveFile(path, 0), context);
}

std::string ResolvedProfileJson(const std::string& path) {
  std::ostringstream json;
  json << toml::json_formatter{ResolveFile(path, 0)};
  return json.str();
}

}  // namespace sim
