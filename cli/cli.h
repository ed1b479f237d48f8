// The `veltra` command line: the core's reader, writer, texture look-up and
// preview renderer without a window system. Each command writes its report
// to out and its errors to err and returns the process's exit status.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "problems.h"
#include "script_file.h"

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

// Reads the files in order into the library as File > Open would and
// collects their problems; returns how many files were read (a file that
// cannot be read is told on err, the others still read).
size_t checkFiles(ScriptLibrary& library, const std::vector<std::string>& files,
                  std::vector<Problem>& problems, FILE* err);
// One problem a line (problemText), or one JSON array of {file, line,
// column, kind, message}.
void printProblems(const std::vector<Problem>& problems, bool json, FILE* out);
// "N problems in M files", the last line of check and format on standard error.
void printSummary(size_t problems, size_t files, FILE* err);

// Kinds of problem left out of the report: a list of kind names separated
// by commas. False, with error set, for a name no kind has.
bool addIgnoredKinds(const std::string& names, std::vector<ProblemKind>& ignored,
                     std::string& error);

struct CheckOptions {
    std::vector<std::string> files;
    bool json = false;
    std::vector<ProblemKind> ignored;
};
int commandCheck(const CheckOptions& options, CliStreams io);

struct FormatOptions {
    std::vector<std::string> files;
    bool checkOnly = false;
    bool dropUnknown = false;
    std::vector<ProblemKind> ignored;  // neither reported nor keeping a file from its rewrite
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

// The FILE argument that stands for standard input, and the name problems
// give it.
constexpr const char* STANDARD_INPUT = "-";
std::string inputName(const std::string& path);
// The whole of a FILE argument: a regular file within the reader's limit, or
// standard input. False, with "veltra: FILE: cannot read: why" told on err,
// otherwise.
bool readInput(const std::string& path, ScriptFileBytes& bytes, FILE* err);

// Writes rows of width x height RGB pixels, top row first, through libpng;
// false when the file cannot be written.
bool writePngFile(const std::string& path, int width, int height, const uint8_t* rgb);

// A file name made from a script name: letters, digits, '-', '_' and '.'
// kept, everything else '_', no leading '.', at most 100 bytes.
std::string safeFileName(const char* scriptName);

// Text as a JSON string literal, quotes included.
std::string jsonString(const std::string& text);
