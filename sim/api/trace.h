// The trace of a replay: one line per platform call the run made, with its
// arguments and its result, for a reader who asks why a keyword reported
// what it reported. Off unless asked for; the Windows build has no trace.
#pragma once

#include <cstddef>
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
  explicit CallTrace(const char* function);
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
  // Where a path the checker named leads, as a detail when that is not the
  // path as given: relative to the current directory, or redirected by WOW64.
  CallTrace& Reached(const char* path);

  // The registry path a key handle stands for, remembered when it is opened.
  static void Remember(HKEY key, HKEY from, const char* sub_key);

 private:
  void Argument(const std::string& text);
  std::string line_;
  bool first_ = true;
  bool closed_ = false;
};

// A platform constant and its name, for the tables the lines are written from.
struct Named {
  DWORD value;
  const char* name;
};

std::string ErrorName(DWORD error);
std::string AccessNames(REGSAM access);
std::string RegistryTypeName(DWORD type);
std::string HexNumber(unsigned long long number);
std::string PointerText(const void* pointer);  // in hex, or NULL
std::string Boolean(BOOL result);              // TRUE or FALSE
std::string Quoted(const std::string& text);
// The bits of `flags` by the names of `names`, the first that fit first; what
// no name covers follows in hex.
template <std::size_t N>
std::string FlagNames(DWORD flags, const Named (&names)[N]) {
  return FlagNames(flags, names, N);
}
std::string FlagNames(DWORD flags, const Named* names, std::size_t count);
// The name of the one constant `value` is, else the number in hex.
template <std::size_t N>
std::string ConstantName(DWORD value, const Named (&names)[N]) {
  return ConstantName(value, names, N);
}
std::string ConstantName(DWORD value, const Named* names, std::size_t count);
const char* NameIn(DWORD value, const Named* names, std::size_t count);  // or null
// A handle a call handed back: INVALID_HANDLE_VALUE by name.
std::string HandleResult(HANDLE handle);
// A process handle; the current process's pseudo handle reads as its call.
std::string ProcessText(HANDLE process);

}  // namespace sim
