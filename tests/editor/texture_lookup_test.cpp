// The editor's answer to which file holds a texture name, against real image files, DevIL
// and a headless Mesa context: the folders before the Locate dialog, the Texture Folders
// command, Reload Textures, and the textures of scripts that undo and redo bring back.
#include "editor_fixture.h"
#include "test_images.h"

#include <GL/gl.h>

#include <array>

namespace fs = std::filesystem;
using Rgba = std::array<uint8_t, 4>;

const Rgba RED = {255, 0, 0, 255};
const Rgba GREEN = {0, 255, 0, 255};
const Rgba BLUE = {0, 0, 255, 255};
const Rgba WHITE = {255, 255, 255, 255};  // the placeholder's corner texel

// The editor with its preview started, as at start-up, into a context of 16 x 16 pixels.
struct EditorTextures : EditorFixture {
    void SetUp() override {
        ui.previewWidth = 16;
        ui.previewHeight = 16;
        startPreview(g);
        if (!g.preview.previewContextReady) GTEST_SKIP() << "no headless OpenGL context";
    }
    void TearDown() override { stopPreview(g); }

    std::string writeImage(const std::string& relative, Rgba colour) {
        Bytes texels;
        for (int i = 0; i < 16 * 16; i++) texels.insert(texels.end(), colour.begin(), colour.end());
        const Bytes tga = encodeTga(16, 16, texels);
        const fs::path path = dir / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary).write((const char*)tga.data(), tga.size());
        return path.string();
    }
    // The Locate dialogs shown so far; the Open dialogs have no title.
    Names locateTitles() {
        Names titles;
        for (const DialogShown& shown : ui.dialogsShown)
            if (!shown.title.empty()) titles.push_back(shown.title);
        return titles;
    }
    // The first texel of the texture that a slot shows.
    Rgba texel(int slot) {
        std::vector<uint8_t> texels(16 * 16 * 4);
        glBindTexture(GL_TEXTURE_2D, g.textures.textureTable[slot].glTexture);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        return {texels[0], texels[1], texels[2], texels[3]};
    }
    std::vector<int> stageSlots() {
        std::vector<int> slots;
        for (const Stage* stage = g.selection.currentScript->stages; stage; stage = stage->next)
            slots.push_back(stage->texture);
        return slots;
    }
    // The middle pixel of a frame the preview window draws.
    Rgba drawn() {
        previewWindowProc(g, PREVIEW_TICK);
        Rgba pixel{};
        glReadPixels(8, 8, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel.data());
        return pixel;
    }
};

// The walk-through of the README: every image of the example sits beside the file under the
// names its scripts use, so no script asks for any.
TEST_F(EditorTextures, ExampleScriptsShowTheirTexturesWithoutAsking) {
    open(VELTRA_EXAMPLES_DIR "/demo.txt");
    ASSERT_EQ(entries(IDC_SCRIPT_LIST).size(), 4u);
    const TextureSlot* slots = g.textures.textureTable;
    const uint32_t placeholder = slots[g.textures.placeholderSlot].glTexture;
    for (int index = 0; index < 4; index++) {
        pick(IDC_SCRIPT_LIST, index);
        for (const Stage* stage = g.selection.currentScript->stages; stage; stage = stage->next) {
            EXPECT_NE(slots[stage->texture].glTexture, placeholder) << stage->map;
            for (const AnimFrame* frame = stage->animFrames; frame; frame = frame->next)
                EXPECT_NE(frame->texture, g.textures.placeholderSlot) << frame->name;
        }
    }
    EXPECT_EQ(locateTitles(), Names{});
}

// Beside the script in another case, with another extension, in a texture folder chosen
// through its dialog, or the file chosen in the Locate dialog that a name found nowhere
// raises once. Reload shows changed and newly added images in the same slots, without
// asking again; the file chosen in the Locate dialog is read again too.
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
    EXPECT_EQ(texel(slots[0]), RED);
    EXPECT_EQ(texel(slots[1]), BLUE);
    EXPECT_EQ(texel(slots[2]), RED);
    const TextureSlot* table = g.textures.textureTable;
    EXPECT_EQ(table[slots[3]].glTexture, table[g.textures.placeholderSlot].glTexture);

    const int tableSize = g.textures.textureCount;
    writeImage("scripts/Pics/Wall.tga", GREEN);
    writeImage("elsewhere/located.tga", BLUE);
    writeImage("scripts/missing.tga", GREEN);
    EXPECT_EQ(command(IDM_FILE_RELOAD_TEXTURES), 0);
    EXPECT_EQ(stageSlots(), slots);
    EXPECT_EQ(g.textures.textureCount, tableSize);
    EXPECT_EQ(texel(slots[0]), GREEN);
    EXPECT_EQ(texel(slots[2]), BLUE);
    EXPECT_EQ(texel(slots[3]), GREEN);
    EXPECT_EQ(texel(g.textures.placeholderSlot), WHITE);
    EXPECT_EQ(locateTitles().size(), 2u);
}

// A map committed by a stage switch is drawn once undo or redo brings its script back: each
// resolves the restored script's names again rather than draw the slots it last had.
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
