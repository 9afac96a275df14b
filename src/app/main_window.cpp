#include "app/main_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "app/list_menu.h"
#include "app/number_box.h"
#include "app/qt_text.h"
#include "app/song_list_model.h"
#include "app/song_list_view.h"
#include "app/status_bar.h"

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent,
              Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                  Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      caller_(this) {
  caller_.setSliceHooks([this] { songModel_->holdInsertions(); },
                        [this] { songModel_->releaseInsertions(); });
  setWindowTitle(QStringLiteral("Mernalt Lirvane"));
  setWindowIcon(applicationIcon());
  // Until the window manager tells its frame size the client area takes the
  // whole outer size; fitFrameOnce() corrects it once the frame is known.
  setFixedSize(kOuterWidth, kOuterHeight);
  createControls();
  centreOnPrimaryScreen();
}

MainWindow::~MainWindow() {
  // A window destroyed without a close event must still release its callers.
  closeControls();
}

QIcon MainWindow::applicationIcon() {
  QIcon icon;
  for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/icons/mernalt-lirvane-%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

void MainWindow::createControls() {
  // 透明标签2
  titleLabel_ = new QLabel(QStringLiteral("Lirvane"), this);
  titleLabel_->setObjectName(QStringLiteral("titleLabel"));
  titleLabel_->setGeometry(256, 0, 216, 32);
  titleLabel_->setTextFormat(Qt::PlainText);
  titleLabel_->setAlignment(Qt::AlignCenter);
  QPalette red = titleLabel_->palette();
  red.setColor(QPalette::WindowText, QColor(255, 0, 0));
  titleLabel_->setPalette(red);

  // 透明标签1
  numberLabel_ = new QLabel(QStringLiteral("QQ号码："), this);
  numberLabel_->setObjectName(QStringLiteral("numberLabel"));
  numberLabel_->setGeometry(11, 12, 48, 16);
  numberLabel_->setTextFormat(Qt::PlainText);
  numberLabel_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  QPalette black = numberLabel_->palette();
  black.setColor(QPalette::WindowText, QColor(0, 0, 0));
  numberLabel_->setPalette(black);

  // 状态条1: placed by resizeEvent, docked to the bottom.
  statusBar_ = new StatusBar(this);
  statusBar_->setObjectName(QStringLiteral("statusBar"));

  // 按钮1: never a default button, so Enter does not press it.
  fetchButton_ = new QPushButton(QStringLiteral("音乐获取"), this);
  fetchButton_->setObjectName(QStringLiteral("fetchButton"));
  fetchButton_->setGeometry(176, 8, 72, 20);
  fetchButton_->setAutoDefault(false);
  fetchButton_->setDefault(false);
  connect(fetchButton_, &QPushButton::clicked, this, &MainWindow::fetchRequested);

  // 编辑框1
  numberBox_ = new NumberBox(this);
  numberBox_->setObjectName(QStringLiteral("numberBox"));
  numberBox_->setGeometry(67, 9, 104, 20);
  QPalette box = numberBox_->palette();
  box.setColor(QPalette::Base, QColor(255, 255, 255));
  box.setColor(QPalette::Text, QColor(0, 0, 0));
  numberBox_->setPalette(box);
  numberBox_->setText(QStringLiteral("513602947"));
  numberBox_->setCursorPosition(0);
  // The label names the box for screen readers.
  numberLabel_->setBuddy(numberBox_);
  connect(numberBox_, &NumberBox::focusGained, this, &MainWindow::onNumberBoxFocus);

  // 超级列表框1
  songModel_ = new SongListModel(this);
  songList_ = new SongListView(this);
  songList_->setObjectName(QStringLiteral("songList"));
  songList_->setModel(songModel_);
  songList_->setGeometry(5, 39, 475, 225);
  songList_->horizontalHeader()->resizeSection(0, 140);
  songList_->horizontalHeader()->resizeSection(1, 330);

  listMenu_ = new ListMenu(*this, this);
  connect(songList_, &SongListView::rightClicked, listMenu_, &ListMenu::onListRightClick);

  setTabOrder(songList_, numberBox_);
  setTabOrder(numberBox_, fetchButton_);
  setTabOrder(fetchButton_, songList_);
  songList_->setFocus();
}

void MainWindow::centreOnPrimaryScreen() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect full = screen->geometry();
  move(full.x() + (full.width() - kOuterWidth) / 2, full.y() + (full.height() - kOuterHeight) / 2);
}

void MainWindow::fitFrameOnce() {
  if (frameFitted_ || !isVisible()) return;
  const QSize frame = frameGeometry().size() - geometry().size();
  if (frame.isEmpty()) return;  // no frame reported (yet)
  frameFitted_ = true;
  setFixedSize(kOuterWidth - frame.width(), kOuterHeight - frame.height());
  centreOnPrimaryScreen();
}

void MainWindow::closeControls() { caller_.close(); }

void MainWindow::onNumberBoxFocus() { numberBox_->clear(); }

void MainWindow::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
  if (event->key() == Qt::Key_Escape && mods == Qt::NoModifier) {
    close();
    return;
  }
  // Enter, F1 and every other key have no meaning for the window.
  event->ignore();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  closeControls();
  emit closing();
  event->accept();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const int barHeight = statusBar_->sizeHint().height();
  statusBar_->setGeometry(0, height() - barHeight, width(), barHeight);
}

bool MainWindow::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::Show:
      // The frame is known only once the window manager has framed the window.
      QTimer::singleShot(0, this, &MainWindow::fitFrameOnce);
      break;
    case QEvent::WindowActivate:
      fitFrameOnce();
      break;
    default:
      break;
  }
  return QWidget::event(event);
}

Text MainWindow::numberBoxText() {
  return caller_.call<Text>([this] { return toText(numberBox_->text()); }, Text());
}

void MainWindow::setStatusPartText(int part, const Text& text) {
  caller_.post([this, part, text] { statusBar_->setPartText(part, toQString(text)); });
}

int MainWindow::rowCount() {
  if (caller_.onGuiThread()) return songModel_->size();
  const int rows = caller_.call<int>([this] { return songModel_->size(); }, 0);
  rows_.knowCount(rows);
  return rows;
}

int MainWindow::selectedRow() {
  return caller_.call<int>([this] { return songList_->selectedRow(); }, -1);
}

Text MainWindow::cellText(int row, int column) {
  return caller_.call<Text>(
      [this, row, column] { return songModel_->cellText(rows_.actual(row), column); }, Text());
}

int MainWindow::appendRow() {
  if (caller_.onGuiThread()) return songModel_->appendRow();
  const std::optional<int> predicted = rows_.predictAppend();
  if (!predicted) {
    // The count is not known yet: learn it from this one append.
    const int row = caller_.call<int>([this] { return songModel_->appendRow(); }, -1);
    if (row >= 0) rows_.knowCount(row + 1);
    return row;
  }
  const bool posted = caller_.post([this, row = *predicted] {
    rows_.applied(row, songModel_->appendRow());
  });
  return posted ? *predicted : -1;
}

void MainWindow::setCellText(int row, int column, const Text& text) {
  caller_.post([this, row, column, text] {
    songModel_->setCellText(rows_.actual(row), column, text);
  });
}

void MainWindow::deleteAllRows() {
  if (caller_.onGuiThread()) {
    songModel_->deleteAllRows();
    return;
  }
  rows_.knowCount(0);
  caller_.post([this] {
    songModel_->deleteAllRows();
    rows_.clear();
  });
}
