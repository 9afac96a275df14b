// The real window fetching from a loopback server: typing, clicking
// "音乐获取", the rows and the status texts, and closing during a fetch.
#include <QElapsedTimer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "app/entry_routine.h"
#include "app/fetch_wiring.h"
#include "app/list_menu.h"
#include "app/main_window.h"
#include "app/number_box.h"
#include "app/song_list_view.h"
#include "app/status_bar.h"
#include "gui_test_support.h"
#include "playlist/playlist_fetch.h"
#include "regex/regex_object.h"
#include "support/loopback_server.h"
#include "support/playlist_document.h"

namespace {

const QString kDone = QStringLiteral("获取完成!!空间音乐总数:");

std::string gbkSong(const char* singer, const char* title, const char* address) {
  return songXml(utf8ToGbk(singer), utf8ToGbk(title), address);
}

std::string threeSongs() {
  return playlistXml({gbkSong("周杰伦", "七里香", "http://m.example/1.mp3"),
                      gbkSong("林俊杰", "江南", "http://m.example/2.mp3"),
                      gbkSong("王菲", "红豆", "http://m.example/3.mp3")});
}

FetchSettings settingsFor(const LoopbackServer& server) {
  FetchSettings settings;
  settings.urlPrefix = server.url("/fcg-bin/cgi_playlist_xml.fcg?uin=");
  settings.http.stallTimeout = std::chrono::seconds(5);
  return settings;
}

// The window with its fetch button wired to a controller, as the program has it.
struct Fixture {
  explicit Fixture(const LoopbackServer& server)
      : controller(window, regex, settingsFor(server)),
        statuses(window.statusBar(), &StatusBar::partTextChanged) {
    connectFetching(window, controller);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
  }
  ~Fixture() { window.closeControls(); }

  void typeNumber(const QString& number) {
    QTest::mouseClick(window.numberBox(), Qt::LeftButton);  // empties the box
    QTest::keyClicks(window.numberBox(), number);
  }
  void clickFetch() { QTest::mouseClick(window.fetchButton(), Qt::LeftButton); }
  QString status() const { return window.statusBar()->partText(0); }
  QStringList statusTexts() const {
    QStringList texts;
    for (const QList<QVariant>& args : statuses) {
      if (args.at(0).toInt() == 0) texts << args.at(1).toString();
    }
    return texts;
  }
  QStringList column(int c) {
    QStringList cells;
    for (int row = 0; row < window.rowCount(); ++row) {
      cells << QString::fromStdString(gbkToUtf8(window.cellText(row, c)));
    }
    return cells;
  }

  RegexObject regex;
  MainWindow window;
  FetchController controller;
  QSignalSpy statuses;
};

}  // namespace

class FetchEndToEndTest : public QObject {
  Q_OBJECT

 private slots:
  void threeSongsBecomeThreeRows();
  void answersWithoutSongsKeepOrReplaceRows_data();
  void answersWithoutSongsKeepOrReplaceRows();
  void clearingWhileFillingEmptiesTheListAtThatMoment();
  void secondClickDuringAFetchChangesNothing();
  void closingDuringAHungFetchEndsPromptly();
};

void FetchEndToEndTest::threeSongsBecomeThreeRows() {
  LoopbackServer server({httpAnswer(200, threeSongs())});
  Fixture f(server);
  f.typeNumber("513602947");
  f.clickFetch();
  QTRY_COMPARE(f.status(), "QQ:513602947" + kDone + "3");

  QCOMPARE(server.requests().size(), std::size_t{1});
  QVERIFY(server.requests().at(0).starts_with(
      "GET /fcg-bin/cgi_playlist_xml.fcg?uin=513602947 HTTP/1.0\r\n"));
  QCOMPARE(f.column(0), QStringList({"七里香-周杰伦", "江南-林俊杰", "红豆-王菲"}));
  QCOMPARE(f.column(1), QStringList({"http://m.example/1.mp3", "http://m.example/2.mp3",
                                     "http://m.example/3.mp3"}));
  QCOMPARE(f.statusTexts(), QStringList({
                                "获取中..",
                                "七里香 － 周杰伦  地址:http://m.example/1.mp3",
                                "江南 － 林俊杰  地址:http://m.example/2.mp3",
                                "红豆 － 王菲  地址:http://m.example/3.mp3",
                                "QQ:513602947" + kDone + "3",
                            }));
  // Only the first part ever changes.
  QCOMPARE(f.window.statusBar()->partText(1), QStringLiteral("歌曲数量："));
}

void FetchEndToEndTest::answersWithoutSongsKeepOrReplaceRows_data() {
  QTest::addColumn<int>("status");
  QTest::addColumn<QByteArray>("body");
  QTest::addColumn<QString>("finalStatus");
  QTest::addColumn<int>("rowsAfter");

  QTest::newRow("empty body keeps the rows") << 200 << QByteArray() << "QQ:42" + kDone + "0" << 2;
  QTest::newRow("a page without songs empties the list")
      << 200 << QByteArray("<playlist></playlist>") << "QQ:42" + kDone + "0" << 0;
  QTest::newRow("an error status is a failure and keeps the rows")
      << 404 << QByteArray("<html>Not Found</html>") << QStringLiteral("QQ:42获取失败!!HTTP 404")
      << 2;
}

void FetchEndToEndTest::answersWithoutSongsKeepOrReplaceRows() {
  QFETCH(int, status);
  QFETCH(QByteArray, body);
  QFETCH(QString, finalStatus);
  QFETCH(int, rowsAfter);

  LoopbackServer server({httpAnswer(status, body.toStdString())});
  Fixture f(server);
  gui_test::fill(f.window, {{"旧歌-旧人", "http://old/1"}, {"旧歌二-旧人", "http://old/2"}});
  f.typeNumber("42");
  f.clickFetch();
  QTRY_COMPARE(f.status(), finalStatus);
  QCOMPARE(f.window.rowCount(), rowsAfter);
  if (rowsAfter == 2) QCOMPARE(f.column(0), QStringList({"旧歌-旧人", "旧歌二-旧人"}));
}

void FetchEndToEndTest::clearingWhileFillingEmptiesTheListAtThatMoment() {
  LoopbackServer server({httpAnswer(200, threeSongs())});
  Fixture f(server);
  // "全部清空" chosen just as the second song is announced: its row is already
  // in the list, its cells are not written yet.
  QObject::connect(f.window.statusBar(), &StatusBar::partTextChanged, &f.window,
                   [&f](int, const QString& text) {
                     if (text.startsWith(QStringLiteral("江南"))) f.window.listMenu()->onClearAll();
                   });
  f.typeNumber("1");
  f.clickFetch();
  QTRY_COMPARE(f.status(), "QQ:1" + kDone + "3");
  // The second song's cell writes met no row; the third song landed in the
  // emptied list.
  QCOMPARE(f.column(0), QStringList({"红豆-王菲"}));
  QCOMPARE(f.column(1), QStringList({"http://m.example/3.mp3"}));
}

void FetchEndToEndTest::secondClickDuringAFetchChangesNothing() {
  // The body arrives in pieces, so the fetch is still running at the second click.
  ScriptedAnswer slow = httpAnswer(200, threeSongs());
  slow.pieces = 4;
  slow.pause = std::chrono::milliseconds(100);
  LoopbackServer server({slow});
  Fixture f(server);
  f.typeNumber("7");
  f.clickFetch();
  // The worker needs the GUI thread to announce itself before it sends.
  QTRY_COMPARE(server.requests().size(), std::size_t{1});
  QVERIFY(f.controller.running());
  f.clickFetch();
  QVERIFY(f.window.fetchButton()->isEnabled());
  QTRY_COMPARE(f.status(), "QQ:7" + kDone + "3");
  QCOMPARE(server.requests().size(), std::size_t{1});
  QCOMPARE(f.window.rowCount(), 3);
  QCOMPARE(f.statusTexts().count(QStringLiteral("获取中..")), 1);
}

void FetchEndToEndTest::closingDuringAHungFetchEndsPromptly() {
  ScriptedAnswer hang;
  hang.then = ScriptedAnswer::Then::kHang;
  LoopbackServer server({hang});
  RegexObject regex;

  QElapsedTimer sinceClose;
  gui_test::whenShown(
      [] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
          if (auto* window = qobject_cast<MainWindow*>(w); window && window->isVisible()) {
            return static_cast<QWidget*>(window);
          }
        }
        return static_cast<QWidget*>(nullptr);
      },
      [&](QWidget* window) {
        auto* main = static_cast<MainWindow*>(window);
        QTest::mouseClick(main->fetchButton(), Qt::LeftButton);
        // Checked after the run: the window must close whatever happens here.
        (void)QTest::qWaitFor([&server] { return !server.requests().empty(); });
        sinceClose.start();
        main->close();
      });
  QCOMPARE(runMainWindow(regex, settingsFor(server)), 0);
  QCOMPARE(server.requests().size(), std::size_t{1});
  QVERIFY(sinceClose.isValid());
  // Far inside the transfer's own time-outs: the close cancelled it.
  QVERIFY2(sinceClose.elapsed() < 1000, qPrintable(QString::number(sinceClose.elapsed())));
}

QTEST_MAIN(FetchEndToEndTest)
#include "fetch_end_to_end_test.moc"
