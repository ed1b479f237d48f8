// The texture-coordinate effects and the animation step, without a context.
#include "preview.h"
#include "textures.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(TexCoords, RotationScaleAndScrollApplyInOrder) {
    float s = 1, t = 0.5f;
    rotateTexCoord(s, t, (float)M_PI_2);  // counter-clockwise about the centre
    EXPECT_NEAR(s, 0.5f, 1e-6);
    EXPECT_NEAR(t, 1.0f, 1e-6);

    Stage stage{};
    previewTime = 1.0f;
    s = 1, t = 0.5f;
    applyTexCoordModifiers(&stage, s, t);  // every value 0 switches its modifier off
    EXPECT_EQ(s, 1.0f);
    EXPECT_EQ(t, 0.5f);

    // Scale (1, 0.5) to (2, 0.5), turn a quarter clockwise to (0.5, -1), scroll s by 0.25.
    stage.scaleX = 2, stage.rotateSpeed = 180, stage.scrollX = 0.25f;
    applyTexCoordModifiers(&stage, s, t);
    EXPECT_NEAR(s, 0.75f, 1e-5);
    EXPECT_NEAR(t, -1.0f, 1e-5);
}

TEST(TexCoords, WavesOfScaleAndScroll) {
    Stage stage{};
    previewTime = 7.0f;
    stage.scaleTypeX = WAVE_SINE, stage.scaleX = 3;       // amplitude 3 at the fixed rate 0.05
    stage.scrollTypeY = WAVE_COSINE, stage.scrollY = 2;  // rate 2 at amplitude 1
    float s = 0.5f, t = 0.25f;
    applyTexCoordModifiers(&stage, s, t);
    EXPECT_FLOAT_EQ(s, sin(7 * 0.05) * 3 * 0.5);
    EXPECT_FLOAT_EQ(t, 0.25 + cos(7 * 2.0));

    stage.scaleTypeX = 9, stage.scrollTypeY = 9;  // unknown waves leave the coordinates alone
    s = 0.5f, t = 0.25f;
    applyTexCoordModifiers(&stage, s, t);
    EXPECT_EQ(s, 0.5f);
    EXPECT_EQ(t, 0.25f);
}

struct Animation : ::testing::Test {
    AnimFrame frames[3]{};
    Stage stage{};

    void SetUp() override {
        textureCount = 3, placeholderSlot = 0;
        for (int i = 0; i < 3; i++) {
            textureTable[i].glTexture = 101 + i;
            frames[i].texture = i;
            frames[i].next = i < 2 ? &frames[i + 1] : nullptr;
        }
        stage.animFrames = stage.animCurrent = frames;
        stage.animFrameCount = 3;
    }
    void TearDown() override { textureCount = 0; }
    long shown() const { return stage.animCurrent - frames; }
};

TEST_F(Animation, CatchesUpOneFramePerElapsedDelay) {
    previewTime = 0;
    for (int i = 0; i < 21; i++) previewTime = previewTime + 0.05f;  // about 1.05
    stage.animDelay = 0.5f;
    EXPECT_EQ(advanceAnimation(&stage), 101u);  // due times 0, 0.5 and 1.0 passed: frames 2, 3, 1
    EXPECT_EQ(stage.animNextTime, 1.5f);

    // 4000 delays since the due time: more than are stepped one at a time.
    previewTime = 1000.0f, stage.animDelay = 0.25f, stage.animNextTime = 0;
    EXPECT_EQ(advanceAnimation(&stage), 102u);  // 4000 mod 3 frames on
    EXPECT_EQ(stage.animNextTime, 1000.0f);
    static_assert(ANIM_CATCH_UP_STEPS < 4000);

    stage.animCurrent = nullptr;  // no current frame: the first one stands in
    EXPECT_EQ(advanceAnimation(&stage), 101u);
}

TEST_F(Animation, DelaysThatCannotMoveTheDueTimeStayCheap) {
    previewTime = 1000.0f;
    for (float delay : {0.0f, -0.5f, NAN}) {  // one frame per draw, due time kept
        stage.animDelay = delay, stage.animCurrent = frames;
        for (long expected : {1, 2, 0}) {
            advanceAnimation(&stage);
            EXPECT_EQ(shown(), expected) << delay;
        }
        EXPECT_EQ(stage.animNextTime, 0.0f);
    }
    // Too small to change the due time at its size, with millions to trillions of delays passed.
    for (float delay : {1e-7f, 1e-30f}) {
        stage.animNextTime = 16.0f, stage.animDelay = delay;
        previewTime = 17.0f;
        advanceAnimation(&stage);
        EXPECT_GE(stage.animNextTime * 1000.0, 17000.0);
        EXPECT_NEAR(stage.animNextTime, 17.0f, 1e-5);
    }
}
