// Finding the image file of a texture name inside folders, without asking
// anyone: the folders of the script files opened in this run (most recent
// first), then the user's texture folders. A name is read as a relative path
// whose components match without regard to ASCII letter case. Needs no
// window system and no OpenGL: any tool can search the same folders.
#pragma once

#include "platform.h"
#include "texture_names.h"

constexpr int MAX_SEARCH_FOLDERS = 64;

// The image file extensions, in the order a located file's is matched.
constexpr int IMAGE_EXTENSION_COUNT = 4;
extern const char* const IMAGE_EXTENSIONS[IMAGE_EXTENSION_COUNT];
// The index in IMAGE_EXTENSIONS of the extension that path ends in (any
// letter case); -1 for any other ending.
int imageExtensionOf(const char* path);

struct SearchFolder {
    char path[MAX_PATH_SIZE];
    SearchFolder* next;
};

struct FolderCache;  // what was read of each directory

// The folders a program searches, and what it read of them.
struct TextureFolders {
    SearchFolder* scriptFolders = nullptr;   // of the script files opened, most recent first
    SearchFolder* textureFolders = nullptr;  // the user's, in search order
    FolderCache* cache;                      // owned

    TextureFolders();
    TextureFolders(const TextureFolders&) = delete;
    TextureFolders& operator=(const TextureFolders&) = delete;
    ~TextureFolders();
    // No folders, nothing read.
    void reset();
};

// Puts the folder holding filePath at the front of scriptFolders.
void addScriptFolder(TextureFolders& folders, const char* filePath);
// Appends a texture folder; false when the list is full or the path too long.
bool addTextureFolder(TextureFolders& folders, const char* path);
void clearTextureFolders(TextureFolders& folders);
void clearScriptFolders(TextureFolders& folders);
int countFolders(const SearchFolder* list);

// Offers each existing file that may hold name to tryFile, best first, until
// tryFile returns true; returns whether one did. In each folder the name
// itself comes first, then the name with each other image extension when the
// file with its own is missing. A symbolic link is followed only when its
// target stays inside the folder searched.
typedef bool (*FoundFileVisitor)(const char* path, void* context);
bool searchTextureFolders(TextureFolders& folders, const char* name, FoundFileVisitor tryFile,
                          void* context);

// The look-up reads each directory once and keeps what it read; a name it
// cannot find there makes it read that directory again only when the
// directory changed since. Forgetting makes the next look-ups read afresh.
void forgetFolderContents(TextureFolders& folders);
