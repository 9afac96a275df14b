#include "playlist/playlist_pattern.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "common/gbk.h"
#include "support/playlist_document.h"
#include "regex/regex_object.h"
#include "extracted_songs.h"

namespace {


std::string describe(const std::vector<Song>& songs) {
  std::string out;
  for (const Song& s : songs) {
    out += "[" + gbkToUtf8(s.singer) + " | " + gbkToUtf8(s.title) + " | " + gbkToUtf8(s.address) + "]\n";
  }
  return out;
}

// What the fetch does with a body: cut at the first zero byte, run the pattern
// with every option left out, take groups 1, 2 and 3.
std::vector<Song> songsIn(const std::string& body) {
  RegexObject regex;
  regex.create(Text(kPlaylistPattern), bytesToText(Bytes(body.begin(), body.end())));
  return extractedSongs(regex);
}

TEST(PlaylistPattern, IsThreeLinesOf128Bytes) {
  EXPECT_EQ(kPlaylistPattern.size(), 128u);
  EXPECT_EQ(std::count(kPlaylistPattern.begin(), kPlaylistPattern.end(), '\n'), 2);
  EXPECT_NE(kPlaylistPattern.front(), '\n');
  EXPECT_NE(kPlaylistPattern.back(), '\n');
  EXPECT_TRUE(kPlaylistPattern.ends_with("</xsong_"));
}

TEST(PlaylistPattern, Documents) {
  const Text jay = utf8ToGbk("周杰伦");
  const Text sunny = utf8ToGbk("晴天");
  const std::string a = songXml("A", "Song A", "http://m/a.mp3");
  const std::string b = songXml("B", "Song B", "http://m/b.mp3");
  const std::string c = songXml("C", "Song C", "http://m/c.mp3");
  const Song songA{"A", "Song A", "http://m/a.mp3"};
  const Song songB{"B", "Song B", "http://m/b.mp3"};
  const Song songC{"C", "Song C", "http://m/c.mp3"};
  struct Case {
    const char* name;
    std::string document;
    std::vector<Song> expected;
  };
  const Case cases[] = {
      {"three songs in document order", playlistXml({a, b, c}), {songA, songB, songC}},
      {"no songs", playlistXml({}), {}},
      {"CRLF between the elements",
       "<xsinger_name><![CDATA[A ]]></xsinger_name>\r\n<xsong_name><![CDATA[Song A ]]></xsong_name>\r\n"
       "<xsong_url><![CDATA[http://m/a.mp3 ]]></xsong_url>\r\n",
       {}},
      {"indented xsong_name line skips that song",
       playlistXml({a,
                    "<xsinger_name><![CDATA[B ]]></xsinger_name>\n <xsong_name><![CDATA[Song B ]]></xsong_name>\n"
                    "<xsong_url><![CDATA[http://m/b.mp3 ]]></xsong_url>\n",
                    c}),
       {songA, songC}},
      {"title without trailing white space skips that song",
       playlistXml({a,
                    "<xsinger_name><![CDATA[B ]]></xsinger_name>\n<xsong_name><![CDATA[Song B]]></xsong_name>\n"
                    "<xsong_url><![CDATA[http://m/b.mp3 ]]></xsong_url>\n",
                    c}),
       {songA, songC}},
      {"title with a line feed inside skips that song",
       playlistXml({a, songXml("B", "Song\nB", "http://m/b.mp3"), c}), {songA, songC}},
      {"upper-case element names",
       "<XSINGER_NAME><![cdata[A ]]></XSINGER_NAME>\n<XSONG_NAME><![CDATA[Song A ]]></XSONG_NAME>\n"
       "<XSONG_URL><![CDATA[http://m/a.mp3 ]]></XSONG_URL>\n",
       {songA}},
      {"content ending in two spaces keeps one", playlistXml({songXml("A ", "Song A ", "http://m/a.mp3 ")}),
       {{"A ", "Song A ", "http://m/a.mp3 "}}},
      {"content of one space gives an empty group", playlistXml({songXml("", "", "")}), {{"", "", ""}}},
      {"contents ending in a line break",
       "<xsinger_name><![CDATA[A\n]]></xsinger_name>\n<xsong_name><![CDATA[Song A\n]]></xsong_name>\n"
       "<xsong_url><![CDATA[http://m/a.mp3\n]]></xsong_url>\n",
       {songA}},
      {"earlier CDATA section on the singer's line",
       "<xsinger_id><![CDATA[7 ]]></xsinger_id><xsinger_name><![CDATA[A ]]></xsinger_name>\n"
       "<xsong_name><![CDATA[Song A ]]></xsong_name>\n<xsong_url><![CDATA[http://m/a.mp3 ]]></xsong_url>\n",
       {{"7 ]]></xsinger_id><xsinger_name><![CDATA[A", "Song A", "http://m/a.mp3"}}},
      {"zero byte in the middle hides what follows", playlistXml({a, std::string(1, '\0'), b}), {songA}},
      {"GBK Chinese texts intact", playlistXml({songXml(jay, sunny, "http://m/" + sunny + ".mp3")}),
       {{jay, sunny, "http://m/" + sunny + ".mp3"}}},
  };
  for (const Case& test : cases) {
    const std::vector<Song> found = songsIn(test.document);
    EXPECT_EQ(found, test.expected) << "case: " << test.name << "\nfound:\n"
                                 << describe(found) << "expected:\n"
                                 << describe(test.expected);
  }
}

}  // namespace
