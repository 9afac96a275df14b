#include "app/entry_routine.h"

#include <QApplication>
#include <QMessageBox>
#include <memory>
#include <new>

#include "app/main_window.h"

int runMainWindow() {
  std::unique_ptr<MainWindow> window;
  try {
    window = std::make_unique<MainWindow>();
    window->show();
  } catch (const std::bad_alloc&) {
    window.reset();
  }
  if (!window || !window->windowHandle()) {
    QMessageBox::critical(nullptr, QStringLiteral("Mernalt Lirvane"),
                          QStringLiteral("无法创建主窗口。"));
    return -1;
  }
  QApplication::exec();
  return 0;
}
