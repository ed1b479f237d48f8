#include "editor_app.h"

#include "command_line.h"
#include "editor.h"
#include "editor_settings.h"
#include "editor_window.h"
#include "history.h"
#include "preview.h"
#include "qt_platform.h"
#include "recovery.h"
#include "script_model.h"
#include "texture_folders.h"
#include "textures.h"
#include "unsaved_changes.h"
#include "window_places.h"

#include <QApplication>
#include <QSessionManager>

void startEditor(QtPlatform& qtPlatform) {
    platform = &qtPlatform;
    // Only quitRequested ends the program, never a window closing.
    QApplication::setQuitOnLastWindowClosed(false);
    qtPlatform.createEditorWindow();
    qtPlatform.createPreviewWindow();
    restoreWindowPlaces(qtPlatform);
    initEditorControls();
    installTextureFinder();
    loadEditorSettings();
    qtPlatform.showPreviewChoices();
    qtPlatform.showWindows();
    initPreviewRendering();
    initImageLibrary();
    qtPlatform.bringEditorToFront();
}

void runMainLoop(QtPlatform& qtPlatform) {
    qtPlatform.runUntilQuit();
}

void tearDownEditor() {
    shutdownImageLibrary();
    shutdownPreviewRendering();
    clearHistory();
    freeAllScripts();
    clearScriptFolders();
    clearTextureFolders();
    releaseRecordBlocks();
}

// The end of the desktop session asks as File, Exit does; Cancel asks the
// session to stay. Without a chance to ask, the recovery copy is kept.
static void askAtSessionEnd(QtPlatform& qtPlatform, QSessionManager& manager) {
    if (!libraryHasUnsavedChanges() || !manager.allowsInteraction()) return;
    const bool agreed = mayQuit(qtPlatform);
    manager.release();
    if (!agreed) manager.cancel();
}

int runEditor(QtPlatform& qtPlatform, const QStringList& files) {
    startEditor(qtPlatform);
    resetUnsavedChangesAnswer();
    RecoveryKeeper recovery;
    QObject::connect(&qtPlatform, &QtPlatform::libraryMayHaveChanged, &recovery,
                     &RecoveryKeeper::libraryMayHaveChanged);
    QObject::connect(
        qApp, &QGuiApplication::commitDataRequest, &recovery,
        [&qtPlatform](QSessionManager& manager) { askAtSessionEnd(qtPlatform, manager); });
    recovery.offerRestore(qtPlatform.editorWindow());
    openFiles(qtPlatform, files);
    qtPlatform.libraryCommandDone();
    runMainLoop(qtPlatform);
    recovery.finish(libraryHasUnsavedChanges() && !unsavedChangesDiscarded());
    saveWindowPlaces(qtPlatform);
    tearDownEditor();
    return 0;
}
