// What the file, process and trust calls have opened or been asked during
// a run, for tests to inspect.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/crt.h"

namespace crt {

// A file opened by fopen_text: its bytes as read in text mode.
struct File {
  std::string bytes;  // the raw file
  std::size_t position = 0;
  bool at_end = false;
  bool error = false;
};

}  // namespace crt

namespace sim {

// One WinVerifyTrust call as the checker made it.
struct TrustRequest {
  bool window_is_null = false;
  bool generic_verify_v2 = false;  // the action GUID
  std::uint32_t data_size = 0, file_info_size = 0;
  std::uint32_t ui_choice = 0, revocation_checks = 0, union_choice = 0, state_action = 0, prov_flags = 0;
  bool policy_data_null = false, sip_data_null = false, state_handle_null = false, url_null = false;
  bool file_handle_null = false, known_subject_null = false;
  std::u16string path;  // as passed, UTF-16
  std::int32_t result = 0;
};

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

struct FileRuntime {
  std::map<crt::File*, std::unique_ptr<crt::File>> open_files;
  std::set<std::uintptr_t> find_handles;
  std::map<std::uintptr_t, std::size_t> process_handles;  // handle to index in children
  std::map<std::uintptr_t, std::size_t> thread_handles;
  std::vector<ChildProcess> children;      // in start order
  std::vector<std::string> failed_starts;  // command lines CreateProcessA refused
  std::vector<TrustRequest> trust_requests;

  // Whether every handle and file the calls handed out has been closed.
  bool AllClosed() const {
    return open_files.empty() && find_handles.empty() && process_handles.empty() && thread_handles.empty();
  }
};

}  // namespace sim
