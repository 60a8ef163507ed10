// How fileversion_x64 takes its two files from its raw command line.
#include <gtest/gtest.h>

#include "tools/fileversion_x64/command_line.h"

namespace {

TEST(CompanionCommandLine, TakesTheFileWholeAndTheOutputLast) {
  const struct {
    const char* raw;
    bool splits;
    const char* file;
    const char* output;
  } cases[] = {
      {"fileversion_x64 C:\\WINDOWS\\system32\\msiexec.exe C:\\Temp\\tmp_ver.txt", true,
       "C:\\WINDOWS\\system32\\msiexec.exe", "C:\\Temp\\tmp_ver.txt"},
      {"fileversion_x64 C:\\Program Files\\Kit\\a b.exe C:\\Temp\\tmp_ver.txt", true,
       "C:\\Program Files\\Kit\\a b.exe", "C:\\Temp\\tmp_ver.txt"},
      {"\"C:\\kv checks\\fileversion_x64.exe\" C:\\a  b.exe\tC:\\out.txt  ", true, "C:\\a  b.exe",
       "C:\\out.txt"},
      {"fileversion_x64 \"C:\\Program Files\\x.exe\" \"C:\\Temp dir\\out.txt\"", true,
       "C:\\Program Files\\x.exe", "C:\\Temp dir\\out.txt"},
      {"fileversion_x64 C:\\WINDOWS\\system32\\\\msiexec.exe out", true,
       "C:\\WINDOWS\\system32\\\\msiexec.exe", "out"},
      {"fileversion_x64 onlyone", false, "", ""},
      {"fileversion_x64", false, "", ""},
      {"fileversion_x64    ", false, "", ""},
      {"fileversion_x64 a\"b c\"", false, "", ""},
  };
  for (const auto& c : cases) {
    std::string file, output;
    ASSERT_EQ(companion::SplitCommandLine(c.raw, file, output), c.splits) << c.raw;
    if (!c.splits) continue;
    EXPECT_EQ(file, c.file) << c.raw;
    EXPECT_EQ(output, c.output) << c.raw;
  }
}

}  // namespace
