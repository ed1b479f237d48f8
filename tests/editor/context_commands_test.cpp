// Selecting a script and Submit resolve its texture names through Locate
// dialogs once a rendering context exists: answered names load the real
// image, cancelled ones show the placeholder, known names are not asked again.
#include "editor_fixture.h"

#include "textures.h"

#include <GL/gl.h>

struct ContextCommands : EditorTest {
    void SetUp() override {
        EditorTest::SetUp();
        store.previewWidth = store.previewHeight = 64;
        if (!store.createPreviewContext()) GTEST_SKIP() << "no headless OpenGL context";
        initImageLibrary();
        createPlaceholderTexture();
    }
    void TearDown() override {
        shutdownImageLibrary();
        EditorTest::TearDown();
    }

    std::vector<std::string> titlesAsked() {
        std::vector<std::string> titles;
        for (const DialogShown& d : store.dialogsShown)
            if (!d.title.empty()) titles.push_back(d.title);
        store.dialogsShown.clear();
        return titles;
    }

    static int textureWidth(int slot) {
        GLint width = 0;
        glBindTexture(GL_TEXTURE_2D, textureTable[slot].glTexture);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        return width;
    }
};

TEST_F(ContextCommands, SelectAndSubmitLocateEachNewNameOnce) {
    const std::string pics = VELTRA_EXAMPLES_DIR "/pics/demo/";
    open(VELTRA_EXAMPLES_DIR "/demo.txt");
    titlesAsked();

    store.answerDialog(pics + "stone.tga");
    store.cancelDialog();
    pickScript("demo/grate");
    EXPECT_EQ(titlesAsked(), (std::vector<std::string>{"Locate pics/demo/stone.tga", "Locate pics/demo/grate.tga"}));
    Stage* stone = currentScript->stages;
    Stage* grate = stone->next;
    EXPECT_NE(stone->texture, placeholderSlot);
    EXPECT_EQ(textureWidth(stone->texture), 64);
    EXPECT_EQ(textureTable[grate->texture].glTexture, textureTable[placeholderSlot].glTexture);

    // Submit resolves the edited map; the known names are not asked again.
    pick(IDC_STAGE_LIST, 1);
    type(IDC_TEXTURE_MAP, "pics/demo/water.tga");
    type(IDC_FRAME_NAME, "pics/demo/stone.tga");
    command(IDC_FRAME_ADD);
    EXPECT_EQ(grate->animFrames->texture, 0);  // the placeholder until resolved
    store.answerDialog(pics + "water.tga");
    EXPECT_EQ(command(IDC_SUBMIT), 0);
    EXPECT_EQ(titlesAsked(), (std::vector<std::string>{"Locate pics/demo/water.tga"}));
    EXPECT_EQ(textureWidth(grate->texture), 64);
    EXPECT_EQ(grate->animFrames->texture, stone->texture);
    EXPECT_EQ(grate->animCurrent, grate->animFrames);

    // Selecting the script again resolves nothing: its names are resolved.
    pickScript("demo/grate");
    EXPECT_TRUE(titlesAsked().empty());
}

// A real dialog takes the keyboard focus from the script list, whose
// notification then arrives while the command still waits in the dialog.
struct FocusTakingStore : ControlStore {
    bool askFileName(FileDialogRequest& request) override {
        mainDialogProc(DIALOG_COMMAND, IDC_SCRIPT_LIST);
        return ControlStore::askFileName(request);
    }
};

TEST_F(ContextCommands, NotificationsDuringALocateDialogAreDropped) {
    FocusTakingStore focusTaking;
    focusTaking.controls = store.controls;
    platform = &focusTaking;
    readScriptFile(VELTRA_EXAMPLES_DIR "/demo.txt");
    fillScriptList();
    focusTaking.control(IDC_SCRIPT_LIST).selection = 2;
    EXPECT_EQ(mainDialogProc(DIALOG_COMMAND, IDC_SCRIPT_LIST), 0);
    platform = &store;
    EXPECT_EQ(currentScript, findScript("demo/flame"));
    EXPECT_EQ(focusTaking.dialogsShown.size(), 3u);  // flame1 to flame3, each once
}
