// The preview: its rendering context, redraw timer and clock, and the
// drawing of the current script stage by stage. It draws the editor's
// currentScript (editor_state.h), or the placeholder when there is none.
#pragma once

#include "script_model.h"

#include <cstdint>

constexpr int PREVIEW_TICK = 275;  // the redraw timer's message

extern float previewTime;
extern bool previewContextReady;  // the context was made; frames are drawn

// Which stages a frame draws: the whole script, the stages from the first to
// the editor's currentStage, or that stage alone. Without a currentStage in
// the current script the last two draw the whole script.
enum PreviewStages {
    PREVIEW_WHOLE_SCRIPT = 0,
    PREVIEW_UP_TO_SELECTED_STAGE = 1,
    PREVIEW_SELECTED_STAGE_ONLY = 2,
};
enum PreviewBackground { BACKGROUND_BLUE = 0, BACKGROUND_BLACK = 1, BACKGROUND_CHECKERBOARD = 2 };
extern int previewStages;
extern int previewBackground;
// While paused the clock stands still; frames are still drawn.
extern bool previewPaused;

// What each drawn frame adds to previewTime.
constexpr float PREVIEW_CLOCK_STEP = 0.05f;
// One step of the clock while paused; nothing otherwise.
void stepPreviewClock();
// The clock back to 0 and every animation of the library back to its first
// frame, as at start-up.
void restartPreviewClock();

// The stages of script that a frame draws: from first up to and including
// last, or to the end when last is null.
void choosePreviewStages(Script* script, Stage*& first, Stage*& last);
// Clears the frame to the chosen background; leaves the matrices as they are.
void clearPreviewBackground();

void initPreviewRendering();
void shutdownPreviewRendering();
// Called by the platform for every message of the preview window; PREVIEW_TICK draws a frame.
bool previewWindowProc(int message);
void renderPreviewFrame();

uint32_t advanceAnimation(Stage* stage);
void applyTexCoordModifiers(const Stage* stage, float& s, float& t);
void rotateTexCoord(float& s, float& t, float angle);

// The OpenGL texture of a texture-table slot; the placeholder's for an index
// outside the slots in use.
uint32_t slotTexture(int32_t slot);

// advanceAnimation steps one delay at a time up to this many delays per call
// and passes any further ones at once.
constexpr int ANIM_CATCH_UP_STEPS = 1024;
