// Feeds arbitrary bytes to loadTextureFile as one of the four image types:
// the first byte picks the type, the rest is the file. Every input must end
// without a crash, a hang, a leak or a pending DevIL error, and a failed
// decode must have shown a message. Half the mutations change a header field
// of the chosen type (sizes, plane counts, bytes per line, colour-map entry
// sizes, JPEG segment lengths) to a value decoders get wrong, so that
// libFuzzer reaches them sooner than by flipping bytes.
#include "control_store.h"
#include "headless_gl.h"
#include "textures.h"

#include <GL/gl.h>
#include <IL/il.h>

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

static const int IMAGE_TYPES[4] = {IMAGE_TYPE_TGA, IMAGE_TYPE_JPG, IMAGE_TYPE_PCX, IMAGE_TYPE_WAL};
static ControlStore store;
static std::string imagePath = "/tmp/veltra-texture-fuzz-" + std::to_string(getpid());
static HeadlessGL* context = nullptr;  // kept for the whole run
static ImageLoading loading;           // reports to the store

static void fail(const char* why) {
    fprintf(stderr, "%s\n", why);
    abort();
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!(context = createHeadlessGL(16, 16))) fail("no OpenGL context");
    initImageLibrary();
    loading.platform = &store;
    atexit([] { remove(imagePath.c_str()); });
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    FILE* file = fopen(imagePath.c_str(), "wb");
    if (!file || fwrite(data + 1, 1, size - 1, file) != size - 1 || fclose(file) != 0)
        fail("cannot write the image");
    bool loaded = loadTextureFile(imagePath.c_str(), IMAGE_TYPES[data[0] & 3], loading);
    if (!loaded && store.messagesShown.empty()) fail("a failed decode showed no message");
    if (ilGetError() != IL_NO_ERROR) fail("DevIL error left behind");
    store.messagesShown.clear();
    while (glGetError() != GL_NO_ERROR) {
    }
    return 0;
}

// A header field: its offset in the file (after the type byte) and its size.
struct Field {
    uint32_t offset;
    uint32_t size;
};

static const Field TGA_FIELDS[] = {{0, 1}, {1, 1},  {2, 1},  {3, 2},  {5, 2},
                                   {7, 1}, {12, 2}, {14, 2}, {16, 1}, {17, 1}};
static const Field PCX_FIELDS[] = {{1, 1}, {2, 1},  {3, 1},  {4, 2},  {6, 2},
                                   {8, 2}, {10, 2}, {65, 1}, {66, 2}, {68, 2}};
static const Field WAL_FIELDS[] = {{32, 4}, {36, 4}, {40, 4}, {44, 4}, {48, 4}, {52, 4}};

static uint32_t interestingValue(std::minstd_rand& random, uint32_t old) {
    static const uint32_t VALUES[] = {
        0,    1,      2,      3,      4,       7,          8,          15,        16,
        24,   32,     127,    128,    191,     192,        255,        256,       4000,
        4096, 0x7FFF, 0x8000, 0xFFFF, 0x10000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    switch (random() % 4) {
        case 0:
            return old + 1;
        case 1:
            return old - 1;
        case 2:
            return (uint32_t)random();
        default:
            return VALUES[random() % (sizeof VALUES / sizeof VALUES[0])];
    }
}

static void setField(uint8_t* file, size_t size, Field field, std::minstd_rand& random,
                     bool bigEndian) {
    if (field.offset + field.size > size) return;
    uint32_t old = 0;
    for (uint32_t i = 0; i < field.size; i++) {
        uint32_t at = bigEndian ? field.size - 1 - i : i;
        old |= (uint32_t)file[field.offset + at] << (8 * i);
    }
    uint32_t value = interestingValue(random, old);
    for (uint32_t i = 0; i < field.size; i++) {
        uint32_t at = bigEndian ? field.size - 1 - i : i;
        file[field.offset + at] = (uint8_t)(value >> (8 * i));
    }
}

// A JPEG segment's length, or a field of its frame header (height, width,
// component count); or the file cut right after a segment's length.
static size_t mutateJpegSegment(uint8_t* file, size_t size, std::minstd_rand& random) {
    uint32_t markers[64];
    uint32_t count = 0;
    for (uint32_t at = 0; at + 3 < size && count < 64; at++)
        if (file[at] == 0xFF && file[at + 1] >= 0xC0 && file[at + 1] != 0xFF) markers[count++] = at;
    if (count == 0) return size;
    uint32_t at = markers[random() % count];
    bool frame = file[at + 1] == 0xC0 || file[at + 1] == 0xC2;
    switch (random() % 4) {
        case 0:
            return at + 4 <= size ? at + 4 : size;
        case 1:
            if (frame)
                setField(file, size, Field{at + 5 + 2 * (uint32_t)(random() % 3), 2}, random, true);
            return size;
        default:
            setField(file, size, Field{at + 2, 2}, random, true);
            return size;
    }
}

static size_t mutateHeader(uint8_t* data, size_t size, std::minstd_rand& random) {
    uint8_t* file = data + 1;
    size_t fileSize = size - 1;
    switch (data[0] & 3) {
        case 0:
            setField(file, fileSize, TGA_FIELDS[random() % 10], random, false);
            break;
        case 1:
            return 1 + mutateJpegSegment(file, fileSize, random);
        case 2:
            setField(file, fileSize, PCX_FIELDS[random() % 10], random, false);
            break;
        default:
            setField(file, fileSize, WAL_FIELDS[random() % 6], random, false);
    }
    return size;
}

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize,
                                          unsigned int seed) {
    std::minstd_rand random(seed);
    if (size < 2 || random() % 2) return LLVMFuzzerMutate(data, size, maxSize);
    return mutateHeader(data, size, random);
}
