// Everything on a machine that the keywords' checks read, in one list: the
// capture program collects a machine by it and its documentation is printed
// from it, so that a check that reads something new must say so here.
#pragma once

#include <string>

enum class ReadKind {
  kOsFacts,           // the version record, WOW64, the processor, the product type
  kToken,             // the Administrators membership of the process token
  kElevation,         // whether HKLM keys open with full access
  kSession,           // the remote-session metric
  kEnvironment,       // a variable: `where`
  kCurrentDirectory,  // and the type of its drive
  kFileBytes,         // a file relative to the current directory: `where`
  kFileVersion,       // a file's version; `where` with %windir% or %InstallerLocation%
  kPackage,           // a SIGNCHECK tag's package, its presence and trust verdict
  kDevices,           // the present devices with their hardware ids
  kLibraryCall,       // an export of a library (`where`, `what`), called for its answer
  kLibraryExport,     // an export whose presence alone is recorded: it is never called
  kRegistryKey,       // a key under HKEY_LOCAL_MACHINE: whether it opens
  kRegistryValue,     // a value of a key under HKEY_LOCAL_MACHINE
};

struct MachineRead {
  ReadKind kind;
  const char* where;
  const char* what;      // the value or export name; null for other kinds
  const char* keywords;  // the keywords whose checks read it
};

struct MachineReads {
  const MachineRead* first;
  const MachineRead* last;
  const MachineRead* begin() const { return first; }
  const MachineRead* end() const { return last; }
};
MachineReads AllMachineReads();

// The list as a Markdown table, for the capture's documentation.
std::string DescribeMachineReads();
