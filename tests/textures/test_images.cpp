#include "test_images.h"

#include <IL/il.h>

#include <cstdio>
#include <cstring>

static void put16(Bytes& out, int value) {
    out.push_back(value & 0xFF);
    out.push_back((value >> 8) & 0xFF);
}

static void put32(Bytes& out, uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

static Bytes tgaHeader(int imageType, int width, int height) {
    Bytes out = {0, 0, (uint8_t)imageType, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    put16(out, width);
    put16(out, height);
    out.push_back(32);
    out.push_back(0x28);  // 8 alpha bits, top row first
    return out;
}

static void putBgra(Bytes& out, const uint8_t* rgba) {
    out.insert(out.end(), {rgba[2], rgba[1], rgba[0], rgba[3]});
}

Bytes encodeTga(int width, int height, const Bytes& rgba) {
    Bytes out = tgaHeader(2, width, height);
    for (size_t i = 0; i + 3 < rgba.size(); i += 4) putBgra(out, &rgba[i]);
    return out;
}

// Each packet is a run of up to 128 equal pixels (count - 1 with the top bit
// set) or a single raw pixel; runs may cross rows.
Bytes encodeTgaRle(int width, int height, const Bytes& rgba) {
    Bytes out = tgaHeader(10, width, height);
    size_t pixels = (size_t)width * height;
    for (size_t i = 0; i < pixels;) {
        size_t run = 1;
        while (i + run < pixels && run < 128 && memcmp(&rgba[i * 4], &rgba[(i + run) * 4], 4) == 0) run++;
        out.push_back(run > 1 ? (uint8_t)(0x80 | (run - 1)) : 0);
        putBgra(out, &rgba[i * 4]);
        i += run;
    }
    return out;
}

// Run-length coding as PCX wants it: values of 0xC0 and up need a count byte.
static void putPcxByte(Bytes& out, uint8_t value) {
    if (value >= 0xC0) out.push_back(0xC1);
    out.push_back(value);
}

static Bytes pcxHeader(int width, int height, int planes) {
    Bytes out = {10, 5, 1, 8};
    put16(out, 0);
    put16(out, 0);
    put16(out, width - 1);
    put16(out, height - 1);
    put16(out, 72);
    put16(out, 72);
    out.resize(out.size() + 48 + 1, 0);  // EGA palette, reserved byte
    out.push_back(planes);
    put16(out, (width + 1) & ~1);        // bytes per line, even
    put16(out, 1);
    out.resize(128, 0);
    return out;
}

Bytes encodePcx(int width, int height, const Bytes& rgba) {
    int bytesPerLine = (width + 1) & ~1;
    Bytes out = pcxHeader(width, height, 3);
    for (int y = 0; y < height; y++)
        for (int plane = 0; plane < 3; plane++)
            for (int x = 0; x < bytesPerLine; x++)
                putPcxByte(out, x < width ? rgba[(y * width + x) * 4 + plane] : 0);
    return out;
}

Bytes encodePcxPaletted(int width, int height, const Bytes& indices, const Bytes& palette) {
    int bytesPerLine = (width + 1) & ~1;
    Bytes out = pcxHeader(width, height, 1);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < bytesPerLine; x++) putPcxByte(out, x < width ? indices[y * width + x] : 0);
    out.push_back(12);
    out.insert(out.end(), palette.begin(), palette.end());
    return out;
}

Bytes encodeWal(int width, int height, const Bytes& indices) {
    Bytes out(32, 0);
    put32(out, width);
    put32(out, height);
    uint32_t offset = 100;
    for (int level = 0; level < 4; level++) {
        put32(out, offset);
        offset += (width >> level) * (height >> level);
    }
    out.resize(100, 0);
    for (int level = 0; level < 4; level++) {
        int step = 1 << level;
        for (int y = 0; y < height; y += step)
            for (int x = 0; x < width; x += step) out.push_back(indices[y * width + x]);
    }
    return out;
}

Bytes encodeJpg(int width, int height, const Bytes& rgba) {
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    ilTexImage(width, height, 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, (void*)rgba.data());
    ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);  // our rows run top first; keeps the saver from flipping
    Bytes out(width * height * 4 + 4096);
    ILuint written = ilSaveL(IL_JPG, out.data(), (ILuint)out.size());
    out.resize(written);
    ilDeleteImages(1, &image);
    return out;
}

Bytes testPattern(int width, int height) {
    Bytes rgba(width * height * 4);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            uint8_t* p = &rgba[(y * width + x) * 4];
            p[0] = (uint8_t)(x * 255 / (width > 1 ? width - 1 : 1));
            p[1] = (uint8_t)(y * 255 / (height > 1 ? height - 1 : 1));
            p[2] = (uint8_t)((x ^ y) * 16);
            p[3] = 255;
        }
    return rgba;
}

bool writeBytes(const std::string& path, const Bytes& bytes) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    bool written = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}
