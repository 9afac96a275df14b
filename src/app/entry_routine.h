// The program's run once the application object exists: open the main
// window and run the event loop until it is closed.
#pragma once

// Returns the process exit code: 0 after the window was closed, -1 when it
// could not be created (the user has then been shown why).
int runMainWindow();
