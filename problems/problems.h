// The problems of script files: each place where a file does not say what
// its author probably meant, from what the reader tells its observer. The
// one source of these texts for `veltra check`, `veltra format` and the
// editor, so that all show the same messages at the same places.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

enum ProblemKind {
    PROBLEM_UNKNOWN_WORD,
    PROBLEM_NESTED_STAGE,
    PROBLEM_TAKEN_AS_ARGUMENT,
    PROBLEM_UNCLOSED_BODY,
    PROBLEM_NAMELESS_BODY,
    PROBLEM_NAME_CUT,
    PROBLEM_CUT_NAME_CLASH,
    PROBLEM_REPLACED_SCRIPT,
    PROBLEM_SUBDIVIDE_ROUNDED,
    PROBLEM_SMOOTHNESS_CLAMPED,
    PROBLEM_UNKNOWN_WAVE,
    PROBLEM_UNKNOWN_BLEND,
    PROBLEM_TOO_MANY_FRAMES,
    PROBLEM_REPEATED_KEYWORD,
    PROBLEM_NOT_A_NUMBER,
    PROBLEM_COMMENT_WORD,
    PROBLEM_UNSAFE_TEXTURE_NAME,
    PROBLEM_NUL_BYTE,
    PROBLEM_NOT_KEPT,
    PROBLEM_KIND_COUNT
};

// A kind's short name, stable for the users' scripts: "unknown-word".
const char* problemKindName(ProblemKind kind);
// The kind of a short name; false when no kind has it.
bool problemKindFromName(const std::string& name, ProblemKind& kind);

struct Problem {
    std::string file;
    int line;    // from 1; 0, with column 0: about a record rather than a place in the text
    int column;  // from 1, counting bytes (a tab is one column)
    ProblemKind kind;
    std::string message;
    bool losesWords;    // the rewrite in the writer's layout would drop or change words
    size_t offset = 0;  // of the place in the text, in bytes
};

// "FILE:LINE:COLUMN: message [kind]", or "FILE: message [kind]" for a record.
std::string problemText(const Problem& problem);

struct ProblemCollector;
struct ScriptLibrary;

// Reads script texts into a library in order, as File > Open reads files,
// and finds their problems. A script replacing one of an earlier text read
// by the same finder names that place.
class ProblemFinder {
  public:
    explicit ProblemFinder(ScriptLibrary& library);
    ~ProblemFinder();
    ProblemFinder(const ProblemFinder&) = delete;
    ProblemFinder& operator=(const ProblemFinder&) = delete;

    // Reads size bytes of text, named file in the problems, and appends the
    // problems found in it in text order. False, with nothing read, when the
    // reader cannot take the text (readScriptText).
    bool read(const std::string& file, const char* text, size_t size,
              std::vector<Problem>& problems);

  private:
    ScriptLibrary& library;
    std::unique_ptr<ProblemCollector> collector;
};

// What the writer's layout cannot hold of the library ('nolightmap', map
// names under three characters), as problems of the file.
void findLayoutLosses(const ScriptLibrary& library, const std::string& file,
                      std::vector<Problem>& problems);

struct TextRange;  // script_sources.h

// The words that laying out parts of a file's text anew would lose: the
// problems inside those ranges whose words the layout cannot hold, and what
// the layout cannot hold of the scripts read there. The one judge for
// `veltra format` (the whole text) and the editor's saves (changed scripts).
void findWordsLost(const std::string& file, const char* text, size_t size,
                   const std::vector<TextRange>& laidOut, std::vector<Problem>& lost);
