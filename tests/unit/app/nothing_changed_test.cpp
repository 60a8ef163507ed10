// A run changes nothing on the machine but VERSIONCHECK's record under
// PreReqChecks and, on 64-bit Windows, the companion's output files under
// "temp": every keyword, on machines that have everything the checks read.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/front_end.h"
#include "app/keyword_table.h"
#include "sim/machine/machine.h"
#include "sim/profile/profile.h"
#include "support/installed_machine.h"

namespace {

const std::string kMachines = std::string(KVCHECKS_SCENARIO_MACHINES) + "/";
const char kRecordKey[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Norvik Computer Corporation\\Kelvane\\PreReqChecks";
const char kRecordKeyWow64[] =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Norvik Computer Corporation\\Kelvane\\PreReqChecks";
const char kRoots[][20] = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_USERS", "HKEY_CLASSES_ROOT",
                           "HKEY_CURRENT_CONFIG"};

// Everything a run could change, each entry by its full path: keys (with
// their read denial), values (type and bytes), folders, files (bytes,
// version, signature), the environment and the current directory.
using Snapshot = std::map<std::string, std::string>;

void AddKey(const sim::RegKey& key, const std::string& path, Snapshot& snapshot) {
  snapshot["key " + path] = key.deny_read ? "denied" : "";
  for (const auto& [name, value] : key.values)
    snapshot["value " + path + "\\\\" + value.name] =
        std::to_string(value.type) + ":" + std::string(value.data.begin(), value.data.end());
  for (const auto& [name, child] : key.subkeys) AddKey(*child, path + "\\" + child->name, snapshot);
}

Snapshot Take(const sim::Machine& machine) {
  Snapshot snapshot;
  for (const char* root : kRoots)
    if (const sim::RegKey* key = machine.registry.Find(root)) AddKey(*key, root, snapshot);
  for (const std::string& folder : machine.files.folders) snapshot["folder " + folder] = "";
  for (const auto& [path, file] : machine.files.files) {
    std::string facts = file.content + "|" + std::to_string(static_cast<int>(file.signature));
    if (file.version)
      for (std::uint16_t part : *file.version) facts += "." + std::to_string(part);
    snapshot["file " + path] = facts;
  }
  for (const auto& [name, value] : machine.environment) snapshot["environment " + name] = value;
  snapshot["current directory"] = machine.current_directory;
  return snapshot;
}

// What may differ: the record and its key, and the companion's output files.
bool Allowed(const std::string& entry, const std::string& keyword, const std::string& temp,
             bool sixty_four_bit) {
  if (keyword == "VERSIONCHECK") {
    for (const std::string record : {kRecordKey, kRecordKeyWow64}) {
      if (entry == "key " + record || entry.rfind("value " + record + "\\\\", 0) == 0) return true;
      // The keys above the record that it creates.
      if (entry.rfind("key ", 0) == 0 && record.rfind(entry.substr(4) + "\\", 0) == 0) return true;
    }
  }
  if (!sixty_four_bit) return false;
  return entry == "file " + temp + "\\tmp_ver.txt" || entry == "file " + temp + "\\storport_ver.txt";
}

std::vector<std::string> ArgumentsFor(const std::string& keyword) {
  if (keyword == "VERSIONCHECK")
    return {"kvchecks", keyword, "MN", "13", "MAJOR", "15", "MINOR", "17", "SAME", "19", "DOWN"};
  if (keyword == "SIGNCHECK") return {"kvchecks", keyword, "7", "d", "NODE"};
  if (keyword == "STORPORT" || keyword == "STORPORTSP1")
    return {"kvchecks", keyword, "7", "d", "5.2.3790.2075"};
  return {"kvchecks", keyword, "7", "d"};
}

void RunKeyword(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  testing::internal::CaptureStdout();
  RunChecker(static_cast<int>(argv.size()), argv.data());
  testing::internal::GetCapturedStdout();
}

TEST(NothingChanged, ButTheRecordAndTheCompanionsOutput) {
  for (const char* profile : {"rich-x86.toml", "rich-x64.toml"}) {
    const sim::Machine rich = sim::LoadProfile(kMachines + profile);
    const std::string temp = rich.environment.at("temp");
    std::set<std::string> changed_somewhere;
    for (const KeywordRow& row : AllKeywordRows()) {
      InstalledMachine scoped(rich);
      const Snapshot before = Take(sim::Current());
      RunKeyword(ArgumentsFor(row.keyword));
      const Snapshot after = Take(sim::Current());
      std::set<std::string> entries;
      for (const auto& [entry, facts] : before) entries.insert(entry);
      for (const auto& [entry, facts] : after) entries.insert(entry);
      for (const std::string& entry : entries) {
        const auto was = before.find(entry);
        const auto is = after.find(entry);
        if (was != before.end() && is != after.end() && was->second == is->second) continue;
        changed_somewhere.insert(entry);
        EXPECT_TRUE(Allowed(entry, row.keyword, temp, rich.os.is_64bit))
            << profile << ": " << row.keyword << " changed " << entry.substr(0, 200);
      }
    }
    // The proof sees the changes that are allowed, so it would see others.
    EXPECT_TRUE(changed_somewhere.count(
        "value " + std::string(rich.os.is_64bit ? kRecordKeyWow64 : kRecordKey) + "\\\\MN"))
        << profile;
    if (rich.os.is_64bit) {
      EXPECT_TRUE(changed_somewhere.count("file " + temp + "\\storport_ver.txt")) << profile;
    }
  }
}

}  // namespace
