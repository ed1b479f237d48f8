// The editor's commands: the panel, the lists and their buttons, Open, Save, the menu rows.
#include "commands.h"
#include "editor_fixture.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <span>

using Editor = EditorFixture;

static const char* const THREE_STAGES =
    "first { { map s0.tga } { map s1.tga } { map s2.tga anim 1 f1.tga f2.tga end } } second { }";

// A field of the stage or of the script, as a number.
using FieldOf = double (*)(const Script&, const Stage&);
template <auto Field>
double field(const Script& script, const Stage& stage) {
    if constexpr (std::is_invocable_v<decltype(Field), const Stage&>)
        return static_cast<double>(stage.*Field);
    else
        return static_cast<double>(script.*Field);
}

// Each control of the panel with its field; a list or check box with the entry it chooses
// each round (1: checked) and the value its field then holds. Every control takes another
// value in some round, and no two the same values in every round, so that none can fail to
// commit or show, nor two swap, unseen. With Blendfunc off both blend lists show GL_ZERO, so
// the round that turns it off chooses GL_ZERO in both.
constexpr int ROUNDS = 3;
enum ControlKind { NUMBER_BOX, LIST, CHECK_BOX };
struct PanelControl {
    int id;
    FieldOf field;
    ControlKind kind = NUMBER_BOX;
    int chosen[ROUNDS] = {};
    double value[ROUNDS] = {};
};
static const PanelControl PANEL[] = {
    {IDC_SCROLL_X, field<&Stage::scrollX>},
    {IDC_SCROLL_Y, field<&Stage::scrollY>},
    {IDC_SCALE_X, field<&Stage::scaleX>},
    {IDC_SCALE_Y, field<&Stage::scaleY>},
    {IDC_ROTATE_SPEED, field<&Stage::rotateSpeed>},
    {IDC_ALPHA_MIN, field<&Stage::alphaMin>},
    {IDC_ALPHA_MAX, field<&Stage::alphaMax>},
    {IDC_ALPHA_SPEED, field<&Stage::alphaSpeed>},
    {IDC_ANIM_DELAY, field<&Stage::animDelay>},
    {IDC_WARP_SPEED, field<&Script::warpSpeed>},
    {IDC_WARP_DISTANCE, field<&Script::warpDistance>},
    {IDC_WARP_SMOOTHNESS, field<&Script::warpSmoothness>},
    {IDC_SUBDIVIDE, field<&Script::subdivide>},
    {IDC_SCROLL_TYPE_X, field<&Stage::scrollTypeX>, LIST, {1, 0, 2}, {1, 0, 2}},
    {IDC_SCROLL_TYPE_Y, field<&Stage::scrollTypeY>, LIST, {2, 1, 0}, {2, 1, 0}},
    {IDC_SCALE_TYPE_X, field<&Stage::scaleTypeX>, LIST, {0, 2, 1}, {0, 2, 1}},
    {IDC_SCALE_TYPE_Y, field<&Stage::scaleTypeY>, LIST, {2, 0, 1}, {2, 0, 1}},
    // GL_SRC_ALPHA, GL_DST_COLOR, GL_ZERO; GL_ONE_MINUS_DST_ALPHA, GL_ONE_MINUS_SRC_COLOR, GL_ZERO.
    {IDC_BLEND_SRC, field<&Stage::blendSrc>, LIST, {4, 2, 0}, {770, 774, 0}},
    {IDC_BLEND_DST, field<&Stage::blendDst>, LIST, {7, 3, 0}, {773, 769, 0}},
    {IDC_ALPHA_MASK, field<&Stage::alphamask>, CHECK_BOX, {1, 0, 1}, {1, 0, 1}},
    {IDC_SPHERE_MAPPING, field<&Stage::envmap>, CHECK_BOX, {0, 1, 1}, {0, 1, 1}},
    {IDC_BLENDFUNC, field<&Stage::blendEnabled>, CHECK_BOX, {1, 1, 0}, {1, 1, 0}},
    {IDC_SAFE, field<&Script::safe>, CHECK_BOX, {0, 1, 0}, {0, 1, 0}},
};

// The value PANEL[i]'s field holds after a round; a number box's each its own.
static double roundValue(size_t i, int round) {
    if (PANEL[i].kind != NUMBER_BOX) return PANEL[i].value[round];
    if (PANEL[i].id == IDC_SUBDIVIDE) return 8 << (2 * round);
    return 0.25 * (double)(i + 1) + 10 * round;
}

// That value as a number box shows it: six decimals after a '.' whatever the locale, none for
// Subdivide.
static std::string roundText(size_t i, int round) {
    char text[32];
    const int decimals = PANEL[i].id == IDC_SUBDIVIDE ? 0 : 6;
    const double value = roundValue(i, round);
    return {text,
            std::to_chars(text, std::end(text), value, std::chars_format::fixed, decimals).ptr};
}

// Each control lands in its own field when the selection moves on and shows it again over
// other values; a map name longer than its field is cut.
TEST_F(Editor, EveryControlLandsInItsOwnFieldAndShowsIt) {
    openText("a { { anim 1 f.tga end } } b { { } }", 0, 0);
    const Script& script = *g.library.scripts;
    const Stage& stage = *script.stages;
    // The round's values, or others: empty boxes, no entry chosen, every check box turned.
    auto fill = [&](int round, bool others) {
        for (size_t i = 0; i < std::size(PANEL); i++) {
            const PanelControl& c = PANEL[i];
            StoredControl& control = ui.control(c.id);
            if (c.kind == NUMBER_BOX) control.text = others ? "" : roundText(i, round);
            control.checked = c.kind == CHECK_BOX && (c.chosen[round] != 0) != others;
            control.selection = c.kind != LIST || others ? NO_SELECTION : c.chosen[round];
        }
        ui.control(IDC_TEXTURE_MAP).text = others ? "" : std::string(100 * (round + 1), 'm');
    };
    for (int round = 0; round < ROUNDS; round++) {
        fill(round, false);
        pick(IDC_SCRIPT_LIST, 1);
        pick(IDC_STAGE_LIST, 0);
        fill(round, true);
        pick(IDC_SCRIPT_LIST, 0);
        pick(IDC_STAGE_LIST, 0);
        std::vector<int> wrong;  // the controls whose field or whose show is not the round's
        for (size_t i = 0; i < std::size(PANEL); i++) {
            const PanelControl& c = PANEL[i];
            const StoredControl& control = ui.control(c.id);
            const bool shows = c.kind == NUMBER_BOX  ? control.text == roundText(i, round)
                               : c.kind == CHECK_BOX ? control.checked == (c.chosen[round] != 0)
                                                     : control.selection == c.chosen[round];
            if (!shows || c.field(script, stage) != (float)roundValue(i, round))
                wrong.push_back(c.id);
        }
        EXPECT_EQ(wrong, std::vector<int>{}) << round;
        EXPECT_EQ(std::string(stage.map), std::string(std::min(100 * (round + 1), 255), 'm'));
        EXPECT_EQ(shown(IDC_TEXTURE_MAP), stage.map);
    }
}

// The source list's "GL_DST_COLOR" shows GL_SRC_COLOR too, the destination list's
// "GL_SRC_COLOR" GL_DST_COLOR, which it stores back as GL_SRC_COLOR; a factor without an entry
// shows none and stores GL_ZERO; a wave list without a selection stores 255, which shows none
// again.
TEST_F(Editor, BlendAndWaveListsMapTheirEntries) {
    const std::pair<float, int> comboOfFactor[] = {
        {0, 0},   {1, 1},   {768, 2}, {774, 2}, {769, 3}, {775, 3},   {770, 4},
        {771, 5}, {772, 6}, {773, 7}, {776, 8}, {3, 0},   {770.5f, 0}};
    for (auto [factor, index] : comboOfFactor)
        EXPECT_EQ(blendFactorToComboIndex(factor), index) << factor;
    openText(
        "s { { blendfunc GL_SRC_COLOR GL_DST_COLOR } { blendfunc GL_ONE GL_SRC_ALPHA_SATURATE } }",
        0, 0);
    const Stage* first = g.library.scripts->stages;
    ui.comboSetSelection(IDC_SCALE_TYPE_X, NO_SELECTION);
    pick(IDC_STAGE_LIST, 0);
    EXPECT_EQ(ui.comboSelection(IDC_SCALE_TYPE_X), NO_SELECTION);
    pick(IDC_STAGE_LIST, 1);
    EXPECT_EQ(ui.comboSelection(IDC_BLEND_DST), NO_SELECTION);
    pick(IDC_STAGE_LIST, 1);
    EXPECT_EQ(first->blendDst, 768.0f);
    EXPECT_EQ(first->scaleTypeX, 255);
    EXPECT_EQ(first->next->blendDst, 0.0f);
}

// The stage list walks to the position picked (none: the first) and its buttons add and
// delete; with no stage, then no script current, the stage's and frames' buttons refuse.
TEST_F(Editor, StageListAndItsButtons) {
    openText(THREE_STAGES, 0);
    EXPECT_EQ(entries(IDC_STAGE_LIST), (Names{"Stage 0", "Stage 1", "Stage 2"}));
    pick(IDC_STAGE_LIST, NO_SELECTION);
    EXPECT_EQ(selected(), "first/0");
    pick(IDC_STAGE_LIST, 2);
    EXPECT_EQ(entries(IDC_FRAME_LIST), (Names{"f1.tga", "f2.tga"}));
    pick(IDC_STAGE_LIST, 3);
    EXPECT_EQ(selected(), "first/-");
    command(IDC_STAGE_ADD);
    EXPECT_EQ(entries(IDC_STAGE_LIST).back(), "Stage 3");
    pick(IDC_STAGE_LIST, 1);
    command(IDC_STAGE_DELETE);
    EXPECT_EQ(words(scriptText(g.library.scripts)),
              "first { { map s0.tga } { map s2.tga anim 1.000000 f1.tga f2.tga end } { } "
              "[ editorimage s0.tga ] } ");
    EXPECT_EQ(entries(IDC_STAGE_LIST).size(), 3u);
    EXPECT_EQ(selected(), "first/-");
    for (int script : {0, NO_SELECTION}) {
        pick(IDC_SCRIPT_LIST, script);
        const uint64_t edits = g.library.editCount;
        for (int id : {IDC_STAGE_DELETE, IDC_FRAME_LIST, IDC_FRAME_ADD, IDC_FRAME_DELETE,
                       IDC_FRAME_UPDATE}) {
            ui.control(IDC_STAGE_LIST).selection = ui.control(IDC_FRAME_LIST).selection = 0;
            EXPECT_EQ(command(id, {{IDC_FRAME_NAME, "f9.tga"}}), 1) << id << " " << script;
        }
        EXPECT_EQ(g.library.editCount, edits) << script;
    }
}

// Script Add commits the old script, then shows the new one (an empty name adds none); Update
// renames; Delete leaves nothing current.
TEST_F(Editor, ScriptButtonsAddRenameAndDelete) {
    openText(THREE_STAGES, 0);
    const std::string longName(47, 'n');
    command(IDC_SCRIPT_ADD, {{IDC_SUBDIVIDE, "64"}, {IDC_SCRIPT_NAME, longName + "nnn"}});
    EXPECT_EQ(entries(IDC_STAGE_LIST), Names{});
    pick(IDC_SCRIPT_LIST, 0);
    command(IDC_SCRIPT_ADD, {{IDC_SCRIPT_NAME, ""}});
    EXPECT_EQ(words(libraryText(g.library)),
              "first { subdivide 64 { map s0.tga } { map s1.tga } { map s2.tga anim 1.000000 "
              "f1.tga f2.tga end } [ editorimage s0.tga ] } second { } " +
                  longName + " { } ");
    pick(IDC_STAGE_LIST, 1);
    command(IDC_SCRIPT_UPDATE, {{IDC_SCRIPT_NAME, "renamed"}});
    EXPECT_EQ(entries(IDC_SCRIPT_LIST), (Names{"renamed", "second", longName}));
    command(IDC_SCRIPT_DELETE);
    EXPECT_EQ(entries(IDC_SCRIPT_LIST), (Names{"second", longName}));
    EXPECT_EQ(entries(IDC_STAGE_LIST), Names{});
    EXPECT_EQ(selected(), "-/-");
}

// The frame buttons edit the frames and the list, but for a one-letter name or a 256th frame;
// Submit commits the stage only.
TEST_F(Editor, FrameButtonsEditTheFramesAndSubmitTheStageOnly) {
    openText("s { { map m.tga } }", 0, 0);
    Stage* stage = g.selection.currentStage;
    EXPECT_EQ(command(IDC_FRAME_ADD, {{IDC_FRAME_NAME, "a"}}), 1);
    for (const char* name : {"f1.tga", "f2.tga", "f3.tga"})
        command(IDC_FRAME_ADD, {{IDC_FRAME_NAME, name}});
    EXPECT_EQ(stage->animCurrent, stage->animFrames);
    EXPECT_EQ(pick(IDC_FRAME_LIST, NO_SELECTION), 1);
    pick(IDC_FRAME_LIST, 1);
    command(IDC_FRAME_UPDATE, {{IDC_FRAME_NAME, shown(IDC_FRAME_NAME) + "x"}});
    pick(IDC_FRAME_LIST, 0);
    command(IDC_FRAME_DELETE);
    EXPECT_EQ(stageText(stage), "\t{\n\t\tmap m.tga\n\t\tanim 0.000000 f2.tgax f3.tga end\n\t}\n");
    EXPECT_EQ(entries(IDC_FRAME_LIST), (Names{"f2.tgax", "f3.tga"}));
    EXPECT_EQ(stage->animFrameCount, 2);
    for (int count = 2; count < MAX_ANIM_FRAMES; count++)
        command(IDC_FRAME_ADD, {{IDC_FRAME_NAME, "frame"}});
    EXPECT_EQ(command(IDC_FRAME_ADD, {{IDC_FRAME_NAME, "frame"}}), 1);
    EXPECT_EQ(stage->animFrameCount, MAX_ANIM_FRAMES);
    command(IDC_SUBMIT, {{IDC_TEXTURE_MAP, "other.tga"}, {IDC_SUBDIVIDE, "64"}});
    EXPECT_STREQ(stage->map, "other.tga");
    EXPECT_EQ(g.library.scripts->subdivide, 0);
}

// A number box takes a text that is wholly one number (Subdivide an integer); Submit names the
// boxes that do not and changes nothing.
TEST_F(Editor, NumberBoxesTakeWholeNumbersAndSubmitRefusesTheRest) {
    // A text, and whether Rotate Speed and Subdivide take it.
    const std::tuple<const char*, bool, bool> texts[] = {
        {"", true, true},      {" 12\t", true, true}, {"-0.5", true, false}, {"2.", true, false},
        {"1e3", true, false},  {"abc", false, false}, {"0,5", false, false}, {"2.5x", false, false},
        {"1 2", false, false}, {".", false, false},   {"-", false, false},
    };
    for (auto [text, number, integer] : texts) {
        EXPECT_EQ(numberBoxAccepts(IDC_ROTATE_SPEED, text), number) << text;
        EXPECT_EQ(numberBoxAccepts(IDC_SUBDIVIDE, text), integer) << text;
    }
    openText(THREE_STAGES, 0, 0);
    const std::string before = libraryText(g.library);
    const uint64_t edits = g.library.editCount;
    EXPECT_EQ(command(IDC_SUBMIT, {{IDC_TEXTURE_MAP, "new.tga"},
                                   {IDC_ROTATE_SPEED, "abc"},
                                   {IDC_WARP_SPEED, " 2 "},
                                   {IDC_SUBDIVIDE, "16.5"}}),
              1);
    EXPECT_EQ(libraryText(g.library), before);
    EXPECT_EQ(g.library.editCount, edits);
    ASSERT_EQ(ui.messagesShown.size(), 1u);
    EXPECT_EQ(ui.messagesShown[0].text,
              "These boxes do not hold a number: Rotate Speed, Subdivide.\n"
              "Correct them, then Submit again.");
}

// Save commits the panel only with a stage current; a failed Save says why and stays unsaved.
TEST_F(Editor, SaveCommitsWithAStageCurrentAndReportsAFailure) {
    const std::string out = (dir / "out.txt").string();
    EXPECT_EQ(command(IDM_FILE_SAVE_LIBRARY_AS), 1);  // cancelled
    openText("a { subdivide 8 { map m.tga } } b { }", 0);
    save(out, {{IDC_SUBDIVIDE, "32"}});
    EXPECT_EQ(words(fileText(out)), "a { subdivide 8 { map m.tga } [ editorimage m.tga ] } b { } ");
    pick(IDC_STAGE_LIST, 0);
    save(out, {{IDC_SUBDIVIDE, "32"}, {IDC_TEXTURE_MAP, "edited.tga"}});
    EXPECT_EQ(words(fileText(out)),
              "a { subdivide 32 { map edited.tga } [ editorimage edited.tga ] } b { } ");
    const std::string missing = (dir / "none/out.txt").string();
    save(missing, {{IDC_TEXTURE_MAP, "lost.tga"}});
    EXPECT_TRUE(unsaved());
    ASSERT_EQ(ui.messagesShown.size(), 1u);
    EXPECT_EQ(ui.messagesShown[0].caption, "Save Error");
    EXPECT_EQ(ui.messagesShown[0].text, "Could not save \"" + missing + "\": " + strerror(ENOENT));
}

// Another script, or none, empties the panel and leaves no stage current; Open keeps the
// selection unless it replaces the script (a name of another case too).
TEST_F(Editor, AnotherScriptEmptiesThePanelAndOpenDropsTheSelectionItReplaces) {
    EXPECT_EQ(command(IDM_FILE_OPEN), 1);  // cancelled
    openText("a { { map a.tga } } b { { map b.tga } }", 0, 0);
    pick(IDC_SCRIPT_LIST, 1);
    EXPECT_EQ(selected(), "b/-");
    for (int id : {IDC_TEXTURE_MAP, IDC_ROTATE_SPEED}) EXPECT_EQ(shown(id), "") << id;
    EXPECT_EQ(entries(IDC_FRAME_LIST), Names{});
    pick(IDC_SCRIPT_LIST, NO_SELECTION);
    EXPECT_EQ(selected(), "-/-");
    pick(IDC_SCRIPT_LIST, 0);
    pick(IDC_STAGE_LIST, 0);
    openText("c { }");
    EXPECT_EQ(selected(), "a/0");
    openText("A { }");
    EXPECT_EQ(selected(), "-/-");
    EXPECT_EQ(entries(IDC_STAGE_LIST), Names{});
    EXPECT_EQ(entries(IDC_SCRIPT_LIST), (Names{"b", "c", "A"}));
}

// The captions of the command table's rows for which when(row) holds, in table order.
template <class When>
static Names captionsWhere(When when) {
    Names captions;
    for (const Command& row : std::span(COMMANDS, COMMAND_COUNT))
        if (when(row)) captions.push_back(row.caption);
    return captions;
}

// Each row greys when its command cannot run (Move Up on the first stage, Step Frame unless
// paused, ...), and a greyed command is refused.
TEST_F(Editor, MenuRowsGreyWhenTheyCannotRun) {
    auto greyed = [&] { return captionsWhere([&](auto& row) { return !commandEnabled(row, g); }); };
    EXPECT_EQ(greyed(), (Names{"Undo", "Redo", "Move Stage Up", "Move Stage Down",
                               "Duplicate Stage", "Copy Stage", "Paste Stage", "Duplicate Script",
                               "Copy Script", "Step Frame"}));
    for (int id : {IDM_EDIT_UNDO, IDM_EDIT_REDO, IDM_PREVIEW_STEP_FRAME, IDM_STAGE_COPY})
        EXPECT_EQ(command(id), 1) << id;
    EXPECT_EQ(g.preview.previewTime, 0.0f);
    openText("s { { } { } }", 0);
    command(IDM_PREVIEW_PAUSE);
    EXPECT_EQ(greyed(),
              (Names{"Redo", "Move Stage Up", "Move Stage Down", "Duplicate Stage", "Copy Stage"}));
    pick(IDC_STAGE_LIST, 0);
    EXPECT_EQ(greyed(), (Names{"Redo", "Move Stage Up"}));
    pick(IDC_STAGE_LIST, 1);
    EXPECT_EQ(greyed(), (Names{"Redo", "Move Stage Down"}));
    command(IDM_EDIT_UNDO);
    EXPECT_EQ(command(IDM_PREVIEW_STEP_FRAME), 0);
    EXPECT_EQ(g.preview.previewTime, PREVIEW_CLOCK_STEP);
}

// Each Preview choice sets what is drawn and takes its group's check mark; Pause and Script
// Text toggle.
TEST_F(Editor, PreviewChoicesMoveTheirCheckMarks) {
    const struct {
        int id;
        Names checked;
        int stages, background;
    } rows[] = {
        {IDM_PREVIEW_SELECTED_STAGE_ONLY, {"Script Text", "Selected Stage Only", "Blue"}, 2, 0},
        {IDM_BACKGROUND_CHECKERBOARD, {"Script Text", "Selected Stage Only", "Checkerboard"}, 2, 2},
        {IDM_PREVIEW_PAUSE, {"Script Text", "Selected Stage Only", "Pause", "Checkerboard"}, 2, 2},
        {IDM_PREVIEW_UP_TO_SELECTED_STAGE,
         {"Script Text", "Up to Selected Stage", "Pause", "Checkerboard"},
         1,
         2},
        {IDM_BACKGROUND_BLACK, {"Script Text", "Up to Selected Stage", "Pause", "Black"}, 1, 1},
        {IDM_PREVIEW_PAUSE, {"Script Text", "Up to Selected Stage", "Black"}, 1, 1},
        {IDM_PREVIEW_WHOLE_SCRIPT, {"Script Text", "Whole Script", "Black"}, 0, 1},
        {IDM_BACKGROUND_BLUE, {"Script Text", "Whole Script", "Blue"}, 0, 0},
        {IDM_VIEW_SCRIPT_TEXT, {"Whole Script", "Blue"}, 0, 0},
    };
    for (const auto& row : rows) {
        command(row.id);
        EXPECT_EQ(captionsWhere([&](auto& c) { return c.checkedWhen && c.checkedWhen(g); }),
                  row.checked);
        EXPECT_EQ(std::pair(g.preview.previewStages, g.preview.previewBackground),
                  std::pair(row.stages, row.background))
            << row.id;
    }
}
