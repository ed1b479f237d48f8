// Feeds arbitrary bytes to loadTextureFile as one of the four image types:
// the first byte picks the type, the rest is the file. Every input must end
// without a crash, a leak, a pending DevIL error or a DevIL image left alive.
#include "control_store.h"
#include "headless_gl.h"
#include "textures.h"

#include <GL/gl.h>
#include <IL/il.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

static const int IMAGE_TYPES[4] = {IMAGE_TYPE_TGA, IMAGE_TYPE_JPG, IMAGE_TYPE_PCX, IMAGE_TYPE_WAL};
static ControlStore store;
static HeadlessGL* context = nullptr;
static std::string imagePath;

// DevIL hands out deleted names again before new ones, so this name changes
// only when an image was left alive.
static ILuint nextDevilImageName() {
    ILuint name = 0;
    ilGenImages(1, &name);
    ilDeleteImages(1, &name);
    return name;
}
static ILuint freeImageName = 0;

// DevIL 1.7.8's WAL decoder loses three palettes on every file, valid ones too;
// naming it needs full stacks, since DevIL is built without frame pointers.
extern "C" const char* __lsan_default_suppressions() { return "leak:iLoadWalInternal\n"; }
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    context = createHeadlessGL(16, 16);
    if (!context) {
        fprintf(stderr, "no OpenGL context\n");
        exit(1);
    }
    initImageLibrary();
    platform = &store;
    imagePath = "/tmp/veltra-texture-fuzz-" + std::to_string(getpid());
    atexit([] { remove(imagePath.c_str()); });
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    freeImageName = nextDevilImageName();
    return 0;
}

static void writeImage(const uint8_t* bytes, size_t size) {
    FILE* file = fopen(imagePath.c_str(), "wb");
    if (!file || fwrite(bytes, 1, size, file) != size) abort();
    fclose(file);
}


extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    writeImage(data + 1, size - 1);
    bool loaded = loadTextureFile(imagePath.c_str(), IMAGE_TYPES[data[0] & 3]);
    if (!loaded && store.messagesShown.empty() && size > 1) {
        fprintf(stderr, "a failed decode showed no message\n");
        abort();
    }
    if (nextDevilImageName() != freeImageName || ilGetError() != IL_NO_ERROR) {
        fprintf(stderr, "DevIL image or error left behind\n");
        abort();
    }
    store.messagesShown.clear();
    while (glGetError() != GL_NO_ERROR) {}
    return 0;
}
