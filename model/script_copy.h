// Whole-script records outside the library: deep copies, their release, and
// the in-place exchanges that the editor's history is built from. A record
// keeps its address through every exchange, so references to it stay valid.
#pragma once

#include <cstddef>

#include "script_model.h"

// A deep copy of the script with its stages and frames, unlinked. View state
// is not copied: texture slots are 0 and texturesResolved is 0 (resolve them
// again before drawing), each stage's animation starts at its first frame.
// The origin is copied: the copy stands for the same text of the same file.
// Null when memory runs out.
Script* copyScript(const Script* source);
// A deep copy of one stage with its frames, unlinked, in the view state of
// copyScript's stages. Null when memory runs out.
Stage* copyStage(const Stage* source);
// Releases an unlinked script with its stages and frames. Nobody is told: the
// record was not in the library.
void freeDetachedScript(Script* script);
// True when the two scripts would be written alike and hold the same values:
// name, settings, stages and frames. View state is ignored.
bool sameScriptContent(const Script* a, const Script* b);
// Exchanges everything but the list link between two records.
void swapScriptContent(Script* a, Script* b);
// Bytes held by the script, its stages and its frames.
size_t scriptMemorySize(const Script* script);

// The position of the script in the library, or -1.
int scriptIndex(const ScriptLibrary& library, const Script* script);
// The stage at index of the script, or null; the index of a stage, or -1.
Stage* stageAt(const Script* script, int index);
int stageIndex(const Script* script, const Stage* stage);
// The library script that owns the stage, or null.
Script* stageOwner(const ScriptLibrary& library, const Stage* stage);

// appendScript that also gives the new script's position, in one walk.
Script* appendScriptAt(ScriptLibrary& library, const char* name, int* index);
// Takes the script out of the library without releasing it; its position
// before, or -1 when it was not in the library. One walk.
int unlinkScript(ScriptLibrary& library, Script* script);

// A record and its position in the library.
struct ScriptAt {
    int index;
    Script* script;
};

// Relinks the library in one pass: unlinks the scripts of removed (positions
// in the library as it is, ascending), then links those of inserted at their
// positions in the result (ascending). Every other script keeps its order.
void spliceLibrary(ScriptLibrary& library, const ScriptAt* removed, int removedCount,
                   const ScriptAt* inserted, int insertedCount);
