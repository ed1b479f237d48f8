// A fresh editor on the toolkit-free platform for every test: the combo
// boxes filled, no script loaded, nothing current.
#pragma once

#include "control_ids.h"
#include "control_store.h"
#include "editor.h"
#include "script_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

struct EditorTest : ::testing::Test {
    ControlStore store;
    std::filesystem::path dir;

    void SetUp() override {
        platform = &store;
        initEditorControls();
        dir = std::filesystem::temp_directory_path() /
              ("veltra-editor-" + std::to_string(getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }

    void TearDown() override {
        currentScript = nullptr;
        currentStage = nullptr;
        freeAllScripts();
        platform = nullptr;
        std::filesystem::remove_all(dir);
    }

    int command(int id) { return mainDialogProc(DIALOG_COMMAND, id); }

    // Picks an entry (or none, with -1) and sends the list's notification.
    int pick(int listId, int index) {
        store.control(listId).selection = index;
        return command(listId);
    }

    void type(int id, const std::string& text) { store.control(id).text = text; }
    const std::string& shown(int id) { return store.control(id).text; }
    const std::vector<std::string>& entries(int id) { return store.control(id).items; }

    std::string writeFile(const std::string& name, const std::string& text) {
        std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    static std::string readFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // File, Open answered with path.
    int open(const std::string& path) {
        store.answerDialog(path);
        return command(IDM_FILE_OPEN);
    }

    int openText(const std::string& text) { return open(writeFile("in.txt", text)); }

    int save(const std::string& path) {
        store.answerDialog(path);
        return command(IDM_FILE_SAVE);
    }

    // Selects the script list entry that holds name.
    int pickScript(const std::string& name) {
        const auto& items = entries(IDC_SCRIPT_LIST);
        for (size_t i = 0; i < items.size(); i++)
            if (items[i] == name) return pick(IDC_SCRIPT_LIST, (int)i);
        ADD_FAILURE() << "no script entry " << name;
        return -1;
    }

    static Stage* stageAt(Script* script, int index) {
        Stage* stage = script->stages;
        while (stage && index-- > 0) stage = stage->next;
        return stage;
    }
};
