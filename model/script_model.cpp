// The script library and its records. Every list is singly linked and
// null-terminated; new records go to the tail so list order is creation order.
#include "script_model.h"
#include "model_internal.h"
#include "script_library.h"

#include <cstdlib>
#include <cstring>

void copyText(char* dst, int dstSize, const char* src) {
    if (dstSize <= 0) return;
    size_t length = src ? strnlen(src, (size_t)dstSize - 1) : 0;
    memcpy(dst, src, length);
    dst[length] = '\0';
}

// ---------------------------------------------------------------------------
// Scripts

int compareNoCase(const char* a, const char* b) {
    for (;; a++, b++) {
        unsigned char ca = (unsigned char)*a, cb = (unsigned char)*b;
        if (ca == cb) {  // the common case: the same byte
            if (ca == 0) return 0;
            continue;
        }
        int difference = foldCase(ca) - foldCase(cb);
        if (difference) return difference;
    }
}

Script* newScript(const char* name) {
    Script* script = allocateScript();
    if (!script) return nullptr;
    copyText(script->name, name);
    // Records come zeroed: so are subdivide, the warp values, safe,
    // texturesResolved, stages and next.
    return script;
}

Script* appendScript(ScriptLibrary& library, const char* name) {
    Script* script = newScript(name);
    if (!script) return nullptr;
    Script** link = &library.scripts;
    while (*link) link = &(*link)->next;
    *link = script;
    return script;
}

Script* findScript(const ScriptLibrary& library, const char* name) {
    for (Script* script = library.scripts; script; script = script->next)
        if (compareNoCase(script->name, name) == 0) return script;
    return nullptr;
}

void freeFrames(Stage* stage) {
    AnimFrame* frame = stage->animFrames;
    while (frame) {
        AnimFrame* next = frame->next;
        freeFrameRecord(frame);
        frame = next;
    }
    stage->animFrames = nullptr;
    stage->animCurrent = nullptr;
    stage->animFrameCount = 0;
}

void emptyScript(Script* script) {
    script->name[0] = '\0';
    Stage* stage = script->stages;
    while (stage) {
        Stage* next = stage->next;
        freeFrames(stage);
        freeStageRecord(stage);
        stage = next;
    }
    script->stages = nullptr;
    script->subdivide = 0;
    script->warpDistance = 0.0f;
    script->warpSmoothness = 0.0f;
    script->warpSpeed = 0.0f;
    script->safe = 0;
    script->texturesResolved = 0;
}

void removeScript(ScriptLibrary& library, Script* script) {
    if (!script) return;
    for (Script** link = &library.scripts; *link; link = &(*link)->next) {
        if (*link == script) {
            *link = script->next;
            break;
        }
    }
    library.typedTexts.erase(script);
    emptyScript(script);
    freeScriptRecord(script);
}

void freeAllScripts(ScriptLibrary& library) {
    Script* script = library.scripts;
    while (script) {
        Script* next = script->next;
        emptyScript(script);
        freeScriptRecord(script);
        script = next;
    }
    library.scripts = nullptr;
}

// ---------------------------------------------------------------------------
// Stages

void resetStage(Stage* stage) {
    freeFrames(stage);
    stage->texture = 0;
    stage->animDelay = 0.0f;
    stage->animNextTime = 0.0f;
    stage->blendSrc = 0.0f;
    stage->blendDst = 0.0f;
    stage->blendEnabled = 0;
    stage->alphaMin = 0.0f;
    stage->alphaMax = 0.0f;
    stage->alphaSpeed = 0.0f;
    stage->scrollTypeX = WAVE_STATIC;
    stage->scrollTypeY = WAVE_STATIC;
    stage->scrollX = 0.0f;
    stage->scrollY = 0.0f;
    stage->scaleTypeX = WAVE_STATIC;
    stage->scaleTypeY = WAVE_STATIC;
    stage->scaleX = 0.0f;
    stage->scaleY = 0.0f;
    stage->rotateSpeed = 0.0f;
    stage->envmap = 0;
    stage->lightmap = 1;
    stage->alphamask = 0;
}

Stage* newStage(const char* map) {
    Stage* stage = allocateStage();
    if (!stage) return nullptr;
    copyText(stage->map, map);
    resetStage(stage);
    return stage;
}

static Stage* appendStageWithMap(Script* script, const char* map) {
    Stage* stage = newStage(map);
    if (!stage) return nullptr;
    Stage** link = &script->stages;
    while (*link) link = &(*link)->next;
    *link = stage;
    return stage;
}

Stage* appendStage(Script* script) {
    return appendStageWithMap(script, "pics/noimage.tga");
}

Stage* appendEmptyStage(Script* script) {
    return appendStageWithMap(script, "");
}

void deleteStageAt(Script* script, int index) {
    if (index < 0) return;
    Stage** link = &script->stages;
    for (int i = 0; *link && i < index; i++) link = &(*link)->next;
    Stage* stage = *link;
    if (!stage) return;
    *link = stage->next;
    resetStage(stage);
    freeStageRecord(stage);
}
