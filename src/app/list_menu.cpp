#include "app/list_menu.h"

#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QMessageBox>

#include "app/qt_text.h"
#include "playlist/playlist_view.h"

ListMenu::ListMenu(PlaylistView& view, QWidget* parent)
    : QMenu(QStringLiteral("c"), parent),
      view_(view),
      copyTitleSinger_(addAction(QStringLiteral("复制歌曲名/歌手"))),
      copyAddress_(addAction(QStringLiteral("复制歌曲地址"))),
      clearAll_(addAction(QStringLiteral("全部清空"))) {}

void ListMenu::onListRightClick() {
  const bool hasRows = view_.rowCount() > 0;
  for (QAction* item : {copyTitleSinger_, copyAddress_, clearAll_}) item->setEnabled(hasRows);

  QAction* chosen = exec(QCursor::pos() + QPoint(3, 3));
  if (chosen == copyTitleSinger_) {
    onCopyTitleSinger();
  } else if (chosen == copyAddress_) {
    onCopyAddress();
  } else if (chosen == clearAll_) {
    onClearAll();
  }
}

void ListMenu::onCopyTitleSinger() { copyCell(0); }

void ListMenu::onCopyAddress() { copyCell(1); }

void ListMenu::onClearAll() { view_.deleteAllRows(); }

void ListMenu::copyCell(int column) {
  const int row = view_.selectedRow();
  if (row < 0) return;  // nothing chosen: keep whatever the user had copied

  const QString text = toQString(view_.cellText(row, column));
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->setText(text);
  // Reading back is the only way to learn whether the clipboard took it.
  if (clipboard->text() != text) return;

  QMessageBox confirmation(QMessageBox::NoIcon, QStringLiteral("信息："),
                           QStringLiteral("复制成功!!"), QMessageBox::Ok);
  confirmation.setTextFormat(Qt::PlainText);
  confirmation.setWindowModality(Qt::ApplicationModal);
  confirmation.exec();
}
