// File, Open and File, Save. There is no current document: each command asks
// for a path, and each dialog offers its own last choice again.
#include "changes.h"
#include "control_ids.h"
#include "editor.h"
#include "history.h"
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

const char* askOpenFileName() {
    return askScriptFileName(openPath, false);
}
const char* askSaveFileName() {
    return askScriptFileName(savePath, true);
}

// Reading may release the current script, or the script that owns the
// current stage (it may not be the current script): those references become
// none, so nothing commits into or draws a released record.
bool openLibraryFile(const char* path) {
    Script* wasCurrent = currentScript;
    bool opened = readLibraryFile(path);
    if (opened) addScriptFolder(path);  // its scripts' textures are looked for beside it
    // As after Script Delete: the stage list showed the released script.
    if (wasCurrent && !currentScript) platform->listReset(IDC_STAGE_LIST);
    fillScriptList();
    return opened;
}

int onFileOpen() {
    const char* path = askOpenFileName();
    if (!path) return 1;
    openLibraryFile(path);
    return 0;
}

int onFileSave() {
    const char* path = askSaveFileName();
    if (!path) return 1;
    if (currentScript && currentStage) {
        readScriptProperties(currentScript);
        readStageProperties(currentStage);
    }
    if (writeScriptFile(path)) {
        markLibrarySaved();
    } else {
        // The writer leaves the old file whole; say why this one failed.
        const char* reason = strerror(errno);
        char text[MAX_PATH_SIZE + 256];
        snprintf(text, sizeof text, "Could not save \"%s\": %s", path, reason);
        platform->showMessageBox("Save Error", text);
    }
    return 0;
}
