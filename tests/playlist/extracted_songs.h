// The songs a finished RegexObject run over a playlist holds, as the fetch
// reads them: groups 1, 2 and 3 of every match, in order.
#pragma once

#include <vector>

#include "common/text.h"
#include "regex/regex_object.h"

struct Song {
  Text singer;
  Text title;
  Text address;
  bool operator==(const Song&) const = default;
};

inline std::vector<Song> extractedSongs(const RegexObject& regex) {
  std::vector<Song> songs;
  for (std::int32_t i = 1; i <= regex.matchCount(); ++i) {
    songs.push_back({regex.subMatchText(i, 1), regex.subMatchText(i, 2), regex.subMatchText(i, 3)});
  }
  return songs;
}
