// A fresh library for every test. Once it is gone, every record the test made
// must have been given back, so nothing one test leaves can reach the next.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "script_file.h"
#include "script_library.h"

// The words of a text joined by single spaces: a written library on one line.
inline std::string squeezed(const std::string& text) {
    std::istringstream in(text);
    std::string out;
    for (std::string word; in >> word;) out += (out.empty() ? "" : " ") + word;
    return out;
}

// The library's text in the writer's layout, byte for byte.
inline std::string writtenText(const ScriptLibrary& library) {
    FILE* file = tmpfile();
    const bool written = writeScriptLayout(library, fileno(file));
    std::string text;
    rewind(file);
    for (int c; (c = fgetc(file)) != EOF;) text += (char)c;
    fclose(file);
    return written ? text : "(not written)";
}

inline void readText(ScriptLibrary& library, const std::string& text) {
    readScriptText(library, text.data(), text.size());
}

struct ModelTest : ::testing::Test {
    struct RecordsGivenBack {
        const size_t before = recordsInUse();  // 0 unless an earlier test failed this check
        ~RecordsGivenBack() { EXPECT_EQ(recordsInUse(), before) << "records outlived the library"; }
    } givenBack;  // destroyed after the library
    ScriptLibrary library;

    void read(const std::string& text) { readText(library, text); }
    // The library written, on one line.
    std::string layout() const { return squeezed(writtenText(library)); }
};
