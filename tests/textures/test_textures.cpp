// The texture table and image loading against the real decoders and Mesa, on image
// files written here, with the toolkit-free platform scripting the dialogs.
#include "control_store.h"
#include "editor.h"
#include "headless_gl.h"
#include "test_images.h"
#include "textures.h"

#include <GL/gl.h>
#include <IL/ilu.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cctype>
#include <clocale>
#include <filesystem>
#include <fstream>

extern "C" void ilSetError(ILenum error);  // exported by DevIL, missing from its header
typedef std::vector<std::string> Texts;
typedef std::vector<int> Ints;
static char folder[] = "/tmp/veltra-textures-XXXXXX";

static int level(GLenum what) {
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, what, &value);
    return value;
}

// Size, internal format and both filters of the bound texture.
static Ints boundTexture() {
    GLint filters[2] = {};
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filters[0]);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filters[1]);
    return {level(GL_TEXTURE_WIDTH), level(GL_TEXTURE_HEIGHT), level(GL_TEXTURE_INTERNAL_FORMAT),
            filters[0], filters[1]};
}

static Bytes boundPixels() {
    Bytes rgba(level(GL_TEXTURE_WIDTH) * level(GL_TEXTURE_HEIGHT) * 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

static std::string writeImage(const char* name, const Bytes& bytes) {
    const std::string path = std::string(folder) + "/" + name;
    std::ofstream(path, std::ios::binary).write((const char*)bytes.data(), bytes.size());
    return path;
}

// Loads the bytes, written as a file, into a new bound texture.
static bool load(const char* name, const Bytes& bytes, int type) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    return loadTextureFile(writeImage(name, bytes).c_str(), type);
}

static std::string devilBox(int code) {
    return "LoadImage Error|" + std::to_string(code) + ": " + iluErrorString(code);
}

// DevIL hands out deleted names again first: this changes only while an image is left alive.
static ILuint nextDevilImageName() {
    ILuint name = 0;
    ilGenImages(1, &name);
    ilDeleteImages(1, &name);
    return name;
}

// Each test starts from the table the preview's set-up leaves and leaves no DevIL image or error.
struct TextureTest : ::testing::Test {
    static inline HeadlessGL* gl;
    ControlStore store;
    ILuint freeDevilName = nextDevilImageName();

    static void SetUpTestSuite() {
        gl = createHeadlessGL(64, 64);
        mkdtemp(folder);
        initImageLibrary();
    }
    static void TearDownTestSuite() {
        shutdownImageLibrary();
        destroyHeadlessGL(gl);
        std::filesystem::remove_all(folder);
    }
    void SetUp() override {
        ASSERT_NE(gl, nullptr);
        platform = &store;
        textureSizeLimit = 0;
        installTextureFinder();  // no folders: every name goes to the Locate dialog
        resetTable(true);
    }
    void TearDown() override {
        platform = nullptr;
        EXPECT_EQ(ilGetError(), 0u);
        EXPECT_EQ(nextDevilImageName(), freeDevilName);
    }
    void resetTable(bool context) {
        textureCount = 0;
        placeholderSlot = 0;
        locatedPath[0] = 0;
        texturesHaveContext = 0;
        if (context) createPlaceholderTexture();
    }
    // "caption|text" of each box since the last call.
    Texts boxes() {
        Texts shown;
        for (auto& m : store.messagesShown) shown.push_back(m.caption + "|" + m.text);
        store.messagesShown.clear();
        return shown;
    }
    // "title|initial file name" of each dialog.
    Texts dialogs() {
        Texts shown;
        for (auto& d : store.dialogsShown) shown.push_back(d.title + "|" + d.initialPath);
        return shown;
    }
};

// Nearest step (half-way goes down) in 16..4096, halved within the limit; small ones uploaded,
// copied only if resized.
TEST_F(TextureTest, ImagesAreUploadedAtTheRuledSize) {
    const int cases[][5] = {// width, height, limit, expected width, expected height
                            {2, 15, 16384, 16, 16},          {24, 25, 16384, 16, 32},
                            {48, 49, 16384, 32, 64},         {100, 30, 64, 64, 32},
                            {256, 256, 16384, 256, 256},     {256, 256, 64, 64, 64},
                            {4096, 16, 3000, 2048, 16},      {20, 9, 8, 8, 8},
                            {640, 1000, 16384, 512, 1024},   {1536, 1537, 16384, 1024, 2048},
                            {3072, 3073, 16384, 2048, 4096}, {9000, 3073, 1024, 1024, 1024},
                            {4096, 4097, 2048, 2048, 2048}};
    for (auto& c : cases) {
        const std::pair sizes(textureTargetSize(c[0], c[2]), textureTargetSize(c[1], c[2]));
        EXPECT_EQ(sizes, std::pair(c[3], c[4])) << c[0] << "x" << c[1] << " within " << c[2];
        if (c[0] * c[1] > 70000) continue;
        const int copies = scaledUploadCount;
        textureSizeLimit = c[2];
        ASSERT_TRUE(
            load("size.tga", encodeTga(c[0], c[1], testPattern(c[0], c[1])), IMAGE_TYPE_TGA));
        EXPECT_EQ(boundTexture(), (Ints{c[3], c[4], GL_RGBA8, GL_LINEAR, GL_LINEAR})) << c[0];
        EXPECT_EQ(scaledUploadCount - copies, c[0] != c[3] || c[1] != c[4]) << c[0] << "x" << c[1];
    }
}

TEST_F(TextureTest, PlaceholderThenNamesLocatedOnceInAnyCase) {
    EXPECT_EQ(textureCount, 1);
    EXPECT_EQ(placeholderSlot, 0);
    EXPECT_STREQ(textureTable[0].name, "***NOTEX***");
    glBindTexture(GL_TEXTURE_2D, textureTable[0].glTexture);
    EXPECT_EQ(boundTexture(), (Ints{16, 16, GL_RGBA, GL_LINEAR, GL_LINEAR}));
    Bytes frame;  // white on the first and last row and column, black inside, opaque
    for (int i = 0; i < 256; i++) {
        frame.insert(frame.end(), 3, 255 * (i < 16 || i >= 240 || i % 16 % 15 == 0));
        frame.push_back(255);
    }
    EXPECT_EQ(boundPixels(), frame);
    const Bytes pattern = testPattern(16, 16);
    const std::string wall = writeImage("Wall.TGA", encodeTga(16, 16, pattern));
    const std::string jpeg = writeImage("photo.jpeg", encodeTga(16, 16, pattern));
    const std::string broken = writeImage("broken.tga", Bytes(40, 0xAB));
    const std::string longName(255, 'n');
    store.answerDialog(wall);
    store.cancelDialog();
    store.answerDialog(jpeg);
    store.answerDialog(broken);
    store.answerDialog(wall);
    // Cancelled: a slot of its own; unknown extension: the placeholder's; no message for either.
    EXPECT_EQ(resolveTexture("textures/Wall"), 1);
    EXPECT_EQ(resolveTexture(longName.c_str()), 2);
    EXPECT_EQ(resolveTexture("photo"), 0);
    EXPECT_EQ(boxes(), Texts());
    EXPECT_EQ(resolveTexture("broken"), placeholderSlot);
    EXPECT_EQ(boxes(), Texts{devilBox(IL_INVALID_FILE_HEADER)});
    // Asked again in any case: the same slots, no dialog; failed ones share the placeholder.
    EXPECT_EQ(resolveTexture("TEXTURES/wall"), 1);
    EXPECT_EQ(resolveTexture("PHOTO"), 3);
    EXPECT_EQ(resolveTexture("***notex***"), 0);
    EXPECT_EQ(dialogs().size(), 4u);
    for (int slot : {2, 3, 4})
        EXPECT_EQ(textureTable[slot].glTexture, textureTable[placeholderSlot].glTexture) << slot;
    // Two names, one file: two textures, the same pixels.
    glBindTexture(GL_TEXTURE_2D, textureTable[resolveTexture("same file")].glTexture);
    EXPECT_EQ(textureCount, 6);
    EXPECT_NE(textureTable[1].glTexture, textureTable[5].glTexture);
    EXPECT_EQ(boundPixels(), pattern);
    EXPECT_EQ(dialogs(), (Texts{"Locate textures/Wall|", "Locate " + longName + "|" + wall,
                                "Locate photo|" + wall, "Locate broken|" + jpeg,
                                "Locate same file|" + broken}));
}

// Under Turkish letter case the C library folds 'I' to a dotless i; names and extensions must
// still compare by ASCII case: one slot and one dialog for both spellings.
TEST_F(TextureTest, NamesCompareByAsciiCaseUnderTurkishLocale) {
    ASSERT_TRUE(setlocale(LC_ALL, "tr_TR.UTF-8"))
        << "scripts/setup-debian.sh generates tr_TR.UTF-8";
    EXPECT_NE(tolower('I'), 'i');  // what strcasecmp folds with
    const std::string ice = writeImage("ICE.TGA", encodeTga(16, 16, testPattern(16, 16)));
    store.answerDialog(ice);
    const int upper = resolveTexture("pics/ICE.tga");
    const int lower = resolveTexture("pics/ice.tga");
    setlocale(LC_ALL, "C");
    EXPECT_EQ(upper, 1);
    EXPECT_EQ(lower, 1);
    EXPECT_EQ(dialogs(), (Texts{"Locate pics/ICE.tga|"}));
    glBindTexture(GL_TEXTURE_2D, textureTable[upper].glTexture);
    EXPECT_EQ(boundPixels(), testPattern(16, 16));
}

TEST_F(TextureTest, ScriptsAndTheTableWithoutContextOrRoom) {
    // Frames before maps, stage by stage; once per script until its flag is cleared.
    Script script{};
    Stage stages[2]{};
    AnimFrame frames[2]{};
    script.stages = stages;
    stages[0].next = &stages[1];
    stages[0].animFrames = frames;
    frames[0].next = &frames[1];
    stages[0].animCurrent = &frames[1];
    copyText(frames[0].name, "frame a");
    copyText(frames[1].name, "frame b");
    copyText(stages[0].map, "map");
    resolveScriptTextures(&script);
    EXPECT_EQ(dialogs(), (Texts{"Locate frame a|", "Locate frame b|", "Locate map|"}));
    const Ints resolved = {frames[0].texture,       frames[1].texture,
                           stages[0].texture,       stages[1].texture,
                           script.texturesResolved, stages[0].animCurrent == frames};
    EXPECT_EQ(resolved, (Ints{1, 2, 3, 0, 1, 1}));
    copyText(stages[0].map, "another map");
    resolveScriptTextures(&script);  // resolved already: nothing asked
    script.texturesResolved = 0;
    resolveScriptTextures(&script);  // cleared: resolved anew
    EXPECT_EQ(stages[0].texture, 4);
    EXPECT_EQ(store.dialogsShown.size(), 4u);
    // A full table hands out the placeholder unasked; without a context names only get slots.
    for (int i = textureCount; i < MAX_TEXTURE_SLOTS; i++)
        ASSERT_EQ(resolveTexture(std::to_string(i).c_str()), i);
    EXPECT_EQ(resolveTexture("one too many"), placeholderSlot);
    EXPECT_EQ(textureCount, MAX_TEXTURE_SLOTS);
    EXPECT_EQ(store.dialogsShown.size(), 255u);
    resetTable(false);
    EXPECT_EQ(resolveTexture("first"), 0);
    EXPECT_EQ(resolveTexture("second"), 1);
    EXPECT_EQ(textureTable[1].glTexture, 0u);
    EXPECT_EQ(dialogs().size(), 255u);
}

// DevIL's errors, one box each, latest first; a damaged WAL one box, cut-off files at least one;
// a missing file or one that is not a regular file none, and a FIFO is not waited for.
TEST_F(TextureTest, FailuresShowDevilErrorsAndLeaveNothingBehind) {
    const std::string fifo = std::string(folder) + "/fifo.tga";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {std::string("/nonexistent/wall.tga"), std::string(folder),
                                    std::string("/dev/zero"), fifo})
        EXPECT_FALSE(loadTextureFile(path.c_str(), IMAGE_TYPE_TGA)) << path;
    EXPECT_EQ(boxes(), Texts());
    ilSetError(IL_ILLEGAL_FILE_VALUE);
    ilSetError(IL_OUT_OF_MEMORY);
    reportImageErrors();
    EXPECT_EQ(boxes(), (Texts{devilBox(IL_OUT_OF_MEMORY), devilBox(IL_ILLEGAL_FILE_VALUE)}));
    const int types[4] = {IMAGE_TYPE_TGA, IMAGE_TYPE_JPG, IMAGE_TYPE_PCX, IMAGE_TYPE_WAL};
    const Bytes pattern = testPattern(16, 16);
    const Bytes wal = encodeWal(16, 16, pattern);
    std::vector<std::tuple<int, Bytes, size_t>> broken = {
        // type, file, boxes (0: at least one)
        {IMAGE_TYPE_WAL, Bytes(wal.begin(), wal.end() - 1), 1},
        {IMAGE_TYPE_WAL, encodeWal(4, 4, pattern), 1}};
    const Bytes valid[4] = {encodeTga(16, 16, pattern), encodeJpg(16, 16, pattern),
                            encodePcx(16, 16, pattern), wal};
    for (int i = 0; i < 4; i++)
        for (size_t length : {size_t(0), size_t(10), valid[i].size() / 2})
            broken.push_back({types[i], Bytes(valid[i].begin(), valid[i].begin() + length), 0});
    for (const auto& [type, file, count] : broken) {
        const Texts shown = load("broken", file, type) ? Texts() : boxes();  // none when it loads
        EXPECT_TRUE(count ? shown.size() == count : !shown.empty()) << type << " " << file.size();
        for (const std::string& box : shown)
            EXPECT_EQ(box, devilBox(atoi(box.c_str() + box.find('|') + 1)));
    }
}
