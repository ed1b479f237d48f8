// Choice of decoder by image type, the pixel buffers they share, and WAL,
// the simplest of the four.
#include "image_decoders.h"

#include "textures.h"

#include <IL/il.h>

#include <cstdlib>

bool allocateImage(DecodedImage* image, int64_t width, int64_t height) {
    if (width < 1 || height < 1 || width > MAX_IMAGE_SIDE || height > MAX_IMAGE_SIDE) return false;
    if (width * height > MAX_IMAGE_PIXELS) return false;
    image->pixels = (uint8_t*)malloc((size_t)(width * height * 4));
    if (!image->pixels) return false;
    image->width = (int32_t)width;
    image->height = (int32_t)height;
    return true;
}

void freeImage(DecodedImage* image) {
    free(image->pixels);
    *image = DecodedImage{};
}

int decodeImage(const uint8_t* bytes, size_t size, int imageType, DecodedImage* image) {
    *image = DecodedImage{};
    switch (imageType) {
        case IMAGE_TYPE_TGA:
            return decodeTga(bytes, size, image);
        case IMAGE_TYPE_JPG:
            return decodeJpg(bytes, size, image);
        case IMAGE_TYPE_PCX:
            return decodePcx(bytes, size, image);
        case IMAGE_TYPE_WAL:
            return decodeWal(bytes, size, image);
        default:
            return IL_INVALID_PARAM;
    }
}

// WAL texture: a 100-byte header (name, width, height, four mip offsets,
// animation name, flags) and four mip levels of indices into the WAL
// palette, each half the sides of the one before. Only the first level is
// shown, but a file whose levels do not all lie inside it is damaged.
constexpr size_t WAL_HEADER_SIZE = 100;

int decodeWal(const uint8_t* bytes, size_t size, DecodedImage* image) {
    if (size < WAL_HEADER_SIZE) return IL_INVALID_FILE_HEADER;
    uint64_t width = readLittle32(bytes + 32);
    uint64_t height = readLittle32(bytes + 36);
    if (width < 8 || height < 8) return IL_INVALID_FILE_HEADER;
    for (int level = 0; level < 4; level++) {
        uint64_t offset = readLittle32(bytes + 40 + 4 * level);
        uint64_t levelSize = (width >> level) * (height >> level);
        if (offset < WAL_HEADER_SIZE || offset + levelSize > size) return IL_INVALID_FILE_HEADER;
    }
    if (!allocateImage(image, width, height)) return IL_OUT_OF_MEMORY;
    const uint8_t* indices = bytes + readLittle32(bytes + 40);
    uint8_t* out = image->pixels;
    for (uint64_t i = 0; i < width * height; i++, out += 4) {
        const uint8_t* colour = WAL_PALETTE + 3 * indices[i];
        out[0] = colour[0];
        out[1] = colour[1];
        out[2] = colour[2];
        out[3] = 255;
    }
    return IL_NO_ERROR;
}
