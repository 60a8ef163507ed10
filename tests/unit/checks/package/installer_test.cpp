#include "checks/package/installer.h"

#include <gtest/gtest.h>

#include "platform/system_libraries.h"
#include "probes/os_facts.h"
#include "probes/registry.h"
#include "sim/profile/known_machines.h"
#include "support/installed_machine.h"

namespace {

const char kInstallerKey[] = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer";

TEST(IsInstallerVersionBelowMinimum, SplitsMajorAndMinor) {
  const struct {
    const char* version;
    bool below;
  } cases[] = {
      {"2.0.3790.0", true},      {"3.0.3790.2180", true}, {"3.1.4000.1823", false},
      {"4.5.6001.22159", false}, {"10.0.1.1", false},     {"03.01.0.0", false},
      {"03.00.0.0", true},       {"3.1", false},          {"", false},
      {".3.0", false},           {"2.", false},           {"2..1", false},
      {"2.0\n", false},          {"2.0.0.0\n", true},     {"x.y.z", true},  // atoi gives 0.0
  };
  for (const auto& c : cases) EXPECT_EQ(IsInstallerVersionBelowMinimum(c.version), c.below) << c.version;
}

bool RunMsiCheck(sim::Machine machine) {
  InstalledMachine scoped(std::move(machine));
  SystemLibraryScope libraries;
  CaptureOsVersion();
  return IsInstallerVersionSufficient();
}

sim::Machine WithMsiexec(sim::Machine machine, std::array<std::uint16_t, 4> version,
                         const char* location = "C:\\WINDOWS\\system32\\") {
  const std::string key = machine.os.is_64bit
                              ? "HKLM\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Installer"
                              : kInstallerKey;
  machine.registry.SetString(key, "InstallerLocation", location);
  machine.files.AddVersionedFile(std::string(location) + "\\msiexec.exe", version);
  machine.files.AddFolder(machine.environment["temp"]);
  return machine;
}

TEST(IsInstallerVersionSufficient, HoldsServer2003ToVersion31) {
  const struct {
    const char* name;
    sim::Machine machine;
    bool sufficient;
  } cases[] = {
      {"Server2003With30", WithMsiexec(sim::Server2003(1, false), {3, 0, 3790, 2180}), false},
      {"Server2003With20", WithMsiexec(sim::Server2003(0, false), {2, 0, 3790, 0}), false},
      {"Server2003With31", WithMsiexec(sim::Server2003(1, false), {3, 1, 4000, 1823}), true},
      {"Server2003x64With30ThroughCompanion", WithMsiexec(sim::Server2003(1, true), {3, 0, 3790, 2180}),
       false},
      {"Server2003x64With45ThroughCompanion", WithMsiexec(sim::Server2003(2, true), {4, 5, 6001, 22159}),
       true},
      {"XpIsNotTested", WithMsiexec(sim::WindowsXpSp2(), {2, 0, 2600, 0}), true},
      {"XpX64IsNotTested", WithMsiexec(sim::WindowsXpX64(), {2, 0, 2600, 0}), true},
      {"VistaIsNotTested", WithMsiexec(sim::WindowsVista(), {2, 0, 0, 0}), true},
      {"Server2008IsNotTested", WithMsiexec(sim::Server2008(), {2, 0, 0, 0}), true},
      {"LocationWithoutBackslash",
       WithMsiexec(sim::Server2003(1, false), {3, 0, 1, 1}, "C:\\WINDOWS\\system32"), false},
      {"NoMsiexecAtTheLocation", sim::Server2003(1, false), true},
  };
  for (const auto& c : cases) EXPECT_EQ(RunMsiCheck(c.machine), c.sufficient) << c.name;

  sim::Machine no_location = WithMsiexec(sim::Server2003(1, false), {2, 0, 0, 0});
  no_location.registry.DeleteValue(kInstallerKey, "InstallerLocation");
  EXPECT_TRUE(RunMsiCheck(no_location));
}

TEST(IsInstallerVersionSufficient, PassesTheDoubledBackslashToTheCompanion) {
  sim::Machine machine = WithMsiexec(sim::Server2003(1, true), {3, 0, 3790, 2180});
  InstalledMachine scoped(machine);
  CaptureOsVersion();
  EXPECT_FALSE(IsInstallerVersionSufficient());
  ASSERT_EQ(sim::CurrentRuntime().processes.children.size(), 1u);
  EXPECT_EQ(sim::CurrentRuntime().processes.children[0].command_line.rfind(
                "fileversion_x64 C:\\WINDOWS\\system32\\\\msiexec.exe ", 0),
            0u);
}

TEST(InstallerBusyMarker, IsReadInTheProcessView) {
  const struct {
    const char* name;
    bool sixty_four_bit;
    const char* key;  // null: none
    bool busy;
  } cases[] = {
      {"Busy", false, "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\InProgress", true},
      {"Idle", false, nullptr, false},
      {"BusyIn32BitView", true,
       "HKLM\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Installer\\InProgress", true},
      {"OnlyIn64BitView", true, "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\InProgress",
       false},
  };
  for (const auto& c : cases) {
    sim::Machine machine = sim::Server2003(2, c.sixty_four_bit);
    if (c.key) machine.registry.Create(c.key);
    InstalledMachine scoped(machine);
    EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, kInstallerBusyKey), c.busy) << c.name;
  }
}

}  // namespace
