#include "test_images.h"

#include <IL/il.h>

#include <algorithm>

// 32-bit, top row first (descriptor 0x28); run-length coded as one raw packet per pixel.
Bytes encodeTga(int width, int height, const Bytes& rgba, bool runLength) {
    Bytes out = {0, 0, uint8_t(runLength ? 10 : 2), 0, 0, 0, 0, 0, 0, 0, 0, 0,
                 uint8_t(width), uint8_t(width >> 8), uint8_t(height), uint8_t(height >> 8), 32, 0x28};
    for (size_t i = 0; i < rgba.size(); i += 4) {
        if (runLength) out.push_back(0);
        out.insert(out.end(), {rgba[i + 2], rgba[i + 1], rgba[i], rgba[i + 3]});
    }
    return out;
}

// Version 5, run-length coded, 8 bits per plane; lines padded to even length,
// bytes of 0xC0 and up behind a count of one.
Bytes encodePcx(int width, int height, const Bytes& rgba, bool paletted) {
    int planes = paletted ? 1 : 3, line = (width + 1) & ~1;
    uint16_t header[64] = {0x050A, 0x0801, 0, 0, uint16_t(width - 1), uint16_t(height - 1)};
    header[32] = planes << 8, header[33] = line, header[34] = 1;
    Bytes out((uint8_t*)header, (uint8_t*)header + 128);
    for (int i = 0; i < height * planes * line; i++) {
        int x = i % line, plane = i / line % planes, y = i / line / planes;
        uint8_t value = x < width ? rgba[(y * width + x) * 4 + plane] : 0;
        if (value >= 0xC0) out.push_back(0xC1);
        out.push_back(value);
    }
    if (paletted) out.push_back(12);
    for (int k = 0; paletted && k < 256; k++) out.insert(out.end(), {uint8_t(k), uint8_t(255 - k), uint8_t(k / 2)});
    return out;
}

Bytes encodeWal(int width, int height, const Bytes& rgba) {
    uint32_t header[25] = {};  // a name, then the sides at byte 32 and the four mip offsets
    header[8] = width, header[9] = height;
    Bytes out(100);
    for (int level = 0; level < 4; level++) {
        header[10 + level] = out.size();
        for (int y = 0; y < height; y += 1 << level)
            for (int x = 0; x < width; x += 1 << level) out.push_back(rgba[(y * width + x) * 4]);
    }
    return std::copy_n((uint8_t*)header, 100, out.begin()), out;
}

Bytes encodeJpg(int width, int height, const Bytes& rgba) {
    ILuint image = 0;
    ilGenImages(1, &image), ilBindImage(image);
    ilTexImage(width, height, 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, (void*)rgba.data());
    ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);  // rows run top first: keeps the saver from flipping
    Bytes out(width * height * 4 + 4096);
    out.resize(ilSaveL(IL_JPG, out.data(), (ILuint)out.size()));
    return ilDeleteImages(1, &image), out;
}

Bytes testPattern(int width, int height) {
    Bytes rgba;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) rgba.insert(rgba.end(), {uint8_t(x * 255 / (width - 1)), uint8_t(y * 255 / (height - 1)), uint8_t((x ^ y) * 16), 255});
    return rgba;
}
