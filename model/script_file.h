// Reading and writing Veltra script files, and the word tables they share
// with the editor.
#pragma once

#include <climits>
#include <cstddef>
#include <string>

#include "script_model.h"

constexpr const char* TOKEN_SEPARATORS = "\r\n\t ";

// The most bytes the reader takes in one text: places in a text are counted
// in int lines and columns. A longer text is refused whole.
constexpr size_t MAX_SCRIPT_TEXT_SIZE = INT_MAX;

struct ScriptLibrary;  // script_library.h
struct ReadObserver;

// Merges the scripts of the file into the library, replacing scripts of the
// same name. A file that loadScriptFile refuses leaves the library unchanged
// (false).
bool readScriptFile(ScriptLibrary& library, const char* path,
                    const ReadObserver* observer = nullptr);
// The same merge for text already in memory (size bytes, need not end in a
// NUL). As for a file, the text ends at its first NUL byte. False, with the
// library unchanged, for a text over MAX_SCRIPT_TEXT_SIZE or without the
// memory for its copy.
bool readScriptText(ScriptLibrary& library, const char* text, size_t size);
// A whole script file in memory, followed by a NUL byte.
struct ScriptFileBytes {
    char* data = nullptr;
    size_t size = 0;

    ScriptFileBytes() = default;
    ScriptFileBytes(const ScriptFileBytes&) = delete;
    ScriptFileBytes& operator=(const ScriptFileBytes&) = delete;
    ~ScriptFileBytes();

    size_t capacity = 0;  // of data
};

// Reads the regular file at path whole. Anything else (a folder, a device, a
// FIFO, a socket: they may block or never end) and a file over
// MAX_SCRIPT_TEXT_SIZE are refused before a byte is read. False when the file
// is refused or cannot be read, with *why (when why is not null) telling the
// user why in a few words.
bool loadScriptFile(const char* path, ScriptFileBytes& bytes, const char** why = nullptr);
// The loaded bytes read into the library as readScriptFile reads a file; the
// reader takes the buffer apart in place.
void readScriptBytes(ScriptLibrary& library, ScriptFileBytes& bytes,
                     const ReadObserver* observer = nullptr);
// Whether loadScriptFile would take the file at path, without reading it.
bool canReadScriptFile(const char* path, const char** why = nullptr);
// Everything an open descriptor gives up to its end (standard input, a pipe),
// refused once it passes MAX_SCRIPT_TEXT_SIZE.
bool loadScriptStream(int fd, ScriptFileBytes& bytes, const char** why = nullptr);

// What the reader tells an observer: each place where it skips, cuts or
// changes what the text says, and each script it begins, so that a tool can
// point at the byte the reader acted on. Offsets count bytes from the start
// of the text.
enum ReadNoteKind {
    NOTE_SCRIPT_BEGUN,        // script: the new record (word: its name as written)
    NOTE_SCRIPT_REPLACED,     // script: the earlier record of that name, released
    NOTE_UNKNOWN_WORD,        // word: not a keyword of its level (inStage tells which)
    NOTE_SWALLOWED_ARGUMENT,  // word: a brace or keyword taken as keyword's argument
    NOTE_BODY_UNCLOSED,       // word: the "{" of a body or stage still open at the end
    NOTE_BODY_WITHOUT_NAME,   // word: a "{" before any script name; the body is dropped
    NOTE_NAME_CUT,            // word: a name longer than its array (keyword null: a script name)
    NOTE_SUBDIVIDE_ROUNDED,   // word: the count; value: what it became
    NOTE_SMOOTHNESS_CLAMPED,  // word: the smoothness; number: what it became
    NOTE_UNKNOWN_WAVE,        // word: read as "static"
    NOTE_UNKNOWN_BLEND,       // word: read as GL_ZERO
    NOTE_FRAMES_DROPPED,      // word: the 256th frame name; it and the rest up to "end" dropped
    NOTE_ANIM_REPLACED,       // word: a second "anim" of the stage, whose frames it replaces
    NOTE_KEYWORD_REPEATED,    // word: a keyword given again in its stage or script (not
                              // "anim"); earlier: where it was given before
    NOTE_NOT_A_NUMBER,        // word: a number argument that is not wholly a number;
                              // value: how many of its bytes are read (0: it reads as 0)
    NOTE_NAME_NOT_LOOKED_UP,  // word: a map or frame name, as written, that the folder
                              // look-up never takes as the record keeps it (isFolderSafeName)
    NOTE_SCRIPT_CLOSED,       // word: the "}" that closes the body of script
    NOTE_STAGE_OPENED,        // word: the "{" that opens a stage of script
    NOTE_STAGE_CLOSED,        // word: the "}" that closes that stage
};

struct ReadNote {
    ReadNoteKind kind;
    size_t offset;
    const char* word;
    const char* keyword;  // the keyword being read, or null
    bool inStage;
    Script* script;  // the script being read (null before any name)
    int value;
    float number;
    size_t earlier;  // an offset, for NOTE_KEYWORD_REPEATED
};

struct ReadObserver {
    void (*note)(const ReadNote& note, void* context);
    void* context;
    // False: only the notes of scripts begun, closed and replaced, which cost
    // the reader nothing to find (what a program merging files needs).
    bool detailed = true;
};

// readScriptText that tells the observer (when not null) what it does.
bool readScriptText(ScriptLibrary& library, const char* text, size_t size,
                    const ReadObserver* observer);

// Writes the whole library. The file at path is replaced only once every
// byte is on disk; returns false (and leaves the old file whole) otherwise,
// with errno telling why.
bool writeScriptFile(const ScriptLibrary& library, const char* path);
// The same for any list of scripts (a copy of the library, for example).
bool writeScriptList(const Script* scripts, const char* path);
// Any text written to path as safely as the library is: false (the old file
// whole) when a byte could not be written, with errno telling why.
bool replaceFileWithText(const char* path, const std::string& text);
// The library's text written to an open file descriptor; false on a failed write.
bool writeScriptLayout(const ScriptLibrary& library, int fd);
// One script as the writer lays it out, from its name to the blank line after
// its closing brace, and one stage as its script's body holds it
// ("\t{\n\t\tmap ...\n\t}\n"): what a save writes and the clipboard holds.
std::string scriptText(const Script* script);
std::string stageText(const Stage* stage);

// Which level of a script takes the word as a keyword, in any case.
enum KeywordLevel { NOT_A_KEYWORD, SCRIPT_KEYWORD, STAGE_KEYWORD };
KeywordLevel keywordLevel(const char* word);

WaveType waveTypeFromName(const char* word);
const char* waveTypeName(WaveType value);
float blendFactorFromName(const char* name);
const char* blendFactorName(float value);
