// The 32 keywords on one machine: whether each one's condition holds there,
// worked out by the checks' own rows, for support staff who ask why an
// installation refused. Not part of the checker's own run.
#pragma once

#include <map>
#include <string>
#include <vector>

struct ConditionRow {
  int number = 0;  // the keyword's place in the table, from 1
  std::string keyword;
  std::string arg;
  std::string condition;  // "holds", "does not hold", or VERSIONCHECK's outcome
};

struct ConditionOptions {
  // A keyword's ARG, by keyword; without one, SIGNCHECK is asked for each
  // package tag, VERSIONCHECK for the selectors MN, MS and ZR, and the
  // STORPORT rows with an empty ARG.
  std::map<std::string, std::string> args;
  // Leaves the machine as it is: VERSIONCHECK's outcome is worked out without
  // making its record, and the database library's "StartServer" is not called.
  bool read_only = false;
  // Called before each row, so that each runs on the machine as a run of its own would see it.
  void (*before_each)(void* context) = nullptr;
  void* context = nullptr;
};

// The ARGs a keyword is asked with when the caller gives none.
std::vector<std::string> DefaultConditionArgs(const std::string& keyword);

std::vector<ConditionRow> WorkOutConditions(const ConditionOptions& options);

// The rows as a Markdown table.
std::string ConditionTableText(const std::vector<ConditionRow>& rows);
