// Child processes.
#pragma once

#include <cstdint>
#include <string>

// Starts the command line (nothing quoted, the program found as Windows
// finds one named without a folder) in `current_directory`, or in the
// checker's when null, and waits until it ends. The child's exit code, or
// -1 when it cannot be started, its exit code cannot be read, or it is
// still running after 60 seconds: then it is ended first.
std::int32_t RunAndWait(const std::string& command_line, const char* current_directory);
