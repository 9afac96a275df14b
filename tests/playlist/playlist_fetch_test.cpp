#include "playlist/playlist_fetch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>

#include "common/gbk.h"
#include "support/loopback_server.h"
#include "support/playlist_document.h"
#include "recording_view.h"

namespace {

using namespace std::chrono_literals;
using Calls = std::vector<std::string>;

const std::string kTarget = "/fcg-bin/cgi_playlist_xml.fcg?uin=";

FetchSettings settingsFor(const LoopbackServer& server) {
  FetchSettings settings;
  settings.urlPrefix = server.url(kTarget);
  settings.http.connectTimeout = 2s;
  settings.http.stallTimeout = 300ms;
  settings.http.maxBodyBytes = 1000;
  return settings;
}

std::string listed(const Calls& calls) {
  std::string out;
  for (const std::string& call : calls) out += "  " + call + "\n";
  return out;
}

std::string firstLine(const std::string& request) { return request.substr(0, request.find("\r\n")); }

// Polls `condition` until it holds; false after `limit`.
bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit = 5s) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

const std::vector<std::array<Text, 2>> kOldRows = {{"old-one", "http://old/1"}, {"old-two", "http://old/2"}};

TEST(FetchPlaylist, ThreeSongsFillTheListInDocumentOrder) {
  const std::string body = playlistXml({
      songXml(utf8ToGbk("周杰伦"), utf8ToGbk("晴天"), "http://m/1.mp3"),
      songXml("Eason", utf8ToGbk("十年"), "http://m/2.mp3?a=1&b=2"),
      songXml("", "", "http://m/3.mp3"),
  });
  LoopbackServer server({httpAnswer(200, body)});
  RecordingView view({" 513602947 ", "513"});
  view.putRows(kOldRows);
  RegexObject regex;
  FetchSettings settings = settingsFor(server);
  settings.http.maxBodyBytes = 1 << 20;

  fetchPlaylist(view, regex, settings, std::atomic<bool>(false));

  const Calls expected = {
      "status 0: 获取中..",
      "numberBoxText",
      "deleteAllRows",
      "appendRow -> 0",
      "status 0: 晴天 － 周杰伦  地址:http://m/1.mp3",
      "cell 0,0: 晴天-周杰伦",
      "cell 0,1: http://m/1.mp3",
      "appendRow -> 1",
      "status 0: 十年 － Eason  地址:http://m/2.mp3?a=1&b=2",
      "cell 1,0: 十年-Eason",
      "cell 1,1: http://m/2.mp3?a=1&b=2",
      "appendRow -> 2",
      "status 0:  －   地址:http://m/3.mp3",
      "cell 2,0: -",
      "cell 2,1: http://m/3.mp3",
      "numberBoxText",
      "status 0: QQ:513获取完成!!空间音乐总数:3",  // the box as it is at the end
  };
  EXPECT_EQ(view.calls(), expected) << listed(view.calls());
  const std::vector<std::array<Text, 2>> rows = {{utf8ToGbk("晴天-周杰伦"), "http://m/1.mp3"},
                                                 {utf8ToGbk("十年-Eason"), "http://m/2.mp3?a=1&b=2"},
                                                 {"-", "http://m/3.mp3"}};
  EXPECT_EQ(view.rows(), rows);
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(firstLine(server.requests()[0]), "GET " + kTarget + "513602947 HTTP/1.0");
}

// A request target that can travel in one request line: printable ASCII
// without blanks.
bool isSafeTarget(const std::string& target) {
  return std::all_of(target.begin(), target.end(), [](char c) { return c > ' ' && c < 0x7F; });
}

TEST(FetchPlaylist, AccountTextBecomesOneSafeRequestLine) {
  // The target before the account takes 34 of the 2048 characters a path
  // with its query may have.
  const std::size_t longestAccount = 2048 - kTarget.size();
  struct Case {
    const char* name;
    Text box;  // GBK
    std::optional<std::string> account;  // as it must appear after "uin="; none: nothing is sent
    Text shownBox = box;  // in the closing status
  };
  const Case cases[] = {
      {"digits", "513602947", "513602947"},
      {"ascii spaces trimmed", "  513602947 ", "513602947"},
      {"full-width spaces trimmed", utf8ToGbk("　513602947　"), "513602947"},
      {"mixed blanks trimmed", utf8ToGbk(" 　 513　 "), "513"},
      {"only blanks", utf8ToGbk(" 　 "), ""},
      {"full-width space inside encoded", utf8ToGbk("513　602"), "513%A1%A1602"},
      {"tab kept and encoded", "\t513602947\t", "%09513602947%09"},
      {"inner space encoded", "513 602", "513%20602"},
      {"line break cannot add a header", "513\r\nHost: x", "513%0D%0AHost%3A%20x"},
      {"bare line feed", "513\n", "513%0A"},
      {"bare carriage return", "\r513", "%0D513"},
      {"hash ends the address", "513#602", "513"},
      {"hash first sends no account", "#513", ""},
      {"percent signs encoded", "%41%", "%2541%25"},
      {"ampersand cannot add a parameter", "513&uin=1", "513%26uin%3D1"},
      {"question mark encoded", "513?", "513%3F"},
      {"GBK bytes encoded", utf8ToGbk("啊1"), "%B0%A11"},
      {"GBK trail byte that is ASCII encoded", "\x81\x40\x81\x5C", "%81%40%81%5C"},
      {"full-width digits encoded", utf8ToGbk("５１３"), "%A3%B5%A3%B1%A3%B3"},
      {"dangling lead byte dropped", "513\xB0", "513", "513"},
      {"unreserved marks kept", "aZ-._~", "aZ-._~"},
      {"reserved marks encoded", "1+2/3?&=%", "1%2B2%2F3%3F%26%3D%25"},
      {"longest account that fits", std::string(longestAccount, '1'), std::string(longestAccount, '1')},
      {"one character over", std::string(longestAccount + 1, '1'), std::nullopt},
      {"10,000 digits", std::string(10'000, '7'), std::nullopt},
      {"10,000 characters of GBK", [] {
         Text t;
         for (int i = 0; i < 10'000; ++i) t += "\xB0\xA1";
         return t;
       }(),
       std::nullopt},
      {"empty box", "", ""},
  };
  for (const Case& c : cases) {
    LoopbackServer server({httpAnswer(200, "")});
    RecordingView view({c.box});
    RegexObject regex;
    fetchPlaylist(view, regex, settingsFor(server), std::atomic<bool>(false));
    const std::vector<std::string> requests = server.requests();
    const Calls calls = view.calls();
    ASSERT_FALSE(calls.empty()) << "case: " << c.name;
    // The closing status shows the box untrimmed.
    if (!c.account) {
      EXPECT_TRUE(requests.empty()) << "case: " << c.name;
      EXPECT_EQ(calls.back(), "status 0: QQ:" + gbkToUtf8(c.shownBox) + "获取失败!!地址无效") << "case: " << c.name;
      continue;
    }
    ASSERT_EQ(requests.size(), 1u) << "case: " << c.name;
    const std::string line = firstLine(requests[0]);
    EXPECT_EQ(line, "GET " + kTarget + *c.account + " HTTP/1.0") << "case: " << c.name;
    ASSERT_TRUE(line.starts_with("GET ") && line.ends_with(" HTTP/1.0")) << "case: " << c.name;
    EXPECT_TRUE(isSafeTarget(line.substr(4, line.size() - 13))) << "case: " << c.name << ": " << line;
    EXPECT_EQ(calls.back(), "status 0: QQ:" + gbkToUtf8(c.shownBox) + "获取完成!!空间音乐总数:0")
        << "case: " << c.name;
  }
}

TEST(FetchPlaylist, EndingsWithoutSongs) {
  const std::string html = "<html><body>gone</body></html>";
  const std::string tooLongAccount(2100, '1');
  struct Case {
    const char* name;
    std::vector<ScriptedAnswer> script;
    std::string ending;  // UTF-8, after "QQ:" + box text
    bool listEmptied;    // else the old rows stay and the pattern is not run
    bool refusedPort = false;
    Text box = "513602947";
  };
  const Case cases[] = {
      {"empty body", {httpAnswer(200, "")}, "获取完成!!空间音乐总数:0", false},
      {"zero byte first", {httpAnswer(200, std::string("\0<xml/>", 7))}, "获取完成!!空间音乐总数:0", false},
      {"body without songs", {httpAnswer(200, "<playlist></playlist>")}, "获取完成!!空间音乐总数:0", true},
      {"399 is still a page", {httpAnswer(399, html)}, "获取完成!!空间音乐总数:0", true},
      {"400", {httpAnswer(400, html)}, "获取失败!!HTTP 400", false},
      {"404", {httpAnswer(404, html)}, "获取失败!!HTTP 404", false},
      {"500 without Content-Length", {httpAnswer(500, html, false)}, "获取失败!!HTTP 500", false},
      {"broken mid-body", {{"HTTP/1.0 200 OK\r\nContent-Length: 500\r\n\r\n<playlist>"}}, "获取失败!!传输中断",
       false},
      {"never answers", {{"", ScriptedAnswer::Then::kHang}}, "获取失败!!超时", false},
      {"over the cap", {httpAnswer(200, std::string(5000, 'x'), false)}, "获取失败!!响应过大", false},
      {"connection refused", {}, "获取失败!!无法连接", false, true},
      {"address too long", {}, "获取失败!!地址无效", false, false, tooLongAccount},
  };
  for (const Case& c : cases) {
    LoopbackServer server(c.script);
    FetchSettings settings = settingsFor(server);
    if (c.refusedPort) settings.urlPrefix = "http://127.0.0.1:" + std::to_string(closedLoopbackPort()) + kTarget;
    RecordingView view({c.box});
    view.putRows(kOldRows);
    RegexObject regex;
    regex.create("x", "xx");  // stands for the previous fetch's matches

    fetchPlaylist(view, regex, settings, std::atomic<bool>(false));

    Calls expected = {"status 0: 获取中..", "numberBoxText"};
    if (c.listEmptied) expected.push_back("deleteAllRows");
    expected.push_back("numberBoxText");
    expected.push_back("status 0: QQ:" + c.box + c.ending);
    EXPECT_EQ(view.calls(), expected) << "case: " << c.name << "\n" << listed(view.calls());
    if (c.listEmptied) {
      EXPECT_TRUE(view.rows().empty()) << "case: " << c.name;
      EXPECT_EQ(regex.patternText(), Text(kPlaylistPattern)) << "case: " << c.name;
    } else {
      EXPECT_EQ(view.rows(), kOldRows) << "case: " << c.name;
      EXPECT_EQ(regex.matchCount(), 2) << "case: " << c.name << ": the pattern ran";
    }
  }
}

TEST(FetchPlaylist, PageThatTripsTheEngineLimitFailsAndKeepsTheRows) {
  LoopbackServer server({httpAnswer(200, playlistXml({songXml("A", "B", "C"), songXml("D", "E", "F")}))});
  RecordingView view({"1"});
  view.putRows(kOldRows);
  RegexObject regex;
  regex.setMatchLimit(1);  // stands for a document hostile enough to exhaust the real limit

  fetchPlaylist(view, regex, settingsFor(server), std::atomic<bool>(false));

  const Calls expected = {"status 0: 获取中..", "numberBoxText", "numberBoxText",
                          "status 0: QQ:1获取失败!!解析超限"};
  EXPECT_EQ(view.calls(), expected) << listed(view.calls());
  EXPECT_EQ(view.rows(), kOldRows);
}

TEST(FetchPlaylist, NothingHappensOnceCancelled) {
  LoopbackServer server({httpAnswer(200, playlistXml({songXml("A", "B", "C")}))});
  RecordingView view({"1"});
  RegexObject regex;
  fetchPlaylist(view, regex, settingsFor(server), std::atomic<bool>(true));
  EXPECT_EQ(view.calls(), Calls{}) << listed(view.calls());
}

TEST(FetchController, RefusesASecondStartWhileRunning) {
  LoopbackServer server({{"", ScriptedAnswer::Then::kHang}, httpAnswer(200, "")});
  RecordingView view({"513"});
  RegexObject regex;
  FetchSettings settings = settingsFor(server);
  settings.http.stallTimeout = 60s;  // the first fetch runs until stopped
  FetchController controller(view, regex, settings);

  EXPECT_FALSE(controller.running());
  ASSERT_TRUE(controller.start());
  ASSERT_TRUE(server.waitForRequests(1, 5s));
  EXPECT_TRUE(controller.running());
  EXPECT_FALSE(controller.start());
  EXPECT_TRUE(controller.running());

  controller.stop();
  EXPECT_FALSE(controller.running());
  EXPECT_EQ(server.requests().size(), 1u) << "the refused start sent a request";

  // After a stop the controller starts again, and a finished fetch does not
  // block the next one.
  for (int round = 1; round <= 2; ++round) {
    ASSERT_TRUE(controller.start()) << "round " << round;
    EXPECT_TRUE(eventually([&] { return !controller.running(); })) << "round " << round;
    EXPECT_EQ(view.calls().back(), "status 0: QQ:513获取完成!!空间音乐总数:0") << "round " << round;
  }
  EXPECT_EQ(server.requests().size(), 3u);
}

TEST(FetchController, StopDuringAHungTransferIsPromptAndSilent) {
  LoopbackServer server({{"HTTP/1.0 200 OK\r\n", ScriptedAnswer::Then::kHang}});
  RecordingView view({"513"});
  RegexObject regex;
  FetchSettings settings = settingsFor(server);
  settings.http.stallTimeout = 60s;
  settings.http.connectTimeout = 60s;
  const Calls beforeRequest = {"status 0: 获取中..", "numberBoxText"};

  {
    FetchController controller(view, regex, settings);
    ASSERT_TRUE(controller.start());
    ASSERT_TRUE(server.waitForRequests(1, 5s));
    const auto started = std::chrono::steady_clock::now();
    controller.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s) << "stop() waited for the transfer";
    EXPECT_FALSE(controller.running());
    EXPECT_EQ(view.calls(), beforeRequest) << listed(view.calls());

    // The destructor stops a running fetch the same way.
    ASSERT_TRUE(controller.start());
    ASSERT_TRUE(server.waitForRequests(2, 5s));
  }
  EXPECT_EQ(view.calls(), Calls({beforeRequest[0], beforeRequest[1], beforeRequest[0], beforeRequest[1]}))
      << listed(view.calls());
}

}  // namespace
