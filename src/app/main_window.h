// MainWindow: the program's one window, and PlaylistView for the fetch worker.
//
// A fixed-size window (489 x 314 outside) centred on the primary screen, with
// the title label, the number label and box, the fetch button, the result
// list and the status bar at fixed client positions. Esc closes it from any
// control; Enter and F1 mean nothing at window level.
//
// PlaylistView operations may be called from any thread (see
// GuiThreadCaller). From a worker, writes are queued without waiting and
// applied in order; appendRow then answers the index the row will have (see
// RowPrediction); reads wait for everything queued before them. Closing the window throws the closing switch
// (closeControls()) before emitting closing(), so that whoever owns a fetch
// worker can stop and join it from a slot on closing() without deadlocking.
#pragma once

#include <QWidget>

#include "app/gui_thread_caller.h"
#include "app/row_prediction.h"
#include "playlist/playlist_view.h"

class QIcon;
class QLabel;
class QPushButton;
class ListMenu;
class NumberBox;
class SongListModel;
class SongListView;
class StatusBar;

class MainWindow : public QWidget, public PlaylistView {
  Q_OBJECT

 public:
  static constexpr int kOuterWidth = 489;
  static constexpr int kOuterHeight = 314;

  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  // The program's icon at every size it is drawn in.
  static QIcon applicationIcon();

  // The closing switch: wakes every worker waiting on a window operation;
  // from then on operations from other threads return at once without
  // touching the window. Runs on the GUI thread; closeEvent calls it.
  void closeControls();

  // PlaylistView
  Text numberBoxText() override;
  void setStatusPartText(int part, const Text& text) override;
  int rowCount() override;
  int selectedRow() override;
  Text cellText(int row, int column) override;
  int appendRow() override;
  void setCellText(int row, int column, const Text& text) override;
  void deleteAllRows() override;

  QLabel* titleLabel() const { return titleLabel_; }
  QLabel* numberLabel() const { return numberLabel_; }
  StatusBar* statusBar() const { return statusBar_; }
  QPushButton* fetchButton() const { return fetchButton_; }
  NumberBox* numberBox() const { return numberBox_; }
  SongListView* songList() const { return songList_; }
  ListMenu* listMenu() const { return listMenu_; }

 signals:
  // The fetch button (按钮1) was clicked.
  void fetchRequested();
  // The window is closing; the closing switch has already been thrown.
  void closing();

 public slots:
  // The number box gained the focus: empty it for a new number.
  void onNumberBoxFocus();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void createControls();
  void centreOnPrimaryScreen();
  void fitFrameOnce();

  GuiThreadCaller caller_;
  RowPrediction rows_;
  QLabel* titleLabel_ = nullptr;
  QLabel* numberLabel_ = nullptr;
  StatusBar* statusBar_ = nullptr;
  QPushButton* fetchButton_ = nullptr;
  NumberBox* numberBox_ = nullptr;
  SongListModel* songModel_ = nullptr;
  SongListView* songList_ = nullptr;
  ListMenu* listMenu_ = nullptr;
  bool frameFitted_ = false;
};
