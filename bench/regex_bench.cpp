// RegexObject over a large GBK text: one create, then every group of every
// match read back, as the fetch worker does with a playlist.
#include <benchmark/benchmark.h>

#include <string>

#include "common/gbk.h"
#include "regex/regex_object.h"

namespace {

constexpr int kRecords = 40000;
constexpr std::size_t kTextBytes = 10 * 1000 * 1000;

// About 250 bytes a record, Chinese and ASCII mixed, padded to 10 MB in all.
Text makeText() {
  const Text singer = utf8ToGbk("周杰伦与五月天");
  const Text title = utf8ToGbk("七里香（现场版）第");
  Text text;
  text.reserve(kTextBytes + 512);
  const std::size_t padding = kTextBytes / kRecords;
  for (int i = 0; i < kRecords; ++i) {
    const std::size_t recordStart = text.size();
    text += "<s>" + singer + std::to_string(i) + "</s><t>" + title + std::to_string(i) +
            "</t><u>http://example.invalid/music/" + std::to_string(i) + ".mp3</u>\n";
    const std::size_t used = text.size() - recordStart;
    if (used < padding) text.append(padding - used - 1, 'x').push_back('\n');
  }
  return text;
}

void BM_CreateAndReadAllGroups(benchmark::State& state) {
  const Text text = makeText();
  const Text pattern = "<s>(.*?)</s><t>(.*?)</t><u>(.*?)</u>";
  for (auto _ : state) {
    RegexObject regex;
    regex.create(pattern, text);
    std::size_t bytes = 0;
    const std::int32_t count = regex.matchCount();
    for (std::int32_t i = 1; i <= count; ++i) {
      for (std::int32_t g = 1; g <= 3; ++g) bytes += regex.subMatchText(i, g).size();
    }
    if (count != kRecords) state.SkipWithError("wrong match count");
    benchmark::DoNotOptimize(bytes);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_CreateAndReadAllGroups)->Unit(benchmark::kMillisecond);

}  // namespace
