// The playlist service and the one regular expression that reads its answer.
#pragma once

#include <string_view>

// Sent as the request's User-Agent; the service was built for this browser.
inline constexpr std::string_view kUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

// The account number is appended to this address (plain HTTP, port 80).
inline constexpr std::string_view kPlaylistUrlPrefix =
    "http://qzone-music.qq.com/fcg-bin/cgi_playlist_xml.fcg?uin=";

// One match per song. The document is never parsed as XML: a song is found
// only where the three elements stand on consecutive lines separated by bare
// line feeds, and each CDATA content ends in one white-space character, which
// the groups leave out. Group 1 is the singer, 2 the title, 3 the address.
// Run it case-insensitively and globally (RegexObject's defaults).
inline constexpr std::string_view kPlaylistPattern =
    R"(\[CDATA\[(.*?)\s\]\]></xsinger_name>)"
    "\n"
    R"(<xsong_name><!\[CDATA\[(.*?)\s\]\]></xsong_name>)"
    "\n"
    R"(<xsong_url><!\[CDATA\[(.*?)\s\]\]></xsong_)";

static_assert(kPlaylistPattern.size() == 128);
