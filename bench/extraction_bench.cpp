// The extraction on its own: kPlaylistPattern over generated playlists, then
// every song's three groups read back, as the fetch worker does.
#include <benchmark/benchmark.h>

#include "playlist/playlist_pattern.h"
#include "playlist_generator.h"
#include "regex/regex_object.h"

namespace {

void BM_Extraction(benchmark::State& state) {
  const int songs = static_cast<int>(state.range(0));
  const Text document = generatePlaylist(songs);
  const Text pattern(kPlaylistPattern);
  RegexObject regex;
  for (auto _ : state) {
    regex.create(pattern, document);
    std::size_t bytes = 0;
    const std::int32_t count = regex.matchCount();
    for (std::int32_t i = 1; i <= count; ++i) {
      for (std::int32_t group = 1; group <= 3; ++group) bytes += regex.subMatchText(i, group).size();
    }
    if (count != songs) state.SkipWithError("the document did not yield every song");
    benchmark::DoNotOptimize(bytes);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(document.size()));
}
BENCHMARK(BM_Extraction)->Arg(300)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
