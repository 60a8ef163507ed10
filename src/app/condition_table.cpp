#include "app/condition_table.h"

#include <cstring>

#include "app/keyword_table.h"
#include "checks/package/version_check.h"
#include "checks/software/database.h"
#include "platform/system_libraries.h"
#include "probes/os_facts.h"

namespace {

const char* const kOutcomes[] = {"none", "major upgrade", "minor upgrade", "same version", "downgrade"};

bool Is(const KeywordRow& row, const char* keyword) { return std::strcmp(row.keyword, keyword) == 0; }

// A read-only answer for the two rows that would change the machine.
std::string ReadOnlyCondition(const KeywordRow& row, const std::string& arg) {
  if (Is(row, "VERSIONCHECK")) return kOutcomes[static_cast<int>(PackageVersionOutcome(arg))];
  switch (TryStartDatabaseServer(false)) {
    case kDatabaseServerNotStarted:
      return "holds";
    case kDatabaseServerNotAsked:
      return "not asked: StartServer is not called";
    default:
      return "does not hold";
  }
}

// One run of a row with STATUS 1, so the report tells whether the condition
// holds (VERSIONCHECK: its outcome).
std::string RunRow(const KeywordRow& row, const std::string& arg, bool read_only) {
  if (read_only && (Is(row, "VERSIONCHECK") || Is(row, "MSDEWORKINGCHECK")))
    return ReadOnlyCondition(row, arg);
  std::vector<std::string> words = {"kvchecks", row.keyword, "1", "d"};
  if (Is(row, "VERSIONCHECK"))
    words = {"kvchecks", row.keyword, arg, "1", "MAJOR", "2", "MINOR", "3", "SAME", "4", "DOWN"};
  else if (!arg.empty())
    words.push_back(arg);
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(&word[0]);
  argv.push_back(nullptr);

  Run run;
  run.argc = static_cast<int>(words.size());
  run.argv = argv.data();
  // SLEEP waits STATUS milliseconds; the table does not wait.
  run.status = Is(row, "SLEEP") ? 0 : 1;
  run.description = "d";
  run.arg = Is(row, "VERSIONCHECK") ? "" : arg;
  row.run(run);
  if (Is(row, "VERSIONCHECK")) return kOutcomes[run.reported >= 1 && run.reported <= 4 ? run.reported : 0];
  return run.reported != 0 ? "holds" : "does not hold";
}

}  // namespace

std::vector<std::string> DefaultConditionArgs(const std::string& keyword) {
  if (keyword == "SIGNCHECK") return {"NODE", "STATION", "KESTRELDOCS", "KESTRELDRIVER"};
  if (keyword == "VERSIONCHECK") return {"MN", "MS", "ZR"};
  return {""};
}

std::vector<ConditionRow> WorkOutConditions(const ConditionOptions& options) {
  std::vector<ConditionRow> rows;
  int number = 0;
  for (const KeywordRow& row : AllKeywordRows()) {
    ++number;
    auto given = options.args.find(row.keyword);
    const std::vector<std::string> args = given != options.args.end()
                                              ? std::vector<std::string>{given->second}
                                              : DefaultConditionArgs(row.keyword);
    for (const std::string& arg : args) {
      if (options.before_each) options.before_each(options.context);
      OsVersionRecord = OSVERSIONINFOEXA{};
      CaptureOsVersion();
      SystemLibraryScope libraries;
      rows.push_back(ConditionRow{number, row.keyword, arg, RunRow(row, arg, options.read_only)});
    }
  }
  return rows;
}

std::string ConditionTableText(const std::vector<ConditionRow>& rows) {
  std::string text = "| # | Keyword | ARG | Condition |\n|---|---|---|---|\n";
  for (const ConditionRow& row : rows)
    text += "| " + std::to_string(row.number) + " | " + row.keyword + " | " + row.arg + " | " +
            row.condition + " |\n";
  return text;
}
