// The `veltra` command line: the core's reader, writer, texture look-up and
// preview renderer without a window system. Each command writes its report
// to out and its errors to err and returns the process's exit status.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "script_model.h"

struct ScriptLibrary;

// Exit statuses.
constexpr int EXIT_CLEAN = 0;     // nothing to report
constexpr int EXIT_REPORTED = 1;  // something reported, or a file not in the layout
constexpr int EXIT_TROUBLE = 2;   // a file that cannot be read or written, or a usage error

struct CliStreams {
    FILE* out;
    FILE* err;
};

// The whole program: argv[0] is the program's name.
int runVeltra(int argc, const char* const* argv, CliStreams io);

// One place the reader reported, as FILE:LINE:COLUMN: message.
struct Finding {
    std::string file;
    int line;
    int column;
    std::string message;
    bool losesWords;  // rewriting in the writer's layout would drop words
    // line and column 0: about a record rather than a place in the text
};

// Reads the files in order into the library as File > Open would and
// collects what the reader reports; false for a file that cannot be read
// (told on err, the others still read).
bool checkFiles(ScriptLibrary& library, const std::vector<std::string>& files,
                std::vector<Finding>& findings, FILE* err);
void printFindings(const std::vector<Finding>& findings, bool json, FILE* out);

struct CheckOptions {
    std::vector<std::string> files;
    bool json = false;
};
int commandCheck(const CheckOptions& options, CliStreams io);

struct FormatOptions {
    std::vector<std::string> files;
    bool checkOnly = false;
    bool dropUnknown = false;
};
int commandFormat(const FormatOptions& options, CliStreams io);

constexpr int DEFAULT_THUMBNAIL_SIZE = 128;

struct RenderOptions {
    std::vector<std::string> files;  // render: one; thumbnails: any number
    std::string script;              // render only
    std::vector<std::string> textureFolders;
    double seconds = 0.0;
    int width = 0;  // 0: the preview window's size
    int height = 0;
    std::string output;  // render: the PNG; thumbnails: the folder
};
int commandRender(const RenderOptions& options, CliStreams io);
int commandThumbnails(const RenderOptions& options, CliStreams io);

// The preview window's size in pixels, from its template at the classic
// dialog base units of its 8-point font.
void previewWindowSize(int& width, int& height);

// The whole file's bytes; false with errno set when it cannot be read.
bool readWholeFile(const std::string& path, std::string& bytes);

// A file's bytes without a copy: mapped when it is a regular file, read
// otherwise (a pipe, an empty file).
struct FileBytes {
    const char* data = nullptr;
    size_t size = 0;

    FileBytes() = default;
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;
    ~FileBytes();
    bool open(const std::string& path);  // false with errno set

  private:
    void* mapped = nullptr;
    std::string copy;
};

// Writes rows of width x height RGB pixels, top row first, through libpng;
// false when the file cannot be written.
bool writePngFile(const std::string& path, int width, int height, const uint8_t* rgb);

// A file name made from a script name: letters, digits, '-', '_' and '.'
// kept, everything else '_', no leading '.', at most 100 bytes.
std::string safeFileName(const char* scriptName);

// Text as a JSON string literal, quotes included.
std::string jsonString(const std::string& text);
