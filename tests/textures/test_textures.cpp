// The texture table and image loading against real DevIL and Mesa, on image
// files written here, with the toolkit-free platform scripting the dialogs.
#include "control_store.h"
#include "editor.h"
#include "headless_gl.h"
#include "test_images.h"
#include "textures.h"

#include <GL/gl.h>
#include <IL/ilu.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

// DevIL 1.7.8's WAL decoder loses three palettes on every file; naming it needs full stacks.
extern "C" const char* __lsan_default_suppressions() { return "leak:iLoadWalInternal\n"; }
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }
extern "C" void ilSetError(ILenum error);  // exported by DevIL, missing from its header
typedef std::vector<std::string> Texts; typedef std::vector<int> Ints;
static char folder[] = "/tmp/veltra-textures-XXXXXX";

static int level(GLenum what) { GLint v = 0; glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, what, &v); return v; }
static int param(GLenum what) { GLint v = 0; glGetTexParameteriv(GL_TEXTURE_2D, what, &v); return v; }
static Ints boundTexture() {  // size, internal format and both filters
    return {level(GL_TEXTURE_WIDTH), level(GL_TEXTURE_HEIGHT), level(GL_TEXTURE_INTERNAL_FORMAT), param(GL_TEXTURE_MIN_FILTER), param(GL_TEXTURE_MAG_FILTER)};
}
static Bytes boundPixels() {
    Bytes rgba(level(GL_TEXTURE_WIDTH) * level(GL_TEXTURE_HEIGHT) * 4);
    return glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data()), rgba;
}
static std::string writeImage(const char* name, const Bytes& bytes) {
    std::string path = std::string(folder) + "/" + name;
    return std::ofstream(path, std::ios::binary).write((const char*)bytes.data(), bytes.size()), path;
}
static bool load(const char* name, const Bytes& bytes, int type) {
    GLuint texture = 0;
    return glGenTextures(1, &texture), glBindTexture(GL_TEXTURE_2D, texture), loadTextureFile(writeImage(name, bytes).c_str(), type);
}
static Bytes loaded(const char* name, const Bytes& bytes, int type) { return load(name, bytes, type) ? boundPixels() : Bytes(); }
static std::string devilBox(int code) { return "LoadImage Error|" + std::to_string(code) + ": " + iluErrorString(code); }
// DevIL hands out deleted names again first: this changes only while an image is left alive.
static ILuint nextDevilImageName() { ILuint name = 0; ilGenImages(1, &name); ilDeleteImages(1, &name); return name; }

// Each test starts from the table the preview's set-up leaves and leaves no DevIL image or error.
struct TextureTest : ::testing::Test {
    static inline HeadlessGL* gl;
    ControlStore store;
    ILuint freeDevilName = nextDevilImageName();
    static void SetUpTestSuite() { gl = createHeadlessGL(64, 64), mkdtemp(folder), initImageLibrary(); }
    static void TearDownTestSuite() { shutdownImageLibrary(), destroyHeadlessGL(gl), std::filesystem::remove_all(folder); }
    void SetUp() override {
        ASSERT_NE(gl, nullptr);
        platform = &store;
        textureSizeLimit = 0;
        installTextureFinder();  // no folders: every name goes to the Locate dialog
        resetTable(true);
    }
    void TearDown() override { platform = nullptr; EXPECT_EQ(ilGetError(), 0u); EXPECT_EQ(nextDevilImageName(), freeDevilName); }
    void resetTable(bool context) { textureCount = placeholderSlot = locatedPath[0] = texturesHaveContext = 0; if (context) createPlaceholderTexture(); }
    // "caption|text" of each box since the last call; "title|initial file name" of each dialog.
    Texts boxes() { Texts t; for (auto& m : store.messagesShown) t.push_back(m.caption + "|" + m.text); return store.messagesShown.clear(), t; }
    Texts dialogs() { Texts t; for (auto& d : store.dialogsShown) t.push_back(d.title + "|" + d.initialPath); return t; }
};

// Nearest step (half-way goes down) in 16..4096, halved within the limit; small ones uploaded, copied only if resized.
TEST_F(TextureTest, ImagesAreUploadedAtTheRuledSize) {
    const int cases[][5] = {{2, 15, 16384, 16, 16}, {24, 25, 16384, 16, 32}, {48, 49, 16384, 32, 64}, {100, 30, 64, 64, 32}, {256, 256, 16384, 256, 256},
        {256, 256, 64, 64, 64}, {4096, 16, 3000, 2048, 16}, {20, 9, 8, 8, 8}, {640, 1000, 16384, 512, 1024}, {1536, 1537, 16384, 1024, 2048},
        {3072, 3073, 16384, 2048, 4096}, {9000, 3073, 1024, 1024, 1024}, {4096, 4097, 2048, 2048, 2048}};
    for (auto& c : cases) {
        EXPECT_EQ(std::pair(textureTargetSize(c[0], c[2]), textureTargetSize(c[1], c[2])), std::pair(c[3], c[4])) << c[0] << "x" << c[1] << " within " << c[2];
        if (c[0] * c[1] > 70000) continue;
        int copies = scaledUploadCount; textureSizeLimit = c[2];
        ASSERT_TRUE(load("size.tga", encodeTga(c[0], c[1], testPattern(c[0], c[1])), IMAGE_TYPE_TGA));
        EXPECT_EQ(boundTexture(), (Ints{c[3], c[4], GL_RGBA8, GL_LINEAR, GL_LINEAR})) << c[0] << "x" << c[1];
        EXPECT_EQ(scaledUploadCount - copies, c[0] != c[3] || c[1] != c[4]) << c[0] << "x" << c[1];
    }
}

TEST_F(TextureTest, PixelsSurviveTheUpload) {
    Bytes pattern = testPattern(16, 16), paletted, ramp(16 * 16 * 4);
    for (size_t i = 0; i < 1024; i += 4) paletted.insert(paletted.end(), {pattern[i], uint8_t(255 - pattern[i]), uint8_t(pattern[i] / 2), 255});
    EXPECT_EQ(loaded("a.tga", encodeTga(16, 16, pattern), IMAGE_TYPE_TGA), pattern);
    EXPECT_EQ(loaded("b.pcx", encodePcx(16, 16, pattern), IMAGE_TYPE_PCX), paletted);
    EXPECT_EQ(loaded("c.jpg", encodeJpg(16, 16, pattern), IMAGE_TYPE_JPG).size(), 1024u);
    for (size_t i = 0; i < 256; i++) ramp[i * 4] = i % 16;  // Quake 2's palette starts with a grey ramp up from black
    Bytes wal = loaded("d.wal", encodeWal(16, 16, ramp), IMAGE_TYPE_WAL);
    for (int i = 0; i < 1024; i += 4) ASSERT_TRUE(wal.size() == 1024 && wal[i] == wal[i + 1] && (i % 64 ? wal[i] > wal[i - 4] : wal[i] == 0)) << i / 4;
}

TEST_F(TextureTest, PlaceholderThenNamesLocatedOnceInAnyCase) {
    EXPECT_TRUE(textureCount == 1 && placeholderSlot == 0 && textureTable[0].name == std::string("***NOTEX***"));
    glBindTexture(GL_TEXTURE_2D, textureTable[0].glTexture);
    EXPECT_EQ(boundTexture(), (Ints{16, 16, GL_RGBA, GL_LINEAR, GL_LINEAR}));
    Bytes frame;  // white on the first and last row and column, black inside, opaque
    for (int i = 0; i < 256; i++) frame.insert(frame.end(), 3, 255 * (i < 16 || i >= 240 || i % 16 % 15 == 0)), frame.push_back(255);
    EXPECT_EQ(boundPixels(), frame);
    std::string wall = writeImage("Wall.TGA", encodeTga(16, 16, testPattern(16, 16))), longName(255, 'n');
    std::string jpeg = writeImage("photo.jpeg", encodeTga(16, 16, testPattern(16, 16))), broken = writeImage("broken.tga", Bytes(40, 0xAB));
    store.answerDialog(wall), store.cancelDialog(), store.answerDialog(jpeg), store.answerDialog(broken), store.answerDialog(wall);
    // Cancelled: a slot of its own; unknown extension: the placeholder's; no message for either.
    EXPECT_EQ((Ints{resolveTexture("textures/Wall"), resolveTexture(longName.c_str()), resolveTexture("photo"), (int)boxes().size()}), (Ints{1, 2, 0, 0}));
    EXPECT_TRUE(resolveTexture("broken") == placeholderSlot && boxes() == Texts{devilBox(IL_INVALID_FILE_HEADER)});
    // Asked again in any case: the same slots, no dialog; failed ones share the placeholder.
    EXPECT_EQ((Ints{resolveTexture("TEXTURES/wall"), resolveTexture("PHOTO"), resolveTexture("***notex***"), (int)dialogs().size()}), (Ints{1, 3, 0, 4}));
    for (int slot : {2, 3, 4}) EXPECT_EQ(textureTable[slot].glTexture, textureTable[placeholderSlot].glTexture) << slot;
    glBindTexture(GL_TEXTURE_2D, textureTable[resolveTexture("same file")].glTexture);  // two names, one file: two textures, the same pixels
    EXPECT_TRUE(textureCount == 6 && textureTable[1].glTexture != textureTable[5].glTexture && boundPixels() == testPattern(16, 16));
    EXPECT_EQ(dialogs(), (Texts{"Locate textures/Wall|", "Locate " + longName + "|" + wall, "Locate photo|" + wall,
                                "Locate broken|" + jpeg, "Locate same file|" + broken}));
}

TEST_F(TextureTest, ScriptsAndTheTableWithoutContextOrRoom) {
    // Frames before maps, stage by stage; once per script until its flag is cleared.
    Script script{}; Stage stages[2]{}; AnimFrame frames[2]{};
    script.stages = stages, stages[0].next = &stages[1], stages[0].animFrames = frames, stages[0].animCurrent = frames[0].next = &frames[1];
    copyText(frames[0].name, "frame a"), copyText(frames[1].name, "frame b"), copyText(stages[0].map, "map");
    resolveScriptTextures(&script);
    EXPECT_EQ(dialogs(), (Texts{"Locate frame a|", "Locate frame b|", "Locate map|"}));
    Ints resolved = {frames[0].texture, frames[1].texture, stages[0].texture, stages[1].texture, script.texturesResolved, stages[0].animCurrent == frames};
    EXPECT_EQ(resolved, (Ints{1, 2, 3, 0, 1, 1}));
    copyText(stages[0].map, "another map"), resolveScriptTextures(&script);  // resolved already: nothing asked
    script.texturesResolved = 0, resolveScriptTextures(&script);  // cleared: resolved anew
    EXPECT_TRUE(stages[0].texture == 4 && store.dialogsShown.size() == 4);
    // A full table hands out the placeholder unasked; without a context names only get slots.
    for (int i = textureCount; i < MAX_TEXTURE_SLOTS; i++) ASSERT_EQ(resolveTexture(std::to_string(i).c_str()), i);
    EXPECT_TRUE(resolveTexture("one too many") == placeholderSlot && textureCount == MAX_TEXTURE_SLOTS && store.dialogsShown.size() == 255u);
    resetTable(false);
    EXPECT_EQ((Ints{resolveTexture("first"), resolveTexture("second"), (int)textureTable[1].glTexture, (int)dialogs().size()}), (Ints{0, 1, 0, 255}));
}

// DevIL's errors, one box each, latest first; refused bytes (crashers, damaged WAL) one box; unreadable none.
TEST_F(TextureTest, FailuresShowDevilErrorsAndLeaveNothingBehind) {
    EXPECT_TRUE(!loadTextureFile("/nonexistent/wall.tga", IMAGE_TYPE_TGA) && boxes().empty());
    ilSetError(IL_ILLEGAL_FILE_VALUE), ilSetError(IL_OUT_OF_MEMORY), reportImageErrors();
    EXPECT_EQ(boxes(), (Texts{devilBox(IL_OUT_OF_MEMORY), devilBox(IL_ILLEGAL_FILE_VALUE)}));
    const int types[4] = {IMAGE_TYPE_TGA, IMAGE_TYPE_JPG, IMAGE_TYPE_PCX, IMAGE_TYPE_WAL};
    Bytes pattern = testPattern(16, 16), wal = encodeWal(16, 16, pattern);
    std::vector<std::tuple<int, Bytes, size_t>> broken = {  // type, file, boxes shown (0: at least one)
        {IMAGE_TYPE_WAL, Bytes(wal.begin(), wal.end() - 1), 1}, {IMAGE_TYPE_WAL, encodeWal(4, 4, pattern), 1}, {IMAGE_TYPE_JPG, encodeTga(16, 16, pattern), 0}};
    const Bytes valid[4] = {encodeTga(16, 16, pattern), encodeJpg(16, 16, pattern), encodePcx(16, 16, pattern), wal};
    for (int i = 0; i < 4; i++)  // cut off
        for (size_t length : {size_t(0), size_t(10), valid[i].size() / 2}) broken.push_back({types[i], Bytes(valid[i].begin(), valid[i].begin() + length), 0});
    for (const auto& entry : std::filesystem::directory_iterator(TEXTURE_CRASHERS_DIR)) {  // past crashers: type byte, file
        std::ifstream file(entry.path(), std::ios::binary);
        Bytes input((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        broken.push_back({types[input.at(0) & 3], Bytes(input.begin() + 1, input.end()), 1});
    }
    for (const auto& [type, file, count] : broken) {
        Texts shown = load("broken", file, type) ? Texts() : boxes();  // none when it loads
        EXPECT_TRUE(count ? shown.size() == count : !shown.empty()) << type << " " << file.size();
        for (const std::string& box : shown) EXPECT_EQ(box, devilBox(atoi(box.c_str() + box.find('|') + 1)));
    }
}
