/* Starts a program with an environment that Wine cannot give it from the
   registry: variables set to the empty string, removed, or too long for a
   command line. Wine drops an empty value of HKCU\Environment and keeps the
   system's, so an empty or a missing "temp" needs a parent that makes it.

     launch_with_environment.exe SETTINGS -- PROGRAM ARGUMENTS...

   SETTINGS names a file of lines "NAME=VALUE" (VALUE may be empty) and
   "-NAME" (remove NAME). Everything after the first " -- " of the raw command
   line is the child's command line, byte for byte; the child inherits the
   standard handles and the current directory, and its exit code is ours. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

static int apply_settings(const char* path) {
  FILE* file = fopen(path, "rb");
  static char line[40000];
  if (!file) return 0;
  while (fgets(line, sizeof(line), file)) {
    size_t length = strlen(line);
    while (length && (line[length - 1] == '\n' || line[length - 1] == '\r')) line[--length] = '\0';
    if (!length) continue;
    if (line[0] == '-') {
      SetEnvironmentVariableA(line + 1, NULL);
    } else {
      char* equals = strchr(line, '=');
      if (!equals) continue;
      *equals = '\0';
      SetEnvironmentVariableA(line, equals + 1);
    }
  }
  fclose(file);
  return 1;
}

int main(int argc, char** argv) {
  const char* raw = GetCommandLineA();
  const char* rest = strstr(raw, " -- ");
  STARTUPINFOA startup;
  PROCESS_INFORMATION child;
  DWORD exit_code = 1;
  static char command_line[32768];
  if (argc < 3 || !rest || !apply_settings(argv[1])) return 125;
  lstrcpynA(command_line, rest + 4, sizeof(command_line));
  memset(&startup, 0, sizeof(startup));
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  SetHandleInformation(startup.hStdOutput, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  SetHandleInformation(startup.hStdError, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  if (!CreateProcessA(NULL, command_line, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &child)) return 126;
  CloseHandle(child.hThread);
  WaitForSingleObject(child.hProcess, INFINITE);
  GetExitCodeProcess(child.hProcess, &exit_code);
  CloseHandle(child.hProcess);
  return (int)exit_code;
}
