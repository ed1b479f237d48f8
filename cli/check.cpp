// `veltra check` and `veltra format`: what the reader reports about a file,
// as FILE:LINE:COLUMN: message, and the rewrite in the writer's layout that
// refuses to drop words silently.
#include <cerrno>
#include <cstring>

#include "cli.h"
#include "script_file.h"

namespace {

// A place in one of the files of the run.
struct Place {
    int file;  // index in Checker::files
    int line;
    int column;
};

// The place where each script record began: open addressing, at most half
// full, no node per entry (every script of a large file passes here). A
// record freed and allocated again at the same address gets its new place
// when it begins, so nothing is ever removed.
struct PlaceTable {
    std::vector<std::pair<const Script*, Place>> slots =
        std::vector<std::pair<const Script*, Place>>(1024);
    size_t used = 0;

    size_t slotOf(const Script* script) const {
        const size_t mask = slots.size() - 1;
        size_t i = (size_t)(((uintptr_t)script >> 4) * 0x9E3779B97F4A7C15ull) & mask;
        while (slots[i].first && slots[i].first != script) i = (i + 1) & mask;
        return i;
    }

    void put(const Script* script, Place place) {
        if ((used + 1) * 2 > slots.size()) {
            std::vector<std::pair<const Script*, Place>> old(slots.size() * 2);
            old.swap(slots);
            for (const auto& entry : old)
                if (entry.first) slots[slotOf(entry.first)] = entry;
        }
        auto& slot = slots[slotOf(script)];
        used += slot.first == nullptr;
        slot = {script, place};
    }

    const Place* find(const Script* script) const {
        const auto& slot = slots[slotOf(script)];
        return slot.first ? &slot.second : nullptr;
    }
};

bool isSeparatorByte(char c) {
    return c && strchr(TOKEN_SEPARATORS, c) != nullptr;
}

bool sameWord(const char* word, const char* expected) {
    return compareNoCase(word, expected) == 0;
}

// The words of the editor image block that the writer adds after a script's
// stages, in order; the reader skips them, so they are no finding.
const char* const EDITOR_IMAGE_BLOCK[] = {"[", "editorimage", nullptr, "]"};
constexpr size_t EDITOR_IMAGE_WORDS = 4;

// Collects the reader's notes over the files of one run.
struct Checker {
    std::vector<Finding>& findings;
    PlaceTable scriptPlaces;
    std::vector<std::string> files;  // of the run, in order; the last is being read
    const char* text = nullptr;
    // Where locate() stopped last: notes mostly come in text order.
    size_t cursor = 0;
    int cursorLine = 1;
    int cursorColumn = 1;
    std::vector<ReadNote> pendingBlock;  // skipped words that may be an editor image block

    explicit Checker(std::vector<Finding>& target) : findings(target) {}

    Place locate(size_t offset) {
        if (offset < cursor) {
            cursor = 0;
            cursorLine = 1;
            cursorColumn = 1;
        }
        while (cursor < offset) {
            const void* newline = memchr(text + cursor, '\n', offset - cursor);
            if (!newline) {
                cursorColumn += (int)(offset - cursor);
                cursor = offset;
                break;
            }
            cursor = (size_t)((const char*)newline - text) + 1;
            cursorLine++;
            cursorColumn = 1;
        }
        return {(int)files.size() - 1, cursorLine, cursorColumn};
    }

    std::string placeText(const Place& place) const {
        return files[place.file] + ":" + std::to_string(place.line) + ":" +
               std::to_string(place.column);
    }

    void add(const ReadNote& note, const std::string& message, bool losesWords) {
        Place place = locate(note.offset);
        findings.push_back({files.back(), place.line, place.column, message, losesWords});
    }

    // Whether only separators stand between the pending block's last word
    // and this one.
    bool followsBlock(const ReadNote& note) const {
        const ReadNote& previous = pendingBlock.back();
        size_t from = previous.offset + strlen(previous.word);
        for (size_t i = from; i < note.offset; i++)
            if (!isSeparatorByte(text[i])) return false;
        return true;
    }

    bool continuesBlock(const ReadNote& note) const {
        if (note.kind != NOTE_UNKNOWN_WORD || note.inStage) return false;
        const char* expected = EDITOR_IMAGE_BLOCK[pendingBlock.size()];
        if (expected && !sameWord(note.word, expected)) return false;
        return pendingBlock.empty() || followsBlock(note);
    }

    void flushBlock() {
        std::vector<ReadNote> words;
        words.swap(pendingBlock);
        for (const ReadNote& word : words) describe(word);
    }

    void take(const ReadNote& note) {
        if (note.kind == NOTE_SCRIPT_BEGUN && pendingBlock.empty()) {
            describe(note);
            return;
        }
        if (continuesBlock(note)) {
            pendingBlock.push_back(note);
            if (pendingBlock.size() == EDITOR_IMAGE_WORDS) pendingBlock.clear();
            return;
        }
        flushBlock();
        if (continuesBlock(note))
            pendingBlock.push_back(note);
        else
            describe(note);
    }

    void describe(const ReadNote& note);
};

std::string quoted(const char* word) {
    return std::string("'") + word + "'";
}

// A brace or keyword read as a name stays in the file; read as a number,
// a wave or a blend factor it is lost.
bool argumentKeepsWord(const char* keyword) {
    return keyword && (sameWord(keyword, "map") || sameWord(keyword, "anim"));
}

void Checker::describe(const ReadNote& note) {
    if (note.kind == NOTE_SCRIPT_BEGUN) {  // the one note of every script: kept cheap
        scriptPlaces.put(note.script, locate(note.offset));
        return;
    }
    const std::string word = quoted(note.word);
    const std::string name = note.script ? quoted(note.script->name) : std::string();
    switch (note.kind) {
        case NOTE_SCRIPT_BEGUN:
        case NOTE_KEYWORD_REPEATED:
        case NOTE_NOT_A_NUMBER:
        case NOTE_TEXTURE_NAMED:
            break;
        case NOTE_SCRIPT_REPLACED: {
            const Place* earlier = scriptPlaces.find(note.script);
            std::string where = earlier ? placeText(*earlier) : "?";
            add(note, "script " + word + " replaces the one of the same name at " + where, true);
            break;
        }
        case NOTE_UNKNOWN_WORD:
            if (strcmp(note.word, "{") == 0)
                add(note, "'{' inside a stage is skipped: stages do not nest", true);
            else if (note.inStage)
                add(note, word + " is not a stage keyword; skipped", true);
            else
                add(note, word + " is not a script keyword; skipped", true);
            break;
        case NOTE_SWALLOWED_ARGUMENT:
            add(note, quoted(note.keyword) + " takes " + word + " as its argument",
                !argumentKeepsWord(note.keyword));
            break;
        case NOTE_BODY_UNCLOSED:
            add(note, "this '{' of script " + name + " is not closed by the end of the file",
                false);
            break;
        case NOTE_BODY_WITHOUT_NAME:
            add(note, "a body before any script name is skipped", true);
            break;
        case NOTE_NAME_CUT:
            if (note.keyword)
                add(note,
                    "name after " + quoted(note.keyword) + " cut to " +
                        std::to_string(TEXTURE_NAME_SIZE - 1) + " characters",
                    true);
            else
                add(note,
                    "script name cut to " + std::to_string(SCRIPT_NAME_SIZE - 1) +
                        " characters: " + name,
                    true);
            break;
        case NOTE_SUBDIVIDE_ROUNDED:
            add(note,
                "subdivide " + std::string(note.word) + " is read as " + std::to_string(note.value),
                false);
            break;
        case NOTE_SMOOTHNESS_CLAMPED: {
            char number[64];
            snprintf(number, sizeof number, "%.3f", (double)note.number);
            add(note, "vertexwarp smoothness " + std::string(note.word) + " is read as " + number,
                false);
            break;
        }
        case NOTE_UNKNOWN_WAVE:
            add(note, "unknown wave " + word + " is read as static", true);
            break;
        case NOTE_UNKNOWN_BLEND:
            add(note, "unknown blend factor " + word + " is read as GL_ZERO", true);
            break;
        case NOTE_FRAMES_DROPPED:
            add(note,
                "more than " + std::to_string(MAX_ANIM_FRAMES) + " frames: " + word +
                    " and the names after it are dropped",
                true);
            break;
        case NOTE_ANIM_REPLACED:
            add(note, "a second 'anim' replaces the frames of the first", true);
            break;
    }
}

void observe(const ReadNote& note, void* context) {
    static_cast<Checker*>(context)->take(note);
}

// The whole file through the reader, notes to checker; false when it cannot be read.
bool readChecked(const std::string& path, Checker& checker, FILE* err) {
    FileBytes bytes;
    if (!bytes.open(path)) {
        fprintf(err, "veltra: %s: cannot read: %s\n", path.c_str(), strerror(errno));
        return false;
    }
    checker.files.push_back(path);
    checker.text = bytes.data;
    checker.cursor = 0;
    checker.cursorLine = 1;
    checker.cursorColumn = 1;
    ReadObserver observer = {observe, &checker};
    readScriptText(bytes.data, bytes.size, &observer);
    checker.flushBlock();
    // The reader's text ends at its first NUL byte, as C text does.
    if (const char* nul = (const char*)memchr(bytes.data, '\0', bytes.size)) {
        Place place = checker.locate((size_t)(nul - bytes.data));
        checker.findings.push_back(
            {path, place.line, place.column, "a NUL byte: nothing after it is read", true});
    }
    checker.text = nullptr;
    return true;
}

}  // namespace

bool checkFiles(const std::vector<std::string>& files, std::vector<Finding>& findings, FILE* err) {
    Checker checker(findings);
    bool allRead = true;
    for (const std::string& path : files) allRead = readChecked(path, checker, err) && allRead;
    return allRead;
}

namespace {

// The length of the well-formed UTF-8 sequence at text[i], or 0.
size_t utf8Length(const std::string& text, size_t i) {
    const unsigned char lead = (unsigned char)text[i];
    const size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4
                          : lead >= 0xE0               ? 3
                          : lead >= 0xC2               ? 2
                                                       : 0;
    if (length == 0 || i + length > text.size()) return 0;
    for (size_t k = 1; k < length; k++)
        if (((unsigned char)text[i + k] & 0xC0) != 0x80) return 0;
    // No overlong forms, no surrogates, nothing past U+10FFFF.
    const unsigned char second = (unsigned char)text[i + 1];
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F)) return 0;
    if ((lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F)) return 0;
    return length;
}

}  // namespace

// Bytes that are not UTF-8 (file names and words may hold any) become U+FFFD,
// so that the output always parses.
std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size(); i++) {
        const unsigned char c = (unsigned char)text[i];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += (char)c;
        } else if (c < 0x20) {
            char escape[8];
            snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else if (c < 0x80) {
            out += (char)c;
        } else if (size_t length = utf8Length(text, i)) {
            out.append(text, i, length);
            i += length - 1;
        } else {
            out += "\\ufffd";
        }
    }
    return out + "\"";
}

void printFindings(const std::vector<Finding>& findings, bool json, FILE* out) {
    if (!json) {
        for (const Finding& f : findings) {
            if (f.line == 0)  // about a record rather than a place in the text
                fprintf(out, "%s: %s\n", f.file.c_str(), f.message.c_str());
            else
                fprintf(out, "%s:%d:%d: %s\n", f.file.c_str(), f.line, f.column, f.message.c_str());
        }
        return;
    }
    fputs("[", out);
    for (size_t i = 0; i < findings.size(); i++) {
        const Finding& f = findings[i];
        fprintf(out, "%s\n  {\"file\": %s, \"line\": %d, \"column\": %d, \"message\": %s}",
                i ? "," : "", jsonString(f.file).c_str(), f.line, f.column,
                jsonString(f.message).c_str());
    }
    fputs(findings.empty() ? "]\n" : "\n]\n", out);
}

int commandCheck(const CheckOptions& options, CliStreams io) {
    std::vector<Finding> findings;
    bool allRead = checkFiles(options.files, findings, io.err);
    printFindings(findings, options.json, io.out);
    freeAllScripts();
    if (!allRead) return EXIT_TROUBLE;
    return findings.empty() ? EXIT_CLEAN : EXIT_REPORTED;
}

// ---------------------------------------------------------------------------
// format

namespace {

// What the layout cannot carry although the reader kept it: `nolightmap`
// and map names under three characters are never written.
void addWriterLosses(const std::string& path, std::vector<Finding>& findings) {
    for (const Script* script = scriptLibrary; script; script = script->next) {
        int index = 0;
        for (const Stage* stage = script->stages; stage; stage = stage->next, index++) {
            std::string where =
                "stage " + std::to_string(index) + " of script " + quoted(script->name);
            if (stage->lightmap == 0)
                findings.push_back({path, 0, 0, where + ": 'nolightmap' is not kept", true});
            size_t mapLength = strlen(stage->map);
            if (mapLength > 0 && mapLength < 3)
                findings.push_back(
                    {path, 0, 0, where + ": map " + quoted(stage->map) + " is too short to be kept",
                     true});
        }
    }
}

// The library's text in the writer's layout.
bool layoutText(std::string& text) {
    FILE* scratch = tmpfile();
    if (!scratch) return false;
    bool written = writeScriptLayout(fileno(scratch));
    text.clear();
    if (written) {
        rewind(scratch);
        char buffer[1 << 16];
        size_t count;
        while ((count = fread(buffer, 1, sizeof buffer, scratch)) > 0) text.append(buffer, count);
    }
    fclose(scratch);
    return written;
}

int formatOne(const std::string& path, const FormatOptions& options, CliStreams io) {
    freeAllScripts();
    std::string before;
    if (!readWholeFile(path, before)) {
        fprintf(io.err, "veltra: %s: cannot read: %s\n", path.c_str(), strerror(errno));
        return EXIT_TROUBLE;
    }
    std::vector<Finding> findings;
    if (!checkFiles({path}, findings, io.err)) return EXIT_TROUBLE;
    addWriterLosses(path, findings);
    std::vector<Finding> losses;
    for (const Finding& finding : findings)
        if (finding.losesWords) losses.push_back(finding);
    if (!losses.empty() && !options.dropUnknown) {
        printFindings(losses, false, io.out);
        return EXIT_REPORTED;
    }
    std::string after;
    if (!layoutText(after)) {
        fprintf(io.err, "veltra: %s: cannot lay out: %s\n", path.c_str(), strerror(errno));
        return EXIT_TROUBLE;
    }
    if (after == before) return EXIT_CLEAN;
    if (options.checkOnly) {
        fprintf(io.out, "%s: not in the writer's layout\n", path.c_str());
        return EXIT_REPORTED;
    }
    if (!writeScriptFile(path.c_str())) {
        fprintf(io.err, "veltra: %s: cannot write: %s\n", path.c_str(), strerror(errno));
        return EXIT_TROUBLE;
    }
    return EXIT_CLEAN;
}

}  // namespace

int commandFormat(const FormatOptions& options, CliStreams io) {
    int status = EXIT_CLEAN;
    for (const std::string& path : options.files) {
        int result = formatOne(path, options, io);
        if (result > status) status = result;
    }
    freeAllScripts();
    return status;
}
