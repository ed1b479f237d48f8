// The texture table and image loading against the real decoders and Mesa, on image
// files written here, with the editor's Locate dialog on the toolkit-free platform.
#include "control_store.h"
#include "editor.h"
#include "script_file.h"
#include "test_images.h"
#include "textures.h"

#include <GL/gl.h>
#include <IL/il.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cctype>
#include <clocale>
#include <filesystem>
#include <fstream>

using Texts = std::vector<std::string>;

static int level(GLenum what) {
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, what, &value);
    return value;
}

static int parameter(GLenum what) {
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, what, &value);
    return value;
}

static std::string sizeText(int width, int height) {
    return std::to_string(width) + "x" + std::to_string(height);
}

// Binds the texture and reads its pixels back.
static Bytes pixelsOf(uint32_t texture) {
    glBindTexture(GL_TEXTURE_2D, texture);
    Bytes rgba(level(GL_TEXTURE_WIDTH) * level(GL_TEXTURE_HEIGHT) * 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

// Each test has an editor of its own (a fresh texture table whose names go to the Locate
// dialog, as no folder is set), a platform that records what it shows, an OpenGL context
// and a folder for its image files: nothing outlives the test.
struct TextureTest : ::testing::Test {
    ControlStore store;
    EditorContext g{&store};
    TextureTable& table = g.textures;
    char folder[32] = "/tmp/veltra-textures-XXXXXX";

    static void SetUpTestSuite() { initImageLibrary(); }
    static void TearDownTestSuite() { shutdownImageLibrary(); }
    void SetUp() override {
        ASSERT_NE(mkdtemp(folder), nullptr);
        store.previewWidth = store.previewHeight = 16;
        ASSERT_TRUE(store.createPreviewContext());
        installTextureFinder(g);
        createPlaceholderTexture(table);
    }
    void TearDown() override {
        setlocale(LC_ALL, "C");
        EXPECT_EQ(ilGetError(), IL_NO_ERROR);
        std::filesystem::remove_all(folder);
    }
    std::string write(const char* name, const Bytes& bytes) {
        const std::string path = std::string(folder) + "/" + name;
        std::ofstream(path, std::ios::binary).write((const char*)bytes.data(), bytes.size());
        return path;
    }
    // "caption|text" of each box since the last call.
    Texts boxes() {
        Texts shown;
        for (auto& m : store.messagesShown) shown.push_back(m.caption + "|" + m.text);
        store.messagesShown.clear();
        return shown;
    }
    // "title|file offered" of each dialog.
    Texts dialogs() {
        Texts shown;
        for (auto& d : store.dialogsShown) shown.push_back(d.title + "|" + d.initialPath);
        return shown;
    }
    uint32_t textureOf(int slot) { return table.textureTable[slot].glTexture; }
};

// The nearest step (half-way goes down) in 16..4096, halved within the limit;
// only a resized image is copied before its upload.
TEST_F(TextureTest, ImagesAreUploadedAtTheRuledSize) {
    const struct {
        int width, height, limit;
        const char* uploaded;
    } cases[] = {
        {2, 15, 16384, "16x16"},         {24, 25, 16384, "16x32"},
        {100, 30, 64, "64x32"},          {256, 256, 16384, "256x256"},
        {4096, 16, 3000, "2048x16"},     {20, 9, 8, "8x8"},
        {16, 20, 16384, "16x16"},        {3072, 3073, 16384, "2048x4096"},
        {4096, 4097, 2048, "2048x2048"},
    };
    for (const auto& c : cases) {
        const std::string image =
            sizeText(c.width, c.height) + " within " + std::to_string(c.limit);
        const int width = textureTargetSize(c.width, c.limit);
        EXPECT_EQ(sizeText(width, textureTargetSize(c.height, c.limit)), c.uploaded) << image;
        if (c.width * c.height > 70000) continue;
        ImageLoading loading{&store, c.limit};
        const std::string tga =
            write("size.tga", encodeTga(c.width, c.height, testPattern(c.width, c.height)));
        glBindTexture(GL_TEXTURE_2D, textureOf(addTextureSlot(table, "size")));
        ASSERT_TRUE(loadTextureFile(tga.c_str(), IMAGE_TYPE_TGA, loading)) << image;
        EXPECT_EQ(sizeText(level(GL_TEXTURE_WIDTH), level(GL_TEXTURE_HEIGHT)), c.uploaded) << image;
        EXPECT_EQ(level(GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA8) << image;
        EXPECT_EQ(parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR) << image;
        EXPECT_EQ(parameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR) << image;
        const bool resized = c.uploaded != sizeText(c.width, c.height);
        EXPECT_EQ(loading.scaledUploadCount, resized ? 1 : 0) << image;
    }
}

// The placeholder takes the first slot: a 16 × 16 white frame around black, opaque. Then a
// name raises one Locate dialog, which offers the file chosen last; asked again in any case,
// the name has its slot, also where the C library folds 'I' to a dotless i. Cancelled: a slot
// of its own; a file of no image type or that does not load: the placeholder's slot, with a
// box only for the latter.
TEST_F(TextureTest, PlaceholderThenNamesLocatedOnceInAnyCase) {
    Bytes frame;
    for (int i = 0; i < 256; i++) {
        frame.insert(frame.end(), 3, 255 * (i < 16 || i >= 240 || i % 16 % 15 == 0));
        frame.push_back(255);
    }
    EXPECT_EQ(pixelsOf(textureOf(0)), frame);
    EXPECT_EQ(parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(parameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    ASSERT_TRUE(setlocale(LC_ALL, "tr_TR.UTF-8"))
        << "scripts/setup-debian.sh generates tr_TR.UTF-8";
    EXPECT_NE(tolower('I'), 'i');  // what strcasecmp folds with
    const Bytes pattern = testPattern(16, 16);
    const std::string wall = write("Wall.TGA", encodeTga(16, 16, pattern));
    const std::string jpeg = write("photo.jpeg", encodeTga(16, 16, pattern));
    const std::string broken = write("broken.tga", Bytes(40, 0xAB));
    const std::string longName(255, 'n');
    store.answerDialog(wall);
    store.cancelDialog();
    store.answerDialog(jpeg);
    store.answerDialog(broken);
    EXPECT_EQ(resolveTexture(table, "textures/Ice"), 1);
    EXPECT_EQ(resolveTexture(table, longName.c_str()), 2);
    EXPECT_EQ(resolveTexture(table, "photo"), 0);
    EXPECT_EQ(boxes(), Texts());
    EXPECT_EQ(resolveTexture(table, "broken"), 0);
    EXPECT_EQ(boxes(), Texts{"LoadImage Error|1288: invalid file header"});
    EXPECT_EQ(resolveTexture(table, "TEXTURES/ice"), 1);
    EXPECT_EQ(resolveTexture(table, "PHOTO"), 3);
    EXPECT_EQ(resolveTexture(table, "***notex***"), 0);
    for (int slot : {2, 3, 4}) EXPECT_EQ(textureOf(slot), textureOf(0)) << slot;
    EXPECT_EQ(pixelsOf(textureOf(1)), pattern);
    EXPECT_EQ(dialogs(), (Texts{"Locate textures/Ice|", "Locate " + longName + "|" + wall,
                                "Locate photo|" + wall, "Locate broken|" + jpeg}));
}

// Frames before maps, stage by stage, once per script while its flag is set. A full table
// hands out the placeholder unasked; without a context names only get slots.
TEST_F(TextureTest, ScriptsAndTheTableWithoutContextOrRoom) {
    const char text[] = "s\n{\n{\nmap map\nanim 1 frameA frameB end\n}\n{\n}\n}\n";
    readScriptText(g.library, text, sizeof text);
    Script& script = *g.library.scripts;
    Stage& stage = *script.stages;
    stage.animCurrent = stage.animFrames->next;
    stage.next->map[0] = '\0';  // an empty map is no name
    resolveScriptTextures(table, &script);
    EXPECT_EQ(dialogs(), (Texts{"Locate frameA|", "Locate frameB|", "Locate map|"}));
    EXPECT_EQ(stage.animFrames->texture, 1);
    EXPECT_EQ(stage.animFrames->next->texture, 2);
    EXPECT_EQ(stage.texture, 3);
    EXPECT_EQ(stage.animCurrent, stage.animFrames);
    copyText(stage.map, "another map");
    resolveScriptTextures(table, &script);  // resolved already: nothing asked
    EXPECT_EQ(store.dialogsShown.size(), 3u);

    for (int i = table.textureCount; i < MAX_TEXTURE_SLOTS; i++)
        ASSERT_EQ(resolveTexture(table, std::to_string(i).c_str()), i);
    EXPECT_EQ(resolveTexture(table, "one too many"), table.placeholderSlot);
    EXPECT_EQ(table.textureCount, MAX_TEXTURE_SLOTS);
    EXPECT_EQ(store.dialogsShown.size(), 255u);

    EditorContext withoutContext(&store);
    installTextureFinder(withoutContext);
    EXPECT_EQ(resolveTexture(withoutContext.textures, "first"), 0);
    EXPECT_EQ(resolveTexture(withoutContext.textures, "second"), 1);
    EXPECT_EQ(withoutContext.textures.textureTable[1].glTexture, 0u);
    EXPECT_EQ(store.dialogsShown.size(), 255u);
}

// Nothing shows for a missing file or one that is no regular file, and a FIFO is not waited for.
TEST_F(TextureTest, FilesNotReadShowNothing) {
    const std::string fifo = std::string(folder) + "/fifo.tga";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {std::string("/nonexistent/wall.tga"), std::string(folder),
                                    std::string("/dev/zero"), fifo})
        EXPECT_FALSE(loadTextureFile(path.c_str(), IMAGE_TYPE_TGA, table.loading)) << path;
    EXPECT_EQ(boxes(), Texts());
}
