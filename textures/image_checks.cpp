// Checks on an image file's bytes before DevIL sees them: DevIL 1.7.8 crashes
// on some damaged files instead of failing, so such files are refused here.
#include "textures.h"

#include <cstddef>
#include <cstdint>

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

bool imageBytesLookSound(const uint8_t* bytes, size_t size, int imageType) {
    switch (imageType) {
    case IMAGE_TYPE_WAL: return walLooksSound(bytes, size);
    default: return true;
    }
}
