// The reader's notes as problems at FILE:LINE:COLUMN, with the words the
// writer's layout would drop marked, for `veltra check`, `veltra format` and
// the editor.
#include "problems.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "script_file.h"

namespace {

const char* const KIND_NAMES[PROBLEM_KIND_COUNT] = {
    "unknown-word",        // PROBLEM_UNKNOWN_WORD
    "nested-stage",        // PROBLEM_NESTED_STAGE
    "taken-as-argument",   // PROBLEM_TAKEN_AS_ARGUMENT
    "unclosed-body",       // PROBLEM_UNCLOSED_BODY
    "nameless-body",       // PROBLEM_NAMELESS_BODY
    "name-cut",            // PROBLEM_NAME_CUT
    "replaced-script",     // PROBLEM_REPLACED_SCRIPT
    "subdivide-rounded",   // PROBLEM_SUBDIVIDE_ROUNDED
    "smoothness-clamped",  // PROBLEM_SMOOTHNESS_CLAMPED
    "unknown-wave",        // PROBLEM_UNKNOWN_WAVE
    "unknown-blend",       // PROBLEM_UNKNOWN_BLEND
    "too-many-frames",     // PROBLEM_TOO_MANY_FRAMES
    "repeated-keyword",    // PROBLEM_REPEATED_KEYWORD
    "nul-byte",            // PROBLEM_NUL_BYTE
    "not-kept",            // PROBLEM_NOT_KEPT
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

bool isSeparatorByte(char c) {
    return c && strchr(TOKEN_SEPARATORS, c) != nullptr;
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
    std::string text = problem.file + ":";
    if (problem.line > 0)
        text += std::to_string(problem.line) + ":" + std::to_string(problem.column) + ":";
    return text + " " + problem.message + " [" + problemKindName(problem.kind) + "]";
}

// Collects the reader's notes over the texts of one finder.
struct ProblemCollector {
    std::vector<Problem>* problems = nullptr;
    PlaceTable scriptPlaces;
    std::vector<std::string> files;  // read so far, in order; the last is being read
    const char* text = nullptr;
    // Where locate() stopped last: notes mostly come in text order.
    size_t cursor = 0;
    int cursorLine = 1;
    int cursorColumn = 1;
    std::vector<ReadNote> pendingBlock;  // skipped words that may be an editor image block

    void begin(const std::string& file, const char* fileText, std::vector<Problem>& target) {
        files.push_back(file);
        text = fileText;
        problems = &target;
        cursor = 0;
        cursorLine = 1;
        cursorColumn = 1;
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

    std::string placeText(const Place& place) const {
        return files[place.file] + ":" + std::to_string(place.line) + ":" +
               std::to_string(place.column);
    }

    void add(size_t offset, ProblemKind kind, const std::string& message, bool losesWords) {
        Place place = locate(offset);
        problems->push_back({files.back(), place.line, place.column, kind, message, losesWords});
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

    // The reader's text ends at its first NUL byte, as C text does.
    void findNul(size_t size) {
        if (const char* nul = (const char*)memchr(text, '\0', size))
            add((size_t)(nul - text), PROBLEM_NUL_BYTE, "a NUL byte: nothing after it is read",
                true);
    }

    void describe(const ReadNote& note);
};

void ProblemCollector::describe(const ReadNote& note) {
    if (note.kind == NOTE_SCRIPT_BEGUN) {  // the one note of every script: kept cheap
        scriptPlaces.put(note.script, locate(note.offset));
        return;
    }
    const std::string word = quoted(note.word);
    const std::string name = note.script ? quoted(note.script->name) : std::string();
    const size_t at = note.offset;
    switch (note.kind) {
        case NOTE_SCRIPT_BEGUN:
        case NOTE_KEYWORD_REPEATED:
        case NOTE_NOT_A_NUMBER:
        case NOTE_TEXTURE_NAMED:
            break;
        case NOTE_SCRIPT_REPLACED: {
            const Place* earlier = scriptPlaces.find(note.script);
            std::string where = earlier ? placeText(*earlier) : "?";
            add(at, PROBLEM_REPLACED_SCRIPT,
                "script " + word + " replaces the one of the same name at " + where, true);
            break;
        }
        case NOTE_UNKNOWN_WORD:
            if (strcmp(note.word, "{") == 0)
                add(at, PROBLEM_NESTED_STAGE, "'{' inside a stage is skipped: stages do not nest",
                    true);
            else if (note.inStage)
                add(at, PROBLEM_UNKNOWN_WORD, word + " is not a stage keyword; skipped", true);
            else
                add(at, PROBLEM_UNKNOWN_WORD, word + " is not a script keyword; skipped", true);
            break;
        case NOTE_SWALLOWED_ARGUMENT:
            add(at, PROBLEM_TAKEN_AS_ARGUMENT,
                quoted(note.keyword) + " takes " + word + " as its argument",
                !argumentKeepsWord(note.keyword));
            break;
        case NOTE_BODY_UNCLOSED:
            add(at, PROBLEM_UNCLOSED_BODY,
                "this '{' of script " + name + " is not closed by the end of the file", false);
            break;
        case NOTE_BODY_WITHOUT_NAME:
            add(at, PROBLEM_NAMELESS_BODY, "a body before any script name is skipped", true);
            break;
        case NOTE_NAME_CUT:
            if (note.keyword)
                add(at, PROBLEM_NAME_CUT,
                    "name after " + quoted(note.keyword) + " cut to " +
                        std::to_string(TEXTURE_NAME_SIZE - 1) + " characters",
                    true);
            else
                add(at, PROBLEM_NAME_CUT,
                    "script name cut to " + std::to_string(SCRIPT_NAME_SIZE - 1) +
                        " characters: " + name,
                    true);
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
    }
}

namespace {

void observe(const ReadNote& note, void* context) {
    static_cast<ProblemCollector*>(context)->take(note);
}

}  // namespace

ProblemFinder::ProblemFinder() : collector(std::make_unique<ProblemCollector>()) {}
ProblemFinder::~ProblemFinder() = default;

bool ProblemFinder::read(const std::string& file, const char* text, size_t size,
                         std::vector<Problem>& problems) {
    collector->begin(file, text, problems);
    ReadObserver observer = {observe, collector.get()};
    const bool read = readScriptText(text, size, &observer);
    collector->flushBlock();
    if (read) collector->findNul(size);
    collector->text = nullptr;
    return read;
}

void findLayoutLosses(const std::string& file, std::vector<Problem>& problems) {
    for (const Script* script = scriptLibrary; script; script = script->next) {
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
