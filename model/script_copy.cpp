#include "script_copy.h"
#include "model_internal.h"
#include "script_library.h"

#include <cstring>

static AnimFrame* copyFrames(const AnimFrame* source, bool& failed) {
    AnimFrame* head = nullptr;
    AnimFrame** link = &head;
    for (; source; source = source->next) {
        AnimFrame* frame = allocateFrame();
        if (!frame) {
            failed = true;
            break;
        }
        copyText(frame->name, source->name);
        *link = frame;
        link = &frame->next;
    }
    return head;
}

static Stage* copyStage(const Stage* source, bool& failed) {
    Stage* stage = allocateStage();
    if (!stage) {
        failed = true;
        return nullptr;
    }
    *stage = *source;
    stage->next = nullptr;
    stage->texture = 0;
    stage->animNextTime = 0.0f;
    stage->animFrames = copyFrames(source->animFrames, failed);
    stage->animCurrent = stage->animFrames;
    return stage;
}

Stage* copyStage(const Stage* source) {
    bool failed = false;
    Stage* stage = copyStage(source, failed);
    if (failed && stage) {
        freeFrames(stage);
        freeStageRecord(stage);
    }
    return failed ? nullptr : stage;
}

Script* copyScript(const Script* source) {
    Script* script = allocateScript();
    if (!script) return nullptr;
    *script = *source;
    scriptOrigin(script) = scriptOrigin(source);
    script->next = nullptr;
    script->stages = nullptr;
    script->texturesResolved = 0;
    bool failed = false;
    Stage** link = &script->stages;
    for (const Stage* stage = source->stages; stage && !failed; stage = stage->next) {
        *link = copyStage(stage, failed);
        if (*link) link = &(*link)->next;
    }
    if (failed) {
        freeDetachedScript(script);
        return nullptr;
    }
    return script;
}

void freeDetachedScript(Script* script) {
    if (!script) return;
    emptyScript(script);
    freeScriptRecord(script);
}

// Floats compare by their bits, so a NaN typed into the panel is no change
// when it is committed again.
static bool sameFloat(float a, float b) {
    return memcmp(&a, &b, sizeof a) == 0;
}

static bool sameFrames(const AnimFrame* a, const AnimFrame* b) {
    for (; a && b; a = a->next, b = b->next)
        if (strcmp(a->name, b->name) != 0) return false;
    return !a && !b;
}

static bool sameStage(const Stage* a, const Stage* b) {
    const float floatsA[] = {a->animDelay, a->blendSrc,   a->blendDst,   a->alphaMin,
                             a->alphaMax,  a->alphaSpeed, a->scrollX,    a->scrollY,
                             a->scaleX,    a->scaleY,     a->rotateSpeed};
    const float floatsB[] = {b->animDelay, b->blendSrc,   b->blendDst,   b->alphaMin,
                             b->alphaMax,  b->alphaSpeed, b->scrollX,    b->scrollY,
                             b->scaleX,    b->scaleY,     b->rotateSpeed};
    for (size_t i = 0; i < sizeof floatsA / sizeof floatsA[0]; i++)
        if (!sameFloat(floatsA[i], floatsB[i])) return false;
    return strcmp(a->map, b->map) == 0 && a->blendEnabled == b->blendEnabled &&
           a->scrollTypeX == b->scrollTypeX && a->scrollTypeY == b->scrollTypeY &&
           a->scaleTypeX == b->scaleTypeX && a->scaleTypeY == b->scaleTypeY &&
           a->envmap == b->envmap && a->lightmap == b->lightmap && a->alphamask == b->alphamask &&
           a->animFrameCount == b->animFrameCount && sameFrames(a->animFrames, b->animFrames);
}

bool sameScriptContent(const Script* a, const Script* b) {
    if (strcmp(a->name, b->name) != 0 || a->subdivide != b->subdivide || a->safe != b->safe ||
        !sameFloat(a->warpDistance, b->warpDistance) ||
        !sameFloat(a->warpSmoothness, b->warpSmoothness) || !sameFloat(a->warpSpeed, b->warpSpeed))
        return false;
    const Stage* stageA = a->stages;
    const Stage* stageB = b->stages;
    for (; stageA && stageB; stageA = stageA->next, stageB = stageB->next)
        if (!sameStage(stageA, stageB)) return false;
    return !stageA && !stageB;
}

void swapScriptContent(Script* a, Script* b) {
    Script held = *a;
    *a = *b;
    *b = held;
    b->next = a->next;
    a->next = held.next;
}

size_t scriptMemorySize(const Script* script) {
    size_t size = sizeof(Script);
    for (const Stage* stage = script->stages; stage; stage = stage->next)
        size += sizeof(Stage) + stage->animFrameCount * sizeof(AnimFrame);
    return size;
}

int scriptIndex(const ScriptLibrary& library, const Script* script) {
    int index = 0;
    for (const Script* at = library.scripts; at; at = at->next, index++)
        if (at == script) return index;
    return -1;
}

Script* appendScriptAt(ScriptLibrary& library, const char* name, int* index) {
    Script* script = newScript(name);
    if (!script) return nullptr;
    int position = 0;
    Script** link = &library.scripts;
    for (; *link; link = &(*link)->next) position++;
    *link = script;
    *index = position;
    return script;
}

int unlinkScript(ScriptLibrary& library, Script* script) {
    int index = 0;
    for (Script** link = &library.scripts; *link; link = &(*link)->next, index++) {
        if (*link == script) {
            *link = script->next;
            script->next = nullptr;
            return index;
        }
    }
    return -1;
}

Stage* stageAt(const Script* script, int index) {
    if (!script || index < 0) return nullptr;
    Stage* stage = script->stages;
    for (; stage && index > 0; index--) stage = stage->next;
    return stage;
}

int stageIndex(const Script* script, const Stage* stage) {
    int index = 0;
    for (const Stage* at = script ? script->stages : nullptr; at; at = at->next, index++)
        if (at == stage) return index;
    return -1;
}

Script* stageOwner(const ScriptLibrary& library, const Stage* stage) {
    for (Script* script = library.scripts; script; script = script->next)
        if (stageIndex(script, stage) >= 0) return script;
    return nullptr;
}

void spliceLibrary(ScriptLibrary& library, const ScriptAt* removed, int removedCount,
                   const ScriptAt* inserted, int insertedCount) {
    Script* old = library.scripts;
    Script** link = &library.scripts;
    int oldIndex = 0;
    int newIndex = 0;
    int nextRemoved = 0;
    int nextInserted = 0;
    for (;;) {
        while (nextInserted < insertedCount && inserted[nextInserted].index == newIndex) {
            *link = inserted[nextInserted++].script;
            link = &(*link)->next;
            newIndex++;
        }
        if (!old) break;
        Script* next = old->next;
        if (nextRemoved < removedCount && removed[nextRemoved].index == oldIndex) {
            nextRemoved++;
            old->next = nullptr;
        } else {
            *link = old;
            link = &old->next;
            newIndex++;
        }
        old = next;
        oldIndex++;
    }
    // Positions past the end (never produced by the history) go last.
    for (; nextInserted < insertedCount; nextInserted++) {
        *link = inserted[nextInserted].script;
        link = &(*link)->next;
    }
    *link = nullptr;
}
