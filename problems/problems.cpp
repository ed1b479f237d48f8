// The reader's notes as problems at FILE:LINE:COLUMN, with the words the
// writer's layout would drop marked, for `veltra check`, `veltra format` and
// the editor.
#include "problems.h"

#include "script_library.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <unordered_map>

#include "script_file.h"

namespace {

const char* const KIND_NAMES[PROBLEM_KIND_COUNT] = {
    "unknown-word",         // PROBLEM_UNKNOWN_WORD
    "nested-stage",         // PROBLEM_NESTED_STAGE
    "taken-as-argument",    // PROBLEM_TAKEN_AS_ARGUMENT
    "unclosed-body",        // PROBLEM_UNCLOSED_BODY
    "nameless-body",        // PROBLEM_NAMELESS_BODY
    "name-cut",             // PROBLEM_NAME_CUT
    "cut-name-clash",       // PROBLEM_CUT_NAME_CLASH
    "replaced-script",      // PROBLEM_REPLACED_SCRIPT
    "subdivide-rounded",    // PROBLEM_SUBDIVIDE_ROUNDED
    "smoothness-clamped",   // PROBLEM_SMOOTHNESS_CLAMPED
    "unknown-wave",         // PROBLEM_UNKNOWN_WAVE
    "unknown-blend",        // PROBLEM_UNKNOWN_BLEND
    "too-many-frames",      // PROBLEM_TOO_MANY_FRAMES
    "repeated-keyword",     // PROBLEM_REPEATED_KEYWORD
    "not-a-number",         // PROBLEM_NOT_A_NUMBER
    "comment-word",         // PROBLEM_COMMENT_WORD
    "unsafe-texture-name",  // PROBLEM_UNSAFE_TEXTURE_NAME
    "nul-byte",             // PROBLEM_NUL_BYTE
    "not-kept",             // PROBLEM_NOT_KEPT
};

// A place in one of the files read by a finder.
struct Place {
    int file;  // index in ProblemCollector::files
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

// One of TOKEN_SEPARATORS.
bool isSeparatorByte(char c) {
    return c == ' ' || c == '\n' || c == '\t' || c == '\r';
}

bool sameWord(const char* word, const char* expected) {
    return compareNoCase(word, expected) == 0;
}

std::string quoted(const char* word) {
    return std::string("'") + word + "'";
}

// A brace or keyword read as a name stays in the file; read as a number,
// a wave or a blend factor it is lost.
bool argumentKeepsWord(const char* keyword) {
    return keyword && (sameWord(keyword, "map") || sameWord(keyword, "anim"));
}

bool isFlag(const char* keyword) {
    for (const char* flag : {"safe", "envmap", "alphamask", "nolightmap"})
        if (sameWord(keyword, flag)) return true;
    return false;
}

// The words of the editor image block that the writer adds after a script's
// stages, in order; the reader skips them, so they are no problem.
const char* const EDITOR_IMAGE_BLOCK[] = {"[", "editorimage", nullptr, "]"};
constexpr size_t EDITOR_IMAGE_WORDS = 4;

}  // namespace

const char* problemKindName(ProblemKind kind) {
    return kind < PROBLEM_KIND_COUNT ? KIND_NAMES[kind] : "?";
}

bool problemKindFromName(const std::string& name, ProblemKind& kind) {
    for (int i = 0; i < PROBLEM_KIND_COUNT; i++) {
        if (name != KIND_NAMES[i]) continue;
        kind = (ProblemKind)i;
        return true;
    }
    return false;
}

std::string problemText(const Problem& problem) {
    char place[32] = "";
    if (problem.line > 0) snprintf(place, sizeof place, "%d:%d:", problem.line, problem.column);
    const char* kind = problemKindName(problem.kind);
    std::string text;
    text.reserve(problem.file.size() + strlen(place) + problem.message.size() + strlen(kind) + 6);
    text.append(problem.file).append(":").append(place).append(" ");
    return text.append(problem.message).append(" [").append(kind).append("]");
}

namespace {

// A line whose first word beginning like a comment of another language
// ("//", "/*", "#") starts at marker. Veltra has no comments: that word
// names a script or is skipped, and the words after it on the line are read
// like any others. The problem says what became of them, once for the line.
struct CommentLine {
    size_t marker;
    size_t end;                   // of the line: its '\n' or the end of the text
    std::vector<size_t> skipped;  // offsets of words skipped as unknown
    std::vector<size_t> names;    // offsets of words that name a script
};

bool looksLikeComment(const char* word) {
    return word[0] == '#' || (word[0] == '/' && (word[1] == '/' || word[1] == '*'));
}

// A '}' taken as an argument: the body or stage it was meant to close may
// be reported as not closed.
struct TakenBrace {
    const Script* script = nullptr;
    size_t offset = 0;
    std::string keyword;
};

}  // namespace

// Collects the reader's notes over the texts of one finder.
struct ProblemCollector {
    std::vector<Problem>* problems = nullptr;
    size_t firstProblem = 0;      // of the text being read
    std::vector<size_t> offsets;  // of its problems, to put them in text order
    PlaceTable scriptPlaces;
    // The names as written of the scripts whose names were cut, by record.
    std::unordered_map<const Script*, std::string> cutNames;
    std::string cutName;             // of the script beginning now, when cut
    std::vector<std::string> files;  // read so far, in order; the last is being read
    const char* text = nullptr;
    size_t length = 0;  // of the text the reader reads: up to its first NUL
    // Where locate() stopped last: notes mostly come in text order.
    size_t cursor = 0;
    int cursorLine = 1;
    int cursorColumn = 1;
    // Skipped words that may be an editor image block, with their lengths:
    // they may be told once the reader has freed its words.
    std::vector<std::pair<ReadNote, size_t>> pendingBlock;
    std::vector<CommentLine> commentLines;
    TakenBrace takenBrace;

    void begin(const std::string& file, const char* fileText, size_t size,
               std::vector<Problem>& target) {
        files.push_back(file);
        text = fileText;
        length = strnlen(fileText, size);
        problems = &target;
        firstProblem = target.size();
        offsets.clear();
        cursor = 0;
        cursorLine = 1;
        cursorColumn = 1;
        commentLines.clear();
        takenBrace = {};
    }

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

    // The place of an offset before the one of later, counting back from it.
    Place placeBefore(size_t offset, size_t laterOffset, const Place& later) const {
        Place place = later;
        size_t lineStart = offset;
        while (lineStart > 0 && text[lineStart - 1] != '\n') lineStart--;
        place.line -= (int)std::count(text + offset, text + laterOffset, '\n');
        place.column = (int)(offset - lineStart) + 1;
        return place;
    }

    std::string placeText(const Place& place) const {
        return files[place.file] + ":" + std::to_string(place.line) + ":" +
               std::to_string(place.column);
    }

    void add(size_t offset, ProblemKind kind, const std::string& message, bool losesWords) {
        Place place = locate(offset);
        problems->push_back(
            {files.back(), place.line, place.column, kind, message, losesWords, offset});
        offsets.push_back(offset);
    }

    // Whether only separators stand between the pending block's last word
    // and this one.
    bool followsBlock(const ReadNote& note) const {
        const auto& [previous, length] = pendingBlock.back();
        const size_t from = previous.offset + length;
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

    // Tells the pending words, taken again from the text.
    void flushBlock() {
        std::vector<std::pair<ReadNote, size_t>> pending;
        pending.swap(pendingBlock);
        for (auto [note, length] : pending) {
            const std::string word(text + note.offset, length);
            note.word = word.c_str();
            note.keyword = nullptr;
            note.script = nullptr;
            describe(note);
        }
    }

    void take(const ReadNote& note) {
        // A stage's braces are no problem, and do not end a block of skipped words.
        if (note.kind == NOTE_STAGE_OPENED || note.kind == NOTE_STAGE_CLOSED) return;
        if (note.kind == NOTE_SCRIPT_BEGUN && pendingBlock.empty()) {
            describe(note);
            return;
        }
        if (continuesBlock(note)) {
            pendingBlock.push_back({note, strlen(note.word)});
            if (pendingBlock.size() == EDITOR_IMAGE_WORDS) pendingBlock.clear();
            return;
        }
        flushBlock();
        if (continuesBlock(note))
            pendingBlock.push_back({note, strlen(note.word)});
        else
            describe(note);
    }

    // The comment-looking line that holds the word at offset, from its
    // marker on, beginning one at a word that looks like a comment; null
    // otherwise. Notes of words come in text order.
    CommentLine* commentLineAt(size_t offset, const char* word) {
        if (!commentLines.empty() && offset >= commentLines.back().marker &&
            offset < commentLines.back().end)
            return &commentLines.back();
        if (!looksLikeComment(word)) return nullptr;
        const char* newline = (const char*)memchr(text + offset, '\n', length - offset);
        commentLines.push_back({offset, newline ? (size_t)(newline - text) : length, {}, {}});
        return &commentLines.back();
    }

    void finish(size_t size) {
        flushBlock();
        for (const CommentLine& line : commentLines) describeCommentLine(line);
        // The reader's text ends at its first NUL byte, as C text does.
        if (length < size)
            add(length, PROBLEM_NUL_BYTE, "a NUL byte: nothing after it is read", true);
        putInTextOrder();
        text = nullptr;
    }

    // Notes come in reading order; a few point back (an unclosed body), and
    // the comment lines are told last.
    void putInTextOrder() {
        std::vector<size_t> order(offsets.size());
        for (size_t i = 0; i < order.size(); i++) order[i] = i;
        std::stable_sort(order.begin(), order.end(),
                         [this](size_t a, size_t b) { return offsets[a] < offsets[b]; });
        std::vector<Problem> sorted;
        sorted.reserve(order.size());
        for (size_t i : order) sorted.push_back(std::move((*problems)[firstProblem + i]));
        std::move(sorted.begin(), sorted.end(), problems->begin() + (long)firstProblem);
    }

    void describe(const ReadNote& note);
    void describeScriptBegun(const ReadNote& note);
    void describeReplaced(const ReadNote& note);
    void describeUnclosed(const ReadNote& note);
    void describeRepeated(const ReadNote& note);
    void describeNotANumber(const ReadNote& note);
    void describeNameNotLookedUp(const ReadNote& note);
    void describeCommentLine(const CommentLine& line);
};

void ProblemCollector::describeScriptBegun(const ReadNote& note) {
    scriptPlaces.put(note.script, locate(note.offset));
    if (!cutName.empty())
        cutNames[note.script] = std::move(cutName);
    else if (!cutNames.empty())
        cutNames.erase(note.script);  // a record used again
    cutName.clear();
    if (CommentLine* line = commentLineAt(note.offset, note.word))
        line->names.push_back(note.offset);
}

// A name cut to fit may equal another name only because of the cut.
void ProblemCollector::describeReplaced(const ReadNote& note) {
    const Place* earlier = scriptPlaces.find(note.script);
    const std::string where = earlier ? placeText(*earlier) : "?";
    auto cut = cutNames.find(note.script);
    const char* earlierName = cut != cutNames.end() ? cut->second.c_str() : note.script->name;
    if (compareNoCase(note.word, earlierName) != 0)
        add(note.offset, PROBLEM_CUT_NAME_CLASH,
            "cut to " + std::to_string(SCRIPT_NAME_SIZE - 1) + " characters, script name " +
                quoted(note.word) + " is the same as " + quoted(earlierName) + " at " + where +
                ", which it replaces",
            true);
    else
        add(note.offset, PROBLEM_REPLACED_SCRIPT,
            "script " + quoted(note.word) + " replaces the one of the same name at " + where, true);
}

// A closing brace taken as an argument is most likely the one missing.
void ProblemCollector::describeUnclosed(const ReadNote& note) {
    const std::string name = note.script ? quoted(note.script->name) : std::string();
    std::string message = "this '{' of script " + name + " is not closed by the end of the file";
    const bool taken = takenBrace.script == note.script && takenBrace.offset > note.offset;
    if (taken) {
        const Place place = locate(takenBrace.offset);
        message += "; the '}' at " + placeText(place) + " is taken as the argument of " +
                   quoted(takenBrace.keyword.c_str());
    }
    add(note.offset, PROBLEM_UNCLOSED_BODY, message, taken);
}

void ProblemCollector::describeRepeated(const ReadNote& note) {
    const char* level = note.inStage ? "stage" : "script";
    if (isFlag(note.word)) {
        add(note.offset, PROBLEM_REPEATED_KEYWORD,
            quoted(note.word) + " again in this " + level + " changes nothing", true);
        return;
    }
    const Place here = locate(note.offset);
    const Place earlier = placeBefore(note.earlier, note.offset, here);
    add(note.offset, PROBLEM_REPEATED_KEYWORD,
        quoted(note.word) + " again in this " + level + ": the one at " + placeText(earlier) +
            " is lost",
        true);
}

void ProblemCollector::describeNotANumber(const ReadNote& note) {
    const bool integer = note.keyword && sameWord(note.keyword, "subdivide");
    const std::string read = note.value > 0 ? std::string(note.word, (size_t)note.value) : "0";
    add(note.offset, PROBLEM_NOT_A_NUMBER,
        quoted(note.word) + (integer ? " is not a whole number" : " is not a number") +
            "; read as " + read,
        true);
}

// The look-up takes the name as the record keeps it.
void ProblemCollector::describeNameNotLookedUp(const ReadNote& note) {
    const std::string name(note.word, strnlen(note.word, TEXTURE_NAME_SIZE - 1));
    const bool absolute = name[0] == '/' || name[0] == '\\';
    add(note.offset, PROBLEM_UNSAFE_TEXTURE_NAME,
        "texture name " + quoted(name.c_str()) +
            " is never looked up in a folder: " + (absolute ? "it is absolute" : "it holds '..'"),
        true);
}

// Says what the reader made of the line from the marker on: the first word
// it did not skip.
void ProblemCollector::describeCommentLine(const CommentLine& line) {
    const std::string marker(text + line.marker, text[line.marker] == '#' ? 1 : 2);
    std::string effect = "it and the words after it on this line are skipped";
    for (size_t at = line.marker; at < line.end;) {
        size_t wordEnd = at;
        while (wordEnd < line.end && !isSeparatorByte(text[wordEnd])) wordEnd++;
        const std::string word = quoted(std::string(text + at, wordEnd - at).c_str());
        const bool skipped = std::count(line.skipped.begin(), line.skipped.end(), at) > 0;
        const bool names = std::count(line.names.begin(), line.names.end(), at) > 0;
        if (!skipped) {
            if (at == line.marker)
                effect = names ? word + " names a script" : word + " is read as an argument";
            else
                effect = word + " on this line " + (names ? "names a script" : "is read");
            break;
        }
        at = wordEnd;
        while (at < line.end && isSeparatorByte(text[at])) at++;
    }
    add(line.marker, PROBLEM_COMMENT_WORD,
        quoted(marker.c_str()) + " starts no comment in Veltra: " + effect, true);
}

void ProblemCollector::describe(const ReadNote& note) {
    if (note.kind == NOTE_SCRIPT_BEGUN) {  // the one note of every script: kept cheap
        describeScriptBegun(note);
        return;
    }
    const std::string word = quoted(note.word);
    const std::string name = note.script ? quoted(note.script->name) : std::string();
    const size_t at = note.offset;
    switch (note.kind) {
        case NOTE_SCRIPT_BEGUN:
        case NOTE_SCRIPT_CLOSED:
        case NOTE_STAGE_OPENED:
        case NOTE_STAGE_CLOSED:
            break;
        case NOTE_SCRIPT_REPLACED:
            describeReplaced(note);
            break;
        case NOTE_UNKNOWN_WORD:
            if (CommentLine* line = commentLineAt(at, note.word))
                line->skipped.push_back(at);  // told once, for the whole line
            else if (strcmp(note.word, "{") == 0)
                add(at, PROBLEM_NESTED_STAGE, "'{' inside a stage is skipped: stages do not nest",
                    true);
            else if (note.inStage)
                add(at, PROBLEM_UNKNOWN_WORD, word + " is not a stage keyword; skipped", true);
            else
                add(at, PROBLEM_UNKNOWN_WORD, word + " is not a script keyword; skipped", true);
            break;
        case NOTE_SWALLOWED_ARGUMENT:
            if (strcmp(note.word, "}") == 0) takenBrace = {note.script, at, note.keyword};
            add(at, PROBLEM_TAKEN_AS_ARGUMENT,
                quoted(note.keyword) + " takes " + word + " as its argument",
                !argumentKeepsWord(note.keyword));
            break;
        case NOTE_BODY_UNCLOSED:
            describeUnclosed(note);
            break;
        case NOTE_BODY_WITHOUT_NAME:
            add(at, PROBLEM_NAMELESS_BODY, "a body before any script name is skipped", true);
            break;
        case NOTE_NAME_CUT:
            if (note.keyword) {
                add(at, PROBLEM_NAME_CUT,
                    "name after " + quoted(note.keyword) + " cut to " +
                        std::to_string(TEXTURE_NAME_SIZE - 1) + " characters",
                    true);
            } else {
                if (note.script) cutName = note.word;
                add(at, PROBLEM_NAME_CUT,
                    "script name cut to " + std::to_string(SCRIPT_NAME_SIZE - 1) +
                        " characters: " + name,
                    true);
            }
            break;
        case NOTE_SUBDIVIDE_ROUNDED:
            add(at, PROBLEM_SUBDIVIDE_ROUNDED,
                "subdivide " + std::string(note.word) + " is read as " + std::to_string(note.value),
                false);
            break;
        case NOTE_SMOOTHNESS_CLAMPED: {
            char number[64];
            snprintf(number, sizeof number, "%.3f", (double)note.number);
            add(at, PROBLEM_SMOOTHNESS_CLAMPED,
                "vertexwarp smoothness " + std::string(note.word) + " is read as " + number, false);
            break;
        }
        case NOTE_UNKNOWN_WAVE:
            add(at, PROBLEM_UNKNOWN_WAVE, "unknown wave " + word + " is read as static", true);
            break;
        case NOTE_UNKNOWN_BLEND:
            add(at, PROBLEM_UNKNOWN_BLEND, "unknown blend factor " + word + " is read as GL_ZERO",
                true);
            break;
        case NOTE_FRAMES_DROPPED:
            add(at, PROBLEM_TOO_MANY_FRAMES,
                "more than " + std::to_string(MAX_ANIM_FRAMES) + " frames: " + word +
                    " and the names after it are dropped",
                true);
            break;
        case NOTE_ANIM_REPLACED:
            add(at, PROBLEM_REPEATED_KEYWORD, "a second 'anim' replaces the frames of the first",
                true);
            break;
        case NOTE_KEYWORD_REPEATED:
            describeRepeated(note);
            break;
        case NOTE_NOT_A_NUMBER:
            describeNotANumber(note);
            break;
        case NOTE_NAME_NOT_LOOKED_UP:
            describeNameNotLookedUp(note);
            break;
    }
}

namespace {

void observe(const ReadNote& note, void* context) {
    static_cast<ProblemCollector*>(context)->take(note);
}

}  // namespace

ProblemFinder::ProblemFinder(ScriptLibrary& readInto)
    : library(readInto), collector(std::make_unique<ProblemCollector>()) {}
ProblemFinder::~ProblemFinder() = default;

bool ProblemFinder::read(const std::string& file, const char* text, size_t size,
                         std::vector<Problem>& problems) {
    collector->begin(file, text, size, problems);
    ReadObserver observer = {observe, collector.get()};
    if (!readScriptText(library, text, size, &observer)) {
        problems.resize(collector->firstProblem);
        collector->pendingBlock.clear();
        return false;
    }
    collector->finish(size);
    return true;
}

// A problem found in a part of a text, placed in the whole text.
static void placeInText(Problem& problem, const char* text, size_t partBegin) {
    if (problem.line == 0) return;  // about a record
    int linesBefore = 0;
    size_t lineStart = 0;
    for (size_t i = 0; i < partBegin; i++) {
        if (text[i] != '\n') continue;
        linesBefore++;
        lineStart = i + 1;
    }
    if (problem.line == 1) problem.column += (int)(partBegin - lineStart);
    problem.line += linesBefore;
    problem.offset += partBegin;
}

// Each range is read on its own: a script's words do not depend on the text
// around it, and a save reads no more than it lays out.
void findWordsLost(const std::string& file, const char* text, size_t size,
                   const std::vector<TextRange>& laidOut, std::vector<Problem>& lost) {
    for (const TextRange& range : laidOut) {
        if (range.end > size || range.begin > range.end) continue;
        ScriptLibrary part;
        part.history.enabled = false;
        std::vector<Problem> problems;
        ProblemFinder(part).read(file, text + range.begin, range.end - range.begin, problems);
        for (Problem& problem : problems) {
            if (!problem.losesWords) continue;
            placeInText(problem, text, range.begin);
            lost.push_back(std::move(problem));
        }
        findLayoutLosses(part, file, lost);
    }
}

void findLayoutLosses(const ScriptLibrary& library, const std::string& file,
                      std::vector<Problem>& problems) {
    for (const Script* script = library.scripts; script; script = script->next) {
        int index = 0;
        for (const Stage* stage = script->stages; stage; stage = stage->next, index++) {
            std::string where =
                "stage " + std::to_string(index) + " of script " + quoted(script->name);
            if (stage->lightmap == 0)
                problems.push_back(
                    {file, 0, 0, PROBLEM_NOT_KEPT, where + ": 'nolightmap' is not kept", true});
            size_t mapLength = strlen(stage->map);
            if (mapLength > 0 && mapLength < 3)
                problems.push_back(
                    {file, 0, 0, PROBLEM_NOT_KEPT,
                     where + ": map " + quoted(stage->map) + " is too short to be kept", true});
        }
    }
}
