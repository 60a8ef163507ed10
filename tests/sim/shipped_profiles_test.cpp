// The example machine profiles that ship with the checker load, and say
// what their names promise.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "probes/os_facts.h"
#include "probes/registry.h"
#include "sim/machine/machine.h"
#include "sim/profile/profile.h"
#include "support/installed_machine.h"
#include "support/nothing_left_open.h"

namespace {

const std::string kProfiles = KVCHECKS_PROFILES;
constexpr char kInstaller[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer";

TEST(ShippedProfiles, EveryProfileLoads) {
  int loaded = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kProfiles)) {
    if (entry.path().extension() != ".toml") continue;
    EXPECT_NO_THROW(sim::LoadProfile(entry.path().string())) << entry.path();
    ++loaded;
  }
  EXPECT_GT(loaded, 0);
}

struct ShippedCase {
  const char* file;
  std::uint32_t major, minor, build;
  std::uint16_t service_pack;
  std::uint8_t product_type;
  bool sixty_four_bit;
  std::uint32_t product_info;
  const char* windir;
  const char* installer_location;  // as the 32-bit checker reads it
  bool has_is_wow64_process;
};

TEST(ShippedProfiles, DescribeTheReleasesTheyAreNamedFor) {
  const ShippedCase cases[] = {
      {"server2003-sp2.toml", 5, 2, 3790, 2, 3, false, 0, "C:\\WINDOWS", "C:\\WINDOWS\\system32\\", true},
      {"windows2000-sp4.toml", 5, 0, 2195, 4, 3, false, 0, "C:\\WINNT", "C:\\WINNT\\system32\\", false},
      {"windows-xp-sp2.toml", 5, 1, 2600, 2, 1, false, 0, "C:\\WINDOWS", "C:\\WINDOWS\\system32\\", true},
      {"server2003-sp1-x64.toml", 5, 2, 3790, 1, 3, true, 0, "C:\\WINDOWS", "C:\\WINDOWS\\SysWOW64\\", true},
      {"server2008r2-core.toml", 6, 1, 7601, 1, 3, true, 13, "C:\\Windows", "C:\\Windows\\SysWOW64\\", true},
      {"windows-xp-sp2-x64.toml", 5, 2, 3790, 2, 1, true, 0, "C:\\WINDOWS", "C:\\WINDOWS\\SysWOW64\\", true},
      {"windows-vista-sp2.toml", 6, 0, 6002, 2, 1, false, 6, "C:\\Windows", "C:\\Windows\\system32\\", true},
      {"server2008-sp2.toml", 6, 0, 6002, 2, 3, false, 10, "C:\\Windows", "C:\\Windows\\system32\\", true},
      {"windows7-sp1.toml", 6, 1, 7601, 1, 1, false, 4, "C:\\Windows", "C:\\Windows\\system32\\", true},
      {"windows7-sp1-x64.toml", 6, 1, 7601, 1, 1, true, 4, "C:\\Windows", "C:\\Windows\\SysWOW64\\", true},
  };
  for (const ShippedCase& c : cases) {
    InstalledMachine machine(sim::LoadProfile(kProfiles + "/" + c.file));
    CaptureOsVersion();
    EXPECT_EQ(OsVersionRecord.dwMajorVersion, c.major) << c.file;
    EXPECT_EQ(OsVersionRecord.dwMinorVersion, c.minor) << c.file;
    EXPECT_EQ(OsVersionRecord.dwBuildNumber, c.build) << c.file;
    EXPECT_EQ(OsVersionRecord.wServicePackMajor, c.service_pack) << c.file;
    EXPECT_EQ(OsVersionRecord.szCSDVersion, "Service Pack " + std::to_string(c.service_pack)) << c.file;
    EXPECT_EQ(OsVersionRecord.wProductType, c.product_type) << c.file;
    EXPECT_EQ(IsRunningUnderWow64(), c.sixty_four_bit) << c.file;
    EXPECT_EQ(sim::Current().os.product_info, c.product_info) << c.file;
    EXPECT_EQ(sim::Current().os.HasEntryPoint("IsWow64Process"), c.has_is_wow64_process) << c.file;
    EXPECT_EQ(sim::Current().environment.at("windir"), c.windir) << c.file;
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, kInstaller, "InstallerLocation"), c.installer_location)
        << c.file;
    EXPECT_TRUE(NothingLeftOpen()) << c.file;
  }
}

// Every key and value of a registry, flattened for comparison.
using Entry = std::tuple<std::string, std::string, std::uint32_t, std::vector<std::uint8_t>, bool>;
void Flatten(const sim::RegKey& key, const std::string& path, std::set<Entry>& out) {
  out.insert({path, "", 0xFFFFFFFFu, {}, key.deny_read});
  for (const auto& [name, value] : key.values) out.insert({path, value.name, value.type, value.data, false});
  for (const auto& [name, child] : key.subkeys) Flatten(*child, path + "\\" + child->name, out);
}
std::set<Entry> Flatten(const sim::Registry& registry) {
  std::set<Entry> out;
  for (const char* root :
       {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS", "HKEY_CURRENT_CONFIG"})
    Flatten(*registry.Find(root), root, out);
  return out;
}

TEST(ShippedProfiles, Server2003Sp2IsTheDefaultMachine) {
  const sim::Machine profile = sim::LoadProfile(kProfiles + "/server2003-sp2.toml");
  const sim::Machine built_in = sim::DefaultMachine();
  const auto os_fields = [](const sim::OsFacts& os) {
    return std::make_tuple(os.major, os.minor, os.build, os.platform, os.csd_version, os.sp_major,
                           os.sp_minor, os.suite_mask, os.product_type, os.version_call_fails, os.is_64bit,
                           os.NativeArchitecture(), os.wow64_call_fails, os.product_info,
                           os.HasEntryPoint("IsWow64Process"), os.HasEntryPoint("GetNativeSystemInfo"),
                           os.HasEntryPoint("GetProductInfo"));
  };
  EXPECT_EQ(os_fields(profile.os), os_fields(built_in.os));
  EXPECT_EQ(profile.user.elevated, built_in.user.elevated);
  EXPECT_EQ(profile.environment, built_in.environment);
  EXPECT_EQ(profile.current_directory, built_in.current_directory);
  EXPECT_EQ(profile.libraries.size(), built_in.libraries.size());
  EXPECT_EQ(Flatten(profile.registry), Flatten(built_in.registry));
  EXPECT_EQ(profile.registry.quota_exhausted, built_in.registry.quota_exhausted);
  const auto file_fields = [](const sim::FileSystem& files) {
    std::vector<std::tuple<std::string, std::string, bool, std::array<std::uint16_t, 4>>> fields;
    for (const auto& [path, file] : files.files)
      fields.emplace_back(path, file.content, file.version.has_value(),
                          file.version.value_or(std::array<std::uint16_t, 4>{}));
    return std::make_tuple(fields, std::vector<std::string>(files.folders.begin(), files.folders.end()),
                           files.drives);
  };
  EXPECT_EQ(file_fields(profile.files), file_fields(built_in.files));
}

}  // namespace
