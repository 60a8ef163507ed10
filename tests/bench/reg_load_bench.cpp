// Prints how fast the .reg reader loads a whole exported machine hive and
// how much memory the loaded registry keeps: a generated UTF-16LE export in
// the form of "reg export HKLM" (keys of class registrations, services and
// installed products, with strings, numbers and hex data wrapped over lines
// as the export wraps them), written to a scratch file and imported.
//   reg_load_bench [MIB] [ROUNDS]   (120 MiB, 3 rounds by default)
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sim/machine/registry.h"
#include "sim/profile/reg_file.h"

namespace {

class Generator {
 public:
  explicit Generator(std::FILE* file) : file_(file) {}

  // Writes keys until the file holds `bytes` bytes; returns the keys written.
  std::size_t Write(std::uint64_t bytes) {
    Put("\xEF\xBB\xBF");  // marks the start; replaced by the UTF-16 byte-order mark
    Line("Windows Registry Editor Version 5.00");
    Line("");
    std::size_t keys = 0;
    while (written_ < bytes) {
      const std::size_t n = keys;
      const std::string guid = Guid(n);
      switch (n % 4) {
        case 0:
          Key("HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\" + guid);
          String("@", "Component " + std::to_string(n));
          Key("HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\" + guid + "\\InprocServer32");
          String("@", "C:\\\\WINDOWS\\\\system32\\\\component" + std::to_string(n) + ".dll");
          String("\"ThreadingModel\"", n % 8 ? "Apartment" : "Both");
          break;
        case 1:
          Key("HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Services\\Service" + std::to_string(n));
          Dword("\"Type\"", 16);
          Dword("\"Start\"", static_cast<std::uint32_t>(n % 5));
          Dword("\"ErrorControl\"", 1);
          Hex("\"ImagePath\"", "hex(2)", 60);
          String("\"DisplayName\"", "Service number " + std::to_string(n));
          Hex("\"DependOnService\"", "hex(7)", 30);
          Key("HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Services\\Service" + std::to_string(n) +
              "\\Parameters");
          Hex("\"Settings\"", "hex", 160);
          break;
        case 2:
          Key("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + guid);
          String("\"DisplayName\"", "Product " + std::to_string(n));
          String("\"DisplayVersion\"", std::to_string(n % 10) + "." + std::to_string(n % 7) + ".1234");
          String("\"Publisher\"", "Publisher " + std::to_string(n % 97));
          String("\"InstallLocation\"", "C:\\\\Program Files\\\\Product " + std::to_string(n) + "\\\\");
          Dword("\"EstimatedSize\"", static_cast<std::uint32_t>(n * 37));
          Dword("\"NoModify\"", 1);
          break;
        default:
          Key("HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Installer\\Products\\" + Hexes(n, 32));
          String("\"ProductName\"", "Installer product " + std::to_string(n));
          Hex("\"PackageCode\"", "hex", 16);
          Dword("\"Language\"", 1033);
          Key("HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Installer\\Products\\" + Hexes(n, 32) + "\\SourceList");
          String("\"PackageName\"", "product" + std::to_string(n) + ".msi");
          Hex("\"LastUsedSource\"", "hex(2)", 40);
          break;
      }
      ++keys;
    }
    return keys;
  }

 private:
  static std::string Hexes(std::size_t n, std::size_t digits) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    std::uint64_t state = n * 0x9E3779B97F4A7C15ull + 1;
    for (std::size_t i = 0; i < digits; ++i) {
      state = state * 6364136223846793005ull + 1442695040888963407ull;
      text.push_back(kDigits[(state >> 60) & 15]);
    }
    return text;
  }
  static std::string Guid(std::size_t n) {
    const std::string h = Hexes(n, 32);
    return "{" + h.substr(0, 8) + "-" + h.substr(8, 4) + "-" + h.substr(12, 4) + "-" + h.substr(16, 4) + "-" +
           h.substr(20) + "}";
  }

  void Key(const std::string& path) {
    Line("");
    Line("[" + path + "]");
  }
  void String(const std::string& name, const std::string& text) { Line(name + "=\"" + text + "\""); }
  void Dword(const std::string& name, std::uint32_t number) {
    char text[16];
    std::snprintf(text, sizeof(text), "%08x", number);
    Line(name + "=dword:" + text);
  }
  // Hex data wrapped as the export wraps it: lines of about 80 characters
  // ending in a comma and a backslash, continued after two blanks.
  void Hex(const std::string& name, const char* form, std::size_t count) {
    std::string line = name + "=" + form + ":";
    const std::string bytes = Hexes(count, count * 2);
    for (std::size_t i = 0; i < count; ++i) {
      line += bytes.substr(i * 2, 2);
      if (i + 1 == count) break;
      line += ",";
      if (line.size() > 76) {
        Line(line + "\\");
        line = "  ";
      }
    }
    Line(line);
  }
  void Line(const std::string& text) { Put(text + "\r\n"); }

  // Every character the generator writes is ASCII: UTF-16LE is each byte and a zero.
  void Put(const std::string& text) {
    if (text == "\xEF\xBB\xBF") {
      std::fputc(0xFF, file_);
      std::fputc(0xFE, file_);
      written_ += 2;
      return;
    }
    wide_.clear();
    for (char c : text) {
      wide_.push_back(c);
      wide_.push_back('\0');
    }
    std::fwrite(wide_.data(), 1, wide_.size(), file_);
    written_ += wide_.size();
  }

  std::FILE* file_;
  std::uint64_t written_ = 0;
  std::string wide_;
};

// The process's resident and peak resident sizes, in bytes.
std::uint64_t StatusBytes(const char* field) {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (!status) return 0;
  char line[256];
  unsigned long long kib = 0;
  const std::string prefix = std::string(field) + ":";
  while (std::fgets(line, sizeof(line), status))
    if (std::string(line).rfind(prefix, 0) == 0) std::sscanf(line + prefix.size(), "%llu", &kib);
  std::fclose(status);
  return kib * 1024;
}

// Lets the next peak be measured from here.
void ResetPeak() {
  std::FILE* clear = std::fopen("/proc/self/clear_refs", "w");
  if (clear) {
    std::fputs("5", clear);
    std::fclose(clear);
  }
}

double Mib(std::uint64_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

}  // namespace

int main(int argc, char** argv) {
  const double mib = argc > 1 ? std::atof(argv[1]) : 120;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  const char* folder = std::getenv("TMPDIR");
  std::string path = std::string(folder && *folder ? folder : "/tmp") + "/reg_load_bench_XXXXXX";
  const int descriptor = mkstemp(&path[0]);
  if (descriptor < 0) {
    std::perror("mkstemp");
    return 1;
  }
  std::FILE* file = fdopen(descriptor, "wb");
  const std::size_t keys = Generator(file).Write(static_cast<std::uint64_t>(mib * 1024 * 1024));
  std::fclose(file);
  std::FILE* measured = std::fopen(path.c_str(), "rb");
  std::fseek(measured, 0, SEEK_END);
  const std::uint64_t size = static_cast<std::uint64_t>(std::ftell(measured));
  std::fclose(measured);
  std::printf("generated export: %.1f MiB, %zu keys (UTF-16LE)\n", Mib(size), keys);

  double best_seconds = 0;
  std::uint64_t kept = 0, peak = 0;
  for (int round = 0; round < rounds; ++round) {
    malloc_trim(0);
    const std::uint64_t before = StatusBytes("VmRSS");
    ResetPeak();
    const auto start = std::chrono::steady_clock::now();
    auto registry = std::make_unique<sim::Registry>();
    sim::ImportRegFile(path, *registry);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    malloc_trim(0);
    const std::uint64_t after = StatusBytes("VmRSS");
    const std::uint64_t high = StatusBytes("VmHWM");
    if (round == 0 || seconds < best_seconds) best_seconds = seconds;
    kept = after > before ? after - before : 0;
    peak = high > before ? high - before : 0;
    std::printf(
        "round %d: %.2f s, %.1f MiB/s; registry kept %.1f MiB (%.2f x the file), peak %.1f MiB (%.2f x)\n",
        round + 1, seconds, Mib(size) / seconds, Mib(kept), static_cast<double>(kept) / size, Mib(peak),
        static_cast<double>(peak) / size);
    std::fflush(stdout);
    registry.reset();
  }
  std::printf(
      "best: %.1f MiB/s (target at least 100); kept %.2f x the file, peak %.2f x (target at most 2)\n",
      Mib(size) / best_seconds, static_cast<double>(kept) / size, static_cast<double>(peak) / size);
  std::remove(path.c_str());
  return 0;
}
