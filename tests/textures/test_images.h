// Small image files for the texture tests, the fuzz seeds and the benchmark,
// written here with known pixels. Pixels run top row first, 4 bytes
// (R, G, B, A) each; PCX and WAL take the red bytes as palette indices.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

typedef std::vector<uint8_t> Bytes;

// Bytes written as pairs of hexadecimal digits; spaces set pixels apart for the reader.
struct Hex : Bytes {
    Hex(const char* text);
};

Bytes encodeTga(int width, int height, const Bytes& rgba);  // 32-bit, top row first
Bytes encodePcx(int width, int height, const Bytes& rgba);  // 8-bit, entry k: (k, 255 - k, k / 2)
Bytes encodeWal(int width, int height, const Bytes& rgba);  // the WAL palette
Bytes encodeJpg(int width, int height, const Bytes& rgba);  // YCbCr, quality 95
// A JPEG of 1 (grey), 3 (RGB) or 4 (CMYK) samples a pixel, stored as given;
// CMYK files carry Adobe's marker only when asked.
Bytes encodeJpgSamples(int width, int height, int components, const Bytes& samples,
                       bool adobeMarker, bool progressive);
Bytes testPattern(int width, int height);  // sides of 2 or more; smooth red and green ramps
// The 18 bytes of a TGA header without an ID field; a colour map when mapLength > 0.
Bytes tgaHeader(int imageType, int mapFirst, int mapLength, int mapBits, int width, int height,
                int pixelBits, int descriptor);
// The 128 bytes of a PCX header, version 5, run-length coded, the header palette given.
Bytes pcxHeader(int bitsPerPixel, int width, int height, int planes, int bytesPerLine,
                const Bytes& palette);

// A small file of one sub-format with the pixels it holds, as a viewer shows them.
struct SampleImage {
    std::string name;
    int imageType;
    Bytes file;
    int width;
    int height;
    Bytes rgba;
    int tolerance;  // per channel, for JPEG's rounding
};

std::vector<SampleImage> subFormatSamples();
