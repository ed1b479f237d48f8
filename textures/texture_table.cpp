// The texture table: one slot per texture name, filled lazily by asking the
// installed finder which image file holds a name the first time it is needed.
#include "textures.h"

#include "texture_folders.h"

#include <GL/gl.h>

TextureSlot textureTable[MAX_TEXTURE_SLOTS];
int32_t textureCount = 0;
int32_t placeholderSlot = 0;
bool texturesHaveContext = false;

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

TextureFileFinder textureFileFinder = {nullptr, nullptr};

// The DevIL type of each of IMAGE_EXTENSIONS.
static const int IMAGE_TYPES[IMAGE_EXTENSION_COUNT] = {
    IMAGE_TYPE_TGA,
    IMAGE_TYPE_JPG,
    IMAGE_TYPE_PCX,
    IMAGE_TYPE_WAL,
};

int findTextureSlot(const char* name) {
    for (int i = 0; i < textureCount; i++)
        if (compareNoCase(textureTable[i].name, name) == 0) return i;
    return -1;
}

static uint32_t newTextureObject() {
    uint32_t texture = 0;
    if (texturesHaveContext) glGenTextures(1, &texture);
    return texture;
}

static int takeSlot(const char* name, uint32_t glTexture) {
    TextureSlot& slot = textureTable[textureCount];
    copyText(slot.name, name);
    slot.glTexture = glTexture;
    slot.file[0] = '\0';
    slot.dropped = false;
    return textureCount++;
}

// A full table hands out the placeholder rather than run past its end.
int addTextureSlot(const char* name) {
    if (textureCount >= MAX_TEXTURE_SLOTS) return placeholderSlot;
    return takeSlot(name, newTextureObject());
}

static void showPlaceholderIn(int slot) {
    textureTable[slot].glTexture = textureTable[placeholderSlot].glTexture;
}

// The texture object that one resolution loads into, and where the file
// that loaded is written down.
struct LoadTarget {
    uint32_t glTexture;
    char (&file)[MAX_PATH_SIZE];
};

// The type comes from the path's extension only. The texture is bound for
// each file anew: a failed file's message box lets the preview draw between.
static bool loadInto(const char* path, void* context) {
    LoadTarget& target = *(LoadTarget*)context;
    const int extension = imageExtensionOf(path);
    if (extension < 0) return false;
    glBindTexture(GL_TEXTURE_2D, target.glTexture);
    if (!loadTextureFile(path, IMAGE_TYPES[extension])) return false;
    if (path != target.file) copyText(target.file, path);
    return true;
}

static bool searchFolders(const char* name, LoadTarget& target) {
    if (!textureFileFinder.searchFolders) return false;
    return textureFileFinder.searchFolders(name, loadInto, &target);
}

// A dropped slot: the folders first, then the file it had; the name keeps its
// slot whatever the outcome, and the user is not asked again.
static int resolveAgain(int slot) {
    TextureSlot& dropped = textureTable[slot];
    dropped.dropped = false;
    LoadTarget target{newTextureObject(), dropped.file};
    const bool hadFile = dropped.file[0] != '\0';
    if (searchFolders(dropped.name, target) || (hadFile && loadInto(dropped.file, &target))) {
        dropped.glTexture = target.glTexture;
        return slot;
    }
    glDeleteTextures(1, &target.glTexture);
    return slot;
}

int resolveTexture(const char* name) {
    int found = findTextureSlot(name);
    if (found >= 0) {
        const bool reload = textureTable[found].dropped && texturesHaveContext;
        return reload ? resolveAgain(found) : found;
    }
    if (textureCount >= MAX_TEXTURE_SLOTS) return placeholderSlot;

    // Without a rendering context nothing can be loaded: the name is only recorded.
    if (!texturesHaveContext) {
        int slot = addTextureSlot(name);
        showPlaceholderIn(slot);
        return slot;
    }
    // The slot is taken only once the folders and the user have answered.
    char file[MAX_PATH_SIZE] = "";
    LoadTarget target{newTextureObject(), file};
    if (searchFolders(name, target)) {
        int slot = takeSlot(name, target.glTexture);
        copyText(textureTable[slot].file, file);
        return slot;
    }
    const char* path = textureFileFinder.askUser ? textureFileFinder.askUser(name) : nullptr;
    int slot = takeSlot(name, target.glTexture);
    if (!path) {
        showPlaceholderIn(slot);
        return slot;
    }
    copyText(textureTable[slot].file, path);  // tried again by a reload, even when it fails now
    if (loadInto(path, &target)) return slot;
    showPlaceholderIn(slot);
    return placeholderSlot;
}

void dropLoadedTextures() {
    const uint32_t placeholder = textureTable[placeholderSlot].glTexture;
    for (int i = 0; i < textureCount; i++) {
        TextureSlot& slot = textureTable[i];
        if (i == placeholderSlot) continue;
        if (slot.glTexture != placeholder && texturesHaveContext)
            glDeleteTextures(1, &slot.glTexture);
        slot.glTexture = placeholder;
        slot.dropped = true;
    }
}

void forgetAllTextures() {
    for (int i = 0; i < textureCount && texturesHaveContext; i++) {
        const bool shown = i == placeholderSlot ||
                           textureTable[i].glTexture != textureTable[placeholderSlot].glTexture;
        if (shown) glDeleteTextures(1, &textureTable[i].glTexture);
    }
    textureCount = 0;
    placeholderSlot = 0;
    texturesHaveContext = false;
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
