#include "editor_app.h"

#include "command_line.h"
#include "commands.h"
#include "control_ids.h"
#include "dialog_templates.h"
#include "editor.h"
#include "editor_window.h"
#include "preview_window.h"
#include "recovery.h"
#include "script_text_pane.h"
#include "window_places.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QSessionManager>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>

// Long enough for the window to show an opened library first.
constexpr int PROBLEMS_DELAY_MS = 100;

EditorApp::EditorApp() : g(&qt) {
    connect(&qt, &QtPlatform::redrawTick, this, [this] { previewWindowProc(g, PREVIEW_TICK); });
    problemsLater.setSingleShot(true);
    problemsLater.setInterval(PROBLEMS_DELAY_MS);
    connect(&problemsLater, &QTimer::timeout, this, [this] {
        refreshProblems(g);
        showCommandStates();
    });
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
        applyPendingTyping();
        qt.makePreviewCurrent();
        mainDialogProc(g, DIALOG_CLOSE, 0);
        commandDone();
    });
    connect(editor, &EditorWindow::filesDropped, this, &EditorApp::openFiles);
    addScriptTextPane();
    addProblemsDock();
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
    if (id != IDC_SCRIPT_TEXT) applyPendingTyping();
    qt.makePreviewCurrent();
    if (commandObserver) commandObserver(id);
    mainDialogProc(g, DIALOG_COMMAND, id);
    commandDone();
}

// A command of its own, refused while another runs, as mainDialogProc does.
void EditorApp::dragStage(int from, int to) {
    if (g.commandRunning) return;
    applyPendingTyping();
    qt.makePreviewCurrent();
    g.commandRunning = true;
    onStageDragged(g, from, to);
    g.commandRunning = false;
    commandDone();
}

void EditorApp::openFiles(const QStringList& paths) {
    if (paths.isEmpty()) return;
    applyPendingTyping();
    qt.makePreviewCurrent();
    std::vector<std::string> files;
    for (const QString& path : paths) files.push_back(QFile::encodeName(path).toStdString());
    std::vector<std::string> failed;
    openLibraryFiles(g, files, failed);
    commandDone();
    if (failed.empty()) return;
    QString text = QStringLiteral("Could not read:");
    for (const std::string& path : failed)
        text += QLatin1Char('\n') + QFile::decodeName(path.c_str());
    qt.showMessageBox("Open Error", text.toUtf8().constData());
}

// The dock sits under the lists; the window grows to hold it while shown.
void EditorApp::addProblemsDock() {
    EditorWindow* editor = qt.editorWindow();
    problems = new ProblemsDock(editor);
    problems->setFeatures(QDockWidget::DockWidgetClosable);
    problems->hide();
    editor->addDockWidget(Qt::BottomDockWidgetArea, problems);
    // A widget of the status bar, not its message, which a menu item's tip
    // replaces.
    problemCount = new QLabel(editor);
    problemCount->setObjectName(QStringLiteral("problemCount"));
    editor->statusBar()->addWidget(problemCount);
    // The least size holds the status bar too.
    editor->setMinimumSize(editor->minimumSizeHint());
    editor->resize(editor->size().expandedTo(editor->minimumSizeHint()));
    problems->placeChosen = [this](int file, size_t offset) {
        applyPendingTyping();
        qt.makePreviewCurrent();
        selectProblemPlace(g, file, offset);
        commandDone();
        showProblemInText(file, offset);
    };
    // Closed with its own button: the View menu follows, and the window
    // shrinks once the panel is gone from the layout (while it hides, the
    // window's size hint still holds it).
    connect(problems, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible || !g.problemsShown || qt.editorWindow()->isMinimized()) return;
        g.problemsShown = false;
        QTimer::singleShot(0, this, [this] {
            showCommandStates();
            fitTheDocks(false);
        });
    });
}

// Beside the panel, as wide as its text asks; typing is applied on its pause
// and a click into a stage's braces picks the stage, as a click on the list.
void EditorApp::addScriptTextPane() {
    EditorWindow* editor = qt.editorWindow();
    ScriptTextPane* pane = qt.scriptTextPane();
    pane->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    // The window widens by the pane's width about its centre.
    const QSize before = editor->size();
    const int paneWidth = pane->sizeHint().width();
    editor->setMinimumSize(editor->minimumSizeHint());
    editor->resize(
        QSize(before.width() + paneWidth, before.height()).expandedTo(editor->minimumSizeHint()));
    editor->resizeDocks({pane}, {paneWidth}, Qt::Horizontal);
    if (EDITOR_TEMPLATE.style & WINDOW_CENTERED) editor->centerOnScreen();
    connect(pane, &ScriptTextPane::typingPaused, this, [this] { runCommand(IDC_SCRIPT_TEXT); });
    connect(pane, &ScriptTextPane::stageClicked, this, [this](int stage) {
        applyPendingTyping();  // first: applying fills the stage list anew
        qt.listSetSelection(IDC_STAGE_LIST, stage);
        runCommand(IDC_STAGE_LIST);
    });
    // Closed with its own button: the View menu follows.
    connect(pane, &QDockWidget::visibilityChanged, this, [this, pane](bool visible) {
        if (visible || !g.scriptTextShown || !pane->isHidden()) return;
        g.scriptTextShown = false;
        QTimer::singleShot(0, this, [this] { showCommandStates(); });
    });
}

// Typing waiting for its pause is applied before anything else runs, so
// that the command sees, saves or undoes it.
void EditorApp::applyPendingTyping() {
    QTimer& pause = qt.scriptTextPane()->typingTimer();
    if (!pause.isActive() || g.commandRunning) return;
    pause.stop();
    runCommand(IDC_SCRIPT_TEXT);
}

// The pane's cursor on the note's line and column of its file.
void EditorApp::showProblemInText(int file, size_t offset) {
    if (file < 0 || (size_t)file >= g.library.files.size()) return;
    const std::string& text = g.library.files[(size_t)file].text;
    offset = std::min(offset, text.size());
    size_t lineStart = offset;
    while (lineStart > 0 && text[lineStart - 1] != '\n') lineStart--;
    const int line = 1 + (int)std::count(text.begin(), text.begin() + (long)lineStart, '\n');
    const int column = (int)(offset - lineStart);
    qt.scriptTextPane()->goToFileLine(line, column);
}

// A window grown downwards past the foot of its screen moves up to show it
// all, its top kept on the screen.
static void keepOnScreen(QWidget* window) {
    const QRect screen = window->screen()->availableGeometry();
    const int overflow = window->frameGeometry().bottom() - screen.bottom();
    if (overflow > 0) window->move(window->x(), std::max(screen.top(), window->y() - overflow));
}

// The window's least size holds the lists and the docks shown: a window
// smaller grows as a dock shows (its top kept on its screen), and shrinks
// back when it goes, unless the user sized it since.
void EditorApp::fitTheDocks(bool dockShown) {
    EditorWindow* window = qt.editorWindow();
    const QSize before = window->size();
    window->setMinimumSize(window->minimumSizeHint());
    if (dockShown) {
        window->resize(before.expandedTo(window->minimumSizeHint()));
        if (window->size() != before) grown = {before, window->size()};
    } else if (window->size() == grown.second) {
        window->resize(grown.first);
    }
    keepOnScreen(window);
}

// "fire.txt and 3 more — VeltraEd" with the unsaved mark; the status bar
// counts the problems; a file opened with problems shows the panel.
void EditorApp::showFilesAndProblems() {
    EditorWindow* editor = qt.editorWindow();
    const std::vector<SourceFile>& files = g.library.files;
    std::vector<bool> inUse;
    for (const SourceFile& file : files) inUse.push_back(file.open);
    std::vector<const SourceFile*> open;
    for (size_t i = 0; i < files.size(); i++)
        if (inUse[i]) open.push_back(&files[i]);
    QString title = QStringLiteral("VeltraEd[*]");
    if (!open.empty()) {
        const QString first = QFileInfo(QFile::decodeName(open[0]->path.c_str())).fileName();
        const QString named =
            open.size() == 1 ? first
                             : QStringLiteral("%1 and %2 more").arg(first).arg(open.size() - 1);
        title = named + QStringLiteral("[*] \u2014 VeltraEd");
        editor->setWindowFilePath(QFile::decodeName(open[0]->path.c_str()));
    }
    editor->setWindowTitle(title);
    problems->showProblems(g, inUse);
    const bool changed = problems->isVisible() != g.problemsShown;
    if (changed) problems->setVisible(g.problemsShown);
    problemCount->setText(open.empty() ? QString() : ProblemsDock::summary(g, inUse));
    if (changed) fitTheDocks(g.problemsShown);
}

void EditorApp::showScriptTextPane() {
    ScriptTextPane* pane = qt.scriptTextPane();
    if (pane->isHidden() != g.scriptTextShown) return;
    pane->setVisible(g.scriptTextShown);
    fitTheDocks(g.scriptTextShown);
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
    showFilesAndProblems();
    showScriptTextPane();
}

void EditorApp::commandDone() {
    if (problemsOutdated(g)) problemsLater.start();
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
