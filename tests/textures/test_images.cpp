#include "test_images.h"

#include "textures.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <jpeglib.h>  // after <cstdio>: it uses size_t and FILE

static void putLittle16(Bytes& out, int value) {
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

static void putLittle32(Bytes& out, uint32_t value) {
    putLittle16(out, int(value & 0xFFFF));
    putLittle16(out, int(value >> 16));
}

Bytes tgaHeader(int imageType, int mapFirst, int mapLength, int mapBits, int width, int height,
                int pixelBits, int descriptor) {
    Bytes out = {0, uint8_t(mapLength > 0), uint8_t(imageType)};
    putLittle16(out, mapFirst);
    putLittle16(out, mapLength);
    out.push_back(uint8_t(mapBits));
    out.resize(12);
    putLittle16(out, width);
    putLittle16(out, height);
    out.push_back(uint8_t(pixelBits));
    out.push_back(uint8_t(descriptor));
    return out;
}

static void append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}

Hex::Hex(const char* text) {
    for (const char* p = text; *p; p += *p == ' ' ? 1 : 2)
        if (*p != ' ') push_back(uint8_t(std::stoi(std::string(p, 2), nullptr, 16)));
}

Bytes pcxHeader(int bitsPerPixel, int width, int height, int planes, int bytesPerLine,
                const Bytes& palette) {
    Bytes out = {10, 5, 1, uint8_t(bitsPerPixel), 0, 0, 0, 0};
    putLittle16(out, width - 1);
    putLittle16(out, height - 1);
    out.resize(16);
    append(out, palette);
    out.resize(65);
    out.push_back(uint8_t(planes));
    putLittle16(out, bytesPerLine);
    out.resize(128);
    return out;
}

// Bytes of 192 and up would read as run counts: they go as runs of one.
static void putPcxBytes(Bytes& out, const Bytes& bytes) {
    for (uint8_t byte : bytes) {
        if (byte >= 192) out.push_back(0xC1);
        out.push_back(byte);
    }
}

// Uncompressed 32-bit BGRA, 8 alpha bits; descriptor bit 5 set for the top row first.
Bytes encodeTga(int width, int height, const Bytes& rgba) {
    Bytes out = tgaHeader(2, 0, 0, 0, width, height, 32, 0x28);
    for (size_t i = 0; i < rgba.size(); i += 4)
        out.insert(out.end(), {rgba[i + 2], rgba[i + 1], rgba[i], rgba[i + 3]});
    return out;
}

// Version 5, one plane, lines of even length; the palette behind the byte 12.
Bytes encodePcx(int width, int height, const Bytes& rgba) {
    const int line = (width + 1) & ~1;
    Bytes out = pcxHeader(8, width, height, 1, line, {});
    for (int y = 0; y < height; y++) {
        Bytes row(line, 0);
        for (int x = 0; x < width; x++) row[x] = rgba[(y * width + x) * 4];
        putPcxBytes(out, row);
    }
    out.push_back(12);
    for (int k = 0; k < 256; k++)
        out.insert(out.end(), {uint8_t(k), uint8_t(255 - k), uint8_t(k / 2)});
    return out;
}

// The smaller mip levels, never shown, stay black.
Bytes encodeWal(int width, int height, const Bytes& rgba) {
    Bytes out(32);     // the name
    out.reserve(100);  // the header; GCC 12 warns of the pushes without it
    putLittle32(out, width);
    putLittle32(out, height);
    uint32_t offset = 100;
    for (int level = 0; level < 4; level++) {
        putLittle32(out, offset);
        offset += (width >> level) * (height >> level);
    }
    out.resize(100);
    for (size_t i = 0; i < rgba.size(); i += 4) out.push_back(rgba[i]);
    out.resize(offset);
    return out;
}

Bytes encodeJpgSamples(int width, int height, int components, const Bytes& samples,
                       bool adobeMarker, bool progressive) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = components;
    const J_COLOR_SPACE spaces[5] = {JCS_UNKNOWN, JCS_GRAYSCALE, JCS_UNKNOWN, JCS_RGB, JCS_CMYK};
    info.in_color_space = spaces[components];
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    if (components == 4) info.write_Adobe_marker = adobeMarker;
    if (progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = (JSAMPROW)&samples[(size_t)info.next_scanline * width * components];
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes out(buffer, buffer + size);
    free(buffer);
    return out;
}

Bytes encodeJpg(int width, int height, const Bytes& rgba) {
    Bytes rgb;
    for (size_t i = 0; i < rgba.size(); i += 4) rgb.insert(rgb.end(), &rgba[i], &rgba[i + 3]);
    return encodeJpgSamples(width, height, 3, rgb, false, false);
}

Bytes testPattern(int width, int height) {
    Bytes rgba;
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            uint8_t red = uint8_t(x * 255 / (width - 1));
            uint8_t green = uint8_t(y * 255 / (height - 1));
            rgba.insert(rgba.end(), {red, green, uint8_t((x ^ y) * 16), 255});
        }
    }
    return rgba;
}

// Every kind of TGA pixel, stored from the top or the bottom row, left to right or right to
// left, plain or run-length coded (a run of one, then three plain): each shows the 2 × 2
// picture its painter saw. Maps start at entry 2. One attribute bit makes the top bit of a
// 16-bit pixel its alpha; without it, a 16-bit map entry's top bit is no alpha.
static std::vector<SampleImage> tgaSamples() {
    const struct {
        const char* name;
        int imageType, pixelBits, mapBits, attributeBits;
        Hex map;     // entries from index 2
        Hex stored;  // the pixels' bytes, top row first, left to right
        Hex rgba;
    } kinds[] = {
        {"map8-24", 1, 8, 24, 0, "0000ff 00ff00 ff0000 0a141e", "05 04 03 02",
         "1e140aff 0000ffff 00ff00ff ff0000ff"},
        {"map8-16", 1, 8, 16, 0, "00fc e003 1f00 1042", "02 03 04 05",
         "ff0000ff 00ff00ff 0000ffff 848484ff"},  // 16 of 31 is 132 of 255
        {"map16-32", 1, 16, 32, 0, "01020304 05060708 090a0b0c 0d0e0f10", "0400 0200 0500 0300",
         "0b0a090c 03020104 0f0e0d10 07060508"},
        {"rgb16", 2, 16, 0, 1, "", "00fc e003 1f80 1042", "ff0000ff 00ff0000 0000ffff 84848400"},
        {"rgb24", 2, 24, 0, 0, "", "010203 040506 070809 0a0b0c",
         "030201ff 060504ff 090807ff 0c0b0aff"},
        {"rgb32", 2, 32, 0, 8, "", "01020304 05060708 090a0b0c 0d0e0f10",
         "03020104 07060508 0b0a090c 0f0e0d10"},
        {"grey8", 3, 8, 0, 0, "", "0a 14 1e 28", "0a0a0aff 141414ff 1e1e1eff 282828ff"},
        {"grey16", 3, 16, 0, 8, "", "0a01 1402 1e03 2804", "0a0a0a01 14141402 1e1e1e03 28282804"},
    };
    std::vector<SampleImage> samples;
    for (const auto& k : kinds) {
        const size_t pixelBytes = k.stored.size() / 4;
        const int mapLength = k.mapBits ? int(k.map.size() * 8 / k.mapBits) : 0;
        for (int order : {0x20, 0x00, 0x10, 0x30}) {
            for (int runs : {0, 8}) {
                Bytes file = tgaHeader(k.imageType | runs, 2, mapLength, k.mapBits, 2, 2,
                                       k.pixelBits, order | k.attributeBits);
                append(file, k.map);
                for (int at = 0; at < 4; at++) {
                    const int row = order & 0x20 ? at / 2 : 1 - at / 2;
                    const int column = order & 0x10 ? 1 - at % 2 : at % 2;
                    if (runs && at < 2) file.push_back(at == 0 ? 0x80 : 0x02);
                    const auto pixel = k.stored.begin() + (row * 2 + column) * pixelBytes;
                    file.insert(file.end(), pixel, pixel + pixelBytes);
                }
                const std::string name = std::string(k.name) + "-" + std::to_string(order) +
                                         (runs ? "-rle.tga" : ".tga");
                samples.push_back({name, IMAGE_TYPE_TGA, file, 2, 2, k.rgba, 0});
            }
        }
    }
    return samples;
}

static std::vector<SampleImage> pcxSamples() {
    // Three planes of 8 bits, 3 bytes a line: an odd count, as common tools write.
    Bytes odd = pcxHeader(8, 3, 2, 3, 3, {});
    putPcxBytes(odd, {10, 20, 30, 40, 50, 60, 70, 80, 90});
    putPcxBytes(odd, {200, 210, 220, 1, 2, 3, 4, 5, 6});
    Bytes sixteen;
    for (int k = 0; k < 16; k++)
        append(sixteen, {uint8_t(k * 16), uint8_t(255 - k * 16), uint8_t(k)});
    Bytes nibbles = pcxHeader(4, 4, 1, 1, 2, sixteen);
    putPcxBytes(nibbles, {0x01, 0x2F});
    // Indices 1, 2, 4, 8, 15, 0, 9, 6: plane p holds bit p of each, leftmost pixel highest.
    Bytes planar = pcxHeader(1, 8, 1, 4, 2, sixteen);
    putPcxBytes(planar, {0x8A, 0, 0x49, 0, 0x29, 0, 0x1A, 0});
    // Black and white across two bytes, the header's palette left zero as many writers leave it.
    Bytes mono = pcxHeader(1, 10, 1, 1, 2, {});
    putPcxBytes(mono, {0xA5, 0xC0});
    Bytes monoPixels;
    for (char bit : std::string("1010010111"))
        append(monoPixels, bit == '1' ? Bytes{255, 255, 255, 255} : Bytes{0, 0, 0, 255});
    Bytes planarPixels;
    for (int index : {1, 2, 4, 8, 15, 0, 9, 6})
        append(planarPixels, {uint8_t(index * 16), uint8_t(255 - index * 16), uint8_t(index), 255});
    const Hex oddPixels("0a2846ff 143250ff 1e3c5aff c80104ff d20205ff dc0306ff");
    const Hex nibblePixels("00ff00ff 10ef01ff 20df02ff f00f0fff");
    const int pcx = IMAGE_TYPE_PCX;
    return {
        {"oddline.pcx", pcx, odd, 3, 2, oddPixels, 0},
        {"nibbles.pcx", pcx, nibbles, 4, 1, nibblePixels, 0},
        {"planar.pcx", pcx, planar, 8, 1, planarPixels, 0},
        {"mono.pcx", pcx, mono, 10, 1, monoPixels, 0},
    };
}

static Bytes repeated(const Bytes& pixel, int count) {
    Bytes out;
    for (int i = 0; i < count; i++) append(out, pixel);
    return out;
}

// Flat JPEGs: what the file holds is one colour, whatever the coding.
static std::vector<SampleImage> jpgSamples() {
    const Bytes flat = repeated({104, 212, 106, 255}, 64);
    const Bytes rgb = repeated({104, 212, 106}, 64);
    const Bytes inverted = repeated({125, 255, 128, 212}, 64);  // Adobe's: ink as 255 - ink
    const Bytes plain = repeated({130, 0, 127, 43}, 64);
    Bytes withoutEndMarker = encodeJpgSamples(8, 8, 3, rgb, false, false);
    withoutEndMarker.resize(withoutEndMarker.size() - 2);
    const int jpg = IMAGE_TYPE_JPG;
    return {
        {"adobe.jpg", jpg, encodeJpgSamples(8, 8, 4, inverted, true, false), 8, 8, flat, 2},
        {"cmyk.jpg", jpg, encodeJpgSamples(8, 8, 4, plain, false, false), 8, 8, flat, 2},
        {"grey.jpg", jpg, encodeJpgSamples(8, 8, 1, Bytes(64, 77), false, false), 8, 8,
         repeated({77, 77, 77, 255}, 64), 1},
        {"progressive.jpg", jpg, encodeJpgSamples(8, 8, 3, rgb, false, true), 8, 8, flat, 2},
        {"noend.jpg", jpg, withoutEndMarker, 8, 8, flat, 2},
    };
}

std::vector<SampleImage> subFormatSamples() {
    std::vector<SampleImage> all = tgaSamples();
    for (const auto& more : {pcxSamples(), jpgSamples()})
        all.insert(all.end(), more.begin(), more.end());
    return all;
}
