// The canned machines of the tests describe one Windows folder each: the
// environment and the registry agree on where Windows is.
#include "sim/profile/known_machines.h"

#include <gtest/gtest.h>

#include <string>

#include "sim/machine/codepage.h"

namespace {

struct KnownCase {
  const char* name;
  sim::Machine machine;
  const char* windir;
};

TEST(KnownMachines, EnvironmentAndRegistryAgreeOnTheWindowsFolder) {
  const KnownCase cases[] = {
      {"Windows2000Sp4", sim::Windows2000Sp4(), "C:\\WINNT"},
      {"WindowsXpSp2", sim::WindowsXpSp2(), "C:\\WINDOWS"},
      {"WindowsXpX64", sim::WindowsXpX64(), "C:\\WINDOWS"},
      {"Server2003Sp0", sim::Server2003(0, false), "C:\\WINDOWS"},
      {"Server2003Sp2X64", sim::Server2003(2, true), "C:\\WINDOWS"},
      {"WindowsVista", sim::WindowsVista(), "C:\\Windows"},
      {"Server2008", sim::Server2008(), "C:\\Windows"},
      {"Windows7X64", sim::Windows7(true), "C:\\Windows"},
      {"Server2008R2", sim::Server2008R2(), "C:\\Windows"},
  };
  for (const KnownCase& c : cases) {
    const auto& environment = c.machine.environment;
    EXPECT_EQ(environment.at("windir"), c.windir) << c.name;
    EXPECT_TRUE(sim::EqualsNoCase(environment.at("SystemRoot"), c.windir)) << c.name;
    // The native view's installer folder, which on 64-bit Windows is the 64-bit system32.
    const sim::RegValue* location = c.machine.registry.GetValue(
        "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer", "InstallerLocation");
    ASSERT_NE(location, nullptr) << c.name;
    const std::string expected = std::string(c.windir) + "\\system32\\";
    EXPECT_TRUE(sim::EqualsNoCase(sim::WideToAnsi(sim::BytesToWide(location->data)), expected + '\0'))
        << c.name;
  }
}

}  // namespace
