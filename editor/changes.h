// The named changes to the library. A command reads what it needs from the
// controls, then applies one of these; each change is one step of the
// history (none when it left the library as it was).
#pragma once

#include "editor_context.h"

// The stage panel's values: every property of a stage but its frames.
struct StageSettings {
    char map[TEXTURE_NAME_SIZE];
    int32_t alphamask;
    int32_t envmap;
    WaveType scrollTypeX;
    WaveType scrollTypeY;
    float scrollX;
    float scrollY;
    WaveType scaleTypeX;
    WaveType scaleTypeY;
    float scaleX;
    float scaleY;
    float rotateSpeed;
    int32_t blendEnabled;
    float blendSrc;
    float blendDst;
    float animDelay;
    float alphaMin;
    float alphaMax;
    float alphaSpeed;
};

// The script settings below the panel.
struct ScriptSettings {
    int32_t safe;
    uint8_t subdivide;
    float warpSmoothness;
    float warpDistance;
    float warpSpeed;
};

enum FrameEdit { FRAME_ADD, FRAME_DELETE, FRAME_UPDATE };

// Each returns false when it changed nothing (or memory ran out). The
// selection gives the stage that undo and redo make current again.
bool changeStageSettings(EditorContext& g, const char* stepName, Stage* stage,
                         const StageSettings& settings);
bool changeScriptSettings(EditorContext& g, Script* script, const ScriptSettings& settings);
bool renameScript(EditorContext& g, Script* script, const char* name);
Script* addScript(EditorContext& g, const char* name);
bool deleteScript(EditorContext& g, Script* script);
Stage* addStage(EditorContext& g, Script* script);
bool deleteStage(EditorContext& g, Script* script, int index);
// index is the frame deleted or updated; name the frame added or the new name.
bool changeFrames(EditorContext& g, Stage* stage, FrameEdit edit, int index, const char* name);
// Merges the files into the library in order as the reader does, as one
// step; each file is remembered as the source of its scripts. Current
// references into the scripts they replace become null. The files that cannot
// be read are added to failed (the others are still read).
void readLibraryFiles(EditorContext& g, const std::vector<std::string>& paths,
                      std::vector<std::string>& failed, bool asSources = true);
// One file; false when it cannot be read.
bool readLibraryFile(EditorContext& g, const char* path);
