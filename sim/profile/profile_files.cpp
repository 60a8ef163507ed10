// The profile table [files]: drives, folders, files with their contents,
// version resources and signatures, and the programs children run.
#include <cctype>
#include <limits>

#include "sim/profile/profile_reader.h"
#include "sim/profile/shipped_profiles.h"

namespace sim {
namespace {

std::array<std::uint16_t, 4> ParseVersion(const ProfileContext& context, const toml::node& at,
                                          const std::string& text) {
  std::array<std::uint16_t, 4> version = {};
  std::size_t start = 0;
  for (int part = 0; part < 4; ++part) {
    const std::size_t end = part < 3 ? text.find('.', start) : text.size();
    const std::string number = end == std::string::npos ? "" : text.substr(start, end - start);
    if (number.empty() || number.size() > 5 || number.find_first_not_of("0123456789") != std::string::npos ||
        std::stoul(number) > 0xFFFF)
      ProfileFail(context, at, "\"version\" must be four numbers from 0 to 65535 joined by dots");
    version[part] = static_cast<std::uint16_t>(std::stoul(number));
    start = end + 1;
  }
  return version;
}

Signature ParseSignature(const ProfileContext& context, const toml::node& at, const std::string& text) {
  if (text == "valid") return Signature::kValid;
  if (text == "unsigned") return Signature::kUnsigned;
  if (text == "bad_digest") return Signature::kBadDigest;
  if (text == "untrusted_root") return Signature::kUntrustedRoot;
  if (text == "not_trusted") return Signature::kNotTrusted;
  if (text == "expired") return Signature::kExpired;
  ProfileFail(context, at,
              "\"signature\" must be \"valid\", \"unsigned\", \"bad_digest\", \"untrusted_root\", "
              "\"not_trusted\" or \"expired\"");
}

// A profile names files by full Windows path: a drive letter, a colon and a backslash.
std::string RequireFullPath(const ProfileContext& context, const toml::node& at, const std::string& path) {
  if (path.size() < 3 || !std::isalpha(static_cast<unsigned char>(path[0])) || path[1] != ':' ||
      path[2] != '\\')
    ProfileFail(context, at, "\"" + path + "\" is not a full Windows path such as C:\\folder\\file");
  return FullPath(path, "C:\\");
}

void LoadDrives(const ProfileContext& context, const toml::table& drives, FileSystem& fs) {
  static const std::pair<const char*, std::uint32_t> kTypes[] = {
      {"removable", kDriveRemovable}, {"fixed", kDriveFixed},     {"remote", kDriveRemote},
      {"cdrom", kDriveCdrom},         {"ramdisk", kDriveRamdisk}, {"none", 0}};
  for (const auto& [letter, node] : drives) {
    const std::string name(letter.str());
    if (name.size() != 1 || !std::isalpha(static_cast<unsigned char>(name[0])))
      ProfileFail(context, node, "a drive is named by its letter alone, such as D");
    const auto* type = node.as_string();
    bool known = false;
    for (const auto& [type_name, value] : kTypes)
      if (type && type->get() == type_name) {
        known = true;
        const char drive = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
        if (value)
          fs.drives[drive] = value;
        else
          fs.drives.erase(drive);
      }
    if (!known)
      ProfileFail(context, node,
                  "drive " + name +
                      " must be \"removable\", \"fixed\", \"remote\", \"cdrom\", \"ramdisk\" or "
                      "\"none\"");
  }
}

void LoadFile(const ProfileContext& context, const toml::table& entry, FileSystem& fs) {
  RequireKnownKeys(context, entry,
                   {"path", "content", "repeat", "encoding", "source", "version", "signature"});
  const toml::node* path_node = entry.get("path");
  if (!path_node) ProfileFail(context, entry, "a file needs a \"path\"");
  const std::string path = RequireFullPath(
      context, *path_node, MachineText(context, *path_node, ReadString(context, entry, "path", "")));
  if (entry.get("content") && entry.get("source"))
    ProfileFail(context, *entry.get("source"), "a file takes \"content\" or \"source\", not both");
  std::string bytes;
  if (const toml::node* content = entry.get("content")) {
    const std::u16string once = Utf8ToWide(context, *content, ReadString(context, entry, "content", ""));
    // A large file written as its text many times over.
    const std::int64_t repeat = ReadInteger(context, entry, "repeat", 1, 1, 1 << 24);
    std::u16string wide;
    wide.reserve(once.size() * static_cast<std::size_t>(repeat));
    for (std::int64_t i = 0; i < repeat; ++i) wide += once;
    const std::string encoding = ReadString(context, entry, "encoding", "ansi");
    if (encoding == "ansi") {
      bytes = WideToAnsi(wide);
    } else if (encoding == "utf-16le") {
      bytes = "\xFF\xFE" + WideByteString(wide);  // with the byte-order mark Notepad writes
    } else {
      ProfileFail(context, *entry.get("encoding"), "\"encoding\" must be \"ansi\" or \"utf-16le\"");
    }
  } else if (entry.get("encoding")) {
    ProfileFail(context, *entry.get("encoding"), "\"encoding\" applies to \"content\" only");
  }
  if (const toml::node* source = entry.get("source")) {
    const std::string host = ReadString(context, entry, "source", "");
    const std::optional<std::string> text = ReadProfileFile(host);
    if (!text) ProfileFail(context, *source, host + " cannot be read");
    bytes = *text;
  }
  // A later entry for the same path replaces the file as a whole.
  SimFile& file = fs.AddFile(path);
  file = SimFile();
  file.content = std::move(bytes);
  if (const toml::node* version = entry.get("version"))
    file.version = ParseVersion(context, *version, ReadString(context, entry, "version", ""));
  if (const toml::node* signature = entry.get("signature"))
    file.signature = ParseSignature(context, *signature, ReadString(context, entry, "signature", ""));
}

void LoadProgram(const ProfileContext& context, const std::string& name, const toml::table& entry,
                 FileSystem& fs) {
  RequireKnownKeys(context, entry,
                   {"present", "kind", "exit_code", "writes_output", "runs_ms", "never_exits",
                    "exit_code_query_fails", "sixty_four_bit"});
  if (!ReadBool(context, entry, "present", true)) {
    fs.programs.erase(name);
    return;
  }
  auto existing = fs.programs.find(name);
  Program program = existing != fs.programs.end() ? existing->second : Program();
  if (const toml::node* kind = entry.get("kind")) {
    const std::string text = ReadString(context, entry, "kind", "");
    if (text == "fileversion")
      program = FileVersionCompanion();
    else if (text == "plain")
      program.kind = Program::Kind::kPlain;
    else
      ProfileFail(context, *kind, "\"kind\" must be \"fileversion\" or \"plain\"");
  }
  const std::int64_t i32_low = std::numeric_limits<std::int32_t>::min();
  const std::int64_t u32_high = std::numeric_limits<std::uint32_t>::max();
  program.exit_code = static_cast<std::int32_t>(
      ReadInteger(context, entry, "exit_code", program.exit_code, i32_low, u32_high));
  program.writes_output = ReadBool(context, entry, "writes_output", program.writes_output);
  program.runs_ms = static_cast<std::uint64_t>(
      ReadInteger(context, entry, "runs_ms", static_cast<std::int64_t>(program.runs_ms), 0, 3600000));
  program.never_exits = ReadBool(context, entry, "never_exits", program.never_exits);
  program.exit_code_query_fails =
      ReadBool(context, entry, "exit_code_query_fails", program.exit_code_query_fails);
  program.sixty_four_bit = ReadBool(context, entry, "sixty_four_bit", program.sixty_four_bit);
  fs.programs[name] = program;
}

}  // namespace

void LoadFilesSection(const ProfileContext& context, const toml::table& table, Machine& machine) {
  RequireKnownKeys(context, table, {"drives", "folders", "file", "programs"});
  FileSystem& fs = machine.files;
  if (const toml::node* drives = table.get("drives"))
    LoadDrives(context, RequireTable(context, *drives, "drives"), fs);
  if (const toml::node* folders = table.get("folders")) {
    const toml::array* list = folders->as_array();
    if (!list) ProfileFail(context, *folders, "\"folders\" must be a list of paths");
    for (const toml::node& item : *list) {
      const auto* path = item.as_string();
      if (!path) ProfileFail(context, item, "\"folders\" must be a list of paths");
      fs.AddFolder(RequireFullPath(context, item, MachineText(context, item, path->get())));
    }
  }
  if (const toml::node* files = table.get("file")) {
    const toml::array* list = files->as_array();
    if (!list) ProfileFail(context, *files, "\"file\" must be a list of tables: [[files.file]]");
    for (const toml::node& item : *list) LoadFile(context, RequireTable(context, item, "a file"), fs);
  }
  if (const toml::node* programs = table.get("programs")) {
    for (const auto& [name, node] : RequireTable(context, *programs, "programs"))
      LoadProgram(context, std::string(name.str()), RequireTable(context, node, "a program"), fs);
  }
}

}  // namespace sim
