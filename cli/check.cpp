// `veltra check` and `veltra format`: the problems of the files as the
// problem finder words them, and the rewrite in the writer's layout that
// refuses to drop words silently.
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "cli.h"
#include "script_file.h"
#include "script_library.h"
#include "script_sources.h"

size_t checkFiles(ScriptLibrary& library, const std::vector<std::string>& files,
                  std::vector<Problem>& problems, FILE* err) {
    ProblemFinder finder(library);
    size_t read = 0;
    for (const std::string& path : files) {
        ScriptFileBytes bytes;
        if (!readInput(path, bytes, err)) continue;
        if (finder.read(inputName(path), bytes.data, bytes.size, problems))
            read++;
        else
            fprintf(err, "veltra: %s: cannot read: %s\n", path.c_str(), strerror(errno));
    }
    return read;
}

bool addIgnoredKinds(const std::string& names, std::vector<ProblemKind>& ignored,
                     std::string& error) {
    for (size_t start = 0; start <= names.size();) {
        size_t end = names.find(',', start);
        if (end == std::string::npos) end = names.size();
        const std::string name = names.substr(start, end - start);
        ProblemKind kind;
        if (!problemKindFromName(name, kind)) {
            error = "no kind of problem is called '" + name + "'";
            return false;
        }
        ignored.push_back(kind);
        start = end + 1;
    }
    return true;
}

namespace {

void dropIgnored(std::vector<Problem>& problems, const std::vector<ProblemKind>& ignored) {
    if (ignored.empty()) return;
    std::erase_if(problems, [&](const Problem& problem) {
        return std::find(ignored.begin(), ignored.end(), problem.kind) != ignored.end();
    });
}

}  // namespace

void printSummary(size_t problems, size_t files, FILE* err) {
    fprintf(err, "%zu problem%s in %zu file%s\n", problems, problems == 1 ? "" : "s", files,
            files == 1 ? "" : "s");
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

void printProblems(const std::vector<Problem>& problems, bool json, FILE* out) {
    if (!json) {
        for (const Problem& problem : problems) fprintf(out, "%s\n", problemText(problem).c_str());
        return;
    }
    fputs("[", out);
    for (size_t i = 0; i < problems.size(); i++) {
        const Problem& p = problems[i];
        fprintf(out,
                "%s\n  {\"file\": %s, \"line\": %d, \"column\": %d, \"kind\": \"%s\", "
                "\"message\": %s}",
                i ? "," : "", jsonString(p.file).c_str(), p.line, p.column, problemKindName(p.kind),
                jsonString(p.message).c_str());
    }
    fputs(problems.empty() ? "]\n" : "\n]\n", out);
}

int commandCheck(const CheckOptions& options, CliStreams io) {
    ScriptLibrary library;
    std::vector<Problem> problems;
    const size_t read = checkFiles(library, options.files, problems, io.err);
    dropIgnored(problems, options.ignored);
    printProblems(problems, options.json, io.out);
    printSummary(problems.size(), read, io.err);
    if (read < options.files.size()) return EXIT_TROUBLE;
    return problems.empty() ? EXIT_CLEAN : EXIT_REPORTED;
}

// ---------------------------------------------------------------------------
// format

namespace {

// The library's text in the writer's layout.
bool layoutText(const ScriptLibrary& library, std::string& text) {
    FILE* scratch = tmpfile();
    if (!scratch) return false;
    bool written = writeScriptLayout(library, fileno(scratch));
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

// Standard input is formatted onto standard output: the text in the layout,
// or as it came when it is left alone. Reports go to standard error then.
// What format reported over its files.
struct Tally {
    size_t problems = 0;
    size_t files = 0;  // read
};

int formatOne(const std::string& path, const FormatOptions& options, CliStreams io, Tally& tally) {
    ScriptLibrary library;
    const bool filter = path == STANDARD_INPUT && !options.checkOnly;
    FILE* report = filter ? io.err : io.out;
    ScriptFileBytes bytes;
    if (!readInput(path, bytes, io.err)) return EXIT_TROUBLE;
    const std::string name = inputName(path);
    const std::string before(bytes.data, bytes.size);
    if (!readScriptText(library, bytes.data, bytes.size)) {
        fprintf(io.err, "veltra: %s: cannot read: %s\n", name.c_str(), strerror(errno));
        return EXIT_TROUBLE;
    }
    tally.files++;
    std::vector<Problem> losses;
    findWordsLost(name, bytes.data, bytes.size, {{0, bytes.size}}, losses);
    dropIgnored(losses, options.ignored);
    if (!losses.empty() && !options.dropUnknown) {
        printProblems(losses, false, report);
        tally.problems += losses.size();
        if (filter) fwrite(before.data(), 1, before.size(), io.out);
        return EXIT_REPORTED;
    }
    std::string after;
    if (!layoutText(library, after)) {
        fprintf(io.err, "veltra: %s: cannot lay out: %s\n", name.c_str(), strerror(errno));
        return EXIT_TROUBLE;
    }
    if (filter) {
        fwrite(after.data(), 1, after.size(), io.out);
        return EXIT_CLEAN;
    }
    if (after == before) return EXIT_CLEAN;
    if (options.checkOnly) {
        fprintf(io.out, "%s: not in the writer's layout\n", name.c_str());
        return EXIT_REPORTED;
    }
    if (!writeScriptFile(library, path.c_str())) {
        fprintf(io.err, "veltra: %s: cannot write: %s\n", path.c_str(), strerror(errno));
        return EXIT_TROUBLE;
    }
    return EXIT_CLEAN;
}

}  // namespace

int commandFormat(const FormatOptions& options, CliStreams io) {
    int status = EXIT_CLEAN;
    Tally tally;
    for (const std::string& path : options.files) {
        int result = formatOne(path, options, io, tally);
        if (result > status) status = result;
    }
    printSummary(tally.problems, tally.files, io.err);
    return status;
}
