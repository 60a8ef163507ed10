// CreateProcessA and the calls on the child's handles. Children are the
// machine's programs, run to their end at once; only their exit is timed,
// on the simulated clock.
#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"
#include "sim/api/file_access.h"
#include "sim/api/support.h"
#include "sim/machine/machine.h"
#include "tools/fileversion_x64/command_line.h"

namespace sim {
namespace {

constexpr DWORD kBadExeFormat = 193;  // ERROR_BAD_EXE_FORMAT: a 64-bit program on 32-bit Windows
constexpr DWORD kDirectory = 267;     // ERROR_DIRECTORY: the child's directory does not exist

// The program a command line starts: its first token without folder or ".exe".
std::string ProgramName(const std::string& command_line) {
  std::string token;
  if (!command_line.empty() && command_line[0] == '"') {
    const std::size_t close = command_line.find('"', 1);
    token = command_line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
  } else {
    token = command_line.substr(0, command_line.find_first_of(" \t"));
  }
  const std::size_t slash = token.find_last_of("\\/");
  if (slash != std::string::npos) token = token.substr(slash + 1);
  if (token.size() > 4 && EqualsNoCase(token.substr(token.size() - 4), ".exe"))
    token.resize(token.size() - 4);
  return token;
}

// fileversion_x64: exit 0 after writing FILE's version to OUTFILE; 1 when
// the command line does not name both, 2 without a version, 3 when the
// output cannot be written. One that never exits hangs before it writes.
std::uint32_t RunFileVersion(const Program& program, const std::string& command_line,
                             const std::string& directory) {
  if (program.exit_code != 0) return static_cast<std::uint32_t>(program.exit_code);
  if (!program.writes_output || program.never_exits) return 0;
  FileSystem& fs = Current().files;
  const auto is_file = [&](const std::string& path) {
    return fs.FindFile(NativeFullPath(path, directory)) != nullptr;
  };
  std::string file, output;
  if (!companion::SplitCommandLine(command_line, is_file, file, output)) return 1;
  const SimFile* target = fs.FindFile(NativeFullPath(file, directory));
  if (!target || !target->version) return 2;
  const std::string output_path = NativeFullPath(output, directory);
  if (output_path.empty() || !fs.IsFolder(ParentOf(output_path)) || fs.IsFolder(output_path)) return 3;
  const auto& v = *target->version;
  char text[32];
  std::snprintf(text, sizeof(text), "%d.%d.%d.%d", v[0], v[1], v[2], v[3]);
  SimFile& written = fs.files[output_path];
  written = SimFile();
  written.content = text;
  return 0;
}

ChildProcess* ChildOf(HANDLE handle, bool threads_too) {
  ProcessRuntime& processes = CurrentRuntime().processes;
  const auto value = reinterpret_cast<std::uintptr_t>(handle);
  auto found = processes.process_handles.find(value);
  if (found != processes.process_handles.end()) return &processes.children[found->second];
  if (threads_too) {
    found = processes.thread_handles.find(value);
    if (found != processes.thread_handles.end()) return &processes.children[found->second];
  }
  return nullptr;
}

}  // namespace
}  // namespace sim

// The bodies; the platform names are defined in traced_api.cpp.
namespace sim::served {

BOOL WINAPI CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine, LPSECURITY_ATTRIBUTES,
                           LPSECURITY_ATTRIBUTES, BOOL bInheritHandles, DWORD dwCreationFlags, LPVOID,
                           LPCSTR lpCurrentDirectory, LPSTARTUPINFOA lpStartupInfo,
                           LPPROCESS_INFORMATION lpProcessInformation) {
  Runtime& runtime = CurrentRuntime();
  if ((!lpApplicationName && !lpCommandLine) || !lpStartupInfo || !lpProcessInformation)
    return Fail(ERROR_INVALID_PARAMETER);
  const std::string command_line = lpCommandLine ? lpCommandLine : lpApplicationName;
  const std::string name = ProgramName(lpApplicationName ? lpApplicationName : command_line);
  auto program = Current().files.programs.find(name);
  if (program == Current().files.programs.end()) {
    runtime.processes.failed_starts.push_back(command_line);
    return Fail(ERROR_FILE_NOT_FOUND);
  }
  if (program->second.sixty_four_bit && !Current().os.is_64bit) {
    runtime.processes.failed_starts.push_back(command_line);
    return Fail(kBadExeFormat);
  }
  std::string directory = Current().current_directory;
  if (lpCurrentDirectory) {
    directory = CheckerFullPath(lpCurrentDirectory);
    if (!Current().files.IsFolder(directory)) {
      runtime.processes.failed_starts.push_back(command_line);
      return Fail(kDirectory);
    }
  }

  ChildProcess child;
  child.command_line = command_line;
  child.current_directory = directory;
  child.startup_info_size = lpStartupInfo->cb;
  child.inherit_handles = bInheritHandles != FALSE;
  child.creation_flags = dwCreationFlags;
  child.ends_at_ms = program->second.never_exits ? kNever : runtime.clock_ms + program->second.runs_ms;
  child.exit_code_query_fails = program->second.exit_code_query_fails;
  child.exit_code = program->second.kind == Program::Kind::kFileVersion
                        ? RunFileVersion(program->second, command_line, directory)
                        : static_cast<std::uint32_t>(program->second.exit_code);
  runtime.processes.children.push_back(child);

  const std::size_t index = runtime.processes.children.size() - 1;
  const std::uintptr_t process = NewHandle();
  const std::uintptr_t thread = NewHandle();
  runtime.processes.process_handles[process] = index;
  runtime.processes.thread_handles[thread] = index;
  lpProcessInformation->hProcess = reinterpret_cast<HANDLE>(process);
  lpProcessInformation->hThread = reinterpret_cast<HANDLE>(thread);
  lpProcessInformation->dwProcessId = static_cast<DWORD>(1000 + 4 * index);
  lpProcessInformation->dwThreadId = static_cast<DWORD>(1002 + 4 * index);
  return TRUE;
}

BOOL WINAPI GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode) {
  ChildProcess* child = ChildOf(hProcess, false);
  if (!child || !lpExitCode) return Fail(ERROR_INVALID_HANDLE);
  if (child->exit_code_query_fails) return Fail(ERROR_ACCESS_DENIED);
  *lpExitCode = CurrentRuntime().clock_ms >= child->ends_at_ms ? child->exit_code : STILL_ACTIVE;
  return TRUE;
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  ChildProcess* child = ChildOf(hHandle, true);
  if (!child) return Fail(ERROR_INVALID_HANDLE, WAIT_FAILED);
  const std::uint64_t now = CurrentRuntime().clock_ms;
  if (now >= child->ends_at_ms) return WAIT_OBJECT_0;
  if (child->ends_at_ms == kNever && dwMilliseconds == INFINITE) {
    // The checker would hang here for good: make that a failure, not a stuck test.
    std::fprintf(stderr, "kvchecks simulator: an endless wait on a child that never exits\n");
    std::abort();
  }
  const std::uint64_t remaining = child->ends_at_ms - now;
  if (dwMilliseconds != INFINITE && dwMilliseconds < remaining) {
    Advance(dwMilliseconds);
    return WAIT_TIMEOUT;
  }
  Advance(remaining);
  return WAIT_OBJECT_0;
}

BOOL WINAPI TerminateProcess(HANDLE hProcess, UINT uExitCode) {
  ChildProcess* child = ChildOf(hProcess, false);
  if (!child) return Fail(ERROR_INVALID_HANDLE);
  // An ended process can no longer be terminated.
  if (CurrentRuntime().clock_ms >= child->ends_at_ms) return Fail(ERROR_ACCESS_DENIED);
  child->ends_at_ms = CurrentRuntime().clock_ms;
  child->exit_code = uExitCode;
  child->terminated = true;
  return TRUE;
}

}  // namespace sim::served
