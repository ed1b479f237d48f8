// Time of loadTextureFile (read, decode, convert, size, upload) on large TGA
// and JPG images, as a ratio to DevIL's decode and conversion of the same
// bytes alone, both measured here in one run. Target: at most 1.5 for
// images whose sides are already powers of two.
#include "headless_gl.h"
#include "test_images.h"
#include "textures.h"

#include <GL/gl.h>
#include <IL/il.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

constexpr int RUNS = 15;

static double milliseconds(const std::function<void()>& call) {
    auto start = std::chrono::steady_clock::now();
    call();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

static double median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct Timing {
    double load, decode;
};

// Medians of RUNS timings of each call, taken in turns so that both see the
// same state of the machine.
static Timing timeInTurns(const std::function<void()>& load, const std::function<void()>& decode) {
    std::vector<double> loads, decodes;
    for (int i = 0; i < RUNS; i++) {
        loads.push_back(milliseconds(load));
        decodes.push_back(milliseconds(decode));
    }
    return {median(loads), median(decodes)};
}

static void decodeAndConvert(const Bytes& file, int imageType) {
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    if (!ilLoadL(imageType, file.data(), (ILuint)file.size()) || !ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE))
        fprintf(stderr, "DevIL could not decode a benchmark image\n");
    ilDeleteImages(1, &image);
}

// A photograph-like picture: smooth gradients with some fine detail, so JPEG
// has real work to do.
static Bytes picture(int side) {
    Bytes rgba = testPattern(side, side);
    for (size_t i = 0; i < rgba.size(); i += 4) rgba[i + 2] = (uint8_t)((i / 4 * 2654435761u) >> 29) * 8;
    return rgba;
}

int main() {
    HeadlessGL* gl = createHeadlessGL(16, 16);
    if (!gl) {
        fprintf(stderr, "no OpenGL context\n");
        return 1;
    }
    initImageLibrary();
    std::filesystem::path folder = std::filesystem::temp_directory_path() / ("veltra-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);

    printf("%-14s %12s %12s %8s\n", "image", "load ms", "decode ms", "ratio");
    bool withinTarget = true;
    for (int side : {1024, 1000}) {
        Bytes rgba = picture(side);
        const struct { const char* kind; int type; Bytes bytes; } images[] = {
            {"tga", IMAGE_TYPE_TGA, encodeTga(side, side, rgba)},
            {"jpg", IMAGE_TYPE_JPG, encodeJpg(side, side, rgba)},
        };
        for (const auto& image : images) {
            std::string path = (folder / ("bench." + std::string(image.kind))).string();
            writeBytes(path, image.bytes);
            Timing t = timeInTurns([&] { loadTextureFile(path.c_str(), image.type); },
                                   [&] { decodeAndConvert(image.bytes, image.type); });
            double ratio = t.load / t.decode;
            bool powerOfTwo = side == 1024;
            if (powerOfTwo && ratio > 1.5) withinTarget = false;
            printf("%4dx%-4d %-4s %12.2f %12.2f %8.2f%s\n", side, side, image.kind, t.load, t.decode, ratio,
                   powerOfTwo ? "  (target <= 1.50)" : "");
        }
    }
    printf("power-of-two images within target: %s\n", withinTarget ? "yes" : "no");
    std::filesystem::remove_all(folder);
    shutdownImageLibrary();
    destroyHeadlessGL(gl);
    return 0;
}
