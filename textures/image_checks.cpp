// Checks on an image file's bytes before DevIL sees them: DevIL 1.7.8 crashes
// on some damaged files instead of failing, so such files are refused here.
#include "textures.h"

#include <cstddef>
#include <cstdint>

static uint32_t readLittle16(const uint8_t* p) { return (uint32_t)p[0] | (uint32_t)p[1] << 8; }

static uint32_t readLittle32(const uint8_t* p) {
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}


// Quake 2 texture: a 100-byte header (name, width, height, four mip offsets,
// animation name, flags) and four mip levels of 8-bit palette indices, each
// half the sides of the one before. Every level must lie inside the file.
constexpr size_t WAL_HEADER_SIZE = 100;
constexpr uint32_t WAL_MAX_SIDE = 16384;

static bool walLooksSound(const uint8_t* bytes, size_t size) {
    if (size < WAL_HEADER_SIZE) return false;
    uint32_t width = readLittle32(bytes + 32);
    uint32_t height = readLittle32(bytes + 36);
    if (width < 8 || height < 8 || width > WAL_MAX_SIDE || height > WAL_MAX_SIDE) return false;
    for (int level = 0; level < 4; level++) {
        uint64_t offset = readLittle32(bytes + 40 + 4 * level);
        uint64_t levelSize = (uint64_t)(width >> level) * (height >> level);
        if (offset < WAL_HEADER_SIZE || offset + levelSize > size) return false;
    }
    return true;
}

// Truevision TGA: an 18-byte header, an ID field, a colour map, then the
// pixels, plain or run-length coded. The pixels must be able to fit in what
// is left of the file: a run-length packet codes at most 128 pixels.
constexpr size_t TGA_HEADER_SIZE = 18;

static bool tgaLooksSound(const uint8_t* bytes, size_t size) {
    if (size < TGA_HEADER_SIZE) return false;
    uint64_t width = readLittle16(bytes + 12);
    uint64_t height = readLittle16(bytes + 14);
    uint64_t pixelBytes = (bytes[16] + 7) / 8;
    uint64_t colourMapBytes = bytes[1] ? (uint64_t)readLittle16(bytes + 5) * ((bytes[7] + 7) / 8) : 0;
    uint64_t dataStart = TGA_HEADER_SIZE + bytes[0] + colourMapBytes;
    if (width == 0 || height == 0 || pixelBytes == 0 || dataStart > size) return false;
    bool runLength = bytes[2] & 8;
    uint64_t available = size - dataStart;
    if (runLength) return width * height <= available * 128;
    return width * height * pixelBytes <= available;
}

// ZSoft PCX: a 128-byte header, run-length coded scan lines (a two-byte run
// gives at most 63 bytes), and for 8-bit single-plane images a 256-colour
// palette in the last 769 bytes behind the byte 12. DevIL decodes such an
// image without its palette and then loses memory converting it.
constexpr size_t PCX_HEADER_SIZE = 128;
constexpr size_t PCX_PALETTE_SIZE = 769;

static bool pcxLooksSound(const uint8_t* bytes, size_t size) {
    if (size < PCX_HEADER_SIZE || bytes[0] != 10) return false;
    uint32_t xMin = readLittle16(bytes + 4), yMin = readLittle16(bytes + 6);
    uint32_t xMax = readLittle16(bytes + 8), yMax = readLittle16(bytes + 10);
    uint64_t planes = bytes[65], bytesPerLine = readLittle16(bytes + 66);
    if (xMax < xMin || yMax < yMin || planes == 0 || bytesPerLine == 0) return false;
    uint64_t height = yMax - yMin + 1;
    if (bytesPerLine * planes * height > (size - PCX_HEADER_SIZE) * 32) return false;
    bool paletted = bytes[3] == 8 && planes == 1;
    if (paletted) return size >= PCX_HEADER_SIZE + PCX_PALETTE_SIZE && bytes[size - PCX_PALETTE_SIZE] == 12;
    return true;
}

bool imageBytesLookSound(const uint8_t* bytes, size_t size, int imageType) {
    switch (imageType) {
    case IMAGE_TYPE_WAL: return walLooksSound(bytes, size);
    case IMAGE_TYPE_TGA: return tgaLooksSound(bytes, size);
    case IMAGE_TYPE_PCX: return pcxLooksSound(bytes, size);
    default: return true;
    }
}
