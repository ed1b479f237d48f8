// The decoders against files written here with known pixels, damaged files
// against the DevIL error each must give, and the resampler against GLU's
// gluScaleImage itself.
#include "headless_gl.h"
#include "image_decoders.h"
#include "test_images.h"
#include "textures.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <IL/il.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

using Ints = std::vector<int>;

struct Decoded {
    int error;
    int width;
    int height;
    Bytes pixels;
};

static Decoded decoded(const Bytes& file, int imageType) {
    DecodedImage image;
    const int error = decodeImage(file.data(), file.size(), imageType, &image);
    Bytes pixels(image.pixels, image.pixels + (size_t)image.width * image.height * 4);
    Decoded result = {error, image.width, image.height, pixels};
    freeImage(&image);
    return result;
}

TEST(ImageDecoders, SubFormatsGiveThePixelsTheFileHolds) {
    for (const SampleImage& sample : subFormatSamples()) {
        SCOPED_TRACE(sample.name);
        const Decoded image = decoded(sample.file, sample.imageType);
        ASSERT_EQ(Ints({image.error, image.width, image.height}),
                  Ints({IL_NO_ERROR, sample.width, sample.height}));
        for (size_t i = 0; i < image.pixels.size(); i++)
            ASSERT_NEAR(image.pixels[i], sample.rgba[i], sample.tolerance)
                << "pixel " << i / 4 << " channel " << i % 4;
    }
}

// Packets of every count: TGA's runs and plain packets of 1 to 128 pixels
// (here a run of 7s, a plain packet of 10, 11, ..., then a run of 250s cut
// to the one pixel left), PCX's runs of 0 to 63 bytes (7s, then a plain 9).
TEST(ImageDecoders, RunLengthPacketsOfEveryCount) {
    auto grey = [](const Bytes& values) {
        Bytes rgba;
        for (uint8_t v : values) rgba.insert(rgba.end(), {v, v, v, 255});
        return rgba;
    };
    for (int n = 1; n <= 128; n++) {
        Bytes values(n, 7);
        Bytes tga = tgaHeader(11, 0, 0, 0, 2 * n + 1, 1, 8, 0x20);
        tga.insert(tga.end(), {uint8_t(0x80 | (n - 1)), 7, uint8_t(n - 1)});
        for (int i = 0; i < n; i++) values.push_back(uint8_t(10 + i));
        tga.insert(tga.end(), values.begin() + n, values.end());
        tga.insert(tga.end(), {uint8_t(0x80 | (n - 1)), 250});
        values.push_back(250);
        EXPECT_EQ(decoded(tga, IMAGE_TYPE_TGA).pixels, grey(values)) << "tga, " << n;
    }
    for (int n = 0; n <= 63; n++) {
        Bytes pcx = pcxHeader(8, n + 1, 1, 1, n + 1, {});
        pcx.insert(pcx.end(), {uint8_t(0xC0 + n), 7, 9, 12});
        for (int k = 0; k < 256; k++) pcx.insert(pcx.end(), 3, uint8_t(k));
        Bytes values(n, 7);
        values.push_back(9);
        EXPECT_EQ(decoded(pcx, IMAGE_TYPE_PCX).pixels, grey(values)) << "pcx, " << n;
    }
}

static Bytes cut(const Bytes& file, size_t length) {
    return Bytes(file.begin(), file.begin() + length);
}

static Bytes sampleFile(const std::string& name) {
    for (const SampleImage& sample : subFormatSamples())
        if (name == sample.name) return sample.file;
    return Bytes();
}

// Up to the start of the last scan (its marker 0xFF 0xDA).
static Bytes cutAtLastScan(const Bytes& jpg) {
    size_t at = jpg.size() - 2;
    while (at > 0 && !(jpg[at] == 0xFF && jpg[at + 1] == 0xDA)) at--;
    return cut(jpg, at);
}

static Bytes withByte(Bytes file, size_t at, uint8_t value) {
    file.at(at) = value;
    return file;
}

// Damaged copies of valid files: each refused with the error that says why,
// leaving no pixels.
TEST(ImageDecoders, DamagedFilesAreRefusedWithTheirError) {
    Bytes pattern = testPattern(16, 16);
    Bytes jpg = encodeJpg(16, 16, pattern);
    Bytes progressive = sampleFile("progressive.jpg");
    Bytes tga = encodeTga(16, 16, pattern);
    Bytes pcx = encodePcx(16, 16, pattern);
    Bytes wal = encodeWal(16, 16, pattern);
    Bytes mapped = sampleFile("map8-16-32.tga");
    Bytes runs = sampleFile("rgb24-0-rle.tga");
    Bytes oddLine = sampleFile("oddline.pcx");
    Bytes hugeTga = withByte(withByte(cut(tga, 40), 13, 0xFF), 15, 0xFF);
    const struct {
        const char* what;
        int imageType;
        Bytes file;
        int error;
    } cases[] = {
        {"empty jpg", IMAGE_TYPE_JPG, Bytes(), IL_LIB_JPEG_ERROR},
        {"empty tga", IMAGE_TYPE_TGA, Bytes(), IL_INVALID_FILE_HEADER},
        {"empty pcx", IMAGE_TYPE_PCX, Bytes(), IL_INVALID_FILE_HEADER},
        {"empty wal", IMAGE_TYPE_WAL, Bytes(), IL_INVALID_FILE_HEADER},
        {"jpg cut halfway", IMAGE_TYPE_JPG, cut(jpg, jpg.size() / 2), IL_LIB_JPEG_ERROR},
        {"progressive jpg without its last scan", IMAGE_TYPE_JPG, cutAtLastScan(progressive),
         IL_LIB_JPEG_ERROR},
        {"tga cut halfway", IMAGE_TYPE_TGA, cut(tga, tga.size() / 2), IL_FILE_READ_ERROR},
        {"tga of 65535 × 65535", IMAGE_TYPE_TGA, hugeTga, IL_FILE_READ_ERROR},
        {"tga of no kind", IMAGE_TYPE_TGA, withByte(tga, 2, 0), IL_INVALID_FILE_HEADER},
        {"tga of 12-bit pixels", IMAGE_TYPE_TGA, withByte(tga, 16, 12), IL_INVALID_FILE_HEADER},
        {"tga index past its map", IMAGE_TYPE_TGA, withByte(mapped, 26, 6), IL_ILLEGAL_FILE_VALUE},
        {"tga runs cut short", IMAGE_TYPE_TGA, cut(runs, runs.size() - 1), IL_FILE_READ_ERROR},
        {"pcx cut in its lines", IMAGE_TYPE_PCX, cut(oddLine, oddLine.size() - 1),
         IL_FILE_READ_ERROR},
        {"pcx of 3 bits", IMAGE_TYPE_PCX, withByte(pcx, 3, 3), IL_INVALID_FILE_HEADER},
        {"pcx lines too short", IMAGE_TYPE_PCX, withByte(pcx, 66, 15), IL_INVALID_FILE_HEADER},
        {"pcx of another maker", IMAGE_TYPE_PCX, withByte(pcx, 0, 11), IL_INVALID_FILE_HEADER},
        {"wal cut in its last level", IMAGE_TYPE_WAL, cut(wal, wal.size() - 1),
         IL_INVALID_FILE_HEADER},
        {"wal of 65536 rows", IMAGE_TYPE_WAL, withByte(wal, 38, 1), IL_INVALID_FILE_HEADER},
        {"wal of 4 × 4", IMAGE_TYPE_WAL, encodeWal(4, 4, pattern), IL_INVALID_FILE_HEADER},
    };
    for (const auto& c : cases) {
        const Decoded image = decoded(c.file, c.imageType);
        const Ints refused = {image.error, image.width, image.height, int(image.pixels.size())};
        EXPECT_EQ(refused, Ints({c.error, 0, 0, 0})) << c.what;
    }
}

// A decode that runs out of time is refused like a damaged file; a hang of
// libjpeg's ends there too.
TEST(ImageDecoders, JpegPastTheTimeLimitIsRefused) {
    Bytes jpg = encodeJpg(16, 16, testPattern(16, 16));
    DecodedImage late;
    EXPECT_EQ(decodeJpg(jpg.data(), jpg.size(), &late, 0), IL_LIB_JPEG_ERROR);
    EXPECT_EQ(late.pixels, nullptr);
}

// Random pixels resized both ways on each axis, by whole and odd factors,
// from sides of one pixel up, against gluScaleImage on the same input: each
// channel within 1, and fewer than 1 in 100 off at all; a flat colour stays exactly it.
TEST(ImageDecoders, ResizeIsWithinOneOfGluScaleImage) {
    HeadlessGL* gl = createHeadlessGL(16, 16);
    ASSERT_NE(gl, nullptr);
    // Reductions of up to 6 times use boxes of 2 to 8 pixels on each axis, larger ones go apart.
    const int sizes[][4] = {{1000, 1000, 1024, 1024}, {640, 480, 512, 512}, {300, 200, 256, 256},
                            {256, 256, 128, 128},     {24, 24, 16, 16},     {1, 3, 16, 16},
                            {100, 50, 128, 64},       {4096, 16, 2048, 16}, {37, 513, 32, 512},
                            {50, 47, 9, 7},           {90, 450, 20, 100},   {1000, 60, 128, 7},
                            {3000, 40, 128, 1}};
    const uint8_t flat[4] = {0, 1, 128, 255};
    std::minstd_rand random(9);
    for (const auto& size : sizes) {
        for (bool even : {false, true}) {
            Bytes in((size_t)size[0] * size[1] * 4);
            for (size_t i = 0; i < in.size(); i++) in[i] = even ? flat[i % 4] : (uint8_t)random();
            Bytes ours((size_t)size[2] * size[3] * 4);
            Bytes glu(ours.size());
            ASSERT_TRUE(scaleImageRgba(in.data(), size[0], size[1], ours.data(), size[2], size[3]));
            gluScaleImage(GL_RGBA, size[0], size[1], GL_UNSIGNED_BYTE, in.data(), size[2], size[3],
                          GL_UNSIGNED_BYTE, glu.data());
            int worst = 0;
            size_t off = 0;
            for (size_t i = 0; i < ours.size(); i++) {
                worst = std::max(worst, std::abs(ours[i] - glu[i]));
                off += ours[i] != glu[i];
            }
            EXPECT_LE(worst, even ? 0 : 1) << size[0] << "x" << size[1] << " to " << size[2];
            EXPECT_LE(off * 100, ours.size()) << size[0] << "x" << size[1] << " to " << size[2];
        }
    }
    destroyHeadlessGL(gl);
}
