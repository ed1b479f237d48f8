#include "script_sources.h"

#include "script_copy.h"
#include "script_library.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

static FileStamp stampOf(const char* path) {
    struct stat info;
    if (stat(path, &info) != 0) return FileStamp{};
    return {(int64_t)info.st_size,
            (int64_t)info.st_mtim.tv_sec * 1000000000 + info.st_mtim.tv_nsec};
}

// The line end of the file's first line decides.
static bool usesCrLf(const std::string& text) {
    const size_t newline = text.find('\n');
    return newline != std::string::npos && newline > 0 && text[newline - 1] == '\r';
}

int findSourceFile(const ScriptLibrary& library, const char* path) {
    for (size_t i = 0; i < library.files.size(); i++)
        if (library.files[i].path == path) return (int)i;
    return -1;
}

static SourceFile& sourceFileFor(ScriptLibrary& library, const char* path, uint32_t& file) {
    int found = findSourceFile(library, path);
    if (found < 0) {
        library.files.emplace_back();
        library.files.back().path = path;
        found = (int)library.files.size() - 1;
    }
    file = (uint32_t)found + 1;
    return library.files[(size_t)found];
}

SourceFile* sourceFileOf(ScriptLibrary& library, const Script* script) {
    const uint32_t file = scriptOrigin(script).file;
    return file >= 1 && file <= library.files.size() ? &library.files[file - 1] : nullptr;
}

void touchSourceOf(ScriptLibrary& library, Script* script) {
    SourceFile* file = sourceFileOf(library, script);
    if (!file) return;
    file->touched = true;
    scriptOrigin(script).touched = 1;
}

// A file met for the first time as the home of new scripts keeps what it
// holds: its text stays, and the scripts are appended after it.
static void takeExistingText(ScriptLibrary& library, SourceFile& source) {
    source.generation = ++library.lastGeneration;
    ScriptFileBytes bytes;
    if (!loadScriptFile(source.path.c_str(), bytes)) return;
    source.text.assign(bytes.data, bytes.size);
    source.crlf = usesCrLf(source.text);
    source.stamp = stampOf(source.path.c_str());
}

void giveScriptToFile(ScriptLibrary& library, Script* script, const char* path) {
    uint32_t file = 0;
    SourceFile& source = sourceFileFor(library, path, file);
    if (source.generation == 0) takeExistingText(library, source);
    source.open = true;
    scriptOrigin(script) = {file, 0, 0, 0, 1};
    source.touched = true;
}

// ---------------------------------------------------------------------------
// Reading

// Follows one read: each script begun gets its origin (to the end of its name
// until its body closes), and the scripts the read releases are set aside.
struct SourceReading {
    ScriptLibrary& library;
    uint32_t file;
    uint32_t generation;
    const ReadObserver* forward;
    std::vector<Script*> begun;
    std::unordered_set<const Script*> released;
};

static void noteSource(const ReadNote& note, void* context) {
    SourceReading& reading = *(SourceReading*)context;
    if (note.kind == NOTE_SCRIPT_BEGUN) {
        const uint64_t end = note.offset + strlen(note.word);
        scriptOrigin(note.script) = {reading.file, reading.generation, note.offset, end, 0};
        reading.begun.push_back(note.script);
    } else if (note.kind == NOTE_SCRIPT_CLOSED) {
        scriptOrigin(note.script).end = note.offset + 1;
    } else if (note.kind == NOTE_SCRIPT_REPLACED) {
        reading.released.insert(note.script);
        touchSourceOf(reading.library, note.script);  // it leaves its file
    }
    if (reading.forward) reading.forward->note(note, reading.forward->context);
}

bool readSourceFile(ScriptLibrary& library, const char* path, const ReadObserver* observer) {
    ScriptFileBytes bytes;
    if (!loadScriptFile(path, bytes)) return false;
    uint32_t file = 0;
    SourceFile& source = sourceFileFor(library, path, file);
    source.text.assign(bytes.data, bytes.size);
    source.generation = ++library.lastGeneration;
    source.crlf = usesCrLf(source.text);
    source.stamp = stampOf(path);
    source.touched = false;
    source.justRead = true;
    source.open = true;
    SourceReading reading{library, file, source.generation, observer, {}, {}};
    ReadObserver sourceObserver{noteSource, &reading, observer && observer->detailed};
    readScriptBytes(library, bytes, &sourceObserver);
    SourceFile& read = library.files[file - 1];
    read.ranges.clear();
    for (const Script* script : reading.begun) {
        if (reading.released.count(script)) continue;
        const ScriptOrigin& origin = scriptOrigin(script);
        read.ranges.push_back({origin.begin, origin.end});
    }
    return true;
}

// ---------------------------------------------------------------------------
// Saving back

// The text in the file's line ends: with CR LF, each LF not yet after a CR
// gets one.
static std::string inLineEnds(std::string_view text, bool crlf) {
    if (!crlf) return std::string(text);
    std::string converted;
    converted.reserve(text.size() + text.size() / 8);
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) converted += '\r';
        converted += text[i];
    }
    return converted;
}

// The script as the writer lays it out, from its name to its closing brace,
// in the file's line ends.
static std::string layoutInFile(const Script* script, bool crlf) {
    std::string layout = scriptText(script);
    while (!layout.empty() && layout.back() == '\n') layout.pop_back();
    return inLineEnds(layout, crlf);
}

// Whether reading the text alone gives exactly the script (the script
// still says what its text in the file says).
static bool readsAs(const Script* script, const char* text, size_t size) {
    ScriptLibrary scratch;
    scratch.history.enabled = false;
    readScriptText(scratch, text, size);
    return scratch.scripts && !scratch.scripts->next && sameScriptContent(script, scratch.scripts);
}

// ---------------------------------------------------------------------------
// Typed texts

// The scripts a typed text may still be wanted for: the library's and those
// the history keeps for undo or redo.
static std::unordered_set<const Script*> scriptsInReach(const ScriptLibrary& library) {
    std::unordered_set<const Script*> reach;
    for (const Script* script = library.scripts; script; script = script->next)
        reach.insert(script);
    for (const HistoryStep* step : library.history.steps) {
        reach.insert(step->content);
        for (const ScriptAt& at : step->removed) reach.insert(at.script);
        for (const ScriptAt& at : step->added) reach.insert(at.script);
    }
    return reach;
}

// Records released since their texts were typed (a read replaced them, a
// step holding them was dropped) leave their texts behind: now and then
// those go, so that a record made later at the same address finds none.
constexpr size_t TYPED_SCRIPTS_BEFORE_CLEANUP = 64;

static void forgetTextsOutOfReach(ScriptLibrary& library) {
    const std::unordered_set<const Script*> reach = scriptsInReach(library);
    std::erase_if(library.typedTexts, [&](const auto& entry) { return !reach.count(entry.first); });
}

void rememberTypedText(ScriptLibrary& library, const Script* script, std::string text) {
    std::vector<std::string>& texts = library.typedTexts[script];
    std::erase(texts, text);
    texts.push_back(std::move(text));
    if (texts.size() > TYPED_TEXTS_KEPT) texts.erase(texts.begin());
    if (library.typedTexts.size() > TYPED_SCRIPTS_BEFORE_CLEANUP) forgetTextsOutOfReach(library);
}

const std::string* currentTypedText(const ScriptLibrary& library, const Script* script) {
    auto found = library.typedTexts.find(script);
    if (found == library.typedTexts.end()) return nullptr;
    for (auto text = found->second.rbegin(); text != found->second.rend(); ++text)
        if (readsAs(script, text->data(), text->size())) return &*text;
    return nullptr;
}

// The script's range in its file's present text, or null.
static const TextRange* standingRange(const ScriptLibrary& library, const Script* script,
                                      const SourceFile*& file) {
    const ScriptOrigin& origin = scriptOrigin(script);
    if (origin.file == 0 || origin.file > library.files.size()) return nullptr;
    file = &library.files[origin.file - 1];
    if (origin.generation != file->generation) return nullptr;
    for (const TextRange& range : file->ranges)
        if (range.begin == origin.begin && range.end == origin.end) return &range;
    return nullptr;
}

std::string scriptSourceText(ScriptLibrary& library, const Script* script) {
    if (const std::string* typed = currentTypedText(library, script)) return *typed;
    const SourceFile* file = nullptr;
    if (const TextRange* range = standingRange(library, script, file)) {
        const char* text = file->text.data() + range->begin;
        const size_t size = range->end - range->begin;
        if (!scriptOrigin(script).touched || readsAs(script, text, size))
            return std::string(text, size);
    }
    std::string layout = scriptText(script);
    while (!layout.empty() && layout.back() == '\n') layout.pop_back();
    return layout + '\n';
}

int scriptFirstLine(const ScriptLibrary& library, const Script* script) {
    const SourceFile* file = nullptr;
    const TextRange* range = standingRange(library, script, file);
    if (!range) return 1;
    const auto begin = file->text.begin();
    return 1 + (int)std::count(begin, begin + (long)range->begin, '\n');
}

// A typed text as the file holds it: from the name to the closing brace, in
// the file's line ends.
static std::string typedInFile(const std::string& typed, bool crlf) {
    const size_t first = typed.find_first_not_of(TOKEN_SEPARATORS);
    const size_t last = typed.find_last_not_of(TOKEN_SEPARATORS);
    if (first == std::string::npos) return std::string();
    return inLineEnds(std::string_view(typed.data() + first, last + 1 - first), crlf);
}

// ---------------------------------------------------------------------------
// Saving back, continued

// A file's live scripts: those standing on one of its ranges, by where the
// range begins, and the others in library order.
struct FileScripts {
    std::unordered_map<uint64_t, Script*> onRange;
    std::vector<Script*> unplaced;
};

// The live scripts of each touched file, in one walk of the library.
static std::vector<FileScripts> scriptsOfTouchedFiles(ScriptLibrary& library,
                                                      std::vector<Script*>* homeless) {
    std::vector<FileScripts> found(library.files.size());
    std::vector<std::unordered_map<uint64_t, uint64_t>> rangeEnds(library.files.size());
    for (size_t i = 0; i < library.files.size(); i++)
        if (library.files[i].touched)
            for (const TextRange& range : library.files[i].ranges)
                rangeEnds[i][range.begin] = range.end;
    for (Script* script = library.scripts; script; script = script->next) {
        const ScriptOrigin& origin = scriptOrigin(script);
        if (origin.file == 0 || origin.file > library.files.size()) {
            if (homeless) homeless->push_back(script);
            continue;
        }
        const SourceFile& source = library.files[origin.file - 1];
        if (!source.touched) continue;
        FileScripts& scripts = found[origin.file - 1];
        const auto& ends = rangeEnds[origin.file - 1];
        auto range = ends.find(origin.begin);
        const bool onRange = origin.generation == source.generation && range != ends.end() &&
                             range->second == origin.end && !scripts.onRange.count(origin.begin);
        if (onRange)
            scripts.onRange[origin.begin] = script;
        else
            scripts.unplaced.push_back(script);
    }
    return found;
}

static void appendOnItsOwnLine(std::string& text, const std::string& layout, bool crlf,
                               FileRewrite& rewrite, Script* script) {
    const char* newline = crlf ? "\r\n" : "\n";
    if (!text.empty() && text.back() != '\n') text += newline;
    if (!text.empty()) text += newline;  // a blank line between scripts, as the writer leaves
    const uint64_t begin = text.size();
    text += layout;
    rewrite.placed.push_back({script, {begin, text.size()}});
    text += newline;
}

// Whether the library holds a script of the name the range begins with: one
// read from another file took its place (a script deleted has none).
static bool readElsewhere(const ScriptLibrary& library, const std::string& text,
                          const TextRange& range) {
    uint64_t end = range.begin;
    while (end < range.end && !strchr(TOKEN_SEPARATORS, text[end])) end++;
    char name[SCRIPT_NAME_SIZE];
    copyText(name, sizeof name, text.substr(range.begin, end - range.begin).c_str());
    return findScript(library, name) != nullptr;
}

static FileRewrite rewriteOf(ScriptLibrary& library, uint32_t file, const FileScripts& scripts) {
    const SourceFile& source = library.files[file - 1];
    const std::string& old = source.text;
    FileRewrite rewrite{(int)file - 1, {}, {}, {}, {}};
    std::string& text = rewrite.text;
    uint64_t at = 0;
    for (const TextRange& range : source.ranges) {
        text.append(old, at, range.begin - at);
        at = range.end;
        auto owner = scripts.onRange.find(range.begin);
        if (owner == scripts.onRange.end()) {  // the script left: its text goes
            if (readElsewhere(library, old, range)) rewrite.moved.push_back(range);
            continue;
        }
        const uint64_t begin = text.size();
        const bool touched = scriptOrigin(owner->second).touched;
        const std::string* typed = touched ? currentTypedText(library, owner->second) : nullptr;
        // Untouched since the text was read or written: the same, unparsed.
        if (!touched) {
            text.append(old, range.begin, range.end - range.begin);
        } else if (typed) {
            text += typedInFile(*typed, source.crlf);
        } else if (readsAs(owner->second, old.data() + range.begin, range.end - range.begin)) {
            text.append(old, range.begin, range.end - range.begin);
        } else {
            text += layoutInFile(owner->second, source.crlf);
            rewrite.laidOut.push_back(range);
        }
        rewrite.placed.push_back({owner->second, {begin, text.size()}});
    }
    text.append(old, at, std::string::npos);
    for (Script* script : scripts.unplaced) {
        const std::string* typed = currentTypedText(library, script);
        const std::string written =
            typed ? typedInFile(*typed, source.crlf) : layoutInFile(script, source.crlf);
        appendOnItsOwnLine(text, written, source.crlf, rewrite, script);
    }
    return rewrite;
}

std::vector<FileRewrite> planSaveBack(ScriptLibrary& library, std::vector<Script*>* homeless) {
    const std::vector<FileScripts> scripts = scriptsOfTouchedFiles(library, homeless);
    std::vector<FileRewrite> rewrites;
    for (size_t i = 0; i < library.files.size(); i++) {
        if (!library.files[i].touched) continue;
        if (!library.files[i].open) continue;
        FileRewrite rewrite = rewriteOf(library, (uint32_t)i + 1, scripts[i]);
        if (rewrite.text == library.files[i].text)
            library.files[i].touched = false;
        else
            rewrites.push_back(std::move(rewrite));
    }
    return rewrites;
}

bool sourceUnchangedOnDisk(const SourceFile& file) {
    const FileStamp now = stampOf(file.path.c_str());
    if (!(now == file.stamp)) return false;
    if (now.size < 0) return true;  // never there, and still not
    ScriptFileBytes bytes;
    return loadScriptFile(file.path.c_str(), bytes) &&
           std::string_view(bytes.data, bytes.size) == file.text;
}

// The file now holds text, with the scripts at the given ranges.
static void settleFile(ScriptLibrary& library, uint32_t file, std::string text,
                       const std::vector<std::pair<Script*, TextRange>>& placed) {
    SourceFile& source = library.files[file - 1];
    source.text = std::move(text);
    source.generation = ++library.lastGeneration;
    source.stamp = stampOf(source.path.c_str());
    source.touched = false;
    source.ranges.clear();
    for (const auto& [script, range] : placed) {
        scriptOrigin(script) = {file, source.generation, range.begin, range.end, 0};
        source.ranges.push_back(range);
    }
}

bool writeFileRewrite(ScriptLibrary& library, const FileRewrite& rewrite) {
    SourceFile& source = library.files[(size_t)rewrite.file];
    if (!replaceFileWithText(source.path.c_str(), rewrite.text)) return false;
    settleFile(library, (uint32_t)rewrite.file + 1, rewrite.text, rewrite.placed);
    return true;
}

bool saveLibraryAs(ScriptLibrary& library, const char* path) {
    std::string text;
    std::vector<std::pair<Script*, TextRange>> placed;
    for (Script* script = library.scripts; script; script = script->next) {
        const std::string layout = scriptText(script);
        const uint64_t begin = text.size();
        text += layout;
        placed.push_back({script, {begin, begin + layout.find_last_of('}') + 1}});
    }
    if (!replaceFileWithText(path, text)) return false;
    library.files.clear();
    library.files.emplace_back();
    library.files.back().path = path;
    library.files.back().crlf = false;
    settleFile(library, 1, std::move(text), placed);
    return true;
}

// ---------------------------------------------------------------------------
// Origins kept apart from the scripts (the recovery copy)

std::string describeOrigins(const ScriptLibrary& library, const Script* scripts) {
    std::string text;
    for (const Script* script = scripts; script; script = script->next) {
        const ScriptOrigin& origin = scriptOrigin(script);
        const bool hasFile = origin.file >= 1 && origin.file <= library.files.size();
        const SourceFile* file = hasFile ? &library.files[origin.file - 1] : nullptr;
        const bool placed = file && origin.generation == file->generation;
        text += script->name;
        text += '\t';
        text += placed ? std::to_string(origin.begin) + '\t' + std::to_string(origin.end) : "-\t-";
        text += '\t';
        if (file) text += file->path;
        text += '\n';
    }
    return text;
}

// Follows a read of a file's text that keeps nothing but its scripts' ranges.
struct RangeReading {
    std::vector<const Script*> begun;
    std::vector<TextRange> ranges;
    std::unordered_set<const Script*> released;
};

static void noteRange(const ReadNote& note, void* context) {
    RangeReading& reading = *(RangeReading*)context;
    if (note.kind == NOTE_SCRIPT_BEGUN) {
        reading.begun.push_back(note.script);
        reading.ranges.push_back({note.offset, note.offset + strlen(note.word)});
    } else if (note.kind == NOTE_SCRIPT_CLOSED && !reading.begun.empty()) {
        for (size_t i = reading.begun.size(); i-- > 0;)
            if (reading.begun[i] == note.script) {
                reading.ranges[i].end = note.offset + 1;
                break;
            }
    } else if (note.kind == NOTE_SCRIPT_REPLACED) {
        reading.released.insert(note.script);
    }
}

// The file as a source of the library, read from disk when it is not one yet.
static uint32_t rememberSourceFile(ScriptLibrary& library, const std::string& path) {
    const int found = findSourceFile(library, path.c_str());
    if (found >= 0) return (uint32_t)found + 1;
    uint32_t file = 0;
    SourceFile& source = sourceFileFor(library, path.c_str(), file);
    takeExistingText(library, source);
    ScriptLibrary scratch;
    scratch.history.enabled = false;
    RangeReading reading;
    ReadObserver observer{noteRange, &reading, false};
    readScriptText(scratch, source.text.data(), source.text.size(), &observer);
    for (size_t i = 0; i < reading.begun.size(); i++)
        if (!reading.released.count(reading.begun[i])) source.ranges.push_back(reading.ranges[i]);
    return file;
}

void restoreOrigins(ScriptLibrary& library, Script* first, const std::string& description) {
    Script* script = first;
    for (size_t at = 0; at < description.size() && script;) {
        size_t end = description.find('\n', at);
        if (end == std::string::npos) end = description.size();
        const std::string line = description.substr(at, end - at);
        at = end + 1;
        const size_t tab1 = line.find('\t');
        const size_t tab2 = line.find('\t', tab1 + 1);
        const size_t tab3 = line.find('\t', tab2 + 1);
        if (tab3 == std::string::npos || line.compare(0, tab1, script->name) != 0) continue;
        const std::string path = line.substr(tab3 + 1);
        Script* restored = script;
        script = script->next;
        if (path.empty()) continue;
        const uint32_t file = rememberSourceFile(library, path);
        SourceFile& source = library.files[file - 1];
        scriptOrigin(restored) = {file, 0, 0, 0, 1};
        source.touched = true;
        if (line[tab1 + 1] == '-') continue;
        // Whatever the file says, a range only counts where the text has it.
        const TextRange range = {strtoull(line.c_str() + tab1 + 1, nullptr, 10),
                                 strtoull(line.c_str() + tab2 + 1, nullptr, 10)};
        for (const TextRange& standing : source.ranges)
            if (standing.begin == range.begin && standing.end == range.end)
                scriptOrigin(restored) = {file, source.generation, range.begin, range.end, 1};
    }
}
