// The Windows registry export format (.reg files), as regedit and reg export
// write them.
#pragma once

#include <string>
#include <string_view>

#include "sim/machine/registry.h"

namespace sim {

// Applies a .reg file to the registry: keys, values and the deletion forms.
// Throws ProfileError naming the file and line when the file is malformed.
void ImportRegFile(const std::string& path, Registry& registry);
// The same for the file's raw bytes (ANSI, or UTF-16LE with a byte-order mark).
void ImportRegBytes(std::string_view bytes, const std::string& origin, Registry& registry);

}  // namespace sim
