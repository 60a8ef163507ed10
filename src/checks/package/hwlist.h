// The package's hardware list file, hwlist.ini, in the current directory.
#pragma once

#include <string>

// The value of the first line that yields one; empty when the file cannot be
// opened or no line does. A value returned is never empty.
std::string ReadHwListProductVersion();

// Whether one line yields the product version, and the value it yields: the
// line mentions "ProductVersion" (case-sensitive) and its first "=" is
// neither its first nor its last character. The line ends at its first NUL.
bool ProductVersionFromLine(const char* line, std::string& value);
