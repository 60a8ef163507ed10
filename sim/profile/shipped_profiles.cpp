#include "sim/profile/shipped_profiles.h"

#include <fstream>
#include <sstream>

#include "sim/profile/profile.h"

namespace sim {

Machine ShippedMachine(const std::string& name) {
  return LoadProfile(std::string(kShippedFolder) + "/" + name);
}

std::optional<std::string> ReadProfileFile(const std::string& path) {
  const std::string prefix = std::string(kShippedFolder) + "/";
  if (path.compare(0, prefix.size(), prefix) == 0) {
    for (std::size_t i = 0; i < kShippedFileCount; ++i)
      if (path.substr(prefix.size()) == kShippedFiles[i].name)
        return std::string(reinterpret_cast<const char*>(kShippedFiles[i].bytes), kShippedFiles[i].size);
    return std::nullopt;
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

}  // namespace sim
