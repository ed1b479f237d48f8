#include "editor_app.h"

#include "editor.h"
#include "history.h"
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

void runMainLoop(QtPlatform& qtPlatform) { qtPlatform.runUntilQuit(); }

void tearDownEditor() {
    shutdownImageLibrary();
    shutdownPreviewRendering();
    clearHistory();
    freeAllScripts();
}

int runEditor(QtPlatform& qtPlatform) {
    startEditor(qtPlatform);
    runMainLoop(qtPlatform);
    tearDownEditor();
    return 0;
}
