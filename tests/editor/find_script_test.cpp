// Find Script: the ranking of the library's names against what is typed, and
// the choice selected in the script list as a click on its entry would.
#include "control_ids.h"
#include "control_store.h"
#include "editor.h"
#include "history.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Names = std::vector<std::string>;

struct FindScript : ::testing::Test {
    ControlStore store;

    void SetUp() override {
        platform = &store;
        initEditorControls();
        for (const char* name : {"demo/water", "Water", "demo/waterfall", "underwater",
                                 "deep_water", "WATERY", "tiny/w", "stone"}) {
            Script* script = appendScript(name);
            appendEmptyStage(script);
        }
        fillScriptList();
    }
    void TearDown() override {
        currentScript = nullptr;
        currentStage = nullptr;
        clearHistory();  // Open and the buttons record steps
        freeAllScripts();
        platform = nullptr;
    }
    Names matches(const char* typed, int max = MAX_SCRIPT_MATCHES) {
        Script* found[MAX_SCRIPT_MATCHES];
        const int count = findScriptMatches(typed, found, max);
        Names names;
        for (int i = 0; i < count; i++) names.push_back(found[i]->name);
        return names;
    }
};

// The whole name, then names that start with it, then a word of the name
// that starts with it, then anywhere; shorter first, then library order.
TEST_F(FindScript, BestMatchesFirstWithoutRegardToCase) {
    EXPECT_EQ(matches("water"), (Names{"Water", "WATERY", "demo/water", "deep_water",
                                       "demo/waterfall", "underwater"}));
    EXPECT_EQ(matches("wATer", 3), (Names{"Water", "WATERY", "demo/water"}));
    EXPECT_EQ(matches("/W"), (Names{"tiny/w", "demo/water", "demo/waterfall"}));
    EXPECT_EQ(matches("TONE"), Names{"stone"});
    EXPECT_EQ(matches(""), Names{});
    EXPECT_EQ(matches("lava"), Names{});
}

// Enter commits the script shown, then shows the chosen one and selects
// its entry; a cancel or an unknown name changes nothing.
TEST_F(FindScript, TheChoiceIsSelectedAsAClickWould) {
    store.control(IDC_SCRIPT_LIST).selection = 7;
    mainDialogProc(DIALOG_COMMAND, IDC_SCRIPT_LIST);
    Script* stone = currentScript;
    store.setText(IDC_SUBDIVIDE, "32");
    store.scriptNameAnswers.push_back({true, "DEEP_WATER"});
    EXPECT_EQ(mainDialogProc(DIALOG_COMMAND, IDM_EDIT_FIND_SCRIPT), 0);
    EXPECT_EQ(stone->subdivide, 32);
    EXPECT_EQ(store.control(IDC_SCRIPT_NAME).text, "deep_water");

    store.scriptNameAnswers.push_back({false, ""});
    store.scriptNameAnswers.push_back({true, "lava"});
    EXPECT_EQ(mainDialogProc(DIALOG_COMMAND, IDM_EDIT_FIND_SCRIPT), 1);
    EXPECT_EQ(mainDialogProc(DIALOG_COMMAND, IDM_EDIT_FIND_SCRIPT), 1);
    // The choice, unchanged by the cancel and the unknown name.
    EXPECT_EQ(std::string(currentScript->name), "deep_water");
    EXPECT_EQ(store.listSelection(IDC_SCRIPT_LIST), 4);
}
