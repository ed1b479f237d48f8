// Stages and scripts moved and copied, each against the library as the writer writes it.
#include "commands.h"
#include "editor_fixture.h"

using Arrange = EditorFixture;

static const char* const LIBRARY = "a { { map s0.tga } { map s1.tga } { map s2.tga } } b { safe }";
static const std::string A =
    "a { { map s0.tga } { map s1.tga } { map s2.tga } [ editorimage s0.tga ] } ";
static const std::string B = "b { safe } ";

// Each command is one step of its name that leaves the moved or new record current and shown,
// and that undo takes back byte for byte; a text without stages or scripts pastes nothing.
TEST_F(Arrange, EachCommandIsOneStepThatUndoRestoresByteForByte) {
    struct Row {
        int script, stage;
        const char* clipboard;
        int command;
        std::string after;
        const char* selected;
    };
    const std::string pasted = "b { safe { map p.tga } { map q.tga } [ editorimage p.tga ] } ";
    const std::string s0 = "a { { map s0.tga } { map ";
    const Row rows[] = {
        {0, 1, "", IDM_STAGE_MOVE_UP,
         "a { { map s1.tga } { map s0.tga } { map s2.tga } [ editorimage s1.tga ] } " + B, "a/0"},
        {0, 1, "", IDM_STAGE_MOVE_DOWN,
         s0 + "s2.tga } { map s1.tga } [ editorimage s0.tga ] } " + B, "a/2"},
        {0, 0, "", IDM_STAGE_DUPLICATE,
         s0 + "s0.tga } { map s1.tga } { map s2.tga } [ editorimage s0.tga ] } " + B, "a/1"},
        {0, 0, "\t{\n\t\tmap p.tga\n\t}\n", IDM_STAGE_PASTE,
         s0 + "p.tga } { map s1.tga } { map s2.tga } [ editorimage s0.tga ] } " + B, "a/1"},
        {1, NO_SELECTION, "x { { map p.tga } } y { { map q.tga } }", IDM_STAGE_PASTE, A + pasted,
         "b/1"},
        {1, NO_SELECTION, " { map p.tga } { map q.tga }", IDM_STAGE_PASTE, A + pasted, "b/1"},
        {1, NO_SELECTION, "hello", IDM_STAGE_PASTE, A + B, "b/-"},
        {0, NO_SELECTION, "", IDM_SCRIPT_DUPLICATE, A + "a_copy" + A.substr(1) + B, "a_copy/-"},
        {0, NO_SELECTION, "B { } c { subdivide 8 }", IDM_SCRIPT_PASTE,
         A + "B_copy { } c { subdivide 8 } " + B, "B_copy/-"},
        {NO_SELECTION, NO_SELECTION, "c { }", IDM_SCRIPT_PASTE, A + B + "c { } ", "c/-"},
        {NO_SELECTION, NO_SELECTION, "{ map p.tga }", IDM_SCRIPT_PASTE, A + B, "-/-"},
    };
    for (const Row& row : rows) {
        g.reset();
        openText(LIBRARY, row.script, row.stage);
        const std::string before = libraryText(g.library);
        const int steps = historyStepCount(g.library.history);
        ui.clipboard = row.clipboard;
        command(row.command);
        const char* caption = findCommand(row.command)->caption;
        SCOPED_TRACE(caption + std::string(" ") + row.clipboard);
        EXPECT_EQ(words(libraryText(g.library)), row.after);
        EXPECT_EQ(selected(), row.selected);
        EXPECT_EQ(listed(), row.selected);
        const Stage* stage = g.selection.currentStage;
        EXPECT_EQ(shown(IDC_TEXTURE_MAP), stage ? stage->map : "");
        if (row.after == A + B) {
            EXPECT_EQ(historyStepCount(g.library.history), steps);
            continue;
        }
        EXPECT_STREQ(undoStepName(g.library.history), caption);
        command(IDM_EDIT_UNDO);
        EXPECT_EQ(libraryText(g.library), before);
    }
}

// The clipboard holds a stage or a script as the writer lays it out, and pastes back as it
// was; a copy's name keeps within a name's 47 characters.
TEST_F(Arrange, ClipboardTextRoundTripsThroughTheReaderAndCopiesGetFreeNames) {
    const std::string name(46, 'n');
    openText(name +
                 " { subdivide 16 { map m.tga blendfunc GL_ONE GL_SRC_ALPHA scroll sine 1 "
                 "static 2 anim 0.5 f1.tga f2.tga end } } b { }",
             0, 0);
    command(IDM_STAGE_COPY);
    EXPECT_EQ(ui.clipboard,
              "\t{\n\t\tmap m.tga\n\t\tblendfunc GL_ONE GL_SRC_ALPHA\n\t\tscroll sine 1.000000 "
              "static 2.000000\n\t\tanim 0.500000 f1.tga f2.tga end\n\t}\n");
    pick(IDC_SCRIPT_LIST, 1);
    command(IDM_STAGE_PASTE);
    EXPECT_EQ(stageText(g.selection.currentStage), ui.clipboard);
    pick(IDC_SCRIPT_LIST, 0);
    command(IDM_SCRIPT_COPY);
    EXPECT_EQ(ui.clipboard, scriptText(g.library.scripts));
    for (int paste = 0; paste < 2; paste++) {
        pick(IDC_SCRIPT_LIST, 0);
        command(IDM_SCRIPT_PASTE);
    }
    const Script* copy = g.library.scripts->next->next;
    EXPECT_EQ(entries(IDC_SCRIPT_LIST),
              (Names{name, name.substr(5) + "_copy2", name.substr(4) + "_copy", "b"}));
    EXPECT_EQ(scriptText(copy).substr(47), ui.clipboard.substr(46));
}
