// The real main window (offscreen) fetching from a loopback server: from the
// click on "音乐获取" to the final status, and start-up to the first paint.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "app/fetch_wiring.h"
#include "app/main_window.h"
#include "app/status_bar.h"
#include "playlist/playlist_fetch.h"
#include "playlist_generator.h"
#include "regex/regex_object.h"
#include "support/loopback_server.h"

namespace {

// Linux keeps the peak resident size since the last reset; resetting it after
// the set-up leaves out the document generator's own peak.
// The allocator first hands back what an earlier run freed, so that only
// this run's own memory shows.
void resetPeakResident() {
  malloc_trim(0);
  std::ofstream("/proc/self/clear_refs") << "5";
}

double peakResidentMegabytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  }
  return 0;
}

// Records the longest time the event loop went without running a zero-delay
// timer: how long the window could not repaint or take input.
class StallWatch {
 public:
  StallWatch() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      longestMs_ = std::max(longestMs_, clock_.nsecsElapsed() / 1e6);
      clock_.restart();
    });
    clock_.start();
    timer_.start(0);
  }
  double longestMs() const { return longestMs_; }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  double longestMs_ = 0;
};

void BM_EndToEnd(benchmark::State& state) {
  const int songs = static_cast<int>(state.range(0));
  std::string answer = generatePlaylist(songs);
  const std::size_t documentBytes = answer.size();
  answer.insert(0, "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(documentBytes) + "\r\n\r\n");
  LoopbackServer server({ScriptedAnswer{std::move(answer)}});

  RegexObject regex;
  MainWindow window;
  FetchSettings settings;
  settings.urlPrefix = server.url("/fcg-bin/cgi_playlist_xml.fcg?uin=");
  FetchController controller(window, regex, settings);
  connectFetching(window, controller);
  window.show();
  QCoreApplication::processEvents();
  resetPeakResident();

  const QString done = QStringLiteral("获取完成!!空间音乐总数:") + QString::number(songs);
  double longestStall = 0;
  for (auto _ : state) {
    bool finished = false;
    const QMetaObject::Connection watch = QObject::connect(
        window.statusBar(), &StatusBar::partTextChanged, [&](int, const QString& text) {
          if (text.endsWith(done)) finished = true;
        });
    StallWatch stalls;
    QElapsedTimer clock;
    clock.start();
    window.fetchButton()->click();
    while (!finished) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    state.SetIterationTime(clock.nsecsElapsed() / 1e9);
    longestStall = std::max(longestStall, stalls.longestMs());
    QObject::disconnect(watch);
    // The worker ends just after its last status; a click before that is refused.
    while (controller.running()) QCoreApplication::processEvents();
  }
  window.close();
  state.counters["songs"] = songs;
  state.counters["longest_stall_ms"] = longestStall;
  state.counters["peak_rss_mb"] = peakResidentMegabytes();
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(documentBytes));
}
// One repetition: a repeated run's peak memory would also count what the
// allocator kept back from the run before.
BENCHMARK(BM_EndToEnd)
    ->Arg(300)
    ->Arg(10000)
    ->Arg(100000)
    ->Repetitions(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Paint events reach the window's widgets only once it is on screen.
class FirstPaint : public QObject {
 public:
  bool painted = false;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted = true;
    return false;
  }
};

void BM_StartUpToFirstPaint(benchmark::State& state) {
  for (auto _ : state) {
    QElapsedTimer clock;
    clock.start();
    auto regex = std::make_unique<RegexObject>();
    FirstPaint paint;
    MainWindow window;
    window.installEventFilter(&paint);
    window.show();
    while (!paint.painted) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    state.SetIterationTime(clock.nsecsElapsed() / 1e9);
    window.close();
  }
}
BENCHMARK(BM_StartUpToFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

// The offscreen platform warns about window hints it cannot honour, once a
// window; the table has no use for it.
void dropWarnings(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
}

int main(int argc, char** argv) {
  // No display needed: the window is drawn offscreen, as in the GUI tests.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(dropWarnings);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
