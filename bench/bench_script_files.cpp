// Speed of reading and writing script files, as ratios against floors
// measured in the same run on the same bytes: splitting the text into words,
// and one fwrite with fsync (the writer syncs too, so that a save survives a
// crash). Every measurement runs in a fresh child process, so that small and
// large files meet the same heap: cold, where every run pays the first touch
// of its new pages (a first Open in a new editor), or warm, where an untimed
// run first leaves the memory mapped (a long-running editor). Times are CPU
// time (user + system), medians of several children.
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "script_file.h"
#include "script_file_text.h"

static double cpuSeconds() {
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return (double)now.tv_sec + (double)now.tv_nsec * 1e-9;
}

struct Measurement {
    std::function<void()> prepare, measured, cleanUp;  // only measured() is timed
};

// The CPU time of a measurement in a fresh child process; negative if the
// child failed. Warm, the child first runs it once untimed, keeping the heap.
static double timeInChild(const Measurement& m, bool warm) {
    int channel[2];
    if (pipe(channel) != 0)
        return -1;
    pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        if (warm) {
            mallopt(M_TRIM_THRESHOLD, 1 << 30);
            mallopt(M_MMAP_THRESHOLD, 32 << 20);
            m.prepare(), m.measured(), m.cleanUp();
        }
        m.prepare();
        double start = cpuSeconds();
        m.measured();
        double elapsed = cpuSeconds() - start;
        _exit(write(channel[1], &elapsed, sizeof elapsed) == sizeof elapsed ? 0 : 1);
    }
    close(channel[1]);
    double elapsed = -1;
    if (child < 0 || read(channel[0], &elapsed, sizeof elapsed) != sizeof elapsed)
        elapsed = -1;
    close(channel[0]);
    waitpid(child, nullptr, 0);
    return elapsed;
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

struct Figures {
    int scripts;
    double read, secondRead, split, write, fwrite;
};
static constexpr double Figures::*TIMES[] = {&Figures::read, &Figures::secondRead, &Figures::split, &Figures::write,
                                             &Figures::fwrite};

// Each figure once, for the file of the given size, each in a child of its own.
static Figures measure(int scripts, const std::string& bytes, const std::string& folder, bool warm) {
    const std::string path = folder + "/" + std::to_string(scripts) + ".txt", written = folder + "/written.txt";
    std::string words;
    auto nothing = [] {};
    auto readFile = [&] { readScriptFile(path.c_str()); };
    return {scripts, timeInChild({nothing, readFile, freeAllScripts}, warm),
            timeInChild({readFile, readFile, freeAllScripts}, warm),
            timeInChild({[&] { words = bytes; }, [&] { splitWords(words); }, nothing}, warm),
            timeInChild({readFile, [&] { writeScriptFile(written.c_str()); }, freeAllScripts}, warm),
            timeInChild({nothing, [&] { writeWithOneFwrite(folder + "/fwrite.txt", bytes); }, nothing}, warm)};
}

// read / split, first and second read per script at the largest size / at
// the smallest, write / one fwrite.
static std::array<double, 4> ratios(const std::vector<Figures>& all) {
    const Figures &small = all.front(), &large = all.back();
    auto perScript = [&](double Figures::*field) { return (large.*field / large.scripts) / (small.*field / small.scripts); };
    return {large.read / large.split, perScript(&Figures::read), perScript(&Figures::secondRead), large.write / large.fwrite};
}

int main() {
    char folder[] = "/tmp/bench-script-files-XXXXXX";
    if (!mkdtemp(folder))
        return perror("mkdtemp"), 1;
    const int sizes[] = {1000, 10000, 50000};
    std::string texts[3];
    for (int i = 0; i < 3; i++) {
        texts[i] = makeFileText(sizes[i]);
        writeWithOneFwrite(std::string(folder) + "/" + std::to_string(sizes[i]) + ".txt", texts[i]);
    }
    // The runs go round the sizes and both heaps, so that a change in the
    // load of the machine touches them all alike.
    std::vector<Figures> samples[2][3], all[2];  // cold, warm
    for (int run = 0; run < 15; run++)
        for (int i = 0; i < 3; i++)
            for (bool warm : {false, true})
                samples[warm][i].push_back(measure(sizes[i], texts[i], folder, warm));
    for (bool warm : {false, true})
        for (int i = 0; i < 3; i++) {
            Figures median = {sizes[i], 0, 0, 0, 0, 0};
            for (auto field : TIMES) {
                std::vector<double> times;
                for (const Figures& f : samples[warm][i])
                    times.push_back(f.*field);
                std::sort(times.begin(), times.end());
                median.*field = times[times.size() / 2];
            }
            all[warm].push_back(median);
        }
    std::filesystem::remove_all(folder);

    printf("Median CPU ms of %zu runs, each in a fresh process   cold heap (first use)    warm heap (memory kept)\n%-20s",
           samples[0][0].size(), "scripts");
    for (const auto& figures : all)
        for (const Figures& f : figures)
            printf("%10d", f.scripts);
    const char* rows[] = {"first read", "second read", "split into words", "write", "one fwrite + fsync"};
    for (int row = 0; row < 5; row++) {
        printf("\n%-20s", rows[row]);
        for (const auto& figures : all)
            for (const Figures& f : figures)
                printf("%10.3f", f.*TIMES[row] * 1e3);
    }
    const char* names[] = {"read / split into words, 50,000 scripts", "first read per script, 50,000 / 1,000",
                           "second read per script, 50,000 / 1,000", "write / one fwrite + fsync, 50,000 scripts"};
    const char* targets[] = {"<= 4 cold, 1.5 warm", "<= 1.5", "<= 1.5", "<= 5"};
    std::array<double, 4> cold = ratios(all[0]), warm = ratios(all[1]);
    printf("\n(%.2f MB at 50,000 scripts)\n\n%-44s %6s %6s  %s\n", (double)texts[2].size() / 1e6, "ratio", "cold",
           "warm", "target");
    for (int i = 0; i < 4; i++)
        printf("%-44s %6.2f %6.2f  %s\n", names[i], cold[i], warm[i], targets[i]);
    return 0;
}
