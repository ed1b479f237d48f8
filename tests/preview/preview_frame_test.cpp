// Whole frames drawn into a headless Mesa context and read back.
#include "control_store.h"
#include "editor_state.h"
#include "headless_gl.h"
#include "preview.h"
#include "textures.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <vector>

using Rgba = std::array<int, 4>;
constexpr int SIZE = 128, MID = SIZE / 2;
const Rgba BLUE = {0, 0, 255, 0}, WHITE = {255, 255, 255, 255}, BLACK = {0, 0, 0, 255};
const Rgba RED = {255, 0, 0, 255}, GREEN = {0, 255, 0, 255};

static Rgba pixel(int x, int y) {
    unsigned char p[4] = {1, 2, 3, 4};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2], p[3]};
}

// A texture slot holding width x height texels, rows from t = 0.
static int makeTexture(int width, int height, const std::vector<Rgba>& texels) {
    std::vector<unsigned char> bytes;
    for (const Rgba& texel : texels) bytes.insert(bytes.end(), texel.begin(), texel.end());
    int slot = addTextureSlot("test");
    glBindTexture(GL_TEXTURE_2D, textureTable[slot].glTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return slot;
}

struct PreviewFrame : ::testing::Test {
    ControlStore store;

    void SetUp() override {
        textureCount = 0, placeholderSlot = 0, previewTime = 0, currentScript = nullptr;
        store.previewWidth = store.previewHeight = SIZE;
        platform = &store;
        initPreviewRendering();
        ASSERT_TRUE(previewContextReady);
    }
    void TearDown() override {
        shutdownPreviewRendering();
        currentScript = nullptr;
        freeAllScripts();
        platform = nullptr;
    }
    Stage* addStage(const Rgba& colour) {
        if (!currentScript) currentScript = appendScript("test");
        Stage* stage = appendStage(currentScript);
        stage->texture = makeTexture(1, 1, {colour});
        return stage;
    }
    void tickAt(float time) {
        previewTime = time - 0.05f;
        EXPECT_TRUE(previewWindowProc(PREVIEW_TICK));
    }
};

TEST_F(PreviewFrame, PlaceholderTurnsWithTheClock) {
    tickAt(0.05f);  // on the unswaying centre column the frame's top edge is white
    EXPECT_EQ(pixel(MID, 110), WHITE);
    EXPECT_EQ(pixel(MID, MID), BLACK);
    EXPECT_EQ(pixel(2, 2), BLUE);
    tickAt((float)M_PI_4);  // an eighth turn carries the column clear of the frame
    EXPECT_EQ(pixel(MID, 110), BLACK);
}

TEST_F(PreviewFrame, ScriptWithoutStagesIsBlue) {
    currentScript = appendScript("empty");
    tickAt(0.05f);
    for (int y = 4; y < SIZE; y += 20)
        for (int x = 4; x < SIZE; x += 20) EXPECT_EQ(pixel(x, y), BLUE);
}

TEST_F(PreviewFrame, StageTextureHasTZeroAlongTheTop) {
    addStage(WHITE)->texture = makeTexture(2, 2, {RED, GREEN, WHITE, BLACK});
    tickAt(0.05f);
    EXPECT_EQ(pixel(40, 100), RED);
    EXPECT_EQ(pixel(88, 100), GREEN);
    EXPECT_EQ(pixel(40, 28), WHITE);
    EXPECT_EQ(pixel(88, 28), BLACK);
}

TEST_F(PreviewFrame, BlendingIsPerStage) {
    addStage(RED);
    Stage* added = addStage(GREEN);
    added->blendEnabled = 1, added->blendSrc = 1.0f, added->blendDst = 1.0f;  // GL_ONE, GL_ONE
    tickAt(0.05f);
    EXPECT_EQ(pixel(MID, MID), (Rgba{255, 255, 0, 255}));

    addStage({20, 40, 60, 128});  // unblended: hides both
    tickAt(0.05f);
    EXPECT_EQ(pixel(MID, MID), (Rgba{20, 40, 60, 128}));
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_FALSE(glIsEnabled(GL_BLEND) || glIsEnabled(GL_ALPHA_TEST) || glIsEnabled(GL_TEXTURE_GEN_S));
}

TEST_F(PreviewFrame, AlphaRule) {
    struct Case { float min, max, speed; int alpha; };
    const Case cases[] = {
        {0, 0.2f, 0, 255},      // no shift: opaque
        {0.3f, 0.1f, 0, 77},    // a fixed minimum, whatever the maximum
        {0, 1, 1, 134},         // the wave (sin(0.05) + 1) / 2
        {0, 0.3f, 1, 77},       // cut to the maximum
        {0.6f, 0.4f, 1, 153},   // the minimum wins over a lower maximum
        {-0.5f, 1, 0, 0},       // a negative minimum without speed
    };
    Stage* before = addStage(WHITE);
    Stage* stage = addStage(WHITE);
    for (const Case& c : cases)
        for (float firstMin : {0.3f, -0.5f}) {  // whatever the stage before worked out
            before->alphaMin = firstMin;
            stage->alphaMin = c.min, stage->alphaMax = c.max, stage->alphaSpeed = c.speed;
            tickAt(0.05f);
            EXPECT_NEAR(pixel(MID, MID)[3], c.alpha, 1) << c.min << " " << c.max << " " << c.speed;
        }
}

TEST_F(PreviewFrame, AlphaMaskDiscardsBelowFiveHundredths) {
    Stage* masked = addStage(WHITE);
    masked->alphamask = 1, masked->alphaMin = 0.04f;
    tickAt(0.05f);
    EXPECT_EQ(pixel(MID, MID), BLUE);
    masked->alphaMin = 0.06f;
    tickAt(0.05f);
    EXPECT_EQ(pixel(MID, MID), (Rgba{255, 255, 255, 15}));
    addStage(WHITE)->alphaMin = 0.04f;  // the mask ends with its stage
    tickAt(0.05f);
    EXPECT_EQ(pixel(MID, MID), (Rgba{255, 255, 255, 10}));
}

TEST_F(PreviewFrame, SphereMapEndsWithItsStage) {
    const int quadrants = makeTexture(2, 2, {RED, GREEN, WHITE, BLACK});
    Stage* sphere = addStage(WHITE);
    sphere->texture = quadrants, sphere->envmap = 1;
    tickAt(0.05f);
    const Rgba corners[] = {pixel(40, 100), pixel(88, 100), pixel(40, 28), pixel(88, 28)};
    EXPECT_NE(std::vector<Rgba>(corners, corners + 4), (std::vector<Rgba>{RED, GREEN, WHITE, BLACK}));

    addStage(WHITE)->texture = quadrants;
    tickAt(0.05f);
    EXPECT_EQ(pixel(40, 100), RED);
    EXPECT_EQ(pixel(88, 28), BLACK);
}

// The square's extent along the centre row, turned by the sway.
static void expectSquareEdges(float swayDegrees) {
    const double turn = swayDegrees * M_PI / 180, focal = 1 / tan(67.5 / 2 * M_PI / 180);
    auto column = [&](double x) { return MID + MID * focal * x * cos(turn) / (20 + x * sin(turn)); };
    int left = 0, right = SIZE - 1;
    while (left < SIZE && pixel(left, MID) == BLUE) left++;
    while (right >= 0 && pixel(right, MID) == BLUE) right--;
    EXPECT_NEAR(left, column(-10), 1.5) << swayDegrees;
    EXPECT_NEAR(right, column(10), 1.5) << swayDegrees;
}

TEST_F(PreviewFrame, SceneSways) {
    addStage(WHITE);
    tickAt(0.05f);
    expectSquareEdges(30 * sin(0.05 / 100 / 3.1415 * 180));
    tickAt(2.7415f);  // the far right of the swing
    expectSquareEdges(30);
}

TEST_F(PreviewFrame, AnimatedStageBindsItsFrame) {
    Stage* stage = addStage(WHITE);
    AnimFrame* first = (AnimFrame*)calloc(1, sizeof(AnimFrame));
    AnimFrame* second = (AnimFrame*)calloc(1, sizeof(AnimFrame));
    first->texture = makeTexture(1, 1, {RED}), second->texture = makeTexture(1, 1, {GREEN});
    first->next = second;
    stage->animFrames = first, stage->animDelay = 10;
    tickAt(0.05f);  // frames in the list but a count of 0: not animated
    EXPECT_EQ(pixel(MID, MID), WHITE);
    stage->animFrameCount = 2;
    tickAt(0.05f);  // no current frame: the first, stepped past its due time 0
    EXPECT_EQ(pixel(MID, MID), GREEN);
}

TEST_F(PreviewFrame, ClockAndMessages) {
    currentScript = appendScript("empty");
    float sum = 0;
    for (int i = 0; i < 20; i++) {
        releaseHeadlessGLCurrent();  // every frame makes its context current
        previewWindowProc(PREVIEW_TICK);
        sum = sum + 0.05f;
        EXPECT_EQ(pixel(MID, MID), BLUE);
    }
    EXPECT_EQ(previewTime, sum);
    EXPECT_EQ(store.swapCount, 20);

    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_FALSE(previewWindowProc(PREVIEW_TICK + 1));
    EXPECT_EQ(pixel(MID, MID), RED);
    EXPECT_EQ(previewTime, sum);
    EXPECT_EQ(store.swapCount, 20);
}

TEST(PreviewSetUp, FailedContextDrawsNothing) {
    ControlStore store;  // previewWidth 0: no context can be had
    platform = &store;
    textureCount = 0, previewTime = 0;
    initPreviewRendering();
    EXPECT_FALSE(previewContextReady);
    EXPECT_EQ(store.redrawTimerRunning, 0);
    EXPECT_EQ(textureCount, 0);  // no placeholder
    EXPECT_TRUE(previewWindowProc(PREVIEW_TICK));
    EXPECT_EQ(store.swapCount, 0);
    EXPECT_EQ(previewTime, 0.0f);
    shutdownPreviewRendering();
    EXPECT_EQ(store.redrawTimerRunning, 0);
    platform = nullptr;
}
