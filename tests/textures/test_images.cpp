#include "test_images.h"

#include <IL/il.h>


Bytes encodeTga(int width, int height, const Bytes& rgba) {  // uncompressed 32-bit BGRA, top row first (0x28)
    Bytes out = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, uint8_t(width), uint8_t(width >> 8), uint8_t(height), uint8_t(height >> 8), 32, 0x28};
    for (size_t i = 0; i < rgba.size(); i += 4) out.insert(out.end(), {rgba[i + 2], rgba[i + 1], rgba[i], rgba[i + 3]});
    return out;
}

// Version 5, one plane, lines of even length, every byte coded as a run of one; the palette behind the byte 12.
Bytes encodePcx(int width, int height, const Bytes& rgba) {
    int line = (width + 1) & ~1;
    uint16_t header[64] = {0x050A, 0x0801, 0, 0, uint16_t(width - 1), uint16_t(height - 1)};
    header[32] = 1 << 8, header[33] = line, header[34] = 1;  // planes at byte 65, then bytes a line
    Bytes out((uint8_t*)header, (uint8_t*)header + 128);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < line; x++) out.insert(out.end(), {0xC1, uint8_t(x < width ? rgba[(y * width + x) * 4] : 0)});
    out.push_back(12);
    for (int k = 0; k < 256; k++) out.insert(out.end(), {uint8_t(k), uint8_t(255 - k), uint8_t(k / 2)});
    return out;
}

Bytes encodeWal(int width, int height, const Bytes& rgba) {  // the smaller mip levels, never shown, stay black
    uint32_t header[25] = {0, 0, 0, 0, 0, 0, 0, 0, uint32_t(width), uint32_t(height), 100};  // a name, the sides, four mip offsets
    for (int level = 1; level < 4; level++) header[10 + level] = header[9 + level] + (width >> (level - 1)) * (height >> (level - 1));
    Bytes out((uint8_t*)header, (uint8_t*)header + 100);
    for (size_t i = 0; i < rgba.size(); i += 4) out.push_back(rgba[i]);
    return out.resize(header[13] + (width >> 3) * (height >> 3)), out;
}

Bytes encodeJpg(int width, int height, const Bytes& rgba) {
    ILuint image = 0;
    Bytes out(width * height * 4 + 4096);
    ilGenImages(1, &image), ilBindImage(image);
    ilTexImage(width, height, 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, (void*)rgba.data());
    ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);  // rows run top first: keeps the saver from flipping
    out.resize(ilSaveL(IL_JPG, out.data(), (ILuint)out.size()));
    return ilDeleteImages(1, &image), out;
}

Bytes testPattern(int width, int height) {
    Bytes rgba;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) rgba.insert(rgba.end(), {uint8_t(x * 255 / (width - 1)), uint8_t(y * 255 / (height - 1)), uint8_t((x ^ y) * 16), 255});
    return rgba;
}
