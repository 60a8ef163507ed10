#include "checks/software/version_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(VersionCharAt, ReadsSignedCharactersAndNulPastTheEnd) {
  EXPECT_EQ(VersionCharAt("8.00", 0), '8');
  EXPECT_EQ(VersionCharAt("8.00", 2), '0');
  EXPECT_EQ(VersionCharAt("2.", 2), '\0');
  EXPECT_EQ(VersionCharAt("2", 2), '\0');
  EXPECT_EQ(VersionCharAt("", 0), '\0');
  EXPECT_LT(VersionCharAt("\x80", 0), 0);
  EXPECT_LT(VersionCharAt("\xFF", 0), 0);
}

struct VersionCase {
  const char* name;
  std::string version;
  bool expected;
};

void ExpectRule(bool (*rule)(const std::string&), const VersionCase* begin, const VersionCase* end) {
  for (const VersionCase* c = begin; c != end; ++c) EXPECT_EQ(rule(c->version), c->expected) << c->name;
}

TEST(IsEngineVersion8, LooksAtTheFirstCharacterOnly) {
  const VersionCase cases[] = {
      {"Seven", "7.00.623", false},
      {"Eight", "8.00.194", true},
      {"Nine", "9.00.1399", true},
      {"TenCountsAsOne", "10.50", false},
      {"Empty", "", false},
      {"ColonAboveNine", ":", true},
      {"Byte0x80",
       "\x80"
       "8",
       false},
      {"Byte0xFF", "\xFF", false},
      {"LetterAboveDigits", "a", true},
  };
  ExpectRule(IsEngineVersion8, std::begin(cases), std::end(cases));
}

TEST(IsNetworkManagerVersion1OrLater, LooksAtTheFirstCharacterOnly) {
  const VersionCase cases[] = {
      {"Zero", "0.9", false}, {"Empty", "", false},    {"One", "1.0", true},
      {"Two", "2", true},     {"High", "\xC1", false},
  };
  ExpectRule(IsNetworkManagerVersion1OrLater, std::begin(cases), std::end(cases));
}

TEST(IsOldNnmConnectionVersion, BelowTwoPointTwo) {
  const VersionCase cases[] = {
      {"OnePointFive", "1.5", true},
      {"TwoPointOne", "2.1", true},
      {"TwoPointTwo", "2.2", false},
      {"TwoPointNine", "2.9", false},
      {"ThreePointZero", "3.0", false},
      {"TenPointZero", "10.0", true},
      {"Empty", "", true},
      {"TwoCharacters", "2.", true},
      {"OneCharacter", "2", true},
      {"HighFirstByte", "\x80", true},
      {"HighThirdByte", "2.\x80", true},
  };
  ExpectRule(IsOldNnmConnectionVersion, std::begin(cases), std::end(cases));
}

TEST(IsOldSmsConnectionVersion, OnePointZeroAndOnePointOne) {
  const VersionCase cases[] = {
      {"OnePointZero", "1.0", true},   {"OnePointOne", "1.1", true},   {"OnePointTwo", "1.2", false},
      {"ZeroPointNine", "0.9", false}, {"TwoPointZero", "2.0", false}, {"Empty", "", false},
      {"TwoCharacters", "1.", true},   {"OneCharacter", "1", true},    {"TenPointZero", "10.0", true},
  };
  ExpectRule(IsOldSmsConnectionVersion, std::begin(cases), std::end(cases));
}

TEST(IsOldUnicenterConnectionVersion, OnePointZeroToOnePointTwo) {
  const VersionCase cases[] = {
      {"OnePointZero", "1.0", true},   {"OnePointTwo", "1.2", true}, {"OnePointThree", "1.3", false},
      {"TwoPointZero", "2.0", false},  {"Empty", "", false},         {"OneCharacter", "1", true},
      {"ZeroPointFive", "0.5", false},
  };
  ExpectRule(IsOldUnicenterConnectionVersion, std::begin(cases), std::end(cases));
}

}  // namespace
