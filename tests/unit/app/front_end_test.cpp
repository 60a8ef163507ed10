// One run of the checker from its argument vector to the report bytes and
// the exit code.
#include "app/front_end.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "probes/os_facts.h"
#include "sim/machine/machine.h"
#include "sim/profile/known_machines.h"
#include "support/installed_machine.h"

namespace {

struct Outcome {
  int exit_code;
  std::string stdout_bytes;
};

Outcome RunWith(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  testing::internal::CaptureStdout();
  const int exit_code = RunChecker(static_cast<int>(args.size()), argv.data());
  return {exit_code, testing::internal::GetCapturedStdout()};
}

const char kUsage[] = "Run app like this....kvchecks.exe MODE STATUS DESC\n";

class FrontEnd : public ::testing::Test {
 protected:
  InstalledMachine machine_{sim::Server2003(2, false)};
};

TEST_F(FrontEnd, FewerThanThreeArgumentsGetTheUsageText) {
  const std::vector<std::vector<std::string>> too_short = {
      {"kvchecks"}, {"kvchecks", "NULL"}, {"kvchecks", "NULL", "17"}};
  for (const auto& args : too_short) {
    // The OS facts are not captured: the record keeps what it held.
    OsVersionRecord = OSVERSIONINFOEXA{};
    const Outcome outcome = RunWith(args);
    EXPECT_EQ(outcome.exit_code, -1) << args.size();
    EXPECT_EQ(outcome.stdout_bytes, kUsage) << args.size();
    EXPECT_EQ(OsVersionRecord.dwOSVersionInfoSize, 0u) << args.size();
  }
}

TEST_F(FrontEnd, ReportsTwoLinesAndExitsWithZero) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::string report;
  };
  const Case cases[] = {
      {"NullKeepsStatus", {"kvchecks", "NULL", "17", "abc"}, "Status=17\nDescriptionID=abc\n"},
      {"ModeInLowerCase", {"kvchecks", "null", "17", "abc"}, "Status=17\nDescriptionID=abc\n"},
      {"NegativeStatus", {"kvchecks", "NULL", "-3", "abc"}, "Status=-3\nDescriptionID=abc\n"},
      {"StatusWithTrailingText", {"kvchecks", "NULL", "12abc", "abc"}, "Status=12\nDescriptionID=abc\n"},
      {"StatusWithoutDigits", {"kvchecks", "NULL", "abc", "abc"}, "Status=0\nDescriptionID=abc\n"},
      {"StatusBeyondTheRange",
       {"kvchecks", "NULL", "9999999999", "x"},
       "Status=2147483647\nDescriptionID=x\n"},
      {"EmptyDescription", {"kvchecks", "NULL", "17", ""}, "Status=17\nDescriptionID=\n"},
      {"DescriptionByteForByte",
       {"kvchecks", "NULL", "1", "a b\t\xE9%d"},
       "Status=1\nDescriptionID=a b\t\xE9%d\n"},
      {"UnknownModeReportsZero", {"kvchecks", "NOSUCHCHECK", "17", "abc"}, "Status=0\nDescriptionID=abc\n"},
      {"BlankBeforeModeIsUnknown", {"kvchecks", " NULL", "17", "abc"}, "Status=0\nDescriptionID=abc\n"},
      {"EntriesAfterArgChangeNothing",
       {"kvchecks", "NULL", "5", "d", "arg", "more"},
       "Status=5\nDescriptionID=d\n"},
  };
  for (const Case& c : cases) {
    const Outcome outcome = RunWith(c.args);
    EXPECT_EQ(outcome.exit_code, 0) << c.name;
    EXPECT_EQ(outcome.stdout_bytes, c.report) << c.name;
  }
}

TEST_F(FrontEnd, CapturesTheOsFactsBeforeDispatch) {
  struct Case {
    const char* name;
    sim::Machine machine;
    const char* mode;
    std::string report;
  };
  const Case cases[] = {
      {"KrosCheckOnWindows2000KeepsStatus", sim::Windows2000Sp4(), "KROSCHECK",
       "Status=9\nDescriptionID=d\n"},
      {"KrosCheckOnXpReportsZero", sim::WindowsXpSp2(), "KROSCHECK", "Status=0\nDescriptionID=d\n"},
      {"IsNotEm64tOn64BitKeepsStatus", sim::Server2003(1, true), "ISNOTEM64T", "Status=9\nDescriptionID=d\n"},
      {"IsNotEm64tOn32BitReportsZero", sim::Server2003(2, false), "isnotem64t",
       "Status=0\nDescriptionID=d\n"},
  };
  for (const Case& c : cases) {
    machine_.Install(c.machine);
    OsVersionRecord = OSVERSIONINFOEXA{};
    const Outcome outcome = RunWith({"kvchecks", c.mode, "9", "d"});
    EXPECT_EQ(outcome.exit_code, 0) << c.name;
    EXPECT_EQ(outcome.stdout_bytes, c.report) << c.name;
    EXPECT_EQ(OsVersionRecord.dwMajorVersion, c.machine.os.major) << c.name;
  }
}

TEST_F(FrontEnd, SleepWaitsStatusMillisecondsAndReportsZero) {
  struct Case {
    const char* name;
    const char* status;
    std::uint64_t waited_ms;
  };
  const Case cases[] = {
      {"OneAndAHalfSeconds", "1500", 1500},
      {"Zero", "0", 0},
      {"NegativeDoesNotWait", "-1", 0},
      {"MostNegativeDoesNotWait", "-2147483648", 0},
  };
  for (const Case& c : cases) {
    machine_.Install(sim::Server2003(2, false));
    const Outcome outcome = RunWith({"kvchecks", "SLEEP", c.status, "slept"});
    EXPECT_EQ(outcome.exit_code, 0) << c.name;
    EXPECT_EQ(outcome.stdout_bytes, "Status=0\nDescriptionID=slept\n") << c.name;
    EXPECT_EQ(sim::CurrentRuntime().clock_ms, c.waited_ms) << c.name;
  }
}

}  // namespace
