// A machine for the installed-software checks: keys under HKLM\SOFTWARE are
// written where the 32-bit checker reads them, which on 64-bit Windows is
// SOFTWARE\Wow6432Node.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>

#include "app/keyword_table.h"
#include "sim/profile/known_machines.h"
#include "support/nothing_left_open.h"

namespace software_test {

struct SoftwareMachine {
  sim::Machine machine;

  explicit SoftwareMachine(bool sixty_four_bit = false) : machine(sim::Server2003(2, sixty_four_bit)) {}

  // HKLM\SOFTWARE\... as the checker's own view places it.
  std::string Path(const std::string& software_path) const {
    const std::string rest = software_path.substr(std::string("SOFTWARE").size());
    return machine.os.is_64bit ? "HKLM\\SOFTWARE\\Wow6432Node" + rest : "HKLM\\SOFTWARE" + rest;
  }
  SoftwareMachine& Key(const std::string& path) {
    machine.registry.Create(Path(path));
    return *this;
  }
  SoftwareMachine& String(const std::string& path, const std::string& name, const std::string& text,
                          std::uint32_t type = 1) {
    machine.registry.SetString(Path(path), name, text, type);
    return *this;
  }
  SoftwareMachine& Dword(const std::string& path, const std::string& name, std::uint32_t number) {
    machine.registry.SetDword(Path(path), name, number);
    return *this;
  }
  SoftwareMachine& Library(const std::string& name, std::map<std::string, std::int32_t> exports) {
    machine.libraries[name].exports = std::move(exports);
    return *this;
  }
  SoftwareMachine& NotElevated() {
    machine.user.elevated = false;
    return *this;
  }
};

// Runs a keyword's row with STATUS 42 and tells whether the status was kept.
inline bool RowHolds(const char* keyword) {
  const KeywordRow* row = FindKeywordRow(keyword);
  EXPECT_NE(row, nullptr) << keyword;
  if (!row) return false;
  Run run;
  run.status = 42;
  row->run(run);
  EXPECT_TRUE(run.reported == 0 || run.reported == 42) << keyword;
  return run.reported == 42;
}

// Every key and library that a check opened is closed again.
inline void ExpectNothingLeftOpen(const std::string& name) { EXPECT_TRUE(NothingLeftOpen()) << name; }

}  // namespace software_test
