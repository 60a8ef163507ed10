// Machine profiles: a TOML description of a simulated machine, with the
// registry as .reg exports beside it.
#pragma once

#include <stdexcept>
#include <string>

#include "sim/machine/machine.h"

namespace sim {

// A profile or registry file that cannot be used; the message names the
// file and, where there is one, the line.
class ProfileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Loads a profile file; registry files it names are resolved against the
// profile's own folder.
Machine LoadProfile(const std::string& path);
// Loads a profile from text; `origin` names it in messages and gives the
// folder for relative registry file names.
Machine LoadProfileText(const std::string& text, const std::string& origin);
// A profile with its base chain resolved, as JSON: the base first, then each
// profile on top (scalar keys replace the base's, tables merge by key, lists
// are appended, a library, a device or the token's groups named again
// replace the base's whole), file names made relative to the profile that
// names them. The machine is loaded from exactly this; the Wine side of the
// scenarios realises it.
std::string ResolvedProfileJson(const std::string& path);
// The machine a native run uses when no profile is named.
Machine DefaultMachine();

}  // namespace sim
