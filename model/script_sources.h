// The files a library was read from, so that a save can write each one back
// in place: every byte outside the scripts that changed stays as it was, and
// files whose scripts did not change are not touched at all.
#pragma once

#include "script_file.h"
#include "script_model.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ScriptLibrary;

struct TextRange {
    uint64_t begin;
    uint64_t end;
};

// What a file was on disk when last read or written, to notice a change made
// by another program.
struct FileStamp {
    int64_t size = -1;
    int64_t modifiedNs = 0;
    bool operator==(const FileStamp&) const = default;
};

struct SourceFile {
    std::string path;
    std::string text;               // as last read or written
    uint32_t generation = 0;        // of text; an origin of another generation has no range in it
    std::vector<TextRange> ranges;  // of the scripts alive after that read or write, in order
    bool crlf = false;              // its lines end in CR LF
    FileStamp stamp;
    bool touched = false;   // a change since may have altered one of its scripts
    bool justRead = false;  // read since its problems were last looked at
    // Opened (or saved to) and not closed by undoing its Open: shown in the
    // title and the Problems panel, and written back by a save.
    bool open = true;
};

// Reads the file into the library as readScriptFile does, telling observer,
// and remembers it: the scripts read get their origins in it. A file read
// again is read anew; origins in its older text keep no range there. False,
// with nothing changed, when the file is refused.
bool readSourceFile(ScriptLibrary& library, const char* path, const ReadObserver* observer);

// The index of the source file of that path, or -1.
int findSourceFile(const ScriptLibrary& library, const char* path);
// The file a script was read from or was given to, or null.
SourceFile* sourceFileOf(ScriptLibrary& library, const Script* script);
// A change may have altered the script: its file is looked at by the next save.
void touchSourceOf(ScriptLibrary& library, Script* script);
// Gives a script that has no file to the file at path (a new source file,
// empty, when none is open there); the next save appends it there.
void giveScriptToFile(ScriptLibrary& library, Script* script, const char* path);

// The script text pane's texts. A text typed for a script stands for it
// while reading that text alone gives exactly the script's content, so undo
// and redo bring a typed text back with the content it was typed for.
constexpr size_t TYPED_TEXTS_KEPT = 8;  // per script; the oldest go first
// Remembers text (in "\n" line ends, as typed) as typed for the script.
void rememberTypedText(ScriptLibrary& library, const Script* script, std::string text);
// The newest text typed for the script that still stands for it, or null.
const std::string* currentTypedText(const ScriptLibrary& library, const Script* script);
// What the pane shows of the script: its current typed text; else its range
// of its file byte for byte, while the script still says what the range
// says; else the writer's layout of it, ending in one line end.
std::string scriptSourceText(ScriptLibrary& library, const Script* script);
// The line of its file, from 1, on which the script's range begins; 1 when
// it has no range in its file's present text.
int scriptFirstLine(const ScriptLibrary& library, const Script* script);

// One file as a save would write it.
struct FileRewrite {
    int file;
    std::string text;
    // Ranges of the file's present text that the new text lays out anew
    // (a changed script without a current typed text): the words the layout
    // cannot hold are lost there.
    std::vector<TextRange> laidOut;
    // Every script of the file and its range in the new text.
    std::vector<std::pair<Script*, TextRange>> placed;
    // Ranges removed because a script of the same name was read from another
    // file since: their words leave this file, and the user is told.
    std::vector<TextRange> moved;
};

// The files whose text a save would change, with their new texts: each
// changed script's range replaced by its current typed text, or else by its
// layout (both in the file's line ends), each range whose script left the
// library or the file removed, and scripts given to the file without a range
// appended. A file looked at and found unchanged loses its touched mark; a
// file no longer open is left alone. The scripts of the library without a
// file are added to homeless, when given.
std::vector<FileRewrite> planSaveBack(ScriptLibrary& library,
                                      std::vector<Script*>* homeless = nullptr);
// Whether the file on disk still is what was last read or written.
bool sourceUnchangedOnDisk(const SourceFile& file);
// Writes the new text as safely as the writer writes; then the file's text,
// ranges and stamp, and its scripts' origins, follow it. False, with errno
// telling why and nothing changed, when the write fails.
bool writeFileRewrite(ScriptLibrary& library, const FileRewrite& rewrite);
// Where each of the scripts of a list (copies of the library's scripts) came
// from, a line each: its name, and the range and path of its text, or no
// range when it has none in its file's present text, or no path without a
// file. restoreOrigins reads it back.
std::string describeOrigins(const ScriptLibrary& library, const Script* scripts);
// Gives the library's scripts from first on the origins the description
// says, matched by name in order: each file named is remembered (read from
// disk, its scripts not added), and a range still standing in its text is
// the script's again; otherwise the script is appended to the file at the
// next save.
void restoreOrigins(ScriptLibrary& library, Script* first, const std::string& description);

// Every script of the library in the writer's layout, written to path as the
// whole library's file; afterwards the library has that one source file,
// which holds every script. False, with errno, when the write fails.
bool saveLibraryAs(ScriptLibrary& library, const char* path);
