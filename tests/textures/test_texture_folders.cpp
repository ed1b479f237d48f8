// Texture names looked up in real folders written here: letter case, the
// extension fallback, refused names, symbolic links, the search order and
// files added after a folder was read.
#include "texture_folders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Paths = std::vector<std::string>;

// Every file offered, accepting the one named accept (all when empty).
struct Offers {
    Paths offered;
    std::string accept;
};

static bool recordOffer(const char* path, void* context) {
    Offers& offers = *(Offers*)context;
    offers.offered.push_back(path);
    return offers.accept.empty() || offers.accept == path;
}

// Each test searches folders of its own, in a directory of its own.
struct FolderSearch : ::testing::Test {
    TextureFolders folders;
    fs::path root = fs::temp_directory_path() / ("veltra-folders-" + std::to_string(getpid()));

    void SetUp() override { fs::create_directories(root); }
    void TearDown() override { fs::remove_all(root); }
    std::string file(const std::string& relative) {
        fs::path path = root / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "image";
        return path.string();
    }
    // The first file offered for name, accepting the first; "" when none.
    std::string found(const char* name) {
        Offers offers;
        searchTextureFolders(folders, name, recordOffer, &offers);
        return offers.offered.empty() ? std::string() : offers.offered[0];
    }
};

// Each component is matched without regard to case; the spelling on disk is what is
// offered. A name's own extension comes before the others. No name leaves its folder:
// absolute names, ".." and links out are refused.
TEST_F(FolderSearch, NamesMatchEachComponentInAnyCaseAndStayInTheirFolder) {
    const std::string flame = file("scripts/Pics/Demo/Flame1.TGA");
    const std::string wall = file("scripts/textures/wall.jpg");
    const std::string stone = file("library/Stone.pcx");
    const std::string stoneTga = file("library/stone.tga");
    file("library/real/wall.tga");
    file("outside/secret.tga");
    fs::create_symlink(root / "outside", root / "library/escape");
    fs::create_symlink(root / "outside/secret.tga", root / "library/secret.tga");
    fs::create_symlink(root / "library/real", root / "library/alias");
    addScriptFolder(folders, (root / "scripts/demo.txt").c_str());
    addTextureFolder(folders, (root / "library").c_str());

    const struct {
        const char* name;
        std::string expected;
    } cases[] = {
        {"PICS\\DEMO\\flame1.Tga", flame},  // written on another system
        {"pics//demo/./flame1.tga", flame},
        {"textures/wall.tga", wall},  // the .tga is missing: .jpg
        {"textures/wall", wall},      // no extension: each one appended
        {"stone.pcx", stone},
        {"stone.wal", stoneTga},  // .tga comes first of the others
        {"pics/demo", ""},        // a folder is no image
        {"pics/demo/flame1.tga/x.tga", ""},
        {"escape/secret.tga", ""},
        {"secret.tga", ""},
        {"ALIAS/wall.tga", (root / "library/alias/wall.tga").string()},
    };
    for (const auto& c : cases) EXPECT_EQ(found(c.name), c.expected) << c.name;
    for (const char* name :
         {"", "\\etc\\passwd", "sub/../../outside/secret.tga", "real/..\\..\\outside/secret.tga"})
        EXPECT_FALSE(isFolderSafeName(name)) << name;
    EXPECT_TRUE(isFolderSafeName("a..b/..c/wall.tga"));
}

// Folders of opened scripts, the latest first, before the texture folders in
// their order; a file that does not load passes the turn to the next folder,
// not to the same name with another extension.
TEST_F(FolderSearch, SearchOrderAndFilesThatDoNotLoad) {
    const std::string older = file("older/wall.tga");
    const std::string newer = file("newer/wall.tga");
    const std::string first = file("first/wall.tga");
    const std::string second = file("second/wall.tga");
    file("newer/wall.jpg");  // offered only where there is no wall.tga
    addScriptFolder(folders, (root / "older/a.txt").c_str());
    addScriptFolder(folders, (root / "newer/b.txt").c_str());
    addTextureFolder(folders, (root / "first").c_str());
    addTextureFolder(folders, (root / "second").c_str());

    Offers none{{}, "nothing loads"};
    EXPECT_FALSE(searchTextureFolders(folders, "WALL.tga", recordOffer, &none));
    EXPECT_EQ(none.offered, (Paths{newer, older, first, second}));

    addScriptFolder(folders, (root / "older/c.txt").c_str());  // opened again: first once more
    Offers secondLoads{{}, second};
    EXPECT_TRUE(searchTextureFolders(folders, "wall.tga", recordOffer, &secondLoads));
    EXPECT_EQ(secondLoads.offered, (Paths{older, newer, first, second}));
}

// What was read of a folder is kept, yet a file added later is found; once
// forgotten (a reload), the exact spelling wins over one in another case.
TEST_F(FolderSearch, FilesAddedAfterAFolderWasReadAreFound) {
    file("textures/wall.tga");
    addTextureFolder(folders, (root / "textures").c_str());
    EXPECT_EQ(found("deep/sky.tga"), "");
    const std::string sky = file("textures/deep/Sky.tga");
    EXPECT_EQ(found("deep/sky.tga"), sky);
    const std::string exact = file("textures/deep/sky.tga");
    EXPECT_EQ(found("deep/sky.tga"), sky);
    forgetFolderContents(folders);
    EXPECT_EQ(found("deep/sky.tga"), exact);
    EXPECT_EQ(found("deep/SKY.tga"), sky);  // "Sky" before "sky" in byte order
}
