// The text rules the front end and the checks share.
#include "probes/text_rules.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "sim/machine/machine.h"

namespace {

TEST(AtoiSaturating, FollowsTheRunTimeRuleAndSaturates) {
  struct Case {
    const char* name;
    const char* text;
    std::int32_t expected;
  };
  const Case cases[] = {
      {"Plain", "17", 17},
      {"LeadingBlanksAndPlus", "  +42", 42},
      {"Negative", "-3", -3},
      {"StopsAtTheFirstOtherCharacter", "12abc", 12},
      {"NoDigits", "abc", 0},
      {"Empty", "", 0},
      {"LeadingTab", "\t7", 7},
      {"LeadingNewlineAndFormFeed", "\n\v\f\r 8", 8},
      {"SignAlone", "-", 0},
      {"TwoSigns", "+-3", 0},
      {"BlankAfterTheSign", "- 3", 0},
      {"InnerBlankEndsTheNumber", "1 2", 1},
      {"LeadingZeros", "007", 7},
      {"DecimalPointEndsTheNumber", "3.9", 3},
      {"HexIsNotRead", "0x1F", 0},
      {"Largest", "2147483647", 2147483647},
      {"Smallest", "-2147483648", INT32_MIN},
      {"OneAboveTheLargestSaturates", "2147483648", INT32_MAX},
      {"OneBelowTheSmallestSaturates", "-2147483649", INT32_MIN},
      {"FarAboveSaturates", "99999999999999999999999", INT32_MAX},
      {"FarBelowSaturates", "-99999999999999999999999", INT32_MIN},
      {"SaturatedThenText", "5000000000ms", INT32_MAX},
  };
  for (const Case& c : cases) EXPECT_EQ(AtoiSaturating(c.text), c.expected) << c.name;
}

TEST(CompareNoCase, FoldsLettersAndComparesBytesUnsigned) {
  struct Case {
    const char* name;
    const char* a;
    const char* b;
    int sign;  // of the comparison
  };
  const Case cases[] = {
      {"SameText", "ADMINCHECK", "ADMINCHECK", 0},
      {"LowerAndUpper", "admincheck", "ADMINCHECK", 0},
      {"MixedCase", "AdminCheck", "aDMINcHECK", 0},
      {"ProperPrefixSortsFirst", "STORPORT", "STORPORTSP1", -1},
      {"LongerSortsAfter", "STORPORTSP1", "STORPORT", 1},
      {"LeadingBlankDiffers", " NULL", "NULL", -1},
      {"DigitsAndUnderscore", "2008_core", "2008_CORE", 0},
      {"UnderscoreAfterLetters", "_", "a", -1},  // '_' 0x5F < 'a' 0x61 once folded
      {"HighBytesCompareUnsigned", "\xE9", "z", 1},
      {"HighBytesAreNotFolded", "\xC9", "\xE9", -1},
      {"BothEmpty", "", "", 0},
  };
  for (const Case& c : cases) {
    const int result = CompareNoCase(c.a, c.b);
    EXPECT_EQ((result > 0) - (result < 0), c.sign) << c.name;
    EXPECT_EQ(EqualsNoCase(c.a, c.b), c.sign == 0) << c.name;
  }
}

TEST(TextUpToNul, StopsAtTheFirstZeroByteOrTheEnd) {
  EXPECT_EQ(TextUpToNul("ab\0cd", 5), "ab");
  EXPECT_EQ(TextUpToNul("abcd", 4), "abcd");
  EXPECT_EQ(TextUpToNul("abcd", 2), "ab");
  EXPECT_EQ(TextUpToNul("\0abc", 4), "");
  EXPECT_EQ(TextUpToNul("", 0), "");
}

}  // namespace
