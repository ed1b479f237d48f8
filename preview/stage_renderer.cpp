// One frame of the preview: the scene's script drawn as a stack of textured
// squares, one per stage, or the turning placeholder when no script is
// selected, the whole scene swaying about the vertical axis.
#include "preview.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

struct QuadCorner {
    float x, y;
    float stageS, stageT;              // a stage's texture has t = 0 along the top edge
    float placeholderS, placeholderT;  // the placeholder's along the bottom edge
};

// Counter-clockwise as seen from +z, so front-facing.
static const QuadCorner QUAD_CORNERS[4] = {
    {-10, -10, 0, 1, 0, 0},
    {10, -10, 1, 1, 1, 0},
    {10, 10, 1, 0, 1, 1},
    {-10, 10, 0, 0, 0, 1},
};

// Swings between -30 and +30 degrees, about 11 clock units per period.
static float swayAngle(float time) {
    return (float)(30.0 * sin((double)time / 100.0 / 3.1415 * 180.0));
}

// The cases are tried in this order, each comparison with 0 exact. A negative
// minimum with no speed matches none of them and draws the stage invisible.
static float stageAlpha(const Stage* stage, float time) {
    const float min = stage->alphaMin, max = stage->alphaMax, speed = stage->alphaSpeed;
    if (min == 0 && speed == 0) return 1.0f;
    if (speed == 0 && min > 0) return min;
    if (speed != 0) {
        double a = (sin((double)time * speed) + 1.0) * 0.5;
        if (a > max) a = max;
        if (a < min) a = min;  // after the maximum, so the minimum wins when they cross
        return (float)a;
    }
    return 0.0f;
}

static void drawPlaceholderPass(const PreviewScene& scene) {
    glBindTexture(GL_TEXTURE_2D, slotTexture(*scene.textures, scene.textures->placeholderSlot));
    glBegin(GL_QUADS);
    for (const QuadCorner& corner : QUAD_CORNERS) {
        float s = corner.placeholderS, t = corner.placeholderT;
        rotateTexCoord(s, t, scene.time);
        glTexCoord2f(s, t);
        glVertex3f(corner.x, corner.y, 0);
    }
    glEnd();
}

// The enum held as a float, truncated toward zero. A value past the range of
// an int becomes one that no factor has, which OpenGL rejects like any other
// unknown factor.
static GLenum blendFactor(float value) {
    if (!(value > -2147483648.0f && value < 2147483648.0f)) return (GLenum)-1;
    return (GLenum)(int)value;
}

static void setStageBlend(const Stage* stage) {
    if (stage->blendEnabled != 0) {
        glBlendFunc(blendFactor(stage->blendSrc), blendFactor(stage->blendDst));
        glEnable(GL_BLEND);
    } else {
        glDisable(GL_BLEND);
    }
}

static void enableSphereMap() {
    glTexGenf(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGenf(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
}

// Every stage starts from the same state, whatever the one before it set.
static void resetStageState() {
    glColor4f(1, 1, 1, 1);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
}

static void drawStagePass(const PreviewScene& scene, Stage* stage) {
    const TextureTable& textures = *scene.textures;
    const bool animated = stage->animFrameCount != 0;
    glBindTexture(GL_TEXTURE_2D, animated ? advanceAnimation(textures, stage, scene.time)
                                          : slotTexture(textures, stage->texture));
    setStageBlend(stage);
    glColor4f(1, 1, 1, stageAlpha(stage, scene.time));
    if (stage->envmap != 0) enableSphereMap();
    if (stage->alphamask != 0) glEnable(GL_ALPHA_TEST);

    glBegin(GL_QUADS);
    for (const QuadCorner& corner : QUAD_CORNERS) {
        float s = corner.stageS, t = corner.stageT;
        applyTexCoordModifiers(stage, scene.time, s, t);
        glTexCoord2f(s, t);
        glVertex3f(corner.x, corner.y, 0);
    }
    glEnd();
    resetStageState();
}

// The projection places the square, which the perspective draws across the
// whole of a square viewport, as the view says: its sides are the shorter side
// of the viewport times the zoom, its centre moved by the pan.
static void setPreviewView(const PreviewView& view) {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const float width = (float)viewport[2], height = (float)viewport[3];
    const float side = (width < height ? width : height) * view.zoom;
    glMatrixMode(GL_PROJECTION);
    glTranslatef(2 * view.panX / width, -2 * view.panY / height, 0);
    glScalef(side / width, side / height, 1);
    glMatrixMode(GL_MODELVIEW);
}

void renderPreviewFrame(const PreviewScene& scene) {
    // The perspective goes into the modelview matrix; the projection holds
    // only the view. Depth testing and lighting stay off.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // The whole window is the viewport, cleared to the background.
    if (scene.width > 0 && scene.height > 0) glViewport(0, 0, scene.width, scene.height);
    clearPreviewBackground(scene.background);
    setPreviewView(scene.view);
    gluPerspective(67.5, 1.0, 0.1, 100.0);
    glDisable(GL_ALPHA_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glTranslatef(0, 0, -20);

    glPushMatrix();
    glRotatef(swayAngle(scene.time), 0, 1, 0);
    if (!scene.script) {
        drawPlaceholderPass(scene);
    } else {
        Stage *first, *last;
        choosePreviewStages(scene, first, last);
        for (Stage* stage = first; stage; stage = stage == last ? nullptr : stage->next)
            drawStagePass(scene, stage);
    }
    glPopMatrix();
}
