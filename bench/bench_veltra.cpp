// `veltra check` on a generated file of 50,000 scripts, as a ratio to the
// reader alone on the same file (the observer's whole cost, and that of
// turning offsets into lines and columns), and `veltra thumbnails` on 1,000
// scripts in milliseconds per script (decoding, drawing, PNG writing).
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench_timing.h"
#include "cli.h"
#include "script_file.h"
#include "script_library.h"
#include "test_images.h"

namespace {

// Scripts as artists write them, every fifth with something to report.
std::string generateLibrary(int scripts, int images) {
    std::string text;
    for (int i = 0; i < scripts; i++) {
        const std::string image = "pics/img" + std::to_string(i % images) + ".tga";
        text += "lib/script" + std::to_string(i) + "\n{\n\tsubdivide 32\n\t{\n\t\tmap " + image +
                "\n\t\tscroll sine 0.5 static 0.25\n\t\tblendfunc GL_ONE GL_ONE\n";
        if (i % 5 == 0) text += "\t\tshimmer 2\n";
        text += "\t\tanim 0.25 " + image + " pics/img0.tga end\n\t}\n}\n\n";
    }
    return text;
}

int runQuietly(std::vector<std::string> args) {
    args.insert(args.begin(), "veltra");
    std::vector<const char*> argv;
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    FILE* sink = fopen("/dev/null", "w");
    int status = runVeltra((int)argv.size(), argv.data(), {sink, sink});
    fclose(sink);
    return status;
}

}  // namespace

int main() {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("bench-veltra-" + std::to_string(getpid()));
    fs::create_directories(dir / "pics");
    const std::string big = (dir / "big.txt").string();
    std::ofstream(big) << generateLibrary(50000, 50);

    constexpr int RUNS = 9;
    std::vector<double> reader;
    std::vector<double> check;
    for (int run = 0; run < RUNS; run++) {  // alternated, so that load changes touch both alike
        reader.push_back(milliseconds([&] {
            ScriptLibrary library;
            readScriptFile(library, big.c_str());
        }));
        check.push_back(milliseconds([&] { runQuietly({"check", big}); }));
    }
    printf(
        "check, 50,000 scripts: reader %.1f ms, veltra check %.1f ms, ratio %.2f (target <= 2)\n",
        median(reader), median(check), median(check) / median(reader));

    const Bytes image = encodeTga(64, 64, testPattern(64, 64));
    for (int i = 0; i < 50; i++)
        std::ofstream(dir / "pics" / ("img" + std::to_string(i) + ".tga"), std::ios::binary)
            .write((const char*)image.data(), (std::streamsize)image.size());
    const std::string small = (dir / "thumbs.txt").string();
    std::ofstream(small) << generateLibrary(1000, 50);
    std::vector<double> thumbnails;
    for (int run = 0; run < 3; run++)
        thumbnails.push_back(milliseconds([&] {
            runQuietly({"thumbnails", small, "--size", "128", "-o", (dir / "out").string()});
        }));
    printf("thumbnails, 1,000 scripts at 128 x 128: %.2f ms per script\n",
           median(thumbnails) / 1000.0);
    fs::remove_all(dir);
    return 0;
}
