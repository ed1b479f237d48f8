// The in-memory library of Veltra scripts: plain records chained into
// singly linked lists, and the free functions that create and release them.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int SCRIPT_NAME_SIZE = 48;    // 47 characters and the NUL
constexpr int TEXTURE_NAME_SIZE = 256;  // 255 characters and the NUL
constexpr int MAX_ANIM_FRAMES = 255;    // limit of the 8-bit frame count

typedef uint8_t WaveType;
enum : WaveType { WAVE_STATIC = 0, WAVE_SINE = 1, WAVE_COSINE = 2 };

struct AnimFrame {
    int32_t texture;  // texture slot of name; 0 until resolved
    char name[TEXTURE_NAME_SIZE];
    AnimFrame* next;
};

struct Stage {
    int32_t texture;  // texture slot of map; 0 until resolved
    char map[TEXTURE_NAME_SIZE];
    AnimFrame* animFrames;  // owned
    float animDelay;
    float animNextTime;
    uint8_t animFrameCount;  // always the length of animFrames
    AnimFrame* animCurrent;  // one of animFrames, or null
    float blendSrc;          // GL blend-factor enum value held as a float
    float blendDst;
    int32_t blendEnabled;
    float alphaMin;
    float alphaMax;
    float alphaSpeed;
    WaveType scrollTypeX;
    WaveType scrollTypeY;
    float scrollX;
    float scrollY;
    WaveType scaleTypeX;
    WaveType scaleTypeY;
    float scaleX;
    float scaleY;
    float rotateSpeed;
    int32_t envmap;
    int32_t lightmap;
    int32_t alphamask;
    Stage* next;
};

struct Script {
    char name[SCRIPT_NAME_SIZE];
    uint8_t subdivide;
    float warpDistance;
    float warpSmoothness;
    float warpSpeed;
    int32_t safe;
    int32_t texturesResolved;
    Stage* stages;  // owned
    Script* next;
};

// Where a script of a library was read from: the file (an index into the
// library's files, plus one) and the bytes of its text there, from its name
// to its closing brace, in the file's text of that generation. Kept beside
// each script record made by allocateScript, outside its layout; all zero
// for a script without a file.
struct ScriptOrigin {
    uint32_t file;
    uint32_t generation;
    uint64_t begin;
    uint64_t end;
    uint64_t touched;  // not 0: a change may have altered the script since that text
};
// The origin beside a script record; only for records made by allocateScript.
ScriptOrigin& scriptOrigin(Script* script);
const ScriptOrigin& scriptOrigin(const Script* script);

// Every record is made and released through these: zero-filled records
// (null when memory runs out), carved from large blocks. Releasing a record
// releases nothing it points to.
Script* allocateScript();
Stage* allocateStage();
AnimFrame* allocateFrame();
void freeScriptRecord(Script* script);
void freeStageRecord(Stage* stage);
void freeFrameRecord(AnimFrame* frame);
// Records made and not yet released; 0 once the library is freed.
size_t recordsInUse();
// Gives the blocks back to the system when no record is in use; until then
// released records are kept for reuse (the program's teardown calls it).
void releaseRecordBlocks();
// A buffer of its own pages for large texts; released with its size.
void* allocateLarge(size_t size);
void freeLarge(void* buffer, size_t size);

struct ScriptLibrary;  // script_library.h

// Links a new script with the name (cut to fit) at the tail of the library.
// Null, and the library unchanged, when memory runs out.
Script* appendScript(ScriptLibrary& library, const char* name);
// The first script of the name in library order, ignoring ASCII case; null
// when there is none.
Script* findScript(const ScriptLibrary& library, const char* name);
// Unlinks the script and releases it with its stages and frames. Whoever
// holds a reference to it (a selection) must drop it.
void removeScript(ScriptLibrary& library, Script* script);
// Releases the stages and frames of the script and clears its settings; the
// record itself stays.
void emptyScript(Script* script);
// Releases every script; the history is left to its owner.
void freeAllScripts(ScriptLibrary& library);

Stage* appendStage(Script* script);       // map "pics/noimage.tga" (reader)
Stage* appendEmptyStage(Script* script);  // empty map (editor's stage Add)
void resetStage(Stage* stage);
// Releases every frame of the stage; leaves animFrames, animCurrent and
// animFrameCount empty.
void freeFrames(Stage* stage);
void deleteStageAt(Script* script, int index);

// Copies src into a fixed array of dstSize bytes, cutting it to fit.
void copyText(char* dst, int dstSize, const char* src);
template <int N>
inline void copyText(char (&dst)[N], const char* src) {
    copyText(dst, N, src);
}

// Compares two texts ignoring ASCII letter case, whatever the process
// locale; negative, zero or positive like strcmp.
int compareNoCase(const char* a, const char* b);
