// The fixture of the texture tests: a real Mesa context and real DevIL, the
// toolkit-free platform for dialogs and message boxes, and an empty texture
// table with its placeholder, as the preview's set-up leaves it.
#pragma once

#include "control_store.h"
#include "test_images.h"
#include "textures.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>

struct TextureSize {
    int width, height;
};

class TextureTest : public ::testing::Test {
protected:
    ControlStore store;
    uint32_t freeDevilName = 0;

    void SetUp() override;
    void TearDown() override;

    // Writes bytes under the test's own folder and returns the path.
    std::string writeImage(const std::string& name, const Bytes& bytes);
    void resetTable(bool withContext);
};

TextureSize boundTextureSize();
Bytes boundTexturePixels();  // RGBA, level 0
uint32_t nextDevilImageName();
uint32_t newBoundTexture();
// Both filters of the bound texture are GL_LINEAR.
bool boundTextureFiltersLinear();
