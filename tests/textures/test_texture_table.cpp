// The texture table: the placeholder, name resolution through the Locate
// dialog, and the resolution of a whole script.
#include "texture_test.h"

#include <cstring>

TEST_F(TextureTest, PlaceholderIsAWhiteFrameInSlotZeroWithLinearFilters) {
    EXPECT_EQ(placeholderSlot, 0);
    EXPECT_EQ(textureCount, 1);
    EXPECT_STREQ(textureTable[0].name, PLACEHOLDER_NAME);
    glBindTexture(GL_TEXTURE_2D, textureTable[0].glTexture);
    TextureSize size = boundTextureSize();
    ASSERT_EQ(size.width, 16);
    ASSERT_EQ(size.height, 16);
    Bytes pixels = boundTexturePixels();
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 16; x++) {
            bool border = x == 0 || y == 0 || x == 15 || y == 15;
            uint8_t level = border ? 255 : 0;
            EXPECT_EQ(Bytes(&pixels[(y * 16 + x) * 4], &pixels[(y * 16 + x) * 4 + 4]),
                      Bytes({level, level, level, 255})) << x << "," << y;
        }
    EXPECT_TRUE(boundTextureFiltersLinear());
}

TEST_F(TextureTest, KnownNamesInAnyCaseAskNothing) {
    std::string path = writeImage("Wall.TGA", encodeTga(32, 32, testPattern(32, 32)));
    store.answerDialog(path);
    EXPECT_EQ(resolveTexture("textures/Wall"), 1);
    EXPECT_NE(textureTable[1].glTexture, textureTable[placeholderSlot].glTexture);
    EXPECT_STREQ(textureTable[1].name, "textures/Wall");
    EXPECT_EQ(resolveTexture("TEXTURES/wall"), 1);
    EXPECT_EQ(resolveTexture("***notex***"), placeholderSlot);
    EXPECT_EQ(store.dialogsShown.size(), 1u);
    EXPECT_EQ(textureCount, 2);
}

TEST_F(TextureTest, LocateDialogShowsTheWholeNameAndTheLastChoice) {
    std::string first = writeImage("first.tga", encodeTga(16, 16, testPattern(16, 16)));
    std::string longName(255, 'n');
    store.answerDialog(first);
    store.cancelDialog();
    store.answerDialog(first);
    resolveTexture("first");
    resolveTexture(longName.c_str());
    resolveTexture("third");
    ASSERT_EQ(store.dialogsShown.size(), 3u);
    EXPECT_EQ(store.dialogsShown[0].title, "Locate first");
    EXPECT_EQ(store.dialogsShown[0].initialPath, "");
    EXPECT_EQ(store.dialogsShown[0].filterName, "Image file");
    EXPECT_EQ(store.dialogsShown[0].filterPattern, "*.tga;*.jpg;*.wal;*.pcx");
    EXPECT_FALSE(store.dialogsShown[0].save);
    EXPECT_EQ(store.dialogsShown[1].title, "Locate " + longName);
    EXPECT_EQ(store.dialogsShown[1].initialPath, first);
    EXPECT_EQ(store.dialogsShown[2].initialPath, first);
    EXPECT_STREQ(textureTable[2].name, longName.c_str());
}

TEST_F(TextureTest, NamesThatCannotBeHadShowThePlaceholderAndAreNotAskedAgain) {
    std::string jpeg = writeImage("photo.jpeg", encodeTga(16, 16, testPattern(16, 16)));
    std::string broken = writeImage("broken.tga", Bytes(40, 0xAB));
    uint32_t placeholder = textureTable[placeholderSlot].glTexture;

    store.cancelDialog();
    EXPECT_EQ(resolveTexture("cancelled"), 1);  // its own slot, sharing the placeholder
    store.answerDialog(jpeg);
    EXPECT_EQ(resolveTexture("unknown extension"), placeholderSlot);
    EXPECT_TRUE(store.messagesShown.empty());
    store.answerDialog(broken);
    EXPECT_EQ(resolveTexture("broken"), placeholderSlot);
    EXPECT_FALSE(store.messagesShown.empty());

    ASSERT_EQ(textureCount, 4);
    for (int slot = 1; slot < 4; slot++) EXPECT_EQ(textureTable[slot].glTexture, placeholder) << slot;
    size_t dialogs = store.dialogsShown.size();
    EXPECT_EQ(resolveTexture("Cancelled"), 1);
    EXPECT_EQ(resolveTexture("UNKNOWN EXTENSION"), 2);
    EXPECT_EQ(resolveTexture("broken"), 3);
    EXPECT_EQ(store.dialogsShown.size(), dialogs);
}

TEST_F(TextureTest, TwoNamesLocatedToOneFileLoadItTwice) {
    std::string path = writeImage("shared.pcx", encodePcx(16, 16, testPattern(16, 16)));
    store.answerDialog(path);
    store.answerDialog(path);
    EXPECT_EQ(resolveTexture("one"), 1);
    EXPECT_EQ(resolveTexture("two"), 2);
    EXPECT_NE(textureTable[1].glTexture, textureTable[2].glTexture);
    for (int slot : {1, 2}) {
        glBindTexture(GL_TEXTURE_2D, textureTable[slot].glTexture);
        EXPECT_EQ(boundTexturePixels(), testPattern(16, 16)) << slot;
    }
}

TEST_F(TextureTest, AFullTableHandsOutThePlaceholderWithoutAsking) {
    char name[16];
    for (int i = 1; i < MAX_TEXTURE_SLOTS; i++) {
        snprintf(name, sizeof name, "name%d", i);
        ASSERT_EQ(resolveTexture(name), i);
    }
    size_t dialogs = store.dialogsShown.size();
    EXPECT_EQ(resolveTexture("one too many"), placeholderSlot);
    EXPECT_EQ(resolveTexture("name255"), 255);
    EXPECT_EQ(textureCount, MAX_TEXTURE_SLOTS);
    EXPECT_EQ(store.dialogsShown.size(), dialogs);
}

TEST_F(TextureTest, WithoutAContextNamesOnlyGetSlots) {
    resetTable(false);
    EXPECT_EQ(resolveTexture("first"), 0);
    EXPECT_EQ(resolveTexture("second"), 1);
    EXPECT_EQ(resolveTexture("FIRST"), 0);
    EXPECT_TRUE(store.dialogsShown.empty());
    EXPECT_EQ(textureTable[1].glTexture, 0u);
}

// Two stages: the first with two frames and a map, the second with an empty map.
struct TwoStageScript {
    Script script{};
    Stage stages[2]{};
    AnimFrame frames[2]{};

    TwoStageScript() {
        script.stages = &stages[0];
        stages[0].next = &stages[1];
        stages[0].animFrames = &frames[0];
        stages[0].animCurrent = &frames[1];
        stages[0].animFrameCount = 2;
        frames[0].next = &frames[1];
        strcpy(frames[0].name, "frame a");
        strcpy(frames[1].name, "frame b");
        strcpy(stages[0].map, "map");
    }
};

TEST_F(TextureTest, ScriptNamesResolveFramesBeforeMapsOnceUntilCleared) {
    TwoStageScript s;
    store.cancelDialog();
    store.cancelDialog();
    store.cancelDialog();
    resolveScriptTextures(&s.script);
    ASSERT_EQ(store.dialogsShown.size(), 3u);
    EXPECT_EQ(store.dialogsShown[0].title, "Locate frame a");
    EXPECT_EQ(store.dialogsShown[1].title, "Locate frame b");
    EXPECT_EQ(store.dialogsShown[2].title, "Locate map");
    EXPECT_EQ(s.frames[0].texture, 1);
    EXPECT_EQ(s.frames[1].texture, 2);
    EXPECT_EQ(s.stages[0].texture, 3);
    EXPECT_EQ(s.stages[1].texture, 0);
    EXPECT_EQ(s.stages[0].animCurrent, &s.frames[0]);
    EXPECT_EQ(s.script.texturesResolved, 1);

    strcpy(s.stages[0].map, "another map");
    s.stages[0].animCurrent = &s.frames[1];
    resolveScriptTextures(&s.script);
    EXPECT_EQ(s.stages[0].texture, 3);
    EXPECT_EQ(s.stages[0].animCurrent, &s.frames[1]);

    s.script.texturesResolved = 0;
    strcpy(s.stages[0].map, "FRAME A");
    resolveScriptTextures(&s.script);
    EXPECT_EQ(s.stages[0].texture, 1);
    EXPECT_EQ(s.stages[0].animCurrent, &s.frames[0]);
    EXPECT_EQ(store.dialogsShown.size(), 3u);
}
