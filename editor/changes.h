// The named changes to the library. A command reads what it needs from the
// controls, then applies one of these; each change is one step of the
// history (none when it left the library as it was).
#pragma once

#include "editor_context.h"

#include <string>

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
// Moving and copying. Each is one step named as its command ("Move Stage Up").
// Moves the stage at from of the script to the position to.
bool moveStage(EditorContext& g, Script* script, int from, int to);
// A copy of the stage at index, put right after it; null when nothing changed.
Stage* duplicateStage(EditorContext& g, Script* script, int index);
// The stages of text in the file format, put after the stage at index (-1:
// after the last). Text that begins with "{" holds stages as a script's body
// holds them; any other text holds scripts, whose stages are taken. The last
// stage put, or null when the text holds none.
Stage* pasteStages(EditorContext& g, Script* script, int index, const std::string& text);
// A copy of the script right after it, named "NAME_copy", "NAME_copy2", ...
Script* duplicateScript(EditorContext& g, Script* script);
// The scripts of text in the file format, put after the script (null: at the
// end); a name the library holds is changed as a duplicate's is. The first
// script put, or null when the text holds none.
Script* pasteScripts(EditorContext& g, Script* after, const std::string& text);

// Merges the files into the library in order as the reader does, as one
// step; each file is remembered as the source of its scripts. Current
// references into the scripts they replace become null. The files that cannot
// be read are added to failed (the others are still read).
void readLibraryFiles(EditorContext& g, const std::vector<std::string>& paths,
                      std::vector<std::string>& failed, bool asSources = true);
// One file; false when it cannot be read.
bool readLibraryFile(EditorContext& g, const char* path);
