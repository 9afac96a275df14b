// ListMenu: the result list's right-click menu and its commands.
//
// Three items, "复制歌曲名/歌手", "复制歌曲地址" and "全部清空", all enabled or
// all greyed together: greyed while the list is empty. The menu opens only on
// a mouse right click in the list, never from the keyboard. A chosen item's
// command runs after the menu has closed.
//
// The commands reach the list through PlaylistView, on the GUI thread.
#pragma once

#include <QMenu>

class PlaylistView;

class ListMenu : public QMenu {
  Q_OBJECT

 public:
  ListMenu(PlaylistView& view, QWidget* parent);

  QAction* copyTitleSingerAction() const { return copyTitleSinger_; }
  QAction* copyAddressAction() const { return copyAddress_; }
  QAction* clearAllAction() const { return clearAll_; }

 public slots:
  // The list reported a right click: set the items' state from the row
  // count, pop up at the pointer and run the chosen command.
  void onListRightClick();

  // Put the selected row's title and singer (column 0), or its address
  // (column 1), on the clipboard and confirm with "复制成功!!". With no row
  // selected, or when the clipboard does not take the text, the clipboard is
  // left as it was and nothing is shown.
  void onCopyTitleSinger();
  void onCopyAddress();

  // Empty the list; the status bar and the number box keep their texts.
  void onClearAll();

 private:
  void copyCell(int column);

  PlaylistView& view_;
  QAction* copyTitleSinger_;
  QAction* copyAddress_;
  QAction* clearAll_;
};
