// The Preview menu (Whole Script, Up to Selected Stage, Selected Stage Only,
// Pause, Step Frame, Restart Clock, Background) and the preview window's
// frames: each tick draws the current script as the choices say.
#include "editor.h"

void startPreview(EditorContext& g) {
    initPreviewRendering(g.preview, g.textures, g.platform);
    initImageLibrary();
}

void stopPreview(EditorContext& g) {
    shutdownImageLibrary();
    shutdownPreviewRendering(g.preview, g.platform);
}

PreviewScene currentPreviewScene(EditorContext& g) {
    PreviewScene scene;
    scene.script = g.selection.currentScript;
    scene.selectedStage = g.selection.currentStage;
    scene.stages = g.preview.previewStages;
    scene.background = g.preview.previewBackground;
    scene.time = g.preview.previewTime;
    scene.textures = &g.textures;
    if (g.platform) g.platform->previewSize(scene.width, scene.height);
    scene.view = g.preview.view;
    return scene;
}

bool previewWindowProc(EditorContext& g, int message) {
    if (message != PREVIEW_TICK) return false;
    if (!g.preview.previewContextReady) return true;
    advancePreviewClock(g.preview);
    g.platform->makePreviewCurrent();
    renderPreviewFrame(currentPreviewScene(g));
    g.platform->swapPreviewBuffers();
    return true;
}

static int chooseStages(EditorContext& g, int stages) {
    g.preview.previewStages = stages;
    return 0;
}

static int chooseBackground(EditorContext& g, int background) {
    g.preview.previewBackground = background;
    return 0;
}

int onPreviewWholeScript(EditorContext& g) {
    return chooseStages(g, PREVIEW_WHOLE_SCRIPT);
}
int onPreviewUpToSelectedStage(EditorContext& g) {
    return chooseStages(g, PREVIEW_UP_TO_SELECTED_STAGE);
}
int onPreviewSelectedStageOnly(EditorContext& g) {
    return chooseStages(g, PREVIEW_SELECTED_STAGE_ONLY);
}

int onPreviewPause(EditorContext& g) {
    g.preview.previewPaused = !g.preview.previewPaused;
    return 0;
}

int onPreviewStepFrame(EditorContext& g) {
    if (!g.preview.previewPaused) return 1;
    stepPreviewClock(g.preview);
    return 0;
}

int onPreviewRestartClock(EditorContext& g) {
    restartPreviewClock(g.preview, g.library.scripts);
    return 0;
}

int onBackgroundBlue(EditorContext& g) {
    return chooseBackground(g, BACKGROUND_BLUE);
}
int onBackgroundBlack(EditorContext& g) {
    return chooseBackground(g, BACKGROUND_BLACK);
}
int onBackgroundCheckerboard(EditorContext& g) {
    return chooseBackground(g, BACKGROUND_CHECKERBOARD);
}
