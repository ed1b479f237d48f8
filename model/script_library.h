// The library: the scripts of this run, the undo history of their changes and
// the count of changes. One object holds all of it, so a program or a test
// starts from an empty library in one line and ends it in one reset.
#pragma once

#include "history.h"
#include "script_model.h"
#include "script_sources.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

struct ScriptLibrary {
    Script* scripts = nullptr;  // head of the list, in creation order; null when empty
    History history;
    uint64_t editCount = 0;         // every change, undo and redo
    std::vector<SourceFile> files;  // read or saved, in the order first met
    uint32_t lastGeneration = 0;    // of the files' texts, counted over the library's life
    // The texts last typed for each script in the text pane, newest last
    // (rememberTypedText); the record's address is the key.
    std::unordered_map<const Script*, std::vector<std::string>> typedTexts;

    ScriptLibrary() = default;
    ScriptLibrary(const ScriptLibrary&) = delete;
    ScriptLibrary& operator=(const ScriptLibrary&) = delete;
    ~ScriptLibrary() { reset(); }

    // Releases every script and every step: an empty library with an empty
    // history, no files, no typed texts and nothing unsaved.
    void reset();
};
