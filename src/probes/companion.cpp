#include "probes/companion.h"

#include "platform/platform.h"
#include "probes/handles.h"
#include "probes/process.h"
#include "probes/text_rules.h"

namespace {

constexpr std::size_t kCompanionOutputBytes = 256;

std::string ReadCompanionOutput(const std::string& output_file) {
  UniqueTextFile file(crt::fopen_text(output_file.c_str()));
  if (!file) return std::string();
  char bytes[kCompanionOutputBytes];
  const std::size_t read = crt::fread(bytes, sizeof(bytes), file.get());
  return TextUpToNul(bytes, read);
}

}  // namespace

std::string VersionThroughCompanion(const std::string& path, const char* output_under_temp) {
  // Without "temp" there is no folder for the output file.
  const char* temp = crt::getenv("temp");
  if (!temp) return std::string();
  const std::string output_file = std::string(temp) + output_under_temp;
  // Unquoted: the companion finds where the path ends and the output file begins.
  if (RunAndWait("fileversion_x64 " + path + " " + output_file, nullptr) != 0) return std::string();
  return ReadCompanionOutput(output_file);
}
