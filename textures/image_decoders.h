// The decoders of the four image types and the resampler behind loadTextureFile.
// Each decoder checks every field against the bytes it has before it trusts it,
// bounds its work by the image's size, and frees everything it took on failure.
#pragma once

#include <cstddef>
#include <cstdint>

// 8-bit RGBA pixels, the picture's top row first whatever order the file
// stores its rows in (OpenGL takes the first row as t = 0, which the preview
// puts along the top edge), columns left to right. The pixels are malloc'd
// and belong to the caller.
struct DecodedImage {
    int32_t width;
    int32_t height;
    uint8_t* pixels;
};

// Images of more pixels are refused rather than decoded: their pixels alone
// would take more than 256 MB, and the texture is at most 4096 pixels a side
// anyway. Sides go as far as any of the four types can.
constexpr int32_t MAX_IMAGE_SIDE = 65536;
constexpr int64_t MAX_IMAGE_PIXELS = 8192 * 8192;
// A JPEG decode that takes longer, in milliseconds, is given up as if the file
// were damaged; large images get more.
constexpr int32_t DECODE_TIME_LIMIT_MS = 800;

// 0 (IL_NO_ERROR) with the image filled in, or the DevIL error code that
// describes why the bytes were refused (the image is then left empty).
int decodeImage(const uint8_t* bytes, size_t size, int imageType, DecodedImage* image);
int decodeTga(const uint8_t* bytes, size_t size, DecodedImage* image);
int decodePcx(const uint8_t* bytes, size_t size, DecodedImage* image);
int decodeWal(const uint8_t* bytes, size_t size, DecodedImage* image);
int decodeJpg(const uint8_t* bytes, size_t size, DecodedImage* image,
              int32_t timeLimitMs = DECODE_TIME_LIMIT_MS);

// Allocates the image's pixels after checking its sides; false (nothing
// allocated) for sides of 0 or beyond the limits, or when memory runs out.
bool allocateImage(DecodedImage* image, int64_t width, int64_t height);
void freeImage(DecodedImage* image);

// Resamples 8-bit RGBA pixels with the box filter of GLU's gluScaleImage
// (each channel within 1 of it), many times faster. False when out of memory.
bool scaleImageRgba(const uint8_t* in, int inWidth, int inHeight, uint8_t* out, int outWidth,
                    int outHeight);

extern const uint8_t WAL_PALETTE[256 * 3];

inline uint32_t readLittle16(const uint8_t* p) {
    return (uint32_t)p[0] | (uint32_t)p[1] << 8;
}
inline uint32_t readLittle32(const uint8_t* p) {
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}
