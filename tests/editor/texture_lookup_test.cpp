// Which file holds a texture name, against real image files and a headless Mesa context: the
// folders before the Locate dialog, Texture Folders, Reload Textures, and undo and redo.
#include "editor_fixture.h"
#include "test_images.h"

#include <GL/gl.h>

#include <array>

using Rgba = std::array<uint8_t, 4>;
using Pixels = std::vector<Rgba>;

const Rgba RED = {255, 0, 0, 255};
const Rgba GREEN = {0, 255, 0, 255};
const Rgba BLUE = {0, 0, 255, 255};
const Rgba WHITE = {255, 255, 255, 255};  // the placeholder's corner texel

// The editor with its preview started, as at start-up, into a context of 16 x 16 pixels.
struct EditorTextures : EditorFixture {
    void SetUp() override {
        ui.previewWidth = ui.previewHeight = 16;
        startPreview(g);
        if (!g.preview.previewContextReady) GTEST_SKIP() << "no headless OpenGL context";
    }
    void TearDown() override { stopPreview(g); }

    std::string writeImage(const std::string& relative, Rgba colour) {
        const Bytes tga = encodeTga(1, 1, Bytes(colour.begin(), colour.end()));
        return writeFile(relative, std::string(tga.begin(), tga.end()));
    }
    // The titles of the Locate dialogs shown so far; the Open dialogs have none.
    Names locateTitles() {
        Names titles;
        for (const DialogShown& shown : ui.dialogsShown)
            if (!shown.title.empty()) titles.push_back(shown.title);
        return titles;
    }
    bool showsPlaceholder(int slot) {
        const TextureSlot* table = g.textures.textureTable;
        return table[slot].glTexture == table[g.textures.placeholderSlot].glTexture;
    }
    // The texture slot of each stage of the current script.
    std::vector<int> stageSlots() {
        std::vector<int> slots;
        for (const Stage* stage = g.selection.currentScript->stages; stage; stage = stage->next)
            slots.push_back(stage->texture);
        return slots;
    }
    // The first texel of the texture each slot shows.
    Pixels texels(const std::vector<int>& slots) {
        Pixels corners;
        for (int slot : slots) {
            std::vector<uint8_t> texels(16 * 16 * 4);
            glBindTexture(GL_TEXTURE_2D, g.textures.textureTable[slot].glTexture);
            glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
            corners.push_back({texels[0], texels[1], texels[2], texels[3]});
        }
        return corners;
    }
    // The middle pixel of a frame the preview window draws.
    Rgba drawn() {
        previewWindowProc(g, PREVIEW_TICK);
        Rgba pixel{};
        glReadPixels(8, 8, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel.data());
        return pixel;
    }
};

// The README's example finds every image beside its file without asking.
TEST_F(EditorTextures, ExampleScriptsShowTheirTexturesWithoutAsking) {
    open(VELTRA_EXAMPLES_DIR "/demo.txt");
    ASSERT_EQ(entries(IDC_SCRIPT_LIST).size(), 4u);
    for (int index = 0; index < 4; index++) {
        pick(IDC_SCRIPT_LIST, index);
        for (int slot : stageSlots()) EXPECT_FALSE(showsPlaceholder(slot)) << index;
        for (const Stage* stage = g.selection.currentScript->stages; stage; stage = stage->next)
            for (const AnimFrame* frame = stage->animFrames; frame; frame = frame->next)
                EXPECT_NE(frame->texture, g.textures.placeholderSlot) << frame->name;
    }
    EXPECT_EQ(locateTitles(), Names{});
}

// A name is found beside the script (another case or extension), in a texture folder, else
// once through Locate; Reload reads them all again into the same slots without asking.
TEST_F(EditorTextures, FoldersFirstThenOneLocateDialogAndReloadInTheSameSlots) {
    writeImage("scripts/Pics/Wall.tga", RED);
    writeImage("library/sky.tga", BLUE);
    writeImage("library/pics/wall.tga", GREEN);  // beside the script comes first
    const std::string elsewhere = writeImage("elsewhere/located.tga", RED);
    ui.folderListAnswers.push_back({(dir / "library").string()});
    EXPECT_EQ(command(IDM_FILE_TEXTURE_FOLDERS), 0);
    EXPECT_EQ(command(IDM_FILE_TEXTURE_FOLDERS), 1);  // cancelled: kept
    EXPECT_EQ(ui.folderListsShown.back(), Names{(dir / "library").string()});

    openText("s { { map PICS/WALL.TGA } { map sky.wal } { map located.tga } { map missing.tga } }");
    ui.answerDialog(elsewhere);
    ui.cancelDialog();
    pick(IDC_SCRIPT_LIST, 0);
    EXPECT_EQ(locateTitles(), (Names{"Locate located.tga", "Locate missing.tga"}));
    const std::vector<int> slots = stageSlots();
    EXPECT_EQ(texels(slots), (Pixels{RED, BLUE, RED, WHITE}));
    EXPECT_TRUE(showsPlaceholder(slots[3]));

    const int tableSize = g.textures.textureCount;
    writeImage("scripts/Pics/Wall.tga", GREEN);
    writeImage("elsewhere/located.tga", BLUE);
    writeImage("scripts/missing.tga", GREEN);
    EXPECT_EQ(command(IDM_FILE_RELOAD_TEXTURES), 0);
    EXPECT_EQ(stageSlots(), slots);
    EXPECT_EQ(texels(slots), (Pixels{GREEN, BLUE, BLUE, GREEN}));
    EXPECT_EQ(texels({g.textures.placeholderSlot}), Pixels{WHITE});
    EXPECT_EQ(g.textures.textureCount, tableSize);
    EXPECT_EQ(locateTitles().size(), 2u);
}

// Undo and redo draw the restored script's own textures, not the slots it last had.
TEST_F(EditorTextures, UndoAndRedoDrawTheRestoredScriptsTextures) {
    writeImage("scripts/red.tga", RED);
    writeImage("scripts/green.tga", GREEN);
    openText("s { { map red.tga } }", 0, 0);
    EXPECT_EQ(drawn(), RED);
    pick(IDC_STAGE_LIST, 0, {{IDC_TEXTURE_MAP, "green.tga"}});
    command(IDM_EDIT_UNDO);
    EXPECT_EQ(drawn(), RED);
    command(IDM_EDIT_REDO);
    EXPECT_EQ(drawn(), GREEN);
    EXPECT_EQ(locateTitles(), Names{});
}
