// Feeds arbitrary bytes to loadTextureFile as one of the four image types, the first byte
// picking the type: no crash, hang, leak or pending DevIL error, and a failed decode shows a
// message. Half the mutations set a header field of the type (sizes, planes, bytes per line,
// map entry sizes, JPEG segment lengths) to a value decoders get wrong.
#include "control_store.h"
#include "headless_gl.h"
#include "textures.h"

#include <GL/gl.h>
#include <IL/il.h>

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

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
    while (glGetError() != GL_NO_ERROR) continue;
    return 0;
}

// A header field: its offset in the file (after the type byte), its size and byte order.
struct Field {
    uint32_t offset, size;
    bool bigEndian = false;
};

// The header fields of each type but JPEG, whose segments are found in the file.
static const std::vector<Field> HEADER_FIELDS[4] = {
    {{0, 1}, {1, 1}, {2, 1}, {3, 2}, {5, 2}, {7, 1}, {12, 2}, {14, 2}, {16, 1}, {17, 1}},  // TGA
    {},
    {{1, 1}, {2, 1}, {3, 1}, {4, 2}, {6, 2}, {8, 2}, {10, 2}, {65, 1}, {66, 2}, {68, 2}},  // PCX
    {{32, 4}, {36, 4}, {40, 4}, {44, 4}, {48, 4}, {52, 4}},                                // WAL
};

static uint32_t interestingValue(std::minstd_rand& random, uint32_t old) {
    static const uint32_t VALUES[] = {
        0,    1,      2,      3,      4,       7,          8,          15,        16,
        24,   32,     127,    128,    191,     192,        255,        256,       4000,
        4096, 0x7FFF, 0x8000, 0xFFFF, 0x10000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    const uint32_t choice = random() % 4;
    if (choice == 0) return old + 1;
    if (choice == 1) return old - 1;
    if (choice == 2) return (uint32_t)random();
    return VALUES[random() % std::size(VALUES)];
}

static void setField(uint8_t* file, size_t size, Field field, std::minstd_rand& random) {
    if (field.offset + field.size > size) return;
    // Where the value's byte i (least significant first) is.
    auto byte = [&](uint32_t i) -> uint8_t& {
        return file[field.offset + (field.bigEndian ? field.size - 1 - i : i)];
    };
    uint32_t old = 0;
    for (uint32_t i = 0; i < field.size; i++) old |= (uint32_t)byte(i) << (8 * i);
    const uint32_t value = interestingValue(random, old);
    for (uint32_t i = 0; i < field.size; i++) byte(i) = (uint8_t)(value >> (8 * i));
}

// A field of a JPEG segment, or the file cut right after a segment's length.
static size_t mutateJpegSegment(uint8_t* file, size_t size, std::minstd_rand& random) {
    uint32_t markers[64];
    uint32_t count = 0;
    for (uint32_t at = 0; at + 3 < size && count < 64; at++)
        if (file[at] == 0xFF && file[at + 1] >= 0xC0 && file[at + 1] != 0xFF) markers[count++] = at;
    if (count == 0) return size;
    const uint32_t at = markers[random() % count];
    const bool frame = file[at + 1] == 0xC0 || file[at + 1] == 0xC2;
    const uint32_t choice = random() % 4;
    if (choice == 0) return at + 4;  // at + 3 < size: still within the file
    // The frame header's height, width or component count; or the segment's length.
    const uint32_t offset = choice == 1 && frame ? at + 5 + 2 * uint32_t(random() % 3) : at + 2;
    if (choice >= 1) setField(file, size, {offset, 2, true}, random);
    return size;
}

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize,
                                          unsigned int seed) {
    std::minstd_rand random(seed);
    if (size < 2 || random() % 2) return LLVMFuzzerMutate(data, size, maxSize);
    const int type = data[0] & 3;
    if (IMAGE_TYPES[type] == IMAGE_TYPE_JPG)
        return 1 + mutateJpegSegment(data + 1, size - 1, random);
    const std::vector<Field>& fields = HEADER_FIELDS[type];
    setField(data + 1, size - 1, fields[random() % fields.size()], random);
    return size;
}
