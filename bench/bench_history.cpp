// The undo history's cost on a library of 50,000 scripts: 10,000 random
// editor commands with the history against the same commands without it
// (CPU time and peak memory, each run in a fresh child process), and the
// recovery copy: how long its longest slice of copying the library keeps
// the editor from drawing, against the preview's 50 ms frame.
#include "bench_timing.h"
#include "control_ids.h"
#include "control_store.h"
#include "editor.h"
#include "history.h"
#include "library_snapshot.h"
#include "script_file.h"

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

constexpr int LIBRARY_SCRIPTS = 50000;
constexpr int COMMANDS = 10000;
constexpr int RUNS = 5;  // pairs

struct RunResult {
    double seconds;     // CPU time of the commands
    double peakMiB;     // the child's peak resident memory
    double historyMiB;  // what the history says it holds
    double libraryMiB;  // the library's records
    int steps;
};

static double mebibytes(size_t bytes) {
    return (double)bytes / (1024.0 * 1024.0);
}

static void loadLibrary(ScriptLibrary& library) {
    std::string text;
    for (int i = 0; i < LIBRARY_SCRIPTS; i++) {
        text += "textures/s" + std::to_string(i) + "\n{\n\tsubdivide 16\n\t{\n\t\tmap a.tga\n";
        text += "\t\tanim 0.5 f1.tga f2.tga end\n\t}\n\t{\n\t\tmap b.tga\n\t\trotate 2\n\t}\n}\n";
    }
    readScriptText(library, text.data(), text.size());
}

static size_t librarySize(const ScriptLibrary& library) {
    size_t size = 0;
    for (const Script* script = library.scripts; script; script = script->next)
        size += scriptMemorySize(script);
    return size;
}

// The commands of the editor's own random test, minus the file commands.
static void runCommands(EditorContext& g, ControlStore& store) {
    const char* const texts[] = {"", "0", "2.5", "-1.25", "300", "pics/a.tga", "frame.tga"};
    const int commands[] = {
        IDC_STAGE_LIST,    IDC_SCRIPT_LIST,  IDC_FRAME_LIST,   IDC_FRAME_ADD,
        IDC_FRAME_DELETE,  IDC_STAGE_ADD,    IDC_STAGE_DELETE, IDC_SCRIPT_ADD,
        IDC_SCRIPT_DELETE, IDC_FRAME_UPDATE, IDC_SUBMIT,       IDC_SCRIPT_UPDATE,
    };
    std::mt19937 rng(3);
    for (int done = 0; done < COMMANDS;) {
        if (rng() % 3 == 0) {
            const int box = IDC_STAGE_LIST + (int)(rng() % 40);
            store.control(box).text = texts[rng() % std::size(texts)];
            continue;
        }
        const int id = commands[rng() % std::size(commands)];
        const size_t entries = store.control(id).items.size();
        store.control(id).selection = (int)(rng() % (entries + 1)) - 1;
        mainDialogProc(g, DIALOG_COMMAND, id);
        done++;
    }
}

static RunResult measure(bool withHistory) {
    ControlStore store;
    EditorContext g(&store);
    initEditorControls(store);
    g.library.history.enabled = withHistory;
    loadLibrary(g.library);
    fillScriptList(g);
    const size_t library = librarySize(g.library);
    const double start = cpuSeconds();
    runCommands(g, store);
    const double seconds = cpuSeconds() - start;
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    const History& history = g.library.history;
    return {seconds, usage.ru_maxrss / 1024.0, mebibytes(historyBytes(history)), mebibytes(library),
            historyStepCount(history)};
}

static RunResult inChild(bool withHistory) {
    const RunResult failed = {-1, 0, 0, 0, 0};
    return resultInChild<RunResult>([=] { return measure(withHistory); }, failed);
}

// Sorted by time: the fastest run is the one least disturbed by other load.
static std::vector<RunResult> byTime(std::vector<RunResult> runs) {
    std::sort(runs.begin(), runs.end(),
              [](const RunResult& a, const RunResult& b) { return a.seconds < b.seconds; });
    return runs;
}

// The recovery copy's slices on the whole library, as the editor runs them.
static void measureRecoverySlices() {
    ScriptLibrary library;
    loadLibrary(library);
    LibrarySnapshot snapshot;
    double longest = 0;
    int slices = 0;
    bool complete = false;
    const double copying = milliseconds([&] {
        for (; !complete; slices++)
            longest = std::max(longest, milliseconds([&] {
                                   complete = continueSnapshot(library, snapshot, 0.004);
                               }));
    });
    freeSnapshot(snapshot);
    printf(
        "recovery copy of %d scripts: %d slices, longest %.2f ms (%.3f of a 50 ms frame), "
        "copy %.0f ms in all\n",
        LIBRARY_SCRIPTS, slices, longest, longest / 50.0, copying);
}

int main() {
    std::vector<RunResult> with;
    std::vector<RunResult> without;
    for (int run = 0; run < RUNS; run++) {  // alternated, so load changes touch both alike
        without.push_back(inChild(false));
        with.push_back(inChild(true));
    }
    const std::vector<RunResult> withSorted = byTime(with);
    const std::vector<RunResult> withoutSorted = byTime(without);
    const RunResult a = withSorted[RUNS / 2];
    const RunResult b = withoutSorted[RUNS / 2];
    if (withSorted[0].seconds < 0 || withoutSorted[0].seconds < 0) {
        fprintf(stderr, "a measurement failed\n");
        return 1;
    }
    printf("%d commands on %d scripts (library %.1f MiB), %d runs each\n", COMMANDS,
           LIBRARY_SCRIPTS, b.libraryMiB, RUNS);
    printf("time:   fastest with history %.3f s, without %.3f s, ratio %.2f\n",
           withSorted[0].seconds, withoutSorted[0].seconds,
           withSorted[0].seconds / withoutSorted[0].seconds);
    printf("memory: peak with %.1f MiB, without %.1f MiB, ratio %.2f\n", a.peakMiB, b.peakMiB,
           a.peakMiB / b.peakMiB);
    printf(
        "history: %d steps hold %.2f MiB, %.0f bytes a step (an average script is %.0f "
        "bytes; the library %.1f MiB)\n",
        a.steps, a.historyMiB, a.historyMiB * 1048576.0 / std::max(a.steps, 1),
        b.libraryMiB * 1048576.0 / LIBRARY_SCRIPTS, b.libraryMiB);
    measureRecoverySlices();
    return 0;
}
