// The child processes CreateProcessA has started during a run, and the
// handles to them still open.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace sim {

constexpr std::uint64_t kNever = UINT64_MAX;

// One CreateProcessA call that started a child.
struct ChildProcess {
  std::string command_line;
  std::string current_directory;  // the child's, resolved
  std::uint32_t startup_info_size = 0;
  bool inherit_handles = false;
  std::uint32_t creation_flags = 0;
  std::uint64_t ends_at_ms = 0;  // kNever: runs until TerminateProcess ends it
  std::uint32_t exit_code = 0;
  bool exit_code_query_fails = false;
  bool terminated = false;  // ended by TerminateProcess
};

struct ProcessRuntime {
  std::map<std::uintptr_t, std::size_t> process_handles;  // handle to index in children
  std::map<std::uintptr_t, std::size_t> thread_handles;
  std::vector<ChildProcess> children;      // in start order
  std::vector<std::string> failed_starts;  // command lines CreateProcessA refused
};

}  // namespace sim
