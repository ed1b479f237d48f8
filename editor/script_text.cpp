#include "script_text.h"

#include "control_ids.h"
#include "editor.h"
#include "problems.h"
#include "script_file.h"

#include <algorithm>
#include <string_view>

// Each stage's braces, from the reader's notes; a stage still open at the
// end reaches the end of the text.
static void noteStageBraces(const ReadNote& note, void* context) {
    auto& stages = *(std::vector<std::pair<size_t, size_t>>*)context;
    if (note.kind == NOTE_STAGE_OPENED)
        stages.push_back({note.offset, SIZE_MAX});
    else if (note.kind == NOTE_STAGE_CLOSED && !stages.empty())
        stages.back().second = note.offset;
}

static void findStageBraces(ScriptTextView& view) {
    ScriptLibrary scratch;
    scratch.history.enabled = false;
    const ReadObserver observer{noteStageBraces, &view.stages};
    readScriptText(scratch, view.text.data(), view.text.size(), &observer);
    for (auto& stage : view.stages) stage.second = std::min(stage.second, view.text.size());
}

// The words the reader skips, cuts or changes, in the words of `veltra check`.
static void markProblems(ScriptTextView& view) {
    ScriptLibrary scratch;
    scratch.history.enabled = false;
    std::vector<Problem> problems;
    ProblemFinder(scratch).read("text", view.text.data(), view.text.size(), problems);
    for (const Problem& problem : problems) {
        if (problem.line == 0) continue;  // about a record, not a place
        size_t end = view.text.find_first_of(TOKEN_SEPARATORS, problem.offset);
        if (end == std::string::npos) end = view.text.size();
        view.marks.push_back({problem.offset, end - problem.offset, problem.message});
    }
}

static ScriptTextView viewOfText(std::string text, int firstLine) {
    ScriptTextView view;
    view.text = std::move(text);
    view.firstLine = firstLine;
    findStageBraces(view);
    markProblems(view);
    return view;
}

ScriptTextView scriptTextView(EditorContext& g) {
    const Script* script = g.selection.currentScript;
    if (!script) return ScriptTextView{};
    ScriptTextView view =
        viewOfText(scriptSourceText(g.library, script), scriptFirstLine(g.library, script));
    view.selectedStage = stageIndex(script, g.selection.currentStage);
    return view;
}

void showScriptText(EditorContext& g) {
    if (g.scriptTextShown) g.platform->showScriptText(scriptTextView(g));
}

void scriptTextAfterCommand(EditorContext& g) {
    g.lastTextEditSerial = 0;
    showScriptText(g);
}

// What reading a typed text met: its scripts begun and bodies closed.
struct TypedScripts {
    int begun = 0;
    int closed = 0;
};

static void countTypedScripts(const ReadNote& note, void* context) {
    TypedScripts& counted = *(TypedScripts*)context;
    counted.begun += note.kind == NOTE_SCRIPT_BEGUN;
    counted.closed += note.kind == NOTE_SCRIPT_CLOSED;
}

// Why the typed text cannot replace the script, or "" when it can.
static std::string whyNotApplied(const Script* current, const ScriptLibrary& read,
                                 const TypedScripts& counted) {
    if (!current) return "No script is selected: nothing is applied.";
    if (counted.begun == 0) return "No script in the text: nothing is applied.";
    if (counted.begun > 1)
        return "The text holds " + std::to_string(counted.begun) +
               " scripts: only one can be applied.";
    if (counted.closed == 0)
        return "The body of " + std::string(read.scripts->name) +
               " is not closed: nothing is applied.";
    return std::string();
}

// The pane keeps the typed text and says why it is not applied.
static int refuseTypedText(EditorContext& g, const std::string& typed, const std::string& why) {
    const Script* script = g.selection.currentScript;
    ScriptTextView view = viewOfText(typed, script ? scriptFirstLine(g.library, script) : 1);
    view.status = why;
    view.typed = true;
    if (g.scriptTextShown) g.platform->showScriptText(view);
    return 1;
}

// The script takes the content read; the record keeps its address, its
// place and its origin. One step, or the typing step it continues; false
// when no value changed.
static bool takeContent(EditorContext& g, Script* script, Script* read) {
    ScriptLibrary& library = g.library;
    const int stageBefore = stageIndex(script, g.selection.currentStage);
    int stageCount = 0;
    for (const Stage* stage = read->stages; stage; stage = stage->next) stageCount++;
    const int stageAfter = std::min(stageBefore, stageCount - 1);
    Script* before = library.history.enabled ? copyScript(script) : nullptr;
    if (library.history.enabled && !before) return false;
    swapScriptContent(script, read);  // the old content leaves with the scratch library
    script->texturesResolved = 0;
    g.selection.currentStage = stageAt(script, stageAfter);
    if (!library.history.enabled) {
        library.editCount++;
        touchSourceOf(library, script);
        return true;
    }
    if (!recordOrExtendContentStep(library, "Edit Text", script, before, stageBefore, stageAfter,
                                   g.lastTextEditSerial))
        return false;
    g.lastTextEditSerial = newestStepSerial(library.history);
    return true;
}

// Names typed are drawn at once, but a name half typed never asks the user
// where its file is.
static void resolveWithoutAsking(EditorContext& g, Script* script) {
    const TextureFileFinder finder = g.textures.finder;
    g.textures.finder = TextureFileFinder{};
    resolveScriptTextures(g.textures, script);
    g.textures.finder = finder;
}

// The text without the separators around it, as a save writes it.
static std::string_view trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(TOKEN_SEPARATORS);
    if (first == std::string::npos) return std::string_view();
    return std::string_view(text).substr(first,
                                         text.find_last_not_of(TOKEN_SEPARATORS) + 1 - first);
}

int onScriptTextEdit(EditorContext& g) {
    const std::string typed = g.platform->typedScriptText();
    Script* script = g.selection.currentScript;
    ScriptLibrary read;
    read.history.enabled = false;
    TypedScripts counted;
    const ReadObserver observer{countTypedScripts, &counted};
    readScriptText(read, typed.data(), typed.size(), &observer);
    const std::string why = whyNotApplied(script, read, counted);
    if (!why.empty()) return refuseTypedText(g, typed, why);
    // Words the library cannot hold (unknown words, spacing) change no
    // value, yet the file is to keep them: it is saved as typed.
    if (!takeContent(g, script, read.scripts) &&
        trimmed(scriptSourceText(g.library, script)) != trimmed(typed)) {
        touchSourceOf(g.library, script);
        markLibraryUnsaved(g.library.history);
    }
    rememberTypedText(g.library, script, typed);
    showSelectedScript(g);
    resolveWithoutAsking(g, script);
    ScriptTextView view = viewOfText(typed, scriptFirstLine(g.library, script));
    view.selectedStage = stageIndex(script, g.selection.currentStage);
    view.typed = true;
    if (g.scriptTextShown) g.platform->showScriptText(view);
    return 0;
}

int onViewScriptText(EditorContext& g) {
    g.scriptTextShown = !g.scriptTextShown;
    return 0;
}
