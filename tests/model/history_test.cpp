// The undo history: which changes become steps, what undo and redo put back and make
// current, trimming to the limits, the unsaved mark, and the records that steps own and
// give back when they go.
#include <functional>

#include "history.h"
#include "model_fixture.h"

namespace {

// A change as the editor makes one: a copy taken first, the script changed, the step recorded.
bool change(ScriptLibrary& library, Script* script, const std::function<void(Script*)>& edit,
            int stageBefore = -1, int stageAfter = -1, const char* name = "Change") {
    Script* before = copyScript(script);
    edit(script);
    return recordContentStep(library, name, script, before, stageBefore, stageAfter);
}

Script* lastScript(const ScriptLibrary& library) {
    Script* last = library.scripts;
    while (last->next) last = last->next;
    return last;
}

// The record released by a read and its copy, kept as the editor keeps it.
void keepCopy(const ReadNote& note, void* kept) {
    if (note.kind == NOTE_SCRIPT_REPLACED)
        *(std::pair<Script*, Script*>*)kept = {note.script, copyScript(note.script)};
}

// One action on a library of s0 and more, as the editor takes them. a: add a script, d: delete
// the last, c: change the last, n: "change" the last to what it was, g: add a stage to the last,
// e: read a file that replaces the last, p: paste two scripts, u: undo, r: redo, s: save,
// m: mark unsaved, x: clear the history, l: a memory limit that keeps only the newest step,
// o: the history off.
void act(ScriptLibrary& library, char action) {
    History& history = library.history;
    Script* last = lastScript(library);
    int stages = 0;
    for (Stage* stage = last->stages; stage; stage = stage->next) stages++;
    HistoryPlace place;
    int at[2] = {};
    if (action == 'a') {
        Script* added =
            appendScriptAt(library, ("s" + std::to_string(library.editCount + 1)).c_str(), at);
        recordSpliceStep(library, "Add", {}, {{at[0], added}});
    }
    if (action == 'd')
        recordSpliceStep(library, "Delete", {{unlinkScript(library, last), last}}, {});
    if (action == 'c') change(library, last, [](Script* s) { s->subdivide++; });
    if (action == 'n') change(library, last, [](Script* s) { s->safe = s->safe; });
    if (action == 'g') change(library, last, appendEmptyStage, stages - 1, stages, "Stage Add");
    if (action == 'e') {
        const int index = scriptIndex(library, last);
        std::string text = last->name + std::string(" { safe }");
        text[0] = 'S';
        std::pair<Script*, Script*> kept = {};
        const ReadObserver observer = {keepCopy, &kept};
        readScriptText(library, text.data(), text.size(), &observer);
        replaceInHistory(history, kept.first, kept.second);
        recordSpliceStep(library, "Open", {{index, kept.second}}, {{index, lastScript(library)}});
    }
    if (action == 'p') {  // two at the end, told in any order
        Script* p = appendScriptAt(library, "p", &at[0]);
        Script* q = appendScriptAt(library, "q", &at[1]);
        recordSpliceStep(library, "Paste", {}, {{at[1], q}, {at[0], p}});
    }
    if (action == 'u') undoStep(library, place);
    if (action == 'r') redoStep(library, place);
    if (action == 's') markLibrarySaved(history);
    if (action == 'm') markLibraryUnsaved(history);
    if (action == 'x') clearHistory(history);
    if (action == 'l') history.memoryLimit = 0;
    if (action == 'o') history.enabled = false;
}

// What undo or redo made current: "s1/0", "s1/-" (no stage), "-/-"; "none" when there was
// nothing to take back or do again.
std::string moved(ScriptLibrary& library, bool (*step)(ScriptLibrary&, HistoryPlace&)) {
    HistoryPlace place = {nullptr, nullptr};
    if (!step(library, place)) return "none";
    const int stage = stageIndex(place.script, place.stage);
    return (place.script ? place.script->name : "-") + std::string("/") +
           (stage < 0 ? "-" : std::to_string(stage));
}

}  // namespace

struct HistoryTest : ModelTest {
    HistoryTest() { appendScript(library, "s0"); }
};

// Steps made in turn from a library of s0, then undone to the start and redone to the end:
// each puts back the library and makes its own place current. A read released s1, which
// earlier steps refer to; they work on its copy. Records keep their addresses throughout.
TEST_F(HistoryTest, UndoAndRedoPutBackEveryStateAndPlace) {
    const struct {
        char action;
        const char* name;
        const char* after;   // the library written once the step is made
        const char* undone;  // the place undo makes current
        const char* redone;
    } steps[] = {
        {'a', "Add", "s0 { } s1 { }", "-/-", "s1/-"},
        {'g', "Stage Add", "s0 { } s1 { { } }", "s1/-", "s1/0"},
        {'g', "Stage Add", "s0 { } s1 { { } { } }", "s1/0", "s1/1"},
        {'c', "Change", "s0 { } s1 { subdivide 1 { } { } }", "s1/-", "s1/-"},  // no stage
        {'e', "Open", "s0 { } S1 { safe }", "s1/-", "S1/-"},
        {'d', "Delete", "s0 { }", "S1/-", "-/-"},
        {'p', "Paste", "s0 { } p { } q { }", "-/-", "-/-"},  // two: neither is made current
    };
    for (const auto& step : steps) {
        act(library, step.action);
        EXPECT_EQ(layout(), step.after) << step.name;
    }
    const Script* const records[] = {library.scripts->next, lastScript(library)};
    for (size_t i = std::size(steps); i-- > 0;) {
        EXPECT_STREQ(undoStepName(library.history), steps[i].name);
        EXPECT_EQ(moved(library, undoStep), steps[i].undone) << steps[i].name;
        EXPECT_EQ(layout(), i ? steps[i - 1].after : "s0 { }") << steps[i].name << " undone";
    }
    EXPECT_EQ(moved(library, undoStep), "none");
    for (const auto& step : steps) {
        EXPECT_STREQ(redoStepName(library.history), step.name);
        EXPECT_EQ(moved(library, redoStep), step.redone) << step.name;
        EXPECT_EQ(layout(), step.after) << step.name << " redone";
    }
    EXPECT_EQ(moved(library, redoStep), "none");
    EXPECT_EQ(library.scripts->next, records[0]);
    EXPECT_EQ(lastScript(library), records[1]);
    EXPECT_EQ(library.editCount, 21u);  // each step made, undone and redone
}

// The oldest steps go once the steps hold more bytes than the memory limit, or are more than
// HISTORY_STEP_LIMIT; the newest stays. Undo then goes back only as far as the steps kept.
TEST_F(HistoryTest, TrimmingKeepsTheNewestSteps) {
    act(library, 'c');
    const size_t stepBytes = historyBytes(library.history);  // every change of s0 costs as much
    const struct {
        size_t memoryLimit;
        int steps;
        size_t kept;
    } rows[] = {{3 * stepBytes, 10, 3},
                {3 * stepBytes - 1, 10, 2},
                {0, 10, 1},
                {HISTORY_MEMORY_LIMIT, (int)HISTORY_STEP_LIMIT + 5, HISTORY_STEP_LIMIT}};
    for (const auto& [memoryLimit, steps, kept] : rows) {
        SCOPED_TRACE(testing::Message() << steps << " steps within " << memoryLimit << " bytes");
        ScriptLibrary rowLibrary;
        rowLibrary.history.memoryLimit = memoryLimit;
        appendScript(rowLibrary, "s0");
        for (int i = 0; i < steps; i++) act(rowLibrary, 'c');
        EXPECT_EQ(historyBytes(rowLibrary.history), kept * stepBytes);
        for (int i = 0; i < steps; i++) act(rowLibrary, 'u');
        EXPECT_EQ(rowLibrary.scripts->subdivide, steps - (int)kept) << "the oldest step kept";
    }
}

// Each row: actions in turn from a library of s0; after each, whether the library differs from
// the state of its last save; at the end, the records in use: the library's and those its
// steps own (a step's copy, and the records out of the library in the state it leaves), none
// given back too early or kept when its step goes. A change to the same values is no step
// (n), a saved state trimmed away is never reached again (slccu), and with the history off
// nothing is kept (o).
TEST_F(HistoryTest, UnsavedMarkAndTheRecordsStepsOwn) {
    const struct {
        const char* actions;
        const char* unsaved;
        size_t inUse;
    } rows[] = {
        {"csur", "1010", 2}, {"cscu", "1010", 3},   {"csucur", "101111", 2}, {"csx", "100", 1},
        {"cx", "11", 1},     {"xcu", "010", 2},     {"csmurs", "101110", 2}, {"slccu", "00111", 2},
        {"ad", "11", 2},     {"au", "10", 2},       {"aua", "101", 2},       {"acuua", "11101", 2},
        {"adla", "1111", 2}, {"aadod", "11111", 2}, {"adua", "1111", 3},     {"aduua", "11101", 2},
        {"oc", "00", 1},     {"n", "0", 1},         {"snu", "000", 1},       {"aod", "111", 1}};
    const size_t before = recordsInUse();  // the fixture's
    for (const auto& [actions, unsaved, inUse] : rows) {
        {
            ScriptLibrary rowLibrary;
            appendScript(rowLibrary, "s0");
            std::string seen;
            for (const char* action = actions; *action; action++) {
                act(rowLibrary, *action);
                seen += libraryHasUnsavedChanges(rowLibrary.history) ? '1' : '0';
            }
            EXPECT_EQ(seen, unsaved) << actions;
            EXPECT_EQ(recordsInUse() - before, inUse) << actions;
        }
        EXPECT_EQ(recordsInUse(), before) << actions << ", the library gone";
    }
}
