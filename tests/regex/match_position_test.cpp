#include <gtest/gtest.h>

#include "regex/regex_object.h"

namespace {

using std::nullopt;

struct PositionCase {
  const char* name;
  Text pattern;
  Text text;
  std::int32_t match;
  std::int32_t group;  // 0 asks matchText
  Text expectedText;
  std::int32_t expectedPosition;
};

// GBK: B0 A1 and BA C5 are two-byte characters.
const PositionCase kPositionCases[] = {
    {"single-byte text, first match", "a", "xaa", 1, 0, "a", 1},
    {"repeated identical match gets its own place", "a", "xaa", 2, 0, "a", 2},
    {"after two-byte characters", "b", "\xB0\xA1\xBA\xC5" "ab", 1, 0, "b", 5},
    {"two-byte match after two-byte characters", "\xBA\xC5", "\xB0\xA1\xBA\xC5", 1, 0,
     "\xBA\xC5", 2},
    {"group has its own start, not the match's", "x(b+)", "\xB0\xA1xbb", 1, 1, "bb", 3},
    {"earlier same text in another case is not taken", "ab", "AB ab", 2, 0, "ab", 3},
    {"match with empty text", "(a?)$", "\xB0\xA1", 1, 0, "", 2},
    {"group that took no part", "(a)|(b)", "\xB0\xA1" "b", 1, 1, "", -1},
    {"match index beyond the count", "a", "aaa", 4, 0, "", -1},
    {"match index zero", "a", "aaa", 0, 0, "", -1},
    {"group index beyond the groups", "(a)", "aaa", 1, 2, "", -1},
};

TEST(MatchPosition, Table) {
  for (const PositionCase& c : kPositionCases) {
    RegexObject regex;
    ASSERT_TRUE(regex.create(c.pattern, c.text)) << "case: " << c.name;
    std::int32_t position = 99;
    const Text text = c.group == 0 ? regex.matchText(c.match, &position)
                                   : regex.subMatchText(c.match, c.group, &position);
    EXPECT_EQ(text, c.expectedText) << "case: " << c.name;
    EXPECT_EQ(position, c.expectedPosition) << "case: " << c.name;
  }
}

TEST(MatchPosition, EveryReturnedTextStandsAtItsPosition) {
  const Text text = "\xB0\xA1<a1>\xBA\xC5<b22>\n<\xB0\xA1\xBA\xC5 3>";
  RegexObject regex;
  ASSERT_TRUE(regex.create("<(.)(.*?)>", text));
  ASSERT_EQ(regex.matchCount(), 3);
  for (std::int32_t m = 1; m <= regex.matchCount(); ++m) {
    for (std::int32_t g = 0; g <= regex.subMatchCount(); ++g) {
      std::int32_t position = -1;
      const Text found = g == 0 ? regex.matchText(m, &position) : regex.subMatchText(m, g, &position);
      ASSERT_GE(position, 0) << "match " << m << " group " << g;
      EXPECT_EQ(text.substr(static_cast<std::size_t>(position), found.size()), found)
          << "match " << m << " group " << g;
    }
  }
}

TEST(MatchPosition, OmittedPositionChangesNothing) {
  RegexObject regex;
  ASSERT_TRUE(regex.create("(b)", "\xB0\xA1" "b"));
  EXPECT_EQ(regex.subMatchText(1, 1), "b");
  EXPECT_EQ(regex.matchText(1), "b");
}

}  // namespace
