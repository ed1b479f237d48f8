// The texture table: one slot per texture name, filled lazily by looking in
// the folders, then asking the installed finder, the first time a name is needed.
#include "textures.h"

#include "texture_folders.h"

#include <GL/gl.h>

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

// The DevIL type of each of IMAGE_EXTENSIONS.
static const int IMAGE_TYPES[IMAGE_EXTENSION_COUNT] = {
    IMAGE_TYPE_TGA,
    IMAGE_TYPE_JPG,
    IMAGE_TYPE_PCX,
    IMAGE_TYPE_WAL,
};

int findTextureSlot(const TextureTable& table, const char* name) {
    for (int i = 0; i < table.textureCount; i++)
        if (compareNoCase(table.textureTable[i].name, name) == 0) return i;
    return -1;
}

static uint32_t newTextureObject(const TextureTable& table) {
    uint32_t texture = 0;
    if (table.texturesHaveContext) glGenTextures(1, &texture);
    return texture;
}

static int takeSlot(TextureTable& table, const char* name, uint32_t glTexture) {
    TextureSlot& slot = table.textureTable[table.textureCount];
    copyText(slot.name, name);
    slot.glTexture = glTexture;
    slot.file[0] = '\0';
    slot.dropped = false;
    return table.textureCount++;
}

// A full table hands out the placeholder rather than run past its end.
int addTextureSlot(TextureTable& table, const char* name) {
    if (table.textureCount >= MAX_TEXTURE_SLOTS) return table.placeholderSlot;
    return takeSlot(table, name, newTextureObject(table));
}

static void showPlaceholderIn(TextureTable& table, int slot) {
    table.textureTable[slot].glTexture = table.textureTable[table.placeholderSlot].glTexture;
}

// The texture object that one resolution loads into, and where the file
// that loaded is written down.
struct LoadTarget {
    ImageLoading& loading;
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
    if (!loadTextureFile(path, IMAGE_TYPES[extension], target.loading)) return false;
    if (path != target.file) copyText(target.file, path);
    return true;
}

static bool searchFolders(TextureTable& table, const char* name, LoadTarget& target) {
    return searchTextureFolders(table.folders, name, loadInto, &target);
}

// A dropped slot: the folders first, then the file it had; the name keeps its
// slot whatever the outcome, and the user is not asked again.
static int resolveAgain(TextureTable& table, int slot) {
    TextureSlot& dropped = table.textureTable[slot];
    dropped.dropped = false;
    LoadTarget target{table.loading, newTextureObject(table), dropped.file};
    const bool hadFile = dropped.file[0] != '\0';
    if (searchFolders(table, dropped.name, target) ||
        (hadFile && loadInto(dropped.file, &target))) {
        dropped.glTexture = target.glTexture;
        return slot;
    }
    glDeleteTextures(1, &target.glTexture);
    return slot;
}

int resolveTexture(TextureTable& table, const char* name) {
    int found = findTextureSlot(table, name);
    if (found >= 0) {
        const bool reload = table.textureTable[found].dropped && table.texturesHaveContext;
        return reload ? resolveAgain(table, found) : found;
    }
    if (table.textureCount >= MAX_TEXTURE_SLOTS) return table.placeholderSlot;

    // Without a rendering context nothing can be loaded: the name is only recorded.
    if (!table.texturesHaveContext) {
        int slot = addTextureSlot(table, name);
        showPlaceholderIn(table, slot);
        return slot;
    }
    // The slot is taken only once the folders and the user have answered.
    char file[MAX_PATH_SIZE] = "";
    LoadTarget target{table.loading, newTextureObject(table), file};
    if (searchFolders(table, name, target)) {
        int slot = takeSlot(table, name, target.glTexture);
        copyText(table.textureTable[slot].file, file);
        return slot;
    }
    const TextureFileFinder& finder = table.finder;
    const char* path = finder.askUser ? finder.askUser(finder.context, name) : nullptr;
    int slot = takeSlot(table, name, target.glTexture);
    if (path) {
        copyText(table.textureTable[slot].file, path);  // tried again by a reload
        if (loadInto(path, &target)) return slot;
    }
    // The slot shows the placeholder: its own texture object is not needed.
    glDeleteTextures(1, &target.glTexture);
    showPlaceholderIn(table, slot);
    return path ? table.placeholderSlot : slot;
}

void dropLoadedTextures(TextureTable& table) {
    const uint32_t placeholder = table.textureTable[table.placeholderSlot].glTexture;
    for (int i = 0; i < table.textureCount; i++) {
        TextureSlot& slot = table.textureTable[i];
        if (i == table.placeholderSlot) continue;
        if (slot.glTexture != placeholder && table.texturesHaveContext)
            glDeleteTextures(1, &slot.glTexture);
        slot.glTexture = placeholder;
        slot.dropped = true;
    }
}

void forgetAllTextures(TextureTable& table) {
    const TextureSlot* slots = table.textureTable;
    for (int i = 0; i < table.textureCount && table.texturesHaveContext; i++) {
        const bool shown = i == table.placeholderSlot ||
                           slots[i].glTexture != slots[table.placeholderSlot].glTexture;
        if (shown) glDeleteTextures(1, &table.textureTable[i].glTexture);
    }
    table.textureCount = 0;
    table.placeholderSlot = 0;
    table.texturesHaveContext = false;
}

void TextureTable::reset() {
    forgetAllTextures(*this);
    finder = TextureFileFinder{};
    folders.reset();
    loading = ImageLoading{};
}

void createPlaceholderTexture(TextureTable& table) {
    table.texturesHaveContext = true;
    uint8_t texels[16][16][4];
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 16; x++) {
            uint8_t level = placeholderPattern[y][x] * 255;
            texels[y][x][0] = texels[y][x][1] = texels[y][x][2] = level;
            texels[y][x][3] = 255;
        }
    table.placeholderSlot = addTextureSlot(table, PLACEHOLDER_NAME);
    glBindTexture(GL_TEXTURE_2D, table.textureTable[table.placeholderSlot].glTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 16, 16, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

void resolveScriptTextures(TextureTable& table, Script* script) {
    if (script->texturesResolved == 1) return;
    for (Stage* stage = script->stages; stage; stage = stage->next) {
        stage->animCurrent = stage->animFrames;
        for (AnimFrame* frame = stage->animFrames; frame; frame = frame->next)
            frame->texture = resolveTexture(table, frame->name);
        if (stage->map[0] != '\0') stage->texture = resolveTexture(table, stage->map);
    }
    script->texturesResolved = 1;
}
