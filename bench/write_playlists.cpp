// Writes the benchmark documents and the extraction pattern to a folder, so
// that the Python peer times exactly the bytes our own benchmark reads.
#include <cstdio>
#include <fstream>
#include <string>

#include "playlist/playlist_pattern.h"
#include "playlist_generator.h"

namespace {

bool writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  bool ok = writeFile(folder + "/pattern.txt", std::string(kPlaylistPattern));
  for (int songs : {300, 10000, 100000}) {
    ok = writeFile(folder + "/playlist-" + std::to_string(songs) + ".xml", generatePlaylist(songs)) && ok;
  }
  return ok ? 0 : 1;
}
