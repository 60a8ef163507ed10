// The simulated machine's files, drives, programs and their profile table.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/platform.h"
#include "platform/system_libraries.h"
#include "sim/profile/known_machines.h"
#include "sim/profile/profile.h"
#include "support/installed_machine.h"
#include "support/nothing_left_open.h"

namespace {

TEST(SimFullPath, ResolvesLikeWindows) {
  const struct {
    const char* path;
    const char* cwd;
    const char* full;
  } cases[] = {
      {"hwlist.ini", "D:\\windows\\rodadazadezad", "D:\\windows\\rodadazadezad\\hwlist.ini"},
      {"..\\Docs\\a b.msi", "D:\\kit\\setup\\", "D:\\kit\\Docs\\a b.msi"},
      {"..\\..\\..\\x", "C:\\a", "C:\\x"},
      {"\\root.txt", "D:\\kit", "D:\\root.txt"},
      {"c:/WINDOWS/./system32/msiexec.exe", "D:\\", "C:\\WINDOWS\\system32\\msiexec.exe"},
      {"D:x", "D:\\kit", "D:\\kit\\x"},
      {"", "C:\\", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(sim::FullPath(c.path, c.cwd), c.full) << c.path;
}

std::string ReadAll(const char* path) {
  crt::File* file = crt::fopen_text(path);
  if (!file) return "<none>";
  std::string text;
  for (int c; (c = crt::fgetc(file)) != EOF;) text.push_back(static_cast<char>(c));
  crt::fclose(file);
  return text;
}

TEST(SimTextFiles, ReadInTextMode) {
  sim::Machine machine = sim::Server2003(2, false);
  machine.current_directory = "C:\\Kit";
  machine.files.AddFile("C:\\kit\\crlf.txt", "a\r\nb\rc\r\n\r");
  machine.files.AddFile("C:\\kit\\ctrlz.txt", std::string("one\r\n\x1Atwo", 9));
  InstalledMachine scoped(machine);
  EXPECT_EQ(ReadAll("CRLF.TXT"), "a\nb\rc\n\r");
  EXPECT_EQ(ReadAll("ctrlz.txt"), "one\n");
  EXPECT_EQ(ReadAll("missing.txt"), "<none>");
  EXPECT_EQ(ReadAll("C:\\kit"), "<none>");  // a folder is no file
  EXPECT_TRUE(NothingLeftOpen());
}

TEST(SimFindFirstFile, FindsFilesAndFolders) {
  sim::Machine machine = sim::Server2003(2, false);
  machine.files.AddFile("C:\\kit\\SysMgmt.msi");
  machine.files.AddFolder("C:\\kit\\Folder.msi");
  InstalledMachine scoped(machine);
  const struct {
    const char* pattern;
    DWORD attributes;  // 0: nothing found
    const char* name;
  } cases[] = {
      {"c:\\KIT\\sysmgmt.msi", FILE_ATTRIBUTE_ARCHIVE, "SysMgmt.msi"},
      {"C:\\kit\\Folder.msi", FILE_ATTRIBUTE_DIRECTORY, "Folder.msi"},
      {"C:\\kit\\Sys*.m?i", FILE_ATTRIBUTE_ARCHIVE, "SysMgmt.msi"},
      {"C:\\kit\\SysMgmt.msi\\", 0, ""},
      {"C:\\kit\\other.msi", 0, ""},
      {"C:\\nowhere\\SysMgmt.msi", 0, ""},
      {"", 0, ""},
  };
  for (const auto& c : cases) {
    WIN32_FIND_DATAA data;
    HANDLE found = FindFirstFileA(c.pattern, &data);
    if (!c.attributes) {
      EXPECT_EQ(found, INVALID_HANDLE_VALUE) << c.pattern;
      continue;
    }
    ASSERT_NE(found, INVALID_HANDLE_VALUE) << c.pattern;
    EXPECT_EQ(data.dwFileAttributes, c.attributes) << c.pattern;
    EXPECT_STREQ(data.cFileName, c.name);
    EXPECT_TRUE(FindClose(found));
  }
  EXPECT_TRUE(NothingLeftOpen());
}

TEST(SimDrives, AnswerGetDriveType) {
  sim::Machine machine = sim::Server2003(2, false);
  machine.files.drives['D'] = sim::kDriveCdrom;
  machine.current_directory = "D:\\setup";
  InstalledMachine scoped(machine);
  EXPECT_EQ(GetDriveTypeA("C:"), UINT{DRIVE_FIXED});
  EXPECT_EQ(GetDriveTypeA("d:\\"), UINT{DRIVE_CDROM});
  EXPECT_EQ(GetDriveTypeA(nullptr), UINT{DRIVE_CDROM});
  EXPECT_EQ(GetDriveTypeA("E:"), UINT{DRIVE_NO_ROOT_DIR});
  EXPECT_EQ(GetDriveTypeA("D:\\setup"), UINT{DRIVE_NO_ROOT_DIR});
}

TEST(SimVersionResources, ServeTheFixedFileInfo) {
  sim::Machine machine = sim::Server2003(2, true);
  machine.files.AddVersionedFile("C:\\WINDOWS\\SysWOW64\\msiexec.exe", {3, 1, 4000, 1823});
  machine.files.AddVersionedFile("C:\\WINDOWS\\system32\\msiexec.exe", {3, 1, 4000, 2435});
  InstalledMachine scoped(machine);
  SystemLibraryScope libraries;
  // The 32-bit checker reaches system32 through WOW64's redirection.
  DWORD handle = 7;
  const DWORD size = GetFileVersionInfoSizeA("C:\\WINDOWS\\system32\\msiexec.exe", &handle);
  ASSERT_GT(size, 0u);
  EXPECT_EQ(handle, 0u);
  std::vector<char> block(size);
  ASSERT_TRUE(GetFileVersionInfoA("C:\\WINDOWS\\system32\\msiexec.exe", 0, size, block.data()));
  void* value = nullptr;
  UINT length = 0;
  EXPECT_FALSE(VerQueryValueA(block.data(), "\\StringFileInfo", &value, &length));
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", &value, &length));
  ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  const auto* info = static_cast<const VS_FIXEDFILEINFO*>(value);
  EXPECT_EQ(info->dwFileVersionMS, 0x00030001u);
  EXPECT_EQ(info->dwFileVersionLS, (4000u << 16) | 1823u);
  EXPECT_EQ(GetFileVersionInfoSizeA("C:\\WINDOWS\\notepad.exe", &handle), 0u);
}

TEST(SimMultiByteToWideChar, ConvertsCodePage1252) {
  InstalledMachine scoped(sim::Server2003(2, false));
  WCHAR wide[8];
  ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, "a\x80\xe9", -1, wide, 8), 4);
  EXPECT_EQ(wide[1], u'\u20AC');
  EXPECT_EQ(wide[2], u'\u00E9');
  EXPECT_EQ(wide[3], 0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abcd", -1, wide, 4), 0);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INSUFFICIENT_BUFFER});
}

TEST(SimProfileFiles, ReadsTheFilesTable) {
  const char* text = R"(
[files]
drives = { d = "cdrom", C = "fixed" }
folders = ['D:\empty']
[[files.file]]
path = 'D:\kit\hwlist.ini'
content = "ProductVersion=2.1\r\n\u001a"
[[files.file]]
path = 'D:\kit\wide.ini'
content = "P="
encoding = "utf-16le"
[[files.file]]
path = 'C:\WINDOWS\system32\msiexec.exe'
version = "3.1.4000.1823"
signature = "bad_digest"
[files.programs.fileversion_x64]
exit_code = 1
runs_ms = 300
[files.programs.other]
kind = "plain"
exit_code = -1
)";
  const sim::Machine machine = sim::LoadProfileText(text, "test.toml");
  EXPECT_EQ(machine.files.drives.at('D'), sim::kDriveCdrom);
  EXPECT_TRUE(machine.files.IsFolder("D:\\EMPTY"));
  EXPECT_EQ(machine.files.FindFile("D:\\kit\\hwlist.ini")->content, "ProductVersion=2.1\r\n\x1A");
  EXPECT_EQ(machine.files.FindFile("D:\\kit\\wide.ini")->content, std::string("\xFF\xFEP\0=\0", 6));
  const sim::SimFile* msiexec = machine.files.FindFile("c:\\windows\\SYSTEM32\\msiexec.exe");
  ASSERT_TRUE(msiexec && msiexec->version);
  EXPECT_EQ((*msiexec->version)[2], 4000);
  EXPECT_EQ(msiexec->signature, sim::Signature::kBadDigest);
  const sim::Program& companion = machine.files.programs.at("fileversion_x64");
  EXPECT_EQ(companion.kind, sim::Program::Kind::kFileVersion);
  EXPECT_EQ(companion.exit_code, 1);
  EXPECT_EQ(companion.runs_ms, 300u);
  EXPECT_EQ(machine.files.programs.at("other").exit_code, -1);
}

TEST(SimProfileFiles, RejectsMalformedEntries) {
  const char* bad[] = {
      "[files]\nfile = [{ path = 'kit\\hwlist.ini' }]\n",
      "[files]\nfile = [{ path = 'C:\\a', version = \"1.2.3\" }]\n",
      "[files]\nfile = [{ path = 'C:\\a', signature = \"maybe\" }]\n",
      "[files]\ndrives = { D = \"floppy\" }\n",
      "[files]\nprograms = { x = { colour = 1 } }\n",
      "[files]\nunknown = 1\n",
  };
  for (const char* text : bad) {
    try {
      sim::LoadProfileText(text, "bad.toml");
      ADD_FAILURE() << text;
    } catch (const sim::ProfileError& error) {
      EXPECT_EQ(std::string(error.what()).rfind("bad.toml:", 0), 0u) << error.what();
    }
  }
}

}  // namespace
