// kPlaylistPattern through RegexObject, as the fetch worker runs it.
//
// First byte even: a playlist document is built from the input (songs whose
// contents come from the input bytes, broken songs and noise lines between
// them, tag case and line-end variants) and every song found must be exactly
// one of the songs laid down, with each group at the byte offset where it
// was written.
// First byte odd: the rest of the input is the document as it is; every
// match and group must be the bytes at its reported position, in order and
// nested, and no group may cross a line.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "playlist/playlist_pattern.h"
#include "regex/regex_object.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool empty() const { return at_ >= size_; }
  std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// The white-space characters the pattern's \s stands for.
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Valid GBK without line feeds or zero bytes: ASCII bytes as they are, any
// other byte as the lead of a two-byte character whose trail comes next.
std::string contentFrom(Input& in, std::size_t maxLength) {
  std::string out;
  const std::size_t length = in.byte() % (maxLength + 1);
  while (out.size() < length && !in.empty()) {
    const std::uint8_t b = in.byte();
    if (b == 0 || b == '\n') {
      out += 'n';
    } else if (b < 0x80) {
      out += static_cast<char>(b);
    } else {
      const std::uint8_t lead = b == 0x80 || b == 0xFF ? 0xB0 : b;
      std::uint8_t trail = static_cast<std::uint8_t>(0x40 + in.byte() % 0xBF);  // 0x40..0xFE
      if (trail == 0x7F) trail = 0xA1;
      out += static_cast<char>(lead);
      out += static_cast<char>(trail);
    }
  }
  return out;
}

// No "]]>" at all: an address may not end early.
void breakCdataEnds(std::string& text) {
  for (std::size_t at = text.find("]]>"); at != std::string::npos; at = text.find("]]>", at)) {
    text[at + 2] = '}';
  }
}

// A tag in the case the input picks for each letter.
std::string tagCase(std::string_view tag, Input& in) {
  std::string out(tag);
  std::uint8_t bits = in.byte();
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (bits & (1u << (i % 8))) out[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(out[i])));
    if (i % 8 == 7) bits = in.byte();
  }
  return out;
}

char spaceFrom(Input& in) {
  static constexpr char kSpaces[] = {' ', ' ', ' ', '\t', '\r', '\v', '\f', '\n'};
  return kSpaces[in.byte() % sizeof kSpaces];
}

struct Song {
  std::string group[3];
  std::size_t position[3] = {0, 0, 0};
};

// How a song is written. Every kind past kGood spoils it.
enum Kind : std::uint8_t {
  kGood,
  kCrLfAfterSinger,
  kCrLfAfterTitle,
  kNoSpaceBeforeEnd,  // one of the three contents runs straight into "]]>"
  kIndentedLine,      // the title or address line starts with a blank
  kLineFeedInside,    // a line feed inside the title content
  kKinds,
};

class Document {
 public:
  std::string text = "<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<playlist>\n";
  std::vector<Song> songs;

  void song(Input& in) {
    const Kind kind = static_cast<Kind>(in.byte() % (kKinds + 3) % kKinds);  // mostly good ones
    const std::uint8_t spoilt = in.byte() % 3;  // which content or line the kind spoils
    std::string contents[3] = {contentFrom(in, 24), contentFrom(in, 24), contentFrom(in, 40)};
    breakCdataEnds(contents[2]);
    char spaces[3] = {spaceFrom(in), spaceFrom(in), spaceFrom(in)};
    const char* const closings[3] = {"]]></xsinger_name>", "]]></xsong_name>", "]]></xsong_url>"};
    const char* const openings[3] = {"<xsinger_name><![CDATA[", "<xsong_name><![CDATA[", "<xsong_url><![CDATA["};
    std::string seams[2] = {"\n", "\n"};
    std::string lineStart[3] = {"", "", ""};
    bool spaceBeforeEnd[3] = {true, true, true};

    switch (kind) {
      case kGood:
      case kKinds:
        break;
      case kCrLfAfterSinger:
        seams[0] = "\r\n";
        break;
      case kCrLfAfterTitle:
        seams[1] = "\r\n";
        break;
      case kNoSpaceBeforeEnd: {
        std::string& content = contents[spoilt];
        // A content ending in white space would still end the group there.
        if (content.empty() || isSpace(content.back())) content += 'x';
        spaceBeforeEnd[spoilt] = false;
        break;
      }
      case kIndentedLine:
        lineStart[1 + spoilt % 2] = (in.byte() & 1) ? " " : "\t";
        break;
      case kLineFeedInside:
        // (Not the singer's: what follows the break could hold a "[CDATA[" and
        // end like a singer's line, a song of its own.)
        contents[1].insert(contents[1].size() / 2, "\nx");
        break;
    }

    // Lines before the singer's line: its prefix, sometimes an earlier
    // CDATA section that the singer group then takes in as well.
    Song expected;
    std::string singerLine = (in.byte() & 1) ? "<song>" : "";
    std::string earlier;
    if ((in.byte() & 7) == 0) {
      const std::string id = contentFrom(in, 8);
      earlier = id + " ]]></xsinger_id>";
      singerLine += "<xsinger_id><![CDATA[" + earlier;
    }
    text += singerLine;

    for (int part = 0; part < 3; ++part) {
      text += lineStart[part];
      const std::string opening = tagCase(openings[part], in);
      if (part == 0 && !earlier.empty()) {
        // The group starts after the first "[CDATA[" of the line.
        expected.position[0] = text.size() - earlier.size();
        expected.group[0] = earlier;
        expected.group[0] += opening;
        text += opening;
        expected.group[0] += contents[0];
      } else {
        text += opening;
        expected.position[part] = text.size();
        expected.group[part] = contents[part];
      }
      text += contents[part];
      if (spaceBeforeEnd[part]) text += spaces[part];
      text += tagCase(closings[part], in);
      if (part < 2) text += seams[part];
    }
    text += (in.byte() & 1) ? "</song>" : "";
    text += (in.byte() & 1) ? "\r\n" : "\n";
    if (kind == kGood || kind == kKinds) songs.push_back(expected);
  }

  // A line that can neither end a singer's line nor start a title's or an
  // address's line, so it never becomes part of a song.
  void noise(Input& in) {
    static constexpr std::string_view kPieces[] = {
        "[CDATA[", "[CDATA[a ", "]]>", " ]]></xsinger_name>", "<xsong_name><![CDATA[", " ]]></xsong_name>",
        "<xsong_url><![CDATA[", " ]]></xsong_", "\r", " ", "\t", "<![CDATA[", "</xsinger_name>",
    };
    std::string line;
    const int pieces = in.byte() % 12;
    for (int i = 0; i < pieces && !in.empty(); ++i) {
      const std::uint8_t pick = in.byte();
      if (pick < 128) {
        line += kPieces[pick % std::size(kPieces)];
      } else {
        line += contentFrom(in, 16);
      }
    }
    // A repeat of one piece, the shape that makes backtracking engines slow.
    if ((in.byte() & 15) == 0) {
      const std::string_view piece = kPieces[in.byte() % std::size(kPieces)];
      for (int i = in.byte() * 4; i > 0; --i) line += piece;
    }
    const std::string folded = lower(line);
    if (folded.starts_with("<xsong_") || folded.starts_with("]]>") || folded.starts_with(" ") ||
        folded.starts_with("\t") || folded.starts_with("\r")) {
      line.insert(0, "x");
    }
    if (lower(line).ends_with("</xsinger_name>")) line += 'x';
    text += line + "\n";
  }
};

void checkSpan(const Text& searched, const Text& found, std::int32_t position) {
  check(position >= 0);
  check(static_cast<std::size_t>(position) + found.size() <= searched.size());
  check(searched.compare(static_cast<std::size_t>(position), found.size(), found) == 0);
}

void runGenerated(Input& in) {
  Document doc;
  while (!in.empty()) {
    if (in.byte() & 1) {
      doc.song(in);
    } else {
      doc.noise(in);
    }
  }
  doc.text += "</playlist>\n";

  RegexObject regex;
  check(regex.create(Text(kPlaylistPattern), doc.text));
  check(regex.matchCount() == static_cast<std::int32_t>(doc.songs.size()));
  for (std::size_t i = 0; i < doc.songs.size(); ++i) {
    const auto match = static_cast<std::int32_t>(i + 1);
    for (int group = 0; group < 3; ++group) {
      std::int32_t position = -1;
      const Text found = regex.subMatchText(match, group + 1, &position);
      check(found == doc.songs[i].group[group]);
      check(position == static_cast<std::int32_t>(doc.songs[i].position[group]));
    }
  }
}

void runRaw(const std::uint8_t* data, std::size_t size) {
  const Text text = bytesToText(Bytes(data, data + size));
  RegexObject regex;
  if (!regex.create(Text(kPlaylistPattern), text)) {
    check(regex.status() == RegexStatus::kLimitExceeded || regex.status() == RegexStatus::kSearchFailed);
    check(regex.matchCount() == 0);
    return;
  }
  const std::int32_t count = regex.matchCount();
  check(count >= 0);
  check(regex.subMatchCount() == (count > 0 ? 3 : 0));
  std::int32_t previousEnd = 0;
  for (std::int32_t m = 1; m <= count; ++m) {
    std::int32_t begin = -1;
    const Text whole = regex.matchText(m, &begin);
    checkSpan(text, whole, begin);
    check(begin >= previousEnd);
    const std::int32_t end = begin + static_cast<std::int32_t>(whole.size());
    const std::string folded = lower(whole);
    check(folded.starts_with("[cdata[") && folded.ends_with("</xsong_"));
    std::int32_t groupEnd = begin;
    for (std::int32_t g = 1; g <= 3; ++g) {
      std::int32_t position = -1;
      const Text group = regex.subMatchText(m, g, &position);
      checkSpan(text, group, position);
      check(position >= groupEnd && position + static_cast<std::int32_t>(group.size()) <= end);
      check(group.find('\n') == Text::npos);
      groupEnd = position + static_cast<std::int32_t>(group.size());
    }
    previousEnd = end;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  if (data[0] & 1) {
    runRaw(data + 1, size - 1);
  } else {
    Input in(data + 1, size - 1);
    runGenerated(in);
  }
  return 0;
}
