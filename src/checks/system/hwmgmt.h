// Checks of the hardware-management support: the Windows Server 2003 R2
// component "hwmgmt" and the device of the management driver.
#pragma once

// The R2 setup is recorded as installed (in the 64-bit view on 64-bit Windows).
bool IsR2SetupInstalled();
// The optional component "hwmgmt" is recorded as installed.
bool IsHwMgmtComponentInstalled();
// The component is installed on a system that "KVIL32.DLL" classes above 7G.
bool CheckHwMgmtInstalled();
// The R2 setup is installed but the component is not, on a system that
// "KVIL32.DLL" classes above 7G.
bool CheckHwMgmtMissing();
// A present device whose first hardware id equals `hardware_id`, letter case aside.
bool HasDeviceWithHardwareId(const char* hardware_id);
