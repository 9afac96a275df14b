// The list's right-click menu and its commands, driven as a user would.
#include <QClipboard>
#include <QCursor>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "app/list_menu.h"
#include "app/main_window.h"
#include "app/number_box.h"
#include "app/song_list_view.h"
#include "app/status_bar.h"
#include "common/gbk.h"
#include "gui_test_support.h"

using gui_test::Row;

namespace {

const QList<Row> kSongs = {
    {"晴天-周杰伦", "http://music.example/qingtian.mp3"},
    // A title longer than 511 bytes in GBK must be copied whole.
    {QString("很长的歌名").repeated(60) + "-歌手", "http://music.example/long.mp3"},
    {"Yesterday-The Beatles", "http://music.example/yesterday.mp3"},
};

// What one popup showed.
struct PopupSeen {
  bool shown = false;
  QPoint position;
  QStringList texts;
  QList<bool> enabled;
};

}  // namespace

class ListMenuTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void itemsFollowRowCount_data();
  void itemsFollowRowCount();
  void greyedItemRunsNothing();
  void rightClickSetsSelection_data();
  void rightClickSetsSelection();
  void copyPutsCellOnClipboard_data();
  void copyPutsCellOnClipboard();
  void copyWithoutSelectionKeepsClipboard_data();
  void copyWithoutSelectionKeepsClipboard();
  void clearAllEmptiesOnlyTheList();
  void keyboardOpensNoMenu_data();
  void keyboardOpensNoMenu();

 private:
  // Right-clicks the list at `pos` (viewport coordinates) with the pointer
  // there; the popup is inspected, then `choose` (an item index, or -1 for
  // none) is clicked, or the menu is left with Esc.
  PopupSeen rightClick(QPoint pos, int choose);
  QPoint rowPoint(int row) const;
  QPoint belowRows() const;

  std::unique_ptr<MainWindow> window_;
};

void ListMenuTest::init() {
  window_ = std::make_unique<MainWindow>();
  window_->show();
  QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  QGuiApplication::clipboard()->setText(QStringLiteral("what the user had copied"));
}

void ListMenuTest::cleanup() { window_.reset(); }

QPoint ListMenuTest::rowPoint(int row) const {
  SongListView* list = window_->songList();
  return {20, list->rowViewportPosition(row) + list->rowHeight(row) / 2};
}

QPoint ListMenuTest::belowRows() const {
  return {20, window_->songList()->viewport()->height() - 5};
}

PopupSeen ListMenuTest::rightClick(QPoint pos, int choose) {
  PopupSeen seen;
  QWidget* viewport = window_->songList()->viewport();
  QCursor::setPos(viewport->mapToGlobal(pos));
  const QPoint cursor = QCursor::pos();
  gui_test::whenShown(gui_test::activePopup, [&seen, cursor, choose](QWidget* popup) {
    auto* menu = qobject_cast<QMenu*>(popup);
    if (!menu) return;
    seen.shown = true;
    seen.position = menu->pos() - cursor;
    for (QAction* action : menu->actions()) {
      seen.texts << action->text();
      seen.enabled << action->isEnabled();
    }
    if (choose >= 0) {
      QAction* item = menu->actions().value(choose);
      QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    }
    // Still open when nothing was chosen or the item was greyed.
    if (menu->isVisible()) QTest::keyClick(menu, Qt::Key_Escape);
  });
  QTest::mouseClick(viewport, Qt::RightButton, {}, pos);
  return seen;
}

void ListMenuTest::itemsFollowRowCount_data() {
  QTest::addColumn<int>("rows");
  QTest::addColumn<bool>("enabled");

  QTest::newRow("empty list") << 0 << false;
  QTest::newRow("filled list") << 3 << true;
}

void ListMenuTest::itemsFollowRowCount() {
  QFETCH(int, rows);
  QFETCH(bool, enabled);

  gui_test::fill(*window_, kSongs.mid(0, rows));
  for (const QPoint pos : {rows > 0 ? rowPoint(1) : belowRows(), belowRows()}) {
    const PopupSeen seen = rightClick(pos, -1);
    QVERIFY(seen.shown);
    QCOMPARE(seen.position, QPoint(3, 3));
    QCOMPARE(seen.texts, (QStringList{"复制歌曲名/歌手", "复制歌曲地址", "全部清空"}));
    QCOMPARE(seen.enabled, (QList<bool>{enabled, enabled, enabled}));
  }
  QVERIFY(window_->isVisible());  // the Esc closed only the menu
}

void ListMenuTest::greyedItemRunsNothing() {
  gui_test::fill(*window_, kSongs);
  // Empty the list behind the menu's back: the next right click greys the
  // items, and clicking one must neither copy nor confirm.
  rightClick(rowPoint(0), 2);
  QCOMPARE(window_->rowCount(), 0);
  gui_test::UnwantedWindowWatch boxes(gui_test::activeModal);
  const PopupSeen seen = rightClick(belowRows(), 0);
  QCOMPARE(seen.enabled, (QList<bool>{false, false, false}));
  QVERIFY(!boxes.seen());
  QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("what the user had copied"));
}

void ListMenuTest::rightClickSetsSelection_data() {
  QTest::addColumn<int>("clickedRow");  // -1: below the last row
  QTest::addColumn<int>("selected");

  QTest::newRow("second row") << 1 << 1;
  QTest::newRow("last row") << 2 << 2;
  QTest::newRow("below the rows") << -1 << -1;
}

void ListMenuTest::rightClickSetsSelection() {
  QFETCH(int, clickedRow);
  QFETCH(int, selected);

  gui_test::fill(*window_, kSongs);
  window_->songList()->selectRow(0);
  int selectedWhenShown = -2;
  gui_test::whenShown(gui_test::activePopup, [this, &selectedWhenShown](QWidget* popup) {
    selectedWhenShown = window_->selectedRow();
    popup->close();
  });
  QTest::mouseClick(window_->songList()->viewport(), Qt::RightButton, {},
                    clickedRow >= 0 ? rowPoint(clickedRow) : belowRows());
  QCOMPARE(selectedWhenShown, selected);
  QCOMPARE(window_->selectedRow(), selected);
}

void ListMenuTest::copyPutsCellOnClipboard_data() {
  QTest::addColumn<int>("item");
  QTest::addColumn<int>("row");
  QTest::addColumn<QString>("expected");

  QTest::newRow("title and singer, row 1") << 0 << 0 << kSongs[0].title;
  QTest::newRow("address, row 1") << 1 << 0 << kSongs[0].address;
  QTest::newRow("title longer than 511 bytes, row 2") << 0 << 1 << kSongs[1].title;
  QTest::newRow("address, row 2") << 1 << 1 << kSongs[1].address;
}

void ListMenuTest::copyPutsCellOnClipboard() {
  QFETCH(int, item);
  QFETCH(int, row);
  QFETCH(QString, expected);

  gui_test::fill(*window_, kSongs);
  QVERIFY(utf8ToGbk(kSongs[1].title.toStdString()).size() > 511);

  struct BoxSeen {
    bool shown = false;
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::Information;
    int buttons = 0;
    bool parentless = false;
    Qt::WindowModality modality = Qt::NonModal;
    QString clipboard;
  } box;
  gui_test::whenShown(gui_test::activeModal, [&box](QWidget* modal) {
    auto* message = qobject_cast<QMessageBox*>(modal);
    if (!message) return;
    box = {true,
           message->text(),
           message->windowTitle(),
           message->icon(),
           int(message->buttons().size()),
           message->parentWidget() == nullptr,
           message->windowModality(),
           QGuiApplication::clipboard()->text()};
    QTest::keyClick(message, Qt::Key_Escape);
  });
  const PopupSeen seen = rightClick(rowPoint(row), item);
  QVERIFY(seen.shown);

  QVERIFY(box.shown);
  QCOMPARE(box.text, QStringLiteral("复制成功!!"));
  QCOMPARE(box.title, QStringLiteral("信息："));
  QCOMPARE(box.icon, QMessageBox::NoIcon);
  QCOMPARE(box.buttons, 1);
  QVERIFY(box.parentless);
  QCOMPARE(box.modality, Qt::ApplicationModal);
  // Copied before the confirmation is shown, and exactly the cell.
  QCOMPARE(box.clipboard, expected);
  QCOMPARE(QGuiApplication::clipboard()->text(), expected);
  QVERIFY(window_->isVisible());  // the Esc closed only the box
  QCOMPARE(window_->rowCount(), 3);
}

void ListMenuTest::copyWithoutSelectionKeepsClipboard_data() {
  QTest::addColumn<int>("item");
  QTest::newRow("copy title and singer") << 0;
  QTest::newRow("copy address") << 1;
}

void ListMenuTest::copyWithoutSelectionKeepsClipboard() {
  QFETCH(int, item);

  gui_test::fill(*window_, kSongs);
  window_->songList()->selectRow(0);
  gui_test::UnwantedWindowWatch boxes(gui_test::activeModal);
  // The click below the rows drops the selection before the menu opens.
  const PopupSeen seen = rightClick(belowRows(), item);
  QCOMPARE(seen.enabled, (QList<bool>{true, true, true}));
  QCOMPARE(window_->selectedRow(), -1);
  QVERIFY(!boxes.seen());
  QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("what the user had copied"));
}

void ListMenuTest::clearAllEmptiesOnlyTheList() {
  gui_test::fill(*window_, kSongs);
  const QString summary = QStringLiteral("QQ:513602947获取完成!!空间音乐总数:3");
  window_->setStatusPartText(0, utf8ToGbk(summary.toStdString()));
  window_->numberBox()->setText(QStringLiteral("42"));

  gui_test::UnwantedWindowWatch boxes(gui_test::activeModal);
  rightClick(rowPoint(1), 2);
  QCOMPARE(window_->rowCount(), 0);
  QVERIFY(!boxes.seen());
  QCOMPARE(window_->songList()->model()->columnCount(), 2);
  QCOMPARE(window_->songList()->columnWidth(0), 140);
  QCOMPARE(window_->songList()->columnWidth(1), 330);
  QCOMPARE(window_->statusBar()->partText(0), summary);
  QCOMPARE(window_->numberBoxText(), "42");
  QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("what the user had copied"));
}

void ListMenuTest::keyboardOpensNoMenu_data() {
  QTest::addColumn<int>("key");
  QTest::addColumn<Qt::KeyboardModifiers>("modifiers");

  QTest::newRow("menu key") << int(Qt::Key_Menu) << Qt::KeyboardModifiers();
  QTest::newRow("Shift+F10") << int(Qt::Key_F10) << Qt::KeyboardModifiers(Qt::ShiftModifier);
}

void ListMenuTest::keyboardOpensNoMenu() {
  QFETCH(int, key);
  QFETCH(Qt::KeyboardModifiers, modifiers);

  gui_test::fill(*window_, kSongs);
  SongListView* list = window_->songList();
  gui_test::UnwantedWindowWatch popups(gui_test::activePopup);
  QTest::keyClick(list, Qt::Key(key), modifiers);
  // What the platform makes of those keys: a keyboard context-menu request.
  QContextMenuEvent request(QContextMenuEvent::Keyboard, list->viewport()->rect().center(),
                            list->viewport()->mapToGlobal(list->viewport()->rect().center()),
                            modifiers);
  QApplication::sendEvent(list->viewport(), &request);
  QCoreApplication::processEvents();
  QVERIFY(!popups.seen());
  QVERIFY(!QApplication::activePopupWidget());
}

QTEST_MAIN(ListMenuTest)
#include "list_menu_test.moc"
