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

// Watches, while it lives, for windows that `find` reports (popups or modal
// boxes), closes each one and remembers that it saw one. For checking that an
// action opens nothing: a box opened by exec() would otherwise block the test.
class UnwantedWindowWatch {
 public:
  explicit UnwantedWindowWatch(QWidget* (*find)()) {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this, find] {
      if (QWidget* w = find()) {
        seen_ = true;
        w->close();
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
