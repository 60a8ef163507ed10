// ReadHwListProductVersion over an arbitrary hwlist.ini, against a model of
// the reader written from the file's rules: text mode (Ctrl-Z ends the file,
// CR LF reads as LF), lines of at most 1023 characters (a longer one is
// examined cut and ends the reading), each line ending at its first NUL.
#include <string>

#include "checks/package/hwlist.h"
#include "fuzz_support.h"
#include "sim/machine/machine.h"

namespace {

std::string ModelProductVersion(const std::string& bytes) {
  std::string text;
  for (std::size_t i = 0; i < bytes.size() && bytes[i] != '\x1A'; ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    text.push_back(bytes[i]);
  }
  std::size_t at = 0;
  for (;;) {
    std::string line;
    bool read_on = false;
    for (;;) {
      if (at >= text.size()) {  // the end: a last line without LF still counts once
        read_on = !line.empty();
        break;
      }
      if (text[at] == '\n') {
        ++at;
        read_on = true;
        break;
      }
      if (line.size() == 1023) break;  // too long: examined as cut, then reading stops
      line.push_back(text[at++]);
    }
    line = line.substr(0, line.find('\0'));
    const std::size_t equals = line.find('=');
    if (line.find("ProductVersion") != std::string::npos && equals != std::string::npos && equals > 0 &&
        equals + 1 < line.size())
      return line.substr(equals + 1);
    if (!read_on) return std::string();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  sim::Machine machine;
  machine.current_directory = "C:\\kvpackage";
  machine.files.AddFolder(machine.current_directory);
  machine.files.AddFile("C:\\kvpackage\\hwlist.ini", bytes);
  sim::Use(std::move(machine));

  const std::string version = ReadHwListProductVersion();
  FUZZ_CHECK(sim::CurrentRuntime().LeftOpen().empty());
  // A value is the rest of one line after an "=" that is not its first character.
  FUZZ_CHECK(version.size() <= 1021);
  FUZZ_CHECK(version.find('\n') == std::string::npos);
  FUZZ_CHECK(version.find('\0') == std::string::npos);
  FUZZ_CHECK(version.find('\x1A') == std::string::npos);
  FUZZ_CHECK(version.empty() || bytes.find("ProductVersion") != std::string::npos);
  FUZZ_CHECK(version == ModelProductVersion(bytes));
  sim::Use(sim::Machine());
  return 0;
}
