// The trace of a replay: one line per platform call the run made, with its
// arguments and its result, for a reader who asks why a keyword reported
// what it reported. Off unless asked for; the Windows build has no trace.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace sim {

// The trace goes to standard error from now on.
void TraceToStandardError();
// The trace goes into `lines` while it is set; null stops it.
void TraceInto(std::vector<std::string>* lines);
bool Tracing();

// One call's line, written when the object goes: NAME(ARG, ...) -> RESULT.
class CallTrace {
 public:
  explicit CallTrace(const char* function) : line_(function) { line_ += '('; }
  ~CallTrace();
  CallTrace(const CallTrace&) = delete;
  CallTrace& operator=(const CallTrace&) = delete;

  CallTrace& Text(const char* text);  // quoted, or NULL
  CallTrace& Number(unsigned long long number);
  CallTrace& Key(HKEY key);          // a root's name, or a handle with the key it opened
  CallTrace& Access(REGSAM access);  // the rights by name, and the registry view asked
  CallTrace& Handle(const void* handle);
  CallTrace& Word(const std::string& text);  // an argument as it is to read
  // The result: a status, or a value with the thread's last error on failure.
  CallTrace& Status(LSTATUS status);
  CallTrace& Returns(const std::string& value, bool failed);
  // A detail after the result, such as what a query handed back.
  CallTrace& Then(const std::string& detail);

  // The registry path a key handle stands for, remembered when it is opened.
  static void Remember(HKEY key, HKEY from, const char* sub_key);

 private:
  void Argument(const std::string& text);
  std::string line_;
  bool first_ = true;
  bool closed_ = false;
};

std::string ErrorName(DWORD error);
std::string AccessNames(REGSAM access);
std::string HexNumber(unsigned long long number);
std::string PointerText(const void* pointer);  // in hex, or NULL

}  // namespace sim
