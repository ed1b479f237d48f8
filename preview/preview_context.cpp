// The preview's rendering context and its clock. The window system behind the
// context is the given Platform; this file only decides when it is made and
// ended and which OpenGL defaults are set once.
#include "preview.h"

#include <GL/gl.h>

// A failing step ends set-up: the program then works without a preview,
// with no placeholder and no timer, so no frame is ever drawn.
bool initPreviewRendering(PreviewState& preview, TextureTable& textures, Platform* platform) {
    if (!platform || !platform->createPreviewContext()) return false;
    preview.previewContextReady = true;

    glClearColor(0, 0, 1, 0);  // pure blue background
    // The stage alpha scales the texture.
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glAlphaFunc(GL_GEQUAL, 0.05f);  // the cut of alpha-masked stages
    createPlaceholderTexture(textures);
    platform->startRedrawTimer();
    return true;
}

// The same steps whether set-up succeeded or not; texture objects end with
// the context.
void shutdownPreviewRendering(PreviewState& preview, Platform* platform) {
    if (!platform) return;
    platform->stopRedrawTimer();
    preview.previewContextReady = false;
    platform->destroyPreviewContext();
}

void advancePreviewClock(PreviewState& preview) {
    if (!preview.previewPaused) preview.previewTime = preview.previewTime + PREVIEW_CLOCK_STEP;
}

void stepPreviewClock(PreviewState& preview) {
    if (preview.previewPaused) preview.previewTime = preview.previewTime + PREVIEW_CLOCK_STEP;
}

void restartPreviewClock(PreviewState& preview, Script* scripts) {
    preview.previewTime = 0.0f;
    for (Script* script = scripts; script; script = script->next)
        for (Stage* stage = script->stages; stage; stage = stage->next) {
            stage->animCurrent = stage->animFrames;
            stage->animNextTime = 0.0f;
        }
}
