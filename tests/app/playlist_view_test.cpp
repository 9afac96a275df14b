// The window as the fetch worker sees it: PlaylistView on the GUI thread, from
// a second thread, and across the closing switch.
#include <QMessageBox>
#include <QTest>
#include <atomic>
#include <memory>
#include <thread>

#include "app/main_window.h"
#include "app/number_box.h"
#include "app/song_list_view.h"
#include "app/status_bar.h"
#include "common/gbk.h"
#include "gui_test_support.h"

namespace {

Text gbk(const char* utf8) { return utf8ToGbk(utf8); }

// What a worker does to the window, and how it checks its own reads.
struct WorkerRun {
  static constexpr int kRows = 200;
  std::atomic<bool> done{false};
  int badReads = 0;  // reads that did not give back what this worker wrote

  void operator()(PlaylistView& view) {
    view.deleteAllRows();
    for (int i = 0; i < kRows; ++i) {
      const int row = view.appendRow();
      if (row != i || view.rowCount() != i + 1) ++badReads;
      view.setCellText(row, 0, gbk("歌名-歌手") + std::to_string(i));
      view.setCellText(row, 1, "http://m/" + std::to_string(i));
      view.setStatusPartText(0, std::to_string(i));
      if (view.cellText(row, 0) != gbk("歌名-歌手") + std::to_string(i)) ++badReads;
    }
    done = true;
  }
};

// Throws the closing switch as soon as a posted window operation arrives,
// before it runs: the operation must then leave the window alone, and the
// waiting worker can only be released by the switch itself.
class CloseOnPostedCall : public QObject {
 public:
  explicit CloseOnPostedCall(MainWindow& window) : window_(window) {}
  bool fired = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &window_ && event->type() == QEvent::MetaCall && !fired) {
      fired = true;
      window_.closeControls();
    }
    return false;
  }

 private:
  MainWindow& window_;
};

}  // namespace

class PlaylistViewTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void operationsOnGuiThread();
  void missingCellsAndParts_data();
  void missingCellsAndParts();
  void numberBoxTextIsGbk();
  void workerCallsApplyInOrder_data();
  void workerCallsApplyInOrder();
  void closingReleasesWaitingWorker();
  void callsAfterClosingReturnAtOnce_data();
  void callsAfterClosingReturnAtOnce();

 private:
  std::unique_ptr<MainWindow> window_;
};

void PlaylistViewTest::init() {
  window_ = std::make_unique<MainWindow>();
  window_->show();
  QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void PlaylistViewTest::cleanup() { window_.reset(); }

void PlaylistViewTest::operationsOnGuiThread() {
  PlaylistView& view = *window_;
  QCOMPARE(view.rowCount(), 0);
  QCOMPARE(view.selectedRow(), -1);
  QCOMPARE(view.appendRow(), 0);
  QCOMPARE(view.appendRow(), 1);
  QCOMPARE(view.cellText(1, 0), "");
  view.setCellText(1, 0, gbk("晴天-周杰伦"));
  view.setCellText(1, 1, "http://m/1");
  QCOMPARE(view.cellText(1, 0), gbk("晴天-周杰伦"));
  QCOMPARE(view.cellText(1, 1), "http://m/1");
  QCOMPARE(window_->songList()->model()->index(1, 0).data().toString(), QStringLiteral("晴天-周杰伦"));

  window_->songList()->selectRow(1);
  QCOMPARE(view.selectedRow(), 1);

  view.setStatusPartText(0, gbk("获取中.."));
  QCOMPARE(window_->statusBar()->partText(0), QStringLiteral("获取中.."));

  view.deleteAllRows();
  QCOMPARE(view.rowCount(), 0);
  QCOMPARE(view.selectedRow(), -1);
  QCOMPARE(window_->statusBar()->partText(0), QStringLiteral("获取中.."));
}

void PlaylistViewTest::missingCellsAndParts_data() {
  QTest::addColumn<int>("row");
  QTest::addColumn<int>("column");
  QTest::addColumn<int>("part");

  QTest::newRow("row -1, part -1") << -1 << 0 << -1;
  QTest::newRow("row past the end, part 5") << 1 << 0 << 5;
  QTest::newRow("column -1, part 1000") << 0 << -1 << 1000;
  QTest::newRow("column 2, part 5") << 0 << 2 << 5;
}

void PlaylistViewTest::missingCellsAndParts() {
  QFETCH(int, row);
  QFETCH(int, column);
  QFETCH(int, part);

  PlaylistView& view = *window_;
  view.appendRow();
  view.setCellText(0, 0, "a");
  view.setCellText(0, 1, "b");
  view.setCellText(row, column, "written nowhere");
  QCOMPARE(view.cellText(row, column), "");
  QCOMPARE(view.cellText(0, 0), "a");
  QCOMPARE(view.cellText(0, 1), "b");
  QCOMPARE(view.rowCount(), 1);

  view.setStatusPartText(part, "x");
  for (int shown = 0; shown < StatusBar::kPartCount; ++shown) {
    QVERIFY(window_->statusBar()->partText(shown) != QStringLiteral("x"));
  }
}

void PlaylistViewTest::numberBoxTextIsGbk() {
  window_->numberBox()->setText(QStringLiteral(" 12-34号 "));
  QCOMPARE(window_->numberBoxText(), gbk(" 12-34号 "));
}

void PlaylistViewTest::workerCallsApplyInOrder_data() {
  QTest::addColumn<bool>("underMessageBox");
  QTest::newRow("event loop") << false;
  QTest::newRow("modal message box open") << true;
}

void PlaylistViewTest::workerCallsApplyInOrder() {
  QFETCH(bool, underMessageBox);

  gui_test::fill(*window_, {{"old", "old"}});
  WorkerRun run;
  std::thread worker([&] { run(*window_); });
  if (underMessageBox) {
    // The box is closed only after the worker finished, so all of its calls
    // were served by the box's own event loop.
    QMessageBox box(QMessageBox::NoIcon, "t", "m", QMessageBox::Ok);
    QTimer poll;
    poll.setInterval(5);
    connect(&poll, &QTimer::timeout, &box, [&] {
      if (run.done) box.accept();
    });
    poll.start();
    box.exec();
  } else {
    QTRY_VERIFY_WITH_TIMEOUT(run.done, 20000);
  }
  worker.join();

  QCOMPARE(run.badReads, 0);
  QCOMPARE(window_->rowCount(), WorkerRun::kRows);
  for (int i = 0; i < WorkerRun::kRows; ++i) {
    QCOMPARE(window_->cellText(i, 0), gbk("歌名-歌手") + std::to_string(i));
    QCOMPARE(window_->cellText(i, 1), "http://m/" + std::to_string(i));
  }
  QCOMPARE(window_->statusBar()->partText(0), QString::number(WorkerRun::kRows - 1));
}

void PlaylistViewTest::closingReleasesWaitingWorker() {
  CloseOnPostedCall closer(*window_);
  window_->installEventFilter(&closer);

  int appended = 0;
  Text number = "unset";
  std::thread worker([&] {
    appended = window_->appendRow();   // waits until the switch releases it
    number = window_->numberBoxText();  // after the switch: returns at once
  });
  QTRY_VERIFY(closer.fired);
  // The GUI thread joins without serving events, as it will while closing.
  worker.join();
  window_->removeEventFilter(&closer);

  QCOMPARE(appended, -1);
  QCOMPARE(number, "");
  QCoreApplication::processEvents();
  QCOMPARE(window_->rowCount(), 0);
}

void PlaylistViewTest::callsAfterClosingReturnAtOnce_data() {
  QTest::addColumn<bool>("byCloseEvent");
  QTest::newRow("window closed") << true;
  QTest::newRow("closeControls") << false;
}

void PlaylistViewTest::callsAfterClosingReturnAtOnce() {
  QFETCH(bool, byCloseEvent);

  gui_test::fill(*window_, {{"a", "b"}, {"c", "d"}});
  window_->songList()->selectRow(1);
  if (byCloseEvent) {
    QVERIFY(window_->close());
  } else {
    window_->closeControls();
  }

  struct Seen {
    Text number = "unset", cell = "unset";
    int rows = -9, selected = -9, appended = -9;
  } seen;
  std::thread worker([&] {
    seen.number = window_->numberBoxText();
    seen.rows = window_->rowCount();
    seen.selected = window_->selectedRow();
    seen.cell = window_->cellText(0, 0);
    seen.appended = window_->appendRow();
    window_->setCellText(0, 0, "changed");
    window_->setStatusPartText(0, "changed");
    window_->deleteAllRows();
  });
  worker.join();  // no events served: a waiting call would never return
  QCOMPARE(seen.number, "");
  QCOMPARE(seen.rows, 0);
  QCOMPARE(seen.selected, -1);
  QCOMPARE(seen.cell, "");
  QCOMPARE(seen.appended, -1);

  QCoreApplication::processEvents();
  QCOMPARE(window_->rowCount(), 2);
  QCOMPARE(window_->cellText(0, 0), "a");
  QCOMPARE(window_->statusBar()->partText(0), QStringLiteral("状态："));
}

QTEST_MAIN(PlaylistViewTest)
#include "playlist_view_test.moc"
