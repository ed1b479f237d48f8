// `veltra render` and `veltra thumbnails`: the preview's own renderer in a
// headless OpenGL context, texture names found in folders the way the
// editor finds them, and the frame read back into a PNG. Nothing asks: a
// name found nowhere draws the placeholder and is told on standard error.
#include <GL/gl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <set>

#include "cli.h"
#include "control_store.h"
#include "dialog_templates.h"
#include "preview.h"
#include "script_file.h"
#include "script_library.h"
#include "texture_folders.h"
#include "textures.h"

namespace {

// The toolkit-free platform with a headless preview context; the image
// library's error boxes become lines on standard error, a refused image
// named as compilers name a file ("veltra: pics/a.tga: 1288: invalid file header").
struct CliPlatform : ControlStore {
    FILE* messages = stderr;

    void showMessageBox(const char* caption, const char* text) override {
        fprintf(messages, "veltra: %s: %s\n", caption, text);
    }
    void showImageError(const char* path, const char* text) override {
        fprintf(messages, "veltra: %s: %s\n", path, text);
    }
};

const char* reportMissingTexture(void* context, const char* name) {
    FILE* messages = ((CliPlatform*)context)->messages;
    fprintf(messages, "veltra: no image for texture '%s'; drawing the placeholder\n", name);
    return nullptr;
}

// One command's library, texture table and headless preview: the files read
// as File > Open reads them, each one's folder searched for its texture
// names, then the given texture folders; nothing asks.
struct RenderJob {
    CliPlatform store;
    ScriptLibrary library;
    TextureTable textures;
    PreviewState preview;
    int width;
    int height;
    bool started = false;

    RenderJob(const RenderOptions& options, FILE* err)
        : width(options.width), height(options.height) {
        store.messages = err;
        store.previewWidth = width;
        store.previewHeight = height;
        textures.finder = {reportMissingTexture, &store};
        textures.loading.platform = &store;
        library.history.enabled = false;
    }

    ~RenderJob() {
        if (!started) return;
        if (preview.previewContextReady) forgetAllTextures(textures);
        shutdownPreviewRendering(preview, &store);
        shutdownImageLibrary();
    }

    bool loadFiles(const RenderOptions& options, FILE* err) {
        for (const std::string& folder : options.textureFolders) {
            if (!addTextureFolder(textures.folders, folder.c_str())) {
                fprintf(err, "veltra: %s: cannot be a texture folder\n", folder.c_str());
                return false;
            }
        }
        for (const std::string& path : options.files) {
            ScriptFileBytes bytes;
            if (!readInput(path, bytes, err)) return false;
            readScriptText(library, bytes.data, bytes.size);
            addScriptFolder(textures.folders, path.c_str());
        }
        return true;
    }

    bool startPreview() {
        started = true;
        initImageLibrary();
        return initPreviewRendering(preview, textures, &store);
    }
};

std::string foldedName(const std::string& name) {
    std::string folded = name;
    for (char& c : folded) c = (char)tolower((unsigned char)c);
    return folded;
}

int stageNameCount(const Script* script) {
    int count = 0;
    for (const Stage* stage = script->stages; stage; stage = stage->next)
        count += 1 + stage->animFrameCount;
    return count;
}

// A library larger than the texture table starts the table afresh when the
// next script's names might not fit.
void makeRoomForTextures(RenderJob& job, const Script* script) {
    if (job.textures.textureCount + stageNameCount(script) <= MAX_TEXTURE_SLOTS) return;
    forgetAllTextures(job.textures);
    createPlaceholderTexture(job.textures);
    for (Script* each = job.library.scripts; each; each = each->next) each->texturesResolved = 0;
}

// The clock restarted and run as the preview's timer runs it: the frame
// drawn is the one the preview draws `seconds` after a restart (the nearest
// 50 ms tick), with every animation stepped on each tick before it.
PreviewScene sceneAtTime(RenderJob& job, Script* script, double seconds) {
    PreviewState& clock = job.preview;
    restartPreviewClock(clock, nullptr);
    for (Stage* stage = script->stages; stage; stage = stage->next) {
        stage->animCurrent = stage->animFrames;
        stage->animNextTime = 0.0f;
    }
    const long long ticks = std::llround(seconds / PREVIEW_CLOCK_STEP);
    for (long long tick = 1; tick < ticks; tick++) {
        advancePreviewClock(clock);
        for (Stage* stage = script->stages; stage; stage = stage->next)
            if (stage->animFrameCount != 0)
                advanceAnimation(job.textures, stage, clock.previewTime);
    }
    if (ticks > 0) advancePreviewClock(clock);
    PreviewScene scene;
    scene.script = script;
    scene.time = clock.previewTime;
    scene.textures = &job.textures;
    return scene;
}

// The frame as RGB rows, top row first.
std::vector<uint8_t> readFrame(int width, int height) {
    std::vector<uint8_t> rgba((size_t)width * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    std::vector<uint8_t> rgb((size_t)width * height * 3);
    for (int y = 0; y < height; y++) {
        const uint8_t* from = &rgba[(size_t)(height - 1 - y) * width * 4];
        uint8_t* to = &rgb[(size_t)y * width * 3];
        for (int x = 0; x < width; x++) memcpy(to + x * 3, from + x * 4, 3);
    }
    return rgb;
}

std::vector<uint8_t> renderScript(RenderJob& job, Script* script, double seconds) {
    job.store.makePreviewCurrent();
    makeRoomForTextures(job, script);
    resolveScriptTextures(job.textures, script);
    renderPreviewFrame(sceneAtTime(job, script, seconds));
    return readFrame(job.width, job.height);
}

}  // namespace

void previewWindowSize(int& width, int& height) {
    // MS Sans Serif at 8 points: 6 pixels a character, 13 a line.
    width = (PREVIEW_TEMPLATE.width * 6 + 2) / 4;
    height = (PREVIEW_TEMPLATE.height * 13 + 4) / 8;
}

int commandRender(const RenderOptions& options, CliStreams io) {
    RenderJob job(options, io.err);
    if (!job.loadFiles(options, io.err)) return EXIT_TROUBLE;
    Script* script = findScript(job.library, options.script.c_str());
    if (!script) {
        fprintf(io.err, "veltra: %s: no script '%s'\n", options.files[0].c_str(),
                options.script.c_str());
        return EXIT_TROUBLE;
    }
    if (!job.startPreview()) {
        fprintf(io.err, "veltra: no OpenGL context could be made (EGL on Mesa)\n");
        return EXIT_TROUBLE;
    }
    std::vector<uint8_t> rgb = renderScript(job, script, options.seconds);
    if (!writePngFile(options.output, job.width, job.height, rgb.data())) {
        fprintf(io.err, "veltra: %s: cannot write: %s\n", options.output.c_str(), strerror(errno));
        return EXIT_TROUBLE;
    }
    return EXIT_CLEAN;
}

// ---------------------------------------------------------------------------
// thumbnails

std::string safeFileName(const char* scriptName) {
    std::string name;
    for (const char* c = scriptName; *c && name.size() < 100; c++) {
        const bool kept = isalnum((unsigned char)*c) || strchr("-_.", *c);
        name += kept && (*c & 0x80) == 0 ? *c : '_';
    }
    if (name.empty() || name[0] == '.') name.insert(name.begin(), '_');
    return name;
}

namespace {

// Names unique without regard to letter case, for file systems that ignore
// it: a second "a_b" becomes "a_b-2", a third "a_b-3".
std::string uniquePngName(const std::string& base, std::set<std::string>& taken) {
    std::string name = base + ".png";
    for (int n = 2; !taken.insert(foldedName(name)).second; n++)
        name = base + "-" + std::to_string(n) + ".png";
    return name;
}

void showProgress(FILE* err, bool terminal, int done, int total, const std::string& png) {
    if (!terminal) {
        fprintf(err, "%d/%d %s\n", done, total, png.c_str());
        return;
    }
    constexpr int BAR = 40;
    const int filled = total ? done * BAR / total : BAR;
    fprintf(err, "\r[%s%s] %d/%d", std::string(filled, '#').c_str(),
            std::string(BAR - filled, ' ').c_str(), done, total);
    if (done == total) fputc('\n', err);
    fflush(err);
}

bool makeFolder(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) == 0) {
        errno = ENOTDIR;
        return S_ISDIR(info.st_mode);
    }
    return mkdir(path.c_str(), 0777) == 0;
}

}  // namespace

int commandThumbnails(const RenderOptions& options, CliStreams io) {
    RenderJob job(options, io.err);
    if (!job.loadFiles(options, io.err)) return EXIT_TROUBLE;
    if (!makeFolder(options.output)) {
        fprintf(io.err, "veltra: %s: cannot make the folder: %s\n", options.output.c_str(),
                strerror(errno));
        return EXIT_TROUBLE;
    }
    if (!job.startPreview()) {
        fprintf(io.err, "veltra: no OpenGL context could be made (EGL on Mesa)\n");
        return EXIT_TROUBLE;
    }
    int total = 0;
    for (const Script* script = job.library.scripts; script; script = script->next) total++;
    const bool terminal = isatty(fileno(io.err));
    std::set<std::string> taken = {"index.json"};
    std::string index = "[";
    int done = 0;
    int status = EXIT_CLEAN;
    for (Script* script = job.library.scripts; script; script = script->next) {
        const std::string png = uniquePngName(safeFileName(script->name), taken);
        std::vector<uint8_t> rgb = renderScript(job, script, options.seconds);
        if (!writePngFile(options.output + "/" + png, job.width, job.height, rgb.data())) {
            fprintf(io.err, "veltra: %s/%s: cannot write: %s\n", options.output.c_str(),
                    png.c_str(), strerror(errno));
            status = EXIT_TROUBLE;
            break;
        }
        index += done ? ",\n  " : "\n  ";
        index += "{\"script\": " + jsonString(script->name) + ", \"png\": " + jsonString(png) + "}";
        showProgress(io.err, terminal, ++done, total, png);
    }
    index += done ? "\n]\n" : "]\n";
    FILE* file =
        status == EXIT_CLEAN ? fopen((options.output + "/index.json").c_str(), "w") : nullptr;
    if (file) {
        fputs(index.c_str(), file);
        if (fclose(file) != 0) status = EXIT_TROUBLE;
    } else if (status == EXIT_CLEAN) {
        fprintf(io.err, "veltra: %s/index.json: cannot write: %s\n", options.output.c_str(),
                strerror(errno));
        status = EXIT_TROUBLE;
    }
    return status;
}
