#include "probes/process.h"

#include <vector>

#include "probes/handles.h"

namespace {

constexpr DWORD kPollMilliseconds = 100;
// A child that hangs (a stalled network drive, a file held by a scanner)
// must not hang the installer that waits for the checker.
constexpr DWORD kLongestWaitMilliseconds = 60000;

}  // namespace

std::int32_t RunAndWait(const std::string& command_line, const char* current_directory) {
  // CreateProcessA may write into the command line: hand it a copy.
  std::vector<char> line(command_line.begin(), command_line.end());
  line.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION child = {};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, current_directory, &startup,
                      &child))
    return -1;
  UniqueHandle process(child.hProcess);
  UniqueHandle(child.hThread).reset();

  // The process handle tells when the child has ended; its exit code alone
  // cannot, since a child may itself exit with STILL_ACTIVE (259).
  for (DWORD waited = 0; waited < kLongestWaitMilliseconds; waited += kPollMilliseconds) {
    const DWORD result = WaitForSingleObject(process.get(), kPollMilliseconds);
    if (result == WAIT_TIMEOUT) continue;
    if (result != WAIT_OBJECT_0) break;
    DWORD exit_code = 0;
    if (!GetExitCodeProcess(process.get(), &exit_code)) return -1;
    return static_cast<std::int32_t>(exit_code);
  }
  TerminateProcess(process.get(), static_cast<UINT>(-1));
  return -1;
}
