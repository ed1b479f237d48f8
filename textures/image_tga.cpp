// Truevision TGA: an 18-byte header, an ID field, a colour map, then the
// pixels, plain or run-length coded, in one of three kinds: colour-mapped,
// true-colour or grey.
#include "image_decoders.h"

#include <IL/il.h>

#include <cstdlib>
#include <cstring>

constexpr size_t TGA_HEADER_SIZE = 18;

enum TgaKind { TGA_MAPPED = 1, TGA_TRUE_COLOUR = 2, TGA_GREY = 3 };

struct TgaHeader {
    uint32_t idLength, mapType, kind, mapFirst, mapLength, mapEntryBits;
    uint32_t width, height, pixelBits, descriptor;
    bool runLength;
};

static TgaHeader readTgaHeader(const uint8_t* b) {
    TgaHeader h;
    h.idLength = b[0];
    h.mapType = b[1];
    h.kind = b[2] & 7;
    h.runLength = (b[2] & 8) != 0;
    h.mapFirst = readLittle16(b + 3);
    h.mapLength = readLittle16(b + 5);
    h.mapEntryBits = b[7];
    h.width = readLittle16(b + 12);
    h.height = readLittle16(b + 14);
    h.pixelBits = b[16];
    h.descriptor = b[17];
    return h;
}

static bool tgaHeaderIsSound(const TgaHeader& h, uint8_t imageType) {
    if ((imageType & ~8) < TGA_MAPPED || (imageType & ~8) > TGA_GREY) return false;
    if (h.mapType > 1 || (h.kind == TGA_MAPPED && h.mapType != 1)) return false;
    if (h.mapType == 1 && h.mapEntryBits != 15 && h.mapEntryBits != 16 && h.mapEntryBits != 24 &&
        h.mapEntryBits != 32)
        return false;
    switch (h.kind) {
        case TGA_MAPPED:
            return h.pixelBits == 8 || h.pixelBits == 16;
        case TGA_GREY:
            return h.pixelBits == 8 || h.pixelBits == 16;
        default:
            return h.pixelBits == 15 || h.pixelBits == 16 || h.pixelBits == 24 || h.pixelBits == 32;
    }
}

// 5 bits a channel, blue lowest; the top bit is alpha only when the header
// says the pixel has one attribute bit.
static void expand16(uint32_t v, bool alphaBit, uint8_t* out) {
    uint32_t r = v >> 10 & 31, g = v >> 5 & 31, b = v & 31;
    out[0] = (uint8_t)(r << 3 | r >> 2);
    out[1] = (uint8_t)(g << 3 | g >> 2);
    out[2] = (uint8_t)(b << 3 | b >> 2);
    out[3] = alphaBit && !(v & 0x8000) ? 0 : 255;
}

// One stored pixel or colour-map entry of the given size in bits, as RGBA.
static void expandColour(const uint8_t* p, uint32_t bits, bool alphaBit, uint8_t* out) {
    switch (bits) {
        case 15:
        case 16:
            expand16(readLittle16(p), alphaBit && bits == 16, out);
            return;
        default:
            out[0] = p[2];
            out[1] = p[1];
            out[2] = p[0];
            out[3] = bits == 32 ? p[3] : 255;
    }
}

// The colour map as RGBA (4 spare bytes, so that a table of no entries is
// still a block of memory).
static uint8_t* expandColourMap(const TgaHeader& h, const uint8_t* map) {
    uint32_t entryBytes = (h.mapEntryBits + 7) / 8;
    bool alphaBit = (h.descriptor & 15) == 1;
    uint8_t* colours = (uint8_t*)malloc((size_t)h.mapLength * 4 + 4);
    if (!colours) return nullptr;
    for (uint32_t i = 0; i < h.mapLength; i++)
        expandColour(map + i * entryBytes, h.mapEntryBits, alphaBit, colours + 4 * i);
    return colours;
}

// Entries the file does not hold are absent: a pixel that uses one refuses the file.
static bool convertMapped(const TgaHeader& h, const uint8_t* colours, const uint8_t* raw,
                          uint8_t* out, size_t count) {
    uint32_t pixelBytes = h.pixelBits / 8;
    for (size_t i = 0; i < count; i++) {
        uint32_t value = pixelBytes == 1 ? raw[i] : readLittle16(raw + 2 * i);
        uint32_t entry = value - h.mapFirst;
        if (value < h.mapFirst || entry >= h.mapLength) return false;
        memcpy(out + 4 * i, colours + 4 * entry, 4);
    }
    return true;
}

static void convertGrey(uint32_t pixelBits, const uint8_t* raw, uint8_t* out, size_t count) {
    for (size_t i = 0; i < count; i++, out += 4) {
        const uint8_t* p = raw + i * (pixelBits / 8);
        out[0] = out[1] = out[2] = p[0];
        out[3] = pixelBits == 16 ? p[1] : 255;
    }
}

// BGRA to RGBA four pixels at a time, in vector registers where there are some.
typedef uint32_t FourPixels __attribute__((vector_size(16)));

static void swapRedAndBlue(const uint8_t* bgra, uint8_t* rgba, size_t count) {
    size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        FourPixels v;
        memcpy(&v, bgra + 4 * i, 16);
        v = (v & 0xFF00FF00u) | (v >> 16 & 0xFFu) | (v & 0xFFu) << 16;
        memcpy(rgba + 4 * i, &v, 16);
    }
    for (; i < count; i++) {
        rgba[4 * i] = bgra[4 * i + 2];
        rgba[4 * i + 1] = bgra[4 * i + 1];
        rgba[4 * i + 2] = bgra[4 * i];
        rgba[4 * i + 3] = bgra[4 * i + 3];
    }
}

static void convertTrueColour(const TgaHeader& h, const uint8_t* raw, uint8_t* out, size_t count) {
    uint32_t pixelBytes = (h.pixelBits + 7) / 8;
    bool alphaBit = h.pixelBits == 16 && (h.descriptor & 15) == 1;
    if (pixelBytes <= 2) {
        for (size_t i = 0; i < count; i++)
            expand16(readLittle16(raw + 2 * i), alphaBit, out + 4 * i);
        return;
    }
    if (pixelBytes == 4) {
        swapRedAndBlue(raw, out, count);
        return;
    }
    for (size_t i = 0; i < count; i++, raw += 3, out += 4) {
        out[0] = raw[2];
        out[1] = raw[1];
        out[2] = raw[0];
        out[3] = 255;
    }
}

// Expands run-length packets (a header byte, then one pixel repeated or up to
// 128 plain ones) into count plain pixels; runs may cross rows. Null when the
// data ends first.
static uint8_t* expandRunLength(const uint8_t* data, size_t size, size_t pixelBytes, size_t count) {
    uint8_t* raw = (uint8_t*)malloc(count * pixelBytes);
    if (!raw) return nullptr;
    size_t done = 0, at = 0;
    while (done < count) {
        if (at >= size) break;
        uint8_t packet = data[at++];
        size_t length = (packet & 127) + 1;
        if (length > count - done) length = count - done;
        bool repeated = packet & 128;
        size_t stored = repeated ? pixelBytes : length * pixelBytes;
        if (stored > size - at) break;
        for (size_t i = 0; i < length; i++)
            memcpy(raw + (done + i) * pixelBytes, data + at + (repeated ? 0 : i * pixelBytes),
                   pixelBytes);
        at += stored;
        done += length;
    }
    if (done == count) return raw;
    free(raw);
    return nullptr;
}

static void mirrorRows(DecodedImage* image) {
    for (int32_t y = 0; y < image->height; y++) {
        uint32_t* row = (uint32_t*)(image->pixels + (size_t)y * image->width * 4);
        for (int32_t left = 0, right = image->width - 1; left < right; left++, right--) {
            uint32_t swap = row[left];
            row[left] = row[right];
            row[right] = swap;
        }
    }
}

// The stored rows converted to RGBA, each into its place counted from the
// top: bit 5 of the descriptor set means the file starts with the top row,
// clear (the usual case) with the bottom one. Bit 4 set: right to left.
static int convertRows(const TgaHeader& h, const uint8_t* map, const uint8_t* raw,
                       DecodedImage* image) {
    uint8_t* colours = nullptr;
    if (h.kind == TGA_MAPPED && !(colours = expandColourMap(h, map))) return IL_OUT_OF_MEMORY;
    const size_t width = h.width;
    const size_t rowBytes = width * ((h.pixelBits + 7) / 8);
    const bool topFirst = h.descriptor & 0x20;
    int error = IL_NO_ERROR;
    for (size_t y = 0; y < h.height && error == IL_NO_ERROR; y++, raw += rowBytes) {
        uint8_t* out = image->pixels + (topFirst ? y : h.height - 1 - y) * width * 4;
        if (h.kind == TGA_MAPPED) {
            if (!convertMapped(h, colours, raw, out, width)) error = IL_ILLEGAL_FILE_VALUE;
        } else if (h.kind == TGA_GREY) {
            convertGrey(h.pixelBits, raw, out, width);
        } else {
            convertTrueColour(h, raw, out, width);
        }
    }
    free(colours);
    if (error == IL_NO_ERROR && h.descriptor & 0x10) mirrorRows(image);
    return error;
}

int decodeTga(const uint8_t* bytes, size_t size, DecodedImage* image) {
    if (size < TGA_HEADER_SIZE) return IL_INVALID_FILE_HEADER;
    TgaHeader h = readTgaHeader(bytes);
    if (!tgaHeaderIsSound(h, bytes[2]) || h.width == 0 || h.height == 0)
        return IL_INVALID_FILE_HEADER;
    size_t mapBytes = h.mapType ? (size_t)h.mapLength * ((h.mapEntryBits + 7) / 8) : 0;
    size_t dataStart = TGA_HEADER_SIZE + h.idLength + mapBytes;
    if (dataStart > size) return IL_FILE_READ_ERROR;
    size_t count = (size_t)h.width * h.height;
    size_t pixelBytes = (h.pixelBits + 7) / 8;
    size_t available = size - dataStart;
    // A run-length packet of 1 + pixelBytes bytes codes at most 128 pixels.
    if (h.runLength ? count > available * 128 : count * pixelBytes > available)
        return IL_FILE_READ_ERROR;
    if (!allocateImage(image, h.width, h.height)) return IL_OUT_OF_MEMORY;
    const uint8_t* raw = bytes + dataStart;
    uint8_t* expanded = nullptr;
    if (h.runLength) raw = expanded = expandRunLength(raw, available, pixelBytes, count);
    int error = IL_FILE_READ_ERROR;
    if (raw) error = convertRows(h, bytes + TGA_HEADER_SIZE + h.idLength, raw, image);
    free(expanded);
    if (error != IL_NO_ERROR) freeImage(image);
    return error;
}
