// Speed of reading and writing script files, each as a ratio against a
// floor measured in the same run on the same bytes:
//   read  / splitting the text into words with the four separators
//   read time per script at the largest size / at the smallest, for a first
//         read into an empty library and for a second read of the same file
//         (every script replaced)
//   write / writing the same bytes with one fwrite (and fsync, which the
//         writer also does so that a save survives a crash)
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "script_file.h"

// CPU time of the process (user and system), which other programs on a
// busy machine disturb far less than wall time. Waiting for the disk in
// fsync is not counted, on either side of the write ratio.
static double cpuSeconds() {
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return (double)now.tv_sec + (double)now.tv_nsec * 1e-9;
}

static double seconds(const std::function<void()>& work) {
    double start = cpuSeconds();
    work();
    return cpuSeconds() - start;
}

// Median time of runs of measured(), each after an untimed prepare().
static double median(int runs, const std::function<void()>& prepare, const std::function<void()>& measured) {
    std::vector<double> times;
    for (int i = 0; i < runs; i++) {
        prepare();
        times.push_back(seconds(measured));
    }
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
                     "\t{\n\t\tmap textures/effects/glow_%d.jpg\n"
                     "\t\talphashift 2.000000 0.200000 0.900000\n"
                     "\t\tblendfunc GL_SRC_ALPHA GL_ONE\n"
                     "\t\tscroll sine %f static -0.500000\n\t}\n",
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

static std::string fileBytes(const char* path) {
    std::string bytes;
    FILE* file = fopen(path, "rb");
    if (!file)
        return bytes;
    char chunk[65536];
    size_t count;
    while ((count = fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.append(chunk, count);
    fclose(file);
    return bytes;
}

static size_t splitWords(std::string& text) {
    size_t words = 0;
    char* state = nullptr;
    for (char* word = strtok_r(text.data(), TOKEN_SEPARATORS, &state); word;
         word = strtok_r(nullptr, TOKEN_SEPARATORS, &state))
        words++;
    return words;
}

static void writeWithOneFwrite(const char* path, const std::string& bytes, bool sync) {
    FILE* file = fopen(path, "wb");
    if (!file)
        return;
    fwrite(bytes.data(), 1, bytes.size(), file);
    fflush(file);
    if (sync)
        fsync(fileno(file));
    fclose(file);
}

struct Figures {
    int scripts;
    double size;
    double read, split, secondRead, write, fwriteSynced, fwritePlain;
};

static Figures measure(int scripts, const std::string& folder) {
    std::string path = folder + "/scripts.txt", copyPath = folder + "/fwrite.txt";
    int runs = scripts >= 50000 ? 9 : scripts >= 10000 ? 15 : 41;
    Figures figures = {};
    figures.scripts = scripts;

    std::string bytes = makeFileText(scripts);
    figures.size = (double)bytes.size();
    writeWithOneFwrite(path.c_str(), bytes, false);

    std::string words;
    size_t wordCount = 0;
    figures.split = median(runs, [&] { words = bytes; }, [&] { wordCount += splitWords(words); });
    figures.read = median(runs, [] { freeAllScripts(); }, [&] { readScriptFile(path.c_str()); });
    figures.secondRead = median(
        runs, [&] { freeAllScripts(); readScriptFile(path.c_str()); }, [&] { readScriptFile(path.c_str()); });

    figures.write = median(runs, [] {}, [&] { writeScriptFile(path.c_str()); });
    figures.fwriteSynced = median(runs, [] {}, [&] { writeWithOneFwrite(copyPath.c_str(), bytes, true); });
    figures.fwritePlain = median(runs, [] {}, [&] { writeWithOneFwrite(copyPath.c_str(), bytes, false); });
    if (fileBytes(path.c_str()) != bytes)
        fprintf(stderr, "the written file differs from the generated one\n");
    freeAllScripts();
    if (wordCount == 0)
        fprintf(stderr, "no words in %s\n", path.c_str());
    return figures;
}

static void report(const char* title, const std::vector<Figures>& all) {
    printf("%s\n", title);
    printf("%8s %9s %10s %10s %12s %10s %12s %12s\n", "scripts", "MB", "read ms", "split ms",
           "2nd read ms", "write ms", "fwrite+sync", "fwrite ms");
    for (const Figures& f : all)
        printf("%8d %9.2f %10.3f %10.3f %12.3f %10.3f %12.3f %12.3f\n", f.scripts, f.size / 1e6,
               f.read * 1e3, f.split * 1e3, f.secondRead * 1e3, f.write * 1e3, f.fwriteSynced * 1e3,
               f.fwritePlain * 1e3);

    const Figures& small = all.front();
    const Figures& large = all.back();
    auto perScript = [](double time, const Figures& f) { return time / f.scripts; };
    printf("  read / split into words at %d:               %5.2f  (target <= 5)\n", large.scripts,
           large.read / large.split);
    printf("  read per script, %d / %d:                 %5.2f  (target <= 1.5)\n", large.scripts,
           small.scripts, perScript(large.read, large) / perScript(small.read, small));
    printf("  second read per script, %d / %d:          %5.2f  (target <= 1.5)\n", large.scripts,
           small.scripts, perScript(large.secondRead, large) / perScript(small.secondRead, small));
    printf("  write / one fwrite with fsync at %d:         %5.2f  (target <= 5)\n", large.scripts,
           large.write / large.fwriteSynced);
    printf("  write / one fwrite without fsync at %d:      %5.2f\n\n", large.scripts,
           large.write / large.fwritePlain);
}

static std::vector<Figures> measureAll(const char* folder) {
    std::vector<Figures> all;
    for (int scripts : {1000, 10000, 50000})
        all.push_back(measure(scripts, folder));
    return all;
}

int main() {
    char folder[] = "/tmp/bench-script-files-XXXXXX";
    if (!mkdtemp(folder)) {
        perror("mkdtemp");
        return 1;
    }
    // By default the C library hands the memory of a freed large library
    // back to the system, and the next read of a large file pays a page
    // fault for every new page, which a small file (on a heap that is kept)
    // does not. The second table keeps the heap, as a long-running editor
    // process does after its first large file: it shows the reader's own
    // cost per script.
    report("Memory handed back after each free (the C library's default):", measureAll(folder));
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    report("Heap kept between reads:", measureAll(folder));

    std::string path = std::string(folder) + "/scripts.txt", copyPath = std::string(folder) + "/fwrite.txt";
    unlink(path.c_str());
    unlink(copyPath.c_str());
    rmdir(folder);
    return 0;
}
