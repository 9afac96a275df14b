// The main window on its own: layout, texts, focus, keys and the number box.
#include <QAccessible>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "app/main_window.h"
#include "app/number_box.h"
#include "app/song_list_view.h"
#include "app/status_bar.h"
#include "gui_test_support.h"

namespace {

// QTest::keyClicks takes Latin-1 only; other characters arrive as key events
// that carry the character as their text, as a keyboard layout would send them.
void typeText(QWidget* widget, const QString& text) {
  for (const QChar c : text) {
    if (c.unicode() < 128) {
      QTest::keyClick(widget, c.toLatin1());
    } else {
      QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
  }
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void windowSettings();
  void controlGeometry_data();
  void controlGeometry();
  void labelLook_data();
  void labelLook();
  void statusParts_data();
  void statusParts();
  void listColumns_data();
  void listColumns();
  void listBehaviour();
  void headerClickChangesNothing();
  void selectionShownOnlyWithFocus();

  void initialState();
  void tabCycle_data();
  void tabCycle();
  void escape_data();
  void escape();
  void enterAndF1DoNothing_data();
  void enterAndF1DoNothing();

  void typedCharactersFiltered_data();
  void typedCharactersFiltered();
  void inputMethodTextFiltered();
  void backspaceAndPaste();
  void numberBoxEmptiesOnFocus_data();
  void numberBoxEmptiesOnFocus();
  void pasteFromOwnMenuKeepsText();
  void numberBoxNamedByLabel();

 private:
  QWidget* control(const QString& name) const;

  std::unique_ptr<MainWindow> window_;
};

void MainWindowTest::init() {
  window_ = std::make_unique<MainWindow>();
  window_->show();
  QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void MainWindowTest::cleanup() { window_.reset(); }

QWidget* MainWindowTest::control(const QString& name) const {
  return window_->findChild<QWidget*>(name);
}

void MainWindowTest::windowSettings() {
  QCOMPARE(window_->windowTitle(), QStringLiteral("Mernalt Lirvane"));
  // The program's icon, small and large, from the resources built in.
  for (const int size : {16, 32, 256}) {
    QCOMPARE(window_->windowIcon().pixmap(size, size).size(), QSize(size, size));
  }
  // The offscreen platform draws no frame: the client area is the outer size.
  QCOMPARE(window_->frameGeometry().size(), QSize(489, 314));
  QCOMPARE(window_->minimumSize(), window_->maximumSize());

  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  QCOMPARE(window_->frameGeometry().topLeft(),
           screen.topLeft() + QPoint((screen.width() - 489) / 2, (screen.height() - 314) / 2));

  const Qt::WindowFlags flags = window_->windowFlags();
  QCOMPARE(flags & Qt::WindowType_Mask, Qt::Window);
  QVERIFY(flags & Qt::WindowTitleHint);
  QVERIFY(flags & Qt::WindowSystemMenuHint);
  QVERIFY(flags & Qt::WindowCloseButtonHint);
  QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
  QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
  QVERIFY(!(flags & Qt::WindowStaysOnTopHint));
}

void MainWindowTest::controlGeometry_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QRect>("geometry");
  QTest::addColumn<QString>("text");

  QTest::newRow("透明标签2") << "titleLabel" << QRect(256, 0, 216, 32) << "Lirvane";
  QTest::newRow("透明标签1") << "numberLabel" << QRect(11, 12, 48, 16) << "QQ号码：";
  QTest::newRow("按钮1") << "fetchButton" << QRect(176, 8, 72, 20) << "音乐获取";
  QTest::newRow("编辑框1") << "numberBox" << QRect(67, 9, 104, 20) << "513602947";
  QTest::newRow("超级列表框1") << "songList" << QRect(5, 39, 475, 225) << QString();
}

void MainWindowTest::controlGeometry() {
  QFETCH(QString, name);
  QFETCH(QRect, geometry);
  QFETCH(QString, text);

  QWidget* widget = control(name);
  QVERIFY(widget);
  QCOMPARE(widget->geometry(), geometry);
  QVERIFY(widget->isVisible());
  QVERIFY(widget->isEnabled());
  if (!text.isNull()) QCOMPARE(widget->property("text").toString(), text);
}

void MainWindowTest::labelLook_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QColor>("colour");
  QTest::addColumn<int>("alignment");

  QTest::newRow("title") << "titleLabel" << QColor(255, 0, 0) << int(Qt::AlignCenter);
  QTest::newRow("number") << "numberLabel" << QColor(0, 0, 0)
                          << int(Qt::AlignLeft | Qt::AlignVCenter);
}

void MainWindowTest::labelLook() {
  QFETCH(QString, name);
  QFETCH(QColor, colour);
  QFETCH(int, alignment);

  auto* label = qobject_cast<QLabel*>(control(name));
  QVERIFY(label);
  QCOMPARE(label->palette().color(QPalette::WindowText), colour);
  QCOMPARE(int(label->alignment()), alignment);
  QCOMPARE(label->textFormat(), Qt::PlainText);
  QVERIFY(!label->autoFillBackground());
  QVERIFY(!label->wordWrap());
  QCOMPARE(label->focusPolicy(), Qt::NoFocus);
}

void MainWindowTest::statusParts_data() {
  QTest::addColumn<int>("part");
  QTest::addColumn<int>("left");
  QTest::addColumn<int>("right");
  QTest::addColumn<QString>("text");

  QTest::newRow("0") << 0 << 0 << 235 << "状态：";
  QTest::newRow("1") << 1 << 235 << 385 << "歌曲数量：";
  QTest::newRow("2") << 2 << 385 << 482 << "作者：Mernalt";
  QTest::newRow("3") << 3 << 482 << 532 << "";
  QTest::newRow("4") << 4 << 532 << 1018 << "";
}

void MainWindowTest::statusParts() {
  QFETCH(int, part);
  QFETCH(int, left);
  QFETCH(int, right);
  QFETCH(QString, text);

  StatusBar* bar = window_->statusBar();
  // Docked to the bottom of the client area, across its whole width.
  QCOMPARE(bar->geometry().bottom(), window_->height() - 1);
  QCOMPARE(bar->geometry().left(), 0);
  QCOMPARE(bar->width(), window_->width());
  QCOMPARE(bar->focusPolicy(), Qt::NoFocus);

  QLabel* label = bar->part(part);
  QVERIFY(label);
  QCOMPARE(label->geometry().left(), left);
  QCOMPARE(label->geometry().left() + label->width(), right);
  QCOMPARE(label->text(), text);
  QCOMPARE(label->frameShadow(), QFrame::Sunken);
  QCOMPARE(int(label->alignment() & Qt::AlignHorizontal_Mask), int(Qt::AlignLeft));
  QCOMPARE(label->focusPolicy(), Qt::NoFocus);
}

void MainWindowTest::listColumns_data() {
  QTest::addColumn<int>("column");
  QTest::addColumn<QString>("header");
  QTest::addColumn<int>("width");

  QTest::newRow("title and singer") << 0 << "歌曲名/歌手" << 140;
  QTest::newRow("address") << 1 << "歌曲地址" << 330;
}

void MainWindowTest::listColumns() {
  QFETCH(int, column);
  QFETCH(QString, header);
  QFETCH(int, width);

  SongListView* list = window_->songList();
  QCOMPARE(list->model()->columnCount(), 2);
  QCOMPARE(list->model()->headerData(column, Qt::Horizontal).toString(), header);
  QCOMPARE(list->columnWidth(column), width);
  const auto alignment =
      list->model()->headerData(column, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>();
  QCOMPARE(int(alignment & Qt::AlignHorizontal_Mask), int(Qt::AlignLeft));
}

void MainWindowTest::listBehaviour() {
  SongListView* list = window_->songList();
  QCOMPARE(list->model()->rowCount(), 0);
  QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
  QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
  QCOMPARE(list->editTriggers(), QAbstractItemView::NoEditTriggers);
  QVERIFY(list->showGrid());
  QVERIFY(!list->tabKeyNavigation());
  QVERIFY(!list->isSortingEnabled());
  QVERIFY(!list->verticalHeader()->isVisible());
  QVERIFY(list->horizontalHeader()->isVisible());
  QVERIFY(list->horizontalHeader()->sectionsClickable());
  QVERIFY(!list->horizontalHeader()->sectionsMovable());
}

void MainWindowTest::headerClickChangesNothing() {
  gui_test::fill(*window_, {{"b-2", "http://b"}, {"a-1", "http://a"}});
  QHeaderView* header = window_->songList()->horizontalHeader();
  for (int section = 0; section < 2; ++section) {
    const QPoint middle(header->sectionViewportPosition(section) + 10, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, middle);
  }
  QCOMPARE(window_->cellText(0, 0), "b-2");
  QCOMPARE(window_->cellText(1, 0), "a-1");
  QCOMPARE(window_->selectedRow(), -1);
}

void MainWindowTest::selectionShownOnlyWithFocus() {
  gui_test::fill(*window_, {{"x", "y"}});
  SongListView* list = window_->songList();
  list->selectRow(0);
  // A point inside row 0 but right of its short text.
  const QPoint inRow(100, list->rowViewportPosition(0) + list->rowHeight(0) / 2);
  const QColor base = list->palette().color(QPalette::Base);

  list->setFocus();
  QTRY_VERIFY(list->hasFocus());
  QVERIFY(list->viewport()->grab().toImage().pixelColor(inRow) != base);

  window_->numberBox()->setFocus();
  QTRY_VERIFY(!list->hasFocus());
  QCOMPARE(list->viewport()->grab().toImage().pixelColor(inRow), base);
  QCOMPARE(window_->selectedRow(), 0);
}

void MainWindowTest::initialState() {
  QCOMPARE(QApplication::focusWidget(), window_->songList());
  QCOMPARE(window_->numberBox()->text(), QStringLiteral("513602947"));
  QCOMPARE(window_->numberBox()->cursorPosition(), 0);
  QVERIFY(!window_->numberBox()->hasSelectedText());
  QVERIFY(!window_->fetchButton()->isDefault());
  QVERIFY(!window_->fetchButton()->autoDefault());
}

void MainWindowTest::tabCycle_data() {
  QTest::addColumn<bool>("backwards");
  QTest::addColumn<QStringList>("cycle");

  QTest::newRow("Tab") << false << QStringList{"numberBox", "fetchButton", "songList", "numberBox"};
  QTest::newRow("Shift+Tab") << true
                             << QStringList{"fetchButton", "numberBox", "songList", "fetchButton"};
}

void MainWindowTest::tabCycle() {
  QFETCH(bool, backwards);
  QFETCH(QStringList, cycle);

  for (const QString& expected : cycle) {
    QWidget* from = QApplication::focusWidget();
    QVERIFY(from);
    if (backwards) {
      QTest::keyClick(from, Qt::Key_Backtab, Qt::ShiftModifier);
    } else {
      QTest::keyClick(from, Qt::Key_Tab);
    }
    QCOMPARE(QApplication::focusWidget(), control(expected));
  }
}

void MainWindowTest::escape_data() {
  QTest::addColumn<QString>("focus");
  QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
  QTest::addColumn<bool>("closes");

  for (const char* focus : {"songList", "numberBox", "fetchButton"}) {
    QTest::addRow("Esc in %s", focus) << focus << Qt::KeyboardModifiers() << true;
    QTest::addRow("Shift+Esc in %s", focus)
        << focus << Qt::KeyboardModifiers(Qt::ShiftModifier) << false;
  }
}

void MainWindowTest::escape() {
  QFETCH(QString, focus);
  QFETCH(Qt::KeyboardModifiers, modifiers);
  QFETCH(bool, closes);

  QSignalSpy closing(window_.get(), &MainWindow::closing);
  control(focus)->setFocus();
  QTRY_COMPARE(QApplication::focusWidget(), control(focus));
  QTest::keyClick(control(focus), Qt::Key_Escape, modifiers);
  QCOMPARE(window_->isVisible(), !closes);
  QCOMPARE(closing.count(), closes ? 1 : 0);
}

void MainWindowTest::enterAndF1DoNothing_data() {
  QTest::addColumn<int>("key");
  QTest::addColumn<int>("presses");

  QTest::newRow("Return") << int(Qt::Key_Return) << 0;
  QTest::newRow("Enter") << int(Qt::Key_Enter) << 0;
  QTest::newRow("F1") << int(Qt::Key_F1) << 0;
  QTest::newRow("Space") << int(Qt::Key_Space) << 1;
}

void MainWindowTest::enterAndF1DoNothing() {
  QFETCH(int, key);
  QFETCH(int, presses);

  QSignalSpy fetch(window_.get(), &MainWindow::fetchRequested);
  QPushButton* button = window_->fetchButton();
  button->setFocus();
  QTRY_VERIFY(button->hasFocus());
  QTest::keyClick(button, Qt::Key(key));
  QCOMPARE(fetch.count(), presses);
  QVERIFY(button->hasFocus());
  QVERIFY(window_->isVisible());

  QTest::mouseClick(button, Qt::LeftButton);
  QCOMPARE(fetch.count(), presses + 1);
}

void MainWindowTest::typedCharactersFiltered_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("kept");

  QTest::newRow("digits, dash, letter, space") << "12a-3 4" << "12-34";
  QTest::newRow("dashes anywhere") << "--1--" << "--1--";
  QTest::newRow("punctuation") << "1.2,3+4_" << "1234";
  QTest::newRow("full-width digits and CJK") << "１２号5" << "5";
}

void MainWindowTest::typedCharactersFiltered() {
  QFETCH(QString, typed);
  QFETCH(QString, kept);

  NumberBox* box = window_->numberBox();
  box->setFocus();
  QTRY_VERIFY(box->hasFocus());
  QVERIFY(box->text().isEmpty());
  typeText(box, typed);
  QCOMPARE(box->text(), kept);
}

void MainWindowTest::inputMethodTextFiltered() {
  NumberBox* box = window_->numberBox();
  box->setFocus();
  QTRY_VERIFY(box->hasFocus());
  QInputMethodEvent commit;
  commit.setCommitString(QStringLiteral("7号-8a"));
  QApplication::sendEvent(box, &commit);
  QCOMPARE(box->text(), QStringLiteral("7-8"));
}

void MainWindowTest::backspaceAndPaste() {
  NumberBox* box = window_->numberBox();
  box->setFocus();
  QTRY_VERIFY(box->hasFocus());
  QTest::keyClicks(box, "123");
  QTest::keyClick(box, Qt::Key_Backspace);
  QCOMPARE(box->text(), QStringLiteral("12"));

  QGuiApplication::clipboard()->setText(QStringLiteral("ab c号"));
  QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(box->text(), QStringLiteral("12ab c号"));
}

void MainWindowTest::numberBoxEmptiesOnFocus_data() {
  QTest::addColumn<QString>("how");
  QTest::newRow("click") << "click";
  QTest::newRow("Tab") << "tab";
  QTest::newRow("re-activation") << "reactivate";
}

void MainWindowTest::numberBoxEmptiesOnFocus() {
  QFETCH(QString, how);

  NumberBox* box = window_->numberBox();
  if (how == "click") {
    QTest::mouseClick(box, Qt::LeftButton);
  } else if (how == "tab") {
    QTest::keyClick(window_->songList(), Qt::Key_Tab);
  } else {
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    QTest::keyClicks(box, "55");
    QCOMPARE(box->text(), QStringLiteral("55"));
    // Another program's window comes to the front, then ours again.
    QWidget other;
    other.setGeometry(0, 0, 100, 100);
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QCOMPARE(box->text(), QStringLiteral("55"));
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  }
  QTRY_VERIFY(box->hasFocus());
  QCOMPARE(box->text(), QString());
}

void MainWindowTest::pasteFromOwnMenuKeepsText() {
  NumberBox* box = window_->numberBox();
  box->setFocus();
  QTRY_VERIFY(box->hasFocus());
  QTest::keyClicks(box, "12");
  QGuiApplication::clipboard()->setText(QStringLiteral("-ab"));

  // The box's own context menu hands the focus back when it closes; that must
  // not count as gaining it, or the box would empty itself before the paste.
  bool pasted = false;
  gui_test::whenShown(gui_test::activePopup, [&pasted](QWidget* popup) {
    auto* menu = qobject_cast<QMenu*>(popup);
    QAction* paste = nullptr;
    for (QAction* action : menu ? menu->actions() : QList<QAction*>()) {
      if (action->text().startsWith(QStringLiteral("&Paste"))) paste = action;
    }
    if (paste) {
      QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(paste).center());
      pasted = true;
    }
    popup->close();
  });
  const QPoint middle = box->rect().center();
  QContextMenuEvent request(QContextMenuEvent::Mouse, middle, box->mapToGlobal(middle));
  QApplication::sendEvent(box, &request);
  QTRY_VERIFY(pasted);  // the box opens its menu without blocking
  QTRY_VERIFY(box->hasFocus());
  QCOMPARE(box->text(), QStringLiteral("12-ab"));
}

void MainWindowTest::numberBoxNamedByLabel() {
  QAccessibleInterface* box = QAccessible::queryAccessibleInterface(window_->numberBox());
  QVERIFY(box);
  QCOMPARE(box->text(QAccessible::Name), window_->numberLabel()->text());
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
