// The editor's answer to which file holds a texture name, against real image
// files, DevIL and a headless Mesa context: the folders before the Locate
// dialog, the Texture Folders command, and Reload Textures.
#include "control_ids.h"
#include "control_store.h"
#include "editor.h"
#include "history.h"
#include "test_images.h"
#include "texture_folders.h"
#include "textures.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;
using Rgba = std::array<uint8_t, 4>;
using Texts = std::vector<std::string>;

const Rgba RED = {255, 0, 0, 255};
const Rgba GREEN = {0, 255, 0, 255};
const Rgba BLUE = {0, 0, 255, 255};
const Rgba WHITE = {255, 255, 255, 255};  // the placeholder's corner texel

struct EditorTextures : ::testing::Test {
    ControlStore store;
    fs::path dir = fs::temp_directory_path() / ("veltra-lookup-" + std::to_string(getpid()));

    void SetUp() override {
        platform = &store;
        store.previewWidth = 16;
        store.previewHeight = 16;
        if (!store.createPreviewContext()) GTEST_SKIP() << "no headless OpenGL context";
        initImageLibrary();
        textureCount = 0;
        locatedPath[0] = '\0';
        createPlaceholderTexture();
        initEditorControls();
        installTextureFinder();
        fs::create_directories(dir);
    }
    void TearDown() override {
        currentScript = nullptr;
        currentStage = nullptr;
        clearHistory();  // Open and the buttons record steps
        freeAllScripts();
        clearScriptFolders();
        clearTextureFolders();
        forgetFolderContents();
        if (texturesHaveContext) shutdownImageLibrary();
        texturesHaveContext = false;
        fs::remove_all(dir);
        platform = nullptr;
    }
    std::string writeImage(const std::string& relative, Rgba colour) {
        Bytes texels;
        for (int i = 0; i < 16 * 16; i++) texels.insert(texels.end(), colour.begin(), colour.end());
        const Bytes tga = encodeTga(16, 16, texels);
        fs::path path = dir / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary).write((const char*)tga.data(), tga.size());
        return path.string();
    }
    void openScripts(const char* path) {
        store.answerDialog(path);
        mainDialogProc(DIALOG_COMMAND, IDM_FILE_OPEN);
    }
    void openText(const char* text) {
        const std::string path = (dir / "scripts/shaders.txt").string();
        fs::create_directories(dir / "scripts");
        std::ofstream(path) << text;
        openScripts(path.c_str());
    }
    void pickScript(int index) {
        store.control(IDC_SCRIPT_LIST).selection = index;
        mainDialogProc(DIALOG_COMMAND, IDC_SCRIPT_LIST);
    }
    // The Locate dialogs shown so far; the Open dialogs have no title.
    Texts dialogTitles() {
        Texts titles;
        for (const DialogShown& shown : store.dialogsShown)
            if (!shown.title.empty()) titles.push_back(shown.title);
        return titles;
    }
};

// The first texel of the texture that a slot shows.
static Rgba shown(int slot) {
    Rgba texel{};
    std::vector<uint8_t> texels(16 * 16 * 4);
    glBindTexture(GL_TEXTURE_2D, textureTable[slot].glTexture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    std::copy(texels.begin(), texels.begin() + 4, texel.begin());
    return texel;
}

static std::vector<int> stageSlots(const Script* script) {
    std::vector<int> slots;
    for (const Stage* stage = script->stages; stage; stage = stage->next)
        slots.push_back(stage->texture);
    return slots;
}

// The walk-through of the README: every image of the example sits beside the
// file under the names its scripts use, so no script asks for any.
TEST_F(EditorTextures, ExampleScriptsShowTheirTexturesWithoutAsking) {
    openScripts(VELTRA_EXAMPLES_DIR "/demo.txt");
    ASSERT_EQ(store.listCount(IDC_SCRIPT_LIST), 4);
    for (int index = 0; index < 4; index++) {
        pickScript(index);
        for (const Stage* stage = currentScript->stages; stage; stage = stage->next) {
            EXPECT_NE(textureTable[stage->texture].glTexture,
                      textureTable[placeholderSlot].glTexture)
                << currentScript->name << " " << stage->map;
            for (const AnimFrame* frame = stage->animFrames; frame; frame = frame->next)
                EXPECT_NE(frame->texture, placeholderSlot) << frame->name;
        }
    }
    EXPECT_EQ(dialogTitles(), Texts{});
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
    store.folderListAnswers.push_back({(dir / "library").string()});
    EXPECT_EQ(mainDialogProc(DIALOG_COMMAND, IDM_FILE_TEXTURE_FOLDERS), 0);
    EXPECT_EQ(mainDialogProc(DIALOG_COMMAND, IDM_FILE_TEXTURE_FOLDERS), 1);  // cancelled: kept
    EXPECT_EQ(store.folderListsShown.back(), Texts{(dir / "library").string()});

    openText(
        "s\n{\n{\nmap PICS/WALL.TGA\n}\n{\nmap sky.wal\n}\n{\nmap located.tga\n}\n"
        "{\nmap missing.tga\n}\n}\n");
    store.answerDialog(elsewhere);
    store.cancelDialog();
    pickScript(0);
    EXPECT_EQ(dialogTitles(), (Texts{"Locate located.tga", "Locate missing.tga"}));
    const std::vector<int> slots = stageSlots(currentScript);
    EXPECT_EQ(shown(slots[0]), RED);
    EXPECT_EQ(shown(slots[1]), BLUE);
    EXPECT_EQ(shown(slots[2]), RED);
    EXPECT_EQ(textureTable[slots[3]].glTexture, textureTable[placeholderSlot].glTexture);
    currentScript->texturesResolved = 0;
    pickScript(0);
    EXPECT_EQ(stageSlots(currentScript), slots);

    const int tableSize = textureCount;
    writeImage("scripts/Pics/Wall.tga", GREEN);
    writeImage("elsewhere/located.tga", BLUE);
    writeImage("scripts/missing.tga", GREEN);
    EXPECT_EQ(mainDialogProc(DIALOG_COMMAND, IDM_FILE_RELOAD_TEXTURES), 0);
    EXPECT_EQ(stageSlots(currentScript), slots);
    EXPECT_EQ(textureCount, tableSize);
    EXPECT_EQ(shown(slots[0]), GREEN);
    EXPECT_EQ(shown(slots[2]), BLUE);
    EXPECT_EQ(shown(slots[3]), GREEN);
    EXPECT_EQ(shown(placeholderSlot), WHITE);
    EXPECT_EQ(dialogTitles().size(), 2u);
}
