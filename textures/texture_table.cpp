// The texture table: one slot per texture name, filled lazily by asking the
// user which image file holds a name the first time it is needed.
#include "textures.h"

#include "platform.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstring>
#include <string>

TextureSlot textureTable[MAX_TEXTURE_SLOTS];
int32_t textureCount = 0;
int32_t placeholderSlot = 0;
bool texturesHaveContext = false;
char locatedPath[MAX_PATH_SIZE];

// A one-texel white frame around a black interior.
const uint8_t placeholderPattern[16][16] = {
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
    {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},
    {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},
    {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},
    {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},
    {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},
    {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},
    {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},
    {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},
    {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},
    {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},
    {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},
    {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},
    {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},
    {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
};

struct ImageExtension {
    const char* ext;
    int imageType;
};

// Tried in this order against the last four characters of a located path.
static const ImageExtension IMAGE_EXTENSIONS[] = {
    {".tga", IMAGE_TYPE_TGA},
    {".jpg", IMAGE_TYPE_JPG},
    {".pcx", IMAGE_TYPE_PCX},
    {".wal", IMAGE_TYPE_WAL},
};

int findTextureSlot(const char* name) {
    for (int i = 0; i < textureCount; i++)
        if (compareNoCase(textureTable[i].name, name) == 0) return i;
    return -1;
}

// A full table hands out the placeholder rather than run past its end.
int addTextureSlot(const char* name) {
    if (textureCount >= MAX_TEXTURE_SLOTS) return placeholderSlot;
    TextureSlot& slot = textureTable[textureCount];
    snprintf(slot.name, sizeof slot.name, "%s", name);
    slot.glTexture = 0;
    if (texturesHaveContext) glGenTextures(1, &slot.glTexture);
    return textureCount++;
}

const char* locateImageFile(const char* title) {
    if (!platform) return nullptr;
    FileDialogRequest request;
    request.title = title;
    request.filterName = "Image file";
    request.filterPattern = "*.tga;*.jpg;*.wal;*.pcx";
    request.path = locatedPath;
    request.pathSize = MAX_PATH_SIZE;
    return platform->askFileName(request) ? locatedPath : nullptr;
}

// The DevIL type for a path's last four characters; 0 for any other ending.
static int imageTypeOfPath(const char* path) {
    size_t length = strlen(path);
    if (length < 4) return 0;
    for (const ImageExtension& known : IMAGE_EXTENSIONS)
        if (compareNoCase(path + length - 4, known.ext) == 0) return known.imageType;
    return 0;
}

static void showPlaceholderIn(int slot) {
    textureTable[slot].glTexture = textureTable[placeholderSlot].glTexture;
}

int resolveTexture(const char* name) {
    int found = findTextureSlot(name);
    if (found >= 0) return found;
    if (textureCount >= MAX_TEXTURE_SLOTS) return placeholderSlot;

    // Without a rendering context nothing can be loaded: the name is only recorded.
    const char* path = nullptr;
    if (texturesHaveContext) {
        std::string title = std::string("Locate ") + name;
        path = locateImageFile(title.c_str());
    }
    int slot = addTextureSlot(name);
    if (!path) {
        showPlaceholderIn(slot);
        return slot;
    }
    int imageType = imageTypeOfPath(path);
    glBindTexture(GL_TEXTURE_2D, textureTable[slot].glTexture);
    if (imageType != 0 && loadTextureFile(path, imageType)) return slot;
    showPlaceholderIn(slot);
    return placeholderSlot;
}

void createPlaceholderTexture() {
    texturesHaveContext = true;
    uint8_t texels[16][16][4];
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 16; x++) {
            uint8_t level = placeholderPattern[y][x] * 255;
            texels[y][x][0] = texels[y][x][1] = texels[y][x][2] = level;
            texels[y][x][3] = 255;
        }
    placeholderSlot = addTextureSlot(PLACEHOLDER_NAME);
    glBindTexture(GL_TEXTURE_2D, textureTable[placeholderSlot].glTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 16, 16, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

void resolveScriptTextures(Script* script) {
    if (script->texturesResolved == 1) return;
    for (Stage* stage = script->stages; stage; stage = stage->next) {
        stage->animCurrent = stage->animFrames;
        for (AnimFrame* frame = stage->animFrames; frame; frame = frame->next)
            frame->texture = resolveTexture(frame->name);
        if (stage->map[0] != '\0') stage->texture = resolveTexture(stage->map);
    }
    script->texturesResolved = 1;
}
