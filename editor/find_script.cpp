// Edit > Find Script...: the library's names ranked against what the user typed, and
// the choice selected in the script list as a click on its entry would.
#include "control_ids.h"
#include "editor.h"

#include <algorithm>
#include <cstring>
#include <vector>

enum MatchRank { RANK_WHOLE_NAME, RANK_START, RANK_WORD_START, RANK_INSIDE, RANK_NONE };

struct ScriptMatch {
    int rank;
    int length;
    int order;  // position in the library
    Script* script;
};

static char foldLetter(char c) {
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

// typed (already folded) begins text, without regard to ASCII case.
static bool startsWithFolded(const char* text, const char* typed, size_t length) {
    for (size_t i = 0; i < length; i++)
        if (foldLetter(text[i]) != typed[i]) return false;
    return true;
}

// Script names are paths of words: "demo/water_deep".
static bool isWordBreak(char c) {
    return c == '/' || c == '_' || c == '-' || c == '.' || c == ' ';
}

static int rankName(const char* name, const char* typed, size_t length) {
    int best = RANK_NONE;
    for (size_t i = 0; name[i] && best > RANK_WORD_START; i++) {
        if (foldLetter(name[i]) != typed[0] || !startsWithFolded(name + i, typed, length)) continue;
        if (i == 0) return name[length] == '\0' ? RANK_WHOLE_NAME : RANK_START;
        best = std::min(best, isWordBreak(name[i - 1]) ? (int)RANK_WORD_START : (int)RANK_INSIDE);
    }
    return best;
}

// Whole name, then names that start with it, then ones where a word starts
// with it, then the rest; shorter names first within each, then library order.
static bool betterMatch(const ScriptMatch& a, const ScriptMatch& b) {
    if (a.rank != b.rank) return a.rank < b.rank;
    if (a.length != b.length) return a.length < b.length;
    return a.order < b.order;
}

int findScriptMatches(const ScriptLibrary& library, const char* typed, Script** matches, int max) {
    char folded[TEXTURE_NAME_SIZE];
    copyText(folded, typed);
    const size_t length = strlen(folded);
    if (length == 0 || max <= 0) return 0;
    for (size_t i = 0; i < length; i++) folded[i] = foldLetter(folded[i]);

    std::vector<ScriptMatch> found;
    int order = 0;
    for (Script* script = library.scripts; script; script = script->next, order++) {
        const int rank = rankName(script->name, folded, length);
        if (rank != RANK_NONE) found.push_back({rank, (int)strlen(script->name), order, script});
    }
    const size_t kept = std::min(found.size(), (size_t)max);
    std::partial_sort(found.begin(), found.begin() + kept, found.end(), betterMatch);
    for (size_t i = 0; i < kept; i++) matches[i] = found[i].script;
    return (int)kept;
}

static int completeScriptName(void* context, const char* typed, const char** names, int max) {
    const ScriptLibrary& library = *(const ScriptLibrary*)context;
    Script* found[MAX_SCRIPT_MATCHES];
    const int count = findScriptMatches(library, typed, found, std::min(max, MAX_SCRIPT_MATCHES));
    for (int i = 0; i < count; i++) names[i] = found[i]->name;
    return count;
}

NameCompleter scriptNameCompleter(const ScriptLibrary& library) {
    return {completeScriptName, (void*)&library};
}

int onFindScript(EditorContext& g) {
    char name[TEXTURE_NAME_SIZE];
    if (!g.platform->askScriptName(name, sizeof name, scriptNameCompleter(g.library))) return 1;
    Script* chosen = findScript(g.library, name);
    if (!chosen) return 1;
    g.platform->listSetSelection(IDC_SCRIPT_LIST, scriptIndex(g.library, chosen));
    return onScriptListCommand(g);
}
