// View > Problems: what the panel lists and where a note leads.
#include "problems_panel.h"

#include "control_ids.h"
#include "editor.h"

bool problemsOutdated(const EditorContext& g) {
    if (g.fileProblems.size() != g.library.files.size()) return true;
    for (size_t i = 0; i < g.fileProblems.size(); i++)
        if (g.fileProblems[i].generation != g.library.files[i].generation) return true;
    return false;
}

void refreshProblems(EditorContext& g) {
    std::vector<SourceFile>& files = g.library.files;
    g.fileProblems.resize(files.size());
    for (size_t i = 0; i < files.size(); i++) {
        FileProblems& found = g.fileProblems[i];
        if (found.generation == files[i].generation) continue;
        found.generation = files[i].generation;
        found.problems.clear();
        ScriptLibrary scratch;
        scratch.history.enabled = false;
        ProblemFinder(scratch).read(files[i].path, files[i].text.data(), files[i].text.size(),
                                    found.problems);
        if (files[i].justRead && !found.problems.empty()) g.problemsShown = true;
        files[i].justRead = false;
    }
}

// The stage whose block holds the offset in the script's text: the number
// of stage blocks opened before it, while one is open; -1 outside them.
static int stageAt(const std::string& text, const ScriptOrigin& origin, size_t offset) {
    int depth = 0;
    int stages = 0;
    bool atWordStart = true;
    for (size_t i = origin.begin; i < offset && i < origin.end; i++) {
        const char c = text[i];
        const bool separator = c == ' ' || c == '\t' || c == '\r' || c == '\n';
        const bool nextSeparates = i + 1 >= text.size() || text[i + 1] == ' ' ||
                                   text[i + 1] == '\t' || text[i + 1] == '\r' ||
                                   text[i + 1] == '\n';
        if (atWordStart && nextSeparates && c == '{' && ++depth == 2) stages++;
        if (atWordStart && nextSeparates && c == '}' && depth > 0) depth--;
        atWordStart = separator;
    }
    return depth >= 2 ? stages - 1 : -1;
}

bool selectProblemPlace(EditorContext& g, int file, size_t offset) {
    if (file < 0 || (size_t)file >= g.library.files.size()) return false;
    const SourceFile& source = g.library.files[(size_t)file];
    int index = 0;
    for (Script* script = g.library.scripts; script; script = script->next, index++) {
        const ScriptOrigin& origin = scriptOrigin(script);
        const bool here = origin.file == (uint32_t)file + 1 &&
                          origin.generation == source.generation && offset >= origin.begin &&
                          offset < origin.end;
        if (!here) continue;
        g.platform->listSetSelection(IDC_SCRIPT_LIST, index);
        onScriptListCommand(g);
        const int stage = stageAt(source.text, origin, offset);
        if (stage >= 0) {
            g.platform->listSetSelection(IDC_STAGE_LIST, stage);
            onStageListCommand(g);
        }
        scriptTextAfterCommand(g);
        return true;
    }
    return false;
}

int onViewProblems(EditorContext& g) {
    g.problemsShown = !g.problemsShown;
    return 0;
}
