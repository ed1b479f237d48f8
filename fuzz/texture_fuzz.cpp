// Feeds arbitrary bytes to loadTextureFile as one of the four image types:
// the first byte picks the type, the rest is the file. Every input must end
// without a crash, a leak, a pending DevIL error or a DevIL image left alive,
// and a failed decode must have shown a message.
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
static std::string imagePath = "/tmp/veltra-texture-fuzz-" + std::to_string(getpid());
static ILuint freeImageName = 0;
static HeadlessGL* context = nullptr;  // kept for the whole run

// DevIL 1.7.8's WAL decoder loses three palettes on every file, valid ones too;
// naming it needs full stacks, since DevIL is built without frame pointers.
extern "C" const char* __lsan_default_suppressions() { return "leak:iLoadWalInternal\n"; }
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }

// DevIL hands out deleted names again before new ones, so this name changes
// only when an image was left alive.
static ILuint nextDevilImageName() {
    ILuint name = 0;
    ilGenImages(1, &name);
    ilDeleteImages(1, &name);
    return name;
}

static void fail(const char* why) {
    fprintf(stderr, "%s\n", why);
    abort();
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!(context = createHeadlessGL(16, 16))) fail("no OpenGL context");
    initImageLibrary();
    platform = &store;
    atexit([] { remove(imagePath.c_str()); });
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    freeImageName = nextDevilImageName();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    FILE* file = fopen(imagePath.c_str(), "wb");
    if (!file || fwrite(data + 1, 1, size - 1, file) != size - 1 || fclose(file) != 0) fail("cannot write the image");
    bool loaded = loadTextureFile(imagePath.c_str(), IMAGE_TYPES[data[0] & 3]);
    if (!loaded && store.messagesShown.empty() && size > 1) fail("a failed decode showed no message");
    if (nextDevilImageName() != freeImageName || ilGetError() != IL_NO_ERROR) fail("DevIL image or error left behind");
    store.messagesShown.clear();
    while (glGetError() != GL_NO_ERROR) {}
    return 0;
}
