// Speed of reading and writing script files, as ratios against floors
// measured in the same run on the same bytes: splitting the text into words,
// and one fwrite with fsync (the writer syncs too, so that a save survives a
// crash). Every measurement runs in a fresh child process, so that small and
// large files meet the same heap: cold, where every run pays the first touch
// of its new pages (a first Open in a new editor), or warm, where an untimed
// run first leaves the memory mapped (a long-running editor). Times are CPU
// time (user + system), medians of several children.
#include <malloc.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "script_file.h"
#include "script_file_text.h"
#include "script_library.h"

constexpr int RUNS = 15;
constexpr int SIZES[2] = {1000, 50000};
enum Figure { FIRST_READ, SECOND_READ, SPLIT, WRITE, FWRITE, FIGURES };

struct Measurement {
    std::function<void()> prepare, measured, cleanUp;  // only measured() is timed
};

// The CPU seconds of measured() in a fresh child process. Warm, the child
// first runs it once untimed, keeping the heap.
static double timeInChild(const Measurement& m, bool warm) {
    return figureInChild([&] {
        if (warm) {
            mallopt(M_TRIM_THRESHOLD, 1 << 30);
            mallopt(M_MMAP_THRESHOLD, 32 << 20);
            m.prepare();
            m.measured();
            m.cleanUp();
        }
        m.prepare();
        const double start = cpuSeconds();
        m.measured();
        return cpuSeconds() - start;
    });
}

static void splitWords(std::string& text) {
    char* state = nullptr;
    for (char* word = strtok_r(text.data(), TOKEN_SEPARATORS, &state); word;)
        word = strtok_r(nullptr, TOKEN_SEPARATORS, &state);
}

static void writeWithOneFwrite(const std::string& path, const std::string& bytes) {
    if (FILE* file = fopen(path.c_str(), "wb")) {
        fwrite(bytes.data(), 1, bytes.size(), file);
        fflush(file);
        fsync(fileno(file));
        fclose(file);
    }
}

static Measurement measurementOf(Figure figure, const std::string& path, const std::string& bytes,
                                 const std::string& folder, std::string& words) {
    static ScriptLibrary library;
    auto nothing = [] {};
    auto readFile = [&path] { readScriptFile(library, path.c_str()); };
    auto freeAll = [] { freeAllScripts(library); };
    switch (figure) {
        case FIRST_READ:
            return {nothing, readFile, freeAll};
        case SECOND_READ:
            return {readFile, readFile, freeAll};
        case SPLIT:
            return {[&] { words = bytes; }, [&] { splitWords(words); }, nothing};
        case WRITE:
            return {readFile, [&] { writeScriptFile(library, (folder + "/written.txt").c_str()); },
                    freeAll};
        default:
            return {nothing, [&] { writeWithOneFwrite(folder + "/fwrite.txt", bytes); }, nothing};
    }
}

int main() {
    char folder[] = "/tmp/bench-script-files-XXXXXX";
    if (!mkdtemp(folder)) {
        perror("mkdtemp");
        return 1;
    }
    std::string texts[2];
    std::string paths[2];
    for (int i = 0; i < 2; i++) {
        texts[i] = makeFileText(SIZES[i]);
        paths[i] = std::string(folder) + "/" + std::to_string(SIZES[i]) + ".txt";
        writeWithOneFwrite(paths[i], texts[i]);
    }
    // The runs go round the sizes, both heaps and every figure, so that a
    // change in the load of the machine touches them all alike.
    std::vector<double> samples[2][2][FIGURES];  // cold or warm, size, figure
    const std::string folderPath = folder;       // outlives every measurement
    std::string words;
    for (int run = 0; run < RUNS; run++)
        for (int i = 0; i < 2; i++)
            for (int warm = 0; warm < 2; warm++)
                for (int f = 0; f < FIGURES; f++) {
                    const Measurement m =
                        measurementOf((Figure)f, paths[i], texts[i], folderPath, words);
                    samples[warm][i][f].push_back(timeInChild(m, warm) * 1e3);
                }
    std::filesystem::remove_all(folder);

    double ms[2][2][FIGURES];
    for (int warm = 0; warm < 2; warm++)
        for (int i = 0; i < 2; i++)
            for (int f = 0; f < FIGURES; f++) ms[warm][i][f] = median(samples[warm][i][f]);
    printf("Ratios of median CPU times of %d runs, each in a fresh process (%.2f MB)\n", RUNS,
           (double)texts[1].size() / 1e6);
    printf("%-44s %6s %6s  %s\n", "ratio", "cold", "warm", "target");
    const char* names[] = {
        "read / split into words, 50,000 scripts", "first read per script, 50,000 / 1,000",
        "second read per script, 50,000 / 1,000", "write / one fwrite + fsync, 50,000 scripts"};
    const char* targets[] = {"<= 4 cold, 1.5 warm", "<= 1.5", "<= 1.5", "<= 5"};
    for (int row = 0; row < 4; row++) {
        printf("%-44s", names[row]);
        for (const auto& heap : ms) {
            const double perScript = (double)SIZES[0] / SIZES[1];
            const double ratios[] = {heap[1][FIRST_READ] / heap[1][SPLIT],
                                     heap[1][FIRST_READ] / heap[0][FIRST_READ] * perScript,
                                     heap[1][SECOND_READ] / heap[0][SECOND_READ] * perScript,
                                     heap[1][WRITE] / heap[1][FWRITE]};
            printf(" %6.2f", ratios[row]);
        }
        printf("  %s\n", targets[row]);
    }
    return 0;
}
