#include "common/gbk.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(Gbk, RoundTripsChineseAndAscii) {
  const Text gbk = "QQ\xBA\xC5\xC2\xEB\xA3\xBA" "513";  // "QQ号码：513"
  const std::u16string utf16 = gbkToUtf16(gbk);
  EXPECT_EQ(utf16, u"QQ号码：513");
  EXPECT_EQ(utf16ToGbk(utf16), gbk);
  EXPECT_EQ(utf8ToGbk("QQ号码：513"), gbk);
  EXPECT_EQ(gbkToUtf8(gbk), "QQ号码：513");
}

TEST(Gbk, InvalidBytesDecodeToReplacementCharacters) {
  struct Case {
    const char* name;
    Text gbk;
    std::u16string expected;
  };
  const Case cases[] = {
      {"dangling lead byte at the end", "a\x81", u"a\uFFFD"},
      {"lead byte before a line feed keeps the line feed", "\x81\na", u"\uFFFD\na"},
      {"lead byte before a space keeps the space", "\x81 b", u"\uFFFD b"},
      {"byte 80 is the euro sign, as on Windows", "\x80", u"\u20AC"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(gbkToUtf16(c.gbk), c.expected) << "case: " << c.name;
  }
}

std::vector<std::int32_t> walkedOffsets(std::string_view gbk) {
  GbkCursor cursor(gbk);
  std::vector<std::int32_t> offsets;
  for (std::size_t unit = 0; unit <= cursor.unitCount(); ++unit) offsets.push_back(cursor.advanceTo(unit));
  return offsets;
}

// The walk must split a text exactly as the decoder does, valid or not.
TEST(GbkCursor, AgreesWithTheDecoder) {
  struct Case {
    const char* name;
    Text gbk;
    std::vector<std::int32_t> offsets;
  };
  const Case cases[] = {
      {"empty", "", {0}},
      {"ascii and two-byte characters", "a\xBA\xC5" "b", {0, 1, 3, 4}},
      {"dangling lead byte at the end", "b\x81", {0, 1, 2}},
      {"lead byte before a line feed", "\x81\nx", {0, 1, 2, 3}},
      {"lead byte before 7F", "\x81\x7F", {0, 1, 2}},
      {"lead byte before FF", "\x81\xFF", {0, 1, 2}},
      {"lead byte before a lead byte", "\x81\x81\x40", {0, 2, 3}},
      {"80 and FF stand alone", "\x80\xFF" "a", {0, 1, 2, 3}},
      {"trail byte 40 after a lead", "\x81\x40", {0, 2}},
      {"more than eight ascii bytes, then chinese", "0123456789\xBA\xC5", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(gbkUnitOffsets(c.gbk), c.offsets) << "case: " << c.name;
    EXPECT_EQ(walkedOffsets(c.gbk), c.offsets) << "case: " << c.name;
    EXPECT_EQ(GbkCursor(c.gbk).unitCount(), gbkToUtf16(c.gbk).size()) << "case: " << c.name;
  }
}

TEST(GbkCursor, JumpsForwardAndStaysAtTheEnd) {
  Text gbk;
  for (int i = 0; i < 1000; ++i) gbk += i % 3 == 0 ? Text("\xBA\xC5") : Text("ab");
  const std::vector<std::int32_t> offsets = gbkUnitOffsets(gbk);
  GbkCursor cursor(gbk);
  for (std::size_t unit = 0; unit < offsets.size(); unit += 37) {
    EXPECT_EQ(cursor.advanceTo(unit), offsets[unit]) << "unit " << unit;
  }
  EXPECT_EQ(cursor.advanceTo(offsets.size() + 5), static_cast<std::int32_t>(gbk.size()));
}

TEST(Gbk, CharactersOutsideGbkAreSubstitutedNotDropped) {
  const Text gbk = utf16ToGbk(u"a\U0001F600b");
  ASSERT_GE(gbk.size(), 3u);
  EXPECT_EQ(gbk.front(), 'a');
  EXPECT_EQ(gbk.back(), 'b');
}

TEST(Gbk, ConvertersArePerThread) {
  std::u16string fromOtherThread;
  std::thread worker([&] { fromOtherThread = gbkToUtf16("\xBA\xC5"); });
  worker.join();
  EXPECT_EQ(fromOtherThread, u"号");
  EXPECT_EQ(gbkToUtf16("\xBA\xC5"), u"号");
}

}  // namespace
