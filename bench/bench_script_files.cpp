// Speed of reading and writing script files, as ratios against floors
// measured in the same run on the same bytes:
//   read / splitting the text into words with the four separators
//   read time per script at 50,000 scripts / at 1,000, for a first read into
//         an empty library and for a second read of the same file (every
//         script replaced)
//   write / writing the same bytes with one fwrite and fsync (the writer
//         also syncs, so that a save survives a crash)
// Every measurement runs in a fresh child process, so that small and large
// files meet the same heap: cold, where every run pays the first touch of
// its new pages (a first Open in a new editor), and warm, where one untimed
// run first leaves the memory mapped for the timed one (a long-running
// editor). Times are CPU time (user + system), medians of several children.
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "script_file.h"

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
            mallopt(M_MMAP_THRESHOLD, 1 << 30);
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
    if (child > 0)
        waitpid(child, nullptr, 0);
    return elapsed;
}

static double median(int runs, bool warm, const Measurement& m) {
    std::vector<double> times;
    for (int i = 0; i < runs; i++)
        times.push_back(timeInChild(m, warm));
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A file like a merged set of game files: scripts of one to three stages
// with maps, blending, scrolling and the odd animation.
static std::string makeFileText(int scripts) {
    std::string text;
    char line[512];
    for (int i = 0; i < scripts; i++) {
        snprintf(line, sizeof line, "textures/level%d/surface_%d\n{\n", i % 37, i);
        text += line;
        if (i % 5 == 0)
            text += "\tsubdivide 32\n";
        if (i % 11 == 0)
            text += "\tvertexwarp 1.500000 0.250000 0.500000\n";
        snprintf(line, sizeof line, "\t{\n\t\tmap textures/level%d/base_%d.tga\n\t}\n", i % 37, i);
        text += line;
        if (i % 3 == 0) {
            snprintf(line, sizeof line,
                     "\t{\n\t\tmap textures/effects/glow_%d.jpg\n\t\talphashift 2.000000 0.200000 0.900000\n"
                     "\t\tblendfunc GL_SRC_ALPHA GL_ONE\n\t\tscroll sine %f static -0.500000\n\t}\n",
                     i % 13, 0.125 * (i % 7));
            text += line;
        }
        if (i % 4 == 0) {
            text += "\t{\n\t\tmap textures/effects/flame.tga\n\t\tenvmap\n"
                    "\t\tscale static 1.250000 static 1.250000\n\t\tanim 0.100000 ";
            for (int frame = 0; frame < 4; frame++) {
                snprintf(line, sizeof line, "textures/anim/flame%d_%d.tga ", i % 97, frame);
                text += line;
            }
            text += "end\n\t\trotate 33.250000\n\t}\n";
        }
        snprintf(line, sizeof line, "\t[\n\t\teditorimage textures/level%d/base_%d.tga\n\t]\n}\n\n", i % 37, i);
        text += line;
    }
    return text;
}

static size_t splitWords(std::string& text) {
    size_t words = 0;
    char* state = nullptr;
    for (char* word = strtok_r(text.data(), TOKEN_SEPARATORS, &state); word;
         word = strtok_r(nullptr, TOKEN_SEPARATORS, &state))
        words++;
    return words;
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
    double megabytes, read, secondRead, split, write, fwrite;
};

static Figures measure(int scripts, const std::string& folder, bool warm) {
    const std::string path = folder + "/scripts.txt", written = folder + "/written.txt", copy = folder + "/fwrite.txt";
    const std::string bytes = makeFileText(scripts);
    writeWithOneFwrite(path, bytes);
    const int runs = scripts >= 50000 ? 7 : scripts >= 10000 ? 11 : 21;
    std::string words;
    auto nothing = [] {};
    auto readFile = [&] { readScriptFile(path.c_str()); };
    Figures f = {scripts, (double)bytes.size() / 1e6, 0, 0, 0, 0, 0};
    f.read = median(runs, warm, {nothing, readFile, freeAllScripts});
    f.secondRead = median(runs, warm, {readFile, readFile, freeAllScripts});
    f.split = median(runs, warm, {[&] { words = bytes; }, [&] { splitWords(words); }, nothing});
    f.write = median(runs, warm, {readFile, [&] { writeScriptFile(written.c_str()); }, freeAllScripts});
    f.fwrite = median(runs, warm, {nothing, [&] { writeWithOneFwrite(copy, bytes); }, nothing});
    for (const std::string& file : {path, written, copy})
        unlink(file.c_str());
    return f;
}

static double perScript(const std::vector<Figures>& all, double Figures::*field) {
    const Figures& small = all.front();
    const Figures& large = all.back();
    return (large.*field / large.scripts) / (small.*field / small.scripts);
}

int main() {
    char folder[] = "/tmp/bench-script-files-XXXXXX";
    if (!mkdtemp(folder)) {
        perror("mkdtemp");
        return 1;
    }
    std::vector<Figures> cold, warm;
    for (int scripts : {1000, 10000, 50000}) {
        cold.push_back(measure(scripts, folder, false));
        warm.push_back(measure(scripts, folder, true));
    }
    rmdir(folder);

    printf("Median CPU ms, each run in a fresh process   cold heap (first use)       warm heap (memory kept)\n");
    printf("%-20s", "scripts");
    for (const auto* figures : {&cold, &warm})
        for (const Figures& f : *figures)
            printf("%10d", f.scripts);
    const std::pair<const char*, double Figures::*> rows[] = {
        {"first read", &Figures::read}, {"second read", &Figures::secondRead}, {"split into words", &Figures::split},
        {"write", &Figures::write}, {"one fwrite + fsync", &Figures::fwrite}};
    for (auto [name, field] : rows) {
        printf("\n%-20s", name);
        for (const auto* figures : {&cold, &warm})
            for (const Figures& f : *figures)
                printf("%10.3f", f.*field * 1e3);
    }
    printf("\n(file of %.2f MB at %d scripts)\n\n", cold.back().megabytes, cold.back().scripts);
    printf("%-44s %6s %6s  %s\n", "ratio", "cold", "warm", "target");
    printf("%-44s %6.2f %6.2f  <= 5\n", "read / split into words, 50,000 scripts", cold.back().read / cold.back().split,
           warm.back().read / warm.back().split);
    printf("%-44s %6.2f %6.2f  <= 1.5\n", "first read per script, 50,000 / 1,000", perScript(cold, &Figures::read),
           perScript(warm, &Figures::read));
    printf("%-44s %6.2f %6.2f  <= 1.5\n", "second read per script, 50,000 / 1,000",
           perScript(cold, &Figures::secondRead), perScript(warm, &Figures::secondRead));
    printf("%-44s %6.2f %6.2f  <= 5\n", "write / one fwrite + fsync, 50,000 scripts",
           cold.back().write / cold.back().fwrite, warm.back().write / warm.back().fwrite);
    return 0;
}
