// The table of OpenGL textures, the resolution of a script's texture names
// through the folders and the finder its program installs, the placeholder
// texture, and the loading of image files (DevIL gives the error texts).
#pragma once

#include "platform.h"
#include "script_model.h"
#include "texture_folders.h"

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

// Who is asked which file holds a texture name that no folder holds: the
// program installs it; without it such a name shows the placeholder.
struct TextureFileFinder {
    // The file the user chose for the name, or null when the user declined.
    const char* (*askUser)(void* context, const char* name) = nullptr;
    void* context = nullptr;
};

// Where image loads report and what they may use.
struct ImageLoading {
    Platform* platform = nullptr;  // shows the "LoadImage Error" boxes; none when null
    // When above 0 and below the driver's GL_MAX_TEXTURE_SIZE, used in its
    // place (to try the cap on drivers with a large limit).
    int32_t textureSizeLimit = 0;
    // Loads that resampled into a buffer of their own rather than upload the
    // decoded pixels.
    int32_t scaledUploadCount = 0;
};

// The texture table of one program: one slot per texture name, filled the
// first time the name is needed; slots keep their index for the whole run.
struct TextureTable {
    TextureSlot textureTable[MAX_TEXTURE_SLOTS] = {};
    int32_t textureCount = 0;
    int32_t placeholderSlot = 0;
    // True once createPlaceholderTexture has run in a rendering context;
    // until then resolveTexture only records names.
    bool texturesHaveContext = false;
    TextureFileFinder finder;
    TextureFolders folders;
    ImageLoading loading;

    // An empty table without finder, folders or limits. Its texture objects
    // are deleted when it has a context, which must then be current.
    void reset();
};

extern const uint8_t placeholderPattern[16][16];

int findTextureSlot(const TextureTable& table, const char* name);
// A new slot for the name; the placeholder's index when the table is full.
int addTextureSlot(TextureTable& table, const char* name);
// The slot of the name. A name not yet in the table is looked for in the
// folders, then the finder is asked (which may open a dialog and let the
// preview draw meanwhile); a name found nowhere, or whose file does not
// load, keeps a slot that shows the placeholder. A full table answers with
// the placeholder's slot and records nothing.
int resolveTexture(TextureTable& table, const char* name);
void createPlaceholderTexture(TextureTable& table);
// Resolves every map and frame name of the script into its records' texture
// slots and starts each animation at its first frame; then marks the script
// resolved. Does nothing for a script already resolved.
void resolveScriptTextures(TextureTable& table, Script* script);
// Drops the image of every slot but the placeholder's: each slot shows the
// placeholder and keeps its name and index until its name is resolved again,
// which looks in the folders first and then reloads the file it had.
void dropLoadedTextures(TextureTable& table);
// Empties the slots and deletes their texture objects, placeholder included,
// for a program that draws more names than the table holds; the caller
// makes the placeholder again and marks its scripts unresolved.
void forgetAllTextures(TextureTable& table);

// DevIL image types chosen by extension.
constexpr int IMAGE_TYPE_TGA = 0x042D;
constexpr int IMAGE_TYPE_JPG = 0x0425;
constexpr int IMAGE_TYPE_PCX = 0x0428;
constexpr int IMAGE_TYPE_WAL = 0x0432;

// Loads the image into the texture bound to GL_TEXTURE_2D; false when
// nothing was uploaded (a refused file has shown its error).
bool loadTextureFile(const char* path, int imageType, ImageLoading& loading);
void reportImageErrors(Platform* platform);

// Starts and ends the image library (start-up and teardown of the editor).
void initImageLibrary();
void shutdownImageLibrary();

constexpr int TEXTURE_SIZE_STEP_COUNT = 9;
extern const int TEXTURE_SIZE_STEPS[TEXTURE_SIZE_STEP_COUNT];
// The power-of-two side that an image side is uploaded at, within maxTextureSize.
int textureTargetSize(int side, int maxTextureSize);

// One "LoadImage Error" box for a DevIL error code; nothing without a platform.
void showImageError(Platform* platform, int errorCode);
