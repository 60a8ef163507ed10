#include "sim/machine/files.h"

#include <cctype>

namespace sim {
namespace {

// "C:" for a drive path; the "\\server\share" prefix for a UNC path.
std::string RootOf(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':')
    return std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])))) + ":";
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
    std::size_t server_end = path.find('\\', 2);
    if (server_end == std::string_view::npos) return std::string(path);
    std::size_t share_end = path.find('\\', server_end + 1);
    return std::string(path.substr(0, share_end == std::string_view::npos ? path.size() : share_end));
  }
  return std::string();
}

}  // namespace

std::int32_t TrustResult(Signature signature) {
  switch (signature) {
    case Signature::kValid:
      return 0;
    case Signature::kBadDigest:
      return static_cast<std::int32_t>(0x80096010u);
    case Signature::kUntrustedRoot:
      return static_cast<std::int32_t>(0x800B0109u);
    case Signature::kNotTrusted:
      return static_cast<std::int32_t>(0x800B0004u);
    case Signature::kExpired:
      // Without a timestamp countersignature the certificate is judged at the
      // time of the check, whatever signing time the signature claims.
      return static_cast<std::int32_t>(0x800B0101u);
    case Signature::kUnsigned:
      break;
  }
  return kNoSignature;
}

Program FileVersionCompanion() {
  Program companion;
  companion.kind = Program::Kind::kFileVersion;
  companion.sixty_four_bit = true;
  return companion;
}

std::string FullPath(std::string_view given, std::string_view current_directory) {
  std::string path(given);
  for (char& c : path)
    if (c == '/') c = '\\';
  if (path.empty()) return std::string();
  std::string cwd(current_directory);
  for (char& c : cwd)
    if (c == '/') c = '\\';

  std::string root;
  std::string rest;
  if (path.size() >= 2 && path[1] == ':') {
    root = RootOf(path);
    rest = path.substr(2);
    // "D:x" is relative to the current directory when that is on drive D.
    if (rest.empty() || rest[0] != '\\') {
      if (RootOf(cwd) == root)
        rest = cwd.substr(2) + "\\" + rest;
      else
        rest = "\\" + rest;
    }
  } else if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
    root = RootOf(path);
    rest = path.substr(root.size());
  } else if (path[0] == '\\') {
    root = RootOf(cwd);
    rest = path;
  } else {
    root = RootOf(cwd);
    rest = cwd.substr(root.size()) + "\\" + path;
  }
  if (root.empty()) return std::string();

  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= rest.size()) {
    std::size_t end = rest.find('\\', start);
    if (end == std::string::npos) end = rest.size();
    const std::string part = rest.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string full = root;
  for (const std::string& part : parts) full += "\\" + part;
  if (parts.empty()) full += "\\";
  return full;
}

std::string ParentOf(std::string_view full_path) {
  const std::size_t slash = full_path.rfind('\\');
  if (slash == std::string_view::npos) return std::string(full_path);
  std::string parent(full_path.substr(0, slash));
  if (parent.size() == 2 && parent[1] == ':') parent += "\\";
  return parent;
}

SimFile& FileSystem::AddFile(std::string_view path, std::string content) {
  const std::string full = FullPath(path, "C:\\");
  AddFolder(ParentOf(full));
  SimFile& file = files[full];
  file.content = std::move(content);
  return file;
}

SimFile& FileSystem::AddVersionedFile(std::string_view path, std::array<std::uint16_t, 4> version) {
  SimFile& file = AddFile(path);
  file.version = version;
  return file;
}

void FileSystem::AddFolder(std::string_view path) {
  std::string full = FullPath(path, "C:\\");
  while (full.size() > 3 && full[1] == ':') {
    folders.insert(full);
    full = ParentOf(full);
  }
}

const SimFile* FileSystem::FindFile(std::string_view full_path) const {
  auto found = files.find(full_path);
  return found == files.end() ? nullptr : &found->second;
}

SimFile* FileSystem::FindFile(std::string_view full_path) {
  auto found = files.find(full_path);
  return found == files.end() ? nullptr : &found->second;
}

bool FileSystem::IsFolder(std::string_view full_path) const {
  // A drive root is a folder when the drive exists.
  if (full_path.size() == 3 && full_path[1] == ':' && full_path[2] == '\\')
    return drives.count(static_cast<char>(std::toupper(static_cast<unsigned char>(full_path[0])))) != 0;
  return folders.count(full_path) != 0;
}

}  // namespace sim
