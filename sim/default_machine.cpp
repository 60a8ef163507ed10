#include "profile.h"

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
  machine.registry.SetString("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer",
                             "InstallerLocation", "C:\\WINDOWS\\system32\\");
  return machine;
}

}  // namespace sim
