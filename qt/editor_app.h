// The program on Qt: one editor context on the Qt platform, the main loop,
// and commandDone(), which every command path goes through (menus, buttons,
// lists, drops, the command line, the quit prompt, the session's end).
#pragma once

#include "editor_context.h"
#include "editor_settings.h"
#include "problems_dock.h"
#include "qt_platform.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>

class QEventLoop;
class QLabel;
class QSessionManager;

class EditorApp : public QObject {
    Q_OBJECT
  public:
    EditorApp();
    ~EditorApp() override;

    // Creates both windows, fills the controls, loads the settings, shows
    // the windows, sets up the preview's rendering and the image library,
    // and brings the editor forward.
    void start();
    // Blocks in the event loop until a command or the close box asks to quit
    // and, with unsaved changes, the user agrees.
    void runUntilQuit();
    // Shuts down the image library, then the preview (no frame is drawn after
    // this), then empties the library.
    void tearDown();
    // The whole program: start-up, the offer to restore a recovery copy, the
    // files of the command line, the main loop while a recovery copy is
    // kept, the windows' places saved, and teardown. Returns the exit code, 0.
    int run(const QStringList& files = {});

    // Runs one command of the editor window, then commandDone().
    void runCommand(int id);
    // A stage dragged in the stage list onto the position to, then commandDone().
    void dragStage(int from, int to);
    // Reads each file in order as File > Open does; the files that cannot be
    // read are named together in one message box.
    void openFiles(const QStringList& paths);
    // After anything that may have changed the library or the choices: the
    // menus' names, greying and check marks, the title's unsaved mark, the
    // settings and the recovery copy follow; a requested quit is asked.
    void commandDone();
    // True when the program may quit: nothing is unsaved, or the user chose
    // Discard, or chose Save and the library was written.
    bool mayQuit();
    bool changesDiscarded() const { return discarded; }

    EditorContext& context() { return g; }
    QtPlatform& platform() { return qt; }
    ProblemsDock* problemsDock() const { return problems; }

    // Each command before it runs, for tests and diagnostics.
    std::function<void(int id)> commandObserver;

  signals:
    void libraryMayHaveChanged();

  private:
    void showCommandStates();
    void showFilesAndProblems();
    void fitTheDocks(bool dockShown);
    void showScriptTextPane();
    void applyPendingTyping();
    void addProblemsDock();
    void addScriptTextPane();
    void showProblemInText(int file, size_t offset);
    void endLoopIfQuitRequested();
    void askAtSessionEnd(QSessionManager& manager);

    QtPlatform qt;
    EditorContext g;
    EditorSettings settings;
    QEventLoop* mainLoop = nullptr;
    bool discarded = false;
    bool askingToQuit = false;
    // The problems of files read or saved are found a moment after the window
    // shows the library, not before.
    QTimer problemsLater;
    ProblemsDock* problems = nullptr;  // owned by the editor window
    std::pair<QSize, QSize> grown;     // the editor's size before and after a dock came
    QLabel* problemCount = nullptr;    // in its status bar
};
