// The .reg reader on files shaped as regedit and reg export write them, and
// on malformed files, which must name the file and the line.
#include "sim/profile/reg_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "sim/machine/registry.h"
#include "sim/profile/profile.h"
#include "sim/profile/reg_export.h"

namespace {

// Text as regedit writes a version 5 export: UTF-16LE with a byte-order
// mark and CR LF line ends. The text is given in the ANSI code page with LF.
std::string AsRegeditExport(const std::string& text) {
  std::string crlf;
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  std::string bytes = "\xFF\xFE";
  for (char16_t w : sim::AnsiToWide(crlf)) {
    bytes += static_cast<char>(w & 0xFF);
    bytes += static_cast<char>(w >> 8);
  }
  return bytes;
}

std::vector<std::uint8_t> Raw(const sim::Registry& registry, const std::string& key,
                              const std::string& name) {
  const sim::RegValue* value = registry.GetValue(key, name);
  return value ? value->data : std::vector<std::uint8_t>{0xDE, 0xAD};
}

std::uint32_t TypeOf(const sim::Registry& registry, const std::string& key, const std::string& name) {
  const sim::RegValue* value = registry.GetValue(key, name);
  return value ? value->type : 0xFFFFFFFFu;
}

// A string value as the registry stores it: UTF-16LE with its terminator.
std::vector<std::uint8_t> Sz(const std::string& ansi) {
  std::u16string wide = sim::AnsiToWide(ansi);
  wide.push_back(u'\0');
  return sim::WideBytes(wide);
}

std::vector<std::uint8_t> Bytes(std::initializer_list<int> bytes) {
  std::vector<std::uint8_t> out;
  for (int b : bytes) out.push_back(static_cast<std::uint8_t>(b));
  return out;
}

struct ValueCase {
  const char* name;
  const char* value;
  std::uint32_t type;
  std::vector<std::uint8_t> raw;
};

void ExpectValues(const sim::Registry& registry, const std::string& key,
                  const std::vector<ValueCase>& cases) {
  for (const ValueCase& c : cases) {
    EXPECT_EQ(TypeOf(registry, key, c.value), c.type) << c.name;
    EXPECT_EQ(Raw(registry, key, c.value), c.raw) << c.name;
  }
}

constexpr char kKelvane[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Norvik Computer Corporation\\Kelvane";

const char kVersion5Export[] =
    "Windows Registry Editor Version 5.00\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Norvik Computer Corporation\\Kelvane]\n"
    "@=\"Kelvane Node\"\n"
    "\"Version\"=\"4.2.0.118\"\n"
    "\"InstallPath\"=\"C:\\\\Program Files\\\\Norvik\\\\Kelvane\\\\\"\n"
    "\"Quoted\"=\"say \\\"hi\\\"\"\n"
    "\"a \\\"quoted\\\" name\"=\"q\"\n"
    "\"back\\\\slash\"=\"b\"\n"
    "\"Caf\xE9\"=\"cr\xE8me \x80\"\n"
    "\"Level\"=dword:0000012c\n"
    "\"Mask\"=dword:FFFFFFFF\n"
    "\"Binary\"=hex:01,02,ff\n"
    "\"EmptyBinary\"=hex:\n"
    "\"Path\"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,74,\\\n"
    "  00,25,00,00,00\n"
    "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\n"
    "\"Big\"=hex(b):01,00,00,00,00,00,00,00\n"
    "\"Nothing\"=hex(0):\n"
    "\"Empty\"=\"\"\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Norvik Computer Corporation\\Kelvane\\PreReqChecks]\n"
    "\n";

TEST(RegFile, ReadsARegeditVersion5Export) {
  sim::Registry registry;
  sim::ImportRegBytes(AsRegeditExport(kVersion5Export), "kelvane.reg", registry);
  ExpectValues(registry, kKelvane,
               {
                   {"DefaultValueAt", "", 1, Sz("Kelvane Node")},
                   {"String", "Version", 1, Sz("4.2.0.118")},
                   {"EscapedBackslashesInData", "InstallPath", 1, Sz("C:\\Program Files\\Norvik\\Kelvane\\")},
                   {"EscapedQuotesInData", "Quoted", 1, Sz("say \"hi\"")},
                   {"EscapedQuotesInName", "a \"quoted\" name", 1, Sz("q")},
                   {"EscapedBackslashInName", "back\\slash", 1, Sz("b")},
                   {"LettersBeyondAscii", "Caf\xE9", 1, Sz("cr\xE8me \x80")},
                   {"Dword", "Level", 4, Bytes({0x2C, 0x01, 0, 0})},
                   {"DwordUpperCaseDigits", "Mask", 4, Bytes({0xFF, 0xFF, 0xFF, 0xFF})},
                   {"Binary", "Binary", 3, Bytes({0x01, 0x02, 0xFF})},
                   {"EmptyBinary", "EmptyBinary", 3, {}},
                   {"ExpandStringOverAContinuationLine", "Path", 2, Sz("%SystemRoot%")},
                   {"MultiStringInUtf16", "Multi", 7, Bytes({'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0})},
                   {"Qword", "Big", 11, Bytes({1, 0, 0, 0, 0, 0, 0, 0})},
                   {"NoneWithoutData", "Nothing", 0, {}},
                   {"EmptyString", "Empty", 1, Sz("")},
               });
  const sim::RegKey* child = registry.Find(std::string(kKelvane) + "\\PreReqChecks");
  ASSERT_NE(child, nullptr);
  EXPECT_TRUE(child->values.empty());
  EXPECT_EQ(child->name, "PreReqChecks");
}

TEST(RegFile, ReadsARegedit4AnsiFile) {
  // REGEDIT4 files are ANSI, and so are the bytes of their string types in hex form.
  const std::string file =
      "REGEDIT4\r\n"
      "\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor]\r\n"
      "\"Name\"=\"Caf\xE9\"\r\n"
      "\"Expand\"=hex(2):25,53,79,73,74,65,6d,52,6f,6f,74,25,00\r\n"
      "\"Multi\"=hex(7):61,00,62,00,00\r\n"
      "\"Count\"=dword:00000003\r\n";
  sim::Registry registry;
  sim::ImportRegBytes(file, "vendor.reg", registry);
  ExpectValues(registry, "HKLM\\SOFTWARE\\Vendor",
               {
                   {"AnsiStringBecomesUtf16", "Name", 1, Sz("Caf\xE9")},
                   {"AnsiExpandStringBecomesUtf16", "Expand", 2, Sz("%SystemRoot%")},
                   {"AnsiMultiStringBecomesUtf16", "Multi", 7, Bytes({'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0})},
                   {"Dword", "Count", 4, Bytes({3, 0, 0, 0})},
               });
}

TEST(RegFile, ToleratesHandWrittenLayout) {
  const std::string file =
      "Windows Registry Editor Version 5.00\n"
      "; a comment on its own line\n"
      "   ; an indented comment\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor]   \n"
      "  \"Indented\" = \"yes\"  \n"
      "\"Wrapped\"=hex:01,  \\   \n"
      "      02,\\\n"
      "\t03\n"
      "\"Short\"=dword:1\n"
      "\"Trailing\"=hex:0a,0b,\n"
      "\"LastLine\"=\"no newline\"";
  sim::Registry registry;
  sim::ImportRegBytes(file, "vendor.reg", registry);
  ExpectValues(registry, "HKLM\\SOFTWARE\\Vendor",
               {
                   {"BlanksAroundTheEqualsSign", "Indented", 1, Sz("yes")},
                   {"ContinuationWithBlanksAfterTheBackslash", "Wrapped", 3, Bytes({1, 2, 3})},
                   {"DwordOfFewerThanEightDigits", "Short", 4, Bytes({1, 0, 0, 0})},
                   {"HexWithATrailingComma", "Trailing", 3, Bytes({0x0A, 0x0B})},
                   {"LastLineWithoutLineEnd", "LastLine", 1, Sz("no newline")},
               });
}

TEST(RegFile, AppliesDeletions) {
  sim::Registry registry;
  registry.SetString("HKLM\\SOFTWARE\\Old\\Deep\\Er", "Kept", "no");
  registry.SetString("HKLM\\SOFTWARE\\Vendor", "Stale", "old");
  registry.SetString("HKLM\\SOFTWARE\\Vendor", "", "old default");
  registry.SetString("HKLM\\SOFTWARE\\Vendor", "Fresh", "stays");
  const std::string file = AsRegeditExport(
      "Windows Registry Editor Version 5.00\n"
      "\n"
      "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Old]\n"
      "\n"
      "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\NeverThere]\n"
      "\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor]\n"
      "\"Stale\"=-\n"
      "@=-\n"
      "\"NeverThere\"=-\n");
  sim::ImportRegBytes(file, "cleanup.reg", registry);
  EXPECT_EQ(registry.Find("HKLM\\SOFTWARE\\Old"), nullptr);
  EXPECT_NE(registry.Find("HKLM\\SOFTWARE"), nullptr);
  EXPECT_EQ(registry.GetValue("HKLM\\SOFTWARE\\Vendor", "Stale"), nullptr);
  EXPECT_EQ(registry.GetValue("HKLM\\SOFTWARE\\Vendor", ""), nullptr);
  EXPECT_NE(registry.GetValue("HKLM\\SOFTWARE\\Vendor", "Fresh"), nullptr);
}

TEST(RegFile, LaterFilesOverrideEarlierValues) {
  sim::Registry registry;
  sim::ImportRegBytes("REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\V]\n\"A\"=\"1\"\n", "one.reg", registry);
  sim::ImportRegBytes("REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\V]\n\"a\"=dword:00000002\n", "two.reg",
                      registry);
  EXPECT_EQ(TypeOf(registry, "HKLM\\SOFTWARE\\V", "A"), 4u);
  EXPECT_EQ(registry.Find("HKLM\\SOFTWARE\\V")->values.size(), 1u);
}

struct MalformedCase {
  const char* name;
  std::string bytes;
  const char* where;  // "file:line:"
  const char* says;   // part of the message
};

TEST(RegFile, MalformedFilesNameTheFileAndLine) {
  const std::string header = "Windows Registry Editor Version 5.00\n\n";
  const std::string key = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor]\n";
  const MalformedCase cases[] = {
      {"NoHeader", key + "\"A\"=\"1\"\n", "bad.reg:1:", "REGEDIT4"},
      {"EmptyFile", "", "bad.reg:1:", "empty"},
      {"MisspelledHeader", "Windows Registry Editor Version 4.00\n" + key, "bad.reg:1:", "first line"},
      {"BadHexByte", header + key + "\"B\"=hex:01,0g\n", "bad.reg:4:", "\"B\""},
      {"HexByteOfThreeDigits", header + key + "\"B\"=hex:01,002\n", "bad.reg:4:", "two hex digits"},
      {"BadByteOnAContinuationLine", header + key + "\"B\"=hex:01,\\\n  02,\\\n  zz\n",
       "bad.reg:6:", "\"B\""},
      {"BadByteBeforeAContinuation", header + key + "\"B\"=hex:0z,\\\n  02\n", "bad.reg:4:", "\"B\""},
      {"DwordTooLong", header + key + "\"D\"=dword:000000001\n", "bad.reg:4:", "8 hex digits"},
      {"DwordNotHex", header + key + "\"D\"=dword:12345x78\n", "bad.reg:4:", "not a hex digit"},
      {"ValueBeforeAnyKey", header + "\"A\"=\"1\"\n" + key, "bad.reg:3:", "outside any key"},
      {"UnterminatedString", header + key + "\"S\"=\"abc\n", "bad.reg:4:", "closing quote"},
      {"UnterminatedName", header + key + "\"S=\"abc\"\n", "bad.reg:4:", ""},
      {"TextAfterTheString", header + key + "\"S\"=\"abc\" junk\n", "bad.reg:4:", "after the closing quote"},
      {"UnknownRoot", header + "[HKEY_NOWHERE\\SOFTWARE]\n", "bad.reg:3:", "registry root"},
      {"KeyWithoutClosingBracket", header + "[HKEY_LOCAL_MACHINE\\SOFTWARE\n", "bad.reg:3:", "\"]\""},
      {"ValueWithoutEquals", header + key + "\"A\" \"1\"\n", "bad.reg:4:", "\"=\""},
      {"UnknownDataForm", header + key + "\"A\"=qword:1\n", "bad.reg:4:", "no known form"},
      {"MalformedHexType", header + key + "\"A\"=hex(zz):00\n", "bad.reg:4:", "hex(type)"},
      {"StrayText", header + key + "Version=1\n", "bad.reg:4:", "unexpected"},
      {"OddUtf16Length", std::string("\xFF\xFEW\0i\0n"), "bad.reg:1:", "odd"},
      {"ErrorInAUtf16Export", AsRegeditExport(header + key + "\n\"L\"=dword:xyz\n"), "bad.reg:5:", "\"L\""},
  };
  for (const MalformedCase& c : cases) {
    sim::Registry registry;
    try {
      sim::ImportRegBytes(c.bytes, "bad.reg", registry);
      ADD_FAILURE() << c.name << ": no error";
    } catch (const sim::ProfileError& error) {
      const std::string message = error.what();
      EXPECT_EQ(message.rfind(c.where, 0), 0u) << c.name << ": " << message;
      EXPECT_NE(message.find(c.says), std::string::npos) << c.name << ": " << message;
    }
  }
}

TEST(RegFile, AFileThatCannotBeReadIsAnError) {
  sim::Registry registry;
  try {
    sim::ImportRegFile("/nonexistent/kelvane.reg", registry);
    ADD_FAILURE() << "no error";
  } catch (const sim::ProfileError& error) {
    EXPECT_NE(std::string(error.what()).find("/nonexistent/kelvane.reg"), std::string::npos) << error.what();
  }
}

// A file of several megabytes is read in pieces: lines, continued values and
// UTF-16 characters that cross from one piece into the next read as they do
// from the file's bytes at once, and an error still names its line.
TEST(RegFile, AFileLargerThanOnePieceReadsAsItsBytes) {
  std::string text = "Windows Registry Editor Version 5.00\n";
  std::size_t lines = 1;
  for (int key = 0; text.size() < 1500000; ++key) {
    text += "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Key" + std::to_string(key) + "]\n\"Name\"=\"value " +
            std::to_string(key) +
            "\"\n\"Data\"=hex:01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,\\\n"
            "  14,15,16,17\n";
    lines += 5;
  }
  const std::string good = AsRegeditExport(text.c_str());
  const std::string bad = AsRegeditExport((text + "\"Broken\"=dword:xyz\n").c_str());
  const char* folder = std::getenv("TMPDIR");
  const std::string path = std::string(folder && *folder ? folder : "/tmp") + "/reg_file_test_pieces.reg";
  const auto write = [&](const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(file);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  };
  write(good);
  ASSERT_GT(good.size(), 2u << 20);
  sim::Registry from_file, from_bytes;
  sim::ImportRegFile(path, from_file);
  sim::ImportRegBytes(good, path, from_bytes);
  EXPECT_EQ(sim::ExportRegistry(from_file), sim::ExportRegistry(from_bytes));
  EXPECT_NE(from_file.GetValue("HKLM\\SOFTWARE\\Vendor\\Key9000", "Name"), nullptr);

  write(bad);
  try {
    sim::Registry registry;
    sim::ImportRegFile(path, registry);
    ADD_FAILURE() << "no error";
  } catch (const sim::ProfileError& error) {
    EXPECT_NE(std::string(error.what()).find(":" + std::to_string(lines + 1) + ": "), std::string::npos)
        << error.what();
  }
  std::remove(path.c_str());
}

}  // namespace
