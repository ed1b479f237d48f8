// The preview's rendering context, its redraw timer and its clock. The
// window system behind them is the installed Platform; this file only decides
// when they are made and ended and which OpenGL defaults are set once.
#include "preview.h"

#include "platform.h"
#include "textures.h"

#include <GL/gl.h>

float previewTime = 0.0f;
bool previewContextReady = false;

// A failing step ends set-up silently: the editor then works without a
// preview, with no placeholder and no timer, so no frame is ever drawn.
void initPreviewRendering() {
    if (!platform || !platform->createPreviewContext()) return;
    previewContextReady = true;

    glClearColor(0, 0, 1, 0);  // pure blue background
    // The stage alpha scales the texture.
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glAlphaFunc(GL_GEQUAL, 0.05f);  // the cut of alpha-masked stages
    createPlaceholderTexture();
    platform->startRedrawTimer();
}

// The same steps whether set-up succeeded or not; texture objects end with
// the context.
void shutdownPreviewRendering() {
    if (!platform) return;
    platform->stopRedrawTimer();
    previewContextReady = false;
    platform->destroyPreviewContext();
}

bool previewWindowProc(int message) {
    if (message != PREVIEW_TICK) return false;
    renderPreviewFrame();
    return true;
}
