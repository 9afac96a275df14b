// Playlist documents in the shape the service sends, for the tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The three elements of one song on three lines, each content followed by
// the one space the service puts before "]]>".
inline std::string songXml(const std::string& singer, const std::string& title,
                           const std::string& address) {
  return "<song><xsinger_name><![CDATA[" + singer + " ]]></xsinger_name>\n" +
         "<xsong_name><![CDATA[" + title + " ]]></xsong_name>\n" +
         "<xsong_url><![CDATA[" + address + " ]]></xsong_url></song>\n";
}

inline std::string playlistXml(const std::vector<std::string>& songs) {
  std::string document = "<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<playlist>\n";
  for (const std::string& song : songs) document += song;
  return document + "</playlist>\n";
}

// `piece` repeated until the text is at least `size` bytes long: the long
// hostile lines the extraction must get through in linear time.
inline std::string repeated(std::string_view piece, std::size_t size) {
  std::string out;
  out.reserve(size + piece.size());
  while (out.size() < size) out += piece;
  return out;
}
