// Loading image files into the bound texture: the size rule, the upload
// without a copy, pixels that survive, and every failure path.
#include "texture_test.h"

#include <IL/il.h>
#include <IL/ilu.h>

#include <cstdio>
#include <filesystem>

TEST(TextureSizeRule, NearestStepHalfWayDownClampedAndCapped) {
    struct Case { int side, limit, target; };
    const Case cases[] = {
        {1, 16384, 16},     {15, 16384, 16},    {16, 16384, 16},    {24, 16384, 16},
        {25, 16384, 32},    {48, 16384, 32},    {49, 16384, 64},    {100, 16384, 128},
        {480, 16384, 512},  {640, 16384, 512},  {1000, 16384, 1024}, {1536, 16384, 1024},
        {1537, 16384, 2048}, {3000, 16384, 2048}, {3072, 16384, 2048}, {3073, 16384, 4096},
        {4096, 16384, 4096}, {9000, 16384, 4096}, {4096, 2048, 2048}, {3073, 1024, 1024},
        {100, 64, 64},      {30, 64, 32},       {4096, 3000, 2048}, {20, 8, 8},
    };
    for (const Case& c : cases)
        EXPECT_EQ(textureTargetSize(c.side, c.limit), c.target) << c.side << " within " << c.limit;
}

TEST_F(TextureTest, UploadedSizesFollowTheRuleWithLinearFilters) {
    struct Case { int width, height, limit, targetWidth, targetHeight; };
    const Case cases[] = {
        {24, 24, 0, 16, 16},   {25, 25, 0, 32, 32},         {100, 50, 0, 128, 64},
        {640, 480, 0, 512, 512}, {1000, 1000, 0, 1024, 1024}, {3000, 20, 0, 2048, 16},
        {8, 5, 0, 16, 16},     {4096, 16, 2048, 2048, 16},  {256, 256, 64, 64, 64},
    };
    for (const Case& c : cases) {
        textureSizeLimit = c.limit;
        std::string path = writeImage("size.tga", encodeTga(c.width, c.height, testPattern(c.width, c.height)));
        newBoundTexture();
        ASSERT_TRUE(loadTextureFile(path.c_str(), IMAGE_TYPE_TGA)) << c.width << "x" << c.height;
        TextureSize size = boundTextureSize();
        EXPECT_EQ(size.width, c.targetWidth) << c.width << "x" << c.height << " within " << c.limit;
        EXPECT_EQ(size.height, c.targetHeight) << c.width << "x" << c.height << " within " << c.limit;
        GLint format = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
        EXPECT_EQ(format, GL_RGBA8);
        EXPECT_TRUE(boundTextureFiltersLinear());
    }
    EXPECT_TRUE(store.messagesShown.empty());
}

TEST_F(TextureTest, OnlyImagesThatChangeSizeAreCopied) {
    std::string square = writeImage("square.tga", encodeTga(256, 256, testPattern(256, 256)));
    std::string odd = writeImage("odd.tga", encodeTga(24, 24, testPattern(24, 24)));
    int before = scaledUploadCount;
    newBoundTexture();
    ASSERT_TRUE(loadTextureFile(square.c_str(), IMAGE_TYPE_TGA));
    EXPECT_EQ(scaledUploadCount, before);
    ASSERT_TRUE(loadTextureFile(odd.c_str(), IMAGE_TYPE_TGA));
    EXPECT_EQ(scaledUploadCount, before + 1);
}

TEST_F(TextureTest, PixelsSurviveTheUploadForEveryType) {
    Bytes pattern = testPattern(16, 16);
    const struct { const char* name; Bytes bytes; int type; } exact[] = {
        {"exact.tga", encodeTga(16, 16, pattern), IMAGE_TYPE_TGA},
        {"exact.pcx", encodePcx(16, 16, pattern), IMAGE_TYPE_PCX},
        {"exact-rle.tga", encodeTgaRle(16, 16, pattern), IMAGE_TYPE_TGA},
    };
    for (const auto& image : exact) {
        newBoundTexture();
        ASSERT_TRUE(loadTextureFile(writeImage(image.name, image.bytes).c_str(), image.type)) << image.name;
        EXPECT_EQ(boundTexturePixels(), pattern) << image.name;
    }

    // A paletted PCX: palette entry k is the colour (k, 255 - k, k / 2).
    Bytes palette, pcxIndices(16 * 16), expected;
    for (int k = 0; k < 256; k++) palette.insert(palette.end(), {(uint8_t)k, (uint8_t)(255 - k), (uint8_t)(k / 2)});
    for (int i = 0; i < 256; i++) {
        pcxIndices[i] = (uint8_t)(i * 37);
        expected.insert(expected.end(), &palette[pcxIndices[i] * 3], &palette[pcxIndices[i] * 3 + 3]);
        expected.push_back(255);
    }
    newBoundTexture();
    Bytes paletted = encodePcxPaletted(16, 16, pcxIndices, palette);
    ASSERT_TRUE(loadTextureFile(writeImage("paletted.pcx", paletted).c_str(), IMAGE_TYPE_PCX));
    EXPECT_EQ(boundTexturePixels(), expected);

    // Four flat quadrants, one JPEG block each way, come back close to their colours.
    Bytes quadrants(16 * 16 * 4);
    for (int i = 0; i < 256; i++) {
        int quadrant = (i % 16) / 8 + (i / 16) / 8 * 2;
        const uint8_t colours[4][3] = {{250, 20, 20}, {20, 250, 20}, {20, 20, 250}, {240, 240, 240}};
        for (int c = 0; c < 3; c++) quadrants[i * 4 + c] = colours[quadrant][c];
        quadrants[i * 4 + 3] = 255;
    }
    newBoundTexture();
    ASSERT_TRUE(loadTextureFile(writeImage("flat.jpg", encodeJpg(16, 16, quadrants)).c_str(), IMAGE_TYPE_JPG));
    Bytes jpg = boundTexturePixels();
    for (int i : {3 * 16 + 3, 3 * 16 + 12, 12 * 16 + 3, 12 * 16 + 12})
        for (int c = 0; c < 4; c++) EXPECT_NEAR(jpg[i * 4 + c], quadrants[i * 4 + c], 24) << i;

    // WAL colours come from the Quake 2 palette, whose first sixteen entries are a
    // grey ramp up from black: index x in column x gives greys that rise left to right.
    Bytes indices(16 * 16);
    for (int i = 0; i < 256; i++) indices[i] = i % 16;
    newBoundTexture();
    ASSERT_TRUE(loadTextureFile(writeImage("ramp.wal", encodeWal(16, 16, indices)).c_str(), IMAGE_TYPE_WAL));
    Bytes wal = boundTexturePixels();
    EXPECT_EQ(wal[0], 0);
    for (int x = 1; x < 16; x++) {
        EXPECT_GT(wal[x * 4], wal[(x - 1) * 4]) << x;
        EXPECT_EQ(wal[x * 4], wal[x * 4 + 1]);
        EXPECT_EQ(wal[(15 * 16 + x) * 4], wal[x * 4]);
    }
    EXPECT_TRUE(store.messagesShown.empty());
}

// Exported by DevIL but missing from its header: records an error.
extern "C" void ilSetError(ILenum error);

static std::string devilErrorText(int code) {
    char text[2048];
    snprintf(text, sizeof text, "%d: %s", code, iluErrorString(code));
    return text;
}

TEST_F(TextureTest, FailuresShowDevilsErrorsAndLeaveNothingBehind) {
    newBoundTexture();

    EXPECT_FALSE(loadTextureFile("/nonexistent/wall.tga", IMAGE_TYPE_TGA));
    EXPECT_TRUE(store.messagesShown.empty());

    // Contents that do not match the type: DevIL's own errors, one box each, in order.
    Bytes jpg = encodeJpg(16, 16, testPattern(16, 16));
    std::string path = writeImage("not-a.jpg", encodeTga(16, 16, testPattern(16, 16)));
    ASSERT_FALSE(loadTextureFile(path.c_str(), IMAGE_TYPE_JPG));
    ASSERT_FALSE(store.messagesShown.empty());
    EXPECT_NE(store.messagesShown[0].text, devilErrorText(IL_INVALID_FILE_HEADER));
    for (const MessageShown& message : store.messagesShown) {
        EXPECT_EQ(message.caption, "LoadImage Error");
        int code = atoi(message.text.c_str());
        EXPECT_EQ(message.text, devilErrorText(code));
    }
    EXPECT_EQ(ilGetError(), (ILenum)IL_NO_ERROR);

    // Several errors: one box each, in the order DevIL hands them out (latest first).
    store.messagesShown.clear();
    ilSetError(IL_ILLEGAL_FILE_VALUE);
    ilSetError(IL_OUT_OF_MEMORY);
    reportImageErrors();
    ASSERT_EQ(store.messagesShown.size(), 2u);
    EXPECT_EQ(store.messagesShown[0].text, devilErrorText(IL_OUT_OF_MEMORY));
    EXPECT_EQ(store.messagesShown[1].text, devilErrorText(IL_ILLEGAL_FILE_VALUE));

    // Damaged WAL files never reach DevIL: exactly one bad-header box.
    Bytes wal = encodeWal(16, 16, Bytes(256, 7));
    Bytes truncated(wal.begin(), wal.end() - 1);
    Bytes pastEnd = wal;
    pastEnd[40 + 12] = 0xFF;
    Bytes tiny = encodeWal(4, 4, Bytes(16, 7));
    for (const Bytes& broken : {truncated, pastEnd, tiny, Bytes(99, 0)}) {
        store.messagesShown.clear();
        EXPECT_FALSE(loadTextureFile(writeImage("broken.wal", broken).c_str(), IMAGE_TYPE_WAL));
        ASSERT_EQ(store.messagesShown.size(), 1u);
        EXPECT_EQ(store.messagesShown[0].text, devilErrorText(IL_INVALID_FILE_HEADER));
    }

    // Empty and cut-off files of every type fail with at least one box.
    const int types[] = {IMAGE_TYPE_TGA, IMAGE_TYPE_JPG, IMAGE_TYPE_PCX, IMAGE_TYPE_WAL};
    const Bytes valid[] = {encodeTga(16, 16, testPattern(16, 16)), jpg,
                           encodePcx(16, 16, testPattern(16, 16)), wal};
    for (int i = 0; i < 4; i++)
        for (size_t length : {(size_t)0, (size_t)10, valid[i].size() / 2}) {
            store.messagesShown.clear();
            Bytes cut(valid[i].begin(), valid[i].begin() + length);
            EXPECT_FALSE(loadTextureFile(writeImage("cut", cut).c_str(), types[i])) << i << " " << length;
            EXPECT_FALSE(store.messagesShown.empty()) << i << " " << length;
        }
}

// Inputs that once crashed the decoder or left DevIL state behind, kept from
// the fuzz runs: the first byte picks the type, the rest is the file.
TEST_F(TextureTest, PastDecoderCrashersFailWithoutHarm) {
    const int types[4] = {IMAGE_TYPE_TGA, IMAGE_TYPE_JPG, IMAGE_TYPE_PCX, IMAGE_TYPE_WAL};
    for (const auto& entry : std::filesystem::directory_iterator(TEXTURE_CRASHERS_DIR)) {
        FILE* file = fopen(entry.path().c_str(), "rb");
        ASSERT_NE(file, nullptr);
        Bytes input(entry.file_size());
        ASSERT_EQ(fread(input.data(), 1, input.size(), file), input.size());
        fclose(file);
        if (input.empty()) continue;
        std::string path = writeImage("crasher", Bytes(input.begin() + 1, input.end()));
        newBoundTexture();
        store.messagesShown.clear();
        EXPECT_FALSE(loadTextureFile(path.c_str(), types[input[0] & 3])) << entry.path();
        EXPECT_EQ(store.messagesShown.size(), 1u) << entry.path();
    }
}
