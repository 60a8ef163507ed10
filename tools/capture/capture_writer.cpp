#include <cerrno>
#include <cstdio>
#include <cstring>

#include "captured_machine.h"
#include "platform/platform.h"

#if defined(_WIN32)
#include <direct.h>
#else
#include <sys/stat.h>
#endif

namespace {

// ANSI text (the machine's code page) in UTF-16; every byte, NULs too.
std::u16string Wide(const std::string& ansi) {
  if (ansi.empty()) return std::u16string();
  const int length = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  if (length <= 0) return std::u16string(ansi.begin(), ansi.end());
  std::vector<WCHAR> wide(static_cast<std::size_t>(length));
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), length);
  return std::u16string(wide.begin(), wide.end());
}

std::string Utf8(const std::u16string& wide) {
  std::string text;
  for (std::size_t i = 0; i < wide.size(); ++i) {
    std::uint32_t c = wide[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] < 0xE000)
      c = 0x10000 + ((c - 0xD800) << 10) + (wide[++i] - 0xDC00);
    else if (c >= 0xD800 && c < 0xE000)
      c = 0xFFFD;
    if (c < 0x80) {
      text += static_cast<char>(c);
    } else if (c < 0x800) {
      text += static_cast<char>(0xC0 | (c >> 6));
      text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      text += static_cast<char>(0xE0 | (c >> 12));
      text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      text += static_cast<char>(0xF0 | (c >> 18));
      text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      text += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return text;
}

// A TOML basic string of ANSI text.
std::string Toml(const std::string& ansi) {
  std::string quoted = "\"";
  for (const char c : Utf8(Wide(ansi))) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (byte < 0x20 || byte == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof(escape), "\\u%04X", byte);
      quoted += escape;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

std::string Hex(std::uint32_t number) {
  char text[16];
  std::snprintf(text, sizeof(text), "0x%X", static_cast<unsigned>(number));
  return text;
}

const char* Bool(bool value) { return value ? "true" : "false"; }

std::string Escaped(const std::u16string& text) {
  std::u16string out;
  for (const char16_t c : text) {
    if (c == u'\\' || c == u'"') out += u'\\';
    out += c;
  }
  return Utf8(out);
}

// The hex bytes of a value, wrapped as regedit wraps them.
std::string HexBytes(const std::string& prefix, const std::string& bytes) {
  std::string line = prefix;
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    char pair[4];
    std::snprintf(pair, sizeof(pair), "%02x", static_cast<unsigned char>(bytes[i]));
    line += pair;
    if (i + 1 < bytes.size()) {
      line += ',';
      if (line.size() > 76) {
        text += line + "\\\r\n";
        line = "  ";
      }
    }
  }
  return text + line;
}

std::string WideBytes(const std::u16string& wide) {
  std::string bytes;
  for (const char16_t c : wide) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

// One value line as a regedit export writes it. String data is what the
// ANSI query gave, stored again as the platform keeps it, in UTF-16.
std::string ValueLine(const CapturedValue& value) {
  const std::string name = value.name.empty() ? "@" : "\"" + Escaped(Wide(value.name)) + "\"";
  const std::string& data = value.data;
  if (value.type == REG_SZ && !data.empty() && data.back() == '\0' &&
      std::memchr(data.data(), 0, data.size() - 1) == nullptr)
    return name + "=\"" + Escaped(Wide(data.substr(0, data.size() - 1))) + "\"";
  if (value.type == REG_DWORD && data.size() == 4) {
    const auto byte = [&](int i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(data[i])); };
    char dword[16];
    std::snprintf(dword, sizeof(dword), "%08x",
                  static_cast<unsigned>(byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24));
    return name + "=dword:" + dword;
  }
  char type[16] = "hex:";
  if (value.type != REG_BINARY)
    std::snprintf(type, sizeof(type), "hex(%x):", static_cast<unsigned>(value.type));
  const bool text = value.type == REG_SZ || value.type == REG_EXPAND_SZ || value.type == REG_MULTI_SZ;
  return HexBytes(name + "=" + type, text ? WideBytes(Wide(data)) : data);
}

std::string RegistryExport(const CapturedMachine& machine) {
  std::string text = "Windows Registry Editor Version 5.00\r\n";
  for (const CapturedKey& key : machine.keys) {
    text += "\r\n[HKEY_LOCAL_MACHINE\\" + Utf8(Wide(key.path)) + "]\r\n";
    for (const CapturedValue& value : key.values) text += ValueLine(value) + "\r\n";
  }
  return text + "\r\n";
}

// UTF-8 to UTF-16LE with a byte-order mark, as regedit saves an export.
std::string Utf16File(const std::string& utf8) {
  std::u16string wide = u"\xFEFF";
  for (std::size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    std::uint32_t point = c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    if (extra) point = c & (0x3F >> extra);
    for (int k = 1; k <= extra && i + k < utf8.size(); ++k) point = point << 6 | (utf8[i + k] & 0x3F);
    i += 1 + extra;
    if (point >= 0x10000) {
      point -= 0x10000;
      wide += static_cast<char16_t>(0xD800 + (point >> 10));
      wide += static_cast<char16_t>(0xDC00 + (point & 0x3FF));
    } else {
      wide += static_cast<char16_t>(point);
    }
  }
  return WideBytes(wide);
}

std::string Profile(const CapturedMachine& machine) {
  const CapturedOs& os = machine.os;
  std::string text =
      "# A machine captured by kvcapture: everything the checker's keywords read there.\n"
      "# Replay: KVCHECKS_MACHINE=machine.toml kvchecks MODE STATUS DESC [ARG]\n\n[os]\n";
  text += "major = " + std::to_string(os.major) + "\nminor = " + std::to_string(os.minor) +
          "\nbuild = " + std::to_string(os.build) + "\nplatform = " + std::to_string(os.platform) +
          "\nservice_pack = " + Toml(os.service_pack) +
          "\nservice_pack_major = " + std::to_string(os.service_pack_major) +
          "\nservice_pack_minor = " + std::to_string(os.service_pack_minor) +
          "\nsuite_mask = " + Hex(os.suite_mask) + "\nproduct_type = " + std::to_string(os.product_type) +
          "\n";
  if (os.version_call_fails) text += "version_call_fails = true\n";
  text += std::string("sixty_four_bit = ") + Bool(os.sixty_four_bit) + "\nnative_architecture = \"" +
          os.native_architecture + "\"\n";
  if (os.wow64_call_fails) text += "wow64_call_fails = true\n";
  text += "product_info = " + std::to_string(os.product_info) + "\n";
  text += std::string("entry_points = { IsWow64Process = ") + Bool(os.has_is_wow64_process) +
          ", GetNativeSystemInfo = " + Bool(os.has_get_native_system_info) +
          ", GetProductInfo = " + Bool(os.has_get_product_info) + " }\n";

  text += std::string("\n[user]\nelevated = ") + Bool(machine.elevated) + "\n";
  text += std::string("\n[token]\nkind = \"") + (machine.administrator ? "administrator" : "standard_user") +
          "\"\n";
  text += std::string("\n[session]\nremote = ") + Bool(machine.remote_session) + "\n";

  text += "\n[environment]\n";
  std::string unset;
  for (const auto& [name, value] : machine.environment) {
    if (value)
      text += name + " = " + Toml(*value) + "\n";
    else
      unset += (unset.empty() ? "" : ", ") + Toml(name);
  }
  if (!unset.empty()) text += "unset = [" + unset + "]\n";

  text += "\n[process]\ncurrent_directory = " + Toml(machine.current_directory) + "\n";
  text += "\n[registry]\nimport = [\"registry.reg\"]\n";
  if (!machine.deny_read.empty()) {
    text += "deny_read = [";
    for (std::size_t i = 0; i < machine.deny_read.size(); ++i)
      text += (i ? ", " : "") + Toml(machine.deny_read[i]);
    text += "]\n";
  }

  text += "\n[files]\ndrives = {";
  bool first = true;
  for (const auto& [letter, type] : machine.drives) {
    text += std::string(first ? " " : ", ") + letter + " = \"" + type + "\"";
    first = false;
  }
  text += " }\nfolders = [";
  for (std::size_t i = 0; i < machine.folders.size(); ++i) text += (i ? ", " : "") + Toml(machine.folders[i]);
  text += "]\n";
  int numbered = 0;
  for (const CapturedFile& file : machine.files) {
    text += "\n[[files.file]]\npath = " + Toml(file.path) + "\n";
    if (file.bytes) text += "source = \"file-" + std::to_string(++numbered) + ".bin\"\n";
    if (!file.version.empty()) text += "version = \"" + file.version + "\"\n";
    if (!file.signature.empty())
      text += "signature = \"" + file.signature + "\"" + (file.note.empty() ? "" : "  # " + file.note) + "\n";
  }

  if (machine.class_devs_error)
    text += "\n[devices]\nclass_devs_error = " + std::to_string(*machine.class_devs_error) + "\n";
  int device_number = 0;
  for (const CapturedDevice& device : machine.devices) {
    char name[48];
    std::snprintf(name, sizeof(name), "CAPTURED\\\\DEVICE\\\\%04d", device_number++);
    text += std::string("\n[devices.\"") + name + "\"]\n";
    if (device.has_hardware_ids) {
      text += "hardware_ids = [";
      for (std::size_t i = 0; i < device.hardware_ids.size(); ++i)
        text += (i ? ", " : "") + Toml(device.hardware_ids[i]);
      text += "]\n";
    }
  }

  for (const auto& [library, exports] : machine.libraries) {
    text += "\n[libraries." + Toml(library) + "]\n";
    for (const CapturedExport& captured : exports) {
      if (!captured.called)
        text += "# " + captured.name +
                " was not called when this machine was captured; the replay assumes it answers 1.\n";
      text += captured.name + " = " + std::to_string(captured.answer) + "\n";
    }
  }
  return text;
}

bool MakeFolder(const std::string& folder) {
#if defined(_WIN32)
  return ::_mkdir(folder.c_str()) == 0 || errno == EEXIST;
#else
  return ::mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST;
#endif
}

bool WriteFile(const std::string& path, const std::string& bytes, std::string& error) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (file && std::fclose(file) != 0) written = false;
  if (!written) error = path + ": cannot be written";
  return written;
}

}  // namespace

bool WriteCapture(const CapturedMachine& machine, const std::string& folder, std::string& error) {
  if (!MakeFolder(folder)) {
    error = folder + ": cannot be made";
    return false;
  }
#if defined(_WIN32)
  const std::string separator = "\\";
#else
  const std::string separator = "/";
#endif
  int numbered = 0;
  for (const CapturedFile& file : machine.files)
    if (file.bytes &&
        !WriteFile(folder + separator + "file-" + std::to_string(++numbered) + ".bin", *file.bytes, error))
      return false;
  return WriteFile(folder + separator + "registry.reg", Utf16File(RegistryExport(machine)), error) &&
         WriteFile(folder + separator + "machine.toml", Profile(machine), error);
}
