// File > Save writes every changed file back in place, and nothing else: files with comment
// words, unknown keywords, CR LF and LF, tabs and text around their scripts.
#include "editor_fixture.h"

#include <chrono>
#include <map>

namespace fs = std::filesystem;
using Files = std::vector<std::pair<std::string, std::string>>;  // names and texts, in order

// Comment-looking words, an unknown keyword, CR LF, text before and after.
const std::string FIRE =
    "// shaders of the fire\r\nfire/base\r\n{\r\n\tsafe\r\n\t{\r\n\t\tmap fire.tga\r\n"
    "\t\tglow 3\r\n\t}\r\n}\r\n\r\nfire/top {\r\n {\r\n  map top.tga\r\n"
    "  blendfunc GL_ONE GL_ONE\r\n }\r\n}\r\n# end\r\n";
// LF, tabs and odd spacing, words after the last script.
const std::string WATER =
    "water\n{\n\t{\n\t\tmap water.tga\n\t\tscroll sine 0.5 static 0\n\t}\n}\n"
    "water/deep   { { map deep.tga } }\ntrailing words here";
// WATER's first script renamed "lake", as the writer lays it out.
const std::string LAKE =
    "lake\n{\n\t{\n\t\tmap water.tga\n\t\tscroll sine 0.500000 static 0.000000\n\t}\n\t[\n"
    "\t\teditorimage water.tga\n\t]\n}";
// Numbers with more digits than the panel shows.
const std::string SKY =
    "\t\tsky { subdivide 16 vertexwarp 1.2345678 2 3 { map sky.tga rotate 0.1234567 } }\n";

const Files THREE = {{"a.txt", FIRE}, {"b.txt", WATER}, {"c.txt", SKY}};

struct SaveBack : EditorFixture {
    std::map<std::string, std::string> before;  // path: text as written by the test
    const fs::file_time_type LONG_AGO = fs::file_time_type::clock::now() - std::chrono::hours(48);

    std::string path(const std::string& name) { return (dir / name).string(); }
    // Writes the files, dated long ago so that a rewrite shows even within the same second,
    // then opens them at once, in order.
    void openFiles(const Files& files) {
        std::string answer;
        for (const auto& [name, text] : files) {
            before[writeFile(name, text)] = text;
            fs::last_write_time(path(name), LONG_AGO);
            answer += (answer.empty() ? "" : "\n") + path(name);
        }
        ui.answerDialog(answer);
        ASSERT_EQ(command(IDM_FILE_OPEN), 0);
    }
    // No library, no files, no answers or questions left: as at start-up.
    void startAfresh() {
        before.clear();
        g.reset();
        fs::remove_all(dir);
        ui.dialogAnswers.clear();
        ui.choicesShown.clear();
    }
    // The files the test wrote that were written again since, by name.
    Names rewritten() {
        Names names;
        for (const auto& [file, text] : before)
            if (fileText(file) != text || fs::last_write_time(file) != LONG_AGO)
                names.push_back(fs::path(file).lexically_relative(dir).string());
        return names;
    }
};

// The text outside the file's scripts stands, in order, in the new text.
static bool keepsTheTextBetween(const SourceFile& file, const std::string& now) {
    size_t at = 0;
    uint64_t from = 0;
    for (size_t i = 0; i <= file.ranges.size(); i++) {
        const uint64_t to = i < file.ranges.size() ? file.ranges[i].begin : file.text.size();
        at = now.find(file.text.substr(from, to - from), at);
        if (at == std::string::npos) return false;
        at += to - from;
        if (i < file.ranges.size()) from = file.ranges[i].end;
    }
    return true;
}

// Each script as the writer lays it out, by name; when the script is the editor's, as read
// back from that layout (an empty map reads as the reader's default).
static std::map<std::string, std::string> byName(const ScriptLibrary& library, bool editors) {
    std::map<std::string, std::string> scripts;
    for (const Script* script = library.scripts; script; script = script->next) {
        const std::string layout = scriptText(script);
        ScriptLibrary read;
        if (editors) readScriptText(read, layout.data(), layout.size());
        scripts[script->name] = editors ? scriptText(read.scripts) : layout;
    }
    return scripts;
}

// Each change, saved, rewrites its script's text alone, in its file's own line ends.
TEST_F(SaveBack, OneChangeRewritesOnlyItsScriptsRange) {
    const struct {
        const char* script;
        int command;  // after the script's first stage is picked
        Edits typed;
        const char* file;
        std::string text;  // the script's new text in its range
    } cases[] = {
        {"fire/top",
         IDC_SUBMIT,
         {{IDC_TEXTURE_MAP, "hot.tga"}},
         "a.txt",
         "fire/top\r\n{\r\n\t{\r\n\t\tmap hot.tga\r\n\t\tblendfunc GL_ONE GL_ONE\r\n\t}\r\n"
         "\t[\r\n\t\teditorimage hot.tga\r\n\t]\r\n}"},
        {"water", IDC_SCRIPT_UPDATE, {{IDC_SCRIPT_NAME, "lake"}}, "b.txt", LAKE},
        {"water/deep", IDC_SCRIPT_DELETE, {}, "b.txt", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        startAfresh();
        openFiles(THREE);
        const std::string old = before[path(c.file)];
        const ScriptOrigin range = scriptOrigin(findScript(g.library, c.script));
        pickScript(c.script);
        pick(IDC_STAGE_LIST, 0);
        command(c.command, c.typed);
        ASSERT_EQ(command(IDM_FILE_SAVE), 0);
        EXPECT_EQ(fileText(path(c.file)),
                  old.substr(0, range.begin) + c.text + old.substr(range.end));
        EXPECT_EQ(rewritten(), Names{c.file});
    }
}

// New scripts go to the end of the file asked for once; a script read again from a later file
// leaves the earlier one.
TEST_F(SaveBack, NewScriptsAreAppendedAndAScriptReplacedLeavesItsFile) {
    openFiles(THREE);
    command(IDC_SCRIPT_ADD, {{IDC_SCRIPT_NAME, "new/one"}});
    command(IDC_SCRIPT_ADD, {{IDC_SCRIPT_NAME, "new/two"}});
    openFiles({{"d.txt", "sky { { map night.tga } }\n"}});
    ui.answerDialog(path("c.txt"));
    ui.choiceAnswers = {0};  // Save Anyway
    ASSERT_EQ(command(IDM_FILE_SAVE), 0);
    ASSERT_EQ(ui.choicesShown.size(), 1u);
    const std::string note =
        ":1:3: script 'sky' is read from another file now; its text here "
        "is dropped";
    EXPECT_NE(ui.choicesShown[0].text.find(path("c.txt") + note), std::string::npos)
        << ui.choicesShown[0].text;
    EXPECT_EQ(fileText(path("c.txt")), "\t\t\n\nnew/one\n{\n}\n\nnew/two\n{\n}\n");
    EXPECT_EQ(rewritten(), Names{"c.txt"});
    EXPECT_EQ(ui.dialogsShown.back().save, true) << "asked once where the new scripts go";
}

// Opening, showing a script and undoing every change leave the files as they were.
TEST_F(SaveBack, UndoingEverythingLeavesEveryFileAsItWas) {
    openFiles(THREE);
    pickScript("sky");
    pick(IDC_STAGE_LIST, 0);
    pickScript("fire/base");
    EXPECT_EQ(historyStepCount(g.library.history), 1) << "the panel's commits changed nothing";
    pick(IDC_STAGE_LIST, 0);
    command(IDC_SUBMIT, {{IDC_TEXTURE_MAP, "cold.tga"}});
    pickScript("sky");
    command(IDC_SCRIPT_DELETE);
    command(IDC_SCRIPT_ADD, {{IDC_SCRIPT_NAME, "extra"}});
    while (command(IDM_EDIT_UNDO) == 0) continue;  // the Open itself too
    while (command(IDM_EDIT_REDO) == 0) continue;
    while (g.library.history.appliedCount > 1) command(IDM_EDIT_UNDO);
    EXPECT_FALSE(unsaved());
    ASSERT_EQ(command(IDM_FILE_SAVE), 0);
    EXPECT_EQ(rewritten(), Names{});
}

// Save asks before it drops words the layout cannot hold, and before it overwrites a file
// another program changed since it was read (the questions as the Qt tests show them); Cancel
// writes nothing. A write that fails is reported and stays unsaved, the others written.
TEST_F(SaveBack, SaveAsksFirstAndAFailedWriteStaysUnsaved) {
    openFiles({{"a.txt", FIRE}, {"sub/b.txt", WATER}, {"c.txt", SKY}});
    pickScript("fire/base");
    pick(IDC_STAGE_LIST, 0);
    command(IDC_SUBMIT, {{IDC_TEXTURE_MAP, "cold.tga"}});
    for (const char* name : {"water", "sky"}) {
        pickScript(name);
        command(IDC_SCRIPT_UPDATE, {{IDC_SCRIPT_NAME, std::string(name) + "2"}});
    }
    const std::string changed = "changed by another program\n";
    std::ofstream(path("c.txt")) << changed;
    ui.choiceAnswers = {1, 0, 1};  // Cancel; Save Anyway, then Cancel
    EXPECT_EQ(command(IDM_FILE_SAVE), 1);
    EXPECT_EQ(command(IDM_FILE_SAVE), 1);
    EXPECT_EQ(ui.choicesShown.size(), 3u);
    EXPECT_EQ(rewritten(), Names{"c.txt"});
    EXPECT_EQ(fileText(path("c.txt")), changed);
    EXPECT_TRUE(unsaved());

    fs::rename(dir / "sub", dir / "moved");  // the second file's folder is gone
    ui.choiceAnswers = {0, 0, 0};            // Save Anyway, Overwrite both
    EXPECT_EQ(command(IDM_FILE_SAVE), 0);
    ASSERT_EQ(ui.messagesShown.size(), 1u);
    EXPECT_EQ(ui.messagesShown[0].text,
              "Could not save \"" + path("sub/b.txt") + "\": " + strerror(ENOENT));
    EXPECT_EQ(
        fileText(path("a.txt")),
        "// shaders of the fire\r\nfire/base\r\n{\r\n\tsafe\r\n\t{\r\n\t\tmap cold.tga\r\n\t}\r\n"
        "\t[\r\n\t\teditorimage cold.tga\r\n\t]\r\n}" +
            FIRE.substr(FIRE.find("\r\n\r\nfire/top")));
    EXPECT_EQ(fileText(path("c.txt")),
              "\t\tsky2\n{\n\tsubdivide 16\n\tvertexwarp 1.234568 2.000000 1.000000\n\t{\n\t\tmap "
              "sky.tga\n\t\trotate 0.123457\n\t}\n\t[\n\t\teditorimage sky.tga\n\t]\n}\n");
    EXPECT_TRUE(unsaved());
}

// After random changes, undos and redos, saved files read back as the library in the editor
// and keep the text between their scripts.
TEST_F(SaveBack, RandomChangesSaveToFilesThatReadBackAsTheLibrary) {
    // Names are unique within the files: a name given twice in one file leaves the earlier
    // text as words the library does not hold, kept.
    const char* const pieces[] = {"s%d {\n\t{\n\t\tmap a.tga\n\t}\n}\n",
                                  "//n%d\n",
                                  "s%d { subdivide 8 }\r\n",
                                  "s%d\n{\n\tglow\n\t{ map b.tga rotate 2 }\n}\n",
                                  "\n\n",
                                  "#%d\n",
                                  "s%d { { } { } }\n"};
    // A command, and the box it takes a new name from (0: none).
    const std::pair<int, int> actions[] = {{IDC_SCRIPT_DELETE, 0},
                                           {IDC_SCRIPT_ADD, IDC_SCRIPT_NAME},
                                           {IDC_STAGE_ADD, 0},
                                           {IDC_SUBMIT, IDC_TEXTURE_MAP},
                                           {IDM_EDIT_UNDO, 0},
                                           {IDM_EDIT_REDO, 0},
                                           {IDC_SCRIPT_UPDATE, IDC_SCRIPT_NAME}};
    std::mt19937 rng(11);
    for (int round = 0; round < 30; round++) {
        SCOPED_TRACE("round " + std::to_string(round));
        startAfresh();
        Files files;
        for (int file = 0; file < 3; file++) {
            files.push_back({"f" + std::to_string(file) + ".txt", ""});
            for (int i = 0; i < 6; i++) {
                char piece[128];
                snprintf(piece, sizeof piece, pieces[rng() % std::size(pieces)],
                         round * 100 + file * 10 + i);
                files.back().second += piece;
            }
        }
        openFiles(files);
        const std::vector<SourceFile> opened = g.library.files;
        for (int step = 0; step < 12; step++) {
            const auto [id, box] = actions[rng() % std::size(actions)];
            const int count = (int)entries(IDC_SCRIPT_LIST).size();
            if (count) pick(IDC_SCRIPT_LIST, (int)(rng() % count));
            if (id == IDC_SUBMIT) pick(IDC_STAGE_LIST, 0);
            // Undoing the Open itself closes the files: nothing then saves to them.
            if (id == IDM_EDIT_UNDO && g.library.history.appliedCount == 1) continue;
            command(id, box ? Edits{{box, "n" + std::to_string(step) + ".tga"}} : Edits{});
        }
        g.selection.currentStage = nullptr;  // no panel values to commit
        ui.answerDialog(opened[rng() % 3].path);
        ui.choiceAnswers = {0, 0, 0, 0};
        ASSERT_EQ(command(IDM_FILE_SAVE), 0)
            << (ui.choicesShown.empty() ? "" : ui.choicesShown.back().text);
        ScriptLibrary saved;
        for (const SourceFile& file : opened) readScriptFile(saved, file.path.c_str());
        EXPECT_EQ(byName(saved, false), byName(g.library, true));
        for (const SourceFile& file : opened)
            EXPECT_TRUE(keepsTheTextBetween(file, fileText(file.path))) << file.path;
        EXPECT_FALSE(unsaved());
    }
}

// A restored recovery copy saves back into its scripts' files and finds their textures.
TEST_F(SaveBack, ARestoredCopySavesBackToItsFiles) {
    openFiles(THREE);
    pickScript("water");
    command(IDC_SCRIPT_UPDATE, {{IDC_SCRIPT_NAME, "lake"}});
    const std::string copy = path("recovery.txt");
    ASSERT_TRUE(writeScriptFile(g.library, copy.c_str()));
    const std::string origins = describeOrigins(g.library, g.library.scripts);

    EditorContext restored(&ui);
    ui.editor = &restored;
    ASSERT_TRUE(restoreLibraryCopy(restored, copy.c_str(), origins));
    EXPECT_TRUE(libraryHasUnsavedChanges(restored.library.history));
    ASSERT_TRUE(restored.textures.folders.scriptFolders);
    EXPECT_EQ(restored.textures.folders.scriptFolders->path, dir.string());
    ASSERT_EQ(mainDialogProc(restored, DIALOG_COMMAND, IDM_FILE_SAVE), 0);
    EXPECT_EQ(fileText(path("b.txt")), LAKE + WATER.substr(WATER.find("\nwater/deep")));
    EXPECT_EQ(rewritten().front(), "b.txt") << "a.txt is left alone";
    ui.editor = &g;
}

// A note of View > Problems leads to its script and stage as a click on the lists would.
TEST_F(SaveBack, AProblemLeadsToItsScriptAndStage) {
    openFiles(THREE);
    const struct {
        const char* file;
        const char* word;  // the first place of it in the file
        const char* selected;
    } cases[] = {
        {"a.txt", "glow", "fire/base/0"},
        {"a.txt", "safe", "fire/base/-"},
        {"b.txt", "scroll", "water/0"},
        {"b.txt", "trailing", "trailing/-"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        const int file = findSourceFile(g.library, path(c.file).c_str());
        const size_t offset = g.library.files[(size_t)file].text.find(c.word);
        g.selection.reset();
        EXPECT_TRUE(selectProblemPlace(g, file, offset));
        EXPECT_EQ(selected(), c.selected);
        EXPECT_EQ(listed(), c.selected);
    }
}
