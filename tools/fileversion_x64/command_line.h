// How fileversion_x64 reads its raw command line: "fileversion_x64 FILE
// OUTFILE", written unquoted by the checker, where FILE and OUTFILE may both
// hold blanks (a "temp" folder under "Documents and Settings"). FILE must
// exist, so the split is the last blank before which the line names an
// existing file; the rest is OUTFILE. When no blank does, FILE is everything
// between the program's own name and the last argument.
#pragma once

#include <string>

namespace companion {

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A path the caller did quote loses its quotes.
inline std::string Unquoted(const std::string& text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return text.substr(1, text.size() - 2);
  return text;
}

// Splits the raw command line; false when it does not name both files.
// `is_file(path)` tells whether path names an existing file.
template <typename IsFile>
bool SplitCommandLine(const std::string& raw, IsFile is_file, std::string& file, std::string& output) {
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

  // The last run of blanks that ends an existing file. The last, not the
  // first: with "C:\Program" planted beside "C:\Program Files", the longer
  // path is the one meant.
  for (std::size_t after = end; after > i;) {
    std::size_t run_end = after;
    while (run_end > i && !IsBlank(raw[run_end - 1])) --run_end;
    if (run_end == i) break;
    std::size_t run_start = run_end;
    while (run_start > i && IsBlank(raw[run_start - 1])) --run_start;
    const std::string candidate = Unquoted(raw.substr(i, run_start - i));
    if (!candidate.empty() && is_file(candidate)) {
      file = candidate;
      output = Unquoted(raw.substr(run_end, end - run_end));
      return !output.empty();
    }
    after = run_start;
  }

  // No existing file: the last argument, a quoted one or the text after the last blank.
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
  file = Unquoted(raw.substr(i, file_end - i));
  return !file.empty() && !output.empty();
}

}  // namespace companion
