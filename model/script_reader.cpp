// The Veltra file reader: splits the text into words and merges its scripts
// into the library, replacing scripts of the same name.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "model_internal.h"
#include "numbers.h"
#include "script_file.h"
#include "script_library.h"
#include "texture_names.h"

// ---------------------------------------------------------------------------
// Word tables

static const char* const WAVE_NAMES[] = {"static", "sine", "cosine"};

struct BlendFactor {
    const char* name;
    int value;
};

static const BlendFactor BLEND_FACTORS[] = {
    {"GL_ZERO", 0},
    {"GL_ONE", 1},
    {"GL_SRC_COLOR", 0x0300},
    {"GL_ONE_MINUS_SRC_COLOR", 0x0301},
    {"GL_SRC_ALPHA", 0x0302},
    {"GL_ONE_MINUS_SRC_ALPHA", 0x0303},
    {"GL_DST_ALPHA", 0x0304},
    {"GL_ONE_MINUS_DST_ALPHA", 0x0305},
    {"GL_DST_COLOR", 0x0306},
    {"GL_ONE_MINUS_DST_COLOR", 0x0307},
    {"GL_SRC_ALPHA_SATURATE", 0x0308},
};

WaveType waveTypeFromName(const char* word) {
    for (int i = 0; i < 3; i++)
        if (compareNoCase(word, WAVE_NAMES[i]) == 0) return (WaveType)i;
    return WAVE_STATIC;
}

// Values outside the table never come from the reader or the editor; they
// are written as "static", which reads back as 0.
const char* waveTypeName(WaveType value) {
    return value <= WAVE_COSINE ? WAVE_NAMES[value] : WAVE_NAMES[WAVE_STATIC];
}

float blendFactorFromName(const char* name) {
    for (const BlendFactor& factor : BLEND_FACTORS)
        if (compareNoCase(name, factor.name) == 0) return (float)factor.value;
    return 0.0f;
}

// A value outside the table (never set by the reader or the editor) gives
// "GL_ZERO", the name an unknown factor reads back as.
const char* blendFactorName(float value) {
    for (const BlendFactor& factor : BLEND_FACTORS)
        if (value == (float)factor.value) return factor.name;
    return BLEND_FACTORS[0].name;
}

// ---------------------------------------------------------------------------
// Words

// The four TOKEN_SEPARATORS, as a table for the inner loop of the reader.
struct SeparatorTable {
    bool isSeparator[256] = {};
    constexpr SeparatorTable() {
        for (const char* c = TOKEN_SEPARATORS; *c; c++) isSeparator[(unsigned char)*c] = true;
    }
};
static constexpr SeparatorTable SEPARATORS;

static bool isSeparator(char c) {
    return SEPARATORS.isSeparator[(unsigned char)c];
}

static bool isBrace(const char* word, char brace) {
    return word[0] == brace && word[1] == '\0';
}

// The script keywords, then the stage keywords, in the order of KEYWORDS.
enum Keyword : size_t {
    KW_SAFE,
    KW_SUBDIVIDE,
    KW_VERTEXWARP,
    KW_MAP,
    KW_SCROLL,
    KW_SCALE,
    KW_ROTATE,
    KW_BLENDFUNC,
    KW_ALPHASHIFT,
    KW_ANIM,
    KW_ENVMAP,
    KW_ALPHAMASK,
    KW_NOLIGHTMAP,
    KEYWORD_COUNT
};
constexpr size_t FIRST_STAGE_KEYWORD = KW_MAP;

static constexpr const char* KEYWORDS[KEYWORD_COUNT] = {
    "safe",      "subdivide",  "vertexwarp", "map",    "scroll",    "scale",      "rotate",
    "blendfunc", "alphashift", "anim",       "envmap", "alphamask", "nolightmap",
};
struct KeywordLengths {
    size_t of[KEYWORD_COUNT] = {};
    constexpr KeywordLengths() {
        for (size_t i = 0; i < KEYWORD_COUNT; i++)
            while (KEYWORDS[i][of[i]]) of[i]++;
    }
};
static constexpr KeywordLengths KEYWORD_LENGTHS;

KeywordLevel keywordLevel(const char* word) {
    for (size_t i = 0; i < KEYWORD_COUNT; i++)
        if (compareNoCase(word, KEYWORDS[i]) == 0)
            return i < FIRST_STAGE_KEYWORD ? SCRIPT_KEYWORD : STAGE_KEYWORD;
    return NOT_A_KEYWORD;
}

// The letters keywords begin with, in either case: most words are no keyword
// by their first byte.
struct KeywordInitials {
    bool begins[256] = {};
    constexpr KeywordInitials() {
        for (const char* keyword : KEYWORDS) {
            begins[(unsigned char)keyword[0]] = true;
            begins[(unsigned char)(keyword[0] - 'a' + 'A')] = true;
        }
    }
};
static constexpr KeywordInitials KEYWORD_INITIALS;

// Tells the observer, when there is one, what the reader does at a word.
struct ReadNotes {
    const ReadObserver* observer = nullptr;
    bool detailed = false;          // the observer wants every note
    const char* text = nullptr;     // the start of the text, for offsets
    const char* keyword = nullptr;  // the keyword whose arguments are being read
    bool inStage = false;
    Script* script = nullptr;
    // In a body before any script name only the arguments taken are told:
    // they show where that body ends.
    bool nameless = false;

    // Where each keyword was given in the current script (script keywords)
    // and stage (stage keywords); null when not yet.
    const char* given[KEYWORD_COUNT] = {};

    void tell(ReadNoteKind kind, const char* word, int value = 0, float number = 0.0f,
              const char* earlier = nullptr) const {
        if (!observer || (nameless && kind != NOTE_SWALLOWED_ARGUMENT)) return;
        if (!detailed && kind != NOTE_SCRIPT_BEGUN && kind != NOTE_SCRIPT_REPLACED &&
            kind != NOTE_SCRIPT_CLOSED)
            return;
        const size_t offset = (size_t)(word - text);
        const size_t earlierOffset = earlier ? (size_t)(earlier - text) : 0;
        ReadNote note = {kind,   offset, word,   keyword,      inStage,
                         script, value,  number, earlierOffset};
        observer->note(note, observer->context);
    }

    // An argument that is a brace or a keyword most likely ends the
    // keyword's arguments early in the author's mind. Returns whether it is one.
    // Out of line, so that reading an argument without an observer stays small.
    [[gnu::noinline]] bool checkArgument(const char* word, size_t length) const {
        const bool swallowed = isBrace(word, '{') || isBrace(word, '}') || isKeyword(word, length);
        if (swallowed) tell(NOTE_SWALLOWED_ARGUMENT, word);
        return swallowed;
    }

    static bool isKeyword(const char* word, size_t length) {
        if (!KEYWORD_INITIALS.begins[(unsigned char)word[0]]) return false;
        for (size_t i = 0; i < KEYWORD_COUNT; i++)
            if (KEYWORD_LENGTHS.of[i] == length && compareNoCase(word, KEYWORDS[i]) == 0)
                return true;
        return false;
    }

    // A number argument of length bytes that is more than a number reads as
    // its longest number prefix.
    void checkNumber(const char* word, size_t length, bool integer) const {
        const size_t read = numberPrefixLength(word, integer);
        if (read != length) tell(NOTE_NOT_A_NUMBER, word, (int)read);
    }

    // kept: the name as the record keeps it, which the look-up takes.
    void checkTextureName(const char* word, const char* kept) const {
        if (detailed && !isFolderSafeName(kept)) tell(NOTE_NAME_NOT_LOOKED_UP, word);
    }

    void forgetKeywords(size_t from) {
        if (detailed) std::fill(given + from, given + KEYWORD_COUNT, nullptr);
    }

    // A keyword given a second time in its stage or script undoes the first;
    // a second anim has a note of its own.
    void keywordGiven(const char* word, Keyword keyword) {
        if (given[keyword] && keyword != KW_ANIM)
            tell(NOTE_KEYWORD_REPEATED, word, 0, 0.0f, given[keyword]);
        given[keyword] = word;
    }
};

// Walks the words of a writable buffer, terminating each one in place.
// The byte at end must be a NUL, so the last word is terminated too.
struct WordReader {
    char* pos;
    char* end;
    size_t length = 0;       // of the word returned last
    char* last = nullptr;    // the word returned last
    bool lastTaken = false;  // the last argument was a brace or keyword
    ReadNotes notes;

    // The next word, or null when the text is used up.
    char* next() {
        while (pos < end && isSeparator(*pos)) pos++;
        if (pos == end) return nullptr;
        char* word = pos;
        while (pos < end && !isSeparator(*pos)) pos++;
        length = (size_t)(pos - word);
        last = word;
        if (pos < end) *pos++ = '\0';
        return word;
    }

    // The next word read as an argument of notes.keyword.
    char* argument() {
        char* word = next();
        lastTaken = word && notes.detailed && notes.checkArgument(word, length);
        return word;
    }

    // Whether the word returned last is the keyword, ignoring case.
    template <size_t N>
    bool lastIs(const char* word, const char (&keyword)[N]) const {
        return length == N - 1 && compareNoCase(word, keyword) == 0;
    }
};

static bool nextNumber(WordReader& words, float* target) {
    const char* word = words.argument();
    if (!word) return false;
    *target = (float)textToDouble(word);
    if (words.notes.detailed && !words.lastTaken)
        words.notes.checkNumber(word, words.length, false);
    return true;
}

static bool nextWave(WordReader& words, WaveType* target) {
    const char* word = words.argument();
    if (word) *target = waveTypeFromName(word);
    if (word && *target == WAVE_STATIC && compareNoCase(word, WAVE_NAMES[WAVE_STATIC]) != 0)
        words.notes.tell(NOTE_UNKNOWN_WAVE, word);
    return word != nullptr;
}

// ---------------------------------------------------------------------------
// The library by name

// Finds, for each name of the file, the script findScript would find, in
// constant time. Each case-folded name chains its live scripts in list
// order; the head of a chain is the first match in the library. A replaced
// script is emptied at once but unlinked in one pass at the end, together
// with the linking of the new scripts, so the cost is linear in the file and
// the library. Nothing can look at the list during a read, and the result is
// the same as looking up, removing and appending name by name.
constexpr uint32_t NO_SCRIPT = UINT32_MAX;

static uint64_t foldedHash(const char* text) {
    uint64_t hash = 1469598103934665603ull;  // FNV-1a over the folded bytes
    for (; *text; text++)
        hash = (hash ^ (uint64_t)foldCase((unsigned char)*text)) * 1099511628211ull;
    return hash;
}

struct IndexedScript {
    Script* script;
    uint32_t nextSameName;  // next live script with the same name, in list order
    bool released;
};

struct NameChain {
    uint64_t hash;
    const char* name;  // the name of a script of the chain; see finish()
    uint32_t first;    // NO_SCRIPT when every script of the name is released
    uint32_t last;
};

struct LibraryIndex {
    ScriptLibrary* target = nullptr;
    bool built = false;
    std::vector<IndexedScript> scripts;  // the library in list order, then the new scripts
    std::vector<NameChain> chains;
    std::vector<uint32_t> slots;  // open addressing, at most half full: chain index + 1, or 0

    // The slot of the name's chain, or the free slot where it belongs.
    uint32_t& slotFor(const char* name, uint64_t hash) {
        size_t mask = slots.size() - 1;
        size_t i = hash & mask;
        for (; slots[i]; i = (i + 1) & mask) {
            const NameChain& chain = chains[slots[i] - 1];
            if (chain.hash == hash && compareNoCase(chain.name, name) == 0) break;
        }
        return slots[i];
    }

    // The chain of the name, made empty when the name is new. The name must
    // be that of a script that stays allocated until finish(). The reference
    // holds until the next call.
    NameChain& chainFor(const char* name, uint64_t hash) {
        if ((chains.size() + 1) * 2 > slots.size()) {
            slots.assign(std::max<size_t>(1024, slots.size() * 2), 0);
            for (uint32_t i = 0; i < chains.size(); i++)
                slotFor(chains[i].name, chains[i].hash) = i + 1;
        }
        uint32_t& slot = slotFor(name, hash);
        if (!slot) {
            chains.push_back({hash, name, NO_SCRIPT, NO_SCRIPT});
            slot = (uint32_t)chains.size();
        }
        return chains[slot - 1];
    }

    void append(Script* script, NameChain& chain) {
        uint32_t position = (uint32_t)scripts.size();
        scripts.push_back({script, NO_SCRIPT, false});
        chain.name = script->name;  // a live script's name, see releaseFirst
        if (chain.first == NO_SCRIPT)
            chain.first = position;
        else
            scripts[chain.last].nextSameName = position;
        chain.last = position;
    }

    void build() {
        built = true;
        for (Script* script = target->scripts; script; script = script->next)
            append(script, chainFor(script->name, foldedHash(script->name)));
    }

    // Releases the first live script of the chain: its stages and frames
    // at once, so that the scripts read next reuse their memory while it is
    // still in the cache; the record itself stays linked, emptied, until
    // finish(). The caller appends a script to the chain next, which points
    // the chain's name away from the emptied record.
    void releaseFirst(NameChain& chain) {
        if (chain.first == NO_SCRIPT) return;
        IndexedScript& first = scripts[chain.first];
        first.released = true;
        emptyScript(first.script);
        chain.first = first.nextSameName;
        if (chain.first == NO_SCRIPT) chain.last = NO_SCRIPT;
    }

    // Relinks the library from the live scripts and frees the records of
    // the released ones, with the texts typed for them.
    void finish() {
        if (!built) return;
        chains.clear();
        slots.clear();
        Script** link = &target->scripts;
        for (const IndexedScript& entry : scripts) {
            if (entry.released) {
                target->typedTexts.erase(entry.script);
                freeScriptRecord(entry.script);
                continue;
            }
            *link = entry.script;
            link = &entry.script->next;
        }
        *link = nullptr;
    }
};

// ---------------------------------------------------------------------------
// The reader

struct ScriptReader {
    WordReader words;
    LibraryIndex library;
    bool inBody = false;
    bool inStage = false;
    // A body before any script name, or one whose script could not be
    // allocated, belongs to this scratch script: its words are read like any
    // body's, so that it closes where a named body would, and then thrown away.
    Script ownerless = {};
    bool nameless = false;     // the open body came before any script name
    Script* script = nullptr;  // none until the first script name
    Stage* stage = nullptr;
    Stage* lastStage = nullptr;        // tail of script's stages
    const char* bodyBrace = nullptr;   // the "{" of the open body, for the observer
    const char* stageBrace = nullptr;  // the "{" of the open stage

    void beginScript(const char* word) {
        if (!library.built) library.build();
        Script* created = newScript(word);  // cuts the name to fit
        words.notes.script = created;
        words.notes.keyword = nullptr;
        words.notes.forgetKeywords(0);
        if (words.length >= SCRIPT_NAME_SIZE) words.notes.tell(NOTE_NAME_CUT, word);
        if (!created) {  // out of memory: the body is read and thrown away
            discardOwnerless();
            script = &ownerless;
            lastStage = nullptr;
            return;
        }
        NameChain& chain = library.chainFor(created->name, foldedHash(created->name));
        if (chain.first != NO_SCRIPT && words.notes.observer) {
            words.notes.script = library.scripts[chain.first].script;
            words.notes.tell(NOTE_SCRIPT_REPLACED, word);
            words.notes.script = created;
        }
        library.releaseFirst(chain);
        library.append(created, chain);
        words.notes.tell(NOTE_SCRIPT_BEGUN, word);
        script = created;
        lastStage = nullptr;
    }

    void beginStage() {
        Stage* created = newStage("pics/noimage.tga");
        if (!created) return;
        if (lastStage)
            lastStage->next = created;
        else
            script->stages = created;
        lastStage = created;
        stage = created;
        inStage = true;
        words.notes.forgetKeywords(FIRST_STAGE_KEYWORD);
    }

    // Whether word, the last word read, is the keyword (noted as given).
    bool is(const char* word, Keyword keyword) {
        if (words.length != KEYWORD_LENGTHS.of[keyword] || compareNoCase(word, KEYWORDS[keyword]))
            return false;
        if (words.notes.detailed) words.notes.keywordGiven(word, keyword);
        return true;
    }

    void readScriptKeyword(const char* word) {
        words.notes.keyword = word;
        words.notes.inStage = false;
        if (is(word, KW_SAFE)) {
            script->safe = 1;
        } else if (is(word, KW_SUBDIVIDE)) {
            const char* value = words.argument();
            if (value && words.notes.detailed && !words.lastTaken)
                words.notes.checkNumber(value, words.length, true);
            if (value) script->subdivide = roundSubdivision(textToInt(value));
            if (value && script->subdivide != textToInt(value))
                words.notes.tell(NOTE_SUBDIVIDE_ROUNDED, value, script->subdivide);
        } else if (is(word, KW_VERTEXWARP)) {
            (void)(nextNumber(words, &script->warpSpeed) &&
                   nextNumber(words, &script->warpDistance) &&
                   nextNumber(words, &script->warpSmoothness));
            const float smoothness = script->warpSmoothness;
            clampSmoothness(script);
            if (script->warpSmoothness != smoothness && words.notes.detailed)
                words.notes.tell(NOTE_SMOOTHNESS_CLAMPED, words.last, 0, script->warpSmoothness);
        } else {
            words.notes.tell(NOTE_UNKNOWN_WORD, word);
        }
    }

    static uint8_t roundSubdivision(int count) {
        if (count >= 128) count = 128;
        if (count <= 8) count = 8;
        int power = 2;
        while (power <= count) power *= 2;
        return (uint8_t)(power / 2);
    }

    static void clampSmoothness(Script* target) {
        if (!(target->warpSmoothness > 0.001f))  // NaN included
            target->warpSmoothness = 0.001f;
        else if (target->warpSmoothness >= 1.0f)
            target->warpSmoothness = 1.0f;
    }

    void readStageKeyword(const char* word) {
        words.notes.keyword = word;
        words.notes.inStage = true;
        if (is(word, KW_MAP)) {
            const char* name = words.argument();
            if (!name) return;
            copyText(stage->map, name);
            words.notes.checkTextureName(name, stage->map);
            if (words.length >= TEXTURE_NAME_SIZE) words.notes.tell(NOTE_NAME_CUT, name);
        } else if (is(word, KW_SCROLL)) {
            (void)(nextWave(words, &stage->scrollTypeX) && nextNumber(words, &stage->scrollX) &&
                   nextWave(words, &stage->scrollTypeY) && nextNumber(words, &stage->scrollY));
        } else if (is(word, KW_SCALE)) {
            (void)(nextWave(words, &stage->scaleTypeX) && nextNumber(words, &stage->scaleX) &&
                   nextWave(words, &stage->scaleTypeY) && nextNumber(words, &stage->scaleY));
        } else if (is(word, KW_ROTATE)) {
            nextNumber(words, &stage->rotateSpeed);
        } else if (is(word, KW_BLENDFUNC)) {
            stage->blendEnabled = 1;
            const char* source = words.argument();
            if (!source) return;
            stage->blendSrc = blendFactorFromName(source);
            checkBlendName(source, stage->blendSrc);
            const char* destination = words.argument();
            if (destination) stage->blendDst = blendFactorFromName(destination);
            if (destination) checkBlendName(destination, stage->blendDst);
        } else if (is(word, KW_ALPHASHIFT)) {
            (void)(nextNumber(words, &stage->alphaSpeed) && nextNumber(words, &stage->alphaMin) &&
                   nextNumber(words, &stage->alphaMax));
        } else if (is(word, KW_ANIM)) {
            readAnimation();
        } else if (is(word, KW_ENVMAP)) {
            stage->envmap = 1;
        } else if (is(word, KW_ALPHAMASK)) {
            stage->alphamask = 1;
        } else if (is(word, KW_NOLIGHTMAP)) {
            stage->lightmap = 0;
        } else {
            words.notes.tell(NOTE_UNKNOWN_WORD, word);
        }
    }

    void checkBlendName(const char* name, float value) const {
        if (value == 0.0f && compareNoCase(name, BLEND_FACTORS[0].name) != 0)
            words.notes.tell(NOTE_UNKNOWN_BLEND, name);
    }

    // A later anim replaces the frames of an earlier one. Names past the
    // 255th, which the 8-bit count cannot hold, are skipped up to "end".
    void readAnimation() {
        const char* anim = words.last;
        if (!nextNumber(words, &stage->animDelay)) return;
        if (stage->animFrames) words.notes.tell(NOTE_ANIM_REPLACED, anim);
        freeFrames(stage);
        AnimFrame* lastFrame = nullptr;
        bool dropping = false;
        for (const char* name = words.argument(); name && !words.lastIs(name, "end");
             name = words.argument()) {
            if (words.length >= TEXTURE_NAME_SIZE && !dropping)
                words.notes.tell(NOTE_NAME_CUT, name);
            if (stage->animFrameCount == MAX_ANIM_FRAMES) {
                if (!dropping) words.notes.tell(NOTE_FRAMES_DROPPED, name);
                dropping = true;
                continue;
            }
            AnimFrame* frame = allocateFrame();
            if (!frame) continue;
            copyText(frame->name, name);
            words.notes.checkTextureName(name, frame->name);
            if (lastFrame)
                lastFrame->next = frame;
            else
                stage->animFrames = frame;
            lastFrame = frame;
            stage->animFrameCount++;
        }
        stage->animCurrent = stage->animFrames;
    }

    void openBody(const char* word) {
        if (!script) {
            words.notes.tell(NOTE_BODY_WITHOUT_NAME, word);
            discardOwnerless();
            script = &ownerless;
            lastStage = nullptr;
            nameless = true;
            words.notes.nameless = true;
        }
        inBody = true;
        bodyBrace = word;
    }

    void closeBody(const char* word) {
        inBody = false;
        if (!nameless && script != &ownerless) words.notes.tell(NOTE_SCRIPT_CLOSED, word);
        if (!nameless) return;
        nameless = false;
        words.notes.nameless = false;
        script = nullptr;  // the next "{" is again before any name
    }

    void readWord(const char* word) {
        if (!inBody) {
            if (!isBrace(word, '{'))
                beginScript(word);
            else
                openBody(word);
        } else if (isBrace(word, '}')) {
            if (inStage) {
                inStage = false;
                words.notes.tell(NOTE_STAGE_CLOSED, word);
            } else {
                closeBody(word);
            }
        } else if (isBrace(word, '{')) {
            if (inStage) {
                words.notes.tell(NOTE_UNKNOWN_WORD, word);
            } else {
                stageBrace = word;
                beginStage();
                words.notes.tell(NOTE_STAGE_OPENED, word);
            }
        } else if (!inStage) {
            readScriptKeyword(word);
        } else {
            readStageKeyword(word);
        }
    }

    void run() {
        while (const char* word = words.next()) readWord(word);
        if (inBody && script != &ownerless)
            words.notes.tell(NOTE_BODY_UNCLOSED, inStage ? stageBrace : bodyBrace);
        library.finish();
        discardOwnerless();
    }

    // Not through emptyScript: the scratch script was never in the library,
    // so nobody listening for released scripts needs to hear of it.
    void discardOwnerless() {
        Stage* discarded = ownerless.stages;
        while (discarded) {
            Stage* next = discarded->next;
            freeFrames(discarded);
            freeStageRecord(discarded);
            discarded = next;
        }
        ownerless.stages = nullptr;
    }
};

// Reads the text of a writable buffer of size bytes followed by a NUL.
static void readBuffer(ScriptLibrary& library, char* text, size_t size,
                       const ReadObserver* observer = nullptr) {
    ScriptReader reader;
    reader.library.target = &library;
    reader.words.pos = text;
    reader.words.end = text + strnlen(text, size);
    reader.words.notes.observer = observer;
    reader.words.notes.detailed = observer && observer->detailed;
    reader.words.notes.text = text;
    reader.run();
}

bool readScriptText(ScriptLibrary& library, const char* text, size_t size) {
    return readScriptText(library, text, size, nullptr);
}

bool readScriptText(ScriptLibrary& library, const char* text, size_t size,
                    const ReadObserver* observer) {
    if (size > MAX_SCRIPT_TEXT_SIZE) return false;
    char* copy = (char*)allocateLarge(size + 1);
    if (!copy) return false;
    memcpy(copy, text, size);
    copy[size] = '\0';
    readBuffer(library, copy, size, observer);
    freeLarge(copy, size + 1);
    return true;
}

bool readScriptFile(ScriptLibrary& library, const char* path, const ReadObserver* observer) {
    ScriptFileBytes bytes;
    if (!loadScriptFile(path, bytes)) return false;
    readScriptBytes(library, bytes, observer);
    return true;
}

void readScriptBytes(ScriptLibrary& library, ScriptFileBytes& bytes, const ReadObserver* observer) {
    readBuffer(library, bytes.data, bytes.size, observer);
}
