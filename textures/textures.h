// The program-wide table of OpenGL textures, the resolution of a script's
// texture names through the Locate dialog, the placeholder texture, and the
// loading of image files through DevIL.
#pragma once

#include "platform.h"
#include "script_model.h"

#include <cstddef>
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

// True once createPlaceholderTexture has run in the preview's rendering
// context; until then resolveTexture only records names.
extern bool texturesHaveContext;
// The Locate dialog's path, kept between dialogs so each offers the last choice.
extern char locatedPath[MAX_PATH_SIZE];

constexpr int TEXTURE_SIZE_STEP_COUNT = 9;
extern const int TEXTURE_SIZE_STEPS[TEXTURE_SIZE_STEP_COUNT];
// The power-of-two side that an image side is uploaded at, within maxTextureSize.
int textureTargetSize(int side, int maxTextureSize);
// When above 0 and below the driver's GL_MAX_TEXTURE_SIZE, used in its place
// (to try the cap on drivers with a large limit).
extern int32_t textureSizeLimit;
// Loads that resampled into a buffer of their own rather than upload DevIL's pixels.
extern int32_t scaledUploadCount;

// One "LoadImage Error" box for a DevIL error code.
void showImageError(int errorCode);
