#include "sim/profile/profile.h"

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

Machine LoadFromFile(const std::string& path, int depth);

// Applies a profile's tables on top of its base machine (or a fresh one):
// scalar keys replace the base's, environment variables and libraries are
// merged by name, and registry files are imported after the base's.
Machine LoadFromText(const std::string& text, const ProfileContext& context, int depth) {
  toml::table document;
  try {
    document = toml::parse(text, context.origin);
  } catch (const toml::parse_error& error) {
    throw ProfileError(context.origin + ":" + std::to_string(error.source().begin.line) + ": " +
                       std::string(error.description()));
  }
  Machine machine;
  if (const toml::node* base = document.get("base")) {
    const auto* name = base->as_string();
    if (!name) ProfileFail(context, *base, "\"base\" must be the file name of another profile");
    if (depth > 8) ProfileFail(context, *base, "\"base\" profiles nest too deeply");
    machine = LoadFromFile(ResolveProfilePath(context, name->get()), depth + 1);
  }
  for (const auto& [key, node] : document) {
    if (key.str() == "base") continue;
    bool known = false;
    for (const Section& section : kSections) known = known || section.name == key.str();
    if (!known) ProfileFail(context, node, "unknown section \"" + std::string(key.str()) + "\"");
  }
  for (const Section& section : kSections) {
    if (const toml::node* node = document.get(section.name))
      section.load(context, RequireTable(context, *node, section.name), machine);
  }
  return machine;
}

Machine LoadFromFile(const std::string& path, int depth) {
  const std::optional<std::string> text = ReadProfileFile(path);
  if (!text) throw ProfileError(path + ": cannot be read");
  return LoadFromText(*text, ProfileContext{path, FolderOf(path)}, depth);
}

}  // namespace

Machine LoadProfileText(const std::string& text, const std::string& origin) {
  return LoadFromText(text, ProfileContext{origin, FolderOf(origin)}, 0);
}

Machine LoadProfile(const std::string& path) { return LoadFromFile(path, 0); }

}  // namespace sim
