// The front end's table of contents: one row per mode keyword, in the order
// in which MODE is compared with them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The state of one run that a row works on.
struct Run {
  std::int32_t status = 0;  // STATUS, by the atoi rule
  std::string description;  // DESC; only VERSIONCHECK replaces it
  std::string arg;          // entry 4, empty when absent
  int argc = 0;
  char** argv = nullptr;
  std::int32_t reported = 0;  // what "Status=" carries

  // The common rule: the caller's STATUS when the condition holds, else 0.
  void KeepStatusWhen(bool condition) { reported = condition ? status : 0; }
};

struct KeywordRow {
  const char* keyword;
  void (*run)(Run& run);
};

// The first row whose keyword equals MODE without regard to case, or null.
const KeywordRow* FindKeywordRow(const char* mode);

// Every row, in table order.
struct KeywordRows {
  const KeywordRow* first;
  const KeywordRow* last;
  const KeywordRow* begin() const { return first; }
  const KeywordRow* end() const { return last; }
  std::size_t size() const { return static_cast<std::size_t>(last - first); }
};
KeywordRows AllKeywordRows();
