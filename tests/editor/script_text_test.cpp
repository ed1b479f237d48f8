// The script text pane: typing read by the reader replaces the selected script, a save keeps
// the text as typed, and the pane and the panel never disagree.
#include "editor_fixture.h"

#include "problems.h"

struct ScriptText : EditorFixture {
    int type(const std::string& text) {
        ui.typedText = text;
        return command(IDC_SCRIPT_TEXT);
    }
    Names scriptNames() {
        Names names;
        for (const Script* script = g.library.scripts; script; script = script->next)
            names.push_back(script->name);
        return names;
    }
};

const std::string TWO = "fire\n{\n\tsafe\n\t{\n\t\tmap a.tga\n\t}\n}\n\nwater { { map w.tga } }\n";

// Each text typed for "fire": the library it gives, or why it is refused with nothing changed.
TEST_F(ScriptText, TypedTextsReplaceTheSelectedScriptOrAreRefused) {
    const struct {
        const char* typed;
        Names names;
        const char* map;  // of fire's (or its new name's) first stage
        const char* status;
    } rows[] = {
        {"blaze { { map b.tga } }", {"blaze", "water"}, "b.tga", ""},
        {"fire { glow 3 { map c.tga shine } }", {"fire", "water"}, "c.tga", ""},
        {"fire\r\n{\r\n\t{\r\n\t\tmap d.tga\r\n\t}\r\n}\r\n", {"fire", "water"}, "d.tga", ""},
        {"fire { } smoke { }",
         {"fire", "water"},
         "a.tga",
         "The text holds 2 scripts: only one can be applied."},
        {"fire { } fire { }",
         {"fire", "water"},
         "a.tga",
         "The text holds 2 scripts: only one can be applied."},
        {"fire { { map e.tga }",
         {"fire", "water"},
         "a.tga",
         "The body of fire is not closed: nothing is applied."},
        {" \n\t", {"fire", "water"}, "a.tga", "No script in the text: nothing is applied."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        g.reset();
        openText(TWO, 0, 0);
        const uint64_t edits = g.library.editCount;
        EXPECT_EQ(type(row.typed), row.status[0] ? 1 : 0);
        EXPECT_EQ(scriptNames(), row.names);
        EXPECT_STREQ(g.selection.currentScript->stages->map, row.map);
        EXPECT_EQ(ui.scriptText.status, row.status);
        EXPECT_EQ(ui.scriptText.text, row.typed);  // the pane keeps what was typed
        EXPECT_TRUE(ui.scriptText.typed);
        EXPECT_EQ(g.library.editCount == edits, row.status[0] != 0);
        if (!row.status[0]) {
            EXPECT_STREQ(undoStepName(g.library.history), "Edit Text");
        }
    }
    g.reset();
    EXPECT_EQ(type("fire { }"), 1);
    EXPECT_EQ(ui.scriptText.status, "No script is selected: nothing is applied.");
}

// The pane shows the file's range byte for byte, numbered from its line, with each stage's
// braces as the reader takes them and the reader's notes on the words it skips.
TEST_F(ScriptText, ThePaneShowsTheRangeItsStagesAndItsNotes) {
    openText("water { }\nfire\n{\n\tglow\n\t{\n\t\tmap {\n\t}\n\t{ }\n}\n", 1, 1);
    const ScriptTextView& view = ui.scriptText;
    EXPECT_EQ(view.text, "fire\n{\n\tglow\n\t{\n\t\tmap {\n\t}\n\t{ }\n}");
    EXPECT_EQ(view.firstLine, 2);
    using Braces = std::vector<std::pair<size_t, size_t>>;
    EXPECT_EQ(view.stages, (Braces{{14, 25}, {28, 30}}));  // "map {" opens nothing
    EXPECT_EQ(view.selectedStage, 1);
    ASSERT_EQ(view.marks.size(), 2u);
    EXPECT_EQ(std::tuple(view.marks[0].offset, view.marks[0].length), std::tuple(8u, 4u));
    EXPECT_EQ(view.marks[0].note, "'glow' is not a script keyword; skipped");
    EXPECT_EQ(view.marks[1].offset, 22u);
    command(IDM_VIEW_SCRIPT_TEXT);  // hidden: nothing more is sent
    const int count = ui.scriptTextShownCount;
    pick(IDC_STAGE_LIST, 0);
    EXPECT_EQ(ui.scriptTextShownCount, count);
}

// Typing without another command in between is one step; undo brings back the text before it.
TEST_F(ScriptText, ConsecutiveTypingIsOneStep) {
    for (int between : {0, IDM_PREVIEW_PAUSE, IDC_STAGE_LIST}) {
        SCOPED_TRACE(between);
        g.reset();
        openText(TWO, 0, 0);
        const std::string before = ui.scriptText.text;
        const int steps = historyStepCount(g.library.history);
        type("fire { { map b.tga } }");
        if (between) command(between);
        type("fire { { map bc.tga } }");
        EXPECT_EQ(historyStepCount(g.library.history), steps + (between ? 2 : 1));
        command(IDM_EDIT_UNDO);
        EXPECT_STREQ(g.selection.currentScript->stages->map, between ? "b.tga" : "a.tga");
        EXPECT_EQ(ui.scriptText.text, between ? "fire { { map b.tga } }" : before);
    }
}

// Saved as typed into its range (in the file's CR LF); a later panel change lays the script out
// again once the words it drops were listed.
TEST_F(ScriptText, SaveWritesTheTypedTextUntilThePanelChangesTheScript) {
    const std::string path =
        writeFile("a.txt", "fire\r\n{\r\n\t{ map a.tga }\r\n}\r\n\r\nwater { { map w.tga } }\r\n");
    open(path);
    pick(IDC_SCRIPT_LIST, 0);
    type("fire\n{\n\tglow 3 // hot\n\t{\n\t\tmap b.tga\n\t}\n}\n");
    EXPECT_EQ(command(IDM_FILE_SAVE), 0);
    EXPECT_TRUE(ui.choicesShown.empty());
    EXPECT_EQ(fileText(path),
              "fire\r\n{\r\n\tglow 3 // hot\r\n\t{\r\n\t\tmap b.tga\r\n"
              "\t}\r\n}\r\n\r\nwater { { map w.tga } }\r\n");
    EXPECT_FALSE(unsaved());
    pick(IDC_STAGE_LIST, 0);
    command(IDC_SUBMIT, {{IDC_TEXTURE_MAP, "c.tga"}});
    EXPECT_EQ(ui.scriptText.text.find("glow"), std::string::npos);  // laid out at once
    ui.choiceAnswers.push_back(0);                                  // Save Anyway
    command(IDM_FILE_SAVE);
    ASSERT_EQ(ui.choicesShown.size(), 1u);
    EXPECT_NE(ui.choicesShown[0].text.find("'glow' is not a script keyword"), std::string::npos);
    EXPECT_EQ(fileText(path),
              "fire\r\n{\r\n\t{\r\n\t\tmap c.tga\r\n\t}\r\n\t[\r\n\t\teditorimage c.tga\r\n\t]\r\n}"
              "\r\n\r\nwater { { map w.tga } }\r\n");
}

// Words the library cannot hold change no value, yet make the file to be saved as typed.
TEST_F(ScriptText, TypingOnlyWordsTheLibrarySkipsIsSavedToo) {
    const std::string path = writeFile("a.txt", "fire { { map a.tga } }\n");
    open(path);
    pick(IDC_SCRIPT_LIST, 0);
    const int steps = historyStepCount(g.library.history);
    type("fire { { map a.tga } } ");
    EXPECT_FALSE(unsaved());  // only spacing: nothing to save
    type("fire { note { map a.tga } }");
    EXPECT_EQ(historyStepCount(g.library.history), steps);
    EXPECT_TRUE(unsaved());
    command(IDM_FILE_SAVE);
    EXPECT_EQ(fileText(path), "fire { note { map a.tga } }\n");
}

// Random text edits, panel edits, undos and redos: after each the pane's text reads as the
// selected script, its stages are the script's, and the panel shows the same values.
TEST_F(ScriptText, PaneAndPanelAgreeAfterRandomEdits) {
    openText(TWO, 0, 0);
    std::mt19937 rng(17);
    const char* const stages[] = {"{ map a.tga }", "{ map b.tga rotate 2 glow }",
                                  "{\n\tblendfunc GL_ONE GL_ONE\n}", "{ map {"};
    auto randomText = [&] {
        std::string text = rng() % 4 ? "fire\n{\n" : "smoke {\r\n";
        for (int n = (int)(rng() % 4); n > 0; n--) text += stages[rng() % 4] + std::string("\n");
        return text + (rng() % 6 ? "}\n" : "");
    };
    for (int step = 0; step < 600; step++) {
        const int action = (int)(rng() % 10);
        const std::string& shownText = ui.scriptText.text;
        if (action < 4)
            type(randomText());
        else if (action < 5)
            type(shownText.substr(0, shownText.find('{')) + "{ glow" +
                 shownText.substr(shownText.find('{') + 1));
        else if (action < 6)
            command(IDC_SUBMIT, {{IDC_TEXTURE_MAP, "p" + std::to_string(rng() % 9) + ".tga"}});
        else if (action < 7)
            command(rng() % 2 ? IDM_STAGE_DUPLICATE : IDC_STAGE_DELETE);
        else if (action < 8)
            pick(rng() % 2 ? IDC_STAGE_LIST : IDC_SCRIPT_LIST, (int)(rng() % 3));
        else
            command(action == 8 ? IDM_EDIT_UNDO : IDM_EDIT_REDO);
        const Script* script = g.selection.currentScript;
        if (!script || !ui.scriptText.status.empty()) continue;  // refused: the pane keeps it
        SCOPED_TRACE(step);
        ScriptLibrary read;
        readScriptText(read, shownText.data(), shownText.size());
        ASSERT_TRUE(read.scripts && sameScriptContent(read.scripts, script)) << shownText;
        int stageCount = 0;
        for (const Stage* stage = script->stages; stage; stage = stage->next) stageCount++;
        EXPECT_EQ(ui.scriptText.stages.size(), (size_t)stageCount);
        EXPECT_EQ(ui.scriptText.selectedStage, stageIndex(script, g.selection.currentStage));
        EXPECT_EQ(shown(IDC_SCRIPT_NAME), script->name);
        if (g.selection.currentStage) {
            EXPECT_EQ(shown(IDC_TEXTURE_MAP), g.selection.currentStage->map);
        }
    }
}
