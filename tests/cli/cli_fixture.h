// Runs `veltra` in-process on files in a fresh folder and keeps what it printed.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli.h"

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

// The whole of a file; or of a stream from its start, which is then closed.
inline std::string contents(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
inline std::string contents(FILE* stream) {
    std::string text;
    rewind(stream);
    for (int c; (c = fgetc(stream)) != EOF;) text += (char)c;
    fclose(stream);
    return text;
}

// Every test in a folder of its own; every record its commands made must be given back.
struct CliTest : ::testing::Test {
    std::string dir = "/tmp/veltra-cli-XXXXXX";
    const size_t recordsBefore = recordsInUse();

    void SetUp() override { ASSERT_NE(mkdtemp(dir.data()), nullptr); }
    void TearDown() override {
        std::filesystem::remove_all(dir);
        EXPECT_EQ(recordsInUse(), recordsBefore) << "records outlived the commands";
    }

    std::string path(const std::string& name) const { return dir + "/" + name; }
    std::string write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
        return path(name);
    }

    static CliRun veltra(std::vector<std::string> args) {
        args.insert(args.begin(), "veltra");
        std::vector<const char*> argv;
        for (const std::string& arg : args) argv.push_back(arg.c_str());
        FILE* out = tmpfile();
        FILE* err = tmpfile();
        const int status = runVeltra((int)argv.size(), argv.data(), {out, err});
        return {status, contents(out), contents(err)};
    }
};
