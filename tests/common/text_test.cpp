#include "common/text.h"

#include <gtest/gtest.h>

namespace {

struct TrimCase {
  const char* name;
  Text input;
  Text expected;
};

// GBK bytes: A1 A1 is the full-width space, B0 A1 is the character "啊".
const TrimCase kTrimCases[] = {
    {"nothing to trim", "513602947", "513602947"},
    {"ascii spaces both ends", "  513602947 ", "513602947"},
    {"full-width spaces both ends", "\xA1\xA1" "513\xA1\xA1", "513"},
    {"mixed runs both ends", " \xA1\xA1 1 2\xA1\xA1  \xA1\xA1", "1 2"},
    {"inner blanks stay", "1 \xA1\xA1 2", "1 \xA1\xA1 2"},
    {"tab kept at both ends", "\t513\t", "\t513\t"},
    {"line breaks kept", "\r\n513\n", "\r\n513\n"},
    {"space outside a tab still goes", " \t1\t ", "\t1\t"},
    {"empty", "", ""},
    {"only ascii spaces", "    ", ""},
    {"only full-width spaces", "\xA1\xA1\xA1\xA1", ""},
    {"only mixed blanks", " \xA1\xA1 ", ""},
    {"trail byte A1 is not half a space", "\xB0\xA1\xA1", "\xB0\xA1"},
    {"character then full-width space", "\xB0\xA1\xA1\xA1", "\xB0\xA1"},
    {"dangling lead byte dropped, blanks before it kept", "12  \x81", "12  "},
    {"dangling lead byte after a full-width space", "1\xA1\xA1\xA1", "1\xA1\xA1"},
    {"a lone dangling lead byte", "\x81", ""},
    {"leading blanks go before a dangling lead byte", "  1 \xB0", "1 "},
};

TEST(TrimBlanks, Table) {
  for (const TrimCase& c : kTrimCases) {
    EXPECT_EQ(trimBlanks(c.input), c.expected) << "case: " << c.name;
  }
}

TEST(BytesToText, CutsAtFirstZeroByte) {
  struct Case {
    const char* name;
    Bytes input;
    Text expected;
  };
  const Case cases[] = {
      {"empty", {}, ""},
      {"no zero byte", {'a', 'b', 0xB0, 0xA1}, "ab\xB0\xA1"},
      {"zero in the middle", {'a', 0, 'b'}, "a"},
      {"zero first", {0, 'a'}, ""},
      {"zero last", {'a', 'b', 0}, "ab"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(bytesToText(c.input), c.expected) << "case: " << c.name;
  }
}

}  // namespace
