// File > Texture Folders... and File > Reload Textures, and how the editor
// answers which file holds a texture name: the folders of the script files
// opened in this run and the user's texture folders are searched first, and
// only a name found nowhere raises the Locate dialog.
#include "control_ids.h"
#include "editor.h"

#include <string>

// Each dialog offers the file chosen last time.
const char* locateImageFile(EditorContext& g, const char* title) {
    if (!g.platform) return nullptr;
    FileDialogRequest request;
    request.title = title;
    request.filterName = "Image file";
    request.filterPattern = "*.tga;*.jpg;*.wal;*.pcx";
    request.path = g.paths.locatedPath;
    request.pathSize = MAX_PATH_SIZE;
    return g.platform->askFileName(request) ? g.paths.locatedPath : nullptr;
}

static const char* askLocateDialog(void* context, const char* name) {
    std::string title = std::string("Locate ") + name;
    return locateImageFile(*(EditorContext*)context, title.c_str());
}

void installTextureFinder(EditorContext& g) {
    g.textures.finder = {askLocateDialog, &g};
    g.textures.loading.platform = g.platform;
}

// The list is edited as a copy and replaces the folders only when accepted.
int onTextureFolders(EditorContext& g) {
    TextureFolders& folders = g.textures.folders;
    char paths[MAX_SEARCH_FOLDERS][MAX_PATH_SIZE];
    int count = 0;
    for (const SearchFolder* folder = folders.textureFolders; folder; folder = folder->next)
        copyText(paths[count++], folder->path);
    if (!g.platform->askFolderList(paths, count, MAX_SEARCH_FOLDERS)) return 1;
    clearTextureFolders(folders);
    for (int i = 0; i < count; i++)
        if (paths[i][0]) addTextureFolder(folders, paths[i]);
    return 0;
}

// Every script resolves its names again when it is next selected; the
// current one at once, so a changed image shows without a restart.
int onReloadTextures(EditorContext& g) {
    forgetFolderContents(g.textures.folders);
    dropLoadedTextures(g.textures);
    for (Script* script = g.library.scripts; script; script = script->next)
        script->texturesResolved = 0;
    if (g.selection.currentScript) resolveScriptTextures(g.textures, g.selection.currentScript);
    return 0;
}
