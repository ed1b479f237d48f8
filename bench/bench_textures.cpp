// Time of loadTextureFile (read, decode, resize, upload) on TGA and JPG
// images, as a ratio to DevIL's decode and conversion of the same bytes
// alone (ilLoadL, then RGBA), both measured here in one run. Target: at most
// 1.5 for images whose sides must be resized to powers of two, over 50 sizes
// from a few pixels to 1500, in each type. The median and the worst ratio of
// the set are reported, and the worst among images whose decode takes at
// least 0.1 ms: below that, opening and reading the file, which DevIL's
// decode from memory leaves out, costs more than the decode.
#include "bench_timing.h"
#include "headless_gl.h"
#include "test_images.h"
#include "textures.h"

#include <GL/gl.h>
#include <IL/il.h>

#include <unistd.h>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

constexpr int RUNS = 15;
constexpr int SIZE_COUNT = 50;
constexpr double TARGET = 1.5;

static void decodeAndConvert(const Bytes& file, int imageType) {
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    if (!ilLoadL(imageType, file.data(), (ILuint)file.size()) ||
        !ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE))
        fprintf(stderr, "DevIL could not decode a benchmark image\n");
    ilDeleteImages(1, &image);
}

static bool isPowerOfTwo(int side) {
    return (side & (side - 1)) == 0;
}

// Sides growing geometrically from 7 to 1500, so that every size step of the
// texture is met, enlarged and reduced; odd and even, wider and taller (0.55
// to 1.45 times the width), never a power of two.
static std::vector<std::pair<int, int>> resizedSizes() {
    std::vector<std::pair<int, int>> sizes;
    for (int i = 0; i < SIZE_COUNT; i++) {
        int width = (int)lround(7 * pow(1500.0 / 7, i / (SIZE_COUNT - 1.0)));
        int height = (int)lround(width * (0.55 + 0.1 * (i * 7 % 10)));
        height = std::min(std::max(height, 5), 1500);
        if (isPowerOfTwo(width)) width++;
        if (isPowerOfTwo(height)) height++;
        sizes.push_back({width, height});
    }
    return sizes;
}

// A photograph-like picture: smooth ramps with fine detail, so that JPEG has
// real work to do.
static Bytes photoLike(int width, int height) {
    Bytes rgba = testPattern(width, height);
    for (size_t i = 0; i < rgba.size(); i += 4)
        rgba[i + 2] = (uint8_t)((i / 4 * 2654435761u) >> 29) * 8;
    return rgba;
}

struct Timing {
    double load;
    double decode;
    double ratio() const { return load / decode; }
};

// Medians of RUNS timings of each, taken in turns so that both see the same
// state of the machine.
static Timing timeImage(const std::string& path, const Bytes& bytes, int type) {
    ImageLoading loading;
    std::ofstream(path, std::ios::binary).write((const char*)bytes.data(), bytes.size());
    std::vector<double> loads;
    std::vector<double> decodes;
    for (int i = 0; i < RUNS; i++) {
        loads.push_back(milliseconds([&] { loadTextureFile(path.c_str(), type, loading); }));
        decodes.push_back(milliseconds([&] { decodeAndConvert(bytes, type); }));
    }
    return {median(loads), median(decodes)};
}

// The largest ratio and its image.
struct Worst {
    double ratio = 0;
    std::string image;
    void consider(double r, const std::string& name) {
        if (r > ratio) image = name;
        ratio = std::max(ratio, r);
    }
};

int main() {
    HeadlessGL* gl = createHeadlessGL(16, 16);
    if (!gl) {
        fprintf(stderr, "no OpenGL context\n");
        return 1;
    }
    initImageLibrary();
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const std::string path = "/tmp/veltra-bench-" + std::to_string(getpid());

    printf("%-10s %10s %10s %7s %10s %10s %7s\n", "image", "tga load", "decode", "ratio",
           "jpg load", "decode", "ratio");
    std::vector<double> ratios;
    Worst worst;
    Worst worstOfSlower;  // decodes of 0.1 ms or more
    std::vector<std::pair<int, int>> sizes = {{1024, 1024}, {256, 512}};  // not resized
    for (const auto& size : resizedSizes()) sizes.push_back(size);
    for (size_t s = 0; s < sizes.size(); s++) {
        const auto [width, height] = sizes[s];
        const Bytes rgba = photoLike(width, height);
        const Timing tga = timeImage(path, encodeTga(width, height, rgba), IMAGE_TYPE_TGA);
        const Timing jpg = timeImage(path, encodeJpg(width, height, rgba), IMAGE_TYPE_JPG);
        const std::string name = std::to_string(width) + "x" + std::to_string(height);
        printf("%-10s %10.3f %10.3f %7.2f %10.3f %10.3f %7.2f\n", name.c_str(), tga.load,
               tga.decode, tga.ratio(), jpg.load, jpg.decode, jpg.ratio());
        if (s < 2) continue;  // the sizes that need no resizing are shown, not counted
        for (const auto& [kind, timing] : {std::pair("tga", tga), std::pair("jpg", jpg)}) {
            ratios.push_back(timing.ratio());
            worst.consider(timing.ratio(), name + " " + kind);
            if (timing.decode >= 0.1) worstOfSlower.consider(timing.ratio(), name + " " + kind);
        }
    }
    printf("resized loads, %zu images: ratio median %.2f, worst %.2f (%s)\n", ratios.size(),
           median(ratios), worst.ratio, worst.image.c_str());
    printf("  of those whose decode takes 0.1 ms or more: worst %.2f (%s)\n", worstOfSlower.ratio,
           worstOfSlower.image.c_str());
    printf("median within target (<= %.2f): %s; every image: %s\n", TARGET,
           median(ratios) <= TARGET ? "yes" : "no", worst.ratio <= TARGET ? "yes" : "no");
    remove(path.c_str());
    shutdownImageLibrary();
    destroyHeadlessGL(gl);
    return 0;
}
