// `veltra render` and `veltra thumbnails`: PNGs read back against frames of
// the preview's renderer drawn here through its clock, and a library with a
// damaged image and names that collide as file names.
#include <GL/gl.h>
#include <png.h>

#include <filesystem>

#include "cli_fixture.h"
#include "control_store.h"
#include "editor.h"
#include "test_images.h"

namespace {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // top row first
};

Picture readPng(const std::string& file) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    Picture picture;
    if (!png_image_begin_read_from_file(&image, file.c_str())) return picture;
    image.format = PNG_FORMAT_RGB;
    picture.rgb.resize(PNG_IMAGE_SIZE(image));
    png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr);
    picture.width = (int)image.width;
    picture.height = (int)image.height;
    return picture;
}

// The script drawn by the editor's preview, ticked by its timer from a restart.
Picture previewFrame(const std::string& file, const char* name, int size, int ticks) {
    ControlStore store;
    store.previewWidth = size;
    store.previewHeight = size;
    EditorContext g(&store);
    startPreview(g);
    readScriptFile(g.library, file.c_str());
    addScriptFolder(g.textures.folders, file.c_str());
    g.selection.currentScript = findScript(g.library, name);
    resolveScriptTextures(g.textures, g.selection.currentScript);
    restartPreviewClock(g.preview, g.library.scripts);
    g.preview.previewPaused = ticks == 0;
    for (int i = 0; i < std::max(ticks, 1); i++) previewWindowProc(g, PREVIEW_TICK);
    Picture picture{size, size, std::vector<uint8_t>((size_t)size * size * 3)};
    std::vector<uint8_t> rgba((size_t)size * size * 4);
    glReadPixels(0, 0, size, size, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    for (size_t i = 0; i < (size_t)size * size; i++) {
        size_t row = (size_t)size - 1 - i / size;
        memcpy(&picture.rgb[(row * size + i % size) * 3], &rgba[i * 4], 3);
    }
    forgetAllTextures(g.textures);
    stopPreview(g);
    return picture;
}

// A 2x2 image of one colour.
Bytes solid(uint8_t r, uint8_t g, uint8_t b) {
    Bytes rgba;
    for (int i = 0; i < 4; i++) rgba.insert(rgba.end(), {r, g, b, 255});
    return rgba;
}

std::string tga(int side, const Bytes& rgba) {
    const Bytes file = encodeTga(side, side, rgba);
    return std::string(file.begin(), file.end());
}

const char* const MOVING =
    "moving\n{\n\t{\n\t\tmap base.tga\n\t\tscroll sine 0.5 static 0.3\n\t\trotate 20\n\t}\n"
    "\t{\n\t\tmap red.tga\n\t\tanim 0.3 red.tga green.tga end\n\t\tblendfunc GL_ONE GL_ONE\n"
    "\t\tscale sine 2 static 1\n\t}\n}\nmissing { { map pics/missing.tga } }\n";

}  // namespace

// The frame the preview draws at the time asked for, and the placeholder where no image is.
TEST_F(CliTest, RenderDrawsWhatThePreviewDrawsAtThatTime) {
    write("base.tga", tga(8, testPattern(8, 8)));
    write("red.tga", tga(2, solid(255, 0, 0)));
    write("green.tga", tga(2, solid(0, 255, 0)));
    std::string file = write("lib.txt", MOVING);
    std::vector<uint8_t> previous;
    for (int ticks : {0, 10, 27}) {
        SCOPED_TRACE(ticks);
        std::string time = std::to_string(ticks * 0.05);
        CliRun run = veltra(
            {"render", file, "MOVING", "--time", time, "--size", "64x64", "-o", path("out.png")});
        ASSERT_EQ(run.status, EXIT_CLEAN) << run.err;
        EXPECT_EQ(run.err, "");
        Picture drawn = readPng(path("out.png"));
        EXPECT_EQ(drawn.width, 64);
        EXPECT_TRUE(drawn.rgb == previewFrame(file, "moving", 64, ticks).rgb);
        EXPECT_NE(drawn.rgb, previous);  // scroll, rotation, animation and sway moved it
        previous = drawn.rgb;
    }
    // A name found nowhere draws the placeholder, at the preview window's size by default.
    const CliRun run = veltra({"render", file, "missing", "-o", path("out.png")});
    EXPECT_EQ(run.status, EXIT_CLEAN);
    EXPECT_NE(run.err.find("'pics/missing.tga'"), std::string::npos) << run.err;
    Picture drawn = readPng(path("out.png"));
    int width = 0;
    int height = 0;
    previewWindowSize(width, height);
    ASSERT_EQ(drawn.width, width);
    ASSERT_EQ(drawn.height, height);
    const uint8_t* centre = &drawn.rgb[((size_t)height / 2 * width + width / 2) * 3];
    EXPECT_EQ(std::vector<uint8_t>(centre, centre + 3), std::vector<uint8_t>({0, 0, 0}));
    EXPECT_EQ(veltra({"render", file, "absent", "-o", path("no.png")}).status, EXIT_TROUBLE);
}

// One PNG per script, named from the script name made safe and unique whatever the letter
// case, and an index. An image that cannot be loaded is named on the line of its error code,
// whatever its type, and its script still gets its thumbnail.
TEST_F(CliTest, ThumbnailsOnePerScriptWithCollisionsAndDamagedImages) {
    std::filesystem::create_directory(path("pics"));
    write("good.tga", tga(2, solid(255, 0, 0)));
    const Bytes jpg = encodeJpg(16, 16, testPattern(16, 16));
    const Bytes pcx = encodePcx(16, 16, testPattern(16, 16));
    const struct {
        const char* name;
        std::string bytes;
        const char* error;
    } images[] = {
        {"pics/a.tga", "not an image at all, only words", "1288: invalid file header"},
        {"cut.tga", tga(2, solid(1, 2, 3)).substr(0, 30), "1298: file read error"},
        {"cut.jpg", std::string(jpg.begin(), jpg.begin() + 24), "1506: jpeg library error"},
        {"cut.pcx", std::string(pcx.begin(), pcx.begin() + 200), "1287: illegal file value"},
    };
    std::string damaged;
    for (const auto& image : images) {
        write(image.name, image.bytes);
        damaged += std::string(image.name) + " { { map " + image.name + " } }\n";
    }
    const std::string first = write("one.txt", "a/b { { map good.tga } }\n" + damaged);
    const std::string second = write("two.txt", "a_b { { map good.tga } }\nA/B { }\n");
    const CliRun run = veltra({"thumbnails", first, second, "--size", "32", "-o", path("thumbs")});
    ASSERT_EQ(run.status, EXIT_CLEAN) << run.err;
    for (const auto& image : images) {
        const std::string line = "veltra: " + path(image.name) + ": " + image.error + "\n";
        EXPECT_NE(run.err.find(line), std::string::npos) << line << run.err;
        const std::string placeholder = "texture '" + std::string(image.name) + "'; drawing";
        EXPECT_NE(run.err.find(placeholder), std::string::npos) << placeholder << run.err;
    }
    EXPECT_EQ(contents(path("thumbs/index.json")),
              "[\n  {\"script\": \"pics/a.tga\", \"png\": \"pics_a.tga.png\"},\n"
              "  {\"script\": \"cut.tga\", \"png\": \"cut.tga.png\"},\n"
              "  {\"script\": \"cut.jpg\", \"png\": \"cut.jpg.png\"},\n"
              "  {\"script\": \"cut.pcx\", \"png\": \"cut.pcx.png\"},\n"
              "  {\"script\": \"a_b\", \"png\": \"a_b.png\"},\n"
              "  {\"script\": \"A/B\", \"png\": \"A_B-2.png\"}\n]\n");
    int pngs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(path("thumbs"))) {
        if (entry.path().filename() == "index.json") continue;
        const Picture picture = readPng(entry.path());
        EXPECT_EQ(picture.width, 32) << entry.path();
        EXPECT_EQ(picture.height, 32) << entry.path();
        pngs++;
    }
    EXPECT_EQ(pngs, 6);
    EXPECT_EQ(safeFileName("../x y"), "_.._x_y");
}

// Every image type, TGA with its rows stored from the top or the bottom, shows
// its picture upright: the first row uploaded, t = 0, along the square's top.
TEST_F(CliTest, ThumbnailsShowEveryImageTypeUpright) {
    // Top left, top right, bottom left, bottom right: entries of encodePcx's palette.
    const Bytes quarters[4] = {
        {250, 5, 125, 255}, {10, 245, 5, 255}, {128, 127, 64, 255}, {60, 195, 30, 255}};
    Bytes picture;
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 16; x++)
            picture.insert(picture.end(), quarters[y / 8 * 2 + x / 8].begin(),
                           quarters[y / 8 * 2 + x / 8].begin() + 4);
    const Bytes painted = {250, 5, 125, 10, 245, 5, 128, 127, 64, 60, 195, 30};
    const struct {
        const char* file;
        Bytes bytes;
        Bytes seen;  // the quarters' colours in the same order
        int tolerance;
    } images[] = {
        {"top.tga", encodeTga(16, 16, picture), painted, 0},
        {"bottom.tga", encodeTga(16, 16, picture, true), painted, 0},
        {"lines.pcx", encodePcx(16, 16, picture), painted, 0},
        {"photo.jpg", encodeJpg(16, 16, picture), painted, 4},
        {"wall.wal",
         encodeWal(16, 16, picture),
         {123, 63, 27, 155, 155, 155, 139, 87, 87, 119, 79, 23},
         0},  // the WAL palette's
    };
    std::string library;
    for (const auto& image : images) {
        write(image.file, std::string(image.bytes.begin(), image.bytes.end()));
        library += std::string(image.file) + " { { map " + image.file + " } }\n";
    }
    CliRun run =
        veltra({"thumbnails", write("lib.txt", library), "--size", "128", "-o", path("thumbs")});
    ASSERT_EQ(run.status, EXIT_CLEAN) << run.err;
    for (const auto& image : images) {
        const Picture drawn = readPng(path("thumbs/") + image.file + ".png");
        ASSERT_EQ(drawn.width, 128) << image.file;
        size_t at = 0;  // the quarters' centres, top row first
        for (int y : {27, 99})
            for (int x : {40, 88})
                for (int c = 0; c < 3; c++, at++)
                    EXPECT_NEAR(drawn.rgb[(y * 128 + x) * 3 + c], image.seen[at], image.tolerance)
                        << image.file << ", quarter " << at / 3;
    }
}
