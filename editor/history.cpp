#include "history.h"

#include <algorithm>

size_t historyMemoryLimit = (size_t)64 << 20;
bool historyEnabled = true;
uint64_t libraryEditCount = 0;

static std::vector<HistoryStep*> steps;  // oldest first
static size_t appliedCount = 0;          // steps[0, appliedCount) are done
static size_t totalBytes = 0;
static uint64_t lastSerial = 0;
static uint64_t baseSerial = 0;   // the state before steps[0]
static uint64_t savedSerial = 0;  // UINT64_MAX: no state is saved

static uint64_t currentState() {
    return appliedCount ? steps[appliedCount - 1]->serial : baseSerial;
}

// A step owns its holder, and the records that are out of the library in
// the state it is left in: removed ones when done, added ones when undone.
static void releaseStep(HistoryStep* step, bool done) {
    freeDetachedScript(step->holder);
    for (const ScriptAt& at : done ? step->removed : step->added) freeDetachedScript(at.script);
    totalBytes -= step->bytes;
    delete step;
}

static void dropRedoSteps() {
    while (steps.size() > appliedCount) {
        releaseStep(steps.back(), false);
        steps.pop_back();
    }
}

static void trimOldest() {
    size_t drop = 0;
    size_t bytes = totalBytes;
    while (steps.size() - drop > 1 &&
           (bytes > historyMemoryLimit || steps.size() - drop > HISTORY_STEP_LIMIT))
        bytes -= steps[drop++]->bytes;
    if (!drop) return;
    baseSerial = steps[drop - 1]->serial;
    for (size_t i = 0; i < drop; i++) releaseStep(steps[i], true);
    steps.erase(steps.begin(), steps.begin() + (long)drop);
    appliedCount -= drop;
}

static size_t recordsSize(const std::vector<ScriptAt>& records) {
    size_t size = records.capacity() * sizeof(ScriptAt);
    for (const ScriptAt& at : records) size += scriptMemorySize(at.script);
    return size;
}

static void pushStep(HistoryStep* step) {
    dropRedoSteps();
    step->serial = ++lastSerial;
    step->bytes = sizeof(HistoryStep) + (step->holder ? scriptMemorySize(step->holder) : 0) +
                  recordsSize(step->removed) + recordsSize(step->added);
    totalBytes += step->bytes;
    steps.push_back(step);
    appliedCount = steps.size();
    libraryEditCount++;
    trimOldest();
}

static HistoryStep* newStep(const char* name) {
    HistoryStep* step = new HistoryStep();
    copyText(step->name, name);
    step->stageBefore = -1;
    step->stageAfter = -1;
    return step;
}

bool recordContentStep(const char* name, Script* script, Script* before, int stageBefore,
                       int stageAfter) {
    if (!historyEnabled || sameScriptContent(script, before)) {
        freeDetachedScript(before);
        return !historyEnabled;
    }
    HistoryStep* step = newStep(name);
    step->content = script;
    step->holder = before;
    step->stageBefore = stageBefore;
    step->stageAfter = stageAfter;
    pushStep(step);
    return true;
}

static bool byIndex(const ScriptAt& a, const ScriptAt& b) {
    return a.index < b.index;
}

void recordSpliceStep(const char* name, std::vector<ScriptAt> removed,
                      std::vector<ScriptAt> added) {
    if (removed.empty() && added.empty()) return;
    if (!historyEnabled) {
        for (const ScriptAt& at : removed) freeDetachedScript(at.script);
        return;
    }
    HistoryStep* step = newStep(name);
    std::sort(removed.begin(), removed.end(), byIndex);
    std::sort(added.begin(), added.end(), byIndex);
    step->removed = std::move(removed);
    step->added = std::move(added);
    pushStep(step);
}

void replaceInHistory(Script* from, Script* to) {
    for (HistoryStep* step : steps) {
        if (step->content == from) step->content = to;
        for (std::vector<ScriptAt>* records : {&step->removed, &step->added})
            for (ScriptAt& at : *records)
                if (at.script == from) at.script = to;
    }
}

const char* undoStepName() {
    return appliedCount ? steps[appliedCount - 1]->name : nullptr;
}
const char* redoStepName() {
    return appliedCount < steps.size() ? steps[appliedCount]->name : nullptr;
}

// The one script a splice step brings into the library, made current.
static Script* onlyRecord(const std::vector<ScriptAt>& records) {
    return records.size() == 1 ? records[0].script : nullptr;
}

static void applyStep(const HistoryStep* step, bool forward, HistoryPlace& place) {
    if (step->content) swapScriptContent(step->content, step->holder);
    const std::vector<ScriptAt>& out = forward ? step->removed : step->added;
    const std::vector<ScriptAt>& in = forward ? step->added : step->removed;
    if (!out.empty() || !in.empty())
        spliceLibrary(out.data(), (int)out.size(), in.data(), (int)in.size());
    libraryEditCount++;
    place.script = step->content ? step->content : onlyRecord(in);
    place.stage = stageAt(step->content, forward ? step->stageAfter : step->stageBefore);
}

bool undoStep(HistoryPlace& place) {
    if (!appliedCount) return false;
    applyStep(steps[--appliedCount], false, place);
    return true;
}

bool redoStep(HistoryPlace& place) {
    if (appliedCount == steps.size()) return false;
    applyStep(steps[appliedCount++], true, place);
    return true;
}

void markLibrarySaved() {
    savedSerial = currentState();
}
void markLibraryUnsaved() {
    savedSerial = UINT64_MAX;
}
bool libraryHasUnsavedChanges() {
    return currentState() != savedSerial;
}

size_t historyBytes() {
    return totalBytes;
}
int historyStepCount() {
    return (int)steps.size();
}

void clearHistory() {
    bool unsaved = libraryHasUnsavedChanges();
    dropRedoSteps();
    for (HistoryStep* step : steps) releaseStep(step, true);
    steps.clear();
    appliedCount = 0;
    baseSerial = ++lastSerial;
    savedSerial = unsaved ? UINT64_MAX : baseSerial;
}
