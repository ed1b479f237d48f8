// Speed of reading and writing script files, as ratios against floors
// measured in the same run on the same bytes: splitting the text into words,
// and one fwrite with fsync (the writer syncs too, so that a save survives a
// crash). Every measurement runs in a fresh child process, so that small and
// large files meet the same heap: cold, where every run pays the first touch
// of its new pages (a first Open in a new editor), and warm, where one
// untimed run first leaves the memory mapped (a long-running editor). Times
// are CPU time (user + system), medians of several children.
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
    if (read(channel[0], &elapsed, sizeof elapsed) != sizeof elapsed || waitpid(child, nullptr, 0) != child)
        elapsed = -1;
    close(channel[0]);
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
    auto add = [&](const char* format, auto... values) {
        char line[512];
        snprintf(line, sizeof line, format, values...);
        text += line;
    };
    for (int i = 0; i < scripts; i++) {
        add("textures/level%d/surface_%d\n{\n%s%s", i % 37, i, i % 5 ? "" : "\tsubdivide 32\n",
            i % 11 ? "" : "\tvertexwarp 1.500000 0.250000 0.500000\n");
        add("\t{\n\t\tmap textures/level%d/base_%d.tga\n\t}\n", i % 37, i);
        if (i % 3 == 0)
            add("\t{\n\t\tmap textures/effects/glow_%d.jpg\n\t\talphashift 2.000000 0.200000 0.900000\n\t\tblendfunc "
                "GL_SRC_ALPHA GL_ONE\n\t\tscroll sine %f static -0.500000\n\t}\n", i % 13, 0.125 * (i % 7));
        if (i % 4 == 0)
            add("\t{\n\t\tmap textures/effects/flame.tga\n\t\tenvmap\n\t\tscale static 1.250000 static 1.250000\n\t\tanim "
                "0.100000 textures/anim/flame%d_0.tga textures/anim/flame%d_1.tga textures/anim/flame%d_2.tga "
                "textures/anim/flame%d_3.tga end\n\t\trotate 33.250000\n\t}\n", i % 97, i % 97, i % 97, i % 97);
        add("\t[\n\t\teditorimage textures/level%d/base_%d.tga\n\t]\n}\n\n", i % 37, i);
    }
    return text;
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
    double megabytes, read, secondRead, split, write, fwrite;
};

static Figures measure(int scripts, const std::string& folder, bool warm) {
    const std::string path = folder + "/scripts.txt", written = folder + "/written.txt", copy = folder + "/fwrite.txt";
    const std::string bytes = makeFileText(scripts);
    writeWithOneFwrite(path, bytes);
    const int runs = scripts >= 50000 ? 9 : scripts >= 10000 ? 11 : 31;
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
    return (all.back().*field / all.back().scripts) / (all.front().*field / all.front().scripts);
}

int main() {
    char folder[] = "/tmp/bench-script-files-XXXXXX";
    if (!mkdtemp(folder))
        return perror("mkdtemp"), 1;
    std::vector<Figures> cold, warm;
    for (int scripts : {1000, 10000, 50000}) {
        cold.push_back(measure(scripts, folder, false));
        warm.push_back(measure(scripts, folder, true));
    }
    rmdir(folder);

    printf("Median CPU ms, each run in a fresh process   cold heap (first use)       warm heap (memory kept)\n%-20s",
           "scripts");
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
    printf("\n(%.2f MB at %d scripts)\n\n%-44s %6s %6s  %s\n", cold.back().megabytes, cold.back().scripts, "ratio",
           "cold", "warm", "target");
    auto ratio = [&](const char* name, double (*value)(const std::vector<Figures>&), const char* target) {
        printf("%-44s %6.2f %6.2f  %s\n", name, value(cold), value(warm), target);
    };
    ratio("read / split into words, 50,000 scripts", [](auto& all) { return all.back().read / all.back().split; }, "<= 5");
    ratio("first read per script, 50,000 / 1,000", [](auto& all) { return perScript(all, &Figures::read); }, "<= 1.5");
    ratio("second read per script, 50,000 / 1,000", [](auto& all) { return perScript(all, &Figures::secondRead); },
          "<= 1.5");
    ratio("write / one fwrite + fsync, 50,000 scripts", [](auto& all) { return all.back().write / all.back().fwrite; },
          "<= 5");
    return 0;
}
