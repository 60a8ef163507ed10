#include "checks/package/hwlist.h"

#include <gtest/gtest.h>

#include "sim/profile/known_machines.h"
#include "support/installed_machine.h"
#include "support/nothing_left_open.h"

namespace {

std::string VersionOfFile(const std::string& bytes) {
  sim::Machine machine = sim::Server2003(2, false);
  machine.current_directory = "D:\\windows\\rodadazadezad";
  machine.files.drives['D'] = sim::kDriveCdrom;
  machine.files.AddFile("D:\\windows\\rodadazadezad\\hwlist.ini", bytes);
  InstalledMachine scoped(machine);
  const std::string version = ReadHwListProductVersion();
  EXPECT_TRUE(NothingLeftOpen());
  return version;
}

// Text as Notepad saves it in Unicode: a byte-order mark, then UTF-16LE.
std::string Utf16(const std::string& ascii) {
  std::string bytes = "\xFF\xFE";
  for (char c : ascii) {
    bytes.push_back(c);
    bytes.push_back('\0');
  }
  return bytes;
}

TEST(ProductVersionFromLine, FollowsTheLineRules) {
  const struct {
    const char* line;
    bool matches;
    const char* value;
  } cases[] = {
      {"ProductVersion=2.1.0", true, "2.1.0"},
      {"ProductVersion = 2.1.0", true, " 2.1.0"},
      {"ProductVersion=", false, ""},
      {"=ProductVersion 3", false, ""},
      {"Name=ProductVersion 3", true, "ProductVersion 3"},
      {"productversion=2.1", false, ""},
      {";ProductVersion=1.0", true, "1.0"},
      {"MyProductVersionX=\"4.0\"\t", true, "\"4.0\"\t"},
      {"ProductVersion 2.1", false, ""},
      {"ProductVersion=a=b", true, "a=b"},
  };
  for (const auto& c : cases) {
    std::string value = "unchanged";
    EXPECT_EQ(ProductVersionFromLine(c.line, value), c.matches) << c.line;
    if (c.matches) {
      EXPECT_EQ(value, c.value) << c.line;
    }
  }
}

TEST(ReadHwListProductVersion, ReadsTheFirstMatchingLine) {
  const std::string long_line(1024, 'x');
  const struct {
    const char* name;
    std::string bytes;
    const char* version;
  } cases[] = {
      {"LfFile", "[Product]\nProductVersion=2.1\nProductVersion=9.9\n", "2.1"},
      {"CrLfFile", "[Product]\r\nProductVersion=2.1\r\n", "2.1"},
      {"BlanksAfterValueStay", "ProductVersion=2.1  \r\n", "2.1  "},
      {"LoneCrIsACharacter", "ProductVersion=2.1\rX\n", "2.1\rX"},
      {"EmptyValueLooksFurther", "ProductVersion=\nProductVersion=3.0\n", "3.0"},
      {"LastLineWithoutLf", "a=b\r\nProductVersion=4.5", "4.5"},
      {"CtrlZEndsTheFile", "a=b\r\n\x1AProductVersion=4.5\r\n", ""},
      {"LineOf1023Fits", std::string(1002, 'y') + "ProductVersion=" + std::string(6, '7') + "\n", "777777"},
      {"LineLongerThan1023StopsReading", long_line + "\nProductVersion=1.0\n", ""},
      {"ExactlyFullLineStillReadsOn", std::string(1023, 'z') + "\nProductVersion=1.0\n", "1.0"},
      {"Utf16File", Utf16("ProductVersion=2.1\r\n"), ""},
      {"NulEndsTheLineText", std::string("Name=1\0ProductVersion\n", 22), ""},
      {"EmptyFile", "", ""},
      {"NoMatch", "[x]\nVersion=1\n", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(VersionOfFile(c.bytes), c.version) << c.name;
}

TEST(ReadHwListProductVersion, LooksInTheCurrentDirectoryOnly) {
  sim::Machine machine = sim::Server2003(2, false);
  machine.current_directory = "C:\\setup\\bin";
  machine.files.AddFile("C:\\setup\\hwlist.ini", "ProductVersion=1.0\n");
  {
    InstalledMachine scoped(machine);
    EXPECT_EQ(ReadHwListProductVersion(), "");
  }
  machine.current_directory = "C:\\SETUP";
  InstalledMachine scoped(machine);
  EXPECT_EQ(ReadHwListProductVersion(), "1.0");
}

}  // namespace
