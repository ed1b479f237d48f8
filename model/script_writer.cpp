// The Veltra file writer. The file is written next to the old one under a
// temporary name and put in its place in one rename once every byte is on
// disk, so a failed save never leaves a half-written file behind.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "numbers.h"
#include "script_file.h"
#include "script_library.h"

// ---------------------------------------------------------------------------
// Layout

namespace {

// Text written straight into the temporary file through a fixed buffer, so
// that a large library is never held twice in memory; or, without a file,
// gathered into a string (one script or stage for the clipboard).
struct TextBuilder {
    int fd;
    std::string* sink = nullptr;  // written here instead when not null
    bool failed = false;
    size_t used = 0;
    char buffer[1 << 16];

    explicit TextBuilder(int file) : fd(file) {}

    void append(const char* part, size_t length) {
        while (length > 0) {
            if (used == sizeof buffer) flush();
            size_t count = length < sizeof buffer - used ? length : sizeof buffer - used;
            memcpy(buffer + used, part, count);
            used += count;
            part += count;
            length -= count;
        }
    }

    void add(const char* part) { append(part, strlen(part)); }

    void addFloat(float value) {
        char number[64];
        int length = formatFloat(number, sizeof number, value);
        append(number, (size_t)length);
    }

    void addUnsigned(unsigned value) {
        char digits[16];
        int length = 0;
        do {
            digits[15 - length++] = (char)('0' + value % 10);
            value /= 10;
        } while (value);
        append(digits + 16 - length, (size_t)length);
    }

    // Writes what the buffer holds; false once any write has failed.
    bool flush();
};

// The name shown by the editor for a script: the first texture name
// written within it.
struct EditorImage {
    char name[TEXTURE_NAME_SIZE] = "";

    void offer(const char* texture) {
        if (name[0] == '\0') copyText(name, texture);
    }
};

}  // namespace

static void writeAnimation(TextBuilder& out, const Stage* stage, EditorImage& image) {
    out.add("\t\tanim ");
    out.addFloat(stage->animDelay);
    out.add(" ");
    for (const AnimFrame* frame = stage->animFrames; frame; frame = frame->next) {
        out.add(frame->name);
        out.add(" ");
        image.offer(frame->name);
    }
    out.add("end\n");
}

// An alphashift or vertexwarp line: a keyword and three numbers.
static void writeThreeNumbers(TextBuilder& out, const char* keyword, float a, float b, float c) {
    out.add(keyword);
    out.addFloat(a);
    out.add(" ");
    out.addFloat(b);
    out.add(" ");
    out.addFloat(c);
    out.add("\n");
}

// A scroll or scale line: a wave word and a value for each axis.
static void writeWaveLine(TextBuilder& out, const char* keyword, WaveType typeX, float x,
                          WaveType typeY, float y) {
    out.add(keyword);
    out.add(waveTypeName(typeX));
    out.add(" ");
    out.addFloat(x);
    out.add(" ");
    out.add(waveTypeName(typeY));
    out.add(" ");
    out.addFloat(y);
    out.add("\n");
}

static void writeStage(TextBuilder& out, const Stage* stage, EditorImage& image) {
    out.add("\t{\n");
    if (strnlen(stage->map, 3) >= 3) {
        out.add("\t\tmap ");
        out.add(stage->map);
        out.add("\n");
        image.offer(stage->map);
    }
    if (stage->alphamask) out.add("\t\talphamask\n");
    if (stage->envmap) out.add("\t\tenvmap\n");
    if (stage->alphaSpeed > 0.0f || stage->alphaMin > 0.0f)
        writeThreeNumbers(out, "\t\talphashift ", stage->alphaSpeed, stage->alphaMin,
                          stage->alphaMax);
    if (stage->blendEnabled) {
        out.add("\t\tblendfunc ");
        out.add(blendFactorName(stage->blendSrc));
        out.add(" ");
        out.add(blendFactorName(stage->blendDst));
        out.add("\n");
    }
    if (stage->scrollX != 0.0f || stage->scrollY != 0.0f)
        writeWaveLine(out, "\t\tscroll ", stage->scrollTypeX, stage->scrollX, stage->scrollTypeY,
                      stage->scrollY);
    if (stage->scaleX != 0.0f || stage->scaleY != 0.0f)
        writeWaveLine(out, "\t\tscale ", stage->scaleTypeX, stage->scaleX, stage->scaleTypeY,
                      stage->scaleY);
    if (stage->animFrameCount) writeAnimation(out, stage, image);
    if (stage->rotateSpeed != 0.0f) {
        out.add("\t\trotate ");
        out.addFloat(stage->rotateSpeed);
        out.add("\n");
    }
    out.add("\t}\n");
}

static void writeScript(TextBuilder& out, const Script* script) {
    EditorImage image;
    out.add(script->name);
    out.add("\n{\n");
    if (script->subdivide) {
        out.add("\tsubdivide ");
        out.addUnsigned(script->subdivide);
        out.add("\n");
    }
    if (script->safe) out.add("\tsafe\n");
    if (script->warpDistance != 0.0f)
        writeThreeNumbers(out, "\tvertexwarp ", script->warpSpeed, script->warpDistance,
                          script->warpSmoothness);
    for (const Stage* stage = script->stages; stage; stage = stage->next)
        writeStage(out, stage, image);
    if (image.name[0]) {
        out.add("\t[\n\t\teditorimage ");
        out.add(image.name);
        out.add("\n\t]\n");
    }
    out.add("}\n\n");
}

// ---------------------------------------------------------------------------
// Replacing the file

static std::string directoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a save must replace: where path is a symbolic link, the file it
// points to (which may not exist yet), so that the link survives the save.
static std::string resolveTarget(const char* path) {
    if (char* resolved = realpath(path, nullptr)) {
        std::string target = resolved;
        free(resolved);
        return target;
    }
    std::string target = path;
    for (int hops = 0; hops < 40; hops++) {
        char link[PATH_MAX];
        ssize_t length = readlink(target.c_str(), link, sizeof link - 1);
        if (length < 0) break;
        link[length] = '\0';
        target = link[0] == '/' ? std::string(link) : directoryOf(target) + "/" + link;
    }
    return target;
}

// A new file next to the target, created with the mode open() gives under
// the current umask. The name is hidden and cut so that it stays a valid
// file name whatever the target's name; a name taken (by another write of
// this process, the recovery copy's thread for one) is passed over.
static int createTemporary(const std::string& target, std::string& temporary) {
    std::string baseName = target.substr(target.rfind('/') + 1, 200);  // npos + 1 == 0
    for (int attempt = 0; attempt < 100; attempt++) {
        temporary = directoryOf(target) + "/." + baseName + "." + std::to_string(getpid()) + "." +
                    std::to_string(attempt) + ".tmp";
        int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// A replaced file keeps its permission bits.
static bool keepPermissions(int fd, const std::string& target) {
    struct stat info;
    if (stat(target.c_str(), &info) != 0) return true;  // a new file
    return fchmod(fd, info.st_mode & 07777) == 0;
}

static bool writeAll(int fd, const char* text, size_t size) {
    size_t written = 0;
    while (written < size) {
        ssize_t count = write(fd, text + written, size - written);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) {
            if (count == 0) errno = EIO;
            return false;
        }
        written += (size_t)count;
    }
    return true;
}

bool TextBuilder::flush() {
    if (sink)
        sink->append(buffer, used);
    else if (!failed && used > 0 && !writeAll(fd, buffer, used))
        failed = true;
    used = 0;
    return !failed;
}

// Makes the rename itself durable; a failure here no longer endangers the
// old or the new contents, so it is not reported.
static void syncDirectory(const std::string& directory) {
    int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

static bool writeScriptsTo(const Script* scripts, int fd) {
    auto out = std::make_unique<TextBuilder>(fd);
    for (const Script* script = scripts; script && !out->failed; script = script->next)
        writeScript(*out, script);
    return out->flush();
}

bool writeScriptLayout(const ScriptLibrary& library, int fd) {
    return writeScriptsTo(library.scripts, fd);
}

std::string scriptText(const Script* script) {
    std::string text;
    auto out = std::make_unique<TextBuilder>(-1);
    out->sink = &text;
    writeScript(*out, script);
    out->flush();
    return text;
}

std::string stageText(const Stage* stage) {
    std::string text;
    auto out = std::make_unique<TextBuilder>(-1);
    out->sink = &text;
    EditorImage image;
    writeStage(*out, stage, image);
    out->flush();
    return text;
}

bool writeScriptFile(const ScriptLibrary& library, const char* path) {
    return writeScriptList(library.scripts, path);
}

// Writes the file through a temporary beside it, renamed over it only once
// every byte is on disk.
template <class Write>
static bool replaceFile(const char* path, Write write) {
    std::string target = resolveTarget(path);
    std::string temporary;
    int fd = createTemporary(target, temporary);
    if (fd < 0) return false;
    bool written = keepPermissions(fd, target) && write(fd) && fsync(fd) == 0;
    int savedErrno = errno;
    if (close(fd) != 0 && written) {
        written = false;
        savedErrno = errno;
    }
    if (written && rename(temporary.c_str(), target.c_str()) != 0) {
        written = false;
        savedErrno = errno;
    }
    if (!written) {
        unlink(temporary.c_str());
        errno = savedErrno;
        return false;
    }
    syncDirectory(directoryOf(target));
    return true;
}

bool writeScriptList(const Script* scripts, const char* path) {
    return replaceFile(path, [scripts](int fd) { return writeScriptsTo(scripts, fd); });
}

bool replaceFileWithText(const char* path, const std::string& text) {
    return replaceFile(path, [&text](int fd) { return writeAll(fd, text.data(), text.size()); });
}
