// The program-wide table of OpenGL textures, the resolution of a script's
// texture names through the Locate dialog, the placeholder texture, and the
// loading of image files through DevIL.
#pragma once

#include "script_model.h"

#include <cstdint>

constexpr int MAX_TEXTURE_SLOTS = 256;
constexpr const char* PLACEHOLDER_NAME = "***NOTEX***";

struct TextureSlot {
    uint32_t glTexture;
    char name[TEXTURE_NAME_SIZE];
};

extern TextureSlot textureTable[MAX_TEXTURE_SLOTS];
extern int32_t textureCount;
extern int32_t placeholderSlot;
extern const uint8_t placeholderPattern[16][16];

int findTextureSlot(const char* name);
int addTextureSlot(const char* name);
int resolveTexture(const char* name);
const char* locateImageFile(const char* title);
void createPlaceholderTexture();
void resolveScriptTextures(Script* script);

// DevIL image types chosen by extension.
constexpr int IMAGE_TYPE_TGA = 0x042D;
constexpr int IMAGE_TYPE_JPG = 0x0425;
constexpr int IMAGE_TYPE_PCX = 0x0428;
constexpr int IMAGE_TYPE_WAL = 0x0432;

// Loads the image into the texture bound to GL_TEXTURE_2D; false when
// nothing was uploaded.
bool loadTextureFile(const char* path, int imageType);
void reportImageErrors();

// Starts and ends the image library (start-up and teardown of the editor).
void initImageLibrary();
void shutdownImageLibrary();
