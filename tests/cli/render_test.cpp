// `veltra render` and `veltra thumbnails`: PNGs read back against the preview's own frames,
// images of every type, a damaged one, and names that collide as file names.
#include <GL/gl.h>
#include <png.h>

#include "cli_fixture.h"
#include "control_store.h"
#include "editor.h"
#include "test_images.h"

namespace {

// A PNG's RGB rows, bottom row first as OpenGL reads a frame back; empty when unreadable.
std::vector<uint8_t> readPng(const std::string& file, int* width = nullptr) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, file.c_str())) return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    png_image_finish_read(&image, nullptr, rgb.data(), -(int)image.width * 3, nullptr);
    if (width) *width = (int)image.width;
    return rgb;
}

// The script drawn by the editor's preview, ticked by its timer from a restart.
std::vector<uint8_t> previewFrame(const std::string& file, const char* name, int size, int ticks) {
    ControlStore store;
    store.previewWidth = store.previewHeight = size;
    EditorContext g(&store);
    startPreview(g);
    readScriptFile(g.library, file.c_str());
    addScriptFolder(g.textures.folders, file.c_str());
    g.selection.currentScript = findScript(g.library, name);
    resolveScriptTextures(g.textures, g.selection.currentScript);
    restartPreviewClock(g.preview, g.library.scripts);
    g.preview.previewPaused = ticks == 0;
    for (int i = 0; i < std::max(ticks, 1); i++) previewWindowProc(g, PREVIEW_TICK);
    std::vector<uint8_t> rgb((size_t)size * size * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, size, size, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    forgetAllTextures(g.textures);
    stopPreview(g);
    return rgb;
}

}  // namespace

// The frame the preview draws at the time asked for, at the preview window's size by default.
TEST_F(CliTest, RenderDrawsWhatThePreviewDrawsAtThatTime) {
    write("base.tga", encodeTga(8, 8, testPattern(8, 8)));
    write("red.tga", encodeTga(1, 1, {255, 0, 0, 255}));
    write("green.tga", encodeTga(1, 1, {0, 255, 0, 255}));
    const std::string file =
        write("lib.txt",
              "moving { { map base.tga scroll sine 0.5 static 0.3 rotate 20 } { map red.tga "
              "anim 0.3 red.tga green.tga end blendfunc GL_ONE GL_ONE scale sine 2 static 1 } }");
    for (int ticks : {0, 10}) {  // scroll, rotation, animation and sway move it
        SCOPED_TRACE(ticks);
        const std::string time = std::to_string(ticks * 0.05);
        const CliRun run =
            veltra({"render", file, "MOVING", "--time", time, "--size=64x64", "-o", path("a.png")});
        ASSERT_EQ(run.status, EXIT_CLEAN) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(readPng(path("a.png")) == previewFrame(file, "moving", 64, ticks));
    }
    EXPECT_EQ(veltra({"render", file, "moving", "-o", path("b.png")}).status, EXIT_CLEAN);
    int width = 0;
    EXPECT_EQ(readPng(path("b.png"), &width).size(), 305u * 283 * 3);
    EXPECT_EQ(width, 305);
}

// One PNG per script, named from its name made safe and unique in any letter case, and an index.
// Every image type shows upright (t = 0 along the top); one that does not load is named on the
// line of its error code, and its script draws the placeholder.
TEST_F(CliTest, ThumbnailsOfEveryImageTypeUprightAndUniquelyNamed) {
    // Top left, top right, bottom left, bottom right: entries of encodePcx's palette, and
    // what the WAL palette has nearest.
    const Bytes painted = {250, 5, 125, 10, 245, 5, 128, 127, 64, 60, 195, 30};
    const Bytes wal = {123, 63, 27, 155, 155, 155, 139, 87, 87, 119, 79, 23};
    Bytes picture;
    for (int i = 0; i < 16 * 16; i++) {
        const uint8_t* rgb = &painted[(i / 128 * 2 + i % 16 / 8) * 3];
        picture.insert(picture.end(), {rgb[0], rgb[1], rgb[2], 255});
    }
    const struct {
        std::string script;  // and the name of its one stage's image, if any
        Bytes image;
        std::string png;
        Bytes seen;  // the quarters' colours in the same order
        int tolerance;
    } rows[] = {
        {"lines.pcx", encodePcx(16, 16, picture), "lines.pcx.png", painted, 0},
        {"photo.jpg", encodeJpg(16, 16, picture), "photo.jpg.png", painted, 4},
        {"wall.wal", encodeWal(16, 16, picture), "wall.wal.png", wal, 0},
        {"bad.tga", Bytes(8, 1), "bad.tga.png", Bytes(12, 0), 0},  // the placeholder
        {"_.a_b", {}, "_.a_b.png", {}, 0},
        {".A/B", {}, "_.A_B-2.png", {}, 0},
    };
    std::string library;
    std::string index;
    for (const auto& row : rows) {
        if (!row.image.empty()) write(row.script, row.image);
        library +=
            row.script + (row.image.empty() ? " { }\n" : " { { map " + row.script + " } }\n");
        index += (index.empty() ? "[\n  " : ",\n  ") + ("{\"script\": \"" + row.script) +
                 "\", \"png\": \"" + row.png + "\"}";
    }
    const CliRun run =
        veltra({"thumbnails", write("lib.txt", library), "--size", "64", "-o", path("thumbs")});
    ASSERT_EQ(run.status, EXIT_CLEAN) << run.err;
    const std::string told = "veltra: " + path("bad.tga") + ": 1288: invalid file header\n" +
                             "veltra: no image for texture 'bad.tga'; drawing the placeholder";
    EXPECT_NE(run.err.find(told), std::string::npos) << run.err;
    EXPECT_EQ(contents(path("thumbs/index.json")), index + "\n]\n");
    for (const auto& row : rows) {
        const std::vector<uint8_t> drawn = readPng(path("thumbs/") + row.png);
        ASSERT_EQ(drawn.size(), 64u * 64 * 3) << row.png;
        for (size_t at = 0; at < row.seen.size(); at++) {  // the quarters' centres, top row first
            const int x = at / 3 % 2 ? 44 : 20;
            const int y = at / 6 ? 14 : 50;
            EXPECT_NEAR(drawn[(y * 64 + x) * 3 + at % 3], row.seen[at], row.tolerance)
                << row.png << ", quarter " << at / 3;
        }
    }
}
