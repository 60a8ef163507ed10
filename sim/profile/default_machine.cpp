#include "sim/machine/files.h"
#include "sim/profile/profile.h"

namespace sim {

// Windows Server 2003 SP2, 32-bit, an elevated administrator, nothing of the
// family installed.
Machine DefaultMachine() {
  Machine machine;
  machine.os = OsFacts();
  machine.environment = {{"windir", "C:\\WINDOWS"},
                         {"temp", "C:\\DOCUME~1\\ADMINI~1\\LOCALS~1\\Temp"},
                         {"SystemRoot", "C:\\WINDOWS"}};
  machine.current_directory = "C:\\Documents and Settings\\Administrator";
  // The system files the checks read, at the versions Service Pack 2 installs.
  machine.files.AddVersionedFile("C:\\WINDOWS\\system32\\msiexec.exe", {3, 1, 4001, 5512});
  machine.files.AddVersionedFile("C:\\WINDOWS\\system32\\drivers\\storport.sys", {5, 2, 3790, 3959});
  machine.files.AddFolder(machine.environment["temp"]);
  machine.files.AddFolder(machine.current_directory);
  machine.registry.SetString("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer",
                             "InstallerLocation", "C:\\WINDOWS\\system32\\");
  return machine;
}

}  // namespace sim
