// A simulated Windows machine: everything the checker can observe of one.
// Tests build one in code; the native binary loads one from a profile.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "sim/machine/codepage.h"
#include "sim/machine/file_runtime.h"
#include "sim/machine/files.h"
#include "sim/machine/libraries.h"
#include "sim/machine/os_facts.h"
#include "sim/machine/process_runtime.h"
#include "sim/machine/registry.h"
#include "sim/machine/system_facts.h"
#include "sim/machine/trust_runtime.h"

namespace sim {

struct UserFacts {
  // A user who is not elevated cannot open HKLM keys for writing.
  bool elevated = true;
};

struct Machine {
  OsFacts os;
  UserFacts user;
  Registry registry;
  std::map<std::string, std::string, NoCaseLess> environment;
  std::string current_directory = "C:\\";
  std::map<std::string, Library, NoCaseLess> libraries;  // the family's, by file name
  SystemLibraryFacts system_libraries;
  FileSystem files;    // drives, folders, files and the programs CreateProcessA starts
  SystemFacts system;  // token, session and devices
  // Whether Sleep really waits; tests run on a simulated clock only.
  bool real_time = false;
};

// What the simulated calls have opened or done in the current run.
struct Runtime {
  std::uint32_t last_error = 0;
  std::uint64_t clock_ms = 0;           // simulated time, advanced by Sleep
  std::uintptr_t next_handle = 0x1000;  // handle values the calls hand out
  std::map<std::uintptr_t, OpenKey> open_keys;
  LibraryRuntime libraries;
  FileRuntime files;  // open text files and searches
  ProcessRuntime processes;
  TrustRuntime trust;
  SystemRuntime system;  // tokens, SIDs and device lists

  // What is still open of everything the calls hand out: keys, text files,
  // searches, processes and their threads, libraries, tokens, SIDs and
  // device lists, one "kind: count" per kind; empty when all is closed.
  std::string LeftOpen() const;
};

// Installs a machine as the one the platform calls see, with a fresh runtime.
void Use(Machine machine);
Machine& Current();
Runtime& CurrentRuntime();

}  // namespace sim
