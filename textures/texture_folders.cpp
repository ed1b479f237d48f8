// Texture names looked up in folders. Each directory is read once into a
// table keyed by entry name without regard to case; a name not in the table
// makes the directory be read again only if it changed since, so finding a
// name costs no directory scan, and files the user adds are still noticed.
#include "texture_folders.h"

#include "script_model.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <unordered_map>

const char* const IMAGE_EXTENSIONS[IMAGE_EXTENSION_COUNT] = {".tga", ".jpg", ".pcx", ".wal"};

int imageExtensionOf(const char* path) {
    size_t length = strlen(path);
    if (length < 4) return -1;
    for (int i = 0; i < IMAGE_EXTENSION_COUNT; i++)
        if (compareNoCase(path + length - 4, IMAGE_EXTENSIONS[i]) == 0) return i;
    return -1;
}

// ---------------------------------------------------------------------------
// The folder lists

static SearchFolder* newFolder(const char* path, size_t length) {
    if (length == 0 || length >= MAX_PATH_SIZE) return nullptr;
    SearchFolder* folder = (SearchFolder*)calloc(1, sizeof(SearchFolder));
    if (folder) memcpy(folder->path, path, length);
    return folder;
}

static void freeFolders(SearchFolder*& list) {
    while (list) {
        SearchFolder* next = list->next;
        free(list);
        list = next;
    }
}

int countFolders(const SearchFolder* list) {
    int count = 0;
    for (; list; list = list->next) count++;
    return count;
}

void clearTextureFolders(TextureFolders& folders) {
    freeFolders(folders.textureFolders);
}
void clearScriptFolders(TextureFolders& folders) {
    freeFolders(folders.scriptFolders);
}

bool addTextureFolder(TextureFolders& folders, const char* path) {
    SearchFolder** link = &folders.textureFolders;
    int count = 0;
    for (; *link; link = &(*link)->next) count++;
    if (count >= MAX_SEARCH_FOLDERS) return false;
    *link = newFolder(path, strlen(path));
    return *link != nullptr;
}

// The folder moves to the front when it is there already; past the limit
// the least recent one is dropped.
void addScriptFolder(TextureFolders& folders, const char* filePath) {
    SearchFolder*& scriptFolders = folders.scriptFolders;
    const char* slash = strrchr(filePath, '/');
    const char* folderPath = slash ? filePath : ".";
    size_t length = slash ? (size_t)(slash - filePath) : 1;
    if (slash == filePath) length = 1;  // a file in the root folder
    SearchFolder* folder = nullptr;
    for (SearchFolder** link = &scriptFolders; *link; link = &(*link)->next) {
        if (strlen((*link)->path) == length && memcmp((*link)->path, folderPath, length) == 0) {
            folder = *link;
            *link = folder->next;
            break;
        }
    }
    if (!folder) folder = newFolder(folderPath, length);
    if (!folder) return;
    folder->next = scriptFolders;
    scriptFolders = folder;
    if (countFolders(scriptFolders) <= MAX_SEARCH_FOLDERS) return;
    SearchFolder** last = &scriptFolders;
    while ((*last)->next) last = &(*last)->next;
    free(*last);
    *last = nullptr;
}

// ---------------------------------------------------------------------------
// What was read of each directory

namespace {

struct DirectoryEntry {
    std::string name;
    bool isDirectory;
    bool isLink;
};

struct FoldedHash {
    size_t operator()(const std::string& text) const {
        size_t hash = 14695981039346656037ull;
        for (unsigned char c : text)
            hash = (hash ^ (c >= 'A' && c <= 'Z' ? c + 32 : c)) * 1099511628211ull;
        return hash;
    }
};

struct SameNoCase {
    bool operator()(const std::string& a, const std::string& b) const {
        return compareNoCase(a.c_str(), b.c_str()) == 0;
    }
};

struct DirectoryContents {
    timespec modified{};
    // Read within a second of its last change: a file added in the same clock
    // tick would not change the time, so a miss always reads it again.
    bool maybeIncomplete = true;
    std::unordered_multimap<std::string, DirectoryEntry, FoldedHash, SameNoCase> entries;
};

}  // namespace

struct FolderCache {
    std::unordered_map<std::string, DirectoryContents> folders;
};

TextureFolders::TextureFolders() : cache(new FolderCache) {}

TextureFolders::~TextureFolders() {
    reset();
    delete cache;
}

void TextureFolders::reset() {
    clearScriptFolders(*this);
    clearTextureFolders(*this);
    forgetFolderContents(*this);
}

void forgetFolderContents(TextureFolders& folders) {
    folders.cache->folders.clear();
}

static timespec modificationTime(const char* path) {
    struct stat info;
    if (stat(path, &info) != 0) return timespec{};
    return info.st_mtim;
}

static bool sameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

static DirectoryEntry readEntry(DIR* dir, const dirent* found) {
    DirectoryEntry entry{found->d_name, found->d_type == DT_DIR, found->d_type == DT_LNK};
    if (found->d_type == DT_UNKNOWN || entry.isLink) {
        struct stat info;
        if (fstatat(dirfd(dir), found->d_name, &info, 0) == 0)
            entry.isDirectory = S_ISDIR(info.st_mode);
        if (fstatat(dirfd(dir), found->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0)
            entry.isLink = S_ISLNK(info.st_mode);
    }
    return entry;
}

// The time is taken before the entries, so a change while reading shows later.
static void readDirectory(const std::string& path, DirectoryContents& contents) {
    contents.entries.clear();
    contents.modified = modificationTime(path.c_str());
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    contents.maybeIncomplete = now.tv_sec - contents.modified.tv_sec <= 1;
    DIR* dir = opendir(path.c_str());
    if (!dir) return;
    while (const dirent* found = readdir(dir)) {
        if (strcmp(found->d_name, ".") == 0 || strcmp(found->d_name, "..") == 0) continue;
        DirectoryEntry entry = readEntry(dir, found);
        contents.entries.emplace(entry.name, entry);
    }
    closedir(dir);
}

// The entry written exactly as asked, else the first in byte order of those
// that differ only in letter case.
static const DirectoryEntry* pickEntry(const DirectoryContents& contents, const std::string& name) {
    const DirectoryEntry* best = nullptr;
    auto [first, last] = contents.entries.equal_range(name);
    for (auto it = first; it != last; ++it) {
        const DirectoryEntry& entry = it->second;
        if (entry.name == name) return &entry;
        if (!best || entry.name < best->name) best = &entry;
    }
    return best;
}

static const DirectoryEntry* findEntry(FolderCache& cache, const std::string& directory,
                                       const std::string& name) {
    auto [place, added] = cache.folders.try_emplace(directory);
    DirectoryContents& contents = place->second;
    if (added) readDirectory(directory, contents);
    const DirectoryEntry* entry = pickEntry(contents, name);
    if (entry) return entry;
    if (!contents.maybeIncomplete &&
        sameTime(contents.modified, modificationTime(directory.c_str())))
        return nullptr;
    readDirectory(directory, contents);
    return pickEntry(contents, name);
}

// ---------------------------------------------------------------------------
// Names inside one folder

// The real path of path lies inside the real path of folder.
static bool staysInside(const char* folder, const std::string& path) {
    char realFolder[PATH_MAX];
    char realTarget[PATH_MAX];
    if (!realpath(folder, realFolder) || !realpath(path.c_str(), realTarget)) return false;
    size_t length = strlen(realFolder);
    if (length == 1) return true;  // the root folder holds everything
    return strncmp(realTarget, realFolder, length) == 0 && realTarget[length] == '/';
}

// The path of the file that name stands for inside folder, its components
// matched without regard to case; empty when there is none.
static std::string findInFolder(FolderCache& cache, const char* folder, const char* name) {
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    bool crossedLink = false;
    const DirectoryEntry* entry = nullptr;
    for (const char* part = name; *part;) {
        size_t length = strcspn(part, "/\\");
        std::string component(part, length);
        part += length;
        if (*part) part++;
        if (component.empty() || component == ".") continue;
        if (entry && !entry->isDirectory) return std::string();
        entry = findEntry(cache, path, component);
        if (!entry) return std::string();
        if (path != "/") path += '/';
        path += entry->name;
        crossedLink = crossedLink || entry->isLink;
    }
    if (!entry || entry->isDirectory || path.size() >= MAX_PATH_SIZE) return std::string();
    if (crossedLink && !staysInside(folder, path)) return std::string();
    return path;
}

// The name as given, then, when that file is missing, with each other image
// extension in place of its own (or after it, when it has none of them).
static bool tryInFolder(FolderCache& cache, const char* folder, const char* name,
                        FoundFileVisitor tryFile, void* context) {
    std::string path = findInFolder(cache, folder, name);
    if (!path.empty()) return tryFile(path.c_str(), context);
    const int own = imageExtensionOf(name);
    std::string stem(name, strlen(name) - (own >= 0 ? 4 : 0));
    for (int i = 0; i < IMAGE_EXTENSION_COUNT; i++) {
        if (i == own) continue;
        path = findInFolder(cache, folder, (stem + IMAGE_EXTENSIONS[i]).c_str());
        if (!path.empty()) return tryFile(path.c_str(), context);
    }
    return false;
}

bool searchTextureFolders(TextureFolders& folders, const char* name, FoundFileVisitor tryFile,
                          void* context) {
    if (!isFolderSafeName(name)) return false;
    for (const SearchFolder* list : {folders.scriptFolders, folders.textureFolders})
        for (const SearchFolder* folder = list; folder; folder = folder->next)
            if (tryInFolder(*folders.cache, folder->path, name, tryFile, context)) return true;
    return false;
}
