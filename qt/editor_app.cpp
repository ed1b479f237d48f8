#include "editor_app.h"

#include "editor.h"
#include "editor_settings.h"
#include "preview.h"
#include "qt_platform.h"
#include "script_model.h"
#include "texture_folders.h"
#include "textures.h"

#include <QApplication>

void startEditor(QtPlatform& qtPlatform) {
    platform = &qtPlatform;
    // Only quitRequested ends the program, never a window closing.
    QApplication::setQuitOnLastWindowClosed(false);
    qtPlatform.createEditorWindow();
    qtPlatform.createPreviewWindow();
    initEditorControls();
    installTextureFinder();
    loadEditorSettings();
    qtPlatform.showPreviewChoices();
    qtPlatform.showWindows();
    initPreviewRendering();
    initImageLibrary();
    qtPlatform.bringEditorToFront();
}

void runMainLoop(QtPlatform& qtPlatform) { qtPlatform.runUntilQuit(); }

void tearDownEditor() {
    shutdownImageLibrary();
    shutdownPreviewRendering();
    freeAllScripts();
    clearScriptFolders();
    clearTextureFolders();
    releaseRecordBlocks();
}

int runEditor(QtPlatform& qtPlatform) {
    startEditor(qtPlatform);
    runMainLoop(qtPlatform);
    tearDownEditor();
    return 0;
}
