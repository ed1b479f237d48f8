// The script and stage lists: commit before switch, the walk of the stage
// list, adds, deletes, renames and their refusals.
#include "editor_fixture.h"

#include <cstring>

static const char* TWO_SCRIPTS =
    "first\n{\n\tsubdivide 16\n\tsafe\n\tvertexwarp 1 2 0.5\n"
    "\t{\n\t\tmap a.tga\n\t\trotate 1.5\n\t}\n\t{\n\t\tmap b.tga\n\t}\n\t{\n\t\tmap c.tga\n\t}\n}\n"
    "second\n{\n\t{\n\t\tmap d.tga\n\t}\n}\n";

using ScriptList = EditorTest;

TEST_F(ScriptList, SelectingCommitsTheOldScriptThenShowsTheNew) {
    openText(TWO_SCRIPTS);
    EXPECT_EQ(entries(IDC_SCRIPT_LIST), (std::vector<std::string>{"first", "second"}));
    Script* first = findScript("first");

    EXPECT_EQ(pickScript("first"), 0);
    EXPECT_EQ(currentScript, first);
    EXPECT_EQ(shown(IDC_SUBDIVIDE), "16");
    EXPECT_TRUE(store.isChecked(IDC_SAFE));
    EXPECT_EQ(shown(IDC_WARP_SMOOTHNESS), "0.500000");
    EXPECT_EQ(shown(IDC_SCRIPT_NAME), "first");
    EXPECT_EQ(entries(IDC_STAGE_LIST), (std::vector<std::string>{"Stage 0", "Stage 1", "Stage 2"}));
    EXPECT_EQ(store.listSelection(IDC_STAGE_LIST), NO_SELECTION);
    EXPECT_EQ(first->texturesResolved, 1);

    type(IDC_SUBDIVIDE, "300");
    store.setCheck(IDC_SAFE, false);
    pickScript("second");
    EXPECT_EQ(first->subdivide, 44);  // low 8 bits, no rounding
    EXPECT_EQ(first->safe, 0);
    EXPECT_EQ(currentScript, findScript("second"));
    EXPECT_EQ(shown(IDC_SUBDIVIDE), "0");
    EXPECT_EQ(entries(IDC_STAGE_LIST).size(), 1u);
    EXPECT_EQ(currentStage, nullptr);  // a script switch leaves the stage alone

    // Clicking into the list without a selection commits, then leaves no script.
    type(IDC_SUBDIVIDE, "16");
    EXPECT_EQ(pick(IDC_SCRIPT_LIST, NO_SELECTION), 0);
    EXPECT_EQ(findScript("second")->subdivide, 16);
    EXPECT_EQ(currentScript, nullptr);
    EXPECT_EQ(shown(IDC_SCRIPT_NAME), "");
}

TEST_F(ScriptList, AddShowsTheNewScriptAndCutsLongNames) {
    openText(TWO_SCRIPTS);
    pickScript("first");
    type(IDC_SCRIPT_NAME, "");
    EXPECT_EQ(command(IDC_SCRIPT_ADD), 0);
    EXPECT_EQ(currentScript, findScript("first"));

    type(IDC_SUBDIVIDE, "32");  // an edit of "first" that was not committed yet
    type(IDC_SCRIPT_NAME, std::string(100, 'n'));
    EXPECT_EQ(command(IDC_SCRIPT_ADD), 0);
    Script* added = currentScript;
    EXPECT_EQ(strlen(added->name), 47u);
    EXPECT_EQ(findScript("first")->subdivide, 32);
    EXPECT_EQ(shown(IDC_SUBDIVIDE), "0");
    EXPECT_FALSE(store.isChecked(IDC_SAFE));
    EXPECT_TRUE(entries(IDC_STAGE_LIST).empty());
    EXPECT_EQ(entries(IDC_SCRIPT_LIST).size(), 3u);

    // The next switch commits the new script's own (empty) settings.
    pickScript("second");
    EXPECT_EQ(added->subdivide, 0);
    EXPECT_EQ(added->safe, 0);

    // A duplicate name is listed twice; either entry selects the first.
    type(IDC_SCRIPT_NAME, "SECOND");
    command(IDC_SCRIPT_ADD);
    pick(IDC_SCRIPT_LIST, 3);
    EXPECT_EQ(currentScript, findScript("second"));
    EXPECT_EQ(currentScript, scriptLibrary->next);
}

TEST_F(ScriptList, UpdateAndDeleteAndTheirRefusals) {
    type(IDC_SCRIPT_NAME, "x");
    EXPECT_EQ(command(IDC_SCRIPT_UPDATE), 1);
    EXPECT_EQ(command(IDC_SCRIPT_DELETE), 0);

    openText(TWO_SCRIPTS);
    pickScript("first");
    type(IDC_SCRIPT_NAME, "");
    EXPECT_EQ(command(IDC_SCRIPT_UPDATE), 0);
    EXPECT_STREQ(currentScript->name, "first");
    type(IDC_SCRIPT_NAME, "renamed");
    EXPECT_EQ(command(IDC_SCRIPT_UPDATE), 0);
    EXPECT_EQ(entries(IDC_SCRIPT_LIST), (std::vector<std::string>{"renamed", "second"}));
    EXPECT_EQ(store.listSelection(IDC_SCRIPT_LIST), NO_SELECTION);

    pick(IDC_STAGE_LIST, 1);
    EXPECT_EQ(command(IDC_SCRIPT_DELETE), 0);
    EXPECT_EQ(currentScript, nullptr);
    EXPECT_EQ(currentStage, nullptr);
    EXPECT_TRUE(entries(IDC_STAGE_LIST).empty());
    EXPECT_EQ(entries(IDC_SCRIPT_LIST), (std::vector<std::string>{"second"}));
    // Nothing acts on a script until one is selected again.
    EXPECT_EQ(command(IDC_SCRIPT_UPDATE), 1);
    EXPECT_EQ(command(IDC_STAGE_ADD), 0);
    EXPECT_EQ(command(IDC_STAGE_DELETE), 1);
    EXPECT_EQ(command(IDC_SUBMIT), 0);
    EXPECT_EQ(command(IDC_FRAME_ADD), 1);
    EXPECT_EQ(findScript("second")->stages->next, nullptr);
}

using StageList = EditorTest;

TEST_F(StageList, WalkCommitsThePanelThenShowsTheStageReached) {
    openText(TWO_SCRIPTS);
    EXPECT_EQ(pick(IDC_STAGE_LIST, 0), 0);  // no current script: nothing
    EXPECT_EQ(currentStage, nullptr);

    pickScript("first");
    Script* first = currentScript;
    EXPECT_EQ(pick(IDC_STAGE_LIST, NO_SELECTION), 0);  // the walk stays on the first stage
    EXPECT_EQ(currentStage, first->stages);
    EXPECT_EQ(shown(IDC_TEXTURE_MAP), "a.tga");
    EXPECT_EQ(shown(IDC_ROTATE_SPEED), "1.500000");

    type(IDC_ROTATE_SPEED, "2.5x");
    pick(IDC_STAGE_LIST, 2);
    EXPECT_FLOAT_EQ(first->stages->rotateSpeed, 2.5f);
    EXPECT_EQ(first->texturesResolved, 0);
    EXPECT_EQ(currentStage, stageAt(first, 2));
    EXPECT_EQ(shown(IDC_TEXTURE_MAP), "c.tga");

    // Clicking the selected entry again commits the edits and shows them back.
    type(IDC_ROTATE_SPEED, "0.1234567");
    pick(IDC_STAGE_LIST, 2);
    EXPECT_EQ(shown(IDC_ROTATE_SPEED), "0.123457");

    // Beyond the last stage: committed, then no stage, the panel unchanged.
    type(IDC_TEXTURE_MAP, "edited.tga");
    pick(IDC_STAGE_LIST, 7);
    EXPECT_STREQ(stageAt(first, 2)->map, "edited.tga");
    EXPECT_EQ(currentStage, nullptr);
    EXPECT_EQ(shown(IDC_TEXTURE_MAP), "edited.tga");
}

TEST_F(StageList, AddAppendsAnEmptyStageAndDeleteRefusesWithoutASelection) {
    openText(TWO_SCRIPTS);
    pickScript("first");
    Script* first = currentScript;
    pick(IDC_STAGE_LIST, 0);
    Stage* shownStage = currentStage;

    EXPECT_EQ(command(IDC_STAGE_ADD), 0);
    EXPECT_EQ(entries(IDC_STAGE_LIST).size(), 4u);
    EXPECT_EQ(store.listSelection(IDC_STAGE_LIST), NO_SELECTION);
    EXPECT_STREQ(stageAt(first, 3)->map, "");
    EXPECT_EQ(currentStage, shownStage);

    EXPECT_EQ(command(IDC_STAGE_DELETE), 1);  // no entry selected
    store.control(IDC_STAGE_LIST).selection = 9;
    EXPECT_EQ(command(IDC_STAGE_DELETE), 1);
    pick(IDC_STAGE_LIST, 1);
    Stage* third = stageAt(first, 2);
    EXPECT_EQ(command(IDC_STAGE_DELETE), 0);
    EXPECT_EQ(currentStage, nullptr);
    EXPECT_EQ(stageAt(first, 1), third);
    EXPECT_EQ(entries(IDC_STAGE_LIST), (std::vector<std::string>{"Stage 0", "Stage 1", "Stage 2"}));
    store.control(IDC_STAGE_LIST).selection = 0;
    EXPECT_EQ(command(IDC_STAGE_DELETE), 1);  // no current stage
    EXPECT_EQ(stageAt(first, 0), shownStage);
}
