#include "regex/regex_object.h"

#include <gtest/gtest.h>

#include "common/gbk.h"

namespace {

using std::nullopt;

struct OptionCase {
  const char* name;
  Text pattern;
  Text text;
  std::optional<bool> caseSensitive;
  std::optional<bool> multiline;
  std::optional<bool> global;
  std::vector<Text> expectedMatches;
};

const OptionCase kOptionCases[] = {
    {"defaults ignore case", "ab", "AB ab aB", nullopt, nullopt, nullopt, {"AB", "ab", "aB"}},
    {"case-sensitive when asked", "ab", "AB ab aB", true, nullopt, nullopt, {"ab"}},
    {"case-insensitive when given false", "ab", "AB ab", false, nullopt, nullopt, {"AB", "ab"}},
    {"defaults are multiline", "^x.$", "xa\nxb\nxc", nullopt, nullopt, nullopt,
     {"xa", "xb", "xc"}},
    {"multiline off anchors at the ends only", "^x.$", "xa\nxb\nxc", nullopt, false, nullopt,
     {}},
    {"multiline off, start anchor", "^x.", "xa\nxb", nullopt, false, nullopt, {"xa"}},
    {"global off gives the first match only", "\\d+", "1 22 333", nullopt, nullopt, false,
     {"1"}},
    {"global given true", "\\d+", "1 22 333", nullopt, nullopt, true, {"1", "22", "333"}},
    {"dot stops at a line feed only", "a.b", "a\nb a\rb a\tb", nullopt, nullopt, nullopt,
     {"a\rb", "a\tb"}},
    {"\\s takes each blank", "x\\sy", "x y x\ty x\ny x\ry x\vy x\fy", nullopt, nullopt, nullopt,
     {"x y", "x\ty", "x\ny", "x\ry", "x\vy", "x\fy"}},
    {"lazy quantifier takes as little as it can", "<(.*?)>", "<a><b>", nullopt, nullopt, nullopt,
     {"<a>", "<b>"}},
    {"literal line feed inside the pattern", "a\nb", "a\nb ab", nullopt, nullopt, nullopt,
     {"a\nb"}},
    {"matching is by character, not by byte",  // "号" is BA C5; "\xC5\xBA" must not match "."
     "\xBA\xC5.", "\xBA\xC5\xC5\xBA" "a", nullopt, nullopt, nullopt, {"\xBA\xC5\xC5\xBA"}},
    {"a byte pattern cannot match half a character", "\xC5", "\xBA\xC5", nullopt, nullopt,
     nullopt, {}},
    {"chinese letters ignore case like others", "\xA3\xC1",  // full-width A, matches a
     "\xA3\xE1", nullopt, nullopt, nullopt, {"\xA3\xE1"}},
    {"empty matches move forward", "x*", "axx", nullopt, nullopt, nullopt, {"", "xx", ""}},
};

TEST(RegexObject, OptionsAndSyntax) {
  for (const OptionCase& c : kOptionCases) {
    RegexObject regex;
    ASSERT_TRUE(regex.create(c.pattern, c.text, c.caseSensitive, c.multiline, c.global))
        << "case: " << c.name;
    std::vector<Text> matches;
    for (std::int32_t i = 1; i <= regex.matchCount(); ++i) matches.push_back(regex.matchText(i));
    EXPECT_EQ(matches, c.expectedMatches) << "case: " << c.name;
  }
}

TEST(RegexObject, NothingMatchedIsStillASuccessfulRun) {
  RegexObject regex;
  EXPECT_TRUE(regex.create("zzz", "abc"));
  EXPECT_EQ(regex.matchCount(), 0);
  EXPECT_EQ(regex.matchText(1), "");
  EXPECT_EQ(regex.subMatchCount(), 0);
}

TEST(RegexObject, PatternThatDoesNotCompile) {
  RegexObject regex;
  ASSERT_TRUE(regex.create("(a)", "a"));
  EXPECT_FALSE(regex.create("(a", "a a"));
  EXPECT_EQ(regex.matchCount(), 0);
  EXPECT_EQ(regex.matchText(1), "");
  EXPECT_EQ(regex.patternText(), "(a");
  EXPECT_EQ(regex.replace("b"), "");
}

TEST(RegexObject, IndexesOutOfRangeGiveEmptyText) {
  RegexObject regex;
  ASSERT_TRUE(regex.create("(a)(b)?", "a ab"));
  ASSERT_EQ(regex.matchCount(), 2);
  const struct {
    std::int32_t match;
    std::int32_t group;
  } cases[] = {{0, 1}, {-1, 1}, {3, 1}, {1, 0}, {1, -1}, {1, 3}, {2, 3}};
  for (const auto& c : cases) {
    EXPECT_EQ(regex.subMatchText(c.match, c.group), "")
        << "match " << c.match << " group " << c.group;
  }
  for (std::int32_t index : {0, -1, 3}) EXPECT_EQ(regex.matchText(index), "") << index;
}

TEST(RegexObject, GroupThatTookNoPartIsEmpty) {
  RegexObject regex;
  ASSERT_TRUE(regex.create("(a)(b)?", "a ab"));
  EXPECT_EQ(regex.subMatchText(1, 1), "a");
  EXPECT_EQ(regex.subMatchText(1, 2), "");
  EXPECT_EQ(regex.subMatchText(2, 2), "b");
}

TEST(RegexObject, SecondCreateReplacesTheFirst) {
  RegexObject regex;
  ASSERT_TRUE(regex.create("a", "aaa"));
  ASSERT_EQ(regex.matchCount(), 3);
  ASSERT_TRUE(regex.create("(b)(c)", "bc"));
  EXPECT_EQ(regex.matchCount(), 1);
  EXPECT_EQ(regex.subMatchCount(), 2);
  EXPECT_EQ(regex.matchText(2), "");
  EXPECT_EQ(regex.replace("x"), "x");
}

TEST(RegexObject, EmptyObjectAnswersNothing) {
  const RegexObject regex;
  EXPECT_EQ(regex.patternText(), "");
  EXPECT_EQ(regex.replace("x"), "");
  EXPECT_EQ(regex.matchCount(), 0);
  EXPECT_EQ(regex.subMatchCount(), 0);
  std::int32_t position = 7;
  EXPECT_EQ(regex.matchText(1, &position), "");
  EXPECT_EQ(position, -1);
}

TEST(RegexObject, QuoteMarker) {
  const Text marker = utf8ToGbk("#引号");
  const Text pattern = "a" + marker + "b" + marker;
  RegexObject regex;

  ASSERT_TRUE(regex.create(pattern, "a\"b\"", nullopt, nullopt, nullopt, true));
  EXPECT_EQ(regex.patternText(), "a\"b\"");
  EXPECT_EQ(regex.matchCount(), 1);

  ASSERT_TRUE(regex.create(pattern, "a\"b\""));
  EXPECT_EQ(regex.patternText(), pattern);
  EXPECT_EQ(regex.matchCount(), 0);

  ASSERT_TRUE(regex.create(pattern, "", nullopt, nullopt, nullopt, false));
  EXPECT_EQ(regex.patternText(), pattern);

  // "\xB0\x23" is one two-byte character: the '#' inside it starts no marker.
  const Text hidden = "\xB0" + marker;
  ASSERT_TRUE(regex.create(hidden, "", nullopt, nullopt, nullopt, true));
  EXPECT_EQ(regex.patternText(), hidden);
}

TEST(RegexObject, Replace) {
  struct Case {
    const char* name;
    Text pattern;
    std::optional<bool> global;
    Text replacement;
    Text expected;
  };
  const Case cases[] = {
      {"every match when global", "o", nullopt, "0", "f00 b0"},
      {"first match without global", "o", false, "0", "f0o bo"},
      {"group reference", "(f)(o+)", nullopt, "$2$1", "oof bo"},
      {"whole match as $&", "o+", nullopt, "[$&]", "f[oo] b[o]"},
      {"whole match as $0", "b", nullopt, "<$0>", "foo <b>o"},
      {"dollar sign", "b", nullopt, "$$", "foo $o"},
      {"unknown group fails", "b", nullopt, "$7", ""},
      {"gbk replacement", "b", nullopt, "\xBA\xC5", "foo \xBA\xC5o"},
  };
  for (const Case& c : cases) {
    RegexObject regex;
    ASSERT_TRUE(regex.create(c.pattern, "foo bo", nullopt, nullopt, c.global)) << c.name;
    EXPECT_EQ(regex.replace(c.replacement), c.expected) << "case: " << c.name;
  }
}

TEST(RegexObject, SubMatchCountIsTheNumberOfGroups) {
  RegexObject regex;
  ASSERT_TRUE(regex.create("(a)(b)?(?:c)(d)?", "ac"));
  EXPECT_EQ(regex.subMatchCount(), 3);
  ASSERT_TRUE(regex.create("(a)(b)", "xx"));
  EXPECT_EQ(regex.subMatchCount(), 0);
}

TEST(RegexObject, TextsAreTheExactBytesOfTheSearchedText) {
  // An invalid byte pair decodes to a replacement character; the match must
  // still give back the original bytes, not a re-encoding of U+FFFD.
  const Text text = "<\x81\x7F\xBA\xC5>";
  RegexObject regex;
  ASSERT_TRUE(regex.create("<(.*)>", text));
  EXPECT_EQ(regex.subMatchText(1, 1), "\x81\x7F\xBA\xC5");
}

TEST(RegexObject, CopiesKeepTheirOwnResults) {
  RegexObject original;
  ASSERT_TRUE(original.create("(\\w)", "ab"));
  RegexObject copy = original;
  ASSERT_TRUE(original.create("x", "y"));
  EXPECT_EQ(copy.matchCount(), 2);
  EXPECT_EQ(copy.subMatchText(2, 1), "b");
  EXPECT_EQ(copy.replace("-"), "--");
  EXPECT_EQ(original.matchCount(), 0);
}

}  // namespace
