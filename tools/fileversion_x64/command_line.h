// How fileversion_x64 reads its raw command line: "fileversion_x64 FILE
// OUTFILE", where FILE may hold blanks and arrive unquoted. The file is
// everything between the program's own name and the last argument, as it
// stands on the line; the output file is the last argument.
#pragma once

#include <string>

namespace companion {

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Splits the raw command line; false when it does not name both files.
inline bool SplitCommandLine(const std::string& raw, std::string& file, std::string& output) {
  std::size_t i = 0;
  // The program's own name, as Windows delimits it: quoted, or up to a blank.
  if (i < raw.size() && raw[i] == '"') {
    const std::size_t close = raw.find('"', 1);
    i = close == std::string::npos ? raw.size() : close + 1;
  }
  while (i < raw.size() && !IsBlank(raw[i])) ++i;
  while (i < raw.size() && IsBlank(raw[i])) ++i;
  std::size_t end = raw.size();
  while (end > i && IsBlank(raw[end - 1])) --end;
  if (i >= end) return false;

  // The last argument: a quoted one, or the text after the last blank.
  std::size_t last = end;
  if (raw[end - 1] == '"' && end - 1 > i) {
    const std::size_t open = raw.rfind('"', end - 2);
    if (open == std::string::npos || open < i) return false;
    last = open;
    output = raw.substr(open + 1, end - open - 2);
  } else {
    while (last > i && !IsBlank(raw[last - 1])) --last;
    output = raw.substr(last, end - last);
  }
  std::size_t file_end = last;
  while (file_end > i && IsBlank(raw[file_end - 1])) --file_end;
  if (file_end == last && last != i) return false;  // a quote glued to the file's text
  file = raw.substr(i, file_end - i);
  // A path the caller did quote loses its quotes.
  if (file.size() >= 2 && file.front() == '"' && file.back() == '"') file = file.substr(1, file.size() - 2);
  return !file.empty() && !output.empty();
}

}  // namespace companion
