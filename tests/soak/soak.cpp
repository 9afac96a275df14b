// soak: 1,000 fetches in a row through the real window, offscreen, against a
// loopback server, cycling through the ways a fetch can end: songs, an empty
// page, 404, a refused connection, a connection broken mid-body and a server
// that never answers (stalled out after 50 ms). Each fetch must end with its
// exact closing status and leave the list as it should; resident memory may
// grow by less than 5 MB from fetch 100 to the end, and the process must hold
// as many file descriptors at the end as before the first fetch (less those
// of Qt's painting threads, see qtPoolThreads).
//
// Exit status 0 when every check held; each failure is printed.
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/fetch_wiring.h"
#include "app/main_window.h"
#include "app/number_box.h"
#include "app/status_bar.h"
#include "common/gbk.h"
#include "playlist/playlist_fetch.h"
#include "regex/regex_object.h"
#include "support/loopback_server.h"
#include "support/playlist_document.h"

namespace {

using namespace std::chrono_literals;

constexpr int kFetches = 1000;
constexpr int kSettledAfter = 100;       // fetches before the memory baseline
constexpr long kMostGrowthKiB = 5 * 1024;

enum class Ending { kSongs, kEmpty, kNotFound, kRefused, kBroken, kHung };
constexpr Ending kCycle[] = {Ending::kSongs,   Ending::kEmpty,  Ending::kNotFound,
                             Ending::kRefused, Ending::kBroken, Ending::kHung};

const char* nameOf(Ending ending) {
  switch (ending) {
    case Ending::kSongs: return "songs";
    case Ending::kEmpty: return "empty";
    case Ending::kNotFound: return "404";
    case Ending::kRefused: return "refused";
    case Ending::kBroken: return "broken";
    case Ending::kHung: return "hung";
  }
  return "?";
}

Ending endingOf(int fetch) { return kCycle[fetch % std::size(kCycle)]; }

// The songs of fetch `fetch`, numbered so that a list left from an earlier
// fetch shows.
std::vector<std::array<std::string, 3>> songsOf(int fetch) {
  const std::string n = std::to_string(fetch);
  return {{"周杰伦", "晴天" + n, "http://m.example/" + n + "/1.mp3"},
          {"王菲", "红豆" + n, "http://m.example/" + n + "/2.mp3"},
          {"Eason", "十年" + n, "http://m.example/" + n + "/3.mp3"}};
}

ScriptedAnswer answerFor(int fetch) {
  switch (endingOf(fetch)) {
    case Ending::kSongs: {
      std::vector<std::string> songs;
      for (const auto& [singer, title, address] : songsOf(fetch)) {
        songs.push_back(songXml(utf8ToGbk(singer), utf8ToGbk(title), address));
      }
      return httpAnswer(200, playlistXml(songs));
    }
    case Ending::kEmpty:
      return httpAnswer(200, "");
    case Ending::kNotFound:
      return httpAnswer(404, "<html>Not Found</html>");
    case Ending::kBroken:
      return {"HTTP/1.0 200 OK\r\nContent-Length: 500\r\n\r\n<playlist>"};
    case Ending::kHung:
      return {"", ScriptedAnswer::Then::kHang};
    case Ending::kRefused:
      break;
  }
  return {};
}

// UTF-8, after "QQ:" + the number.
std::string closingOf(Ending ending) {
  switch (ending) {
    case Ending::kSongs: return "获取完成!!空间音乐总数:3";
    case Ending::kEmpty: return "获取完成!!空间音乐总数:0";
    case Ending::kNotFound: return "获取失败!!HTTP 404";
    case Ending::kRefused: return "获取失败!!无法连接";
    case Ending::kBroken: return "获取失败!!传输中断";
    case Ending::kHung: return "获取失败!!超时";
  }
  return "";
}

// Sanitizer runtimes hold freed memory back on purpose (AddressSanitizer's
// quarantine, ThreadSanitizer's shadow), so resident memory says nothing about
// leaks there; LeakSanitizer checks those at exit instead.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kResidentMemoryMeans = false;
#else
constexpr bool kResidentMemoryMeans = true;
#endif

long residentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with("VmRSS:")) return std::stol(line.substr(6));
  }
  return -1;
}

// What each open descriptor refers to.
std::map<std::string, std::string> openDescriptors() {
  std::map<std::string, std::string> out;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    const std::filesystem::path target = std::filesystem::read_symlink(entry.path(), error);
    // Leave out the listing's own descriptor.
    if (!error && !(target.string().starts_with("/proc/") && target.filename() == "fd")) {
      out[entry.path().filename().string()] = target.string();
    }
  }
  return out;
}

// Qt paints large areas on threads of its own pool ("Thread (pooled)"),
// started on first use and ended after 30 s idle, each holding its event
// dispatcher's eventfd: descriptors that come and go with Qt, not with fetches.
long qtPoolThreads() {
  long count = 0;
  std::error_code error;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", error)) {
    std::ifstream comm(task.path() / "comm");
    std::string name;
    std::getline(comm, name);
    if (name == "Thread (pooled)") ++count;
  }
  return count;
}

FetchSettings settingsFor(const std::string& urlPrefix, std::chrono::milliseconds stall) {
  FetchSettings settings;
  settings.urlPrefix = urlPrefix;
  settings.http.connectTimeout = 2s;
  settings.http.stallTimeout = stall;
  return settings;
}

// Runs the event loop until `done` holds; false after `limit`.
bool processEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    std::this_thread::sleep_for(500us);
  }
  return true;
}

// The fetch button drives one controller at a time, each with its own
// settings: the scripted server, the same with a short stall, or an address
// that refuses connections.
void wire(MainWindow& window, FetchController& controller) {
  QObject::disconnect(&window, &MainWindow::fetchRequested, nullptr, nullptr);
  QObject::disconnect(&window, &MainWindow::closing, nullptr, nullptr);
  connectFetching(window, controller);
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);

  std::vector<ScriptedAnswer> script;
  for (int fetch = 0; fetch < kFetches; ++fetch) {
    if (endingOf(fetch) != Ending::kRefused) script.push_back(answerFor(fetch));
  }
  const std::string target = "/fcg-bin/cgi_playlist_xml.fcg?uin=";
  LoopbackServer server(script);
  const std::string refusing = "http://127.0.0.1:" + std::to_string(closedLoopbackPort()) + target;

  RegexObject regex;
  MainWindow window;
  // Only the hung answers get the short stall: the server answers one
  // connection at a time and may still be noticing the last hang's end.
  FetchController served(window, regex, settingsFor(server.url(target), 5s));
  FetchController hung(window, regex, settingsFor(server.url(target), 50ms));
  FetchController refused(window, regex, settingsFor(refusing, 5s));
  window.show();

  int failures = 0;
  const auto fail = [&failures](int fetch, const std::string& what) {
    std::fprintf(stderr, "fetch %d (%s): %s\n", fetch + 1, nameOf(endingOf(fetch)), what.c_str());
    ++failures;
  };

  const auto descriptorsBefore = openDescriptors();
  const long poolBefore = qtPoolThreads();
  long residentSettled = 0;
  QElapsedTimer clock;
  clock.start();
  for (int fetch = 0; fetch < kFetches && failures < 10; ++fetch) {
    const Ending ending = endingOf(fetch);
    FetchController& controller = ending == Ending::kRefused ? refused
                                  : ending == Ending::kHung  ? hung
                                                             : served;
    wire(window, controller);
    const QString number = QString::number(100000 + fetch);
    window.numberBox()->setText(number);
    const QString closing = "QQ:" + number + QString::fromStdString(closingOf(ending));

    window.fetchButton()->click();
    const bool ended = processEventsUntil(
        [&] { return window.statusBar()->partText(0).startsWith("QQ:") && !controller.running(); }, 10s);
    if (!ended) {
      fail(fetch, "no closing status within 10 s");
      continue;
    }
    if (window.statusBar()->partText(0) != closing) {
      fail(fetch, "status \"" + window.statusBar()->partText(0).toStdString() + "\", expected \"" +
                      closing.toStdString() + "\"");
    }
    // Every ending after the first songs keeps three rows; only a page of
    // songs replaces them.
    if (window.rowCount() != 3) fail(fetch, "rows: " + std::to_string(window.rowCount()));
    const int songsFetch = fetch - fetch % static_cast<int>(std::size(kCycle));
    const auto songs = songsOf(songsFetch);
    for (int row = 0; row < 3 && row < window.rowCount(); ++row) {
      const auto& [singer, title, address] = songs[static_cast<std::size_t>(row)];
      if (gbkToUtf8(window.cellText(row, 0)) != title + "-" + singer ||
          window.cellText(row, 1) != address) {
        fail(fetch, "row " + std::to_string(row) + " is \"" + gbkToUtf8(window.cellText(row, 0)) + "\"");
      }
    }
    if (fetch + 1 == kSettledAfter) residentSettled = residentKiB();
  }
  const double seconds = static_cast<double>(clock.elapsed()) / 1000;
  const long residentEnd = residentKiB();
  const auto descriptorsAfter = openDescriptors();
  const long poolAfter = qtPoolThreads();

  std::printf("soak: %d fetches in %.1f s\n", kFetches, seconds);
  std::printf("soak: resident after %d fetches %ld KiB, at the end %ld KiB (%+ld KiB)\n", kSettledAfter,
              residentSettled, residentEnd, residentEnd - residentSettled);
  std::printf("soak: file descriptors before %zu, after %zu; Qt pool threads before %ld, after %ld\n",
              descriptorsBefore.size(), descriptorsAfter.size(), poolBefore, poolAfter);
  if (kResidentMemoryMeans && residentEnd - residentSettled >= kMostGrowthKiB) {
    std::fprintf(stderr, "soak: resident memory grew by %ld KiB\n", residentEnd - residentSettled);
    ++failures;
  }
  const auto heldByFetches = [](const auto& descriptors, long pool) {
    return static_cast<long>(descriptors.size()) - pool;
  };
  if (heldByFetches(descriptorsAfter, poolAfter) != heldByFetches(descriptorsBefore, poolBefore)) {
    for (const auto& [fd, path] : descriptorsAfter) {
      if (!descriptorsBefore.contains(fd)) std::fprintf(stderr, "soak: left open: %s -> %s\n", fd.c_str(), path.c_str());
    }
    ++failures;
  }
  if (server.requests().size() != script.size()) {
    std::fprintf(stderr, "soak: the server saw %zu requests, expected %zu\n", server.requests().size(),
                 script.size());
    ++failures;
  }
  window.closeControls();
  std::printf("soak: %s\n", failures == 0 ? "passed" : "FAILED");
  return failures == 0 ? 0 : 1;
}
