// Which stages a frame draws, behind which background, and the clock's pause,
// step and restart: whole frames drawn into a headless Mesa context and read
// back, on a script of three stages that each leave their own colour.
#include "control_store.h"
#include "editor_state.h"
#include "preview.h"
#include "textures.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

using Rgb = std::array<int, 3>;
constexpr int SIZE = 128;

const Rgb RED = {255, 0, 0};
const Rgb GREEN = {0, 255, 0};
const Rgb BLUE = {0, 0, 255};
const Rgb YELLOW = {255, 255, 0};
const Rgb CYAN = {0, 255, 255};
const Rgb WHITE = {255, 255, 255};
const Rgb BLACK = {0, 0, 0};
const Rgb LIGHT_GREY = {204, 204, 204};
const Rgb DARK_GREY = {153, 153, 153};

static Rgb pixel(int x, int y) {
    uint8_t rgba[4] = {};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return {rgba[0], rgba[1], rgba[2]};
}

// A one-texel texture of one opaque colour.
static int colourSlot(Rgb colour) {
    const int slot = addTextureSlot("colour");
    const uint8_t texel[4] = {uint8_t(colour[0]), uint8_t(colour[1]), uint8_t(colour[2]), 255};
    glBindTexture(GL_TEXTURE_2D, textureTable[slot].glTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    return slot;
}

struct PreviewModes : ::testing::Test {
    ControlStore store;
    Stage* stages[3] = {};

    // Red, replacing what is beneath; green and blue added to it (GL_ONE, GL_ONE).
    void SetUp() override {
        textureCount = 0;
        placeholderSlot = 0;
        previewTime = 0;
        platform = &store;
        store.previewWidth = SIZE;
        store.previewHeight = SIZE;
        initPreviewRendering();
        ASSERT_TRUE(previewContextReady);
        currentScript = appendScript("three");
        const Rgb colours[3] = {RED, GREEN, BLUE};
        for (int i = 0; i < 3; i++) {
            stages[i] = appendStage(currentScript);
            stages[i]->texture = colourSlot(colours[i]);
            stages[i]->blendEnabled = i > 0;
            stages[i]->blendSrc = GL_ONE;
            stages[i]->blendDst = GL_ONE;
        }
    }
    void TearDown() override {
        shutdownPreviewRendering();
        currentScript = nullptr;
        currentStage = nullptr;
        freeAllScripts();
        previewStages = PREVIEW_WHOLE_SCRIPT;
        previewBackground = BACKGROUND_BLUE;
        previewPaused = false;
        platform = nullptr;
    }
    void tick() { EXPECT_TRUE(previewWindowProc(PREVIEW_TICK)); }
    // The square faces the viewer at the time 0.05.
    void drawFacing() {
        previewTime = 0;
        tick();
    }
};

TEST_F(PreviewModes, StagesDrawnAndBackgroundByChoice) {
    Script* other = appendScript("other");
    Stage* elsewhere = appendStage(other);
    const struct {
        int stages;
        Stage* selected;
        int background;
        Rgb centre;
        Rgb corner;  // the bottom-left cell
        Rgb nextCell;
    } cases[] = {
        {PREVIEW_WHOLE_SCRIPT, stages[1], BACKGROUND_BLUE, WHITE, BLUE, BLUE},
        {PREVIEW_UP_TO_SELECTED_STAGE, stages[1], BACKGROUND_BLUE, YELLOW, BLUE, BLUE},
        {PREVIEW_UP_TO_SELECTED_STAGE, stages[0], BACKGROUND_BLUE, RED, BLUE, BLUE},
        {PREVIEW_UP_TO_SELECTED_STAGE, stages[2], BACKGROUND_BLACK, WHITE, BLACK, BLACK},
        {PREVIEW_SELECTED_STAGE_ONLY, stages[1], BACKGROUND_BLUE, CYAN, BLUE, BLUE},
        {PREVIEW_SELECTED_STAGE_ONLY, stages[2], BACKGROUND_BLACK, BLUE, BLACK, BLACK},
        {PREVIEW_SELECTED_STAGE_ONLY, stages[0], BACKGROUND_CHECKERBOARD, RED, LIGHT_GREY,
         DARK_GREY},
        {PREVIEW_SELECTED_STAGE_ONLY, nullptr, BACKGROUND_BLACK, WHITE, BLACK, BLACK},
        {PREVIEW_UP_TO_SELECTED_STAGE, elsewhere, BACKGROUND_BLUE, WHITE, BLUE, BLUE},
        {PREVIEW_WHOLE_SCRIPT, nullptr, BACKGROUND_CHECKERBOARD, WHITE, LIGHT_GREY, DARK_GREY},
    };
    for (const auto& c : cases) {
        previewStages = c.stages;
        currentStage = c.selected;
        previewBackground = c.background;
        drawFacing();
        const int cell = SIZE / 8;
        EXPECT_EQ(pixel(SIZE / 2, SIZE / 2), c.centre) << c.stages << " " << c.background;
        EXPECT_EQ(pixel(2, 2), c.corner) << c.stages << " " << c.background;
        EXPECT_EQ(pixel(cell + 2, 2), c.nextCell) << c.stages << " " << c.background;
    }
}

// Paused, frames are drawn (edits show) but the clock stands; Step moves it
// one step only while paused; Restart puts every animation back.
TEST_F(PreviewModes, PauseStepAndRestartAgainstTheClock) {
    previewTime = 1.0f;
    previewPaused = true;
    const int swaps = store.swapCount;
    tick();
    stages[0]->texture = colourSlot(GREEN);
    tick();
    EXPECT_EQ(previewTime, 1.0f);
    EXPECT_EQ(store.swapCount, swaps + 2);
    previewStages = PREVIEW_SELECTED_STAGE_ONLY;
    currentStage = stages[0];
    tick();
    EXPECT_EQ(pixel(SIZE / 2, SIZE / 2), GREEN);

    stepPreviewClock();
    EXPECT_EQ(previewTime, 1.0f + PREVIEW_CLOCK_STEP);
    previewPaused = false;
    stepPreviewClock();
    EXPECT_EQ(previewTime, 1.0f + PREVIEW_CLOCK_STEP);
    tick();
    EXPECT_EQ(previewTime, 1.0f + PREVIEW_CLOCK_STEP + PREVIEW_CLOCK_STEP);

    AnimFrame frames[2] = {{0, "a", &frames[1]}, {0, "b", nullptr}};
    Stage* animated = appendStage(appendScript("animated"));
    for (Stage* stage : {stages[2], animated}) {
        stage->animFrames = frames;
        stage->animCurrent = &frames[1];
        stage->animNextTime = 7.5f;
    }
    restartPreviewClock();
    EXPECT_EQ(previewTime, 0.0f);
    for (Stage* stage : {stages[2], animated}) {
        EXPECT_EQ(stage->animCurrent, frames);
        EXPECT_EQ(stage->animNextTime, 0.0f);
        stage->animFrames = nullptr;  // the frames are the test's own
        stage->animCurrent = nullptr;
    }
}

// A stage hidden while the clock ran shows, once drawn again, the frame due
// at the clock: one frame for every delay that passed.
TEST_F(PreviewModes, AHiddenAnimationContinuesWhereTheClockIs) {
    AnimFrame* frames[3];  // records of the model's own, as it frees them
    const Rgb colours[3] = {RED, GREEN, BLUE};
    for (int i = 2; i >= 0; i--) {
        frames[i] = allocateFrame();
        frames[i]->texture = colourSlot(colours[i]);
        frames[i]->next = i < 2 ? frames[i + 1] : nullptr;
    }
    Stage* animated = stages[2];
    animated->animFrames = frames[0];
    animated->animCurrent = frames[0];
    animated->animFrameCount = 3;
    animated->animDelay = 0.3f;
    animated->blendEnabled = 0;
    previewStages = PREVIEW_SELECTED_STAGE_ONLY;
    currentStage = stages[0];
    for (int i = 0; i < 21; i++) tick();
    EXPECT_EQ(animated->animCurrent, frames[0]);

    previewStages = PREVIEW_WHOLE_SCRIPT;
    previewTime = -0.05f;  // the frame drawn faces the viewer
    tick();
    EXPECT_EQ(animated->animCurrent, frames[0]);  // at 0: the due time 0 not yet passed
    previewTime = 1.05f;  // due times 0, 0.3, 0.6 and 0.9 passed: four frames on
    tick();
    EXPECT_EQ(animated->animCurrent, frames[1]);
    EXPECT_EQ(animated->animNextTime, 1.2f);
    EXPECT_EQ(pixel(SIZE / 2, SIZE / 2), GREEN);
}
