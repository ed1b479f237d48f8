// A fresh editor for each test: its context on the toolkit-free platform, under a
// decimal-comma locale, with a folder of its own for the files the test writes.
#pragma once

#include "control_ids.h"
#include "control_store.h"
#include "editor.h"
#include "script_copy.h"
#include "script_file.h"

#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

using Names = std::vector<std::string>;
// Texts typed into their boxes before a command.
using Edits = std::vector<std::pair<int, std::string>>;

// As in a window, every dialog takes the focus from the script list, whose notification then
// arrives inside the waiting command and must be dropped.
struct FocusTakingStore : ControlStore {
    EditorContext* editor = nullptr;
    bool askFileName(FileDialogRequest& request) override {
        mainDialogProc(*editor, DIALOG_COMMAND, IDC_SCRIPT_LIST);
        return ControlStore::askFileName(request);
    }
};

inline std::string fileText(const std::string& path) {
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

// The library as the writer lays it out, script after script.
inline std::string libraryText(const ScriptLibrary& library) {
    std::string text;
    for (const Script* script = library.scripts; script; script = script->next)
        text += scriptText(script);
    return text;
}

// The text with each run of spaces, tabs and line breaks one space.
inline std::string words(const std::string& text) {
    return std::regex_replace(text, std::regex("\\s+"), " ");
}

struct EditorFixture : ::testing::Test {
    FocusTakingStore ui;
    EditorContext g{&ui};
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("veltra-editor-" + std::to_string(std::random_device{}()));

    EditorFixture() {
        setlocale(LC_ALL, "de_DE.UTF-8");  // numbers typed and shown keep their '.' under it
        ui.editor = &g;
        initEditorControls(ui);
        installTextureFinder(g);
        std::filesystem::create_directories(dir / "scripts");
    }
    ~EditorFixture() override {
        std::filesystem::remove_all(dir);
        setlocale(LC_ALL, "C");
    }

    int command(int id, const Edits& edits = {}) {
        for (auto& [box, text] : edits) ui.control(box).text = text;
        return mainDialogProc(g, DIALOG_COMMAND, id);
    }
    int pick(int list, int index, const Edits& edits = {}) {
        ui.control(list).selection = index;
        return command(list, edits);
    }
    // A click on the script of that name in the script list.
    int pickScript(const char* name) {
        return pick(IDC_SCRIPT_LIST, scriptIndex(g.library, findScript(g.library, name)));
    }
    // The current script and the current stage's place in it: "a/0", "a/-" (none), "-/-",
    // "a/elsewhere" (a stage of another script).
    std::string selected() {
        const Selection& s = g.selection;
        const int index = stageIndex(s.currentScript, s.currentStage);
        const std::string stage = !s.currentStage ? "-"
                                  : index < 0     ? "elsewhere"
                                                  : std::to_string(index);
        return (s.currentScript ? s.currentScript->name : "-") + ("/" + stage);
    }
    // The same for the entries the two lists select, as the user sees them.
    std::string listed() {
        const int script = ui.listSelection(IDC_SCRIPT_LIST);
        const int stage = ui.listSelection(IDC_STAGE_LIST);
        return (script < 0 ? "-" : entries(IDC_SCRIPT_LIST)[(size_t)script]) + "/" +
               (stage < 0 ? "-" : std::to_string(stage));
    }
    const std::string& shown(int id) { return ui.control(id).text; }
    const Names& entries(int id) { return ui.control(id).items; }
    bool unsaved() { return libraryHasUnsavedChanges(g.library.history); }
    // Writes the bytes to the path within the test's folder; the full path.
    std::string writeFile(const std::string& relative, const std::string& bytes) {
        const std::filesystem::path path = dir / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }
    int open(const std::string& path) {
        ui.answerDialog(path);
        return command(IDM_FILE_OPEN);
    }
    int save(const std::string& path, const Edits& edits = {}) {
        ui.answerDialog(path);
        return command(IDM_FILE_SAVE_LIBRARY_AS, edits);
    }
    // Opens the text as a file of scripts, then picks the script and its stage when given.
    void openText(const std::string& text, int script = NO_SELECTION, int stage = NO_SELECTION) {
        open(writeFile("scripts/shaders.txt", text));
        if (script != NO_SELECTION) pick(IDC_SCRIPT_LIST, script);
        if (stage != NO_SELECTION) pick(IDC_STAGE_LIST, stage);
    }
};
