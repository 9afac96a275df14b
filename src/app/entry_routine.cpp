#include "app/entry_routine.h"

#include <QApplication>
#include <QMessageBox>
#include <memory>
#include <new>

#include "app/fetch_wiring.h"
#include "app/main_window.h"

int runMainWindow(RegexObject& regex, const FetchSettings& settings) {
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
  // Declared after the window so that it is destroyed (and its worker joined)
  // while the window still exists.
  FetchController controller(*window, regex, settings);
  connectFetching(*window, controller);
  QApplication::exec();
  return 0;
}
