// The capture program on simulated machines: what it writes replays as the
// machine it was taken from, it leaves that machine as it was, and its list
// of reads names everything the checks read.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "app/condition_table.h"
#include "app/machine_reads.h"
#include "platform/system_libraries.h"
#include "probes/os_facts.h"
#include "sim/api/trace.h"
#include "sim/machine/machine.h"
#include "sim/profile/known_machines.h"
#include "sim/profile/profile.h"
#include "sim/profile/reg_export.h"
#include "support/installed_machine.h"
#include "tools/capture/captured_machine.h"

namespace {

const std::string kMachines = std::string(KVCHECKS_SCENARIO_MACHINES) + "/";
const char kPolicyKey[] = "SOFTWARE\\Microsoft\\Non-Driver Signing";
// The keys VERSIONCHECK opens to make its record: written, never read.
const std::set<std::string> kRecordKeys = {"SOFTWARE", "SOFTWARE\\Norvik Computer Corporation",
                                           "SOFTWARE\\Norvik Computer Corporation\\Kelvane",
                                           "SOFTWARE\\Norvik Computer Corporation\\Kelvane\\PreReqChecks"};

// A folder of its own under the host's temporary folder.
std::string NewFolder() {
  char pattern[] = "/tmp/kvcapture-test-XXXXXX";
  const char* made = mkdtemp(pattern);
  return made ? made : "";
}

CapturedMachine Capture() {
  OsVersionRecord = OSVERSIONINFOEXA{};
  CaptureOsVersion();
  SystemLibraryScope libraries;
  return CaptureMachine();
}

// Captures the installed machine into a new folder and loads what it wrote.
sim::Machine CaptureAndLoad() {
  const std::string folder = NewFolder() + "/capture";
  std::string error;
  EXPECT_TRUE(WriteCapture(Capture(), folder, error)) << error;
  return sim::LoadProfile(folder + "/machine.toml");
}

std::vector<std::uint8_t> Utf16(const std::string& ascii) {
  std::vector<std::uint8_t> bytes;
  for (const char c : ascii) {
    bytes.push_back(static_cast<std::uint8_t>(c));
    bytes.push_back(0);
  }
  return bytes;
}

struct ValueCase {
  const char* what;
  std::uint32_t type;
  std::vector<std::uint8_t> data;  // as the platform keeps it
};

TEST(Capture, RegistryValuesOfEveryFormReplayWithTheirTypeAndBytes) {
  const ValueCase cases[] = {
      {"string", sim::kRegString, Utf16(std::string("on\\ \"quoted\"", 13) + '\0')},
      {"string with a character above 0x7F", sim::kRegString, {0xE9, 0x00, 0x41, 0x00, 0x00, 0x00}},
      {"string without its NUL", sim::kRegString, Utf16("abc")},
      {"string with a NUL inside", sim::kRegString, Utf16(std::string("a\0b\0", 4))},
      {"empty string data", sim::kRegString, {}},
      {"expandable string", sim::kRegExpandString, Utf16(std::string("%windir%\\x\0", 11))},
      {"string list", sim::kRegMultiString, Utf16(std::string("one\0two\0\0", 9))},
      {"number", sim::kRegDword, {0x01, 0x02, 0x00, 0x80}},
      {"number of three bytes", sim::kRegDword, {0x01, 0x02, 0x03}},
      {"bytes", sim::kRegBinary, {0x02}},
      {"no bytes", sim::kRegBinary, {}},
      {"a type of its own", 0x4D, {0xFF, 0x00, 0x7F}},
  };
  for (const bool sixty_four_bit : {false, true}) {
    for (const ValueCase& value : cases) {
      SCOPED_TRACE(std::string(value.what) + (sixty_four_bit ? " on 64-bit Windows" : ""));
      sim::Machine machine = sim::Server2003(2, sixty_four_bit);
      const std::string key = std::string("HKLM\\") +
                              (sixty_four_bit ? "SOFTWARE\\Wow6432Node\\" : "SOFTWARE\\") + (kPolicyKey + 9);
      machine.registry.SetValue(key, "Policy", value.type, value.data);
      if (sixty_four_bit) machine.registry.SetDword(std::string("HKLM\\") + kPolicyKey, "Policy", 7);
      InstalledMachine installed(machine);
      const sim::Machine replay = CaptureAndLoad();
      const sim::RegValue* read_back = replay.registry.GetValue(key, "Policy");
      ASSERT_NE(read_back, nullptr);
      EXPECT_EQ(read_back->type, value.type);
      EXPECT_EQ(read_back->data, value.data);
      if (sixty_four_bit) {
        const sim::RegValue* native_view =
            replay.registry.GetValue(std::string("HKLM\\") + kPolicyKey, "Policy");
        ASSERT_NE(native_view, nullptr);
        EXPECT_EQ(native_view->data, sim::DwordBytes(7));
      }
    }
  }
}

TEST(Capture, WritesARegistryExportAsRegeditDoes) {
  InstalledMachine installed(sim::Server2003(2, false));
  const std::string folder = NewFolder() + "/out";
  std::string error;
  ASSERT_TRUE(WriteCapture(Capture(), folder, error)) << error;
  std::FILE* file = std::fopen((folder + "/registry.reg").c_str(), "rb");
  ASSERT_NE(file, nullptr);
  char head[16] = {};
  const std::size_t got = std::fread(head, 1, sizeof(head), file);
  std::fclose(file);
  ASSERT_EQ(got, sizeof(head));
  // A byte-order mark, then "Windows " in UTF-16LE.
  EXPECT_EQ(std::string(head, 4), std::string("\xFF\xFEW\0", 4));
  EXPECT_EQ(std::string(head + 4, 4), std::string("i\0n\0", 4));
}

TEST(Capture, AnOutputFolderThatCannotBeMadeIsReported) {
  InstalledMachine installed(sim::Server2003(2, false));
  std::string error;
  EXPECT_FALSE(WriteCapture(Capture(), "/proc/no-such-place/capture", error));
  EXPECT_NE(error.find("/proc/no-such-place/capture"), std::string::npos) << error;
}

void FreshCopy(void* machine) { sim::Use(sim::Machine(*static_cast<const sim::Machine*>(machine))); }

TEST(Capture, LeavesTheMachineAsItWasAndNeverStartsTheDatabaseServer) {
  for (const char* name : {"rich-x86.toml", "rich-x64.toml", "software-msde8-started-x86.toml"}) {
    SCOPED_TRACE(name);
    InstalledMachine installed(sim::LoadProfile(kMachines + name));
    const std::string before = sim::ExportRegistry(sim::Current().registry);
    Capture();
    ConditionOptions options;
    options.read_only = true;
    const std::vector<ConditionRow> rows = WorkOutConditions(options);
    EXPECT_EQ(sim::ExportRegistry(sim::Current().registry), before);
    for (const std::string& call : sim::CurrentRuntime().libraries.calls)
      EXPECT_NE(call, "KxDbLib.dll!StartServer");
    // Where the engine and the library's export are there, the table says it did not ask.
    for (const ConditionRow& row : rows) {
      if (row.keyword == "MSDEWORKINGCHECK" && std::string(name).find("msde8") != std::string::npos) {
        EXPECT_EQ(row.condition, "not asked: StartServer is not called");
      }
    }
  }
}

// The companion as it ships: a capture records the files it reads, not how a
// test double of it behaves.
bool HasShippedCompanion(const sim::Machine& machine) {
  const auto found = machine.files.programs.find("fileversion_x64");
  if (found == machine.files.programs.end()) return false;
  const sim::Program& companion = found->second;
  return companion.kind == sim::Program::Kind::kFileVersion && companion.exit_code == 0 &&
         companion.writes_output && !companion.never_exits && !companion.exit_code_query_fails;
}

// The table without MSDEWORKINGCHECK, whose StartServer a capture never calls.
std::string ComparedRows(const sim::Machine& machine) {
  ConditionOptions options;
  options.args = {{"STORPORT", "5.2.3790.1830"}, {"STORPORTSP1", "5.2.3790.1830"}};
  options.before_each = FreshCopy;
  options.context = const_cast<sim::Machine*>(&machine);
  std::vector<ConditionRow> rows = WorkOutConditions(options);
  sim::Use(sim::Machine());
  std::string text;
  for (const ConditionRow& row : rows)
    if (row.keyword != "MSDEWORKINGCHECK") text += row.keyword + " " + row.arg + ": " + row.condition + "\n";
  return text;
}

TEST(Capture, AReplayAnswersEveryKeywordAsTheMachineDid) {
  std::size_t replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kMachines)) {
    if (entry.path().extension() != ".toml" || entry.path().filename().string().rfind("malformed", 0) == 0)
      continue;
    SCOPED_TRACE(entry.path().filename().string());
    sim::Machine original = sim::LoadProfile(entry.path().string());
    original.real_time = false;
    if (!HasShippedCompanion(original)) continue;
    sim::Machine replay;
    {
      InstalledMachine installed(original);
      replay = CaptureAndLoad();
    }
    EXPECT_EQ(ComparedRows(replay), ComparedRows(original));
    ++replayed;
  }
  // The folder was read: its machines were captured and replayed.
  EXPECT_GT(replayed, 50u);
}

// Every registry key and value, library and export that a run of any keyword
// touches on any of the scenarios' machines is in the list of reads.
TEST(MachineReads, NameEverythingTheChecksRead) {
  std::set<std::string> keys, values, exports;
  for (const MachineRead& read : AllMachineReads()) {
    if (read.kind == ReadKind::kRegistryKey || read.kind == ReadKind::kRegistryValue ||
        read.kind == ReadKind::kElevation)
      keys.insert(read.where);
    if (read.kind == ReadKind::kRegistryValue) values.insert(std::string(read.where) + "|" + read.what);
    if (read.kind == ReadKind::kLibraryCall || read.kind == ReadKind::kLibraryExport)
      exports.insert(read.what);
  }
  const std::regex open(R"re(^RegOpenKeyExA\(HKEY_LOCAL_MACHINE, "([^"]*)")re");
  const std::regex query(R"re(^RegQueryValueExA\(\S+ \[HKEY_LOCAL_MACHINE\\([^\]]*)\], "([^"]*)")re");
  const std::regex load(R"re(^LoadLibraryA\("([^"]*)"\))re");
  const std::regex lookup(R"re(^GetProcAddress\((\S+), "([^"]*)"\))re");
  const std::regex unload(R"re(^FreeLibrary\((\S+)\))re");
  std::set<std::string> family;  // the handles of the family's libraries while they are loaded
  std::size_t opens = 0, queries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kMachines)) {
    if (entry.path().extension() != ".toml" || entry.path().filename().string().rfind("malformed", 0) == 0)
      continue;
    SCOPED_TRACE(entry.path().filename().string());
    sim::Machine machine = sim::LoadProfile(entry.path().string());
    std::vector<std::string> lines;
    sim::TraceInto(&lines);
    ConditionOptions options;
    options.before_each = FreshCopy;
    options.context = &machine;
    WorkOutConditions(options);
    sim::TraceInto(nullptr);
    sim::Use(sim::Machine());
    std::smatch match;
    for (const std::string& line : lines) {
      if (std::regex_search(line, match, open)) {
        ++opens;
        EXPECT_TRUE(keys.count(match[1]) || kRecordKeys.count(match[1])) << line;
      } else if (std::regex_search(line, match, query)) {
        ++queries;
        EXPECT_TRUE(values.count(match[1].str() + "|" + match[2].str())) << line;
      } else if (std::regex_search(line, match, load)) {
        EXPECT_TRUE(match[1] == "KVIL32.DLL" || match[1] == "KxDbLib.dll") << line;
        family.insert(line.substr(line.rfind("-> ") + 3));
      } else if (std::regex_search(line, match, unload)) {
        family.erase(match[1]);
      } else if (std::regex_search(line, match, lookup) && family.count(match[1])) {
        EXPECT_TRUE(exports.count(match[2])) << line;
      }
    }
  }
  // The trace was read: the checks open and query keys on these machines.
  EXPECT_GT(opens, 20u);
  EXPECT_GT(queries, 10u);
}

}  // namespace
