#include "checks/package/hwlist.h"

#include <cstring>

#include "platform/platform.h"
#include "probes/handles.h"

namespace {

constexpr std::size_t kLineBuffer = 1024;  // 1023 characters and the terminator

// Reads one line into `line` (LF consumed, not stored). False when the
// stream fails: nothing was left to read, the line is longer than the
// buffer (reading then stops), or a read error. The text stored is
// examined in every case, so a last line without LF still counts.
bool ReadLine(crt::File* file, char (&line)[kLineBuffer]) {
  std::size_t stored = 0;
  for (;;) {
    const int c = crt::fgetc(file);
    if (c == EOF) {
      line[stored] = '\0';
      return stored > 0 && !crt::ferror(file);
    }
    if (c == '\n') {
      line[stored] = '\0';
      return true;
    }
    if (stored == kLineBuffer - 1) {
      line[stored] = '\0';
      return false;
    }
    line[stored++] = static_cast<char>(c);
  }
}

}  // namespace

bool ProductVersionFromLine(const char* line, std::string& value) {
  if (!std::strstr(line, "ProductVersion")) return false;
  // Only the first "=" counts, even when it stands before the key.
  const char* equals = std::strchr(line, '=');
  if (!equals || equals == line || equals[1] == '\0') return false;
  value = equals + 1;
  return true;
}

std::string ReadHwListProductVersion() {
  // A bare name: it is looked up in the current directory only.
  UniqueTextFile file(crt::fopen_text("hwlist.ini"));
  if (!file) return std::string();
  std::string version;
  bool good = true;
  while (good && version.empty()) {
    char line[kLineBuffer];
    good = ReadLine(file.get(), line);
    std::string value;
    if (ProductVersionFromLine(line, value)) version = value;
  }
  return version;
}
