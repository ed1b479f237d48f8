// File > Open, File > Save and File > Save Library As... Open reads files into
// the library and remembers each as the source of its scripts; Save writes
// every file with changes back in place; Save Library As writes the whole
// library into one file, which then holds every script.
#include "changes.h"
#include "control_ids.h"
#include "editor.h"
#include "problems.h"
#include "script_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

static bool askScriptFileNames(Platform& ui, char (&path)[MAX_PATH_SIZE], bool save,
                               std::vector<std::string>* paths = nullptr,
                               const char* title = nullptr) {
    FileDialogRequest request;
    request.title = title;
    request.filterName = "Veltra file";
    request.filterPattern = "*.txt";
    request.save = save;  // the platform confirms before replacing a file
    request.confirmReplace = !title;
    request.defaultExt = save ? ".txt" : nullptr;
    request.path = path;
    request.pathSize = sizeof path;
    request.paths = paths;
    return ui.askFileName(request);
}

const char* askOpenFileName(EditorContext& g) {
    return askScriptFileNames(*g.platform, g.paths.openPath, false) ? g.paths.openPath : nullptr;
}
const char* askSaveFileName(EditorContext& g) {
    return askScriptFileNames(*g.platform, g.paths.savePath, true) ? g.paths.savePath : nullptr;
}

static void openFiles(EditorContext& g, const std::vector<std::string>& paths,
                      std::vector<std::string>& failed) {
    Script* wasCurrent = g.selection.currentScript;
    // Opening is no change: a library equal to its files stays so.
    const bool wasSaved = !libraryHasUnsavedChanges(g.library.history);
    const size_t failedBefore = failed.size();
    readLibraryFiles(g, paths, failed);
    if (wasSaved) markLibrarySaved(g.library.history);
    // Their scripts' textures are looked for beside them.
    for (const std::string& path : paths)
        if (std::find(failed.begin() + (long)failedBefore, failed.end(), path) == failed.end())
            addScriptFolder(g.textures.folders, path.c_str());
    // As after Script Delete: the stage list showed a released script.
    if (wasCurrent && !g.selection.currentScript) g.platform->listReset(IDC_STAGE_LIST);
    fillScriptList(g);
}

// Files dropped or named at start-up: a command of its own.
void openLibraryFiles(EditorContext& g, const std::vector<std::string>& paths,
                      std::vector<std::string>& failed) {
    openFiles(g, paths, failed);
    scriptTextAfterCommand(g);
}

bool openLibraryFile(EditorContext& g, const char* path) {
    std::vector<std::string> failed;
    openLibraryFiles(g, {path}, failed);
    return failed.empty();
}

bool restoreLibraryCopy(EditorContext& g, const char* copy, const std::string& origins) {
    int count = 0;
    for (const Script* script = g.library.scripts; script; script = script->next) count++;
    std::vector<std::string> failed;
    readLibraryFiles(g, {copy}, failed, false);
    if (!failed.empty()) return false;
    Script* first = g.library.scripts;
    for (int i = 0; i < count && first; i++) first = first->next;
    restoreOrigins(g.library, first, origins);
    // Their textures are found beside their files again.
    for (const SourceFile& file : g.library.files)
        addScriptFolder(g.textures.folders, file.path.c_str());
    markLibraryUnsaved(g.library.history);
    fillScriptList(g);
    return true;
}

// One message naming each file that could not be read.
static void tellUnreadFiles(EditorContext& g, const std::vector<std::string>& failed) {
    if (failed.empty()) return;
    std::string text = "Could not read:";
    for (const std::string& path : failed) text += "\n" + path;
    g.platform->showMessageBox("Open Error", text.c_str());
}

int onFileOpen(EditorContext& g) {
    std::vector<std::string> paths;
    if (!askScriptFileNames(*g.platform, g.paths.openPath, false, &paths)) return 1;
    if (paths.empty()) paths.push_back(g.paths.openPath);
    std::vector<std::string> failed;
    openFiles(g, paths, failed);
    tellUnreadFiles(g, failed);
    return 0;
}

// The values typed into the panel reach the records first.
static void commitPanel(EditorContext& g) {
    Selection& s = g.selection;
    if (s.currentScript && s.currentStage) {
        readScriptProperties(g, s.currentScript);
        readStageProperties(g, s.currentStage);
    }
}

// The words the save would drop, listed as `veltra check` lists them; true
// when there are none or the user chose Save Anyway.
static bool mayDropWords(EditorContext& g, const std::vector<Problem>& lost) {
    if (lost.empty()) return true;
    std::string text = "Saving drops words that VeltraEd cannot hold:\n";
    for (const Problem& problem : lost) text += "\n" + problemText(problem);
    const char* const buttons[] = {"Save Anyway", "Cancel"};
    return g.platform->askChoice("Save", text.c_str(), buttons, 2) == 0;
}

// True when the file was not changed by another program since it was read,
// or the user chose Overwrite.
static bool mayOverwrite(EditorContext& g, const SourceFile& file) {
    if (sourceUnchangedOnDisk(file)) return true;
    const std::string text = "\"" + file.path +
                             "\" was changed on disk since VeltraEd read it. Overwrite it with "
                             "the library's version?";
    const char* const buttons[] = {"Overwrite", "Cancel"};
    return g.platform->askChoice("Save", text.c_str(), buttons, 2) == 0;
}

static void tellSaveError(EditorContext& g, const std::string& path) {
    const std::string text = "Could not save \"" + path + "\": " + strerror(errno);
    g.platform->showMessageBox("Save Error", text.c_str());
}

// The plan of the save. The scripts added in the editor go to a file the
// user chooses, once; false when the user declined.
static bool planWithEveryScriptPlaced(EditorContext& g, std::vector<FileRewrite>& rewrites) {
    std::vector<Script*> homeless;
    rewrites = planSaveBack(g.library, &homeless);
    if (homeless.empty()) return true;
    // The scripts are appended to the file chosen, never replace it.
    if (!askScriptFileNames(*g.platform, g.paths.savePath, true, nullptr, "Save New Scripts To"))
        return false;
    const char* path = g.paths.savePath;
    for (Script* script : homeless) giveScriptToFile(g.library, script, path);
    rewrites = planSaveBack(g.library);
    return true;
}

// "FILE:LINE:COLUMN: script 'fire' is read from another file now; its text
// here is dropped", for each script text a save removes that way.
static void listMovedScripts(const SourceFile& file, const std::vector<TextRange>& moved,
                             std::vector<Problem>& lost) {
    for (const TextRange& range : moved) {
        int line = 1;
        size_t lineStart = 0;
        for (size_t i = 0; i < range.begin; i++) {
            if (file.text[i] != '\n') continue;
            line++;
            lineStart = i + 1;
        }
        const size_t nameEnd = file.text.find_first_of(TOKEN_SEPARATORS, range.begin);
        const std::string name = file.text.substr(range.begin, nameEnd - range.begin);
        lost.push_back({file.path, line, (int)(range.begin - lineStart) + 1,
                        PROBLEM_REPLACED_SCRIPT,
                        "script '" + name +
                            "' is read from another file now; its text here is "
                            "dropped",
                        true, range.begin});
    }
}

static bool anyFileOpen(const ScriptLibrary& library) {
    for (const SourceFile& file : library.files)
        if (file.open) return true;
    return false;
}

int onFileSave(EditorContext& g) {
    if (!anyFileOpen(g.library)) return onFileSaveLibraryAs(g);
    commitPanel(g);
    std::vector<FileRewrite> rewrites;
    if (!planWithEveryScriptPlaced(g, rewrites)) return 1;
    std::vector<Problem> lost;
    for (const FileRewrite& rewrite : rewrites) {
        const SourceFile& file = g.library.files[(size_t)rewrite.file];
        findWordsLost(file.path, file.text.data(), file.text.size(), rewrite.laidOut, lost);
        listMovedScripts(file, rewrite.moved, lost);
    }
    if (!mayDropWords(g, lost)) return 1;
    for (const FileRewrite& rewrite : rewrites)
        if (!mayOverwrite(g, g.library.files[(size_t)rewrite.file])) return 1;
    bool allWritten = true;
    for (const FileRewrite& rewrite : rewrites) {
        if (writeFileRewrite(g.library, rewrite)) continue;
        allWritten = false;
        tellSaveError(g, g.library.files[(size_t)rewrite.file].path);
    }
    if (allWritten) markLibrarySaved(g.library.history);
    return 0;
}

// Replacing an opened file with the library drops what the layout cannot
// hold of all of it.
static bool mayReplaceSource(EditorContext& g, const char* path) {
    const int found = findSourceFile(g.library, path);
    if (found < 0) return true;
    const SourceFile& file = g.library.files[(size_t)found];
    std::vector<Problem> lost;
    findWordsLost(file.path, file.text.data(), file.text.size(), {{0, file.text.size()}}, lost);
    return mayDropWords(g, lost);
}

int onFileSaveLibraryAs(EditorContext& g) {
    const char* path = askSaveFileName(g);
    if (!path) return 1;
    commitPanel(g);
    if (!mayReplaceSource(g, path)) return 1;
    if (saveLibraryAs(g.library, path)) {
        markLibrarySaved(g.library.history);
    } else {
        // The writer leaves the old file whole; say why this one failed.
        tellSaveError(g, path);
    }
    return 0;
}
