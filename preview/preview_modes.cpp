// What the user chooses about the preview beyond the script itself: which of
// its stages are drawn, behind what, and whether the clock runs. The stages
// drawn are drawn exactly as in the whole script; only the choice differs.
#include "preview.h"

#include "script_copy.h"

#include <GL/gl.h>

constexpr int CHECKER_CELLS = 8;  // squares across the window

void choosePreviewStages(const PreviewScene& scene, Stage*& first, Stage*& last) {
    first = scene.script->stages;
    last = nullptr;
    Stage* selected = scene.selectedStage;
    if (scene.stages == PREVIEW_WHOLE_SCRIPT || stageIndex(scene.script, selected) < 0) return;
    last = selected;
    if (scene.stages == PREVIEW_SELECTED_STAGE_ONLY) first = selected;
}

// Light and dark grey squares over the whole window, drawn with the identity
// matrices; alpha 0, like the blue clear colour.
static void drawCheckerboard() {
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    const float cell = 2.0f / CHECKER_CELLS;
    for (int row = 0; row < CHECKER_CELLS; row++)
        for (int column = 0; column < CHECKER_CELLS; column++) {
            const float grey = (row + column) % 2 ? 0.6f : 0.8f;
            const float x = -1 + column * cell, y = -1 + row * cell;
            glColor4f(grey, grey, grey, 0);
            glVertex2f(x, y);
            glVertex2f(x + cell, y);
            glVertex2f(x + cell, y + cell);
            glVertex2f(x, y + cell);
        }
    glEnd();
    glColor4f(1, 1, 1, 1);
}

void clearPreviewBackground(int background) {
    if (background == BACKGROUND_BLACK)
        glClearColor(0, 0, 0, 0);
    else
        glClearColor(0, 0, 1, 0);  // blue, also beneath the checkerboard
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (background == BACKGROUND_CHECKERBOARD) drawCheckerboard();
}
