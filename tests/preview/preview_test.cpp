// Whole frames drawn from scenes into a headless Mesa context and read back;
// the coordinate and animation steps and the clock directly.
#include "preview.h"
#include "control_store.h"
#include "script_library.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <random>
#include <vector>

// Records that name only the fields a case sets.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using Rgba = std::array<uint8_t, 4>;
using Texels = std::vector<Rgba>;
using Points = std::vector<std::array<int, 2>>;
constexpr int SIZE = 128;
constexpr int MID = SIZE / 2;
const Rgba BLUE = {0, 0, 255, 0};  // the backgrounds are cleared with an alpha of 0
const Rgba CLEAR_BLACK = {0, 0, 0, 0};
const Rgba WHITE = {255, 255, 255, 255};
const Rgba BLACK = {0, 0, 0, 255};
const Rgba RED = {255, 0, 0, 255};
const Rgba GREEN = {0, 255, 0, 255};
const Rgba YELLOW = {255, 255, 0, 255};
const Rgba CYAN = {0, 255, 255, 255};
const Rgba LIGHT_GREY = {204, 204, 204, 0};
const Rgba DARK_GREY = {153, 153, 153, 0};
const Texels QUADRANTS = {RED, GREEN, WHITE, {0, 0, 0, 128}};  // a 2 x 2 texture, t = 0 row first

// The animation steps of tests without a context: every slot shows texture 0.
static const TextureTable noTextures;

// The frame's pixels at the points (x, y), y up.
static Texels pixels(const Points& points) {
    Texels read(points.size());
    for (size_t i = 0; i < points.size(); i++)
        glReadPixels(points[i][0], points[i][1], 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, read[i].data());
    return read;
}

// A preview context with its placeholder, and one script whose stages the
// tests add; each frame is drawn from a scene the test describes.
struct PreviewFrame : ::testing::Test {
    ControlStore store;
    ScriptLibrary library;
    TextureTable textures;
    PreviewState preview;
    PreviewScene scene;

    void SetUp() override {
        store.previewWidth = store.previewHeight = SIZE;
        ASSERT_TRUE(initPreviewRendering(preview, textures, &store));
        EXPECT_TRUE(store.redrawTimerRunning);
        scene.textures = &textures;
    }
    void TearDown() override {
        forgetAllTextures(textures);
        shutdownPreviewRendering(preview, &store);
    }
    // A texture of one texel, or of 2 x 2.
    int makeTexture(const Texels& texels) {
        const int slot = addTextureSlot(textures, "test");
        const int side = texels.size() == 4 ? 2 : 1;
        glBindTexture(GL_TEXTURE_2D, textures.textureTable[slot].glTexture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, side, side, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     texels.data());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        return slot;
    }
    // A stage drawing texels over what is beneath, or added to it (GL_ONE, GL_ONE).
    Stage* addStage(const Texels& texels, bool added = false) {
        if (!scene.script) scene.script = appendScript(library, "test");
        Stage* stage = appendStage(scene.script);
        stage->texture = makeTexture(texels);
        stage->blendEnabled = added;
        stage->blendSrc = stage->blendDst = GL_ONE;
        return stage;
    }
    // Frames of the model's own records, as it frees them, one per texture.
    void animate(Stage* stage, const std::vector<Texels>& frames, float delay) {
        AnimFrame** link = &stage->animFrames;
        for (const Texels& texels : frames) {
            *link = allocateFrame();
            (*link)->texture = makeTexture(texels);
            link = &(*link)->next;
        }
        stage->animCurrent = stage->animFrames;
        stage->animFrameCount = uint8_t(frames.size());
        stage->animDelay = delay;
    }
    Texels drawAt(float time, const Points& points = {}) {
        scene.time = time;
        renderPreviewFrame(scene);
        return pixels(points);
    }
    // The centres of the drawn square's quarters, top row first.
    Texels drawnQuarters() { return drawAt(0.05f, {{40, 100}, {88, 100}, {40, 28}, {88, 28}}); }
};

// Twenty single-precision steps of 0.05; a paused clock only moves by Step. A restart takes
// the clock and every script's animation back to their start.
TEST(PreviewClock, AdvancesStepsAndRestarts) {
    PreviewState clock;
    for (int i = 0; i < 20; i++) advancePreviewClock(clock);
    stepPreviewClock(clock);
    EXPECT_EQ(clock.previewTime, 1.00000012f);
    clock.previewPaused = true;
    advancePreviewClock(clock);
    stepPreviewClock(clock);
    EXPECT_EQ(clock.previewTime, 1.00000012f + PREVIEW_CLOCK_STEP);

    ScriptLibrary library;
    for (const char* name : {"one", "two"}) {
        Stage* stage = appendStage(appendScript(library, name));
        stage->animFrames = allocateFrame();
        stage->animCurrent = stage->animFrames->next = allocateFrame();
        stage->animNextTime = 7.5f;
    }
    restartPreviewClock(clock, library.scripts);
    EXPECT_EQ(clock.previewTime, 0.0f);
    for (const Script* script = library.scripts; script; script = script->next) {
        EXPECT_EQ(script->stages->animCurrent, script->stages->animFrames) << script->name;
        EXPECT_EQ(script->stages->animNextTime, 0.0f) << script->name;
    }
}

// With no script the placeholder turns by the time in radians: on the unswaying centre column
// the frame's top edge is white, an eighth turn carries the column clear of it, and turned
// counter-clockwise in its coordinates the edge falls to the right on screen. A script without
// stages draws the background only.
TEST_F(PreviewFrame, PlaceholderTurnsWithTheClock) {
    EXPECT_EQ(drawAt(0.05f, {{MID, 110}, {MID, MID}, {2, 2}}), Texels({WHITE, BLACK, BLUE}));
    EXPECT_EQ(drawAt((float)M_PI_4, {{MID, 110}}), Texels({BLACK}));
    EXPECT_EQ(drawAt(0.3f, {{79, 108}, {49, 108}}), Texels({WHITE, BLACK}));
    scene.script = appendScript(library, "empty");
    EXPECT_EQ(drawAt(0.05f, {{MID, MID}}), Texels({BLUE}));
}

// Each stage starts from the same state: blending and the sphere map end with their stage. An
// animated stage draws its frame, not its map: the added one its only frame, the last one,
// unblended, hiding both beneath it, the frame due at the time (0.05: three delays of 0.02
// passed, the second frame).
TEST_F(PreviewFrame, StagesStackWithTheirOwnTextureBlendAndSphereMap) {
    Stage* first = addStage(QUADRANTS);
    EXPECT_EQ(drawnQuarters(), QUADRANTS);
    first->envmap = 1;
    EXPECT_NE(drawnQuarters(), QUADRANTS);
    first->envmap = 0;
    animate(addStage({RED}, true), {{GREEN}}, 0);
    EXPECT_EQ(drawnQuarters(), Texels({YELLOW, GREEN, WHITE, GREEN}));
    first->envmap = 1;
    animate(addStage({WHITE}), {{WHITE}, QUADRANTS}, 0.02f);
    EXPECT_EQ(drawnQuarters(), QUADRANTS);
}

// The view moves only the square: a viewport twice as wide letterboxes it; a zoom about a
// pixel (y down) keeps what is under it; a pan moves it; the zoom stops at its limits.
TEST_F(PreviewFrame, ViewLetterboxesZoomsAboutThePointerAndPans) {
    addStage(QUADRANTS);
    scene.width = SIZE;
    scene.height = MID;
    EXPECT_EQ(drawAt(0.05f, {{20, 32}, {52, 44}, {76, 44}, {52, 20}, {107, 32}}),
              Texels({BLUE, RED, GREEN, WHITE, BLUE}));
    scene.height = SIZE;
    zoomPreviewView(scene.view, SIZE, SIZE, 2, 40, 28);
    EXPECT_EQ(previewZoomPercent(scene.view), 200);
    EXPECT_EQ(drawAt(0.05f, {{40, 100}, {70, 100}, {40, 60}}), Texels({RED, RED, RED}));
    scene.view.panX += 60;
    EXPECT_EQ(drawAt(0.05f, {{100, 100}}), Texels({RED}));
    zoomPreviewView(scene.view, SIZE, SIZE, 1000, 0, 0);
    EXPECT_EQ(previewZoomPercent(scene.view), 3200);
}

// The stage alpha by its minimum, maximum and speed, and the mask's cut at 0.05.
TEST_F(PreviewFrame, AlphaRuleAndMask) {
    const struct {
        float min, max, speed;
        int mask, alpha;  // alpha -99: discarded
    } cases[] = {
        {0, 0.2f, 0, 0, 255},     // no shift: opaque
        {0.1f, 1, 1, 0, 134},     // the wave (sin(0.05) + 1) / 2, above the minimum
        {0, 0.3f, 1, 0, 77},      // cut to the maximum
        {0.6f, 0.4f, 1, 0, 153},  // the minimum wins
        {-0.5f, 1, 0, 0, 0},      // a negative minimum without speed
        {0.04f, 0, 0, 0, 10},     // a fixed minimum, whatever the maximum; the mask before ended
        {0.06f, 0, 0, 1, 15},     // kept above the cut
        {0.04f, 0, 0, 1, -99},
    };
    Stage* before = addStage({WHITE});
    Stage* stage = addStage({GREEN});
    before->alphamask = 1;  // masked, yet drawn beneath each case
    before->alphaMin = 0.3f;
    for (const auto& c : cases) {
        stage->alphaMin = c.min;
        stage->alphaMax = c.max;
        stage->alphaSpeed = c.speed;
        stage->alphamask = c.mask;
        const Rgba p = drawnQuarters()[0];
        const int alpha = p[0] == 0 && p[1] == 255 ? p[3] : -99;
        EXPECT_NEAR(alpha, c.alpha, 1) << c.min << " " << c.max << " " << c.speed;
    }
}

TEST_F(PreviewFrame, SceneSwaysThirtyDegreesAtTheFarRight) {
    addStage({WHITE});
    drawAt(2.7415f + 0.05f);  // 100 * 3.1415 / 180 * pi / 2
    const double focal = tan(67.5 / 2 * M_PI / 180);
    auto column = [&](double x) { return MID + MID * x * cos(M_PI / 6) / (20 + x / 2) / focal; };
    auto edge = [](int x, int step) {
        while (x >= 0 && x < SIZE && pixels({{x, MID}})[0] == BLUE) x += step;
        return x;
    };
    EXPECT_NEAR(edge(0, 1), column(-10), 1.5);
    EXPECT_NEAR(edge(SIZE - 1, -1), column(10), 1.5);
}

// Which stages a frame draws and behind which background, on a script of three stages that
// each leave their own colour: red, replacing what is beneath; green and blue added to it.
// The selection may be none, or a stage of another script.
TEST_F(PreviewFrame, StagesDrawnAndBackgroundByChoice) {
    Stage* const selections[] = {addStage({RED}), addStage({GREEN}, true),
                                 addStage({{0, 0, 255, 255}}, true), nullptr,
                                 appendStage(appendScript(library, "other"))};
    const struct {
        int stages, selected, background;
        Texels centreCornerAndNextCell;  // the corner: the bottom-left cell
    } cases[] = {
        {PREVIEW_WHOLE_SCRIPT, 1, BACKGROUND_BLUE, {WHITE, BLUE, BLUE}},
        {PREVIEW_UP_TO_SELECTED_STAGE, 1, BACKGROUND_BLUE, {YELLOW, BLUE, BLUE}},
        {PREVIEW_SELECTED_STAGE_ONLY, 1, BACKGROUND_BLUE, {CYAN, BLUE, BLUE}},
        {PREVIEW_SELECTED_STAGE_ONLY, 0, BACKGROUND_CHECKERBOARD, {RED, LIGHT_GREY, DARK_GREY}},
        {PREVIEW_SELECTED_STAGE_ONLY, 3, BACKGROUND_BLACK, {WHITE, CLEAR_BLACK, CLEAR_BLACK}},
        {PREVIEW_UP_TO_SELECTED_STAGE, 4, BACKGROUND_BLUE, {WHITE, BLUE, BLUE}},
    };
    for (const auto& c : cases) {
        scene.stages = c.stages;
        scene.selectedStage = selections[c.selected];
        scene.background = c.background;
        EXPECT_EQ(drawAt(0.05f, {{MID, MID}, {2, 2}, {SIZE / 8 + 2, 2}}), c.centreCornerAndNextCell)
            << c.stages << " " << c.selected << " " << c.background;
    }
}

// With no context to be had (width 0): no timer and no placeholder.
TEST(PreviewSetUp, FailedContextSetsNothingUp) {
    ControlStore store;
    TextureTable textures;
    PreviewState preview;
    EXPECT_FALSE(initPreviewRendering(preview, textures, &store));
    EXPECT_FALSE(preview.previewContextReady);
    EXPECT_FALSE(store.redrawTimerRunning);
    EXPECT_EQ(textures.textureCount, 0);
    shutdownPreviewRendering(preview, &store);
}

// Scale, then rotation, then scroll; a value of 0 switches its modifier off, whatever the wave,
// and an unknown wave changes nothing. From (1, 0) at the time 2; scale waves at the rate 0.05;
// the static row's (2, 0) turns clockwise to (0, -1), then scrolls by (0.5, 0.5).
TEST(TexCoords, ScaleRotationAndScrollInOrder) {
    const WaveType SIN = WAVE_SINE, COS = WAVE_COSINE;
    const struct {
        Stage stage;
        double s, t;
    } cases[] = {
        {{.scrollTypeY = COS, .scaleTypeX = SIN}, 1, 0},
        {{.scrollX = 0.25f, .scrollY = 0.25f, .scaleX = 2, .rotateSpeed = 90}, 0.5, -0.5},
        {{.scrollTypeY = COS, .scrollY = 2, .scaleTypeX = SIN, .scaleX = 3},
         3 * sin(0.1),
         cos(4.0)},
        {{.scrollTypeY = 9, .scrollY = 2, .scaleTypeX = 9, .scaleX = 3}, 1, 0},
    };
    for (const auto& c : cases) {
        float s = 1, t = 0;
        applyTexCoordModifiers(&c.stage, 2, s, t);
        EXPECT_NEAR(std::hypot(s - c.s, t - c.t), 0, 1e-5) << s << ", " << t;
    }
}

// Fixed cases: the rules' own example from no current frame, delays that cannot move the due
// time (one frame per draw, or all delays counted at once, and no longer due). Delays that move
// it are checked against one delay at a time below.
TEST(Animation, AdvancesByElapsedDelaysInBoundedWork) {
    const struct {
        float delay, due, now;
        int from, frame;  // -1: none, any
        float dueAfter, tolerance;
    } cases[] = {
        {0.5f, 0, 1.05f, -1, 0, 1.5f, 0},  {0, 0, 1000, 2, 0, 0, 0},
        {-0.5f, 0, 1000, 1, 2, 0, 0},      {NAN, 0, 1000, 0, 1, 0, 0},
        {1e-7f, 16, 17, 0, -1, 17, 1e-5f}, {1e-30f, 16, 16.2f, 0, -1, 16.2f, 1e-5f},
    };
    AnimFrame frames[3] = {{0, "", &frames[1]}, {0, "", &frames[2]}, {0, "", nullptr}};
    for (const auto& c : cases) {
        Stage stage{.animFrames = frames, .animDelay = c.delay, .animNextTime = c.due};
        stage.animFrameCount = 3;
        stage.animCurrent = c.from < 0 ? nullptr : &frames[c.from];
        advanceAnimation(noTextures, &stage, c.now);
        if (c.frame >= 0) {
            EXPECT_EQ(stage.animCurrent - frames, c.frame) << c.delay;
        }
        EXPECT_NEAR(stage.animNextTime, c.dueAfter, c.tolerance) << c.delay;
        const bool dueAfter = stage.animNextTime * 1000.0 < c.now * 1000.0f;
        EXPECT_EQ(dueAfter, !(c.delay > 0)) << c.delay;
    }
}

// The catch-up one delay at a time, in single precision: the rounds it takes (-1 past three
// million) and the due time it reaches; stuck where a delay no longer moves the due time.
struct PlainCatchUp {
    long rounds;
    float due;
    bool stuck;
};

static PlainCatchUp catchUpOneByOne(float delay, float due, float now) {
    long rounds = 0;
    for (; (double)due * 1000.0 < now; rounds++) {
        const float next = (float)((double)due + delay);
        if (next == due) return {rounds, due, true};
        if (rounds == 3000000) return {-1, due, false};
        due = next;
    }
    return {rounds, due, false};
}

// Random delays, due times and draw times from tiny to huge, on both sides of zero, with up to
// millions of delays: the same frame and the same due time, bit for bit, as one by one. Where a
// delay stops moving the due time partway, the result is that of a draw from the stuck point.
TEST(Animation, EqualsOneDelayAtATime) {
    std::mt19937_64 random(10);
    auto logUniform = [&](double lowPower, double highPower) {
        return std::pow(10.0, std::uniform_real_distribution<double>(lowPower, highPower)(random));
    };
    AnimFrame frames[5] = {};
    for (int i = 0; i < 4; i++) frames[i].next = &frames[i + 1];
    int compared = 0;
    int stuck = 0;
    for (int i = 0; i < 3000; i++) {
        const float delay = (float)logUniform(-9, 30);
        const float sign = random() % 4 == 0 ? -1.0f : 1.0f;
        const float due = random() % 8 == 0 ? 0.0f : sign * (float)logUniform(-42, 32);
        const double rounds = logUniform(0, 6.3);
        const bool anyTime = random() % 5 == 0;
        const float time = anyTime ? (float)logUniform(-3, 38) : (float)(due + rounds * delay);
        const PlainCatchUp plain = catchUpOneByOne(delay, due, (float)((double)time * 1000.0));
        if (plain.rounds < 0) continue;
        Stage stage{.animFrames = frames, .animDelay = delay, .animNextTime = due};
        stage.animFrameCount = 5;
        stage.animCurrent = &frames[1];
        Stage expected = stage;
        expected.animNextTime = plain.due;
        expected.animCurrent = &frames[(1 + plain.rounds) % 5];
        advanceAnimation(noTextures, &stage, time);
        if (plain.stuck) {
            advanceAnimation(noTextures, &expected, time);
            stuck++;
        }
        SCOPED_TRACE(testing::Message() << "delay " << delay << " due " << due << " time " << time);
        ASSERT_EQ(std::bit_cast<uint32_t>(stage.animNextTime),
                  std::bit_cast<uint32_t>(expected.animNextTime));
        ASSERT_EQ(stage.animCurrent, expected.animCurrent);
        compared++;
    }
    EXPECT_GT(compared, 2000);
    EXPECT_GT(stuck, 100);
}
