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
using Ints = std::vector<int>;

static int level(GLenum what) {
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, what, &value);
    return value;
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

// The nearest step (half-way goes down) in 16..4096, halved within the limit; uploaded as
// RGBA8 with linear filters, and only a resized image copied before its upload.
TEST_F(TextureTest, ImagesAreUploadedAtTheRuledSize) {
    const struct {
        int width, height, limit, uploadedWidth, uploadedHeight;
    } cases[] = {
        {2, 15, 16384, 16, 16},         {24, 25, 16384, 16, 32},
        {100, 30, 64, 64, 32},          {256, 256, 16384, 256, 256},
        {4096, 16, 3000, 2048, 16},     {20, 9, 8, 8, 8},
        {16, 20, 16384, 16, 16},        {3072, 3073, 16384, 2048, 4096},
        {4096, 4097, 2048, 2048, 2048},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " within " << c.limit);
        const Ints uploaded = {c.uploadedWidth, c.uploadedHeight};
        EXPECT_EQ(Ints({textureTargetSize(c.width, c.limit), textureTargetSize(c.height, c.limit)}),
                  uploaded);
        if (c.width * c.height > 70000) continue;
        ImageLoading loading{&store, c.limit};
        const Bytes tga = encodeTga(c.width, c.height, testPattern(c.width, c.height));
        glBindTexture(GL_TEXTURE_2D, textureOf(addTextureSlot(table, "size")));
        ASSERT_TRUE(loadTextureFile(write("size.tga", tga).c_str(), IMAGE_TYPE_TGA, loading));
        EXPECT_EQ(Ints({level(GL_TEXTURE_WIDTH), level(GL_TEXTURE_HEIGHT)}), uploaded);
        EXPECT_EQ(level(GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA8);
        GLint min = 0, mag = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
        EXPECT_EQ(Ints({min, mag}), Ints({GL_LINEAR, GL_LINEAR}));
        const bool resized = uploaded != Ints({c.width, c.height});
        EXPECT_EQ(loading.scaledUploadCount, resized ? 1 : 0);
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
    ASSERT_TRUE(setlocale(LC_ALL, "tr_TR.UTF-8"))
        << "scripts/setup-debian.sh generates tr_TR.UTF-8";
    EXPECT_NE(tolower('I'), 'i');  // what strcasecmp folds with
    const Bytes pattern = testPattern(16, 16);
    const std::string wall = write("Wall.TGA", encodeTga(16, 16, pattern));
    const std::string jpeg = write("photo.jpeg", encodeTga(16, 16, pattern));
    const std::string longName(255, 'n');
    store.answerDialog(wall);
    store.cancelDialog();
    store.answerDialog(jpeg);
    store.answerDialog(write("broken.tga", Bytes(40, 0xAB)));
    EXPECT_EQ(resolveTexture(table, "textures/Ice"), 1);
    EXPECT_EQ(resolveTexture(table, longName.c_str()), 2);
    EXPECT_EQ(resolveTexture(table, "photo"), 0);
    EXPECT_EQ(boxes(), Texts());
    EXPECT_EQ(resolveTexture(table, "broken"), 0);
    EXPECT_EQ(boxes(), Texts{"LoadImage Error|1288: invalid file header"});
    const Ints again = {resolveTexture(table, "TEXTURES/ice"), resolveTexture(table, "PHOTO"),
                        resolveTexture(table, "***notex***")};
    EXPECT_EQ(again, Ints({1, 3, 0}));
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
    const Ints slots = {stage.animFrames->texture, stage.animFrames->next->texture, stage.texture};
    EXPECT_EQ(slots, Ints({1, 2, 3}));
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
    const Ints unlocated = {resolveTexture(withoutContext.textures, "first"),
                            resolveTexture(withoutContext.textures, "second"),
                            (int)withoutContext.textures.textureTable[1].glTexture};
    EXPECT_EQ(unlocated, Ints({0, 1, 0}));
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
