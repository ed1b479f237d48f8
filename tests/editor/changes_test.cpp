// The commands' changes to the library: one named step each, undone and redone, checked
// step by step and in a long random run against the writer's output.
#include "commands.h"
#include "editor_fixture.h"

using Changes = EditorFixture;

// The words after Undo or Redo in the Edit menu; empty when there are none.
static std::string detail(const EditorContext& g, int id) {
    const char* words = findCommand(id)->detailWhen(g);
    return words ? words : "";
}

// Each command is one step named in the Edit menu, a commit that changes nothing none; undo
// shows the script and stage it touched.
TEST_F(Changes, EachCommandIsOneNamedStepAndUndoShowsWhatItTouched) {
    openText("a { { map a.tga } } b { } c { }", 0, 0);
    EXPECT_EQ(historyStepCount(g.library.history), 1);  // the Open; the picks changed nothing
    const std::string more = writeFile("more.txt", "B { safe } e { }");
    const struct {
        const char* name;
        int id;
        int index;  // the entry picked, for a list
        Edits typed;
        const char* selectedAfterUndo;
    } steps[] = {
        {"Submit", IDC_SUBMIT, 0, {{IDC_TEXTURE_MAP, "b.tga"}}, "a/0"},
        {"Frame Add", IDC_FRAME_ADD, 0, {{IDC_FRAME_NAME, "f1.tga"}}, "a/0"},
        {"Frame Update", IDC_FRAME_UPDATE, 0, {{IDC_FRAME_NAME, "f2.tga"}}, "a/0"},
        {"Stage Add", IDC_STAGE_ADD, 0, {}, "a/0"},  // its redo makes the new stage current
        {"Stage Properties", IDC_STAGE_LIST, 1, {{IDC_ROTATE_SPEED, "4"}}, "a/1"},
        {"Stage Delete", IDC_STAGE_DELETE, 0, {}, "a/1"},
        {"Script Update", IDC_SCRIPT_UPDATE, 0, {{IDC_SCRIPT_NAME, "z"}}, "a/-"},
        {"Script Settings", IDC_SCRIPT_LIST, 0, {{IDC_SUBDIVIDE, "16"}}, "z/-"},
        {"Script Add", IDC_SCRIPT_ADD, 0, {{IDC_SCRIPT_NAME, "d"}}, "-/-"},
        {"Script Delete", IDC_SCRIPT_DELETE, 0, {}, "d/-"},
        {"Open", IDM_FILE_OPEN, 0, {}, "b/-"},  // the script it replaced
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        if (step.id == IDM_FILE_OPEN) ui.answerDialog(more);
        ui.control(IDC_FRAME_LIST).selection = 0;  // for Frame Update
        pick(step.id, step.index, step.typed);
        EXPECT_EQ(detail(g, IDM_EDIT_UNDO), step.name);
        command(IDM_EDIT_UNDO);
        EXPECT_EQ(selected(), step.selectedAfterUndo);
        // The panel shows the restored records: committing it changes nothing.
        const Selection& s = g.selection;
        const uint64_t edits = g.library.editCount;
        if (s.currentScript) readScriptProperties(g, s.currentScript);
        if (s.currentStage) readStageProperties(g, s.currentStage);
        EXPECT_EQ(g.library.editCount, edits);
        EXPECT_EQ(shown(IDC_SCRIPT_NAME), s.currentScript ? s.currentScript->name : "");
        EXPECT_EQ(detail(g, IDM_EDIT_REDO), step.name);
        command(IDM_EDIT_REDO);
    }
    EXPECT_EQ(entries(IDC_SCRIPT_LIST), (Names{"z", "c", "B", "e"}));
}

// A step copies the script it touches, never the library.
TEST_F(Changes, StepsStaySmall) {
    std::string text;
    for (int i = 0; i < 2000; i++) text += "s" + std::to_string(i) + " { { map a.tga } }\n";
    openText(text, 1000, 0);
    const History& history = g.library.history;
    const size_t before = historyBytes(history);
    command(IDC_SUBMIT, {{IDC_TEXTURE_MAP, "b.tga"}});
    EXPECT_LT(historyBytes(history) - before, 4 * sizeof(Script) + 4 * sizeof(Stage));
    command(IDC_SCRIPT_DELETE);
    EXPECT_LT(historyBytes(history) - before, 8 * sizeof(Script) + 8 * sizeof(Stage));
}

// Current references are live or none; frame lists agree with count and current.
static void checkInvariants(const EditorContext& g) {
    const Selection& s = g.selection;
    ASSERT_TRUE(!s.currentScript || scriptIndex(g.library, s.currentScript) >= 0);
    ASSERT_TRUE(!s.currentStage || stageOwner(g.library, s.currentStage));
    for (const Script* script = g.library.scripts; script; script = script->next) {
        for (const Stage* t = script->stages; t; t = t->next) {
            int length = 0;
            bool current = !t->animCurrent;
            for (const AnimFrame* f = t->animFrames; f; f = f->next, length++)
                current |= f == t->animCurrent;
            ASSERT_TRUE(t->animFrameCount == length && current);
        }
    }
}

// Random commands, undos and redos against the writer's output and the unsaved mark after
// each, the second half with a history that drops its oldest steps. Without a current script
// only Script Add and Paste change anything.
TEST_F(Changes, RandomCommandsUndosAndRedosMatchTheReferenceHistory) {
    const char* const texts[] = {"", "0", "2.5x", "-1.25", "300", "pics/a.tga", "ab", "first"};
    const int commands[] = {
        IDC_STAGE_LIST,    IDC_SCRIPT_LIST,     IDC_FRAME_LIST,      IDC_FRAME_ADD,
        IDC_FRAME_DELETE,  IDC_STAGE_ADD,       IDC_STAGE_DELETE,    IDC_SCRIPT_ADD,
        IDC_SCRIPT_DELETE, IDC_FRAME_UPDATE,    IDC_SUBMIT,          IDC_SCRIPT_UPDATE,
        IDM_STAGE_MOVE_UP, IDM_STAGE_MOVE_DOWN, IDM_STAGE_DUPLICATE, IDM_STAGE_COPY,
        IDM_STAGE_PASTE,   IDM_SCRIPT_COPY,     IDM_SCRIPT_PASTE,    IDM_SCRIPT_DUPLICATE};
    // Commands that commit the script's settings or the stage's panel first, each a step of
    // its own that the test takes first.
    auto commitsFirst = [](int id, bool stage) {
        return id == IDC_SCRIPT_LIST || id == IDC_SCRIPT_ADD || id >= IDM_SCRIPT_DUPLICATE ||
               (stage && id >= IDM_STAGE_MOVE_UP);
    };
    const std::string twoScripts =
        "first { subdivide 16 safe vertexwarp 1 2 0.5 { map a.tga rotate 1.5 } { } { map c.tga "
        "anim 1 f1.tga f2.tga end blendfunc GL_ONE GL_SRC_ALPHA scroll sine 1 cosine 2 "
        "scale static 3 sine 0 alphashift 1 0.5 1 } } second { { } }";
    const uint64_t& editCount = g.library.editCount;
    markLibrarySaved(g.library.history);
    std::vector<std::string> states = {libraryText(g.library)};
    size_t position = 0;
    size_t savedPosition = 0;
    std::mt19937 rng(7);
    // A change is a new state; it drops the states that redo had.
    auto track = [&](uint64_t edits) {
        ASSERT_LE(editCount - edits, 1u);
        if (editCount == edits) return;
        if (savedPosition > position) savedPosition = SIZE_MAX;
        states.resize(++position);
        states.push_back(libraryText(g.library));
        // A new step leaves the history within its limit, or the newest step alone.
        const History& history = g.library.history;
        ASSERT_TRUE(historyStepCount(history) == 1 || historyBytes(history) <= history.memoryLimit);
    };
    auto commitFirst = [&](bool script, bool stage) {
        Selection& s = g.selection;
        uint64_t edits = editCount;
        if (script && s.currentScript) readScriptProperties(g, s.currentScript);
        track(edits);
        edits = editCount;
        if (stage && s.currentStage) readStageProperties(g, s.currentStage);
        track(edits);
    };
    for (int step = 0; step < 4000; step++) {
        g.library.history.memoryLimit = step < 2000 ? HISTORY_MEMORY_LIMIT : 4096;
        const int action = (int)(rng() % 32);
        const uint64_t edits = editCount;
        if (action < 6) {
            ui.control(IDC_STAGE_LIST + (int)(rng() % 40)).text = texts[rng() % std::size(texts)];
        } else if (action < 8) {
            ui.setCheck(IDC_STAGE_LIST + (int)(rng() % 40), rng() % 2);
        } else if (action < 20) {
            const int id = commands[rng() % std::size(commands)];
            const int index = (int)(rng() % (entries(id).size() + 2)) - 1;
            const bool drag = id == IDC_STAGE_LIST && rng() % 4 == 0;  // onto another entry
            commitFirst(commitsFirst(id, false), drag || commitsFirst(id, true));
            const uint64_t commandEdits = editCount;
            const bool scriptCurrent = g.selection.currentScript;
            if (drag)
                onStageDragged(g, index, (int)(rng() % (entries(id).size() + 1)));
            else
                pick(id, index);
            if (!scriptCurrent && id != IDC_SCRIPT_ADD && id != IDM_SCRIPT_PASTE) {
                ASSERT_EQ(editCount, commandEdits) << id;
            }
            track(commandEdits);
        } else if (action < 21) {
            const bool wasSaved = position == savedPosition;
            openText(twoScripts);
            track(edits);
            if (wasSaved) savedPosition = position;  // opening is no change
        } else if (action < 22) {
            if (g.selection.currentStage) commitFirst(true, true);
            save((dir / "out.txt").string());
            if (!unsaved()) savedPosition = position;
        } else {
            const bool undo = action < 27;
            if (command(undo ? IDM_EDIT_UNDO : IDM_EDIT_REDO) == 0)
                position = undo ? position - 1 : position + 1;
        }
        ASSERT_EQ(libraryText(g.library), states[position]) << "step " << step;
        ASSERT_EQ(unsaved(), position != savedPosition) << "step " << step;
        ASSERT_NO_FATAL_FAILURE(checkInvariants(g)) << "step " << step;
    }
}
