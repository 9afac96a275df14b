// The program's run: the window opens, and closing it ends the run with 0.
#include <QKeyEvent>
#include <QTest>

#include "app/entry_routine.h"
#include "app/main_window.h"
#include "regex/regex_object.h"
#include "gui_test_support.h"

namespace {

MainWindow* openWindow() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* window = qobject_cast<MainWindow*>(w); window && window->isActiveWindow()) {
      return window;
    }
  }
  return nullptr;
}

}  // namespace

class EntryRoutineTest : public QObject {
  Q_OBJECT

 private slots:
  void closingEndsWithZero_data();
  void closingEndsWithZero();
};

void EntryRoutineTest::closingEndsWithZero_data() {
  QTest::addColumn<QString>("how");
  QTest::newRow("Esc") << "esc";
  QTest::newRow("close button") << "close";
}

void EntryRoutineTest::closingEndsWithZero() {
  QFETCH(QString, how);

  bool sawWindow = false;
  gui_test::whenShown([] { return static_cast<QWidget*>(openWindow()); },
                      [&](QWidget* window) {
                        sawWindow = true;
                        if (how == "esc") {
                          QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
                        } else {
                          window->close();
                        }
                      });
  RegexObject regex;
  QCOMPARE(runMainWindow(regex), 0);
  QVERIFY(sawWindow);
  // The window is gone with the run.
  for (QWidget* w : QApplication::topLevelWidgets()) QVERIFY(!qobject_cast<MainWindow*>(w));
}

QTEST_MAIN(EntryRoutineTest)
#include "entry_routine_test.moc"
