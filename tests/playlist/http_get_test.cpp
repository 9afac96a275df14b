#include "playlist/http_get.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <ostream>
#include <thread>

#include "support/loopback_server.h"

std::ostream& operator<<(std::ostream& out, HttpOutcome outcome) {
  switch (outcome) {
    case HttpOutcome::kComplete: return out << "complete";
    case HttpOutcome::kInvalidAddress: return out << "invalid address";
    case HttpOutcome::kCannotConnect: return out << "cannot connect";
    case HttpOutcome::kTimedOut: return out << "timed out";
    case HttpOutcome::kBroken: return out << "broken";
    case HttpOutcome::kTooLarge: return out << "too large";
    case HttpOutcome::kCancelled: return out << "cancelled";
  }
  return out << "outcome " << static_cast<int>(outcome);
}

namespace {

using namespace std::chrono_literals;

// Short limits so that failing cases end quickly.
HttpLimits testLimits() {
  HttpLimits limits;
  limits.connectTimeout = 2s;
  limits.stallTimeout = 300ms;
  limits.maxBodyBytes = 1000;
  return limits;
}

std::string asString(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::string firstLine(const std::string& request) { return request.substr(0, request.find("\r\n")); }

std::size_t occurrences(const std::string& text, const std::string& piece) {
  std::size_t count = 0;
  for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
    ++count;
  }
  return count;
}

TEST(GetUrlBytesRequest, IsOneHttp10GetWithAgentAndAccept) {
  struct Case {
    const char* name;
    std::string target;
    std::string requestLine;
  };
  const Case cases[] = {
      {"playlist address", "/fcg-bin/cgi_playlist_xml.fcg?uin=513602947",
       "GET /fcg-bin/cgi_playlist_xml.fcg?uin=513602947 HTTP/1.0"},
      {"hash cuts the rest of the account", "/fcg-bin/cgi_playlist_xml.fcg?uin=513#602947",
       "GET /fcg-bin/cgi_playlist_xml.fcg?uin=513 HTTP/1.0"},
      {"hash right after uin=", "/fcg-bin/cgi_playlist_xml.fcg?uin=#513",
       "GET /fcg-bin/cgi_playlist_xml.fcg?uin= HTTP/1.0"},
      {"hash in the path", "/a#b?uin=1", "GET /a HTTP/1.0"},
      {"what follows a hash is not checked", "/x?uin=1#a b\r\n", "GET /x?uin=1 HTTP/1.0"},
      {"encoded bytes pass untouched", "/x?uin=%20%0D%0A%B0%A1", "GET /x?uin=%20%0D%0A%B0%A1 HTTP/1.0"},
  };
  for (const Case& c : cases) {
    LoopbackServer server({httpAnswer(200, "ok")});
    const HttpResponse response = getUrlBytes(server.url(c.target), testLimits());
    EXPECT_EQ(response.outcome, HttpOutcome::kComplete) << "case: " << c.name;
    const std::vector<std::string> requests = server.requests();
    ASSERT_EQ(requests.size(), 1u) << "case: " << c.name;
    const std::string& request = requests[0];
    EXPECT_EQ(firstLine(request), c.requestLine) << "case: " << c.name;
    EXPECT_NE(request.find("\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n"),
              std::string::npos)
        << "case: " << c.name << "\n" << request;
    EXPECT_EQ(occurrences(request, "\r\nAccept: "), 1u) << "case: " << c.name << "\n" << request;
    EXPECT_NE(request.find("\r\nAccept: */*\r\n"), std::string::npos) << "case: " << c.name;
    EXPECT_EQ(request.find("Cookie"), std::string::npos) << "case: " << c.name;
  }
}

// Sets environment variables for one test and puts them back afterwards.
class ScopedEnvironment {
 public:
  ScopedEnvironment(std::initializer_list<std::pair<const char*, const char*>> values) {
    for (const auto& [name, value] : values) {
      const char* old = std::getenv(name);
      saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
      value ? setenv(name, value, 1) : unsetenv(name);
    }
  }
  ~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) {
      value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
    }
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST(GetUrlBytesRequest, IgnoresProxyVariables) {
  LoopbackServer server({httpAnswer(200, "direct")});
  const std::string deadProxy = "http://127.0.0.1:" + std::to_string(closedLoopbackPort());
  ScopedEnvironment environment({{"http_proxy", deadProxy.c_str()},
                                 {"HTTP_PROXY", deadProxy.c_str()},
                                 {"all_proxy", deadProxy.c_str()},
                                 {"ALL_PROXY", deadProxy.c_str()},
                                 {"no_proxy", nullptr},
                                 {"NO_PROXY", nullptr}});
  const HttpResponse response = getUrlBytes(server.url("/x"), testLimits());
  EXPECT_EQ(response.outcome, HttpOutcome::kComplete);
  EXPECT_EQ(asString(response.body), "direct");
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(firstLine(server.requests()[0]), "GET /x HTTP/1.0");
}

struct AnswerCase {
  const char* name;
  std::vector<ScriptedAnswer> script;
  std::string body;  // expected
  HttpOutcome outcome;
  long status;
};

void expectAnswers(const AnswerCase* begin, const AnswerCase* end, const HttpLimits& limits) {
  for (const AnswerCase* c = begin; c != end; ++c) {
    LoopbackServer server(c->script);
    const HttpResponse response = getUrlBytes(server.url("/x"), limits);
    EXPECT_EQ(response.outcome, c->outcome) << "case: " << c->name;
    EXPECT_EQ(response.status, c->status) << "case: " << c->name;
    EXPECT_EQ(asString(response.body), c->body) << "case: " << c->name;
  }
}

TEST(GetUrlBytesAnswer, BodyComesBackWholeWhateverTheStatus) {
  const std::string html = "<html><body>Not here</body></html>";
  const std::string longBody(300'000, 'x');
  const std::string withZero("a\0b", 3);
  const AnswerCase cases[] = {
      {"with Content-Length", {httpAnswer(200, "<xml>songs</xml>")}, "<xml>songs</xml>",
       HttpOutcome::kComplete, 200},
      {"without Content-Length", {httpAnswer(200, "<xml>songs</xml>", false)}, "<xml>songs</xml>",
       HttpOutcome::kComplete, 200},
      {"long body without Content-Length", {httpAnswer(200, longBody, false)}, longBody,
       HttpOutcome::kComplete, 200},
      {"zero byte inside the body", {httpAnswer(200, withZero)}, withZero, HttpOutcome::kComplete, 200},
      {"empty body", {httpAnswer(200, "")}, "", HttpOutcome::kComplete, 200},
      {"chunked", {{"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nabcd\r\n2\r\nef\r\n0\r\n\r\n"}},
       "abcdef", HttpOutcome::kComplete, 200},
      {"404 with html", {httpAnswer(404, html)}, html, HttpOutcome::kComplete, 404},
      {"500 with html", {httpAnswer(500, html, false)}, html, HttpOutcome::kComplete, 500},
      {"redirect followed",
       {{"HTTP/1.1 302 Found\r\nLocation: /next\r\nContent-Length: 0\r\n\r\n"}, httpAnswer(200, "moved")},
       "moved", HttpOutcome::kComplete, 200},
      {"broken mid-body", {{"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nfirst forty bytes of a hundred........."}},
       "first forty bytes of a hundred.........", HttpOutcome::kBroken, 200},
      {"broken mid-chunk", {{"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n10\r\nhalf"}}, "half",
       HttpOutcome::kBroken, 200},
  };
  HttpLimits limits = testLimits();
  limits.maxBodyBytes = 1'000'000;
  expectAnswers(std::begin(cases), std::end(cases), limits);
}

TEST(GetUrlBytesAnswer, TimeOutsAndCap) {
  const std::string overCap(5000, 'y');
  const std::string atCap(1000, 'z');
  const AnswerCase cases[] = {
      {"never answers", {{"", ScriptedAnswer::Then::kHang}}, "", HttpOutcome::kTimedOut, 0},
      {"stalls after part of the body",
       {{"HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\npart", ScriptedAnswer::Then::kHang}}, "part",
       HttpOutcome::kTimedOut, 200},
      {"over the cap with Content-Length", {httpAnswer(200, overCap)}, "", HttpOutcome::kTooLarge, 200},
      {"exactly the cap", {httpAnswer(200, atCap, false)}, atCap, HttpOutcome::kComplete, 200},
      // Each byte restarts the stall clock: 12 pieces 50 ms apart outlast the
      // 300 ms stall time-out without ever stalling that long.
      {"slow but steady", {{httpAnswer(200, atCap).bytes, ScriptedAnswer::Then::kClose, 12, 50ms}}, atCap,
       HttpOutcome::kComplete, 200},
  };
  const auto started = std::chrono::steady_clock::now();
  expectAnswers(std::begin(cases), std::end(cases), testLimits());
  EXPECT_LT(std::chrono::steady_clock::now() - started, 10s) << "a time-out did not end the call";
}

TEST(GetUrlBytesAnswer, BodyOverTheCapWithoutContentLengthIsCut) {
  LoopbackServer server({httpAnswer(200, std::string(50'000, 'y'), false)});
  const HttpResponse response = getUrlBytes(server.url("/x"), testLimits());
  EXPECT_EQ(response.outcome, HttpOutcome::kTooLarge);
  EXPECT_LE(response.body.size(), testLimits().maxBodyBytes);
}

TEST(GetUrlBytesAnswer, RefusedConnection) {
  const std::string url = "http://127.0.0.1:" + std::to_string(closedLoopbackPort()) + "/x";
  const HttpResponse response = getUrlBytes(url, testLimits());
  EXPECT_EQ(response.outcome, HttpOutcome::kCannotConnect);
  EXPECT_TRUE(response.body.empty());
  EXPECT_EQ(response.status, 0);
}

TEST(GetUrlBytesAddress, BadAddressesAreNotSent) {
  LoopbackServer server({httpAnswer(200, "ok")});
  const std::string base = server.url("");
  const std::string authority = base.substr(std::string("http://").size());
  struct Case {
    const char* name;
    std::string url;
    bool sent;
  };
  const Case cases[] = {
      {"empty", "", false},
      {"only a fragment", "#" + base, false},
      {"no scheme", authority + "/x", false},
      {"not http", "ftp://" + authority + "/x", false},
      {"space inside", base + "/x?uin=1 2", false},
      {"path and query of 2048", base + "/x?" + std::string(2045, 'q'), true},
      {"path and query of 2049", base + "/x?" + std::string(2046, 'q'), false},
      {"path of 2049 without query", base + "/" + std::string(2048, 'p'), false},
      {"user name of 128", "http://" + std::string(128, 'u') + "@" + authority + "/x", true},
      {"user name of 129", "http://" + std::string(129, 'u') + "@" + authority + "/x", false},
      {"password of 129", "http://u:" + std::string(129, 'w') + "@" + authority + "/x", false},
  };
  std::size_t expectedRequests = 0;
  for (const Case& c : cases) {
    const HttpResponse response = getUrlBytes(c.url, testLimits());
    if (c.sent) {
      ++expectedRequests;
      EXPECT_EQ(response.outcome, HttpOutcome::kComplete) << "case: " << c.name;
    } else {
      EXPECT_EQ(response.outcome, HttpOutcome::kInvalidAddress) << "case: " << c.name;
    }
    EXPECT_EQ(server.requests().size(), expectedRequests) << "case: " << c.name;
  }
}

TEST(GetUrlBytesCancel, EndsAHangingTransferPromptly) {
  LoopbackServer server({{"HTTP/1.1 200 OK\r\n", ScriptedAnswer::Then::kHang}});
  HttpLimits limits = testLimits();
  limits.stallTimeout = 60s;  // only the cancel may end it
  std::atomic<bool> cancel{false};
  std::thread canceller([&] {
    server.waitForRequests(1, 5s);
    cancel = true;
  });
  const auto started = std::chrono::steady_clock::now();
  const HttpResponse response = getUrlBytes(server.url("/x"), limits, &cancel);
  const auto took = std::chrono::steady_clock::now() - started;
  canceller.join();
  EXPECT_EQ(response.outcome, HttpOutcome::kCancelled);
  EXPECT_EQ(server.requests().size(), 1u);
  EXPECT_LT(took, 7s) << "the cancel flag was not seen";
}

}  // namespace
