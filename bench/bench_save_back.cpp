// File > Save on a library of 50,000 scripts read from 200 files, one script
// changed: the time of the whole Save (finding the changed file, its new
// text, the checks before writing, the write) against writing that file's
// bytes alone with the same safe replacement, in turns. Save must write that
// one file only.
#include "bench_timing.h"
#include "changes.h"
#include "control_ids.h"
#include "control_store.h"
#include "editor.h"
#include "script_file.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

constexpr int FILES = 200;
constexpr int SCRIPTS_PER_FILE = 250;
constexpr int RUNS = 21;

static std::string fileText(int file) {
    // Names are unique across the files: a name read again from a later file
    // would take the script out of its earlier one, which Save then rewrites.
    std::string text;
    for (int i = 0; i < SCRIPTS_PER_FILE; i++) {
        const std::string name = "set" + std::to_string(file) + "/wall_" + std::to_string(i);
        text += name + "\n{\n\tsubdivide 16\n\t{\n\t\tmap " + name + ".tga\n\t\tglowfactor 2\n" +
                "\t}\n\t{\n\t\tmap light.tga\n\t\tblendfunc GL_DST_COLOR GL_ZERO\n\t}\n}\n\n";
    }
    return text;
}

static int64_t modified(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0
               ? (int64_t)info.st_mtim.tv_sec * 1000000000 + info.st_mtim.tv_nsec
               : -1;
}

int main() {
    namespace fs = std::filesystem;
    const fs::path dir = fs::current_path() / ("bench-save-back-" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::vector<std::string> paths;
    for (int file = 0; file < FILES; file++) {
        paths.push_back((dir / ("set" + std::to_string(file) + ".txt")).string());
        std::ofstream(paths.back()) << fileText(file);
    }
    ControlStore ui;
    EditorContext g(&ui);
    initEditorControls(ui);
    std::vector<std::string> failed;
    openLibraryFiles(g, paths, failed);

    std::vector<double> saves;
    std::vector<double> writes;
    int othersWritten = 0;
    int changedWritten = 0;
    for (int run = 0; run < RUNS; run++) {
        const int file = (run * 37) % FILES;
        const std::string name = "set" + std::to_string(file) + "/wall_" + std::to_string(run);
        Script* script = findScript(g.library, name.c_str());
        ScriptSettings settings{0, (uint8_t)(run % 2 ? 32 : 64), 0, 0, 0};
        changeScriptSettings(g, script, settings);
        std::vector<int64_t> before;
        for (const std::string& path : paths) before.push_back(modified(path));
        ui.choiceAnswers = {0};  // Save Anyway: the layout drops the script's unknown word
        saves.push_back(milliseconds([&] { mainDialogProc(g, DIALOG_COMMAND, IDM_FILE_SAVE); }));
        for (int i = 0; i < FILES; i++) {
            const bool written = modified(paths[(size_t)i]) != before[(size_t)i];
            (i == file ? changedWritten : othersWritten) += written;
        }
        const std::string bytes = g.library.files[(size_t)file].text;
        writes.push_back(
            milliseconds([&] { replaceFileWithText(paths[(size_t)file].c_str(), bytes); }));
    }
    fs::remove_all(dir);
    const double ratio = median(saves) / median(writes);
    printf("Save of one changed script in %d files of %d scripts, medians of %d runs\n", FILES,
           SCRIPTS_PER_FILE, RUNS);
    printf("save %.2f ms, writing the file's bytes alone %.2f ms, ratio %.2f (target <= 2)\n",
           median(saves), median(writes), ratio);
    printf("changed file written %d times of %d; other files written: %d (must be 0)\n",
           changedWritten, RUNS, othersWritten);
    return 0;
}
