#include "sim/profile/reg_export.h"

#include <gtest/gtest.h>

#include "sim/profile/reg_file.h"

namespace {

std::string Utf16ToAscii(const std::string& bytes) {
  std::string text;
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) text.push_back(bytes[i]);
  return text;
}

TEST(ExportRegistry, ReimportsToTheSameValues) {
  sim::Registry original;
  const std::string key = "HKLM\\SOFTWARE\\Norvik\\Check \"One\"";
  original.SetString(key, "Text", "C:\\Program Files\\a \"b\" \xE9");
  original.SetString(key, "", "default");
  original.SetString(key, "Empty", "");
  original.SetString(key, "Expand", "%windir%\\x", 2);
  original.SetDword(key, "Number", 0xFFFFFFFFu);
  original.SetValue(key, "Binary", 3, std::vector<std::uint8_t>(60, 0xAB));
  original.SetValue(key, "ShortDword", 4, {1, 2});
  original.SetValue(key, "Unterminated", 1, {'a', 0, 'b', 0});
  original.SetValue(key, "NoBytes", 0, {});
  original.SetString("HKCU\\Software\\Other", "V", "x");
  original.Create("HKLM\\SOFTWARE\\EmptyKey");

  const std::string exported = sim::ExportRegistry(original);
  ASSERT_EQ(exported.substr(0, 2), "\xFF\xFE");
  const std::string text = Utf16ToAscii(exported);
  EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\r\n\r\n", 0), 0u);
  EXPECT_NE(text.find("\"Number\"=dword:ffffffff\r\n"), std::string::npos);
  EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\EmptyKey]\r\n"), std::string::npos);
  for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    EXPECT_LE(end - start, 80u) << text.substr(start, end - start);

  sim::Registry copy;
  sim::ImportRegBytes(exported, "export.reg", copy);
  for (const char* name :
       {"Text", "", "Empty", "Expand", "Number", "Binary", "ShortDword", "Unterminated", "NoBytes"}) {
    const sim::RegValue* want = original.GetValue(key, name);
    const sim::RegValue* got = copy.GetValue(key, name);
    ASSERT_NE(got, nullptr) << name;
    EXPECT_EQ(got->type, want->type) << name;
    EXPECT_EQ(got->data, want->data) << name;
  }
  EXPECT_NE(copy.GetValue("HKCU\\Software\\Other", "V"), nullptr);
  EXPECT_NE(copy.Find("HKLM\\SOFTWARE\\EmptyKey"), nullptr);
}

TEST(ExportRegistry, StringsWithLineBreaksReadBack) {
  sim::Registry original;
  const std::string key = "HKLM\\SOFTWARE\\Norvik";
  original.SetString(key, "LineFeed", "4.2\nbeta");
  original.SetString(key, "CrLf", "4.2\r\n");
  original.SetString(key, "LoneCr", "4.2\r");

  const std::string exported = sim::ExportRegistry(original);
  sim::Registry copy;
  ASSERT_NO_THROW(sim::ImportRegBytes(exported, "export.reg", copy));
  for (const char* name : {"LineFeed", "CrLf", "LoneCr"}) {
    const sim::RegValue* got = copy.GetValue(key, name);
    ASSERT_NE(got, nullptr) << name;
    EXPECT_EQ(got->type, 1u) << name;
    EXPECT_EQ(got->data, original.GetValue(key, name)->data) << name;
  }
}

}  // namespace
