#include "app/fetch_wiring.h"

#include "app/main_window.h"
#include "playlist/playlist_fetch.h"

void onFetchClicked(FetchController& controller) {
  // start() refuses while a fetch runs; the running fetch goes on unaffected.
  controller.start();
}

void connectFetching(MainWindow& window, FetchController& controller) {
  QObject::connect(&window, &MainWindow::fetchRequested, &window,
                   [&controller] { onFetchClicked(controller); });
  QObject::connect(&window, &MainWindow::closing, &window, [&controller] { controller.stop(); });
}
