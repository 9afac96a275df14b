#include "playlist_generator.h"

#include <array>
#include <string_view>

#include "common/gbk.h"

namespace {

constexpr std::array<std::string_view, 12> kSurnames = {
    "周", "林", "王", "陈", "张", "李", "刘", "杨", "黄", "赵", "吴", "孙"};
constexpr std::array<std::string_view, 12> kGivenNames = {
    "杰伦", "俊杰", "菲", "奕迅", "学友", "若昀", "宇春", "千嬅", "家驹", "雨生", "燕姿", "楚红"};
constexpr std::array<std::string_view, 10> kTitleWords = {
    "七里香", "晴天", "后来", "夜曲", "红豆", "稻香", "童话", "光年之外", "海阔天空", "江南"};

// A small deterministic generator keeps the documents identical run to run.
std::uint32_t nextRandom(std::uint32_t& state) {
  state = state * 1664525u + 1013904223u;
  return state >> 8;
}

}  // namespace

Text generatePlaylist(int songs) {
  std::string utf8;
  utf8.reserve(static_cast<std::size_t>(songs) * 300 + 200);
  utf8 += "<?xml version=\"1.0\" encoding=\"GBK\"?>\n<playlist>\n<songlist>\n";
  std::uint32_t state = 12345;
  for (int i = 0; i < songs; ++i) {
    const std::string_view surname = kSurnames[nextRandom(state) % kSurnames.size()];
    const std::string_view given = kGivenNames[nextRandom(state) % kGivenNames.size()];
    const std::string_view title = kTitleWords[nextRandom(state) % kTitleWords.size()];
    const std::string id = std::to_string(100000 + i);
    utf8 += "<song>\n<xsong_id>" + id + "</xsong_id>\n<xsong_type>3</xsong_type>\n";
    utf8 += "<xsinger_name><![CDATA[" + std::string(surname) + std::string(given) +
            " ]]></xsinger_name>\n";
    utf8 += "<xsong_name><![CDATA[" + std::string(title) + "（第" + std::to_string(i % 97) +
            "版） ]]></xsong_name>\n";
    utf8 += "<xsong_url><![CDATA[http://stream.music.example/song/" + id + ".mp3 ]]></xsong_url>\n";
    utf8 += "<xsong_playtime>" + std::to_string(180 + i % 120) + "</xsong_playtime>\n</song>\n";
  }
  utf8 += "</songlist>\n</playlist>\n";
  return utf8ToGbk(utf8);
}
