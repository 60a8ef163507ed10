#include "sim/profile/reg_export.h"

#include <cstdio>
#include <cstdlib>

#include "sim/machine/machine.h"

namespace sim {
namespace {

// regedit writes the string types that hold exactly one terminated string
// as text; anything else keeps its raw bytes in hex. A line break inside the
// text would end the line of the value, and the file would no longer read
// back, so such a string goes in hex too.
bool IsPlainString(const RegValue& value) {
  if (value.type != 1 || value.data.size() < 2 || value.data.size() % 2 != 0) return false;
  const std::u16string wide = BytesToWide(value.data);
  return wide.back() == u'\0' && wide.find(u'\0') == wide.size() - 1 &&
         wide.find(u'\n') == std::u16string::npos;
}

std::u16string Quoted(std::u16string_view text) {
  std::u16string out = u"\"";
  for (char16_t c : text) {
    if (c == u'\\' || c == u'"') out.push_back(u'\\');
    out.push_back(c);
  }
  out.push_back(u'"');
  return out;
}

std::u16string Ascii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

// Hex bytes wrapped as regedit wraps them: lines of at most 80 characters,
// continued with a backslash and two blanks of indentation.
std::u16string HexBytes(const std::vector<std::uint8_t>& bytes, std::size_t column) {
  static const char kDigits[] = "0123456789abcdef";
  std::u16string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const bool last = i + 1 == bytes.size();
    if (column + (last ? 2 : 3) > 79) {
      out += u"\\\r\n  ";
      column = 2;
    }
    out.push_back(static_cast<char16_t>(kDigits[bytes[i] >> 4]));
    out.push_back(static_cast<char16_t>(kDigits[bytes[i] & 0xF]));
    if (!last) out.push_back(u',');
    column += last ? 2 : 3;
  }
  return out;
}

std::u16string ValueLine(const RegValue& value) {
  std::u16string line = value.name.empty() ? u"@" : Quoted(AnsiToWide(value.name));
  line.push_back(u'=');
  if (IsPlainString(value)) {
    std::u16string text = BytesToWide(value.data);
    text.pop_back();
    return line + Quoted(text);
  }
  if (value.type == kRegDword && value.data.size() == 4) {
    char digits[16];
    std::snprintf(digits, sizeof(digits), "dword:%08x",
                  static_cast<unsigned>(value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                                        (static_cast<std::uint32_t>(value.data[3]) << 24)));
    return line + Ascii(digits);
  }
  std::u16string prefix = u"hex";
  if (value.type != 3) {
    char type[16];
    std::snprintf(type, sizeof(type), "(%x)", static_cast<unsigned>(value.type));
    prefix += Ascii(type);
  }
  line += prefix + u":";
  return line + HexBytes(value.data, line.size());
}

void ExportKey(const RegKey& key, const std::u16string& path, bool is_root, std::u16string& out) {
  if (!is_root || !key.values.empty()) {
    out += u"[" + path + u"]\r\n";
    for (const auto& [name, value] : key.values) out += ValueLine(value) + u"\r\n";
    out += u"\r\n";
  }
  for (const auto& [name, child] : key.subkeys)
    ExportKey(*child, path + u"\\" + AnsiToWide(child->name), false, out);
}

}  // namespace

std::string ExportRegistry(const Registry& registry) {
  std::u16string text = u"Windows Registry Editor Version 5.00\r\n\r\n";
  for (std::uintptr_t root : {kLocalMachine, kCurrentUser, kUsers, kClassesRoot, kCurrentConfig}) {
    if (const RegKey* key = registry.Root(root)) ExportKey(*key, AnsiToWide(key->name), true, text);
  }
  return "\xFF\xFE" + WideByteString(text);
}

void ExportRegistryAtExitWhenAsked() {
  const char* target = std::getenv("KVCHECKS_REGISTRY_OUT");
  if (!target || !*target) return;
  std::atexit([] {
    const char* path = std::getenv("KVCHECKS_REGISTRY_OUT");
    if (std::FILE* file = std::fopen(path, "wb")) {
      const std::string bytes = ExportRegistry(Current().registry);
      std::fwrite(bytes.data(), 1, bytes.size(), file);
      std::fclose(file);
    }
  });
}

}  // namespace sim
