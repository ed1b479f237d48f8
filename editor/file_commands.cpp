// File, Open and File, Save. There is no current document: each command asks
// for a path, and each dialog offers its own last choice again.
#include "control_ids.h"
#include "editor.h"
#include "platform.h"
#include "script_file.h"
#include "texture_folders.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

static char openPath[MAX_PATH_SIZE];
static char savePath[MAX_PATH_SIZE];

static const char* askScriptFileName(char (&path)[MAX_PATH_SIZE], bool save) {
    FileDialogRequest request;
    request.filterName = "Veltra file";
    request.filterPattern = "*.txt";
    request.save = save;  // the platform confirms before replacing a file
    request.defaultExt = save ? ".txt" : nullptr;
    request.path = path;
    request.pathSize = sizeof path;
    return platform->askFileName(request) ? path : nullptr;
}

const char* askOpenFileName() { return askScriptFileName(openPath, false); }
const char* askSaveFileName() { return askScriptFileName(savePath, true); }

// While a file is read, the reader may release a script that is current, or
// the script that owns the current stage (it may not be the current script).
// Those references become none, so nothing commits into or draws a released
// record.
static bool currentScriptReleased;

static void dropReferencesInto(Script* released) {
    if (released == currentScript) {
        currentScript = nullptr;
        currentScriptReleased = true;
    }
    for (Stage* stage = released->stages; stage; stage = stage->next)
        if (stage == currentStage) currentStage = nullptr;
}

int onFileOpen() {
    const char* path = askOpenFileName();
    if (!path) return 1;
    currentScriptReleased = false;
    scriptReleasedHook = dropReferencesInto;
    readScriptFile(path);
    scriptReleasedHook = nullptr;
    addScriptFolder(path);  // its scripts' textures are looked for beside it
    // As after Script Delete: the stage list showed the released script.
    if (currentScriptReleased) platform->listReset(IDC_STAGE_LIST);
    fillScriptList();
    return 0;
}

int onFileSave() {
    const char* path = askSaveFileName();
    if (!path) return 1;
    if (currentScript && currentStage) {
        readScriptProperties(currentScript);
        readStageProperties(currentStage);
    }
    if (!writeScriptFile(path)) {
        // The writer leaves the old file whole; say why this one failed.
        const char* reason = strerror(errno);
        char text[MAX_PATH_SIZE + 256];
        snprintf(text, sizeof text, "Could not save \"%s\": %s", path, reason);
        platform->showMessageBox("Save Error", text);
    }
    return 0;
}
