#include "library_fixture.h"

#include <filesystem>
#include <fstream>
#include <sstream>

void LibraryTest::SetUp() {
    ASSERT_EQ(scriptLibrary, nullptr);
    char pattern[] = "/tmp/veltra-model-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
}

void LibraryTest::TearDown() {
    freeAllScripts();
    std::filesystem::remove_all(folder);
}

std::string LibraryTest::written() {
    std::string path = pathOf("written.txt");
    EXPECT_TRUE(writeScriptFile(path.c_str()));
    return fileContents(path);
}

std::vector<std::string> LibraryTest::folderEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string fileContents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

void putFile(const std::string& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

std::vector<Script*> libraryScripts() {
    std::vector<Script*> scripts;
    for (Script* script = scriptLibrary; script; script = script->next)
        scripts.push_back(script);
    return scripts;
}

std::vector<Stage*> stagesOf(const Script* script) {
    std::vector<Stage*> stages;
    for (Stage* stage = script->stages; stage; stage = stage->next)
        stages.push_back(stage);
    return stages;
}

std::vector<std::string> frameNames(const Stage* stage) {
    std::vector<std::string> names;
    for (AnimFrame* frame = stage->animFrames; frame; frame = frame->next)
        names.push_back(frame->name);
    return names;
}
