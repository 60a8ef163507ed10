// Checks of the storage-port driver storport.sys against a minimum version.
#pragma once

#include <string>

// The front end's gates: STORPORTSP1 asks before Service Pack 2 of a major
// version 5 system, STORPORT everywhere else.
bool PassesStorportSp1Gate();
bool PassesStorportGate();
// storport.sys is at or above `minimum`, or the system is not Windows Server
// 2003, to which the check applies.
bool StorportMeetsMinimum(const std::string& minimum);
// `installed` is at or above `minimum`: the first pair of dotted parts that
// differ as text decides, by their numeric values; a text that runs out
// gives empty parts.
bool IsVersionAtLeast(const std::string& installed, const std::string& minimum);
