// The Preview menu: which stages are drawn, the clock and the background.
// The menu's check marks are the platform's to show from these values.
#include "editor.h"
#include "preview.h"

int onPreviewWholeScript() {
    previewStages = PREVIEW_WHOLE_SCRIPT;
    return 0;
}

int onPreviewUpToSelectedStage() {
    previewStages = PREVIEW_UP_TO_SELECTED_STAGE;
    return 0;
}

int onPreviewSelectedStageOnly() {
    previewStages = PREVIEW_SELECTED_STAGE_ONLY;
    return 0;
}

int onPreviewPause() {
    previewPaused = !previewPaused;
    return 0;
}

int onPreviewStepFrame() {
    if (!previewPaused) return 1;
    stepPreviewClock();
    return 0;
}

int onPreviewRestartClock() {
    restartPreviewClock();
    return 0;
}

int onBackgroundBlue() {
    previewBackground = BACKGROUND_BLUE;
    return 0;
}

int onBackgroundBlack() {
    previewBackground = BACKGROUND_BLACK;
    return 0;
}

int onBackgroundCheckerboard() {
    previewBackground = BACKGROUND_CHECKERBOARD;
    return 0;
}
