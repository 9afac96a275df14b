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

std::vector<std::int32_t> allOffsets(const DecodedGbk& decoded) {
  std::vector<std::int32_t> offsets;
  for (std::size_t unit = 0; unit <= decoded.utf16().size(); ++unit) {
    offsets.push_back(decoded.byteOffset(unit));
  }
  return offsets;
}

TEST(DecodedGbk, MapsEveryUnitToItsBytes) {
  const DecodedGbk decoded("a\xBA\xC5" "b\x81");  // a, 号, b, dangling lead byte
  EXPECT_EQ(decoded.utf16(), u"a号b\uFFFD");
  EXPECT_EQ(allOffsets(decoded), (std::vector<std::int32_t>{0, 1, 3, 4, 5}));
}

TEST(DecodedGbk, MapsAcrossBlocksAndPieces) {
  // Long enough for many 64-unit blocks and several decoding pieces, with
  // one- and two-byte characters mixed unevenly.
  Text gbk;
  std::vector<std::int32_t> expected;
  for (int i = 0; i < 50000; ++i) {
    expected.push_back(static_cast<std::int32_t>(gbk.size()));
    gbk += i % 3 == 0 ? Text("\xBA\xC5") : Text(1, static_cast<char>('a' + i % 26));
  }
  expected.push_back(static_cast<std::int32_t>(gbk.size()));
  const DecodedGbk decoded(gbk);
  EXPECT_EQ(decoded.utf16(), gbkToUtf16(gbk));
  EXPECT_EQ(allOffsets(decoded), expected);
}

TEST(DecodedGbk, EmptyTextHasOnePosition) {
  const DecodedGbk decoded("");
  EXPECT_TRUE(decoded.utf16().empty());
  EXPECT_EQ(decoded.byteOffset(0), 0);
  EXPECT_TRUE(utf16ToGbk(u"").empty());
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
