// File > Open and File > Save. There is no current document: each command
// asks for a path, and each dialog offers its own last choice again.
#include "changes.h"
#include "control_ids.h"
#include "editor.h"
#include "script_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

static const char* askScriptFileName(Platform& ui, char (&path)[MAX_PATH_SIZE], bool save) {
    FileDialogRequest request;
    request.filterName = "Veltra file";
    request.filterPattern = "*.txt";
    request.save = save;  // the platform confirms before replacing a file
    request.defaultExt = save ? ".txt" : nullptr;
    request.path = path;
    request.pathSize = sizeof path;
    return ui.askFileName(request) ? path : nullptr;
}

const char* askOpenFileName(EditorContext& g) {
    return askScriptFileName(*g.platform, g.paths.openPath, false);
}
const char* askSaveFileName(EditorContext& g) {
    return askScriptFileName(*g.platform, g.paths.savePath, true);
}

// Reading may release the current script, or the script that owns the
// current stage (it may not be the current script): those references become
// none, so nothing commits into or draws a released record.
bool openLibraryFile(EditorContext& g, const char* path) {
    Script* wasCurrent = g.selection.currentScript;
    bool opened = readLibraryFile(g, path);
    // Its scripts' textures are looked for beside it.
    if (opened) addScriptFolder(g.textures.folders, path);
    // As after Script Delete: the stage list showed the released script.
    if (wasCurrent && !g.selection.currentScript) g.platform->listReset(IDC_STAGE_LIST);
    fillScriptList(g);
    return opened;
}

int onFileOpen(EditorContext& g) {
    const char* path = askOpenFileName(g);
    if (!path) return 1;
    openLibraryFile(g, path);
    return 0;
}

int onFileSave(EditorContext& g) {
    const char* path = askSaveFileName(g);
    if (!path) return 1;
    Selection& s = g.selection;
    if (s.currentScript && s.currentStage) {
        readScriptProperties(g, s.currentScript);
        readStageProperties(g, s.currentStage);
    }
    if (writeScriptFile(g.library, path)) {
        markLibrarySaved(g.library.history);
    } else {
        // The writer leaves the old file whole; say why this one failed.
        const char* reason = strerror(errno);
        char text[MAX_PATH_SIZE + 256];
        snprintf(text, sizeof text, "Could not save \"%s\": %s", path, reason);
        g.platform->showMessageBox("Save Error", text);
    }
    return 0;
}
