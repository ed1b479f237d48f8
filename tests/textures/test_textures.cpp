// The texture table and image loading against real DevIL and Mesa, on image
// files written here, with the toolkit-free platform scripting the dialogs.
#include "control_store.h"
#include "headless_gl.h"
#include "test_images.h"
#include "textures.h"

#include <GL/gl.h>
#include <IL/ilu.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

// DevIL 1.7.8's WAL decoder loses three palettes on every file, valid ones too;
// naming it needs full stacks, since DevIL is built without frame pointers.
extern "C" const char* __lsan_default_suppressions() { return "leak:iLoadWalInternal\n"; }
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }
extern "C" void ilSetError(ILenum error);  // exported by DevIL, missing from its header
typedef std::vector<std::string> Texts;

// One context, one DevIL start and one scratch folder for the whole program.
static char folder[] = "/tmp/veltra-textures-XXXXXX";
struct TextureEnvironment : ::testing::Environment {
    HeadlessGL* gl = nullptr;
    void SetUp() override { ASSERT_TRUE((gl = createHeadlessGL(64, 64)) && mkdtemp(folder)); initImageLibrary(); }
    void TearDown() override { shutdownImageLibrary(); destroyHeadlessGL(gl); std::filesystem::remove_all(folder); }
};
static auto* environment = ::testing::AddGlobalTestEnvironment(new TextureEnvironment);

static int level(GLenum what) { GLint v = 0; glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, what, &v); return v; }
static int param(GLenum what) { GLint v = 0; glGetTexParameteriv(GL_TEXTURE_2D, what, &v); return v; }
// Size, internal format and both filters of the bound texture.
static std::vector<int> boundTexture() {
    return {level(GL_TEXTURE_WIDTH), level(GL_TEXTURE_HEIGHT), level(GL_TEXTURE_INTERNAL_FORMAT), param(GL_TEXTURE_MIN_FILTER), param(GL_TEXTURE_MAG_FILTER)};
}
static Bytes boundPixels() {
    Bytes rgba(level(GL_TEXTURE_WIDTH) * level(GL_TEXTURE_HEIGHT) * 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}
static std::string writeImage(const char* name, const Bytes& bytes) {
    std::string path = std::string(folder) + "/" + name;
    std::ofstream(path, std::ios::binary).write((const char*)bytes.data(), bytes.size());
    return path;
}
// Writes the file and loads it into a new bound texture.
static bool load(const char* name, const Bytes& bytes, int type) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    return loadTextureFile(writeImage(name, bytes).c_str(), type);
}
static std::string devilBox(int code) { return "LoadImage Error|" + std::to_string(code) + ": " + iluErrorString(code); }
// DevIL hands out deleted names again first: this changes only while an image is left alive.
static ILuint nextDevilImageName() { ILuint name = 0; ilGenImages(1, &name); ilDeleteImages(1, &name); return name; }

// Each test starts from the table the preview's set-up leaves and must leave
// no DevIL image alive and no DevIL error pending.
struct TextureTest : ::testing::Test {
    ControlStore store;
    ILuint freeDevilName = nextDevilImageName();
    void SetUp() override { platform = &store; textureSizeLimit = 0; resetTable(true); }
    void TearDown() override { platform = nullptr; EXPECT_EQ(ilGetError(), 0u); EXPECT_EQ(nextDevilImageName(), freeDevilName); }
    void resetTable(bool withContext) {
        textureCount = placeholderSlot = locatedPath[0] = 0, texturesHaveContext = false;
        if (withContext) createPlaceholderTexture();
    }
    Texts boxes() {  // "caption|text" of each box since the last call
        Texts shown;
        for (const MessageShown& m : store.messagesShown) shown.push_back(m.caption + "|" + m.text);
        return store.messagesShown.clear(), shown;
    }
    Texts dialogs() {  // "title|initial file name" of each Locate dialog
        Texts shown;
        for (const DialogShown& d : store.dialogsShown) shown.push_back(d.title + "|" + d.initialPath);
        return shown;
    }
};

// Nearest step, half-way going down, within 16..4096, halved within the limit; the
// small ones are uploaded, read back, and copied only when their size changes.
TEST_F(TextureTest, ImagesAreUploadedAtTheRuledSize) {
    const int cases[][5] = {{2, 15, 16384, 16, 16}, {24, 25, 16384, 16, 32}, {48, 49, 16384, 32, 64}, {100, 30, 64, 64, 32},
        {256, 256, 16384, 256, 256}, {256, 256, 64, 64, 64}, {4096, 16, 3000, 2048, 16}, {20, 9, 8, 8, 8}, {640, 1000, 16384, 512, 1024},
        {1536, 1537, 16384, 1024, 2048}, {3072, 3073, 16384, 2048, 4096}, {9000, 3073, 1024, 1024, 1024}, {4096, 4097, 2048, 2048, 2048}};
    for (auto& c : cases) {
        EXPECT_EQ(textureTargetSize(c[0], c[2]) * 10000 + textureTargetSize(c[1], c[2]), c[3] * 10000 + c[4]) << c[0] << "x" << c[1] << " within " << c[2];
        if (c[0] * c[1] > 70000) continue;
        int copies = scaledUploadCount;
        textureSizeLimit = c[2];
        ASSERT_TRUE(load("size.tga", encodeTga(c[0], c[1], testPattern(c[0], c[1])), IMAGE_TYPE_TGA));
        EXPECT_EQ(boundTexture(), (std::vector<int>{c[3], c[4], GL_RGBA8, GL_LINEAR, GL_LINEAR})) << c[0] << "x" << c[1];
        EXPECT_EQ(scaledUploadCount - copies, c[0] != c[3] || c[1] != c[4]) << c[0] << "x" << c[1];
    }
}

TEST_F(TextureTest, PixelsSurviveTheUpload) {
    Bytes pattern = testPattern(16, 16), paletted, ramp(16 * 16 * 4);
    for (size_t i = 0; i < 1024; i += 4) paletted.insert(paletted.end(), {pattern[i], uint8_t(255 - pattern[i]), uint8_t(pattern[i] / 2), 255});
    ASSERT_TRUE(load("a.tga", encodeTga(16, 16, pattern), IMAGE_TYPE_TGA) && boundPixels() == pattern);
    ASSERT_TRUE(load("b.tga", encodeTga(16, 16, pattern, true), IMAGE_TYPE_TGA) && boundPixels() == pattern);
    ASSERT_TRUE(load("c.pcx", encodePcx(16, 16, pattern), IMAGE_TYPE_PCX) && boundPixels() == pattern);
    ASSERT_TRUE(load("d.pcx", encodePcx(16, 16, pattern, true), IMAGE_TYPE_PCX) && boundPixels() == paletted);
    // JPEG keeps the smooth red and green ramps close, the right way up.
    ASSERT_TRUE(load("e.jpg", encodeJpg(16, 16, pattern), IMAGE_TYPE_JPG));
    Bytes jpg = boundPixels();
    for (size_t i = 0; i < 1024; i += 4) ASSERT_TRUE(abs(jpg[i] - pattern[i]) < 32 && abs(jpg[i + 1] - pattern[i + 1]) < 32) << i / 4;
    // Quake 2's first sixteen palette entries are a grey ramp up from black.
    for (size_t i = 0; i < 256; i++) ramp[i * 4] = i % 16;
    ASSERT_TRUE(load("f.wal", encodeWal(16, 16, ramp), IMAGE_TYPE_WAL));
    Bytes wal = boundPixels();
    for (int x = 1; x < 16; x++) EXPECT_TRUE(wal[x * 4] > wal[x * 4 - 4] && wal[x * 4] == wal[x * 4 + 1] && wal[(240 + x) * 4] == wal[x * 4]) << x;
    EXPECT_TRUE(wal[0] == 0 && boxes().empty());
}

TEST_F(TextureTest, PlaceholderIsAWhiteFrameInSlotZero) {
    EXPECT_TRUE(textureCount == 1 && placeholderSlot == 0 && strcmp(textureTable[0].name, "***NOTEX***") == 0);
    glBindTexture(GL_TEXTURE_2D, textureTable[0].glTexture);
    EXPECT_EQ(boundTexture(), (std::vector<int>{16, 16, GL_RGBA, GL_LINEAR, GL_LINEAR}));
    Bytes frame;
    for (int i = 0; i < 256; i++) {
        uint8_t v = (i < 16 || i >= 240 || i % 16 == 0 || i % 16 == 15) * 255;  // the border
        frame.insert(frame.end(), {v, v, v, 255});
    }
    EXPECT_EQ(boundPixels(), frame);
}

// Each new name asks once, offering the last choice; failures share the placeholder.
TEST_F(TextureTest, NamesAreLocatedOnceInAnyCase) {
    std::string wall = writeImage("Wall.TGA", encodeTga(16, 16, testPattern(16, 16))), longName(255, 'n');
    std::string jpeg = writeImage("photo.jpeg", encodeTga(16, 16, testPattern(16, 16))), broken = writeImage("broken.tga", Bytes(40, 0xAB));
    store.answerDialog(wall), store.cancelDialog(), store.answerDialog(jpeg), store.answerDialog(broken), store.answerDialog(wall);
    EXPECT_EQ(resolveTexture("textures/Wall"), 1);
    EXPECT_EQ(resolveTexture(longName.c_str()), 2);  // cancelled: a slot of its own, no message
    EXPECT_EQ(resolveTexture("unknown extension"), placeholderSlot);
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(resolveTexture("broken"), placeholderSlot);
    EXPECT_EQ(boxes(), Texts{devilBox(IL_INVALID_FILE_HEADER)});
    EXPECT_EQ(resolveTexture("same file"), 5);
    EXPECT_EQ(dialogs(), (Texts{"Locate textures/Wall|", "Locate " + longName + "|" + wall, "Locate unknown extension|" + wall, "Locate broken|" + jpeg, "Locate same file|" + broken}));
    EXPECT_EQ(store.dialogsShown[0].filterName + store.dialogsShown[0].filterPattern, "Image file*.tga;*.jpg;*.wal;*.pcx");
    // Asked again in any case: the same slots, no dialog; failed ones share the placeholder.
    EXPECT_EQ((std::vector<int>{resolveTexture("TEXTURES/wall"), resolveTexture("UNKNOWN extension"), resolveTexture("***notex***")}), (std::vector<int>{1, 3, 0}));
    EXPECT_EQ(store.dialogsShown.size(), 5u);
    for (int slot : {2, 3, 4}) EXPECT_EQ(textureTable[slot].glTexture, textureTable[placeholderSlot].glTexture) << slot;
    // Two names located to one file: two textures with the same pixels.
    EXPECT_NE(textureTable[1].glTexture, textureTable[5].glTexture);
    glBindTexture(GL_TEXTURE_2D, textureTable[5].glTexture);
    EXPECT_EQ(boundPixels(), testPattern(16, 16));
}

// Without a context names only get slots; a full table hands out the placeholder unasked.
TEST_F(TextureTest, NoContextAndAFullTableAskNothing) {
    resetTable(false);
    EXPECT_EQ((std::vector<int>{resolveTexture("first"), resolveTexture("second"), resolveTexture("FIRST"), (int)textureTable[1].glTexture}), (std::vector<int>{0, 1, 0, 0}));
    resetTable(true);
    for (int i = 1; i < MAX_TEXTURE_SLOTS; i++) ASSERT_EQ(resolveTexture(std::to_string(i).c_str()), i);
    EXPECT_EQ(resolveTexture("one too many"), placeholderSlot);
    EXPECT_EQ(textureCount + store.dialogsShown.size(), 2 * MAX_TEXTURE_SLOTS - 1u);
}

// Frames before maps, stage by stage; once per script until its flag is cleared.
TEST_F(TextureTest, ScriptNamesResolveFramesFirstOnce) {
    Script script{};
    Stage stages[2]{};
    AnimFrame frames[2]{};
    script.stages = &stages[0], stages[0].next = &stages[1], stages[0].animFrames = &frames[0], frames[0].next = &frames[1];
    stages[0].animCurrent = &frames[1];
    strcpy(frames[0].name, "frame a"), strcpy(frames[1].name, "frame b"), strcpy(stages[0].map, "map");
    resolveScriptTextures(&script);
    EXPECT_EQ(dialogs(), (Texts{"Locate frame a|", "Locate frame b|", "Locate map|"}));
    EXPECT_EQ((std::vector<int>{frames[0].texture, frames[1].texture, stages[0].texture, stages[1].texture, script.texturesResolved}), (std::vector<int>{1, 2, 3, 0, 1}));
    EXPECT_EQ(stages[0].animCurrent, &frames[0]);
    strcpy(stages[0].map, "another map"), resolveScriptTextures(&script);
    EXPECT_EQ(stages[0].texture, 3);
    script.texturesResolved = 0, strcpy(stages[0].map, "FRAME A"), resolveScriptTextures(&script);
    EXPECT_EQ(stages[0].texture + store.dialogsShown.size(), 1u + 3u);
}

// A failed load shows DevIL's errors, one box each in DevIL's order (bytes that would
// crash DevIL: one bad-header box); a file that cannot be read shows none.
TEST_F(TextureTest, FailuresShowDevilErrorsAndLeaveNothingBehind) {
    EXPECT_TRUE(!loadTextureFile("/nonexistent/wall.tga", IMAGE_TYPE_TGA) && boxes().empty());
    ilSetError(IL_ILLEGAL_FILE_VALUE), ilSetError(IL_OUT_OF_MEMORY), reportImageErrors();
    EXPECT_EQ(boxes(), (Texts{devilBox(IL_OUT_OF_MEMORY), devilBox(IL_ILLEGAL_FILE_VALUE)}));
    Bytes pattern = testPattern(16, 16), wal = encodeWal(16, 16, pattern);
    for (const Bytes& bad : {Bytes(wal.begin(), wal.end() - 1), encodeWal(4, 4, pattern), Bytes(99, 0)})
        EXPECT_TRUE(!load("bad.wal", bad, IMAGE_TYPE_WAL) && boxes() == Texts{devilBox(IL_INVALID_FILE_HEADER)}) << bad.size();
    ASSERT_FALSE(load("tga.jpg", encodeTga(16, 16, pattern), IMAGE_TYPE_JPG));
    Texts shown = boxes();
    ASSERT_TRUE(!shown.empty() && shown[0] != devilBox(IL_INVALID_FILE_HEADER));  // DevIL's own refusal
    for (const std::string& box : shown) EXPECT_EQ(box, devilBox(atoi(box.c_str() + strlen("LoadImage Error|"))));
    const Bytes valid[4] = {encodeTga(16, 16, pattern), encodeJpg(16, 16, pattern), encodePcx(16, 16, pattern), wal};
    const int types[4] = {IMAGE_TYPE_TGA, IMAGE_TYPE_JPG, IMAGE_TYPE_PCX, IMAGE_TYPE_WAL};
    for (int i = 0; i < 4; i++)
        for (size_t length : {size_t(0), size_t(10), valid[i].size() / 2})
            EXPECT_TRUE(!load("cut", Bytes(valid[i].begin(), valid[i].begin() + length), types[i]) && !boxes().empty()) << i << " " << length;
    // Files that once crashed the decoder: the first byte picks the type, the rest is the file.
    for (const auto& entry : std::filesystem::directory_iterator(TEXTURE_CRASHERS_DIR)) {
        std::ifstream file(entry.path(), std::ios::binary);
        Bytes input((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        EXPECT_TRUE(!load("crasher", Bytes(input.begin() + 1, input.end()), types[input[0] & 3]) && boxes().size() == 1) << entry.path();
    }
}
