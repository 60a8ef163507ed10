#include "profile.h"

#include <fstream>
#include <sstream>

#include "profile_reader.h"

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
};

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

Machine LoadFromText(const std::string& text, const ProfileContext& context) {
  toml::table document;
  try {
    document = toml::parse(text, context.origin);
  } catch (const toml::parse_error& error) {
    throw ProfileError(context.origin + ":" + std::to_string(error.source().begin.line) + ": " +
                       std::string(error.description()));
  }
  for (const auto& [key, node] : document) {
    bool known = false;
    for (const Section& section : kSections) known = known || section.name == key.str();
    if (!known) ProfileFail(context, node, "unknown section \"" + std::string(key.str()) + "\"");
  }
  Machine machine;
  for (const Section& section : kSections) {
    if (const toml::node* node = document.get(section.name))
      section.load(context, RequireTable(context, *node, section.name), machine);
  }
  return machine;
}

}  // namespace

Machine LoadProfileText(const std::string& text, const std::string& origin) {
  return LoadFromText(text, ProfileContext{origin, FolderOf(origin)});
}

Machine LoadProfile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw ProfileError(path + ": cannot be read");
  std::ostringstream text;
  text << file.rdbuf();
  return LoadFromText(text.str(), ProfileContext{path, FolderOf(path)});
}

}  // namespace sim
