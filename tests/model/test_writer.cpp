// The writer: the layout byte for byte, and saving that never destroys the
// file it replaces.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <csignal>
#include <string>

#include "library_fixture.h"

using Writer = LibraryTest;

TEST_F(Writer, EmptyLibraryAndBareScripts) {
    EXPECT_EQ(written(), "");
    appendScript("bare");
    EXPECT_EQ(written(), "bare\n{\n}\n\n");

    Script* script = appendScript("added");
    Stage* stage = appendEmptyStage(script);
    stage->blendSrc = 770.0f;      // not written while blending is off
    stage->animDelay = 2.0f;       // not written without frames
    stage->alphaMax = 1.0f;        // not written without speed or minimum
    stage->scrollTypeX = WAVE_SINE;  // not written without a value
    stage->lightmap = 0;           // never written
    EXPECT_EQ(written(), "bare\n{\n}\n\nadded\n{\n\t{\n\t}\n}\n\n");
}

TEST_F(Writer, EveryRowInItsOrder) {
    Script* script = appendScript("Full");
    script->subdivide = 200;
    script->safe = 1;
    script->warpSpeed = 1.5f;
    script->warpDistance = -2.0f;
    script->warpSmoothness = 0.25f;

    Stage* first = appendStage(script);
    copyText(first->map, "ab");  // too short to be written
    first->alphamask = 1;
    first->envmap = 1;
    first->alphaMin = 0.5f;
    first->alphaMax = 1.0f;
    first->blendEnabled = 1;
    first->scrollTypeX = WAVE_COSINE;
    first->scrollTypeY = 9;
    first->scrollY = 0.0000004f;
    first->scaleX = -1.0f;
    first->rotateSpeed = 90.0f;
    first->animDelay = 0.125f;
    const char* frames[] = {"f1.tga", "f2.tga"};
    AnimFrame** link = &first->animFrames;
    for (const char* name : frames) {
        *link = (AnimFrame*)calloc(1, sizeof(AnimFrame));
        copyText((*link)->name, name);
        link = &(*link)->next;
        first->animFrameCount++;
    }

    Stage* second = appendStage(script);
    copyText(second->map, "later.tga");
    second->blendEnabled = 1;
    second->blendSrc = 774.0f;
    second->blendDst = 1.0f;
    second->alphaSpeed = 3.0f;

    EXPECT_EQ(written(),
              "Full\n{\n"
              "\tsubdivide 200\n"
              "\tsafe\n"
              "\tvertexwarp 1.500000 -2.000000 0.250000\n"
              "\t{\n"
              "\t\talphamask\n"
              "\t\tenvmap\n"
              "\t\talphashift 0.000000 0.500000 1.000000\n"
              "\t\tblendfunc GL_ZERO GL_ZERO\n"
              "\t\tscroll cosine 0.000000 static 0.000000\n"
              "\t\tscale static -1.000000 static 0.000000\n"
              "\t\tanim 0.125000 f1.tga f2.tga end\n"
              "\t\trotate 90.000000\n"
              "\t}\n"
              "\t{\n"
              "\t\tmap later.tga\n"
              "\t\talphashift 3.000000 0.000000 0.000000\n"
              "\t\tblendfunc GL_DST_COLOR GL_ONE\n"
              "\t}\n"
              "\t[\n\t\teditorimage f1.tga\n\t]\n"
              "}\n\n");

    // A stage's map comes before its own frames.
    copyText(first->map, "first.tga");
    EXPECT_NE(written().find("editorimage first.tga\n"), std::string::npos);
}

// Under a decimal-comma locale, as set by the desktop toolkit, files must
// still be read and written with '.'.
TEST_F(Writer, NumbersIgnoreTheProcessLocale) {
    ASSERT_NE(setlocale(LC_ALL, "de_DE.UTF-8"), nullptr)
        << "the de_DE.UTF-8 locale is missing; scripts/setup-debian.sh generates it";
    char check[16];
    snprintf(check, sizeof check, "%.1f", 0.5);
    EXPECT_STREQ(check, "0,5");

    read("s { vertexwarp 0.5 1.25 0.75 { rotate 2.5 } }");
    Script* script = findScript("s");
    EXPECT_EQ(script->warpSpeed, 0.5f);
    EXPECT_EQ(script->warpDistance, 1.25f);
    EXPECT_EQ(script->stages->rotateSpeed, 2.5f);
    std::string text = written();
    setlocale(LC_ALL, "C");
    EXPECT_NE(text.find("vertexwarp 0.500000 1.250000 0.750000\n"), std::string::npos) << text;
    EXPECT_NE(text.find("rotate 2.500000\n"), std::string::npos) << text;
}

TEST_F(Writer, MissingFolderFailsWithoutLeavingAnything) {
    appendScript("s");
    errno = 0;
    EXPECT_FALSE(writeScriptFile(pathOf("no/such/folder.txt").c_str()));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_TRUE(folderEntries().empty());
}

// A save that runs out of room half way (here: a file size limit in a
// child process) leaves the old file whole and reports the failure.
TEST_F(Writer, FailureHalfWayKeepsTheOldFile) {
    std::string path = pathOf("scripts.txt");
    putFile(path, "old contents\n");
    for (int i = 0; i < 2000; i++)
        copyText(appendStage(appendScript(("s" + std::to_string(i)).c_str()))->map, "textures/x.tga");

    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        bool saved = writeScriptFile(path.c_str());
        _exit(saved ? 0 : errno == EFBIG ? 2 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    EXPECT_EQ(fileContents(path), "old contents\n");
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"scripts.txt"});

    EXPECT_TRUE(writeScriptFile(path.c_str()));  // without the limit it works
    EXPECT_EQ(fileContents(path).substr(0, 3), "s0\n");
}

TEST_F(Writer, ReplacesTheFileBehindALinkAndKeepsItsPermissions) {
    std::string target = pathOf("real.txt"), link = pathOf("link.txt");
    putFile(target, "old");
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    ASSERT_EQ(symlink("real.txt", link.c_str()), 0);
    appendScript("s");

    ASSERT_TRUE(writeScriptFile(link.c_str()));
    struct stat info;
    ASSERT_EQ(lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    ASSERT_EQ(stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(fileContents(target), "s\n{\n}\n\n");
    EXPECT_EQ(folderEntries(), (std::vector<std::string>{"link.txt", "real.txt"}));

    // A link to a file that does not exist yet creates that file, with the
    // permissions the umask gives a new file.
    std::string dangling = pathOf("dangling.txt");
    ASSERT_EQ(symlink("new.txt", dangling.c_str()), 0);
    mode_t oldMask = umask(027);
    bool saved = writeScriptFile(dangling.c_str());
    umask(oldMask);
    ASSERT_TRUE(saved);
    EXPECT_EQ(fileContents(pathOf("new.txt")), "s\n{\n}\n\n");
    ASSERT_EQ(lstat(dangling.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    ASSERT_EQ(stat(pathOf("new.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}
