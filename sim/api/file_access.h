// How the simulated calls of the checker's own process reach files.
#pragma once

#include <string>
#include <string_view>

namespace sim {

// The full path that the checker, a 32-bit process, reaches for a path: on
// 64-bit Windows its %windir%\system32 is redirected to %windir%\SysWOW64.
std::string CheckerFullPath(std::string_view path);
// The full path a 64-bit process started in `current_directory` reaches.
std::string NativeFullPath(std::string_view path, std::string_view current_directory);

}  // namespace sim
