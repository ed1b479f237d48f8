// The script reader and writer: rules, round trip, numbers in any locale, safe saves.
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cfloat>
#include <clocale>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>

#include "model_fixture.h"
#include "numbers.h"

// Each test in a folder of its own, for the files it reads and writes.
class Model : public ModelTest {
  protected:
    std::string folder = "/tmp/veltra-model-XXXXXX";
    void SetUp() override { ASSERT_TRUE(mkdtemp(folder.data())); }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string pathOf(const std::string& name) const { return folder + "/" + name; }
    long entries() const { return std::distance(std::filesystem::directory_iterator(folder), {}); }
    std::string contents(const std::string& name) const {
        std::ifstream file(pathOf(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(file), {}};
    }
};

// Each row: a library read first, a file read into it, the library written. Under a
// decimal-comma locale, as the desktop toolkit sets it, numbers must still use '.'.
TEST_F(Model, ReaderRulesSeenThroughTheWriter) {
    ASSERT_TRUE(setlocale(LC_ALL, "de_DE.UTF-8"))
        << "scripts/setup-debian.sh generates de_DE.UTF-8";
    EXPECT_EQ(std::to_string(0.5), "0,500000");
    const std::string noMap = "map pics/noimage.tga";
    const std::string noImage = "[ editorimage pics/noimage.tga ] }";
    const std::string name(60, 'n');
    const std::string texture(300, 't');
    const std::string cut = texture.substr(0, 255);
    std::string frames;
    std::string first255;
    for (int i = 0; i < 300; i++) (i < 255 ? first255 : frames) += " f" + std::to_string(i);
    const std::string longText = name + " { { map " + texture + " anim 1 " + texture + "f end } } ";
    const std::string rows[][3] = {
        // Braces count only between separators, keywords only at their level; stages do not nest.
        {"", "sky{ { map x.tga } }", "sky{ { } } { }"},
        {"", "\r\n}\tsafe  a b\n{ }", "} { } safe { } a { } b { }"},
        {"", "s { map x.tga safe { safe { map y.tga SAFE } map b.tga } }",
         "s { safe { map y.tga } [ editorimage y.tga ] } } { }"},
        // Every keyword in any case, unknown words of the tables, the clamps.
        {"",
         "s { { blendfunc GL_ONE_ gl_one } { MAP m.tga Scroll sine 0.5 COSINE -2 scale cosine 3 "
         "junk 4 rotate 45 blendfunc gl_src_alpha GL_ONE_minus_SRC_ALPHA alphashift 1.5 0.25 0.75 "
         "envmap alphamask anim 0.1 a.tga b c END } }",
         "s { { " + noMap +
             " blendfunc GL_ZERO GL_ONE } { map m.tga alphamask envmap alphashift 1.500000 "
             "0.250000 0.750000 blendfunc GL_SRC_ALPHA GL_ONE_MINUS_SRC_ALPHA scroll sine "
             "0.500000 cosine -2.000000 scale cosine 3.000000 static 4.000000 anim 0.100000 "
             "a.tga b c end rotate 45.000000 } " +
             noImage},
        {"",
         "a { subdivide 100 vertexwarp 1 2 0 } b { subdivide 7 vertexwarp 1 2 5 } c { subdivide "
         "500 vertexwarp -1 2 nan } f { subdivide 3000000000 } g { subdivide -4294967232 }",
         "a { subdivide 64 vertexwarp 1.000000 2.000000 0.001000 } b { subdivide 8 vertexwarp "
         "1.000000 2.000000 1.000000 } c { subdivide 128 vertexwarp -1.000000 2.000000 0.001000 } "
         "f { subdivide 128 } g { subdivide 8 }"},
        // Frame lists: empty, braces as names, a second list, past the 255th name.
        {"", "s { { anim 0.1 end } { anim 1 a b end anim 2 c end } }",
         "s { { " + noMap + " } { " + noMap + " anim 2.000000 c end } " + noImage},
        {"", "s { { anim 0.1 a.tga } b END map c.tga } }",
         "s { { map c.tga anim 0.100000 a.tga } b end } [ editorimage c.tga ] }"},
        {"", "s { { anim 0.5" + first255 + frames + " end envmap } }",
         "s { { " + noMap + " envmap anim 0.500000" + first255 + " end } " + noImage},
        // Text is cut to its array (the cut name is the name); cut-off text keeps what is there.
        {"", longText + longText,
         name.substr(0, 47) + " { { map " + cut + " anim 1.000000 " + cut +
             " end } [ editorimage " + cut + " ] }"},
        {"", "a { { scroll sine 0.5",
         "a { { " + noMap + " scroll sine 0.500000 static 0.000000 } " + noImage},
        {"", "c { vertexwarp 3 2", "c { vertexwarp 3.000000 2.000000 0.001000 }"},
        {"", "e { { blendfunc", "e { { " + noMap + " blendfunc GL_ZERO GL_ZERO } " + noImage},
        {"", std::string("e { safe }\0f { }", 16), "e { safe }"},
        // A body before any name belongs to no script; it closes where a named body would.
        {"old { }", "{ safe subdivide 16 { map x.tga anim 1 a end } } next { safe }",
         "old { } next { safe }"},
        {"", "{ { { } } b", "b { }"},
        {"", "{ subdivide } } c", "c { }"},
    };
    for (const auto& [before, text, expected] : rows) {
        ScriptLibrary rowLibrary;
        readText(rowLibrary, before);
        readText(rowLibrary, text);
        EXPECT_EQ(squeezed(writtenText(rowLibrary)), expected) << text;
    }
    // What the file cannot show: lightmap, frame counts, the current frame, the exact clamp.
    read("z { vertexwarp 1 2 0 { nolightmap anim 1 a b end anim 2 c end } { anim 1 end } { anim 1" +
         first255 + frames + " end } { anim 1 x y");
    const Stage* stage = findScript(library, "z")->stages;
    for (const auto& [lightmap, frames] : {std::pair{0, 1}, {1, 0}, {1, 255}, {1, 2}}) {
        SCOPED_TRACE("the stage of " + std::to_string(frames) + " frames");
        ASSERT_NE(stage, nullptr);
        EXPECT_EQ(stage->lightmap, lightmap);
        EXPECT_EQ(stage->animFrameCount, frames);
        EXPECT_EQ(stage->animCurrent, stage->animFrames);
        stage = stage->next;
    }
    EXPECT_EQ(findScript(library, "z")->warpSmoothness, 0.001f);
    setlocale(LC_ALL, "C");
}

// Only a regular file within the reader's limit is read. Anything else is refused before a byte
// is read: a device must not be read forever, a socket cannot even be opened. A stream is read
// to its end, followed by a NUL.
TEST_F(Model, OnlyRegularFilesWithinTheLimitAreRead) {
    std::ofstream(pathOf("fine.txt")) << "fine { safe }";
    std::ofstream(pathOf("huge.txt")).close();
    ASSERT_EQ(truncate(pathOf("huge.txt").c_str(), (off_t)MAX_SCRIPT_TEXT_SIZE + 1), 0);
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    snprintf(address.sun_path, sizeof address.sun_path, "%s", pathOf("socket").c_str());
    ASSERT_EQ(bind(listener, (const sockaddr*)&address, sizeof address), 0);
    const std::pair<std::string, const char*> rows[] = {
        {folder, "Is a directory"},
        {"/dev/zero", "not a regular file"},
        {pathOf("socket"), "not a regular file"},
        {pathOf("huge.txt"), "larger than the reader takes (2147483647 bytes)"},
        {pathOf("fine.txt"), "(read)"},
    };
    for (const auto& [path, expected] : rows) {
        const char* why = "(read)";
        EXPECT_EQ(canReadScriptFile(path.c_str(), &why), readScriptFile(library, path.c_str()))
            << path;
        EXPECT_STREQ(why, expected) << path;
    }
    close(listener);
    EXPECT_EQ(layout(), "fine { safe }");
    EXPECT_FALSE(readScriptText(library, "x", MAX_SCRIPT_TEXT_SIZE + 1));
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    EXPECT_EQ(write(pipeEnds[1], "piped", 5), 5);
    close(pipeEnds[1]);
    ScriptFileBytes bytes;
    EXPECT_TRUE(loadScriptStream(pipeEnds[0], bytes));
    close(pipeEnds[0]);
    EXPECT_EQ(std::string(bytes.data, bytes.size + 1), std::string("piped", 6));
}

TEST_F(Model, WriterLayoutByteForByte) {
    EXPECT_EQ(writtenText(library), "");
    {
        ScriptLibrary edited;
        appendScript(edited, "bare");
        // The editor's Add, with values written only with blending, frames, alpha speed or
        // minimum, scroll values:
        Stage* added = appendEmptyStage(appendScript(edited, "added"));
        added->blendSrc = 2.0f;
        added->animDelay = 2.0f;
        added->alphaMax = 2.0f;
        added->scrollTypeX = WAVE_SINE;
        added->lightmap = 0;
        EXPECT_EQ(writtenText(edited), "bare\n{\n}\n\nadded\n{\n\t{\n\t}\n}\n\n");
    }
    read(
        "Full { safe vertexwarp 1.5 -2 0.25 { map ab alphamask envmap alphashift 0 0.5 1 scroll "
        "cosine 0 static 4e-7 scale static -1 static 0 anim 0.125 f1.tga f2.tga end rotate 90 } "
        "{ map later.tga alphashift 3 0 0 blendfunc gl_dst_color gl_one } }");
    Script* full = findScript(library, "Full");
    full->subdivide = 200;           // outside the reader's set
    full->stages->blendEnabled = 1;  // with both factors 0
    full->stages->scrollTypeY = 9;   // outside the wave table
    EXPECT_EQ(
        writtenText(library),
        "Full\n{\n\tsubdivide 200\n\tsafe\n\tvertexwarp 1.500000 -2.000000 0.250000\n\t{\n"
        "\t\talphamask\n\t\tenvmap\n\t\talphashift 0.000000 0.500000 1.000000\n\t\tblendfunc "
        "GL_ZERO GL_ZERO\n"
        "\t\tscroll cosine 0.000000 static 0.000000\n\t\tscale static -1.000000 static 0.000000\n"
        "\t\tanim 0.125000 f1.tga f2.tga end\n\t\trotate 90.000000\n\t}\n\t{\n\t\tmap later.tga\n"
        "\t\talphashift 3.000000 0.000000 0.000000\n\t\tblendfunc GL_DST_COLOR GL_ONE\n\t}\n"
        "\t[\n\t\teditorimage f1.tga\n\t]\n}\n\n");
    copyText(full->stages->map, "first.tga");  // a stage's map comes before its own frames
    EXPECT_NE(writtenText(library).find("editorimage first.tga\n"), std::string::npos);
}

// formatFloat prints exactly what the C library's "%f" prints.
TEST(Numbers, FormatFloatMatchesTheCLibrary) {
    auto same = [](float value) {
        char ours[64], theirs[128];
        snprintf(theirs, sizeof theirs, "%f", (double)value);
        return formatFloat(ours, sizeof ours, value) == (int)strlen(theirs) &&
               strcmp(ours, theirs) == 0;
    };
    for (float value : {-0.0f, std::nextafter(0.0000005f, 0.0f), 0.0000025f, -FLT_MAX, -NAN})
        EXPECT_TRUE(same(value)) << value;
    std::mt19937 random(20261206);
    for (int i = 0; i < 2000000; i++) {  // every other one where rounding happens
        uint32_t bits =
            (uint32_t)(i % 2 ? random() : (random() & 0x807fffffu) | (100 + random() % 71) << 23);
        ASSERT_TRUE(same(std::bit_cast<float>(bits))) << std::hex << bits;
    }
}

// Records come zeroed whether reused after a release or carved again from blocks used before
// (once no record is in use); blocks given back to the system are mapped again.
TEST_F(Model, RecordsComeZeroed) {
    {
        ScriptLibrary used;
        readText(used, "a { safe subdivide 64 vertexwarp 1 2 0.5 { map x.tga anim 1 f g end } }");
        Script* dirty = allocateScript();
        memset(dirty, 0xAB, sizeof *dirty);
        freeScriptRecord(dirty);
        Script* reused = allocateScript();
        EXPECT_EQ(std::string((char*)reused, sizeof *reused), std::string(sizeof *reused, '\0'));
        freeScriptRecord(reused);
    }
    ASSERT_EQ(recordsInUse(), 0u);
    {
        ScriptLibrary again;
        readText(again, "c { subdivide 8 { anim 2 h end } }");
        EXPECT_EQ(squeezed(writtenText(again)),
                  "c { subdivide 8 { map pics/noimage.tga anim 2.000000 h end } [ editorimage "
                  "pics/noimage.tga ] }");
    }
    releaseRecordBlocks();
    read("d { safe }");
    EXPECT_EQ(layout(), "d { safe }");
}

// textToDouble reads exactly what the C library's strtod reads in the C locale, bit for
// bit, and numberPrefixLength as many bytes as strtod and strtol take: plain decimals of
// every length and sign, and whatever else a word can hold.
TEST(Numbers, TextToDoubleMatchesTheCLibrary) {
    const locale_t cLocale = newlocale(LC_ALL_MASK, "C", (locale_t)0);
    auto check = [&](const std::string& text) {
        char* end = nullptr;
        const double theirs = strtod_l(text.c_str(), &end, cLocale);
        ASSERT_EQ(std::bit_cast<uint64_t>(textToDouble(text.c_str())),
                  std::bit_cast<uint64_t>(theirs))
            << text;
        ASSERT_EQ(numberPrefixLength(text.c_str(), false), (size_t)(end - text.c_str())) << text;
        (void)strtol_l(text.c_str(), &end, 10, cLocale);
        ASSERT_EQ(numberPrefixLength(text.c_str(), true), (size_t)(end - text.c_str())) << text;
    };
    std::istringstream words(  // separated by '|'
        "0|-0|+0.5|.25|5.|-|1.5.3|1,5|0.5e3|2E-2|0x1p3|-0X10|inf| 7|3.000000abc|+.|16.5|"
        "9007199254740993|12345678901234567890|"
        "0.0000000000000000000001|0.00000000000000000000001");
    for (std::string word; std::getline(words, word, '|');) check(word);
    std::mt19937 random(10);
    for (int i = 0; i < 200000; i++) {
        std::string text = random() % 2 ? "-" : "";
        const int length = 1 + (int)(random() % 24);
        const int point = (int)(random() % (length + 1));
        for (int digit = 0; digit < length; digit++) {
            if (digit == point) text += '.';
            text += (char)('0' + random() % 10);
        }
        check(text);
    }
    freelocale(cLocale);
}

// A failed save (out of room half way: a size limit in a child, as root ignores permissions)
// is reported and leaves the old file whole and nothing else. Through a link, a save replaces
// the file it points to with its permission bits, or creates it under the umask.
TEST_F(Model, SavesNeverDestroyTheOldFile) {
    read("a { { map textures/x.tga } }");
    std::ofstream(pathOf("real.txt")) << "old contents";
    pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {16, 16};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(writeScriptFile(library, pathOf("real.txt").c_str()) ? 0 : errno == EFBIG ? 2 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2) << "2: the write failed with EFBIG";
    EXPECT_EQ(contents("real.txt"), "old contents");
    EXPECT_EQ(entries(), 1);
    ASSERT_EQ(chmod(pathOf("real.txt").c_str(), 0604), 0);
    ASSERT_EQ(symlink("real.txt", pathOf("link.txt").c_str()), 0);
    ASSERT_EQ(symlink("new.txt", pathOf("dangling.txt").c_str()), 0);
    mode_t oldMask = umask(027);
    EXPECT_TRUE(writeScriptFile(library, pathOf("link.txt").c_str()));
    EXPECT_TRUE(writeScriptFile(library, pathOf("dangling.txt").c_str()));
    umask(oldMask);
    EXPECT_EQ(entries(), 4);
    for (auto [name, mode] : {std::pair{"real.txt", 0604u}, std::pair{"new.txt", 0640u}}) {
        struct stat info;
        ASSERT_EQ(stat(pathOf(name).c_str(), &info), 0) << name;
        EXPECT_EQ(info.st_mode & 07777, mode) << name;
        EXPECT_EQ(contents(name), writtenText(library)) << name;
    }
}
