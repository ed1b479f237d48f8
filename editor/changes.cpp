#include "changes.h"

#include "editor_state.h"
#include "history.h"
#include "script_file.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>

// Applies apply to the script in place and records it as one step, from a
// copy taken first. Without the copy (no memory) nothing is changed.
template <class Apply>
static bool changeScript(const char* stepName, Script* script, int stageBefore, int stageAfter,
                         Apply apply) {
    if (!historyEnabled) {
        apply(script);
        libraryEditCount++;
        return true;
    }
    Script* before = copyScript(script);
    if (!before) return false;
    apply(script);
    return recordContentStep(stepName, script, before, stageBefore, stageAfter);
}

static int currentStageIndexIn(const Script* script) {
    return stageIndex(script, currentStage);
}

// The current stage nearly always belongs to the current script: look there
// before walking the library.
static Script* ownerOf(const Stage* stage) {
    return stageIndex(currentScript, stage) >= 0 ? currentScript : stageOwner(stage);
}

bool changeStageSettings(const char* stepName, Stage* stage, const StageSettings& settings) {
    Script* owner = ownerOf(stage);
    if (!owner) return false;
    int index = stageIndex(owner, stage);
    return changeScript(stepName, owner, index, index, [&](Script* script) {
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

bool changeScriptSettings(Script* script, const ScriptSettings& settings) {
    int stage = currentStageIndexIn(script);
    return changeScript("Script Settings", script, stage, stage, [&](Script* target) {
        target->safe = settings.safe;
        target->subdivide = settings.subdivide;
        target->warpSmoothness = settings.warpSmoothness;
        target->warpDistance = settings.warpDistance;
        target->warpSpeed = settings.warpSpeed;
    });
}

bool renameScript(Script* script, const char* name) {
    int stage = currentStageIndexIn(script);
    return changeScript("Script Update", script, stage, stage,
                        [&](Script* target) { copyText(target->name, name); });
}

Script* addScript(const char* name) {
    int index = 0;
    Script* added = appendScriptAt(name, &index);
    if (!added) return nullptr;
    recordSpliceStep("Script Add", {}, {{index, added}});
    if (!historyEnabled) libraryEditCount++;
    return added;
}

// The record leaves the library but stays whole: the step keeps it for undo.
bool deleteScript(Script* script) {
    if (!historyEnabled) {
        removeScript(script);
        libraryEditCount++;
        return true;
    }
    int index = unlinkScript(script);
    if (index < 0) return false;
    recordSpliceStep("Script Delete", {{index, script}}, {});
    return true;
}

static int countStages(const Script* script) {
    int count = 0;
    for (const Stage* stage = script->stages; stage; stage = stage->next) count++;
    return count;
}

Stage* addStage(Script* script) {
    int index = countStages(script);
    Stage* added = nullptr;
    changeScript("Stage Add", script, currentStageIndexIn(script), index,
                 [&](Script* target) { added = appendEmptyStage(target); });
    return added;
}

bool deleteStage(Script* script, int index) {
    if (index < 0 || index >= countStages(script)) return false;
    return changeScript("Stage Delete", script, index, -1,
                        [&](Script* target) { deleteStageAt(target, index); });
}

// The frames as names, edited, then made again: every frame starts
// unresolved and the animation starts at its first frame.
bool changeFrames(Stage* stage, FrameEdit edit, int index, const char* name) {
    static const char* const STEP_NAMES[] = {"Frame Add", "Frame Delete", "Frame Update"};
    Script* owner = ownerOf(stage);
    if (!owner) return false;
    int at = stageIndex(owner, stage);
    return changeScript(STEP_NAMES[edit], owner, at, at, [&](Script*) {
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
// Reading a file

// While a file is read, the reader releases the scripts it replaces. Each
// one that was in the library is copied first, with its position, so that
// undo can put it back; references to it are dropped.
static std::unordered_map<const Script*, int> positionsBeforeRead;
static std::vector<ScriptAt> replacedByRead;
static std::vector<std::pair<Script*, Script*>> copiesOfReplaced;

static void keepReleasedScript(Script* released) {
    if (released == currentScript) currentScript = nullptr;
    if (stageIndex(released, currentStage) >= 0) currentStage = nullptr;
    auto found = positionsBeforeRead.find(released);
    if (found == positionsBeforeRead.end() || !historyEnabled) return;
    Script* copy = copyScript(released);
    if (!copy) return;
    replacedByRead.push_back({found->second, copy});
    copiesOfReplaced.push_back({released, copy});
}

bool readLibraryFile(const char* path) {
    if (!canReadScriptFile(path)) return false;
    int index = 0;
    for (const Script* script = scriptLibrary; script; script = script->next)
        positionsBeforeRead[script] = index++;
    int countBefore = index;
    scriptReleasedHook = keepReleasedScript;
    readScriptFile(path);
    scriptReleasedHook = nullptr;
    positionsBeforeRead.clear();

    // The reader appends what it read after the scripts it kept.
    std::vector<ScriptAt> added;
    index = 0;
    int firstNew = countBefore - (int)replacedByRead.size();
    for (Script* script = scriptLibrary; script; script = script->next, index++)
        if (index >= firstNew) added.push_back({index, script});
    for (auto [original, copy] : copiesOfReplaced) replaceInHistory(original, copy);
    copiesOfReplaced.clear();
    recordSpliceStep("Open", std::move(replacedByRead), std::move(added));
    replacedByRead.clear();
    libraryEditCount += historyEnabled ? 0 : 1;
    return true;
}
