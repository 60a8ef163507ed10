// Machine profiles: the tables they hold, base profiles, the registry files
// they name, and the errors that stop a run before it starts.
#include "sim/profile/profile.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/startup.h"

namespace {

// A fresh folder of profile files for each test.
class Profiles : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = testing::TempDir() + "kvchecks-profiles-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = folder_ + "/" + name;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  std::string folder_;
};

TEST_F(Profiles, LoadsEveryTable) {
  Write("registry/kelvane.reg",
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Norvik Computer Corporation\\Kelvane]\r\n"
        "\"Version\"=\"4.2\"\r\n");
  const std::string path = Write("machine.toml", R"(
[os]
major = 5
minor = 1
build = 2600
platform = 2
service_pack = "Service Pack 2"
service_pack_major = 2
service_pack_minor = 1
suite_mask = 0x100
product_type = 1
sixty_four_bit = false
native_architecture = "x86"
product_info = 0
entry_points = { GetNativeSystemInfo = false }

[user]
elevated = false

[environment]
windir = 'C:\WINDOWS'
TEMP = 'C:\Temp'

[process]
current_directory = 'D:\kit'

[registry]
import = ["registry/kelvane.reg"]
deny_read = ['HKLM\SOFTWARE\Locked']

[libraries."KVIL32.DLL"]
CheckForOldKVNode = 1
IsSystem7GOrLower = -1
)");
  const sim::Machine machine = sim::LoadProfile(path);
  EXPECT_EQ(machine.os.major, 5u);
  EXPECT_EQ(machine.os.minor, 1u);
  EXPECT_EQ(machine.os.build, 2600u);
  EXPECT_EQ(machine.os.csd_version, "Service Pack 2");
  EXPECT_EQ(machine.os.sp_major, 2);
  EXPECT_EQ(machine.os.sp_minor, 1);
  EXPECT_EQ(machine.os.suite_mask, 0x100);
  EXPECT_EQ(machine.os.product_type, 1);
  EXPECT_FALSE(machine.os.is_64bit);
  EXPECT_EQ(machine.os.NativeArchitecture(), 0);
  EXPECT_FALSE(machine.os.HasEntryPoint("GetNativeSystemInfo"));
  EXPECT_TRUE(machine.os.HasEntryPoint("IsWow64Process"));  // XP SP2 has it
  EXPECT_FALSE(machine.user.elevated);
  EXPECT_EQ(machine.environment.at("WINDIR"), "C:\\WINDOWS");
  EXPECT_EQ(machine.environment.at("temp"), "C:\\Temp");
  EXPECT_EQ(machine.current_directory, "D:\\kit");
  EXPECT_NE(machine.registry.GetValue("HKLM\\SOFTWARE\\Norvik Computer Corporation\\Kelvane", "Version"),
            nullptr);
  ASSERT_NE(machine.registry.Find("HKLM\\SOFTWARE\\Locked"), nullptr);
  EXPECT_TRUE(machine.registry.Find("HKLM\\SOFTWARE\\Locked")->deny_read);
  EXPECT_EQ(machine.libraries.at("kvil32.dll").exports.at("CheckForOldKVNode"), 1);
  EXPECT_EQ(machine.libraries.at("KVIL32.DLL").exports.at("IsSystem7GOrLower"), -1);
}

TEST_F(Profiles, ABaseChainAppliesEachProfileOnTopOfItsBase) {
  Write("shipped/base.reg",
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor]\n\"Kept\"=\"base\"\n\"Changed\"=\"base\"\n");
  Write("shipped/server.toml", R"(
[os]
major = 5
minor = 2
service_pack_major = 1
[environment]
windir = 'C:\WINDOWS'
temp = 'C:\base-temp'
[registry]
import = ["base.reg"]
[libraries."KVIL32.DLL"]
CheckForOldKVNode = 0
)");
  Write("machines/middle.toml", R"(
base = "../shipped/server.toml"
[os]
service_pack_major = 2
[environment]
temp = 'C:\middle-temp'
)");
  Write("machines/top.reg", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor]\n\"Changed\"=\"top\"\n");
  const std::string top = Write("machines/top.toml", R"(
base = "middle.toml"
[os]
sixty_four_bit = true
[registry]
import = ["top.reg"]
[libraries."KxDbLib.dll"]
StartServer = 0
)");
  const sim::Machine machine = sim::LoadProfile(top);
  EXPECT_EQ(machine.os.major, 5u) << "kept from the first base";
  EXPECT_EQ(machine.os.sp_major, 2) << "replaced by the middle profile";
  EXPECT_TRUE(machine.os.is_64bit) << "set by the top profile";
  EXPECT_EQ(machine.environment.at("windir"), "C:\\WINDOWS");
  EXPECT_EQ(machine.environment.at("temp"), "C:\\middle-temp");
  const std::string vendor = "HKLM\\SOFTWARE\\Vendor";
  ASSERT_NE(machine.registry.GetValue(vendor, "Kept"), nullptr);
  EXPECT_EQ(machine.registry.GetValue(vendor, "Changed")->data, sim::WideBytes(std::u16string(u"top\0", 4)))
      << "imported last";
  EXPECT_EQ(machine.libraries.size(), 2u);
}

TEST_F(Profiles, NamesAgainInOtherCaseOrAsATokenKindReplaceTheBase) {
  Write("base.toml", R"(
[environment]
temp = 'C:\base-temp'
[libraries."kvil32.dll"]
CheckForOldKVNode = 1
[devices.'root\x\0000']
hardware_ids = ["a"]
[[token.groups]]
sid = "S-1-5-32-545"
)");
  const std::string top = Write("top.toml", R"(
base = "base.toml"
[environment]
TEMP = 'C:\top-temp'
[libraries."KVIL32.DLL"]
IsSystem7GOrLower = 0
[devices.'ROOT\X\0000']
hardware_ids = ["b"]
[token]
kind = "standard_user"
)");
  const sim::Machine machine = sim::LoadProfile(top);
  // Windows names match without regard to case: the top's entry is the one
  // left, though its spelling sorts before the base's.
  EXPECT_EQ(machine.environment.size(), 1u);
  EXPECT_EQ(machine.environment.at("TEMP"), "C:\\top-temp");
  ASSERT_EQ(machine.libraries.size(), 1u);
  EXPECT_EQ(machine.libraries.begin()->second.exports.count("CheckForOldKVNode"), 0u);
  std::size_t named = 0;
  for (const sim::Device& device : machine.system.devices.devices)
    if (sim::EqualsNoCase(device.instance_id, "ROOT\\X\\0000")) {
      ++named;
      EXPECT_EQ(device.hardware_ids, std::vector<std::string>{"b"});
    }
  EXPECT_EQ(named, 1u);
  // A kind stands for its whole list of groups, the base's list included.
  EXPECT_EQ(machine.system.token.groups.size(), sim::StandardUserToken().groups.size());
}

struct BadProfileCase {
  const char* name;
  std::string text;
  int line;
  const char* says;
};

TEST_F(Profiles, MalformedProfilesNameTheFileAndLine) {
  Write("bad.reg", "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor]\n\"A\"=hex:0q\n");
  Write("loop-a.toml", "base = \"loop-b.toml\"\n");
  Write("loop-b.toml", "base = \"loop-a.toml\"\n");
  const BadProfileCase cases[] = {
      {"UnknownSection", "[os]\nmajor = 5\n\n[drives]\nC = \"fixed\"\n", 4, "unknown section \"drives\""},
      {"UnknownKey", "[os]\nmajor = 5\nservicepack = 2\n", 3, "unknown key \"servicepack\""},
      {"UnknownUserKey", "[user]\nadmin = true\n", 2, "unknown key \"admin\""},
      {"WrongType", "[os]\nmajor = \"5\"\n", 2, "\"major\" must be an integer"},
      {"WrongBoolType", "[user]\nelevated = 1\n", 2, "true or false"},
      {"OutOfRange", "[os]\nproduct_type = 300\n", 2, "between 0 and 255"},
      {"UnknownArchitecture", "[os]\nnative_architecture = \"arm\"\n", 2, "native_architecture"},
      {"UnknownEntryPoint", "[os]\nentry_points = { GetTickCount64 = true }\n", 2, "GetTickCount64"},
      {"SectionNotATable", "os = 5\n", 1, "must be a table"},
      {"TomlSyntax", "[os]\nmajor = = 5\n", 2, ""},
      {"EnvironmentNotText", "[environment]\ntemp = 3\n", 2, "\"temp\" must be a string"},
      {"ExportNotAnInteger", "[libraries.\"KVIL32.DLL\"]\nCheckForOldKVNode = \"yes\"\n", 2,
       "CheckForOldKVNode"},
      {"ImportNotAList", "[registry]\nimport = \"a.reg\"\n", 2, "list of strings"},
      {"DenyReadWithoutRoot", "[registry]\ndeny_read = ['SOFTWARE\\X']\n", 2, "registry root"},
      {"BaseNotText", "base = 3\n", 1, "\"base\""},
      {"BaseLoop", "base = \"loop-a.toml\"\n", 1, "nest too deeply"},
  };
  for (const BadProfileCase& c : cases) {
    const std::string path = Write("bad.toml", c.text);
    try {
      sim::LoadProfile(path);
      ADD_FAILURE() << c.name << ": no error";
    } catch (const sim::ProfileError& error) {
      const std::string message = error.what();
      const std::string where = path + ":" + std::to_string(c.line) + ": ";
      if (std::string(c.name) == "BaseLoop") {
        // The loop is found in one of the two looping files, at its base line.
        EXPECT_NE(message.find("loop-"), std::string::npos) << c.name << ": " << message;
      } else {
        EXPECT_EQ(message.rfind(where, 0), 0u) << c.name << ": " << message;
      }
      EXPECT_NE(message.find(c.says), std::string::npos) << c.name << ": " << message;
    }
  }
}

TEST_F(Profiles, FilesAProfileNamesMustBeUsable) {
  struct Case {
    const char* name;
    std::string text;
    std::string names;  // the file the message must name
    const char* says;
  };
  const Case cases[] = {
      {"MalformedRegistryFile", "[registry]\nimport = [\"bad.reg\"]\n", folder_ + "/bad.reg:4: ", "\"A\""},
      {"MissingRegistryFile", "[registry]\nimport = [\"absent.reg\"]\n", folder_ + "/absent.reg",
       "cannot be read"},
      {"MissingBase", "base = \"absent.toml\"\n", folder_ + "/absent.toml", "cannot be read"},
  };
  Write("bad.reg", "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor]\n\"A\"=hex:0q\n");
  for (const Case& c : cases) {
    const std::string path = Write("uses.toml", c.text);
    try {
      sim::LoadProfile(path);
      ADD_FAILURE() << c.name << ": no error";
    } catch (const sim::ProfileError& error) {
      const std::string message = error.what();
      EXPECT_EQ(message.rfind(c.names, 0), 0u) << c.name << ": " << message;
      EXPECT_NE(message.find(c.says), std::string::npos) << c.name << ": " << message;
    }
  }
}

TEST_F(Profiles, TheNativeBinaryRefusesAMalformedProfile) {
  const std::string path = Write("typo.toml", "[os]\nmajor = 5\nminr = 2\n");
  setenv("KVCHECKS_MACHINE", path.c_str(), 1);
  testing::internal::CaptureStderr();
  testing::internal::CaptureStdout();
  const int refusal = AttachPlatform();
  const std::string out = testing::internal::GetCapturedStdout();
  const std::string err = testing::internal::GetCapturedStderr();
  unsetenv("KVCHECKS_MACHINE");
  EXPECT_EQ(refusal, 2);
  EXPECT_EQ(err, "kvchecks: " + path + ":3: unknown key \"minr\"\n");
  EXPECT_EQ(out, "");
}

}  // namespace

// Paths and names are UTF-8 in the file and the code page's bytes on the
// machine, where the ANSI calls hand them out: "é" is the one byte 0xE9.
TEST(ProfileText, NamesAndPathsAreHeldInTheCodePage) {
  const sim::Machine machine = sim::LoadProfileText(R"(
[os]
service_pack = "Service Pack 2 é"
[environment]
temp = 'C:\Temp é'
[process]
current_directory = 'D:\Kit Médias'
[files]
folders = ['D:\Fünf']
[[files.file]]
path = 'D:\Kit Médias\hwlist.ini'
[devices.'ROOT\X\0000']
hardware_ids = ["*imbdrvé"]
)",
                                                    "text.toml");
  EXPECT_EQ(machine.os.csd_version, "Service Pack 2 \xE9");
  EXPECT_EQ(machine.environment.at("temp"), "C:\\Temp \xE9");
  EXPECT_EQ(machine.current_directory,
            "D:\\Kit M\xE9"
            "dias");
  EXPECT_TRUE(machine.files.IsFolder("D:\\F\xFCnf"));
  EXPECT_NE(machine.files.FindFile("D:\\Kit M\xE9"
                                   "dias\\hwlist.ini"),
            nullptr);
  bool found = false;
  for (const sim::Device& device : machine.system.devices.devices)
    found = found || (!device.hardware_ids.empty() && device.hardware_ids[0] == "*imbdrv\xE9");
  EXPECT_TRUE(found);
}
