#include "sim/profile/shipped_profiles.h"

#include <fstream>

#include "sim/profile/profile.h"

namespace sim {

Machine ShippedMachine(const std::string& name) {
  return LoadProfile(std::string(kShippedFolder) + "/" + name);
}

namespace {

bool IsShippedPath(const std::string& path) {
  const std::string prefix = std::string(kShippedFolder) + "/";
  return path.compare(0, prefix.size(), prefix) == 0;
}

// A shipped file's bytes; nothing when no shipped file has the name.
std::optional<std::string_view> ShippedBytes(const std::string& path) {
  const std::string name = path.substr(std::string(kShippedFolder).size() + 1);
  for (std::size_t i = 0; i < kShippedFileCount; ++i)
    if (name == kShippedFiles[i].name)
      return std::string_view(reinterpret_cast<const char*>(kShippedFiles[i].bytes), kShippedFiles[i].size);
  return std::nullopt;
}

}  // namespace

std::optional<std::string> ReadProfileFile(const std::string& path) {
  std::string bytes;
  const bool read = ReadProfileFileInPieces(path, [&](std::string_view piece, std::uint64_t total) {
    if (bytes.empty()) bytes.reserve(static_cast<std::size_t>(total));
    bytes.append(piece);
  });
  if (!read) return std::nullopt;
  return bytes;
}

bool ReadProfileFileInPieces(const std::string& path,
                             const std::function<void(std::string_view piece, std::uint64_t total)>& piece) {
  if (IsShippedPath(path)) {
    const std::optional<std::string_view> bytes = ShippedBytes(path);
    if (bytes) piece(*bytes, bytes->size());
    return bytes.has_value();
  }
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) return false;
  const std::streamoff end = file.tellg();
  if (end < 0) return false;
  file.seekg(0);
  const std::uint64_t total = static_cast<std::uint64_t>(end);
  // An even size keeps a UTF-16 unit in one piece.
  std::string buffer(1 << 20, '\0');
  while (file) {
    file.read(&buffer[0], static_cast<std::streamsize>(buffer.size()));
    const std::size_t got = static_cast<std::size_t>(file.gcount());
    if (got == 0) break;
    piece(std::string_view(buffer.data(), got), total);
  }
  return !file.bad();
}

}  // namespace sim
