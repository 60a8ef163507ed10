#include "sim/machine/registry.h"

#include <stdexcept>

namespace sim {
namespace {

std::unique_ptr<RegKey> CloneKey(const RegKey& key) {
  auto copy = std::make_unique<RegKey>();
  copy->name = key.name;
  copy->deny_read = key.deny_read;
  copy->values = key.values;
  for (const auto& [name, child] : key.subkeys) copy->subkeys.emplace(name, CloneKey(*child));
  return copy;
}

}  // namespace

RegKey* RegKey::Child(std::string_view child_name) const {
  auto found = subkeys.find(child_name);
  return found == subkeys.end() ? nullptr : found->second.get();
}

RegKey& RegKey::ChildOrCreate(std::string_view child_name) {
  if (RegKey* existing = Child(child_name)) return *existing;
  auto key = std::make_unique<RegKey>();
  key->name = std::string(child_name);
  RegKey& made = *key;
  subkeys.emplace(std::string(child_name), std::move(key));
  return made;
}

void RegKey::SetValue(std::string_view value_name, std::uint32_t type, std::vector<std::uint8_t> data) {
  auto found = values.find(value_name);
  if (found == values.end()) found = values.emplace(std::string(value_name), RegValue{}).first;
  found->second.name = std::string(value_name);
  found->second.type = type;
  found->second.data = std::move(data);
}

void RegKey::DeleteValue(std::string_view value_name) {
  auto found = values.find(value_name);
  if (found != values.end()) values.erase(found);
}

std::vector<std::uint8_t> DwordBytes(std::uint32_t number) {
  return {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
          static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)};
}

std::vector<std::string> SplitRegPath(std::string_view path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) parts.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

std::uintptr_t RootFromName(std::string_view name) {
  static const std::pair<const char*, std::uintptr_t> kRoots[] = {{"HKEY_CLASSES_ROOT", kClassesRoot},
                                                                  {"HKCR", kClassesRoot},
                                                                  {"HKEY_CURRENT_USER", kCurrentUser},
                                                                  {"HKCU", kCurrentUser},
                                                                  {"HKEY_LOCAL_MACHINE", kLocalMachine},
                                                                  {"HKLM", kLocalMachine},
                                                                  {"HKEY_USERS", kUsers},
                                                                  {"HKU", kUsers},
                                                                  {"HKEY_CURRENT_CONFIG", kCurrentConfig},
                                                                  {"HKCC", kCurrentConfig}};
  for (const auto& [root_name, value] : kRoots)
    if (EqualsNoCase(name, root_name)) return value;
  return 0;
}

bool IsStringType(std::uint32_t type) {
  return type == kRegString || type == kRegExpandString || type == kRegMultiString;
}

std::u16string BytesToWide(const std::vector<std::uint8_t>& bytes) {
  std::u16string wide;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
    wide.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
  return wide;
}

Registry::Registry() {
  for (auto [value, name] : {std::pair<std::uintptr_t, const char*>{kClassesRoot, "HKEY_CLASSES_ROOT"},
                             {kCurrentUser, "HKEY_CURRENT_USER"},
                             {kLocalMachine, "HKEY_LOCAL_MACHINE"},
                             {kUsers, "HKEY_USERS"},
                             {kCurrentConfig, "HKEY_CURRENT_CONFIG"}}) {
    auto root = std::make_unique<RegKey>();
    root->name = name;
    roots_.emplace(value, std::move(root));
  }
}

Registry::Registry(const Registry& other) { *this = other; }

Registry& Registry::operator=(const Registry& other) {
  if (this == &other) return *this;
  roots_.clear();
  for (const auto& [value, root] : other.roots_) roots_.emplace(value, CloneKey(*root));
  quota_exhausted = other.quota_exhausted;
  return *this;
}

RegKey* Registry::Root(std::uintptr_t predefined) const {
  auto found = roots_.find(predefined);
  return found == roots_.end() ? nullptr : found->second.get();
}

RegKey* Registry::Find(std::string_view path) const {
  std::vector<std::string> parts = SplitRegPath(path);
  if (parts.empty()) return nullptr;
  RegKey* key = Root(RootFromName(parts[0]));
  for (std::size_t i = 1; key && i < parts.size(); ++i) key = key->Child(parts[i]);
  return key;
}

RegKey& Registry::Create(std::string_view path) {
  std::vector<std::string> parts = SplitRegPath(path);
  RegKey* key = parts.empty() ? nullptr : Root(RootFromName(parts[0]));
  if (!key) throw std::invalid_argument("registry path without a known root: " + std::string(path));
  for (std::size_t i = 1; i < parts.size(); ++i) key = &key->ChildOrCreate(parts[i]);
  return *key;
}

void Registry::DeleteKey(std::string_view path) {
  std::vector<std::string> parts = SplitRegPath(path);
  if (parts.size() < 2) return;  // roots cannot be deleted
  RegKey* parent = Root(RootFromName(parts[0]));
  for (std::size_t i = 1; parent && i + 1 < parts.size(); ++i) parent = parent->Child(parts[i]);
  if (parent) parent->subkeys.erase(parts.back());
}

void Registry::DeleteValue(std::string_view path, std::string_view name) {
  if (RegKey* key = Find(path)) key->DeleteValue(name);
}

void Registry::SetValue(std::string_view path, std::string_view name, std::uint32_t type,
                        std::vector<std::uint8_t> data) {
  Create(path).SetValue(name, type, std::move(data));
}

void Registry::SetString(std::string_view path, std::string_view name, std::string_view text,
                         std::uint32_t type) {
  std::u16string wide = AnsiToWide(text);
  wide.push_back(u'\0');
  SetValue(path, name, type, WideBytes(wide));
}

void Registry::SetDword(std::string_view path, std::string_view name, std::uint32_t number) {
  SetValue(path, name, kRegDword, DwordBytes(number));
}

const RegValue* Registry::GetValue(std::string_view path, std::string_view name) const {
  RegKey* key = Find(path);
  if (!key) return nullptr;
  auto found = key->values.find(name);
  return found == key->values.end() ? nullptr : &found->second;
}

void Registry::DenyRead(std::string_view path) { Create(path).deny_read = true; }

}  // namespace sim
