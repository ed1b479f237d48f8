// The properties panel: what it shows, what a commit stores, Submit and the
// Animation group's buttons.
#include "editor_fixture.h"

#include <clocale>

// One script "s" with one stage, current and shown.
struct Panel : EditorTest {
    Stage* stage = nullptr;

    void SetUp() override {
        EditorTest::SetUp();
        openText(
            "s\n{\n\t{\n\t\tmap m.tga\n\t\tblendfunc GL_SRC_COLOR GL_DST_COLOR\n"
            "\t\tscroll sine 0.1234567 cosine 2\n\t}\n}\n");
        pickScript("s");
        pick(IDC_STAGE_LIST, 0);
        stage = currentStage;
    }

    void commit() { pick(IDC_STAGE_LIST, 0); }
    int comboIndex(int id) { return store.comboSelection(id); }
    std::vector<std::string> frameNames() {
        std::vector<std::string> names;
        for (AnimFrame* f = stage->animFrames; f; f = f->next) names.push_back(f->name);
        return names;
    }
};

TEST_F(Panel, BlendListsMapFactorsBothWays) {
    EXPECT_EQ(entries(IDC_BLEND_SRC).size(), 9u);
    EXPECT_EQ(entries(IDC_BLEND_DST).size(), 8u);
    EXPECT_EQ(entries(IDC_SCALE_TYPE_Y), (std::vector<std::string>{"Static", "Sine", "Cosine"}));
    const float factors[] = {0, 1, 768, 774, 769, 775, 770, 771, 772, 773, 776, 3, 770.5f};
    const int indices[] = {0, 1, 2, 2, 3, 3, 4, 5, 6, 7, 8, 0, 0};
    for (int i = 0; i < 13; i++) EXPECT_EQ(blendFactorToComboIndex(factors[i]), indices[i]) << factors[i];

    // GL_SRC_COLOR shows as the source list's "GL_DST_COLOR" and comes back so.
    EXPECT_TRUE(store.isChecked(IDC_BLENDFUNC));
    EXPECT_EQ(entries(IDC_BLEND_SRC)[comboIndex(IDC_BLEND_SRC)], "GL_DST_COLOR");
    EXPECT_EQ(entries(IDC_BLEND_DST)[comboIndex(IDC_BLEND_DST)], "GL_SRC_COLOR");
    commit();
    EXPECT_EQ(stage->blendSrc, 774.0f);
    EXPECT_EQ(stage->blendDst, 768.0f);

    // GL_SRC_ALPHA_SATURATE has no destination entry: no selection, stored as 0.
    stage->blendDst = 776;
    showStageProperties(stage);
    EXPECT_EQ(comboIndex(IDC_BLEND_DST), NO_SELECTION);
    commit();
    EXPECT_EQ(stage->blendDst, 0.0f);

    // Blending off shows GL_ZERO in both lists; the lists' factors are stored.
    stage->blendEnabled = 0;
    stage->blendSrc = 770;
    showStageProperties(stage);
    EXPECT_EQ(comboIndex(IDC_BLEND_SRC), 0);
    EXPECT_EQ(comboIndex(IDC_BLEND_DST), 0);
    store.comboSetSelection(IDC_BLEND_DST, 5);
    commit();
    EXPECT_EQ(stage->blendEnabled, 0);
    EXPECT_EQ(stage->blendSrc, 0.0f);
    EXPECT_EQ(stage->blendDst, 771.0f);
}

TEST_F(Panel, NumbersPassThroughTheirTextEvenUnderADecimalCommaLocale) {
    const char* previous = setlocale(LC_ALL, "de_DE.UTF-8");
    if (!previous) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    showStageProperties(stage);
    EXPECT_EQ(shown(IDC_SCROLL_X), "0.123457");
    EXPECT_EQ(comboIndex(IDC_SCROLL_TYPE_X), WAVE_SINE);
    EXPECT_EQ(comboIndex(IDC_SCROLL_TYPE_Y), WAVE_COSINE);
    EXPECT_EQ(shown(IDC_ANIM_DELAY), "0");  // no frames
    type(IDC_ALPHA_MIN, "0.25");
    type(IDC_ALPHA_MAX, "1e-1");
    type(IDC_ALPHA_SPEED, "fast");
    type(IDC_SCALE_X, "");
    store.comboSetSelection(IDC_SCALE_TYPE_X, NO_SELECTION);
    commit();
    setlocale(LC_ALL, "C");
    EXPECT_EQ(stage->scrollX, 0.123457f);
    EXPECT_EQ(stage->alphaMin, 0.25f);
    EXPECT_EQ(stage->alphaMax, 0.1f);
    EXPECT_EQ(stage->alphaSpeed, 0.0f);
    EXPECT_EQ(stage->scaleX, 0.0f);
    EXPECT_EQ(stage->scaleTypeX, 255);
    EXPECT_EQ(stage->animDelay, 0.0f);
    EXPECT_EQ(comboIndex(IDC_SCALE_TYPE_X), NO_SELECTION);  // 255 shows no selection
    EXPECT_EQ(shown(IDC_ALPHA_MIN), "0.250000");

    Script* script = currentScript;
    for (auto [typed, stored] : {std::pair{"300", 44}, {"256", 0}, {"200", 200}, {"-1", 255}, {"16", 16}}) {
        type(IDC_SUBDIVIDE, typed);
        readScriptProperties(script);
        EXPECT_EQ(script->subdivide, stored) << typed;
    }
    showScriptProperties(script);
    EXPECT_EQ(shown(IDC_SUBDIVIDE), "16");

    type(IDC_TEXTURE_MAP, std::string(300, 'm'));
    commit();
    EXPECT_EQ(std::string(stage->map), std::string(255, 'm'));
}

TEST_F(Panel, FrameButtonsRebuildTheStagesFrames) {
    type(IDC_FRAME_NAME, "a");
    EXPECT_EQ(command(IDC_FRAME_ADD), 1);  // too short
    EXPECT_EQ(shown(IDC_FRAME_NAME), "a");
    for (const char* name : {"f1.tga", "f2.tga", "f3.tga"}) {
        type(IDC_FRAME_NAME, name);
        EXPECT_EQ(command(IDC_FRAME_ADD), 0);
    }
    EXPECT_EQ(frameNames(), (std::vector<std::string>{"f1.tga", "f2.tga", "f3.tga"}));
    EXPECT_EQ(stage->animFrameCount, 3);
    EXPECT_EQ(stage->animCurrent, stage->animFrames);
    EXPECT_EQ(stage->animFrames->texture, 0);
    EXPECT_EQ(shown(IDC_FRAME_NAME), "");

    EXPECT_EQ(pick(IDC_FRAME_LIST, NO_SELECTION), 1);
    EXPECT_EQ(pick(IDC_FRAME_LIST, 1), 0);
    EXPECT_EQ(shown(IDC_FRAME_NAME), "f2.tga");
    type(IDC_FRAME_NAME, "");
    EXPECT_EQ(command(IDC_FRAME_UPDATE), 0);  // an empty name is accepted
    EXPECT_EQ(frameNames(), (std::vector<std::string>{"f1.tga", "", "f3.tga"}));
    EXPECT_EQ(command(IDC_FRAME_UPDATE), 1);  // the update dropped the selection

    store.control(IDC_FRAME_LIST).selection = 0;
    EXPECT_EQ(command(IDC_FRAME_DELETE), 0);
    EXPECT_EQ(frameNames(), (std::vector<std::string>{"", "f3.tga"}));
    EXPECT_EQ(stage->animFrameCount, 2);
    for (int i = 0; i < 2; i++) {
        store.control(IDC_FRAME_LIST).selection = 0;
        command(IDC_FRAME_DELETE);
    }
    EXPECT_EQ(stage->animFrames, nullptr);
    EXPECT_EQ(stage->animFrameCount, 0);
    EXPECT_EQ(stage->animCurrent, nullptr);
}

TEST_F(Panel, FrameAddAtTheLimitAndWithoutAStageIsRefused) {
    for (int i = 0; i < MAX_ANIM_FRAMES; i++) {
        type(IDC_FRAME_NAME, "frame" + std::to_string(i));
        ASSERT_EQ(command(IDC_FRAME_ADD), 0);
    }
    EXPECT_EQ(stage->animFrameCount, 255);
    type(IDC_FRAME_NAME, "one-too-many");
    EXPECT_EQ(command(IDC_FRAME_ADD), 1);
    EXPECT_EQ(stage->animFrameCount, 255);
    EXPECT_EQ(entries(IDC_FRAME_LIST).size(), 255u);
    EXPECT_EQ(shown(IDC_FRAME_NAME), "one-too-many");

    EXPECT_EQ(command(IDC_STAGE_DELETE), 0);  // stage 0 is still selected
    EXPECT_EQ(currentStage, nullptr);
    store.control(IDC_FRAME_LIST).selection = 0;
    for (int id : {IDC_FRAME_LIST, IDC_FRAME_ADD, IDC_FRAME_DELETE, IDC_FRAME_UPDATE})
        EXPECT_EQ(command(id), 1) << id;
}

TEST_F(Panel, SubmitCommitsTheStageAndResolvesTheScriptAgain) {
    Script* script = currentScript;
    EXPECT_EQ(script->texturesResolved, 1);
    type(IDC_TEXTURE_MAP, "other.tga");
    type(IDC_SUBDIVIDE, "64");  // script controls are not Submit's
    EXPECT_EQ(command(IDC_SUBMIT), 0);
    EXPECT_STREQ(stage->map, "other.tga");
    EXPECT_EQ(script->subdivide, 0);
    EXPECT_EQ(script->texturesResolved, 1);

    // Without a stage Submit only resolves, which does nothing when resolved.
    store.control(IDC_STAGE_LIST).selection = 0;
    command(IDC_STAGE_DELETE);
    type(IDC_TEXTURE_MAP, "ignored.tga");
    EXPECT_EQ(command(IDC_SUBMIT), 0);
    EXPECT_EQ(script->texturesResolved, 1);
}
