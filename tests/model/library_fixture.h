// Shared set-up for the model tests: every test starts and ends with an
// empty library, and can read text and write files in a folder of its own.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script_file.h"

class LibraryTest : public ::testing::Test {
protected:
    std::string folder;

    void SetUp() override;
    void TearDown() override;

    static void read(const std::string& text) { readScriptText(text.data(), text.size()); }
    std::string pathOf(const char* name) const { return folder + "/" + name; }
    // Writes the library to a file of the folder and returns its bytes.
    std::string written();
    std::vector<std::string> folderEntries() const;
};

std::string fileContents(const std::string& path);
void putFile(const std::string& path, const std::string& contents);
std::vector<Script*> libraryScripts();
std::vector<Stage*> stagesOf(const Script* script);
std::vector<std::string> frameNames(const Stage* stage);
