// The properties side of the editor window: the current stage's panel, the
// current script's settings below it, Submit and the Animation group.
// Values typed into these controls stay there until a commit reads them back.
#include "changes.h"
#include "control_ids.h"
#include "editor.h"
#include "numbers.h"
#include "platform.h"
#include "script_file.h"
#include "textures.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

// Numbers pass through a buffer of this size both ways.
static constexpr int NUMBER_TEXT_SIZE = 128;

// Index 2 and 3 name the destination colour pair in the source list and the
// source colour pair in the destination list; blendFactorToComboIndex maps
// both pairs to the same indices.
const char* const SOURCE_BLEND_NAMES[9] = {
    "GL_ZERO",
    "GL_ONE",
    "GL_DST_COLOR",
    "GL_ONE_MINUS_DST_COLOR",
    "GL_SRC_ALPHA",
    "GL_ONE_MINUS_SRC_ALPHA",
    "GL_DST_ALPHA",
    "GL_ONE_MINUS_DST_ALPHA",
    "GL_SRC_ALPHA_SATURATE",
};
const char* const DEST_BLEND_NAMES[8] = {
    "GL_ZERO",      "GL_ONE",
    "GL_SRC_COLOR", "GL_ONE_MINUS_SRC_COLOR",
    "GL_SRC_ALPHA", "GL_ONE_MINUS_SRC_ALPHA",
    "GL_DST_ALPHA", "GL_ONE_MINUS_DST_ALPHA",
};

static const char* const WAVE_NAMES[3] = {"Static", "Sine", "Cosine"};

// ---------------------------------------------------------------------------
// Control helpers

static void showNumber(int id, float value) {
    char text[NUMBER_TEXT_SIZE];
    formatFloat(text, sizeof text, value);
    platform->setText(id, text);
}

static float readNumber(int id) {
    char text[NUMBER_TEXT_SIZE] = {};
    platform->getText(id, text, sizeof text);
    return (float)textToDouble(text);
}

static int32_t readCheck(int id) {
    return platform->isChecked(id) ? 1 : 0;
}

// The stored byte is taken as signed, so 255 (a list read without a
// selection) selects nothing again.
static void showWave(int id, WaveType wave) {
    platform->comboSetSelection(id, (int8_t)wave);
}

// No selection stores 255.
static WaveType readWave(int id) {
    return (WaveType)platform->comboSelection(id);
}

// The factor named by the selected entry; GL_ZERO without a selection.
static float readBlendFactor(int id) {
    char name[NUMBER_TEXT_SIZE] = {};
    platform->comboItemText(id, platform->comboSelection(id), name, sizeof name);
    return blendFactorFromName(name);
}

static void fillCombo(int id, const char* const* names, int count) {
    platform->comboReset(id);
    for (int i = 0; i < count; i++) platform->comboAdd(id, names[i]);
}

// ---------------------------------------------------------------------------
// Show and read

void initEditorControls() {
    const int waveLists[] = {IDC_SCROLL_TYPE_X, IDC_SCROLL_TYPE_Y, IDC_SCALE_TYPE_X,
                             IDC_SCALE_TYPE_Y};
    for (int id : waveLists) fillCombo(id, WAVE_NAMES, 3);
    fillCombo(IDC_BLEND_SRC, SOURCE_BLEND_NAMES, 9);
    fillCombo(IDC_BLEND_DST, DEST_BLEND_NAMES, 8);
}

void showScriptProperties(Script* script) {
    platform->setCheck(IDC_SAFE, script->safe != 0);
    char text[NUMBER_TEXT_SIZE];
    snprintf(text, sizeof text, "%i", (int)script->subdivide);
    platform->setText(IDC_SUBDIVIDE, text);
    showNumber(IDC_WARP_DISTANCE, script->warpDistance);
    showNumber(IDC_WARP_SMOOTHNESS, script->warpSmoothness);
    showNumber(IDC_WARP_SPEED, script->warpSpeed);
}

void readScriptSettings(ScriptSettings& settings) {
    settings.safe = readCheck(IDC_SAFE);
    char text[NUMBER_TEXT_SIZE] = {};
    platform->getText(IDC_SUBDIVIDE, text, sizeof text);
    settings.subdivide = (uint8_t)(textToInt(text) & 0xFF);  // no clamping: 300 is 44
    settings.warpSmoothness = readNumber(IDC_WARP_SMOOTHNESS);
    settings.warpDistance = readNumber(IDC_WARP_DISTANCE);
    settings.warpSpeed = readNumber(IDC_WARP_SPEED);
}

void readScriptProperties(Script* script) {
    ScriptSettings settings;
    readScriptSettings(settings);
    changeScriptSettings(script, settings);
}

int blendFactorToComboIndex(float factor) {
    static const float FACTORS_BY_INDEX[][2] = {
        {0, 0},     {1, 1},     {768, 774}, {769, 775}, {770, 770},
        {771, 771}, {772, 772}, {773, 773}, {776, 776},
    };
    for (int i = 0; i < 9; i++)
        if (factor == FACTORS_BY_INDEX[i][0] || factor == FACTORS_BY_INDEX[i][1]) return i;
    return 0;
}

// With blending off both lists show GL_ZERO, whatever the stage holds.
static void showBlend(const Stage* stage) {
    bool on = stage->blendEnabled != 0;
    platform->setCheck(IDC_BLENDFUNC, on);
    platform->comboSetSelection(IDC_BLEND_SRC, on ? blendFactorToComboIndex(stage->blendSrc) : 0);
    platform->comboSetSelection(IDC_BLEND_DST, on ? blendFactorToComboIndex(stage->blendDst) : 0);
}

static void showFrames(const Stage* stage) {
    showFrameNames(stage);
    if (stage->animFrameCount == 0) {
        platform->setText(IDC_ANIM_DELAY, "0");
        return;
    }
    showNumber(IDC_ANIM_DELAY, stage->animDelay);
}

void showStageProperties(Stage* stage) {
    platform->setCheck(IDC_ALPHA_MASK, stage->alphamask != 0);
    platform->setCheck(IDC_SPHERE_MAPPING, stage->envmap != 0);
    platform->setText(IDC_TEXTURE_MAP, stage->map);
    showWave(IDC_SCROLL_TYPE_X, stage->scrollTypeX);
    showNumber(IDC_SCROLL_X, stage->scrollX);
    showWave(IDC_SCROLL_TYPE_Y, stage->scrollTypeY);
    showNumber(IDC_SCROLL_Y, stage->scrollY);
    showWave(IDC_SCALE_TYPE_X, stage->scaleTypeX);
    showNumber(IDC_SCALE_X, stage->scaleX);
    showWave(IDC_SCALE_TYPE_Y, stage->scaleTypeY);
    showNumber(IDC_SCALE_Y, stage->scaleY);
    showBlend(stage);
    showNumber(IDC_ALPHA_MIN, stage->alphaMin);
    showNumber(IDC_ALPHA_MAX, stage->alphaMax);
    showNumber(IDC_ALPHA_SPEED, stage->alphaSpeed);
    showNumber(IDC_ROTATE_SPEED, stage->rotateSpeed);
    showFrames(stage);
}

// The frame list is not read here: its own buttons commit it at once.
void readStageSettings(StageSettings& settings) {
    settings.alphamask = readCheck(IDC_ALPHA_MASK);
    settings.envmap = readCheck(IDC_SPHERE_MAPPING);
    settings.map[0] = '\0';
    platform->getText(IDC_TEXTURE_MAP, settings.map, sizeof settings.map);
    settings.scrollTypeX = readWave(IDC_SCROLL_TYPE_X);
    settings.scrollTypeY = readWave(IDC_SCROLL_TYPE_Y);
    settings.scrollX = readNumber(IDC_SCROLL_X);
    settings.scrollY = readNumber(IDC_SCROLL_Y);
    settings.scaleTypeX = readWave(IDC_SCALE_TYPE_X);
    settings.scaleTypeY = readWave(IDC_SCALE_TYPE_Y);
    settings.scaleX = readNumber(IDC_SCALE_X);
    settings.scaleY = readNumber(IDC_SCALE_Y);
    settings.rotateSpeed = readNumber(IDC_ROTATE_SPEED);
    settings.blendEnabled = readCheck(IDC_BLENDFUNC);
    settings.blendSrc = readBlendFactor(IDC_BLEND_SRC);
    settings.blendDst = readBlendFactor(IDC_BLEND_DST);
    settings.animDelay = readNumber(IDC_ANIM_DELAY);
    settings.alphaMin = readNumber(IDC_ALPHA_MIN);
    settings.alphaMax = readNumber(IDC_ALPHA_MAX);
    settings.alphaSpeed = readNumber(IDC_ALPHA_SPEED);
}

// The commit of a selection change or a Save.
void readStageProperties(Stage* stage) {
    StageSettings settings;
    readStageSettings(settings);
    changeStageSettings("Stage Properties", stage, settings);
}

// ---------------------------------------------------------------------------
// Animation frames

static bool haveScriptAndStage() {
    return currentScript && currentStage;
}

static int selectedFrame() {
    return platform->listSelection(IDC_FRAME_LIST);
}

static void readFrameName(char (&name)[TEXTURE_NAME_SIZE]) {
    memset(name, 0, sizeof name);
    platform->getText(IDC_FRAME_NAME, name, sizeof name);
}

void showFrameNames(const Stage* stage) {
    platform->listReset(IDC_FRAME_LIST);
    for (const AnimFrame* frame = stage->animFrames; frame; frame = frame->next)
        platform->listAdd(IDC_FRAME_LIST, frame->name);
}

// Ends every frame button: the stage takes the edit, the list shows the
// stage's frames, and the edit box empties. An added frame keeps the
// selection; a deleted or updated one leaves none.
static int commitFrameEdit(FrameEdit edit, int index, const char* name) {
    changeFrames(currentStage, edit, index, name);
    showFrameNames(currentStage);
    if (edit == FRAME_ADD) platform->listSetSelection(IDC_FRAME_LIST, index);
    platform->setText(IDC_FRAME_NAME, "");
    return 0;
}

int onFrameListCommand() {
    if (!haveScriptAndStage() || selectedFrame() == NO_SELECTION) return 1;
    char name[TEXTURE_NAME_SIZE] = {};
    platform->listItemText(IDC_FRAME_LIST, selectedFrame(), name, sizeof name);
    platform->setText(IDC_FRAME_NAME, name);
    return 0;
}

int onFrameAdd() {
    if (!haveScriptAndStage()) return 1;
    char name[TEXTURE_NAME_SIZE];
    readFrameName(name);
    if (strlen(name) < 2) return 1;
    // The frame count is 8 bits: a full stage takes no more frames.
    if (currentStage->animFrameCount >= MAX_ANIM_FRAMES) return 1;
    return commitFrameEdit(FRAME_ADD, selectedFrame(), name);
}

int onFrameDelete() {
    if (!haveScriptAndStage() || selectedFrame() == NO_SELECTION) return 1;
    return commitFrameEdit(FRAME_DELETE, selectedFrame(), "");
}

int onFrameUpdate() {
    if (!haveScriptAndStage() || selectedFrame() == NO_SELECTION) return 1;
    char name[TEXTURE_NAME_SIZE];
    readFrameName(name);
    return commitFrameEdit(FRAME_UPDATE, selectedFrame(), name);
}

// ---------------------------------------------------------------------------
// Submit

int onSubmit() {
    if (!currentScript) return 0;
    if (currentStage) {
        StageSettings settings;
        readStageSettings(settings);
        changeStageSettings("Submit", currentStage, settings);
    }
    resolveScriptTextures(currentScript);
    return 0;
}
