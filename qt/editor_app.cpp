#include "editor_app.h"

#include "editor.h"
#include "preview.h"
#include "qt_platform.h"
#include "script_model.h"
#include "textures.h"

#include <QApplication>

void startEditor(QtPlatform& qtPlatform) {
    platform = &qtPlatform;
    // Only quitRequested ends the program, never a window closing.
    QApplication::setQuitOnLastWindowClosed(false);
    qtPlatform.createEditorWindow();
    qtPlatform.createPreviewWindow();
    initEditorControls();
    qtPlatform.showWindows();
    initPreviewRendering();
    initImageLibrary();
    qtPlatform.bringEditorToFront();
}

// The loop blocks while nothing happens: the redraw timer and the editor's
// commands wake it. Each dispatch that sets quitRequested ends it.
void runMainLoop() {
    if (!quitRequested) QApplication::exec();
}

void tearDownEditor() {
    shutdownImageLibrary();
    shutdownPreviewRendering();
    freeAllScripts();
}

int runEditor(QtPlatform& qtPlatform) {
    startEditor(qtPlatform);
    runMainLoop();
    tearDownEditor();
    return 0;
}
