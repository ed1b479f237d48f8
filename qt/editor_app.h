// The program's frame on Qt: start-up, the main loop and teardown, in their
// fixed order. Needs a QApplication.
#pragma once

#include <QStringList>

class QtPlatform;

// Creates both windows, fills the controls, shows the windows, sets up the
// preview's rendering and the image library, and brings the editor forward.
void startEditor(QtPlatform& qtPlatform);
// Blocks in the event loop until quitRequested is set.
void runMainLoop(QtPlatform& qtPlatform);
// Shuts down the image library, then the preview (no frame is drawn after
// this), then frees every script.
void tearDownEditor();
// The whole program: start-up, the offer to restore a recovery copy, the
// files of the command line, the main loop while a recovery copy is kept,
// the windows' places saved, and teardown. Returns the exit code, 0.
int runEditor(QtPlatform& qtPlatform, const QStringList& files = {});
