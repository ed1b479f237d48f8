// The program's frame on Qt: start-up, the main loop and teardown, in their
// fixed order. Needs a QApplication.
#pragma once

class QtPlatform;

// Creates both windows, fills the controls, shows the windows, sets up the
// preview's rendering and the image library, and brings the editor forward.
void startEditor(QtPlatform& qtPlatform);
// Blocks in the event loop until quitRequested is set.
void runMainLoop(QtPlatform& qtPlatform);
// Shuts down the image library, then the preview (no frame is drawn after
// this), then frees every script.
void tearDownEditor();
// All three; returns the program's exit code, 0.
int runEditor(QtPlatform& qtPlatform);
