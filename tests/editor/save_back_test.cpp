// File > Save writes every changed file back in place, and nothing else:
// files with comment words, unknown keywords, CR LF and LF, tabs and text
// around their scripts, changed through the editor and saved.
#include "editor_fixture.h"

#include <chrono>
#include <map>

namespace fs = std::filesystem;

// Comment-looking words, an unknown keyword, CR LF, text before and after.
const std::string FIRE =
    "// shaders of the fire\r\nfire/base\r\n{\r\n\tsafe\r\n\t{\r\n\t\tmap fire.tga\r\n"
    "\t\tglow 3\r\n\t}\r\n}\r\n\r\nfire/top {\r\n {\r\n  map top.tga\r\n"
    "  blendfunc GL_ONE GL_ONE\r\n }\r\n}\r\n# end\r\n";
// LF, tabs and odd spacing, words after the last script.
const std::string WATER =
    "water\n{\n\t{\n\t\tmap water.tga\n\t\tscroll sine 0.5 static 0\n\t}\n}\n"
    "water/deep   { { map deep.tga } }\ntrailing words here";
// Numbers with more digits than the panel shows.
const std::string SKY =
    "\t\tsky { subdivide 16 vertexwarp 1.2345678 2 3 { map sky.tga rotate 0.1234567 } }\n";

struct SaveBack : EditorFixture {
    std::map<std::string, std::string> before;  // path: text as written by the test
    const fs::file_time_type LONG_AGO = fs::file_time_type::clock::now() - std::chrono::hours(48);

    std::string write(const std::string& name, const std::string& text) {
        const std::string path = (dir / name).string();
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << text;
        fs::last_write_time(path, LONG_AGO);  // a rewrite shows even within the same second
        before[path] = text;
        return path;
    }
    // No library, no files: as at start-up.
    void startAfresh() {
        before.clear();
        g.reset();
        fs::remove_all(dir);
    }
    // The three files opened at once, in order.
    void openThree() {
        ui.answerDialog(write("a.txt", FIRE) + "\n" + write("b.txt", WATER) + "\n" +
                        write("c.txt", SKY));
        ASSERT_EQ(command(IDM_FILE_OPEN), 0);
    }
    int selectScript(const char* name) {
        return pick(IDC_SCRIPT_LIST, scriptIndex(g.library, findScript(g.library, name)));
    }
    bool untouched(const std::string& path) {
        return fileText(path) == before[path] && fs::last_write_time(path) == LONG_AGO;
    }
    // Where the script's text stands in its file now.
    TextRange rangeOf(const char* name) {
        const ScriptOrigin& origin = scriptOrigin(findScript(g.library, name));
        return {origin.begin, origin.end};
    }
};

// The text outside the file's scripts stands, in order, in the new text.
static bool keepsTheTextBetween(const SourceFile& file, const std::string& now) {
    size_t at = 0;
    uint64_t from = 0;
    std::vector<TextRange> gaps;
    for (const TextRange& range : file.ranges) {
        gaps.push_back({from, range.begin});
        from = range.end;
    }
    gaps.push_back({from, file.text.size()});
    for (const TextRange& gap : gaps) {
        at = now.find(file.text.substr(gap.begin, gap.end - gap.begin), at);
        if (at == std::string::npos) return false;
        at += gap.end - gap.begin;
    }
    return true;
}

// The scripts of the files read afresh, each as the writer lays it out.
static std::map<std::string, std::string> readBack(const std::vector<std::string>& paths) {
    ScriptLibrary library;
    for (const std::string& path : paths) readScriptFile(library, path.c_str());
    std::map<std::string, std::string> scripts;
    for (const Script* script = library.scripts; script; script = script->next)
        scripts[script->name] = scriptText(script);
    return scripts;
}

// The editor's scripts as a file of their layout reads them back (an empty
// map reads as the reader's default).
static std::map<std::string, std::string> inEditor(const ScriptLibrary& library) {
    std::map<std::string, std::string> scripts;
    for (const Script* script = library.scripts; script; script = script->next) {
        const std::string layout = scriptText(script);
        ScriptLibrary read;
        readScriptText(read, layout.data(), layout.size());
        scripts[script->name] = scriptText(read.scripts);
    }
    return scripts;
}

// Each change, saved: the file of the script differs only inside its range, in the file's own
// line ends; every other file is left alone.
TEST_F(SaveBack, OneChangeRewritesOnlyItsScriptsRange) {
    const struct {
        const char* script;
        int command;  // after the script's first stage is picked
        Edits typed;
        const char* file;
        const char* expected;  // in the new text of the file
    } cases[] = {
        {"fire/top", IDC_SUBMIT, {{IDC_TEXTURE_MAP, "hot.tga"}}, "a.txt", "\t\tmap hot.tga\r\n"},
        {"water", IDC_SCRIPT_UPDATE, {{IDC_SCRIPT_NAME, "lake"}}, "b.txt", "lake\n{\n\t{\n\t\tmap"},
        {"water/deep", IDC_SCRIPT_DELETE, {}, "b.txt", "}\n\ntrailing words here"},
    };
    for (const auto& c : cases) {
        startAfresh();
        openThree();
        const std::string file = (dir / c.file).string();
        const TextRange range = rangeOf(c.script);
        selectScript(c.script);
        pick(IDC_STAGE_LIST, 0);
        command(c.command, c.typed);
        ASSERT_EQ(command(IDM_FILE_SAVE), 0) << c.script;
        const std::string now = fileText(file);
        const std::string& old = before[file];  // the same outside the range
        EXPECT_EQ(now.substr(0, range.begin), old.substr(0, range.begin)) << c.script;
        EXPECT_TRUE(now.ends_with(old.substr(range.end))) << c.script << ":\n" << now;
        EXPECT_NE(now.find(c.expected), std::string::npos) << c.script << ":\n" << now;
        for (const auto& [path, text] : before)
            EXPECT_TRUE(path == file || untouched(path)) << c.script << ": " << path;
        EXPECT_FALSE(libraryHasUnsavedChanges(g.library.history)) << c.script;
    }
}

// Scripts without a file go, once asked, to the end of the file chosen; a
// script of the same name read from a later file leaves the earlier one.
TEST_F(SaveBack, NewScriptsAreAppendedAndAScriptReplacedLeavesItsFile) {
    openThree();
    command(IDC_SCRIPT_ADD, {{IDC_SCRIPT_NAME, "new/one"}});
    command(IDC_SCRIPT_ADD, {{IDC_SCRIPT_NAME, "new/two"}});
    const std::string later = write("d.txt", "sky { { map night.tga } }\n");
    open(later);
    ui.answerDialog((dir / "c.txt").string());
    ui.choiceAnswers = {0};  // Save Anyway
    ASSERT_EQ(command(IDM_FILE_SAVE), 0);
    ASSERT_EQ(ui.choicesShown.size(), 1u);
    EXPECT_NE(ui.choicesShown[0].text.find(
                  (dir / "c.txt").string() +
                  ":1:3: script 'sky' is read from another file now; its text here is dropped"),
              std::string::npos)
        << ui.choicesShown[0].text;
    EXPECT_EQ(fileText((dir / "c.txt").string()), "\t\t\n\nnew/one\n{\n}\n\nnew/two\n{\n}\n");
    EXPECT_TRUE(untouched(later));
    EXPECT_TRUE(untouched((dir / "a.txt").string()));
    EXPECT_TRUE(untouched((dir / "b.txt").string()));
    EXPECT_EQ(ui.dialogsShown.back().save, true) << "asked once where the new scripts go";
}

// Opening is no change, nor showing a script in the panel, and undoing every change later
// leaves every file as it was: Save then writes nothing and asks nothing.
TEST_F(SaveBack, UndoingEverythingLeavesEveryFileAsItWas) {
    openThree();
    selectScript("sky");
    pick(IDC_STAGE_LIST, 0);
    selectScript("fire/base");
    EXPECT_EQ(historyStepCount(g.library.history), 1) << "the panel's commits changed nothing";
    pick(IDC_STAGE_LIST, 0);
    command(IDC_SUBMIT, {{IDC_TEXTURE_MAP, "cold.tga"}});
    selectScript("sky");
    command(IDC_SCRIPT_DELETE);
    command(IDC_SCRIPT_ADD, {{IDC_SCRIPT_NAME, "extra"}});
    while (command(IDM_EDIT_UNDO) == 0) continue;
    EXPECT_EQ(entries(IDC_SCRIPT_LIST), Names{}) << "the Open itself is undone too";
    while (command(IDM_EDIT_REDO) == 0) continue;
    while (g.library.history.appliedCount > 1) command(IDM_EDIT_UNDO);
    EXPECT_FALSE(libraryHasUnsavedChanges(g.library.history));
    ASSERT_EQ(command(IDM_FILE_SAVE), 0);
    for (const auto& [path, text] : before) EXPECT_TRUE(untouched(path)) << path;
    EXPECT_EQ(ui.dialogsShown.size(), 1u) << "only the Open dialog";
}

// Save asks before it drops words the layout cannot hold, and before it overwrites a file
// another program changed since it was read (the questions as the Qt tests show them); Cancel
// writes nothing. A write that fails leaves that file whole and unsaved, and the others written.
TEST_F(SaveBack, SaveAsksFirstAndAFailedWriteStaysUnsaved) {
    const std::string a = write("a.txt", FIRE), c = write("c.txt", SKY);
    ui.answerDialog(a + "\n" + write("sub/b.txt", WATER) + "\n" + c);
    command(IDM_FILE_OPEN);
    selectScript("fire/base");
    pick(IDC_STAGE_LIST, 0);
    command(IDC_SUBMIT, {{IDC_TEXTURE_MAP, "cold.tga"}});
    for (const char* name : {"water", "sky"}) {
        selectScript(name);
        command(IDC_SCRIPT_UPDATE, {{IDC_SCRIPT_NAME, std::string(name) + "2"}});
    }
    const std::string changed = "changed by another program\n";
    std::ofstream(c) << changed;
    ui.choiceAnswers = {1, 0, 1};  // Cancel; Save Anyway, then Cancel
    EXPECT_EQ(command(IDM_FILE_SAVE), 1);
    EXPECT_EQ(command(IDM_FILE_SAVE), 1);
    EXPECT_EQ(ui.choicesShown.size(), 3u);
    EXPECT_TRUE(untouched(a));
    EXPECT_EQ(fileText(c), changed);
    EXPECT_TRUE(libraryHasUnsavedChanges(g.library.history));

    fs::rename(dir / "sub", dir / "moved");  // the second file's folder is gone
    ui.choiceAnswers = {0, 0, 0};            // Save Anyway, Overwrite both
    EXPECT_EQ(command(IDM_FILE_SAVE), 0);
    ASSERT_EQ(ui.messagesShown.size(), 1u);
    EXPECT_EQ(ui.messagesShown[0].text,
              "Could not save \"" + (dir / "sub/b.txt").string() + "\": " + strerror(ENOENT));
    EXPECT_EQ(fileText(a).find("glow"), std::string::npos);
    EXPECT_NE(fileText(a).find("fire/base\r\n{\r\n\tsafe\r\n\t{\r\n\t\tmap cold.tga\r\n"),
              std::string::npos);
    EXPECT_EQ(fileText(c),
              "\t\tsky2\n{\n\tsubdivide 16\n\t{\n\t\tmap sky.tga\n\t}\n\t[\n\t\teditorimage "
              "sky.tga\n\t]\n}\n");
    EXPECT_EQ(fileText((dir / "moved/b.txt").string()), WATER);
    EXPECT_TRUE(libraryHasUnsavedChanges(g.library.history));
}

// Random files and random changes, undos and redos, then Save: the files
// read back give the library in the editor, and the text between their
// scripts is all still there, in order.
TEST_F(SaveBack, RandomChangesSaveToFilesThatReadBackAsTheLibrary) {
    // Names are unique within the files: a name given twice in one file
    // leaves the earlier text as words the library does not hold, kept.
    const char* const pieces[] = {"s%d {\n\t{\n\t\tmap a.tga\n\t}\n}\n",
                                  "//n%d\n",
                                  "s%d { subdivide 8 }\r\n",
                                  "s%d\n{\n\tglow\n\t{ map b.tga rotate 2 }\n}\n",
                                  "\n\n",
                                  "#%d\n",
                                  "s%d { { } { } }\n"};
    std::mt19937 rng(11);
    for (int round = 0; round < 30; round++) {
        startAfresh();
        ui.dialogAnswers.clear();  // a Save that asked nothing leaves its answer
        ui.choicesShown.clear();
        std::vector<std::string> paths;
        std::string answer;
        for (int file = 0; file < 3; file++) {
            std::string text;
            for (int i = 0; i < 6; i++) {
                char piece[128];
                snprintf(piece, sizeof piece, pieces[rng() % std::size(pieces)],
                         round * 100 + file * 10 + i);
                text += piece;
            }
            paths.push_back(write("f" + std::to_string(file) + ".txt", text));
            answer += (answer.empty() ? "" : "\n") + paths.back();
        }
        ui.answerDialog(answer);
        command(IDM_FILE_OPEN);
        const std::vector<SourceFile> opened = g.library.files;
        for (int step = 0; step < 12; step++) {
            const int action = (int)(rng() % 7);
            const int count = (int)entries(IDC_SCRIPT_LIST).size();
            if (count) pick(IDC_SCRIPT_LIST, (int)(rng() % count));
            if (action == 0) command(IDC_SCRIPT_DELETE);
            if (action == 1)
                command(IDC_SCRIPT_ADD, {{IDC_SCRIPT_NAME, "n" + std::to_string(step)}});
            if (action == 2) command(IDC_STAGE_ADD);
            if (action == 3 && !entries(IDC_STAGE_LIST).empty()) {
                pick(IDC_STAGE_LIST, 0);
                command(IDC_SUBMIT, {{IDC_TEXTURE_MAP, "m" + std::to_string(step) + ".tga"}});
            }
            // Undoing the Open itself closes the files: nothing then saves to them.
            if (action == 4 && g.library.history.appliedCount > 1) command(IDM_EDIT_UNDO);
            if (action == 5) command(IDM_EDIT_REDO);
            if (action == 6)
                command(IDC_SCRIPT_UPDATE, {{IDC_SCRIPT_NAME, "r" + std::to_string(step)}});
        }
        g.selection.currentStage = nullptr;  // no panel values to commit
        ui.answerDialog(paths[rng() % 3]);
        ui.choiceAnswers = {0, 0, 0, 0};
        ASSERT_EQ(command(IDM_FILE_SAVE), 0)
            << "round " << round << ": "
            << (ui.choicesShown.empty() ? "" : ui.choicesShown.back().text);
        EXPECT_EQ(readBack(paths), inEditor(g.library)) << "round " << round;
        for (const SourceFile& file : opened)
            EXPECT_TRUE(keepsTheTextBetween(file, fileText(file.path))) << file.path;
        EXPECT_FALSE(libraryHasUnsavedChanges(g.library.history)) << "round " << round;
    }
}

// A recovery copy keeps where its scripts came from: restored, a change saves back into the
// right file, and the files are searched for textures again.
TEST_F(SaveBack, ARestoredCopySavesBackToItsFiles) {
    openThree();
    selectScript("water");
    command(IDC_SCRIPT_UPDATE, {{IDC_SCRIPT_NAME, "lake"}});
    const std::string copy = (dir / "recovery.txt").string();
    ASSERT_TRUE(writeScriptFile(g.library, copy.c_str()));
    const std::string origins = describeOrigins(g.library, g.library.scripts);

    EditorContext restored(&ui);
    ui.editor = &restored;
    ASSERT_TRUE(restoreLibraryCopy(restored, copy.c_str(), origins));
    EXPECT_TRUE(libraryHasUnsavedChanges(restored.library.history));
    ASSERT_TRUE(restored.textures.folders.scriptFolders);
    EXPECT_EQ(restored.textures.folders.scriptFolders->path, dir.string());
    ASSERT_EQ(mainDialogProc(restored, DIALOG_COMMAND, IDM_FILE_SAVE), 0);
    EXPECT_EQ(fileText((dir / "b.txt").string()),
              "lake\n{\n\t{\n\t\tmap water.tga\n\t\tscroll sine 0.500000 static 0.000000\n\t}\n"
              "\t[\n\t\teditorimage water.tga\n\t]\n}\n" +
                  WATER.substr(WATER.find("water/deep")));
    EXPECT_TRUE(untouched((dir / "a.txt").string()));
    ui.editor = &g;
}

// A note of View > Problems leads to its script, and to its stage when it stands inside one,
// as a click on the lists would.
TEST_F(SaveBack, AProblemLeadsToItsScriptAndStage) {
    openThree();
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
        const int file = findSourceFile(g.library, (dir / c.file).string().c_str());
        const size_t offset = g.library.files[(size_t)file].text.find(c.word);
        g.selection.reset();
        EXPECT_TRUE(selectProblemPlace(g, file, offset)) << c.word;
        EXPECT_EQ(selected(), c.selected) << c.word;
    }
}
