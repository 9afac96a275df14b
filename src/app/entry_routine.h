// The program's run once the application object exists: open the main
// window and run the event loop until it is closed.
#pragma once

#include "playlist/playlist_fetch.h"

class RegexObject;

// Fetches run through `regex`, with `settings` (the real service unless a
// test says otherwise). Returns the process exit code: 0 after the window was
// closed, -1 when it could not be created (the user has then been shown why).
// When it returns, no fetch worker is left running.
int runMainWindow(RegexObject& regex, const FetchSettings& settings = {});
