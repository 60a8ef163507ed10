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
// The machine a native run uses when no profile is named.
Machine DefaultMachine();

}  // namespace sim
