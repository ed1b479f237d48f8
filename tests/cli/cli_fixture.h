// Runs `veltra` in-process on files in a fresh folder and keeps what it printed.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli.h"

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

struct CliTest : ::testing::Test {
    std::string dir;

    void SetUp() override {
        char pattern[] = "/tmp/veltra-cli-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string path(const std::string& name) const { return dir + "/" + name; }

    std::string write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
        return path(name);
    }

    static std::string contents(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    static std::string drain(FILE* stream) {
        std::string text;
        rewind(stream);
        for (int c; (c = fgetc(stream)) != EOF;) text += (char)c;
        fclose(stream);
        return text;
    }

    static CliRun veltra(std::vector<std::string> args) {
        args.insert(args.begin(), "veltra");
        std::vector<const char*> argv;
        for (const std::string& arg : args) argv.push_back(arg.c_str());
        FILE* out = tmpfile();
        FILE* err = tmpfile();
        int status = runVeltra((int)argv.size(), argv.data(), {out, err});
        std::string outText = drain(out);
        return {status, outText, drain(err)};
    }
};
