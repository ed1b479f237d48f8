// The program-wide table of OpenGL textures, the resolution of a script's
// texture names through the finder its program installs, the placeholder
// texture, and the loading of image files (DevIL gives the error texts).
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
    char file[MAX_PATH_SIZE];  // the image file the name was found at or located to; "" when none
    bool dropped;              // its image was dropped: the name is resolved again into this slot
};

// Which file holds a texture name: asked by resolveTexture for every name not
// yet in the table, first searchFolders, then askUser when that found nothing
// that loads. The program installs it at start-up; either may be null.
struct TextureFileFinder {
    // Offers candidate files to tryFile, best first, until one loads (true).
    bool (*searchFolders)(const char* name, bool (*tryFile)(const char* path, void* context),
                          void* context);
    // The file the user chose for the name, or null when the user declined.
    const char* (*askUser)(const char* name);
};
extern TextureFileFinder textureFileFinder;

extern TextureSlot textureTable[MAX_TEXTURE_SLOTS];
extern int32_t textureCount;
extern int32_t placeholderSlot;
extern const uint8_t placeholderPattern[16][16];

int findTextureSlot(const char* name);
int addTextureSlot(const char* name);
int resolveTexture(const char* name);
void createPlaceholderTexture();
void resolveScriptTextures(Script* script);
// Drops the image of every slot but the placeholder's: each slot shows the
// placeholder and keeps its name and index until its name is resolved again,
// which looks in the folders first and then reloads the file it had.
void dropLoadedTextures();
// Empties the table and deletes its texture objects, placeholder included,
// for a program that draws more names than the table holds; the caller
// makes the placeholder again and marks its scripts unresolved.
void forgetAllTextures();

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
