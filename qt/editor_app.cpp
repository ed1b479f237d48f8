#include "editor_app.h"

#include "command_line.h"
#include "commands.h"
#include "control_ids.h"
#include "editor.h"
#include "editor_window.h"
#include "preview_window.h"
#include "recovery.h"
#include "window_places.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QMessageBox>
#include <QSessionManager>

EditorApp::EditorApp() : g(&qt) {
    connect(&qt, &QtPlatform::redrawTick, this, [this] { previewWindowProc(g, PREVIEW_TICK); });
}

EditorApp::~EditorApp() = default;

void EditorApp::start() {
    // Only quitRequested ends the program, never a window closing.
    QApplication::setQuitOnLastWindowClosed(false);
    qt.createEditorWindow();
    qt.createPreviewWindow();
    EditorWindow* editor = qt.editorWindow();
    connect(editor, &EditorWindow::command, this, &EditorApp::runCommand);
    connect(editor, &EditorWindow::closeRequested, this, [this] {
        qt.makePreviewCurrent();
        mainDialogProc(g, DIALOG_CLOSE, 0);
        commandDone();
    });
    connect(editor, &EditorWindow::filesDropped, this, &EditorApp::openFiles);
    connect(editor, &EditorWindow::stageDragged, this, &EditorApp::dragStage);
    qt.previewWindow()->showView(&g.preview.view);
    restoreWindowPlaces(qt);
    initEditorControls(qt);
    installTextureFinder(g);
    settings.load(g);
    showCommandStates();
    qt.showWindows();
    startPreview(g);
    qt.bringEditorToFront();
}

// The loop blocks while nothing happens: the redraw timer and the editor's
// commands wake it. It is a loop of its own rather than the application's,
// so that ending it leaves later event loops (modal dialogs) unaffected.
void EditorApp::runUntilQuit() {
    if (g.quitRequested) return;
    QEventLoop loop;
    mainLoop = &loop;
    loop.exec();
    mainLoop = nullptr;
}

void EditorApp::tearDown() {
    qt.makePreviewCurrent();
    if (g.preview.previewContextReady) forgetAllTextures(g.textures);
    stopPreview(g);
    g.reset();
    releaseRecordBlocks();
}

// Commands run with the preview context current: they may upload textures.
void EditorApp::runCommand(int id) {
    qt.makePreviewCurrent();
    if (commandObserver) commandObserver(id);
    mainDialogProc(g, DIALOG_COMMAND, id);
    commandDone();
}

// A command of its own, refused while another runs, as mainDialogProc does.
void EditorApp::dragStage(int from, int to) {
    if (g.commandRunning) return;
    qt.makePreviewCurrent();
    g.commandRunning = true;
    onStageDragged(g, from, to);
    g.commandRunning = false;
    commandDone();
}

void EditorApp::openFiles(const QStringList& paths) {
    if (paths.isEmpty()) return;
    qt.makePreviewCurrent();
    QStringList failed;
    for (const QString& path : paths)
        if (!openLibraryFile(g, QFile::encodeName(path).constData())) failed << path;
    commandDone();
    if (failed.isEmpty()) return;
    const QString text = QStringLiteral("Could not read:\n") + failed.join(QLatin1Char('\n'));
    qt.showMessageBox("Open Error", text.toUtf8().constData());
}

// The menu text with its mnemonic marked and the detail after it: "&Undo Submit".
static QString menuText(const char* caption, char mnemonic, const char* detail) {
    QString text = withMnemonic(caption, mnemonic);
    if (detail) text += QLatin1Char(' ') + QString::fromUtf8(detail);
    return text;
}

void EditorApp::showCommandStates() {
    EditorWindow* editor = qt.editorWindow();
    if (!editor) return;
    for (int i = 0; i < COMMAND_COUNT; i++) {
        const Command& command = COMMANDS[i];
        QAction* action = editor->menuAction(command.id);
        if (!action) continue;
        action->setEnabled(commandEnabled(command, g));
        if (command.checkedWhen) action->setChecked(command.checkedWhen(g));
        if (command.detailWhen)
            action->setText(menuText(command.caption, command.mnemonic, command.detailWhen(g)));
    }
    editor->setWindowModified(libraryHasUnsavedChanges(g.library.history));
}

void EditorApp::commandDone() {
    showCommandStates();
    settings.save(g);
    emit libraryMayHaveChanged();
    endLoopIfQuitRequested();
}

// Asked once: a notification that arrives while the prompt is open does not
// open a second one.
void EditorApp::endLoopIfQuitRequested() {
    if (!g.quitRequested || askingToQuit) return;
    askingToQuit = true;
    const bool agreed = mayQuit();
    askingToQuit = false;
    if (!agreed) {
        g.quitRequested = 0;
        return;
    }
    if (mainLoop) mainLoop->quit();
}

bool EditorApp::mayQuit() {
    if (!libraryHasUnsavedChanges(g.library.history)) return true;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("VeltraEd"),
                    QStringLiteral("Save changes to the library before closing?"),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                    qt.editorWindow());
    box.setDefaultButton(QMessageBox::Save);
    const int answer = box.exec();
    qt.makePreviewCurrent();
    if (answer == QMessageBox::Discard) {
        discarded = true;
        return true;
    }
    if (answer != QMessageBox::Save) return false;
    // Through the command path, without asking about quitting again.
    const int quitting = g.quitRequested;
    g.quitRequested = 0;
    runCommand(IDM_FILE_SAVE);
    g.quitRequested = quitting;
    return !libraryHasUnsavedChanges(g.library.history);
}

// The end of the desktop session asks as File > Exit does; Cancel asks the
// session to stay. Without a chance to ask, the recovery copy is kept.
void EditorApp::askAtSessionEnd(QSessionManager& manager) {
    if (!libraryHasUnsavedChanges(g.library.history) || !manager.allowsInteraction()) return;
    const bool agreed = mayQuit();
    manager.release();
    if (!agreed) manager.cancel();
}

int EditorApp::run(const QStringList& files) {
    start();
    discarded = false;
    RecoveryKeeper recovery(g);
    connect(this, &EditorApp::libraryMayHaveChanged, &recovery,
            &RecoveryKeeper::libraryMayHaveChanged);
    connect(qApp, &QGuiApplication::commitDataRequest, &recovery,
            [this](QSessionManager& manager) { askAtSessionEnd(manager); });
    recovery.offerRestore(qt.editorWindow());
    openFiles(files);
    commandDone();
    runUntilQuit();
    recovery.finish(libraryHasUnsavedChanges(g.library.history) && !discarded);
    saveWindowPlaces(qt);
    tearDown();
    return 0;
}
