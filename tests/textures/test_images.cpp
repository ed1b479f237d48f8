#include "test_images.h"

#include <IL/il.h>

#include <cstdio>

static void put16(Bytes& out, int value) {
    out.push_back(value & 0xFF);
    out.push_back((value >> 8) & 0xFF);
}

static void put32(Bytes& out, uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

Bytes encodeTga(int width, int height, const Bytes& rgba) {
    Bytes out = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};  // uncompressed true colour
    put16(out, width);
    put16(out, height);
    out.push_back(32);
    out.push_back(0x28);  // 8 alpha bits, top row first
    for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
        out.push_back(rgba[i + 2]);
        out.push_back(rgba[i + 1]);
        out.push_back(rgba[i]);
        out.push_back(rgba[i + 3]);
    }
    return out;
}

// Run-length coding as PCX wants it: values of 0xC0 and up need a count byte.
static void putPcxByte(Bytes& out, uint8_t value) {
    if (value >= 0xC0) out.push_back(0xC1);
    out.push_back(value);
}

Bytes encodePcx(int width, int height, const Bytes& rgba) {
    int bytesPerLine = (width + 1) & ~1;
    Bytes out = {10, 5, 1, 8};
    put16(out, 0);
    put16(out, 0);
    put16(out, width - 1);
    put16(out, height - 1);
    put16(out, 72);
    put16(out, 72);
    out.resize(out.size() + 48 + 1, 0);  // EGA palette, reserved byte
    out.push_back(3);                    // planes
    put16(out, bytesPerLine);
    put16(out, 1);
    out.resize(128, 0);
    for (int y = 0; y < height; y++)
        for (int plane = 0; plane < 3; plane++)
            for (int x = 0; x < bytesPerLine; x++)
                putPcxByte(out, x < width ? rgba[(y * width + x) * 4 + plane] : 0);
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
