// The state of one editor: its library, its selection, its texture table, its
// preview and the window system it runs on. Every command and every helper of
// the editor is given the context it works on; nothing else holds state, so a
// program or a test starts from a fresh editor in one line.
#pragma once

#include "platform.h"
#include "preview.h"
#include "problems.h"
#include "script_library.h"
#include "textures.h"

// Which script and stage are current. Non-owning: the library owns the
// records, and whatever releases one clears a reference to it.
struct Selection {
    Script* currentScript = nullptr;
    Stage* currentStage = nullptr;

    void reset() { *this = Selection{}; }
};

// The file dialogs' last choices: each dialog offers its own again.
struct DialogPaths {
    char openPath[MAX_PATH_SIZE] = "";
    char savePath[MAX_PATH_SIZE] = "";
    char locatedPath[MAX_PATH_SIZE] = "";  // the Locate dialog's

    void reset() { *this = DialogPaths{}; }
};

// The problems of one source file of the library, found in its text as last
// read or saved (View > Problems).
struct FileProblems {
    uint32_t generation = 0;
    std::vector<Problem> problems;
};

struct EditorContext {
    Platform* platform = nullptr;  // the window system; installed at start-up, not owned
    ScriptLibrary library;
    Selection selection;
    TextureTable textures;
    PreviewState preview;
    DialogPaths paths;
    std::vector<FileProblems> fileProblems;  // of each of the library's files
    bool problemsShown = false;              // View > Problems
    bool scriptTextShown = true;             // View > Script Text
    // The step of the last Edit Text while no other command ran since: the
    // next Edit Text of the same script folds into it (0: none).
    uint64_t lastTextEditSerial = 0;
    int quitRequested = 0;
    // A command waiting in a modal dialog is not entered again by the
    // notifications the dialog itself causes.
    bool commandRunning = false;

    explicit EditorContext(Platform* windowSystem = nullptr) : platform(windowSystem) {
        textures.loading.platform = windowSystem;
    }
    EditorContext(const EditorContext&) = delete;
    EditorContext& operator=(const EditorContext&) = delete;

    // Back to a fresh editor on the same platform: no scripts, no history,
    // no selection, an empty texture table, the preview's clock and choices
    // as at start-up. The preview's context and the texture objects must be
    // current or gone.
    void reset();
};
