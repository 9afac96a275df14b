// The extraction over documents built to make a backtracking search slow, at
// 64 KiB to 4 MiB: time per byte should stay flat as the size grows.
#include <benchmark/benchmark.h>

#include <string>
#include <string_view>

#include "playlist/playlist_pattern.h"
#include "regex/regex_object.h"
#include "support/playlist_document.h"

namespace {

void run(benchmark::State& state, const std::string& document) {
  const Text pattern(kPlaylistPattern);
  RegexObject regex;
  for (auto _ : state) {
    if (!regex.create(pattern, document)) {
      state.SkipWithError("the search tripped the engine's limits");
      break;
    }
    benchmark::DoNotOptimize(regex.matchCount());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(document.size()));
}

// One line of "[CDATA[a " that ends like a singer's line, the next line wrong.
void BM_HostileRepeatedCdata(benchmark::State& state) {
  run(state, repeated("[CDATA[a ", static_cast<std::size_t>(state.range(0))) +
                 "]]></xsinger_name>\n<xsong_nam>\n");
}

// Singer endings repeated on one line: every one is a candidate end.
void BM_HostileSingerEndings(benchmark::State& state) {
  run(state, repeated("[CDATA[a ]]></xsinger_name>", static_cast<std::size_t>(state.range(0))) + "\nx\n");
}

// A title line full of "[CDATA[", in a song that is otherwise whole.
void BM_HostileCdataInTitle(benchmark::State& state) {
  run(state, "<xsinger_name><![CDATA[s ]]></xsinger_name>\n<xsong_name><![CDATA[" +
                 repeated("[CDATA[", static_cast<std::size_t>(state.range(0))) +
                 " ]]></xsong_name>\n<xsong_url><![CDATA[u ]]></xsong_url>\n");
}

#define HOSTILE_SIZES ->Arg(64 << 10)->Arg(256 << 10)->Arg(1 << 20)->Arg(4 << 20)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_HostileRepeatedCdata) HOSTILE_SIZES;
BENCHMARK(BM_HostileSingerEndings) HOSTILE_SIZES;
BENCHMARK(BM_HostileCdataInTitle) HOSTILE_SIZES;

}  // namespace
