// The preview: its rendering context, its clock and the drawing of a scene
// stage by stage. It draws what it is given (a script, the selected stage,
// the user's choices, the time), or the placeholder when there is no script;
// it knows nothing of the editor.
#pragma once

#include "platform.h"
#include "script_model.h"
#include "textures.h"

#include <cstdint>

// Which stages a frame draws: the whole script, the stages from the first to
// the selected stage, or that stage alone. Without a selected stage of the
// script the last two draw the whole script.
enum PreviewStages {
    PREVIEW_WHOLE_SCRIPT = 0,
    PREVIEW_UP_TO_SELECTED_STAGE = 1,
    PREVIEW_SELECTED_STAGE_ONLY = 2,
};
enum PreviewBackground { BACKGROUND_BLUE = 0, BACKGROUND_BLACK = 1, BACKGROUND_CHECKERBOARD = 2 };

// What each drawn frame adds to previewTime.
constexpr float PREVIEW_CLOCK_STEP = 0.05f;

// How the drawn square sits in the window: fitted to the shorter side and
// centred (zoom 1, no pan), letterboxed with the background, or magnified
// and moved. Only the view changes; each stage is drawn the same way.
struct PreviewView {
    float zoom = 1.0f;  // the square's side over the window's shorter side
    float panX = 0.0f;  // the square's centre from the window's centre, in pixels, y down
    float panY = 0.0f;
};

constexpr float MIN_PREVIEW_ZOOM = 0.125f;
constexpr float MAX_PREVIEW_ZOOM = 32.0f;

// The view zoomed by factor (clamped to the limits) about the window pixel
// (x, y), y down, which keeps the point of the picture under it.
void zoomPreviewView(PreviewView& view, int width, int height, float factor, float x, float y);
// The zoom as a whole percentage: 200 for a square twice the fitted size.
int previewZoomPercent(const PreviewView& view);

// The preview of one program: its clock and the user's choices about it.
struct PreviewState {
    float previewTime = 0.0f;
    int previewStages = PREVIEW_WHOLE_SCRIPT;
    int previewBackground = BACKGROUND_BLUE;
    bool previewPaused = false;        // the clock stands still; frames are still drawn
    bool previewContextReady = false;  // the context was made; frames are drawn
    PreviewView view;

    // The clock and the choices as at start-up; the context stays as it is.
    void reset() {
        const bool contextReady = previewContextReady;
        *this = PreviewState{};
        previewContextReady = contextReady;
    }
};

// One frame to draw. Drawing moves the animations of the script's stages on
// to the scene's time, so the script is not const.
struct PreviewScene {
    Script* script = nullptr;        // null: the turning placeholder
    Stage* selectedStage = nullptr;  // may belong to another script, or be null
    int stages = PREVIEW_WHOLE_SCRIPT;
    int background = BACKGROUND_BLUE;
    float time = 0.0f;
    const TextureTable* textures = nullptr;
    // The window's size in pixels (0 x 0: the context's viewport as it is) and the view in it.
    int width = 0;
    int height = 0;
    PreviewView view;
};

// The clock of a drawn frame: on by one step unless paused.
void advancePreviewClock(PreviewState& preview);
// One step of the clock while paused; nothing otherwise.
void stepPreviewClock(PreviewState& preview);
// The clock back to 0 and every animation of the scripts back to its first
// frame, as at start-up.
void restartPreviewClock(PreviewState& preview, Script* scripts);

// The stages of the scene's script that a frame draws: from first up to and
// including last, or to the end when last is null.
void choosePreviewStages(const PreviewScene& scene, Stage*& first, Stage*& last);
// Clears the frame to the background; leaves the matrices as they are.
void clearPreviewBackground(int background);

// Makes the platform's preview context and the table's placeholder texture
// and starts the redraw timer. False (and no timer) when the context cannot
// be had: the program then works without a preview.
bool initPreviewRendering(PreviewState& preview, TextureTable& textures, Platform* platform);
void shutdownPreviewRendering(PreviewState& preview, Platform* platform);
// Draws the scene into the current context. Swapping is the caller's.
void renderPreviewFrame(const PreviewScene& scene);

// The texture of the frame an animated stage shows at time, moving its
// animation on to it; the map's texture for a stage without frames.
uint32_t advanceAnimation(const TextureTable& textures, Stage* stage, float time);
void applyTexCoordModifiers(const Stage* stage, float time, float& s, float& t);
void rotateTexCoord(float& s, float& t, float angle);

// The OpenGL texture of a texture-table slot; the placeholder's for an index
// outside the slots in use.
uint32_t slotTexture(const TextureTable& textures, int32_t slot);
