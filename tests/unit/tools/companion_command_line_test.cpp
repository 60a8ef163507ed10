// How fileversion_x64 takes its two files from its raw command line.
#include <gtest/gtest.h>

#include <set>

#include "tools/fileversion_x64/command_line.h"

namespace {

const char kDriver[] = "C:\\WINDOWS\\system32\\drivers\\storport.sys";
const char kKitTool[] = "C:\\Program Files\\Kit\\a b.exe";
const char kXpTemp[] = "C:\\Documents and Settings\\Administrator\\Local Settings\\Temp\\tmp_ver.txt";

TEST(CompanionCommandLine, SplitsAtTheLastBlankThatEndsAnExistingFile) {
  const struct {
    const char* name;
    std::string raw;
    std::set<std::string> existing;
    bool splits;
    std::string file;
    std::string output;
  } cases[] = {
      {"NoBlanks",
       "fileversion_x64 C:\\WINDOWS\\system32\\msiexec.exe C:\\Temp\\tmp_ver.txt",
       {"C:\\WINDOWS\\system32\\msiexec.exe"},
       true,
       "C:\\WINDOWS\\system32\\msiexec.exe",
       "C:\\Temp\\tmp_ver.txt"},
      {"BlanksInTheFile",
       std::string("fileversion_x64 ") + kKitTool + " C:\\Temp\\tmp_ver.txt",
       {kKitTool},
       true,
       kKitTool,
       "C:\\Temp\\tmp_ver.txt"},
      {"BlanksInTheOutput",
       std::string("fileversion_x64 ") + kDriver + " C:\\my temp\\storport_ver.txt",
       {kDriver},
       true,
       kDriver,
       "C:\\my temp\\storport_ver.txt"},
      {"BlanksInBoth",
       std::string("fileversion_x64 ") + kKitTool + " " + kXpTemp,
       {kKitTool},
       true,
       kKitTool,
       kXpTemp},
      {"APlantedShorterFileLoses",
       std::string("fileversion_x64 ") + kKitTool + " " + kXpTemp,
       {"C:\\Program", kKitTool},
       true,
       kKitTool,
       kXpTemp},
      {"OnlyTheShorterFileExists",
       "fileversion_x64 C:\\Program Files\\x.exe C:\\out.txt",
       {"C:\\Program"},
       true,
       "C:\\Program",
       "Files\\x.exe C:\\out.txt"},
      {"RunsOfBlanksAndTabs",
       "\"C:\\kv checks\\fileversion_x64.exe\" C:\\a  b.exe\tC:\\my  temp\\out.txt  ",
       {"C:\\a  b.exe"},
       true,
       "C:\\a  b.exe",
       "C:\\my  temp\\out.txt"},
      {"QuotedByACaller",
       "fileversion_x64 \"C:\\Program Files\\x.exe\" \"C:\\Temp dir\\out.txt\"",
       {"C:\\Program Files\\x.exe"},
       true,
       "C:\\Program Files\\x.exe",
       "C:\\Temp dir\\out.txt"},
      // Nothing named exists: the output is the last argument, as before.
      {"MissingFileWithBlanks",
       "fileversion_x64 C:\\Program Files\\Kit\\a b.exe C:\\Temp\\tmp_ver.txt",
       {},
       true,
       kKitTool,
       "C:\\Temp\\tmp_ver.txt"},
      {"MissingFileQuoted",
       "fileversion_x64 \"C:\\Program Files\\x.exe\" \"C:\\Temp dir\\out.txt\"",
       {},
       true,
       "C:\\Program Files\\x.exe",
       "C:\\Temp dir\\out.txt"},
      {"MissingFileDoubledBackslash",
       "fileversion_x64 C:\\WINDOWS\\system32\\\\msiexec.exe out",
       {},
       true,
       "C:\\WINDOWS\\system32\\\\msiexec.exe",
       "out"},
      {"OnlyOneArgument", "fileversion_x64 onlyone", {"onlyone"}, false, "", ""},
      {"NoArguments", "fileversion_x64", {}, false, "", ""},
      {"OnlyBlanks", "fileversion_x64    ", {}, false, "", ""},
      {"AQuoteGluedToTheFile", "fileversion_x64 a\"b c\"", {}, false, "", ""},
  };
  for (const auto& c : cases) {
    const auto is_file = [&](const std::string& path) { return c.existing.count(path) != 0; };
    std::string file, output;
    ASSERT_EQ(companion::SplitCommandLine(c.raw, is_file, file, output), c.splits) << c.name;
    if (!c.splits) continue;
    EXPECT_EQ(file, c.file) << c.name;
    EXPECT_EQ(output, c.output) << c.name;
  }
}

}  // namespace
