// The whole life of one run: arguments, OS facts, dispatch and report.
#pragma once

// Returns the process exit code: 0 after a report, -1 after the usage text.
int RunChecker(int argc, char** argv);
