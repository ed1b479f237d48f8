// The editor's commands on the toolkit-free platform, under a decimal-comma locale.
#include "editor.h"
#include "control_fields.h"
#include "control_ids.h"
#include "control_store.h"
#include "history.h"
#include "script_file.h"
#include "texture_folders.h"
#include "textures.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

using Names = std::vector<std::string>;
// Texts typed into their boxes before a command.
using Edits = std::vector<std::pair<int, std::string>>;
using std::tuple;

// As in a window, every dialog takes the focus from the script list, whose
// notification then arrives inside the waiting command and must be dropped.
struct FocusTakingStore : ControlStore {
    bool askFileName(FileDialogRequest& r) override {
        mainDialogProc(DIALOG_COMMAND, IDC_SCRIPT_LIST);
        return ControlStore::askFileName(r);
    }
};

struct Editor : ::testing::Test {
    FocusTakingStore store;
    std::string dir = std::filesystem::temp_directory_path() /
                      ("veltra-editor-" + std::to_string(std::random_device{}()));
    std::string in = dir + "/in.txt";
    std::string out = dir + "/out.txt";
    void SetUp() override {
        setlocale(LC_ALL, "de_DE.UTF-8");
        platform = &store;
        initEditorControls();
        installTextureFinder();
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        setlocale(LC_ALL, "C");
        currentScript = nullptr;
        currentStage = nullptr;
        clearHistory();
        freeAllScripts();
        clearScriptFolders();  // File, Open adds the folder of each file
        std::filesystem::remove_all(dir);
    }
    int command(int id, const Edits& edits = {}) {
        for (auto& [box, text] : edits) store.control(box).text = text;
        return mainDialogProc(DIALOG_COMMAND, id);
    }
    int pick(int list, int index, const Edits& edits = {}) {
        store.control(list).selection = index;
        return command(list, edits);
    }
    const std::string& shown(int id) { return store.control(id).text; }
    const Names& entries(int id) { return store.control(id).items; }
    int open(const std::string& path) {
        store.answerDialog(path);
        return command(IDM_FILE_OPEN);
    }
    int save(const std::string& path, const Edits& edits = {}) {
        store.answerDialog(path);
        return command(IDM_FILE_SAVE, edits);
    }
    std::string saved(const Edits& edits) {
        save(out, edits);
        std::stringstream text;
        text << std::ifstream(out).rdbuf();
        return text.str();
    }
    void openText(const char* text, int script = -2, int stage = -2) {  // -2: no pick
        std::ofstream(in) << text;
        open(in);
        if (script != -2) pick(IDC_SCRIPT_LIST, script);
        if (stage != -2) pick(IDC_STAGE_LIST, stage);
    }
};

static const char* TWO_SCRIPTS =
    "first\n{\n\tsubdivide 16\n\tsafe\n\tvertexwarp 1 2 0.5\n\t{\n\t\tmap a.tga\n\t\trotate "
    "1.5\n\t}\n\t{\n\t}\n\t{\n\t\tmap c.tga\n"
    "\t\tanim 1 f1.tga f2.tga end\n\t\tblendfunc GL_ONE GL_SRC_ALPHA\n\t\tscroll sine 1 cosine "
    "2\n\t\tscale static 3 sine 0\n\t\talphashift 1 0.5 1\n"
    "\t}\n}\nsecond\n{\n\t{\n\t}\n}\n";

// Every control, filled as a user would with a value of its own, lands in its own field
// on Save and shows it again when its script and stage are shown anew. Under the
// decimal-comma locale the typed '.' still counts.
TEST_F(Editor, EveryControlLandsInItsOwnFieldAndShowsIt) {
    openText("a { { anim 1 f.tga end } } b { }", 0, 0);
    const Script& script = *scriptLibrary;
    const Stage& stage = *script.stages;
    for (int round = 0; round < 2; round++) {
        for (size_t i = 0; i < std::size(NUMBER_BOXES); i++)
            store.control(NUMBER_BOXES[i].id).text = withPoint(typedValue(i, round), 2);
        for (const ChoiceControl& c : CHOICES) {
            store.control(c.id).checked = c.checkBox && c.chosen[round];
            store.control(c.id).selection = c.checkBox ? NO_SELECTION : c.chosen[round];
        }
        store.control(IDC_TEXTURE_MAP).text = round ? "second.tga" : "first.tga";
        save(out);
        pick(IDC_SCRIPT_LIST, 1);
        pick(IDC_SCRIPT_LIST, 0);
        pick(IDC_STAGE_LIST, 0);
        EXPECT_EQ(fieldsNotAsTyped(script, stage, round), std::vector<int>{}) << round;
        for (size_t i = 0; i < std::size(NUMBER_BOXES); i++)
            EXPECT_EQ(shown(NUMBER_BOXES[i].id), shownText(i, round)) << NUMBER_BOXES[i].id;
        for (const ChoiceControl& c : CHOICES) {
            const StoredControl& control = store.control(c.id);
            EXPECT_EQ(c.checkBox ? control.checked : control.selection, c.chosen[round]) << c.id;
        }
        EXPECT_STREQ(stage.map, round ? "second.tga" : "first.tga");
        EXPECT_EQ(shown(IDC_TEXTURE_MAP), stage.map);
    }
}

// The lists name scripts, "Stage 0" up and frames. Both commit before they switch; the stage
// walk stops on the first stage or past the end; Add shows the new script, so a switch commits
// its own settings.
TEST_F(Editor, ScriptAndStageListsCommitBeforeSwitchAndRefuse) {
    openText(TWO_SCRIPTS, 0);
    Script* first = scriptLibrary;
    Script* second = first->next;
    Stage* s0 = first->stages;
    Stage* s2 = s0->next->next;
    EXPECT_EQ(pick(IDC_STAGE_LIST, NO_SELECTION), 0);
    EXPECT_EQ(tuple(currentStage, shown(IDC_ROTATE_SPEED)), tuple(s0, "1.500000"));
    pick(IDC_STAGE_LIST, 2, {{IDC_ROTATE_SPEED, "2.5x"}});
    EXPECT_EQ(tuple(s0->rotateSpeed, currentStage, shown(IDC_TEXTURE_MAP)),
              tuple(2.5f, s2, "c.tga"));
    EXPECT_EQ(entries(IDC_STAGE_LIST), (Names{"Stage 0", "Stage 1", "Stage 2"}));
    EXPECT_EQ(entries(IDC_FRAME_LIST), (Names{"f1.tga", "f2.tga"}));
    pick(IDC_STAGE_LIST, 7, {{IDC_TEXTURE_MAP, "edited.tga"}});
    EXPECT_EQ(tuple(std::string(s2->map), currentStage, first->texturesResolved),
              tuple("edited.tga", nullptr, 0));
    EXPECT_EQ(command(IDC_STAGE_ADD), 0);
    EXPECT_EQ(tuple(entries(IDC_STAGE_LIST).back(), s2->next->map[0]), tuple("Stage 3", '\0'));
    pick(IDC_STAGE_LIST, 1);
    EXPECT_EQ(command(IDC_STAGE_DELETE), 0);
    EXPECT_EQ(tuple(s0->next, entries(IDC_STAGE_LIST).size(), currentStage),
              tuple(s2, 3u, nullptr));

    store.setCheck(IDC_SAFE, false);
    EXPECT_EQ(pick(IDC_SCRIPT_LIST, 1, {{IDC_SUBDIVIDE, "300"}}), 0);
    EXPECT_EQ(tuple(first->subdivide, first->safe, shown(IDC_SUBDIVIDE), currentScript),
              tuple(44, 0, "0", second));
    EXPECT_EQ(pick(IDC_SCRIPT_LIST, NO_SELECTION, {{IDC_SUBDIVIDE, "32"}}),
              0);  // commits, then no script
    EXPECT_EQ(tuple(second->subdivide, currentScript), tuple(32, nullptr));
    pick(IDC_SCRIPT_LIST, 0);
    EXPECT_EQ(
        command(IDC_SCRIPT_ADD, {{IDC_SUBDIVIDE, "64"}, {IDC_SCRIPT_NAME, std::string(100, 'n')}}),
        0);
    EXPECT_EQ(tuple(strlen(currentScript->name), first->subdivide, shown(IDC_SUBDIVIDE),
                    entries(IDC_STAGE_LIST)),
              tuple(47u, 64, "0", Names{}));
    pick(IDC_SCRIPT_LIST, 1);
    EXPECT_EQ(tuple(second->next->subdivide, second->next->next),
              tuple(0, nullptr));  // the added script's own
    pick(IDC_SCRIPT_LIST, 0);
    EXPECT_EQ(command(IDC_SCRIPT_ADD, {{IDC_SCRIPT_NAME, ""}}), 0);  // adds nothing
    EXPECT_EQ(command(IDC_SCRIPT_UPDATE, {{IDC_SCRIPT_NAME, "renamed"}}), 0);
    EXPECT_EQ(entries(IDC_SCRIPT_LIST), (Names{"renamed", "second", std::string(47, 'n')}));
    pick(IDC_STAGE_LIST, 1);
    EXPECT_EQ(command(IDC_SCRIPT_DELETE), 0);
    EXPECT_EQ(tuple(currentStage, entries(IDC_STAGE_LIST), entries(IDC_SCRIPT_LIST).size()),
              tuple(nullptr, Names{}, 2u));
    store.control(IDC_FRAME_LIST).selection = 0;
    store.control(IDC_STAGE_LIST).selection = 0;
    // With no stage or frame left, the buttons that need one refuse.
    const std::pair<int, int> resultOf[] = {{IDC_SCRIPT_UPDATE, 1}, {IDC_SCRIPT_DELETE, 0},
                                            {IDC_STAGE_ADD, 0},     {IDC_STAGE_DELETE, 1},
                                            {IDC_SUBMIT, 0},        {IDC_FRAME_ADD, 1},
                                            {IDC_FRAME_DELETE, 1},  {IDC_FRAME_UPDATE, 1},
                                            {IDC_FRAME_LIST, 1},    {IDC_STAGE_LIST, 0}};
    for (auto [id, result] : resultOf) EXPECT_EQ(command(id), result) << id;
    EXPECT_EQ(tuple(scriptLibrary->next->next, scriptLibrary->stages->next, currentStage),
              tuple(nullptr, nullptr, nullptr));
}

// The source list's "GL_DST_COLOR" is GL_SRC_COLOR and back; a factor without
// an entry shows and stores none. Numbers pass through atof and "%f" with '.'.
TEST_F(Editor, PanelBlendListsAndNumbers) {
    openText(
        "s\n{\n\t{\n\t\tblendfunc GL_SRC_COLOR GL_DST_COLOR\n\t\tscroll sine 0.1234567 cosine "
        "2\n\t}\n}\n",
        0, 0);
    const std::pair<float, int> comboOfFactor[] = {
        {0, 0},   {1, 1},   {768, 2}, {774, 2}, {769, 3}, {775, 3},   {770, 4},
        {771, 5}, {772, 6}, {773, 7}, {776, 8}, {3, 0},   {770.5f, 0}};
    for (auto [factor, index] : comboOfFactor)
        EXPECT_EQ(blendFactorToComboIndex(factor), index) << factor;
    EXPECT_EQ(tuple(std::string(SOURCE_BLEND_NAMES[store.comboSelection(IDC_BLEND_SRC)]),
                    DEST_BLEND_NAMES[store.comboSelection(IDC_BLEND_DST)], shown(IDC_SCROLL_X),
                    store.comboSelection(IDC_SCROLL_TYPE_Y)),
              tuple("GL_DST_COLOR", std::string("GL_SRC_COLOR"), "0.123457", 2));
    store.comboSetSelection(IDC_SCALE_TYPE_X, NO_SELECTION);
    pick(IDC_STAGE_LIST, 0,
         {{IDC_ALPHA_MIN, "0.25"},
          {IDC_ALPHA_MAX, "1e-1"},
          {IDC_ALPHA_SPEED, "fast"},
          {IDC_TEXTURE_MAP, std::string(300, 'm')}});
    EXPECT_EQ(tuple(currentStage->blendSrc, currentStage->blendDst, currentStage->scrollX,
                    currentStage->alphaMin, currentStage->alphaMax),
              tuple(774.0f, 768.0f, 0.123457f, 0.25f, 0.1f));
    EXPECT_EQ(tuple(currentStage->alphaSpeed, currentStage->scaleTypeX, shown(IDC_ALPHA_MIN),
                    store.comboSelection(IDC_SCALE_TYPE_X), strlen(currentStage->map)),
              tuple(0.0f, 255, "0.250000", NO_SELECTION, 255u));
    currentStage->blendDst = 776;  // GL_SRC_ALPHA_SATURATE
    showStageProperties(currentStage);
    readStageProperties(currentStage);
    EXPECT_EQ(tuple(store.comboSelection(IDC_BLEND_DST), currentStage->blendDst),
              tuple(NO_SELECTION, 0.0f));
}

// Each frame button rebuilds the frames, count, current frame and list box.
TEST_F(Editor, FrameButtonsRebuildTheListAndSubmitCommitsTheStage) {
    openText("s\n{\n\t{\n\t}\n}\n", 0, 0);
    auto frames = [&] {
        Names names;
        for (AnimFrame* f = currentStage->animFrames; f; f = f->next) names.push_back(f->name);
        return names;
    };
    EXPECT_EQ(command(IDC_FRAME_ADD, {{IDC_FRAME_NAME, "a"}}), 1);  // too short
    for (const char* name : {"f1.tga", "f2.tga", "f3.tga"})
        EXPECT_EQ(command(IDC_FRAME_ADD, {{IDC_FRAME_NAME, name}}), 0);
    EXPECT_EQ(tuple(frames(), currentStage->animCurrent, entries(IDC_FRAME_LIST)),
              tuple(Names{"f1.tga", "f2.tga", "f3.tga"}, currentStage->animFrames, frames()));
    EXPECT_EQ(pick(IDC_FRAME_LIST, NO_SELECTION), 1);
    EXPECT_EQ(pick(IDC_FRAME_LIST, 1), 0);
    EXPECT_EQ(command(IDC_FRAME_UPDATE, {{IDC_FRAME_NAME, shown(IDC_FRAME_NAME) + "x"}}), 0);
    pick(IDC_FRAME_LIST, 0);
    EXPECT_EQ(command(IDC_FRAME_DELETE), 0);
    EXPECT_EQ(tuple(frames(), currentStage->animFrameCount, entries(IDC_FRAME_LIST)),
              tuple(Names{"f2.tgax", "f3.tga"}, 2, frames()));
    for (int i = 2; i <= MAX_ANIM_FRAMES; i++)
        EXPECT_EQ(command(IDC_FRAME_ADD, {{IDC_FRAME_NAME, "frame"}}),
                  i == MAX_ANIM_FRAMES ? 1 : 0);
    EXPECT_EQ(tuple(currentStage->animFrameCount, entries(IDC_FRAME_LIST).size()),
              tuple(255, 255u));
    EXPECT_EQ(command(IDC_SUBMIT, {{IDC_TEXTURE_MAP, "other.tga"}, {IDC_SUBDIVIDE, "64"}}), 0);
    EXPECT_EQ(tuple(std::string(currentStage->map), currentScript->subdivide),
              tuple("other.tga", 0));  // the stage only
}

// Save commits only with a script and a stage current and reports a failure.
// Open drops the current script and stage it released, whatever their owners.
TEST_F(Editor, FileSaveAndOpen) {
    EXPECT_EQ(command(IDM_FILE_OPEN), 1);  // cancelled
    openText("a\n{\n\tsubdivide 8\n\t{\n\t}\n}\nb\n{\n}\n", 0);
    EXPECT_NE(saved({{IDC_SUBDIVIDE, "32"}}).find("\tsubdivide 8\n"), std::string::npos);
    pick(IDC_STAGE_LIST, 0);
    EXPECT_NE(saved({{IDC_SUBDIVIDE, "32"}, {IDC_TEXTURE_MAP, "edited.tga"}})
                  .find("\tsubdivide 32\n\t{\n\t\tmap edited.tga\n"),
              std::string::npos);
    EXPECT_EQ(save(dir + "/none/out.txt"), 0);
    ASSERT_EQ(store.messagesShown.size(), 1u);
    EXPECT_EQ(store.messagesShown[0].caption + store.messagesShown[0].text,
              "Save ErrorCould not save \"" + dir + "/none/out.txt\": " + strerror(ENOENT));

    Stage* stageOfA = currentStage;
    pick(IDC_SCRIPT_LIST, 1);
    Script* b = currentScript;
    openText("c\n{\n}\n");
    EXPECT_EQ(tuple(currentScript, currentStage), tuple(b, stageOfA));
    openText("A\n{\n}\n");
    EXPECT_EQ(tuple(currentScript, currentStage), tuple(b, nullptr));
    openText("b\n{\n}\n");
    EXPECT_EQ(tuple(currentScript, entries(IDC_STAGE_LIST), entries(IDC_SCRIPT_LIST)),
              tuple(nullptr, Names{}, Names{"c", "A", "b"}));
    EXPECT_EQ(command(IDM_FILE_SAVE), 1);  // cancelled
}

// Current references are live or none; frame lists agree with count and current.
static void checkInvariants() {
    bool scriptLive = !currentScript;
    bool stageLive = !currentStage;
    for (const Script* s = scriptLibrary; s; s = s->next) {
        scriptLive |= s == currentScript;
        for (const Stage* t = s->stages; t; t = t->next) {
            int length = 0;
            bool current = !t->animCurrent;
            for (const AnimFrame* f = t->animFrames; f; f = f->next) {
                current |= f == t->animCurrent;
                length++;
            }
            ASSERT_TRUE(t->animFrameCount == length && current);
            stageLive |= t == currentStage;
        }
    }
    ASSERT_TRUE(scriptLive && stageLive);
}

// The bytes the writer makes of the library, through a file in memory when there is one.
static std::string writtenLibrary(const std::string& path) {
    EXPECT_TRUE(writeScriptFile(path.c_str()));
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

static std::string memoryFile(const std::string& fallbackDir) {
    std::string shm = "/dev/shm";
    std::string dir = std::filesystem::is_directory(shm) ? shm : fallbackDir;
    return dir + "/veltra-history-" + std::to_string(getpid()) + ".txt";
}

// Each command names its step; Open's undo puts the replaced scripts back in
// place and drops the read ones; a commit that changes nothing is no step.
TEST_F(Editor, EachCommandIsOneNamedStepThatUndoAndRedoRestore) {
    openText("a\n{\n\t{\n\t\tmap a.tga\n\t}\n}\nb\n{\n}\nc\n{\n}\n");
    const std::string opened = writtenLibrary(out);
    pick(IDC_SCRIPT_LIST, 0);
    pick(IDC_STAGE_LIST, 0);
    EXPECT_EQ(historyStepCount(), 1);  // the Open; the commits changed nothing
    struct Step {
        const char* name;
        int id;
        int index;  // the entry picked, for a list
        Edits typed;
    };
    const Step steps[] = {
        {"Submit", IDC_SUBMIT, 0, {{IDC_TEXTURE_MAP, "b.tga"}}},
        {"Frame Add", IDC_FRAME_ADD, 0, {{IDC_FRAME_NAME, "f1.tga"}}},
        {"Frame Add", IDC_FRAME_LIST, 0, {}},  // no change
        {"Frame Update", IDC_FRAME_UPDATE, 0, {{IDC_FRAME_NAME, "f2.tga"}}},
        {"Stage Add", IDC_STAGE_ADD, 0, {}},
        {"Stage Properties", IDC_STAGE_LIST, 1, {{IDC_ROTATE_SPEED, "4"}}},
        {"Stage Delete", IDC_STAGE_DELETE, 0, {}},
        {"Script Update", IDC_SCRIPT_UPDATE, 0, {{IDC_SCRIPT_NAME, "z"}}},
        {"Script Settings", IDC_SCRIPT_LIST, 2, {{IDC_SUBDIVIDE, "16"}}},
        {"Script Add", IDC_SCRIPT_ADD, 0, {{IDC_SCRIPT_NAME, "d"}}},
        {"Script Delete", IDC_SCRIPT_DELETE, 0, {}},
    };
    for (const Step& step : steps) {
        pick(step.id, step.index, step.typed);
        EXPECT_STREQ(undoStepName(), step.name);
        EXPECT_EQ(redoStepName(), nullptr);
    }
    openText("B\n{\n\tsafe\n}\ne\n{\n}\n");
    EXPECT_STREQ(undoStepName(), "Open");
    EXPECT_EQ(entries(IDC_SCRIPT_LIST), (Names{"z", "c", "B", "e"}));
    const std::string last = writtenLibrary(out);
    EXPECT_EQ(command(IDM_EDIT_UNDO), 0);
    EXPECT_EQ(entries(IDC_SCRIPT_LIST), (Names{"z", "b", "c"}));
    EXPECT_EQ(tuple(currentScript, currentStage), tuple(scriptLibrary->next, nullptr));
    EXPECT_STREQ(redoStepName(), "Open");
    while (command(IDM_EDIT_UNDO) == 0) {
    }
    EXPECT_EQ(writtenLibrary(out), "");
    EXPECT_EQ(command(IDM_EDIT_REDO), 0);
    EXPECT_EQ(writtenLibrary(out), opened);
    while (command(IDM_EDIT_REDO) == 0) {
    }
    EXPECT_EQ(writtenLibrary(out), last);
    command(IDM_EDIT_UNDO);
    command(IDM_EDIT_UNDO);  // the Script Delete: "d" is back and current
    EXPECT_EQ(tuple(std::string(currentScript->name), shown(IDC_SCRIPT_NAME)), tuple("d", "d"));
    command(IDC_STAGE_ADD);  // a new command drops the redo steps
    EXPECT_EQ(redoStepName(), nullptr);
}

// Unsaved until a Save succeeds, and again when undo leaves the saved state.
// A step copies the script it touches, never the library.
TEST_F(Editor, UnsavedChangesFollowSavesAndUndoAndStepsStaySmall) {
    std::string text;
    for (int i = 0; i < 2000; i++)
        text += "s" + std::to_string(i) + "\n{\n\t{\n\t\tmap a.tga\n\t}\n}\n";
    openText(text.c_str(), 1000, 0);
    EXPECT_TRUE(libraryHasUnsavedChanges());
    save(dir + "/none/out.txt");
    EXPECT_TRUE(libraryHasUnsavedChanges());
    save(out);
    EXPECT_FALSE(libraryHasUnsavedChanges());
    const size_t before = historyBytes();
    command(IDC_SUBMIT, {{IDC_TEXTURE_MAP, "b.tga"}});
    EXPECT_TRUE(libraryHasUnsavedChanges());
    EXPECT_LT(historyBytes() - before, 4 * sizeof(Script) + 4 * sizeof(Stage));
    command(IDC_SCRIPT_DELETE);
    EXPECT_LT(historyBytes() - before, 8 * sizeof(Script) + 8 * sizeof(Stage));
    command(IDM_EDIT_UNDO);
    command(IDM_EDIT_UNDO);
    EXPECT_FALSE(libraryHasUnsavedChanges());
    command(IDM_EDIT_UNDO);
    EXPECT_TRUE(libraryHasUnsavedChanges());
}

// Random commands, undos and redos against the writer's output after every
// step; some of the run with a history small enough to drop its oldest steps.
TEST_F(Editor, RandomCommandsUndosAndRedosMatchTheReferenceHistory) {
    const char* const texts[] = {"", "0", "2.5x", "-1.25", "300", "pics/a.tga", "ab", "first"};
    const int commands[] = {
        IDC_STAGE_LIST,    IDC_SCRIPT_LIST,  IDC_FRAME_LIST,   IDC_FRAME_ADD,
        IDC_FRAME_DELETE,  IDC_STAGE_ADD,    IDC_STAGE_DELETE, IDC_SCRIPT_ADD,
        IDC_SCRIPT_DELETE, IDC_FRAME_UPDATE, IDC_SUBMIT,       IDC_SCRIPT_UPDATE,
    };
    const std::string written = memoryFile(dir);
    markLibrarySaved();
    std::vector<std::string> states = {writtenLibrary(written)};
    size_t position = 0;
    size_t savedPosition = 0;
    std::mt19937 rng(7);
    for (int step = 0; step < 4000; step++) {
        historyMemoryLimit = step < 2000 ? (size_t)64 << 20 : 4096;
        const int action = (int)(rng() % 32);
        // A new step is a new state; it drops the states that redo had.
        auto track = [&](uint64_t edits) {
            ASSERT_LE(libraryEditCount - edits, 1u);
            if (libraryEditCount == edits) return;
            if (savedPosition > position) savedPosition = SIZE_MAX;
            states.resize(++position);
            states.push_back(writtenLibrary(written));
        };
        // Script Add and Save commit first, each commit a step of its own.
        auto commitFirst = [&](bool stageToo) {
            const uint64_t edits = libraryEditCount;
            if (currentScript && (!stageToo || currentStage)) readScriptProperties(currentScript);
            track(edits);
            if (stageToo && currentScript && currentStage) {
                const uint64_t stageEdits = libraryEditCount;
                readStageProperties(currentStage);
                track(stageEdits);
            }
        };
        const uint64_t edits = libraryEditCount;
        if (action < 6) {
            const int box = IDC_STAGE_LIST + (int)(rng() % 40);
            store.control(box).text = texts[rng() % std::size(texts)];
        } else if (action < 8) {
            store.setCheck(IDC_STAGE_LIST + (int)(rng() % 40), rng() % 2);
        } else if (action < 20) {
            const int id = commands[rng() % std::size(commands)];
            const int index = (int)(rng() % (entries(id).size() + 2)) - 1;
            if (id == IDC_SCRIPT_ADD) commitFirst(false);
            const uint64_t commandEdits = libraryEditCount;
            pick(id, index);
            track(commandEdits);
        } else if (action < 21) {
            openText(TWO_SCRIPTS);
            track(edits);
        } else if (action < 22) {
            commitFirst(true);
            save(out);
            if (!libraryHasUnsavedChanges()) savedPosition = position;
        } else {
            const bool undo = action < 27;
            if (command(undo ? IDM_EDIT_UNDO : IDM_EDIT_REDO) == 0)
                position = undo ? position - 1 : position + 1;
        }
        ASSERT_EQ(writtenLibrary(written), states[position]) << "step " << step;
        ASSERT_EQ(libraryHasUnsavedChanges(), position != savedPosition) << "step " << step;
        ASSERT_NO_FATAL_FAILURE(checkInvariants()) << "step " << step;
    }
    historyMemoryLimit = (size_t)64 << 20;
    std::filesystem::remove(written);
}
