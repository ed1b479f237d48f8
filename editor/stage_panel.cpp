// The stage panel, the script settings below it, Submit and the Animation
// group's frame buttons (Frame Add, Delete and Update).
// Values typed into these controls stay there until a commit reads them back.
#include "changes.h"
#include "control_ids.h"
#include "editor.h"
#include "numbers.h"
#include "script_file.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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

const PanelNumberBox PANEL_NUMBER_BOXES[PANEL_NUMBER_BOX_COUNT] = {
    {IDC_SCROLL_X, "X Scroll", false, true},
    {IDC_SCROLL_Y, "Y Scroll", false, true},
    {IDC_ANIM_DELAY, "Delay", false, true},
    {IDC_ROTATE_SPEED, "Rotate Speed", false, true},
    {IDC_SCALE_X, "X Scale", false, true},
    {IDC_SCALE_Y, "Y Scale", false, true},
    {IDC_ALPHA_MIN, "Minimum Alpha", false, true},
    {IDC_ALPHA_MAX, "Maximum Alpha", false, true},
    {IDC_ALPHA_SPEED, "Alpha Shift Speed", false, true},
    {IDC_SUBDIVIDE, "Subdivide", true, false},
    {IDC_WARP_SPEED, "Warp Speed", false, false},
    {IDC_WARP_DISTANCE, "Warp Distance", false, false},
    {IDC_WARP_SMOOTHNESS, "Warp Smoothness", false, false},
};

bool numberBoxAccepts(int id, const char* text) {
    for (const PanelNumberBox& box : PANEL_NUMBER_BOXES)
        if (box.id == id) return isWholeNumber(text, box.integer);
    return true;
}

// ---------------------------------------------------------------------------
// Control helpers

static void showNumber(Platform& ui, int id, float value) {
    char text[NUMBER_TEXT_SIZE];
    formatFloat(text, sizeof text, value);
    ui.setText(id, text);
}

// The box's number; a box that still shows the record's value as showNumber
// wrote it gives that value back whole, so that a commit of an untouched
// panel keeps digits the box does not show (a file's 1.2345678).
static float readNumber(Platform& ui, int id, float shown) {
    char text[NUMBER_TEXT_SIZE] = {};
    ui.getText(id, text, sizeof text);
    char showing[NUMBER_TEXT_SIZE];
    formatFloat(showing, sizeof showing, shown);
    return strcmp(text, showing) == 0 ? shown : (float)textToDouble(text);
}

static int32_t readCheck(Platform& ui, int id) {
    return ui.isChecked(id) ? 1 : 0;
}

// The stored byte is taken as signed, so 255 (a list read without a
// selection) selects nothing again.
static void showWave(Platform& ui, int id, WaveType wave) {
    ui.comboSetSelection(id, (int8_t)wave);
}

// No selection stores 255.
static WaveType readWave(Platform& ui, int id) {
    return (WaveType)ui.comboSelection(id);
}

// The factor named by the selected entry; GL_ZERO without a selection.
static float readBlendFactor(Platform& ui, int id) {
    char name[NUMBER_TEXT_SIZE] = {};
    ui.comboItemText(id, ui.comboSelection(id), name, sizeof name);
    return blendFactorFromName(name);
}

static void fillCombo(Platform& ui, int id, const char* const* names, int count) {
    ui.comboReset(id);
    for (int i = 0; i < count; i++) ui.comboAdd(id, names[i]);
}

// ---------------------------------------------------------------------------
// Show and read

void initEditorControls(Platform& ui) {
    const int waveLists[] = {IDC_SCROLL_TYPE_X, IDC_SCROLL_TYPE_Y, IDC_SCALE_TYPE_X,
                             IDC_SCALE_TYPE_Y};
    for (int id : waveLists) fillCombo(ui, id, WAVE_NAMES, 3);
    fillCombo(ui, IDC_BLEND_SRC, SOURCE_BLEND_NAMES, 9);
    fillCombo(ui, IDC_BLEND_DST, DEST_BLEND_NAMES, 8);
}

void showScriptProperties(Platform& ui, const Script* script) {
    ui.setCheck(IDC_SAFE, script->safe != 0);
    char text[NUMBER_TEXT_SIZE];
    snprintf(text, sizeof text, "%i", (int)script->subdivide);
    ui.setText(IDC_SUBDIVIDE, text);
    showNumber(ui, IDC_WARP_DISTANCE, script->warpDistance);
    showNumber(ui, IDC_WARP_SMOOTHNESS, script->warpSmoothness);
    showNumber(ui, IDC_WARP_SPEED, script->warpSpeed);
}

void readScriptSettings(Platform& ui, ScriptSettings& settings, const Script& shown) {
    settings.safe = readCheck(ui, IDC_SAFE);
    char text[NUMBER_TEXT_SIZE] = {};
    ui.getText(IDC_SUBDIVIDE, text, sizeof text);
    settings.subdivide = (uint8_t)(textToInt(text) & 0xFF);  // no clamping: 300 is 44
    settings.warpSmoothness = readNumber(ui, IDC_WARP_SMOOTHNESS, shown.warpSmoothness);
    settings.warpDistance = readNumber(ui, IDC_WARP_DISTANCE, shown.warpDistance);
    settings.warpSpeed = readNumber(ui, IDC_WARP_SPEED, shown.warpSpeed);
}

void readScriptProperties(EditorContext& g, Script* script) {
    ScriptSettings settings;
    readScriptSettings(*g.platform, settings, *script);
    changeScriptSettings(g, script, settings);
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
static void showBlend(Platform& ui, const Stage* stage) {
    bool on = stage->blendEnabled != 0;
    ui.setCheck(IDC_BLENDFUNC, on);
    ui.comboSetSelection(IDC_BLEND_SRC, on ? blendFactorToComboIndex(stage->blendSrc) : 0);
    ui.comboSetSelection(IDC_BLEND_DST, on ? blendFactorToComboIndex(stage->blendDst) : 0);
}

static void showFrames(Platform& ui, const Stage* stage) {
    showFrameNames(ui, stage);
    if (stage->animFrameCount == 0) {
        ui.setText(IDC_ANIM_DELAY, "0");
        return;
    }
    showNumber(ui, IDC_ANIM_DELAY, stage->animDelay);
}

void showStageProperties(Platform& ui, const Stage* stage) {
    ui.setCheck(IDC_ALPHA_MASK, stage->alphamask != 0);
    ui.setCheck(IDC_SPHERE_MAPPING, stage->envmap != 0);
    ui.setText(IDC_TEXTURE_MAP, stage->map);
    showWave(ui, IDC_SCROLL_TYPE_X, stage->scrollTypeX);
    showNumber(ui, IDC_SCROLL_X, stage->scrollX);
    showWave(ui, IDC_SCROLL_TYPE_Y, stage->scrollTypeY);
    showNumber(ui, IDC_SCROLL_Y, stage->scrollY);
    showWave(ui, IDC_SCALE_TYPE_X, stage->scaleTypeX);
    showNumber(ui, IDC_SCALE_X, stage->scaleX);
    showWave(ui, IDC_SCALE_TYPE_Y, stage->scaleTypeY);
    showNumber(ui, IDC_SCALE_Y, stage->scaleY);
    showBlend(ui, stage);
    showNumber(ui, IDC_ALPHA_MIN, stage->alphaMin);
    showNumber(ui, IDC_ALPHA_MAX, stage->alphaMax);
    showNumber(ui, IDC_ALPHA_SPEED, stage->alphaSpeed);
    showNumber(ui, IDC_ROTATE_SPEED, stage->rotateSpeed);
    showFrames(ui, stage);
}

// The frame list is not read here: its own buttons commit it at once.
void readStageSettings(Platform& ui, StageSettings& settings, const Stage& shown) {
    settings.alphamask = readCheck(ui, IDC_ALPHA_MASK);
    settings.envmap = readCheck(ui, IDC_SPHERE_MAPPING);
    settings.map[0] = '\0';
    ui.getText(IDC_TEXTURE_MAP, settings.map, sizeof settings.map);
    settings.scrollTypeX = readWave(ui, IDC_SCROLL_TYPE_X);
    settings.scrollTypeY = readWave(ui, IDC_SCROLL_TYPE_Y);
    settings.scrollX = readNumber(ui, IDC_SCROLL_X, shown.scrollX);
    settings.scrollY = readNumber(ui, IDC_SCROLL_Y, shown.scrollY);
    settings.scaleTypeX = readWave(ui, IDC_SCALE_TYPE_X);
    settings.scaleTypeY = readWave(ui, IDC_SCALE_TYPE_Y);
    settings.scaleX = readNumber(ui, IDC_SCALE_X, shown.scaleX);
    settings.scaleY = readNumber(ui, IDC_SCALE_Y, shown.scaleY);
    settings.rotateSpeed = readNumber(ui, IDC_ROTATE_SPEED, shown.rotateSpeed);
    settings.blendEnabled = readCheck(ui, IDC_BLENDFUNC);
    settings.blendSrc = readBlendFactor(ui, IDC_BLEND_SRC);
    settings.blendDst = readBlendFactor(ui, IDC_BLEND_DST);
    settings.animDelay = readNumber(ui, IDC_ANIM_DELAY, shown.animDelay);
    settings.alphaMin = readNumber(ui, IDC_ALPHA_MIN, shown.alphaMin);
    settings.alphaMax = readNumber(ui, IDC_ALPHA_MAX, shown.alphaMax);
    settings.alphaSpeed = readNumber(ui, IDC_ALPHA_SPEED, shown.alphaSpeed);
}

// The commit of a selection change or a Save.
void readStageProperties(EditorContext& g, Stage* stage) {
    StageSettings settings;
    readStageSettings(*g.platform, settings, *stage);
    changeStageSettings(g, "Stage Properties", stage, settings);
}

// Every stage control empty: no stage is shown.
void clearStageProperties(Platform& ui) {
    for (int id : {IDC_ALPHA_MASK, IDC_SPHERE_MAPPING, IDC_BLENDFUNC}) ui.setCheck(id, false);
    for (int id : {IDC_SCROLL_TYPE_X, IDC_SCROLL_TYPE_Y, IDC_SCALE_TYPE_X, IDC_SCALE_TYPE_Y,
                   IDC_BLEND_SRC, IDC_BLEND_DST})
        ui.comboSetSelection(id, NO_SELECTION);
    for (const PanelNumberBox& box : PANEL_NUMBER_BOXES)
        if (box.ofStage) ui.setText(box.id, "");
    ui.setText(IDC_TEXTURE_MAP, "");
    ui.setText(IDC_FRAME_NAME, "");
    ui.listReset(IDC_FRAME_LIST);
}

// ---------------------------------------------------------------------------
// Animation frames

static bool haveScriptAndStage(const EditorContext& g) {
    return g.selection.currentScript && g.selection.currentStage;
}

static int selectedFrame(Platform& ui) {
    return ui.listSelection(IDC_FRAME_LIST);
}

static void readFrameName(Platform& ui, char (&name)[TEXTURE_NAME_SIZE]) {
    memset(name, 0, sizeof name);
    ui.getText(IDC_FRAME_NAME, name, sizeof name);
}

void showFrameNames(Platform& ui, const Stage* stage) {
    ui.listReset(IDC_FRAME_LIST);
    for (const AnimFrame* frame = stage->animFrames; frame; frame = frame->next)
        ui.listAdd(IDC_FRAME_LIST, frame->name);
}

// Ends every frame button: the stage takes the edit, the list shows the
// stage's frames, and the edit box empties. An added frame keeps the
// selection; a deleted or updated one leaves none.
static int commitFrameEdit(EditorContext& g, FrameEdit edit, int index, const char* name) {
    Stage* stage = g.selection.currentStage;
    changeFrames(g, stage, edit, index, name);
    showFrameNames(*g.platform, stage);
    if (edit == FRAME_ADD) g.platform->listSetSelection(IDC_FRAME_LIST, index);
    g.platform->setText(IDC_FRAME_NAME, "");
    return 0;
}

int onFrameListCommand(EditorContext& g) {
    Platform& ui = *g.platform;
    if (!haveScriptAndStage(g) || selectedFrame(ui) == NO_SELECTION) return 1;
    char name[TEXTURE_NAME_SIZE] = {};
    ui.listItemText(IDC_FRAME_LIST, selectedFrame(ui), name, sizeof name);
    ui.setText(IDC_FRAME_NAME, name);
    return 0;
}

int onFrameAdd(EditorContext& g) {
    if (!haveScriptAndStage(g)) return 1;
    char name[TEXTURE_NAME_SIZE];
    readFrameName(*g.platform, name);
    if (strlen(name) < 2) return 1;
    // The frame count is 8 bits: a full stage takes no more frames.
    if (g.selection.currentStage->animFrameCount >= MAX_ANIM_FRAMES) return 1;
    return commitFrameEdit(g, FRAME_ADD, selectedFrame(*g.platform), name);
}

int onFrameDelete(EditorContext& g) {
    if (!haveScriptAndStage(g) || selectedFrame(*g.platform) == NO_SELECTION) return 1;
    return commitFrameEdit(g, FRAME_DELETE, selectedFrame(*g.platform), "");
}

int onFrameUpdate(EditorContext& g) {
    if (!haveScriptAndStage(g) || selectedFrame(*g.platform) == NO_SELECTION) return 1;
    char name[TEXTURE_NAME_SIZE];
    readFrameName(*g.platform, name);
    return commitFrameEdit(g, FRAME_UPDATE, selectedFrame(*g.platform), name);
}

// ---------------------------------------------------------------------------
// Submit

// Names the number boxes whose text is not a number in one message; true
// when there is any. Their values would not be what the user typed.
static bool refuseMarkedBoxes(Platform& ui) {
    std::string marked;
    for (const PanelNumberBox& box : PANEL_NUMBER_BOXES) {
        char text[NUMBER_TEXT_SIZE] = {};
        ui.getText(box.id, text, sizeof text);
        if (!isWholeNumber(text, box.integer))
            marked += (marked.empty() ? "" : ", ") + std::string(box.label);
    }
    if (marked.empty()) return false;
    const std::string message =
        "These boxes do not hold a number: " + marked + ".\nCorrect them, then Submit again.";
    ui.showMessageBox("Submit", message.c_str());
    return true;
}

int onSubmit(EditorContext& g) {
    Selection& s = g.selection;
    if (!s.currentScript) return 0;
    if (refuseMarkedBoxes(*g.platform)) return 1;
    if (s.currentStage) {
        StageSettings settings;
        readStageSettings(*g.platform, settings, *s.currentStage);
        changeStageSettings(g, "Submit", s.currentStage, settings);
    }
    resolveScriptTextures(g.textures, s.currentScript);
    return 0;
}
