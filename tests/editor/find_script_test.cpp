// Find Script: the names ranked against what is typed, and the choice shown.
#include "editor_fixture.h"

struct FindScript : EditorFixture {
    FindScript() {
        openText(
            "demo/water { } Water { } demo/waterfall { } underwater { } deep_water { } "
            "WATERY { } tiny/w { } stone { }");
    }
    Names matches(const char* typed, int max = MAX_SCRIPT_MATCHES) {
        Script* found[MAX_SCRIPT_MATCHES];
        const int count = findScriptMatches(g.library, typed, found, max);
        Names names;
        for (int i = 0; i < count; i++) names.push_back(found[i]->name);
        return names;
    }
};

// The whole name, then its start, a word's start, anywhere; shorter first, then in order.
TEST_F(FindScript, BestMatchesFirstWithoutRegardToCase) {
    EXPECT_EQ(matches("water"), (Names{"Water", "WATERY", "demo/water", "deep_water",
                                       "demo/waterfall", "underwater"}));
    EXPECT_EQ(matches("wATer", 3), (Names{"Water", "WATERY", "demo/water"}));
    EXPECT_EQ(matches("/W"), (Names{"tiny/w", "demo/water", "demo/waterfall"}));
    EXPECT_EQ(matches("TONE"), Names{"stone"});
    EXPECT_EQ(matches(""), Names{});
    EXPECT_EQ(matches("lava"), Names{});
}

// Enter commits the script shown, then shows the choice as a click would; a cancel or an
// unknown name changes nothing.
TEST_F(FindScript, TheChoiceIsSelectedAsAClickWould) {
    pick(IDC_SCRIPT_LIST, 7);
    Script* stone = g.selection.currentScript;
    ui.scriptNameAnswers.push_back({true, "DEEP_WATER"});
    EXPECT_EQ(command(IDM_EDIT_FIND_SCRIPT, {{IDC_SUBDIVIDE, "32"}}), 0);
    EXPECT_EQ(stone->subdivide, 32);
    EXPECT_EQ(shown(IDC_SCRIPT_NAME), "deep_water");

    ui.scriptNameAnswers.push_back({false, ""});
    ui.scriptNameAnswers.push_back({true, "lava"});
    EXPECT_EQ(command(IDM_EDIT_FIND_SCRIPT), 1);
    EXPECT_EQ(command(IDM_EDIT_FIND_SCRIPT), 1);
    EXPECT_EQ(selected(), "deep_water/-");
    EXPECT_EQ(listed(), "deep_water/-");
}
