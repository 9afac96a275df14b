// Helpers for driving the window's popup menu and message boxes from tests.
//
// QMenu::exec and QMessageBox::exec block in a nested event loop; a test
// reaches them through a timer that polls from inside that loop.
#pragma once

#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <functional>

#include "app/main_window.h"
#include "common/gbk.h"
#include "playlist/playlist_view.h"

namespace gui_test {

// Polls the event loop until `find` returns a widget, then runs `act` on it
// once. Gives up after a few seconds so that a missing widget fails the test
// instead of leaving a timer behind.
inline void whenShown(std::function<QWidget*()> find, std::function<void(QWidget*)> act) {
  auto* timer = new QTimer(qApp);
  auto tries = std::make_shared<int>(0);
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, tries, find, act] {
    QWidget* found = find();
    if (!found && ++*tries < 1000) return;
    timer->stop();
    timer->deleteLater();
    if (found) act(found);
  });
  timer->start();
}

inline QWidget* activePopup() { return QApplication::activePopupWidget(); }
inline QWidget* activeModal() { return QApplication::activeModalWidget(); }

// Watches for any popup or modal box while it lives, closes each one it sees
// and remembers that it saw it. For checking that something opens nothing.
class UnwantedWindowWatch {
 public:
  UnwantedWindowWatch() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      for (QWidget* w : {activePopup(), activeModal()}) {
        if (w) {
          seen_ = true;
          w->close();
        }
      }
    });
    timer_.start();
  }
  bool seen() const { return seen_; }

 private:
  QTimer timer_;
  bool seen_ = false;
};

struct Row {
  QString title;
  QString address;
};

// Fills the list through the same operations the fetch worker uses.
inline void fill(PlaylistView& view, const QList<Row>& rows) {
  for (const Row& row : rows) {
    const int index = view.appendRow();
    view.setCellText(index, 0, utf8ToGbk(row.title.toStdString()));
    view.setCellText(index, 1, utf8ToGbk(row.address.toStdString()));
  }
}

}  // namespace gui_test
