// File, Open and File, Save: the dialog requests, the merge into the
// library, references the reader released, the commit before a write and
// the report of a failed write.
#include "editor_fixture.h"

#include <cerrno>
#include <cstring>

static const char* LIBRARY =
    "a\n{\n\tsubdivide 8\n\t{\n\t\tmap a0.tga\n\t}\n\t{\n\t\tmap a1.tga\n\t}\n}\n"
    "b\n{\n\t{\n\t\tmap b0.tga\n\t}\n}\n";

using FileCommands = EditorTest;

TEST_F(FileCommands, EachDialogOffersItsOwnLastPath) {
    EXPECT_EQ(command(IDM_FILE_OPEN), 1);  // cancelled
    EXPECT_EQ(command(IDM_FILE_SAVE), 1);
    EXPECT_EQ(scriptLibrary, nullptr);
    ASSERT_EQ(store.dialogsShown.size(), 2u);
    const DialogShown& openShown = store.dialogsShown[0];
    EXPECT_FALSE(openShown.save);
    EXPECT_EQ(openShown.filterName, "Veltra file");
    EXPECT_EQ(openShown.filterPattern, "*.txt");
    const DialogShown& saveShown = store.dialogsShown[1];
    EXPECT_TRUE(saveShown.save);
    EXPECT_EQ(saveShown.defaultExt, ".txt");
    EXPECT_EQ(saveShown.filterPattern, "*.txt");
    EXPECT_TRUE(saveShown.title.empty());

    std::string in = writeFile("in.txt", LIBRARY);
    std::string out = (dir / "out.txt").string();
    EXPECT_EQ(open(in), 0);
    EXPECT_EQ(save(out), 0);
    store.dialogsShown.clear();
    command(IDM_FILE_OPEN);
    command(IDM_FILE_SAVE);
    EXPECT_EQ(store.dialogsShown[0].initialPath, in);
    EXPECT_EQ(store.dialogsShown[1].initialPath, out);
    EXPECT_EQ(entries(IDC_SCRIPT_LIST), (std::vector<std::string>{"a", "b"}));
}

TEST_F(FileCommands, OpenDropsTheCurrentScriptAndStageItReplaced) {
    openText(LIBRARY);
    pickScript("a");
    pick(IDC_STAGE_LIST, 1);
    EXPECT_EQ(openText("A\n{\n}\n"), 0);
    EXPECT_EQ(currentScript, nullptr);
    EXPECT_EQ(currentStage, nullptr);
    EXPECT_TRUE(entries(IDC_STAGE_LIST).empty());
    EXPECT_EQ(entries(IDC_SCRIPT_LIST), (std::vector<std::string>{"b", "A"}));
    // The panel still shows the released stage; nothing commits into it.
    type(IDC_TEXTURE_MAP, "x.tga");
    EXPECT_EQ(command(IDC_SUBMIT), 0);
    EXPECT_EQ(command(IDC_FRAME_ADD), 1);
    EXPECT_EQ(save((dir / "out.txt").string()), 0);
    EXPECT_EQ(readFile((dir / "out.txt").string()).find("x.tga"), std::string::npos);
}

TEST_F(FileCommands, OpenDropsOnlyWhatItReleasedEvenWhenStageAndScriptDiffer) {
    openText(LIBRARY);
    pickScript("a");
    pick(IDC_STAGE_LIST, 0);
    Stage* stageOfA = currentStage;
    pickScript("b");  // the stage of "a" stays current
    Script* b = currentScript;

    openText("c\n{\n}\n");
    EXPECT_EQ(currentScript, b);
    EXPECT_EQ(currentStage, stageOfA);
    EXPECT_EQ(entries(IDC_STAGE_LIST).size(), 1u);

    openText("a\n{\n}\n");  // releases the owner of the current stage only
    EXPECT_EQ(currentScript, b);
    EXPECT_EQ(currentStage, nullptr);

    pick(IDC_STAGE_LIST, 0);
    openText("b\n{\n}\n");  // releases the current script and its stage
    EXPECT_EQ(currentScript, nullptr);
    EXPECT_EQ(currentStage, nullptr);
    EXPECT_EQ(entries(IDC_SCRIPT_LIST), (std::vector<std::string>{"c", "a", "b"}));
}

TEST_F(FileCommands, SaveCommitsOnlyWithAScriptAndAStageCurrent) {
    openText(LIBRARY);
    std::string out = (dir / "out.txt").string();
    pickScript("a");
    type(IDC_SUBDIVIDE, "32");
    save(out);  // no current stage: the shown 32 is not committed
    EXPECT_NE(readFile(out).find("\tsubdivide 8\n"), std::string::npos);

    pick(IDC_STAGE_LIST, 0);
    type(IDC_SUBDIVIDE, "32");
    type(IDC_TEXTURE_MAP, "edited.tga");
    EXPECT_EQ(save(out), 0);
    std::string text = readFile(out);
    EXPECT_NE(text.find("\tsubdivide 32\n"), std::string::npos);
    EXPECT_NE(text.find("\t\tmap edited.tga\n"), std::string::npos);
    EXPECT_EQ(currentScript->texturesResolved, 0);
    EXPECT_TRUE(store.messagesShown.empty());
}

TEST_F(FileCommands, FailedSaveNamesTheFileAndTheReason) {
    openText(LIBRARY);
    std::string missing = (dir / "no-such-folder" / "out.txt").string();
    EXPECT_EQ(save(missing), 0);
    ASSERT_EQ(store.messagesShown.size(), 1u);
    EXPECT_EQ(store.messagesShown[0].caption, "Save Error");
    EXPECT_EQ(store.messagesShown[0].text, "Could not save \"" + missing + "\": " + strerror(ENOENT));
}

TEST_F(FileCommands, TheExampleUsesEveryKeywordAndSurvivesASave) {
    EXPECT_EQ(open(VELTRA_EXAMPLES_DIR "/demo.txt"), 0);
    EXPECT_EQ(entries(IDC_SCRIPT_LIST),
              (std::vector<std::string>{"demo/stone_wall", "demo/water", "demo/flame", "demo/grate"}));
    Script* water = findScript("demo/water");
    EXPECT_EQ(water->subdivide, 32);
    EXPECT_FLOAT_EQ(water->warpSmoothness, 0.25f);
    EXPECT_EQ(water->stages->next->envmap, 1);
    Stage* flame = findScript("demo/flame")->stages;
    EXPECT_EQ(flame->animFrameCount, 3);
    EXPECT_EQ(flame->lightmap, 0);
    EXPECT_EQ(findScript("demo/grate")->stages->next->alphamask, 1);
    for (Script* s = scriptLibrary; s; s = s->next)
        for (Stage* st = s->stages; st; st = st->next) {
            std::string path = std::string(VELTRA_EXAMPLES_DIR "/") + st->map;
            EXPECT_TRUE(std::filesystem::exists(path)) << path;
        }

    std::string out = (dir / "demo.txt").string();
    save(out);
    std::string first = readFile(out);
    freeAllScripts();
    open(out);
    save(out);
    EXPECT_EQ(readFile(out), first);
}
