// The library's undo history. Every change to the library is one step that
// holds what it takes to go both ways: a script whose contents it exchanges
// with a copy it keeps, and the scripts it unlinked or linked with their
// positions. Records keep their addresses through undo and redo, so a step
// costs the records it touched, never the library.
#pragma once

#include "script_copy.h"

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int STEP_NAME_SIZE = 32;

struct HistoryStep {
    char name[STEP_NAME_SIZE];      // "Script Delete", for the Edit menu
    uint64_t serial;                // the library's state once the step is done
    Script* content;                // a library script whose contents swap with holder, or null
    Script* holder;                 // owned: the other state of content
    int stageBefore;                // stage of content made current after undo, -1: none
    int stageAfter;                 // ... after redo
    std::vector<ScriptAt> removed;  // in the library before the step, not after
    std::vector<ScriptAt> added;    // in the library after the step, not before
    std::vector<uint32_t> opened;   // source files (index + 1) the step opened: closed by undo
    size_t bytes;
};

// What an undo or redo leaves current: a live script (or null) and a stage of it.
struct HistoryPlace {
    Script* script;
    Stage* stage;
};

constexpr size_t HISTORY_MEMORY_LIMIT = (size_t)64 << 20;
constexpr size_t HISTORY_STEP_LIMIT = 10000;

// The steps of one library (ScriptLibrary::history). Steps are kept while they
// hold no more than memoryLimit bytes together, and no more than
// HISTORY_STEP_LIMIT steps; the oldest go first. The newest always stays.
struct History {
    std::vector<HistoryStep*> steps;  // oldest first
    size_t appliedCount = 0;          // steps[0, appliedCount) are done
    size_t totalBytes = 0;
    uint64_t lastSerial = 0;
    uint64_t baseSerial = 0;   // the state before steps[0]
    uint64_t savedSerial = 0;  // UINT64_MAX: no state is saved
    size_t memoryLimit = HISTORY_MEMORY_LIMIT;
    bool enabled = true;  // off, nothing is recorded (the benchmark's baseline)
};

struct ScriptLibrary;

// Records a change made to script in place; before is a copy taken first
// and is kept or released. Returns false (and records nothing) when the
// change left the script as it was.
bool recordContentStep(ScriptLibrary& library, const char* name, Script* script, Script* before,
                       int stageBefore, int stageAfter);
// recordContentStep, or, when the newest step is done, has the serial
// continuing (not 0), the same name and the same script, folds the change into
// that step: it keeps its own "before" and takes a new serial. Typing in one
// place is one step this way.
bool recordOrExtendContentStep(ScriptLibrary& library, const char* name, Script* script,
                               Script* before, int stageBefore, int stageAfter,
                               uint64_t continuing);
// The serial of the newest step when it is done, or 0.
uint64_t newestStepSerial(const History& history);
// Records scripts unlinked from or linked into the library.
void recordSpliceStep(ScriptLibrary& library, const char* name, std::vector<ScriptAt> removed,
                      std::vector<ScriptAt> added, std::vector<uint32_t> opened = {});
// Every step that refers to from refers to to instead (a record that a file
// read released, replaced by its copy).
void replaceInHistory(History& history, Script* from, Script* to);

// Null when there is nothing to undo or redo.
const char* undoStepName(const History& history);
const char* redoStepName(const History& history);
bool undoStep(ScriptLibrary& library, HistoryPlace& place);
bool redoStep(ScriptLibrary& library, HistoryPlace& place);

// Unsaved changes: the library differs from the state of the last save.
void markLibrarySaved(History& history);
void markLibraryUnsaved(History& history);  // until the next save, whatever undo does
bool libraryHasUnsavedChanges(const History& history);

size_t historyBytes(const History& history);
int historyStepCount(const History& history);
// Releases every step and what it owns; the library stays as it is.
void clearHistory(History& history);
// Releases every step and what it owns, leaving no state saved or unsaved:
// for the library's reset.
void releaseHistory(History& history);
