// Documents built to make a backtracking search slow: long lines of
// "[CDATA[a " and near-miss endings, at 64 KB and 1 MB. The extraction must
// get through each within the engine's limits and find exactly the songs
// that are there.
#include <gtest/gtest.h>

#include <functional>

#include "playlist/playlist_pattern.h"
#include "regex/regex_object.h"
#include "support/playlist_document.h"
#include "extracted_songs.h"

namespace {


const std::string kTitleLine = "<xsong_name><![CDATA[t ]]></xsong_name>\n";
const std::string kAddressLine = "<xsong_url><![CDATA[u ]]></xsong_url>\n";
const std::string kSingerLine = "<xsinger_name><![CDATA[s ]]></xsinger_name>\n";

struct Case {
  const char* name;
  // The document for a size, and the songs it holds.
  std::function<std::string(std::size_t)> document;
  std::function<std::vector<Song>(std::size_t)> songs = [](std::size_t) { return std::vector<Song>{}; };
};

const Case kCases[] = {
    {"one line of [CDATA[a", [](std::size_t n) { return repeated("[CDATA[a ", n) + "\n"; }},
    {"one line of [CDATA[a without a line feed", [](std::size_t n) { return repeated("[CDATA[a ", n); }},
    {"[CDATA[a line then </xsong_",
     [](std::size_t n) { return repeated("[CDATA[a ", n) + "</xsong_\n"; }},
    {"[CDATA[a line ending like a singer's, next line wrong",
     [](std::size_t n) {
       return repeated("[CDATA[a ", n) + "]]></xsinger_name>\n<xsong_nam><![CDATA[t ]]></xsong_name>\n" +
              kAddressLine;
     }},
    {"[CDATA[a line ending like a singer's, title right, address line wrong",
     [](std::size_t n) {
       return repeated("[CDATA[a ", n) + "]]></xsinger_name>\n" + kTitleLine + "<xsong_url>u\n";
     }},
    {"[CDATA[a line that is a singer's, then a whole song",
     [](std::size_t n) { return repeated("[CDATA[a ", n) + "]]></xsinger_name>\n" + kTitleLine + kAddressLine; },
     [](std::size_t n) {
       const std::string line = repeated("[CDATA[a ", n);
       // From the first "[CDATA[" to the last blank, which the pattern takes.
       return std::vector<Song>{{line.substr(7, line.size() - 8), "t", "u"}};
     }},
    {"singer endings repeated on one line",
     [](std::size_t n) { return repeated("[CDATA[a ]]></xsinger_name>", n) + "\n" + kTitleLine + "x\n"; }},
    {"one CDATA opening, singer endings repeated after it",
     [](std::size_t n) { return "[CDATA[" + repeated("a ]]></xsinger_name>", n) + "\nx\n"; }},
    {"many [CDATA[ inside a title",
     [](std::size_t n) {
       return kSingerLine + "<xsong_name><![CDATA[" + repeated("[CDATA[", n) + " ]]></xsong_name>\n" +
              kAddressLine;
     },
     [](std::size_t n) { return std::vector<Song>{{"s", repeated("[CDATA[", n), "u"}}; }},
    {"many [CDATA[a inside a title with no ending",
     [](std::size_t n) { return kSingerLine + "<xsong_name><![CDATA[" + repeated("[CDATA[a ", n) + "\n"; }},
    {"address near-endings repeated, never closed",
     [](std::size_t n) {
       return kSingerLine + kTitleLine + "<xsong_url><![CDATA[" + repeated("[CDATA[a ]]></xsong", n) + "\n";
     }},
    {"singer lines without titles",
     [](std::size_t n) { return repeated(kSingerLine, n); }},
    {"singer and title pairs without addresses",
     [](std::size_t n) { return repeated(kSingerLine + kTitleLine + "<xsong_url>\n", n); }},
    {"carriage returns instead of line feeds",
     [](std::size_t n) { return repeated("[CDATA[a ]]></xsinger_name>\r<xsong_name><![CDATA[t ]]></xsong_name>\r", n); }},
};

TEST(HostileDocument, ExtractionStaysWithinTheLimitsAndFindsWhatIsThere) {
  for (const std::size_t size : {std::size_t{64} << 10, std::size_t{1} << 20}) {
    for (const Case& c : kCases) {
      const std::string label = std::string(c.name) + " at " + std::to_string(size >> 10) + " KiB";
      const std::string document = c.document(size);
      ASSERT_GE(document.size(), size) << label;
      RegexObject regex;
      const bool ran = regex.create(Text(kPlaylistPattern), document);
      EXPECT_TRUE(ran) << label;
      EXPECT_EQ(regex.status(), RegexStatus::kOk) << label;
      const std::vector<Song> found = extractedSongs(regex);
      const std::vector<Song> expected = c.songs(size);
      EXPECT_EQ(found.size(), expected.size()) << label;
      EXPECT_TRUE(found == expected) << label << ": the songs' texts differ";
    }
  }
}

}  // namespace
