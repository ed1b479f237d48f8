// How the editor answers which file holds a texture name, and its commands
// on textures: the folders of the script files opened in this run and the
// user's texture folders are searched first, and only a name found nowhere
// raises the Locate dialog.
#include "control_ids.h"
#include "editor.h"
#include "texture_folders.h"
#include "textures.h"

#include <string>

char locatedPath[MAX_PATH_SIZE];

// Each dialog offers the file chosen last time.
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

static const char* askLocateDialog(const char* name) {
    std::string title = std::string("Locate ") + name;
    return locateImageFile(title.c_str());
}

void installTextureFinder() {
    textureFileFinder = {searchTextureFolders, askLocateDialog};
}

// The list is edited as a copy and replaces the folders only when accepted.
int onTextureFolders() {
    static char paths[MAX_SEARCH_FOLDERS][MAX_PATH_SIZE];
    int count = 0;
    for (const SearchFolder* folder = textureFolders; folder; folder = folder->next)
        copyText(paths[count++], folder->path);
    if (!platform->askFolderList(paths, count, MAX_SEARCH_FOLDERS)) return 1;
    clearTextureFolders();
    for (int i = 0; i < count; i++)
        if (paths[i][0]) addTextureFolder(paths[i]);
    return 0;
}

// Every script resolves its names again when it is next selected; the
// current one at once, so a changed image shows without a restart.
int onReloadTextures() {
    forgetFolderContents();
    dropLoadedTextures();
    for (Script* script = scriptLibrary; script; script = script->next)
        script->texturesResolved = 0;
    if (currentScript) resolveScriptTextures(currentScript);
    return 0;
}
