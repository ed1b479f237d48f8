#include "changes.h"

#include "script_file.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>

// Applies apply to the script in place and records it as one step, from a
// copy taken first. Without the copy (no memory) nothing is changed.
template <class Apply>
static bool changeScript(ScriptLibrary& library, const char* stepName, Script* script,
                         int stageBefore, int stageAfter, Apply apply) {
    if (!library.history.enabled) {
        apply(script);
        library.editCount++;
        touchSourceOf(library, script);
        return true;
    }
    Script* before = copyScript(script);
    if (!before) return false;
    apply(script);
    return recordContentStep(library, stepName, script, before, stageBefore, stageAfter);
}

static int currentStageIndexIn(const EditorContext& g, const Script* script) {
    return stageIndex(script, g.selection.currentStage);
}

// The current stage nearly always belongs to the current script: look there
// before walking the library.
static Script* ownerOf(const EditorContext& g, const Stage* stage) {
    Script* current = g.selection.currentScript;
    return stageIndex(current, stage) >= 0 ? current : stageOwner(g.library, stage);
}

bool changeStageSettings(EditorContext& g, const char* stepName, Stage* stage,
                         const StageSettings& settings) {
    Script* owner = ownerOf(g, stage);
    if (!owner) return false;
    int index = stageIndex(owner, stage);
    return changeScript(g.library, stepName, owner, index, index, [&](Script* script) {
        // The edited names must be resolved again before they are drawn.
        script->texturesResolved = 0;
        copyText(stage->map, settings.map);
        stage->alphamask = settings.alphamask;
        stage->envmap = settings.envmap;
        stage->scrollTypeX = settings.scrollTypeX;
        stage->scrollTypeY = settings.scrollTypeY;
        stage->scrollX = settings.scrollX;
        stage->scrollY = settings.scrollY;
        stage->scaleTypeX = settings.scaleTypeX;
        stage->scaleTypeY = settings.scaleTypeY;
        stage->scaleX = settings.scaleX;
        stage->scaleY = settings.scaleY;
        stage->rotateSpeed = settings.rotateSpeed;
        stage->blendEnabled = settings.blendEnabled;
        stage->blendSrc = settings.blendSrc;
        stage->blendDst = settings.blendDst;
        stage->animDelay = settings.animDelay;
        stage->alphaMin = settings.alphaMin;
        stage->alphaMax = settings.alphaMax;
        stage->alphaSpeed = settings.alphaSpeed;
    });
}

bool changeScriptSettings(EditorContext& g, Script* script, const ScriptSettings& settings) {
    int stage = currentStageIndexIn(g, script);
    return changeScript(g.library, "Script Settings", script, stage, stage, [&](Script* target) {
        target->safe = settings.safe;
        target->subdivide = settings.subdivide;
        target->warpSmoothness = settings.warpSmoothness;
        target->warpDistance = settings.warpDistance;
        target->warpSpeed = settings.warpSpeed;
    });
}

bool renameScript(EditorContext& g, Script* script, const char* name) {
    int stage = currentStageIndexIn(g, script);
    return changeScript(g.library, "Script Update", script, stage, stage,
                        [&](Script* target) { copyText(target->name, name); });
}

Script* addScript(EditorContext& g, const char* name) {
    int index = 0;
    Script* added = appendScriptAt(g.library, name, &index);
    if (!added) return nullptr;
    recordSpliceStep(g.library, "Script Add", {}, {{index, added}});
    if (!g.library.history.enabled) g.library.editCount++;
    return added;
}

// The record leaves the library but stays whole: the step keeps it for undo.
bool deleteScript(EditorContext& g, Script* script) {
    if (!g.library.history.enabled) {
        touchSourceOf(g.library, script);
        removeScript(g.library, script);
        g.library.editCount++;
        return true;
    }
    int index = unlinkScript(g.library, script);
    if (index < 0) return false;
    recordSpliceStep(g.library, "Script Delete", {{index, script}}, {});
    return true;
}

static int countStages(const Script* script) {
    int count = 0;
    for (const Stage* stage = script->stages; stage; stage = stage->next) count++;
    return count;
}

Stage* addStage(EditorContext& g, Script* script) {
    int index = countStages(script);
    Stage* added = nullptr;
    changeScript(g.library, "Stage Add", script, currentStageIndexIn(g, script), index,
                 [&](Script* target) { added = appendEmptyStage(target); });
    return added;
}

bool deleteStage(EditorContext& g, Script* script, int index) {
    if (index < 0 || index >= countStages(script)) return false;
    return changeScript(g.library, "Stage Delete", script, index, -1,
                        [&](Script* target) { deleteStageAt(target, index); });
}

// The frames as names, edited, then made again: every frame starts
// unresolved and the animation starts at its first frame.
bool changeFrames(EditorContext& g, Stage* stage, FrameEdit edit, int index, const char* name) {
    static const char* const STEP_NAMES[] = {"Frame Add", "Frame Delete", "Frame Update"};
    Script* owner = ownerOf(g, stage);
    if (!owner) return false;
    int at = stageIndex(owner, stage);
    return changeScript(g.library, STEP_NAMES[edit], owner, at, at, [&](Script*) {
        std::vector<std::string> names;
        for (const AnimFrame* frame = stage->animFrames; frame; frame = frame->next)
            names.push_back(frame->name);
        if (edit == FRAME_ADD && names.size() < (size_t)MAX_ANIM_FRAMES)
            names.push_back(name);
        else if (edit == FRAME_DELETE && index >= 0 && index < (int)names.size())
            names.erase(names.begin() + index);
        else if (edit == FRAME_UPDATE && index >= 0 && index < (int)names.size())
            names[(size_t)index] = name;
        freeFrames(stage);
        AnimFrame** link = &stage->animFrames;
        for (const std::string& frameName : names) {
            AnimFrame* frame = allocateFrame();
            if (!frame) break;
            copyText(frame->name, frameName.c_str());
            *link = frame;
            link = &frame->next;
            stage->animFrameCount++;
        }
        stage->animCurrent = stage->animFrames;
    });
}

// ---------------------------------------------------------------------------
// Moving and copying

// The link that points at the stage at index (at the end when index is past it).
static Stage** stageLink(Script* script, int index) {
    Stage** link = &script->stages;
    for (; *link && index > 0; index--) link = &(*link)->next;
    return link;
}

bool moveStage(EditorContext& g, Script* script, int from, int to) {
    const int count = countStages(script);
    if (from < 0 || from >= count || to < 0 || to >= count || from == to) return false;
    const char* name = to < from ? "Move Stage Up" : "Move Stage Down";
    return changeScript(g.library, name, script, from, to, [&](Script* target) {
        Stage** link = stageLink(target, from);
        Stage* moved = *link;
        *link = moved->next;
        link = stageLink(target, to);
        moved->next = *link;
        *link = moved;
    });
}

// Links the chain of stages (first to last) after the stage at index of the
// script; the copies are drawn only once their names are resolved again.
static void insertStages(Script* script, int index, Stage* first, Stage* last) {
    Stage** link = stageLink(script, index + 1);
    last->next = *link;
    *link = first;
    script->texturesResolved = 0;
}

static void freeStageChain(Stage* stage) {
    while (stage) {
        Stage* next = stage->next;
        freeFrames(stage);
        freeStageRecord(stage);
        stage = next;
    }
}

Stage* duplicateStage(EditorContext& g, Script* script, int index) {
    const Stage* source = stageAt(script, index);
    Stage* copy = source ? copyStage(source) : nullptr;
    if (!copy) return nullptr;
    bool linked = false;
    changeScript(g.library, "Duplicate Stage", script, index, index + 1, [&](Script* target) {
        insertStages(target, index, copy, copy);
        linked = true;
    });
    if (!linked) freeStageChain(copy);
    return linked ? copy : nullptr;
}

// The scripts of a text in the file format, read into a library of their own.
static void readClipboardText(ScriptLibrary& scratch, const std::string& text) {
    scratch.history.enabled = false;
    readScriptText(scratch, text.data(), text.size());
}

static bool holdsStagesOnly(const std::string& text) {
    const size_t first = text.find_first_not_of(TOKEN_SEPARATORS);
    return first != std::string::npos && text[first] == '{';
}

Stage* pasteStages(EditorContext& g, Script* script, int index, const std::string& text) {
    ScriptLibrary scratch;
    readClipboardText(scratch, holdsStagesOnly(text) ? "pasted\n{\n" + text + "\n}\n" : text);
    Stage* first = nullptr;
    Stage** tail = &first;
    Stage* last = nullptr;
    int count = 0;
    for (Script* read = scratch.scripts; read; read = read->next) {
        *tail = read->stages;
        read->stages = nullptr;
        for (; *tail; tail = &last->next, count++) last = *tail;
    }
    if (!first) return nullptr;
    const int at = index < 0 ? countStages(script) - 1 : index;
    bool linked = false;
    changeScript(g.library, "Paste Stage", script, currentStageIndexIn(g, script), at + count,
                 [&](Script* target) {
                     insertStages(target, at, first, last);
                     linked = true;
                 });
    if (!linked) freeStageChain(first);
    return linked ? last : nullptr;
}

// "NAME_copy", "NAME_copy2", ...: the first that taken refuses, NAME cut so
// that the whole fits a script name.
template <class Taken>
static void copyName(const char* name, char (&copy)[SCRIPT_NAME_SIZE], Taken taken) {
    for (int n = 1;; n++) {
        char suffix[24];
        snprintf(suffix, sizeof suffix, n == 1 ? "_copy" : "_copy%d", n);
        const int kept = (int)strnlen(name, SCRIPT_NAME_SIZE - 1 - strlen(suffix));
        snprintf(copy, sizeof copy, "%.*s%s", kept, name, suffix);
        if (!taken(copy)) return;
    }
}

// Links the records at their positions and records them as one step.
static void addScripts(EditorContext& g, const char* stepName, std::vector<ScriptAt> added) {
    spliceLibrary(g.library, nullptr, 0, added.data(), (int)added.size());
    recordSpliceStep(g.library, stepName, {}, std::move(added));
    if (!g.library.history.enabled) g.library.editCount++;
}

Script* duplicateScript(EditorContext& g, Script* script) {
    const int index = scriptIndex(g.library, script);
    Script* copy = index >= 0 ? copyScript(script) : nullptr;
    if (!copy) return nullptr;
    copyName(script->name, copy->name,
             [&](const char* name) { return findScript(g.library, name); });
    addScripts(g, "Duplicate Script", {{index + 1, copy}});
    return copy;
}

Script* pasteScripts(EditorContext& g, Script* after, const std::string& text) {
    ScriptLibrary scratch;
    readClipboardText(scratch, text);
    int position = 0;
    for (const Script* script = g.library.scripts; script; script = script->next, position++)
        if (script == after) break;
    position += after ? 1 : 0;
    std::vector<ScriptAt> added;
    auto taken = [&](const char* name) {
        for (const ScriptAt& at : added)
            if (compareNoCase(at.script->name, name) == 0) return true;
        return findScript(g.library, name) != nullptr;
    };
    while (Script* script = scratch.scripts) {
        unlinkScript(scratch, script);
        if (taken(script->name)) {
            char name[SCRIPT_NAME_SIZE];
            copyText(name, script->name);
            copyName(name, script->name, taken);
        }
        added.push_back({position++, script});
    }
    if (added.empty()) return nullptr;
    Script* first = added[0].script;
    addScripts(g, "Paste Script", std::move(added));
    return first;
}

// ---------------------------------------------------------------------------
// Reading a file

// What one read replaces: each script of the library that the reader is about
// to release is copied first, with its position, so that undo can put it
// back; references to it are dropped.
struct ReadReplacements {
    EditorContext& g;
    std::unordered_map<const Script*, int> positionsBefore;
    std::vector<ScriptAt> replaced;                   // the copies, at the old positions
    std::vector<std::pair<Script*, Script*>> copies;  // released record, its copy
};

static void keepReplacedScript(const ReadNote& note, void* context) {
    if (note.kind != NOTE_SCRIPT_REPLACED) return;
    ReadReplacements& read = *(ReadReplacements*)context;
    Selection& s = read.g.selection;
    Script* released = note.script;
    if (released == s.currentScript) s.currentScript = nullptr;
    if (stageIndex(released, s.currentStage) >= 0) s.currentStage = nullptr;
    auto found = read.positionsBefore.find(released);
    if (found == read.positionsBefore.end() || !read.g.library.history.enabled) return;
    Script* copy = copyScript(released);
    if (!copy) return;
    read.replaced.push_back({found->second, copy});
    read.copies.push_back({released, copy});
}

void readLibraryFiles(EditorContext& g, const std::vector<std::string>& paths,
                      std::vector<std::string>& failed, bool asSources) {
    ScriptLibrary& library = g.library;
    ReadReplacements read{g, {}, {}, {}};
    int index = 0;
    for (const Script* script = library.scripts; script; script = script->next)
        read.positionsBefore[script] = index++;
    int countBefore = index;
    const ReadObserver observer{keepReplacedScript, &read, false};
    bool anyRead = false;
    for (const std::string& path : paths) {
        const bool readable = asSources ? readSourceFile(library, path.c_str(), &observer)
                                        : readScriptFile(library, path.c_str(), &observer);
        if (!readable) failed.push_back(path);
        anyRead = anyRead || readable;
    }
    if (!anyRead) return;

    // The reader appends what it read after the scripts it kept.
    std::vector<ScriptAt> added;
    index = 0;
    int firstNew = countBefore - (int)read.replaced.size();
    for (Script* script = library.scripts; script; script = script->next, index++)
        if (index >= firstNew) added.push_back({index, script});
    for (auto [original, copy] : read.copies) replaceInHistory(library.history, original, copy);
    std::vector<uint32_t> opened;
    if (asSources)
        for (const std::string& path : paths)
            if (int file = findSourceFile(library, path.c_str()); file >= 0)
                opened.push_back((uint32_t)file + 1);
    recordSpliceStep(library, "Open", std::move(read.replaced), std::move(added),
                     std::move(opened));
    library.editCount += library.history.enabled ? 0 : 1;
}

bool readLibraryFile(EditorContext& g, const char* path) {
    std::vector<std::string> failed;
    readLibraryFiles(g, {path}, failed);
    return failed.empty();
}
