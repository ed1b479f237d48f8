#include "texture_test.h"

#include "headless_gl.h"

#include <IL/il.h>

#include <filesystem>
#include <unistd.h>

// DevIL 1.7.8's WAL decoder loses three palettes on every file, valid ones too;
// naming it needs full stacks, since DevIL is built without frame pointers.
extern "C" const char* __lsan_default_suppressions() { return "leak:iLoadWalInternal\n"; }
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }

// One context and one DevIL start for the whole program, ended at its exit.
class TextureEnvironment : public ::testing::Environment {
public:
    HeadlessGL* gl = nullptr;
    std::filesystem::path folder;

    void SetUp() override {
        gl = createHeadlessGL(64, 64);
        ASSERT_NE(gl, nullptr);
        initImageLibrary();
        folder = std::filesystem::temp_directory_path() / ("veltra-textures-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
    }
    void TearDown() override {
        shutdownImageLibrary();
        destroyHeadlessGL(gl);
        std::filesystem::remove_all(folder);
    }
};

static TextureEnvironment* environment =
    (TextureEnvironment*)::testing::AddGlobalTestEnvironment(new TextureEnvironment);

void TextureTest::resetTable(bool withContext) {
    textureCount = 0;
    placeholderSlot = 0;
    locatedPath[0] = '\0';
    texturesHaveContext = false;
    if (withContext) createPlaceholderTexture();
}

void TextureTest::SetUp() {
    platform = &store;
    textureSizeLimit = 0;
    resetTable(true);
    freeDevilName = nextDevilImageName();
}

void TextureTest::TearDown() {
    platform = nullptr;
    // Whatever the test did, no DevIL error is pending and no image is left alive.
    EXPECT_EQ(ilGetError(), (ILenum)IL_NO_ERROR);
    EXPECT_EQ(nextDevilImageName(), freeDevilName);
}

std::string TextureTest::writeImage(const std::string& name, const Bytes& bytes) {
    std::string path = (environment->folder / name).string();
    EXPECT_TRUE(writeBytes(path, bytes));
    return path;
}

TextureSize boundTextureSize() {
    TextureSize size{};
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &size.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &size.height);
    return size;
}

Bytes boundTexturePixels() {
    TextureSize size = boundTextureSize();
    Bytes pixels(size.width * size.height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// DevIL hands out deleted names again before new ones, so this name changes
// only when an image was left alive since the last call.
uint32_t nextDevilImageName() {
    ILuint name = 0;
    ilGenImages(1, &name);
    ilDeleteImages(1, &name);
    return name;
}

uint32_t newBoundTexture() {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    return texture;
}

bool boundTextureFiltersLinear() {
    GLint minFilter = 0, magFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    return minFilter == GL_LINEAR && magFilter == GL_LINEAR;
}
