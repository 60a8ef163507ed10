// Prints how long one run of each keyword takes on the default simulated
// machine: the checker's own work, without process start-up.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/front_end.h"
#include "app/keyword_table.h"
#include "sim/machine/machine.h"
#include "sim/profile/profile.h"

namespace {

// Runs one keyword `runs` times with standard output sent to /dev/null; returns microseconds per run.
double TimeKeyword(const char* keyword, int runs, const sim::Machine& machine) {
  std::vector<std::string> words = {"kvchecks", keyword, "7", "DESC", "5.2.3790.2075"};
  if (std::string(keyword) == "VERSIONCHECK")
    words = {"kvchecks", keyword, "MN", "1", "a", "2", "b", "3", "c", "4", "d"};
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  double total = 0;
  for (int i = 0; i < runs; ++i) {
    sim::Use(machine);  // a fresh machine per run, as a new process would see
    const auto start = std::chrono::steady_clock::now();
    RunChecker(static_cast<int>(argv.size()), argv.data());
    total += std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
  }
  return total / runs;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 2000;
  const sim::Machine machine = sim::DefaultMachine();
  std::fflush(stdout);
  const int saved_stdout = dup(STDOUT_FILENO);
  if (!std::freopen("/dev/null", "w", stdout)) return 1;
  std::vector<const char*> keywords;
  for (const KeywordRow& row : AllKeywordRows())
    if (std::string(row.keyword) != "SLEEP") keywords.push_back(row.keyword);  // SLEEP only waits
  std::vector<double> figures;
  for (const char* keyword : keywords) figures.push_back(TimeKeyword(keyword, runs, machine));
  std::fflush(stdout);
  dup2(saved_stdout, STDOUT_FILENO);
  close(saved_stdout);
  std::printf("%-28s %12s\n", "keyword", "us per run");
  for (std::size_t i = 0; i < figures.size(); ++i) std::printf("%-28s %12.2f\n", keywords[i], figures[i]);
  std::printf("(%d runs each, default machine, machine set-up excluded)\n", runs);
  return 0;
}
