// The front end's keyword table: every keyword, in its order, matched over
// the whole text without regard to case.
#include "app/keyword_table.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* const kKeywordsInOrder[] = {
    "ADMINCHECK",
    "KROSCHECK",
    "OLDKVCHECK",
    "VERSIONCHECK",
    "SIGNCHECK",
    "W2KDRIVERPOLICYCHECK",
    "OLDQRWITHKVI",
    "SQLDEFAULTCHECK",
    "SQLVERSIONCHECK",
    "SQLCLIENTONLYCHECK",
    "TQAROCKSCHECK",
    "MSDEWORKINGCHECK",
    "MSDEINSTALLEDCHECK",
    "KVNMCHECK",
    "TSMODECHECK",
    "RACMNINSTALLED",
    "ISNOTEM64T",
    "ISITANIUM",
    "KRCDFOLDERCHECK",
    "QRMNCHECK",
    "QRMSCHECK",
    "MSIINPROGRESSCHECK",
    "MSICHECK",
    "R2HWMGMTINSTALLEDCHECK",
    "INTELDRIVERINSTALLEDCHECK",
    "R2NOHWMGMTINSTALLEDCHECK",
    "STORPORTSP1",
    "STORPORT",
    "2008_CORE",
    "W2K8R2OSCHECK",
    "NULL",
    "SLEEP",
};

TEST(FindKeywordRow, HoldsEveryKeywordInTableOrder) {
  const KeywordRow* first = FindKeywordRow(kKeywordsInOrder[0]);
  ASSERT_NE(first, nullptr);
  int position = 0;
  for (const char* keyword : kKeywordsInOrder) {
    const KeywordRow* row = FindKeywordRow(keyword);
    ASSERT_NE(row, nullptr) << keyword;
    EXPECT_STREQ(row->keyword, keyword);
    EXPECT_NE(row->run, nullptr) << keyword;
    // The rows sit one after another in the order MODE is compared with them.
    EXPECT_EQ(row - first, position) << keyword;
    ++position;
  }
  EXPECT_EQ(position, 32);
}

TEST(FindKeywordRow, MatchesTheWholeTextWithoutRegardToCase) {
  struct Case {
    const char* name;
    const char* mode;
    const char* row;  // null: no row
  };
  const Case cases[] = {
      {"LowerCase", "admincheck", "ADMINCHECK"},
      {"MixedCase", "AdminCheck", "ADMINCHECK"},
      {"LowerCaseWithDigitsAndUnderscore", "2008_core", "2008_CORE"},
      {"ShorterKeywordIsItsOwnRow", "STORPORT", "STORPORT"},
      {"LongerKeywordIsItsOwnRow", "storportsp1", "STORPORTSP1"},
      {"NoPrefixMatching", "STORPORTS", nullptr},
      {"NoPrefixOfAKeyword", "ADMIN", nullptr},
      {"LeadingBlankIsNotTrimmed", " NULL", nullptr},
      {"TrailingBlankIsNotTrimmed", "NULL ", nullptr},
      {"Empty", "", nullptr},
      {"UnknownWord", "FOOCHECK", nullptr},
  };
  for (const Case& c : cases) {
    const KeywordRow* row = FindKeywordRow(c.mode);
    if (c.row == nullptr) {
      EXPECT_EQ(row, nullptr) << c.name;
    } else {
      ASSERT_NE(row, nullptr) << c.name;
      EXPECT_STREQ(row->keyword, c.row) << c.name;
    }
  }
}

}  // namespace
