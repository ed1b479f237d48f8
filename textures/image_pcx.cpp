// ZSoft PCX: a 128-byte header, then scan lines run-length coded as one
// stream. Each line holds the planes one after the other, each plane
// bytesPerLine bytes (even or odd, at least what the width needs). Images of
// up to 16 colours take their palette from the header, 256-colour ones from
// the 769 bytes at the end (the byte 12, then 256 entries); 3 or 4 planes of
// 8 bits are red, green, blue and alpha.
#include "image_decoders.h"

#include <IL/il.h>

#include <cstdlib>

constexpr size_t PCX_HEADER_SIZE = 128;
constexpr size_t PCX_PALETTE_SIZE = 769;
constexpr size_t PCX_HEADER_PALETTE = 16;

struct PcxHeader {
    uint32_t bitsPerPixel, planes, bytesPerLine;
    int64_t width, height;
};

static bool pcxLayoutIsKnown(const PcxHeader& h) {
    switch (h.bitsPerPixel) {
        case 1:
            return h.planes >= 1 && h.planes <= 4;
        case 4:
            return h.planes == 1;
        case 8:
            return h.planes == 1 || h.planes == 3 || h.planes == 4;
        default:
            return false;
    }
}

// Undoes the run-length coding (a byte of 192 + n repeats the next byte n
// times) into lines × planes × bytesPerLine bytes; plain files are copied.
// False when the data ends first; a run past the last line is cut off.
static bool unpackPcx(const uint8_t* data, size_t size, bool coded, uint8_t* out, size_t total) {
    size_t done = 0, at = 0;
    while (done < total && at < size) {
        uint8_t value = data[at++];
        size_t count = 1;
        if (coded && value >= 192) {
            if (at >= size) return false;
            count = value - 192;
            value = data[at++];
        }
        for (size_t i = 0; i < count && done < total; i++) out[done++] = value;
    }
    return done == total;
}

// The palette index of pixel x of a line, gathered bit by bit across the planes.
static uint32_t planarIndex(const PcxHeader& h, const uint8_t* line, int64_t x) {
    uint32_t index = 0;
    uint32_t perByte = 8 / h.bitsPerPixel;
    uint32_t shift = 8 - h.bitsPerPixel * (uint32_t)(x % perByte + 1);
    uint32_t mask = (1u << h.bitsPerPixel) - 1;
    for (uint32_t plane = 0; plane < h.planes; plane++) {
        uint8_t byte = line[plane * h.bytesPerLine + x / perByte];
        index |= (uint32_t)(byte >> shift & mask) << (plane * h.bitsPerPixel);
    }
    return index;
}

static void convertPcxLine(const PcxHeader& h, const uint8_t* line, const uint8_t* palette,
                           uint8_t* out) {
    for (int64_t x = 0; x < h.width; x++, out += 4) {
        if (h.bitsPerPixel == 8 && h.planes >= 3) {
            out[0] = line[x];
            out[1] = line[h.bytesPerLine + x];
            out[2] = line[2 * h.bytesPerLine + x];
            out[3] = h.planes == 4 ? line[3 * h.bytesPerLine + x] : 255;
            continue;
        }
        uint32_t index = h.bitsPerPixel == 8 ? line[x] : planarIndex(h, line, x);
        out[0] = palette[3 * index];
        out[1] = palette[3 * index + 1];
        out[2] = palette[3 * index + 2];
        out[3] = 255;
    }
}

// Two-colour images whose header palette gives both colours alike (many
// writers leave it zero) are black and white.
static const uint8_t BLACK_AND_WHITE[6] = {0, 0, 0, 255, 255, 255};

static const uint8_t* pcxPalette(const PcxHeader& h, const uint8_t* bytes, size_t size) {
    if (h.bitsPerPixel == 8) return bytes + size - PCX_PALETTE_SIZE + 1;
    const uint8_t* header = bytes + PCX_HEADER_PALETTE;
    bool twoColours = h.bitsPerPixel == 1 && h.planes == 1;
    if (twoColours && header[0] == header[3] && header[1] == header[4] && header[2] == header[5])
        return BLACK_AND_WHITE;
    return header;
}

int decodePcx(const uint8_t* bytes, size_t size, DecodedImage* image) {
    if (size < PCX_HEADER_SIZE || bytes[0] != 10 || bytes[2] > 1) return IL_INVALID_FILE_HEADER;
    PcxHeader h;
    h.bitsPerPixel = bytes[3];
    h.planes = bytes[65];
    h.bytesPerLine = readLittle16(bytes + 66);
    h.width = (int64_t)readLittle16(bytes + 8) - readLittle16(bytes + 4) + 1;
    h.height = (int64_t)readLittle16(bytes + 10) - readLittle16(bytes + 6) + 1;
    if (!pcxLayoutIsKnown(h) || h.width < 1 || h.height < 1) return IL_INVALID_FILE_HEADER;
    if (h.bytesPerLine < (h.width * h.bitsPerPixel + 7) / 8) return IL_INVALID_FILE_HEADER;
    size_t dataEnd = size;
    if (h.bitsPerPixel == 8 && h.planes == 1) {
        if (size < PCX_HEADER_SIZE + PCX_PALETTE_SIZE || bytes[size - PCX_PALETTE_SIZE] != 12)
            return IL_ILLEGAL_FILE_VALUE;
        dataEnd = size - PCX_PALETTE_SIZE;
    }
    size_t lineBytes = (size_t)h.bytesPerLine * h.planes;
    // A two-byte run gives at most 63 bytes.
    if (lineBytes * (size_t)h.height > (dataEnd - PCX_HEADER_SIZE) * 63) return IL_FILE_READ_ERROR;
    if (!allocateImage(image, h.width, h.height)) return IL_OUT_OF_MEMORY;
    uint8_t* lines = (uint8_t*)malloc(lineBytes * (size_t)h.height);
    int error = IL_NO_ERROR;
    if (!lines)
        error = IL_OUT_OF_MEMORY;
    else if (!unpackPcx(bytes + PCX_HEADER_SIZE, dataEnd - PCX_HEADER_SIZE, bytes[2] == 1, lines,
                        lineBytes * (size_t)h.height))
        error = IL_FILE_READ_ERROR;
    const uint8_t* palette = pcxPalette(h, bytes, size);
    for (int64_t y = 0; error == IL_NO_ERROR && y < h.height; y++)
        convertPcxLine(h, lines + y * lineBytes, palette, image->pixels + y * h.width * 4);
    free(lines);
    if (error != IL_NO_ERROR) freeImage(image);
    return error;
}
