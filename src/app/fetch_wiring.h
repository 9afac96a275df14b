// Ties the fetch button to a FetchController.
#pragma once

class FetchController;
class MainWindow;

// A click on the fetch button runs onFetchClicked, which starts a fetch (a
// click while one runs is ignored); closing the window stops the fetch and
// waits for its worker, after the window has thrown its closing switch.
// Both objects must outlive the window's event loop.
void connectFetching(MainWindow& window, FetchController& controller);

// The fetch button's handler.
void onFetchClicked(FetchController& controller);
