// Runs `veltra` in-process on files in a fresh folder and keeps what it printed.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
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

inline std::string contents(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
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
    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        return write(name, std::string(bytes.begin(), bytes.end()));
    }

    // What the command printed goes to files in the folder, read once it is done.
    CliRun veltra(std::vector<std::string> args) const {
        args.insert(args.begin(), "veltra");
        std::vector<const char*> argv;
        for (const std::string& arg : args) argv.push_back(arg.c_str());
        FILE* out = fopen(path(".out").c_str(), "w");
        FILE* err = fopen(path(".err").c_str(), "w");
        const int status = runVeltra((int)argv.size(), argv.data(), {out, err});
        fclose(out);
        fclose(err);
        return {status, contents(path(".out")), contents(path(".err"))};
    }
};
