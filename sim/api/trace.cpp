#include "sim/api/trace.h"

#include <cstdio>
#include <iterator>
#include <map>

#include "sim/api/file_access.h"
#include "sim/api/support.h"
#include "sim/machine/machine.h"

namespace sim {
namespace {

enum class Sink { kNone, kStandardError, kLines };
Sink sink = Sink::kNone;
std::vector<std::string>* sink_lines = nullptr;

// What each key handle of the run was opened as, for the lines that use it.
std::map<std::uintptr_t, std::string>& KeyPaths() {
  static std::map<std::uintptr_t, std::string> paths;
  return paths;
}

const char* RootName(std::uintptr_t value) {
  switch (value) {
    case kClassesRoot:
      return "HKEY_CLASSES_ROOT";
    case kCurrentUser:
      return "HKEY_CURRENT_USER";
    case kLocalMachine:
      return "HKEY_LOCAL_MACHINE";
    case kUsers:
      return "HKEY_USERS";
    case kCurrentConfig:
      return "HKEY_CURRENT_CONFIG";
    default:
      return nullptr;
  }
}

std::string KeyPath(HKEY key) {
  const auto value = reinterpret_cast<std::uintptr_t>(key);
  if (const char* root = RootName(value)) return root;
  auto found = KeyPaths().find(value);
  return found == KeyPaths().end() ? std::string() : found->second;
}

}  // namespace

void TraceToStandardError() { sink = Sink::kStandardError; }

void TraceInto(std::vector<std::string>* lines) {
  sink_lines = lines;
  sink = lines ? Sink::kLines : Sink::kNone;
}

bool Tracing() { return sink != Sink::kNone; }

std::string HexNumber(unsigned long long number) {
  char text[24];
  std::snprintf(text, sizeof(text), "0x%llx", number);
  return text;
}

std::string PointerText(const void* pointer) {
  return pointer ? HexNumber(reinterpret_cast<std::uintptr_t>(pointer)) : "NULL";
}

std::string ErrorName(DWORD error) {
  switch (error) {
    case ERROR_SUCCESS:
      return "ERROR_SUCCESS";
    case ERROR_FILE_NOT_FOUND:
      return "ERROR_FILE_NOT_FOUND";
    case ERROR_PATH_NOT_FOUND:
      return "ERROR_PATH_NOT_FOUND";
    case ERROR_ACCESS_DENIED:
      return "ERROR_ACCESS_DENIED";
    case ERROR_INVALID_HANDLE:
      return "ERROR_INVALID_HANDLE";
    case ERROR_NOT_ENOUGH_MEMORY:
      return "ERROR_NOT_ENOUGH_MEMORY";
    case ERROR_BAD_FORMAT:
      return "ERROR_BAD_FORMAT";
    case ERROR_INVALID_DATA:
      return "ERROR_INVALID_DATA";
    case ERROR_INVALID_PARAMETER:
      return "ERROR_INVALID_PARAMETER";
    case ERROR_INSUFFICIENT_BUFFER:
      return "ERROR_INSUFFICIENT_BUFFER";
    case ERROR_MOD_NOT_FOUND:
      return "ERROR_MOD_NOT_FOUND";
    case ERROR_PROC_NOT_FOUND:
      return "ERROR_PROC_NOT_FOUND";
    case ERROR_BAD_PATHNAME:
      return "ERROR_BAD_PATHNAME";
    case 193:
      return "ERROR_BAD_EXE_FORMAT";
    case ERROR_MORE_DATA:
      return "ERROR_MORE_DATA";
    case ERROR_NO_MORE_ITEMS:
      return "ERROR_NO_MORE_ITEMS";
    case 267:
      return "ERROR_DIRECTORY";
    case 613:
      return "ERROR_REGISTRY_QUOTA_LIMIT";
    case ERROR_OLD_WIN_VERSION:
      return "ERROR_OLD_WIN_VERSION";
    case ERROR_NONE_MAPPED:
      return "ERROR_NONE_MAPPED";
    case ERROR_RESOURCE_DATA_NOT_FOUND:
      return "ERROR_RESOURCE_DATA_NOT_FOUND";
    case ERROR_RESOURCE_TYPE_NOT_FOUND:
      return "ERROR_RESOURCE_TYPE_NOT_FOUND";
    default:
      return "error " + std::to_string(error);
  }
}

std::string FlagNames(DWORD flags, const Named* names, std::size_t count) {
  std::string text;
  DWORD left = flags;
  for (std::size_t i = 0; i < count; ++i) {
    if (names[i].value == 0 || (left & names[i].value) != names[i].value) continue;
    left &= ~names[i].value;
    text += (text.empty() ? "" : "|") + std::string(names[i].name);
  }
  if (left) text += (text.empty() ? "" : "|") + HexNumber(left);
  return text.empty() ? "0" : text;
}

const char* NameIn(DWORD value, const Named* names, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i)
    if (names[i].value == value) return names[i].name;
  return nullptr;
}

std::string ConstantName(DWORD value, const Named* names, std::size_t count) {
  const char* name = NameIn(value, names, count);
  return name ? name : HexNumber(value);
}

std::string AccessNames(REGSAM access) {
  // The combined rights first, so that KEY_READ reads as such.
  static const Named kNames[] = {
      {KEY_ALL_ACCESS, "KEY_ALL_ACCESS"},
      {KEY_READ, "KEY_READ"},
      {KEY_WRITE, "KEY_WRITE"},
      {KEY_QUERY_VALUE, "KEY_QUERY_VALUE"},
      {KEY_SET_VALUE, "KEY_SET_VALUE"},
      {KEY_CREATE_SUB_KEY, "KEY_CREATE_SUB_KEY"},
      {KEY_ENUMERATE_SUB_KEYS, "KEY_ENUMERATE_SUB_KEYS"},
      {KEY_NOTIFY, "KEY_NOTIFY"},
      {KEY_CREATE_LINK, "KEY_CREATE_LINK"},
      {KEY_WOW64_64KEY, "KEY_WOW64_64KEY"},
      {KEY_WOW64_32KEY, "KEY_WOW64_32KEY"},
      {DELETE, "DELETE"},
      {READ_CONTROL, "READ_CONTROL"},
      {WRITE_DAC, "WRITE_DAC"},
      {WRITE_OWNER, "WRITE_OWNER"},
  };
  return FlagNames(access, kNames);
}

std::string RegistryTypeName(DWORD type) {
  static const Named kNames[] = {
      {REG_NONE, "REG_NONE"},           {REG_SZ, "REG_SZ"},
      {REG_EXPAND_SZ, "REG_EXPAND_SZ"}, {REG_BINARY, "REG_BINARY"},
      {REG_DWORD, "REG_DWORD"},         {REG_DWORD_BIG_ENDIAN, "REG_DWORD_BIG_ENDIAN"},
      {REG_LINK, "REG_LINK"},           {REG_MULTI_SZ, "REG_MULTI_SZ"},
      {REG_QWORD, "REG_QWORD"},
  };
  const char* name = NameIn(type, kNames, std::size(kNames));
  return name ? name : "type " + std::to_string(type);
}

std::string Boolean(BOOL result) { return result ? "TRUE" : "FALSE"; }

std::string Quoted(const std::string& text) { return '"' + text + '"'; }

std::string HandleResult(HANDLE handle) {
  return handle == INVALID_HANDLE_VALUE ? "INVALID_HANDLE_VALUE" : PointerText(handle);
}

std::string ProcessText(HANDLE process) {
  return reinterpret_cast<std::uintptr_t>(process) == kCurrentProcess ? "GetCurrentProcess()"
                                                                      : PointerText(process);
}

// Nothing is built for a run without the trace.
CallTrace::CallTrace(const char* function) {
  if (!Tracing()) return;
  line_ = function;
  line_ += '(';
}

CallTrace::~CallTrace() {
  if (sink == Sink::kNone) return;
  if (!closed_) line_ += ')';
  if (sink == Sink::kLines && sink_lines) {
    sink_lines->push_back(line_);
  } else if (sink == Sink::kStandardError) {
    std::fprintf(stderr, "%s\n", line_.c_str());
  }
}

void CallTrace::Argument(const std::string& text) {
  if (!first_) line_ += ", ";
  first_ = false;
  line_ += text;
}

CallTrace& CallTrace::Text(const char* text) {
  if (!Tracing()) return *this;
  Argument(text ? '"' + std::string(text) + '"' : "NULL");
  return *this;
}

CallTrace& CallTrace::Number(unsigned long long number) {
  if (!Tracing()) return *this;
  Argument(std::to_string(number));
  return *this;
}

CallTrace& CallTrace::Key(HKEY key) {
  if (!Tracing()) return *this;
  const std::string path = KeyPath(key);
  const auto value = reinterpret_cast<std::uintptr_t>(key);
  if (RootName(value)) {
    Argument(path);
  } else {
    Argument(HexNumber(value) + (path.empty() ? "" : " [" + path + "]"));
  }
  return *this;
}

CallTrace& CallTrace::Access(REGSAM access) {
  if (!Tracing()) return *this;
  // A 32-bit program on 64-bit Windows reads HKLM\SOFTWARE in the 32-bit view
  // unless it asks for the 64-bit one.
  const char* view = !Current().os.is_64bit       ? "the only view"
                     : (access & KEY_WOW64_64KEY) ? "64-bit view"
                                                  : "32-bit view";
  Argument(AccessNames(access) + " (" + view + ")");
  return *this;
}

CallTrace& CallTrace::Handle(const void* handle) {
  if (!Tracing()) return *this;
  Argument(PointerText(handle));
  return *this;
}

CallTrace& CallTrace::Word(const std::string& text) {
  if (!Tracing()) return *this;
  Argument(text);
  return *this;
}

CallTrace& CallTrace::Status(LSTATUS status) {
  if (!Tracing()) return *this;
  line_ += ") -> " + ErrorName(static_cast<DWORD>(status));
  closed_ = true;
  return *this;
}

CallTrace& CallTrace::Returns(const std::string& value, bool failed) {
  if (!Tracing()) return *this;
  line_ += ") -> " + value;
  if (failed) line_ += ", last error " + ErrorName(CurrentRuntime().last_error);
  closed_ = true;
  return *this;
}

CallTrace& CallTrace::Then(const std::string& detail) {
  if (!Tracing()) return *this;
  // A call without a result closes its arguments before the detail.
  if (!closed_) line_ += ')';
  closed_ = true;
  line_ += "; " + detail;
  return *this;
}

CallTrace& CallTrace::Reached(const char* path) {
  if (!Tracing() || !path) return *this;
  const std::string full = CheckerFullPath(path);
  return full == path ? *this : Then("reaches " + Quoted(full));
}

void CallTrace::Remember(HKEY key, HKEY from, const char* sub_key) {
  if (sink == Sink::kNone) return;
  std::string path = KeyPath(from);
  if (sub_key && *sub_key) path += (path.empty() ? "" : "\\") + std::string(sub_key);
  KeyPaths()[reinterpret_cast<std::uintptr_t>(key)] = path;
}

}  // namespace sim
