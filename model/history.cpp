#include "history.h"

#include "script_library.h"

#include <algorithm>
#include <cstring>

static uint64_t currentState(const History& h) {
    return h.appliedCount ? h.steps[h.appliedCount - 1]->serial : h.baseSerial;
}

// A step owns its holder, and the records that are out of the library in
// the state it is left in: removed ones when done, added ones when undone.
static void releaseStep(History& h, HistoryStep* step, bool done) {
    freeDetachedScript(step->holder);
    for (const ScriptAt& at : done ? step->removed : step->added) freeDetachedScript(at.script);
    h.totalBytes -= step->bytes;
    delete step;
}

static void dropRedoSteps(History& h) {
    while (h.steps.size() > h.appliedCount) {
        releaseStep(h, h.steps.back(), false);
        h.steps.pop_back();
    }
}

static void trimOldest(History& h) {
    size_t drop = 0;
    size_t bytes = h.totalBytes;
    while (h.steps.size() - drop > 1 &&
           (bytes > h.memoryLimit || h.steps.size() - drop > HISTORY_STEP_LIMIT))
        bytes -= h.steps[drop++]->bytes;
    if (!drop) return;
    h.baseSerial = h.steps[drop - 1]->serial;
    for (size_t i = 0; i < drop; i++) releaseStep(h, h.steps[i], true);
    h.steps.erase(h.steps.begin(), h.steps.begin() + (long)drop);
    h.appliedCount -= drop;
}

static size_t scriptsSize(const std::vector<ScriptAt>& records) {
    size_t size = 0;
    for (const ScriptAt& at : records) size += scriptMemorySize(at.script);
    return size;
}

// What the step holds in the state it leaves: its holder, its lists, and the
// records out of the library then (the removed ones once done, the added
// ones once undone); the others are the library's.
static size_t heldBytes(const HistoryStep* step, bool done) {
    return sizeof(HistoryStep) + (step->holder ? scriptMemorySize(step->holder) : 0) +
           (step->removed.capacity() + step->added.capacity()) * sizeof(ScriptAt) +
           scriptsSize(done ? step->removed : step->added);
}

// The files of the scripts a step changes are looked at by the next save.
// Scripts a step adds come as their files have them (read, or new and
// without a file), unless an undo or redo brings them back.
static void touchSources(ScriptLibrary& library, const HistoryStep* step, bool addedToo) {
    if (step->content) touchSourceOf(library, step->content);
    for (const ScriptAt& at : step->removed) touchSourceOf(library, at.script);
    if (addedToo)
        for (const ScriptAt& at : step->added) touchSourceOf(library, at.script);
}

static void pushStep(ScriptLibrary& library, HistoryStep* step) {
    History& h = library.history;
    touchSources(library, step, false);
    dropRedoSteps(h);
    step->serial = ++h.lastSerial;
    step->bytes = heldBytes(step, true);
    h.totalBytes += step->bytes;
    h.steps.push_back(step);
    h.appliedCount = h.steps.size();
    library.editCount++;
    trimOldest(h);
}

static HistoryStep* newStep(const char* name) {
    HistoryStep* step = new HistoryStep();
    copyText(step->name, name);
    step->stageBefore = -1;
    step->stageAfter = -1;
    return step;
}

bool recordContentStep(ScriptLibrary& library, const char* name, Script* script, Script* before,
                       int stageBefore, int stageAfter) {
    const bool enabled = library.history.enabled;
    if (!enabled || sameScriptContent(script, before)) {
        freeDetachedScript(before);
        return !enabled;
    }
    HistoryStep* step = newStep(name);
    step->content = script;
    step->holder = before;
    step->stageBefore = stageBefore;
    step->stageAfter = stageAfter;
    pushStep(library, step);
    return true;
}

uint64_t newestStepSerial(const History& h) {
    return h.appliedCount && h.appliedCount == h.steps.size() ? h.steps.back()->serial : 0;
}

bool recordOrExtendContentStep(ScriptLibrary& library, const char* name, Script* script,
                               Script* before, int stageBefore, int stageAfter,
                               uint64_t continuing) {
    History& h = library.history;
    HistoryStep* newest = newestStepSerial(h) ? h.steps.back() : nullptr;
    const bool extends = h.enabled && continuing && newest && newest->serial == continuing &&
                         newest->content == script && strcmp(newest->name, name) == 0;
    if (!extends) return recordContentStep(library, name, script, before, stageBefore, stageAfter);
    freeDetachedScript(before);
    newest->stageAfter = stageAfter;
    // A new state: a save in between no longer matches it.
    newest->serial = ++h.lastSerial;
    library.editCount++;
    touchSourceOf(library, script);
    return true;
}

static bool byIndex(const ScriptAt& a, const ScriptAt& b) {
    return a.index < b.index;
}

void recordSpliceStep(ScriptLibrary& library, const char* name, std::vector<ScriptAt> removed,
                      std::vector<ScriptAt> added, std::vector<uint32_t> opened) {
    if (removed.empty() && added.empty() && opened.empty()) return;
    if (!library.history.enabled) {
        for (const ScriptAt& at : removed) freeDetachedScript(at.script);
        return;
    }
    HistoryStep* step = newStep(name);
    // An Open gives its scripts in order already.
    if (!std::is_sorted(removed.begin(), removed.end(), byIndex))
        std::sort(removed.begin(), removed.end(), byIndex);
    if (!std::is_sorted(added.begin(), added.end(), byIndex))
        std::sort(added.begin(), added.end(), byIndex);
    step->removed = std::move(removed);
    step->added = std::move(added);
    step->opened = std::move(opened);
    pushStep(library, step);
}

void replaceInHistory(History& history, Script* from, Script* to) {
    for (HistoryStep* step : history.steps) {
        if (step->content == from) step->content = to;
        for (std::vector<ScriptAt>* records : {&step->removed, &step->added})
            for (ScriptAt& at : *records)
                if (at.script == from) at.script = to;
    }
}

const char* undoStepName(const History& h) {
    return h.appliedCount ? h.steps[h.appliedCount - 1]->name : nullptr;
}
const char* redoStepName(const History& h) {
    return h.appliedCount < h.steps.size() ? h.steps[h.appliedCount]->name : nullptr;
}

// The one script a splice step brings into the library, made current.
static Script* onlyRecord(const std::vector<ScriptAt>& records) {
    return records.size() == 1 ? records[0].script : nullptr;
}

static void applyStep(ScriptLibrary& library, HistoryStep* step, bool forward,
                      HistoryPlace& place) {
    History& h = library.history;
    h.totalBytes -= step->bytes;
    step->bytes = heldBytes(step, forward);
    h.totalBytes += step->bytes;
    if (step->content) swapScriptContent(step->content, step->holder);
    const std::vector<ScriptAt>& out = forward ? step->removed : step->added;
    const std::vector<ScriptAt>& in = forward ? step->added : step->removed;
    if (!out.empty() || !in.empty())
        spliceLibrary(library, out.data(), (int)out.size(), in.data(), (int)in.size());
    library.editCount++;
    touchSources(library, step, true);
    for (uint32_t file : step->opened)
        if (file >= 1 && file <= library.files.size()) library.files[file - 1].open = forward;
    place.script = step->content ? step->content : onlyRecord(in);
    place.stage = stageAt(step->content, forward ? step->stageAfter : step->stageBefore);
}

bool undoStep(ScriptLibrary& library, HistoryPlace& place) {
    History& h = library.history;
    if (!h.appliedCount) return false;
    applyStep(library, h.steps[--h.appliedCount], false, place);
    return true;
}

bool redoStep(ScriptLibrary& library, HistoryPlace& place) {
    History& h = library.history;
    if (h.appliedCount == h.steps.size()) return false;
    applyStep(library, h.steps[h.appliedCount++], true, place);
    return true;
}

void markLibrarySaved(History& h) {
    h.savedSerial = currentState(h);
}
void markLibraryUnsaved(History& h) {
    h.savedSerial = UINT64_MAX;
}
bool libraryHasUnsavedChanges(const History& h) {
    return currentState(h) != h.savedSerial;
}

size_t historyBytes(const History& h) {
    return h.totalBytes;
}
int historyStepCount(const History& h) {
    return (int)h.steps.size();
}

static void releaseSteps(History& h) {
    dropRedoSteps(h);
    for (HistoryStep* step : h.steps) releaseStep(h, step, true);
    h.steps.clear();
    h.appliedCount = 0;
}

void clearHistory(History& h) {
    bool unsaved = libraryHasUnsavedChanges(h);
    releaseSteps(h);
    h.baseSerial = ++h.lastSerial;
    h.savedSerial = unsaved ? UINT64_MAX : h.baseSerial;
}

void releaseHistory(History& h) {
    releaseSteps(h);
    h.lastSerial = h.baseSerial = h.savedSerial = 0;
}

void ScriptLibrary::reset() {
    releaseHistory(history);
    freeAllScripts(*this);
    editCount = 0;
    files.clear();
    lastGeneration = 0;
    typedTexts.clear();
}
