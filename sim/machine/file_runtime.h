// The files and searches the file calls hold open during a run.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "platform/crt.h"

namespace crt {

// A file opened by fopen_text, read in text mode, or by fopen_binary.
struct File {
  std::string bytes;  // the raw file
  bool binary = false;
  std::size_t position = 0;
  bool at_end = false;
  bool error = false;
};

}  // namespace crt

namespace sim {

struct FileRuntime {
  std::map<crt::File*, std::unique_ptr<crt::File>> open_files;
  std::set<std::uintptr_t> find_handles;
};

}  // namespace sim
