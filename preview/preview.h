// The preview: its rendering context, redraw timer and clock, and the
// drawing of the current script stage by stage. It draws the editor's
// currentScript (editor_state.h), or the placeholder when there is none.
#pragma once

#include "script_model.h"

#include <cstdint>

constexpr int PREVIEW_TICK = 275;  // the redraw timer's message

extern float previewTime;
extern bool previewContextReady;  // the context was made; frames are drawn

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
