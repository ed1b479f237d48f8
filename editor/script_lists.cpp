// The script list, the stage list and their buttons (Script Add, Delete and
// Update, Stage Add and Delete). A switch always commits the controls to the
// old selection before it shows the new.
#include "changes.h"
#include "control_ids.h"
#include "editor.h"

#include <cstdio>
#include <vector>

// Text typed into the name box or read from a list entry.
static constexpr int ENTRY_TEXT_SIZE = 256;

// The selected entry's text; empty when nothing is selected.
static void readSelectedEntry(Platform& ui, int listId, char (&text)[ENTRY_TEXT_SIZE]) {
    text[0] = '\0';
    int index = ui.listSelection(listId);
    if (index != NO_SELECTION) ui.listItemText(listId, index, text, sizeof text);
}

static void readScriptName(Platform& ui, char (&text)[ENTRY_TEXT_SIZE]) {
    text[0] = '\0';
    ui.getText(IDC_SCRIPT_NAME, text, sizeof text);
}

static int countStages(const Script* script) {
    int count = 0;
    for (const Stage* stage = script->stages; stage; stage = stage->next) count++;
    return count;
}

void fillScriptList(EditorContext& g) {
    std::vector<const char*> names;
    for (Script* script = g.library.scripts; script; script = script->next)
        names.push_back(script->name);
    g.platform->listFill(IDC_SCRIPT_LIST, names.data(), (int)names.size());
}

// Entries are positions, not identities: "Stage 0" is always the first stage.
void fillStageList(EditorContext& g, Script* script) {
    g.platform->listReset(IDC_STAGE_LIST);
    if (!script) return;
    int index = 0;
    for (Stage* stage = script->stages; stage; stage = stage->next) {
        char text[20];
        snprintf(text, sizeof text, "Stage %i", index++);
        g.platform->listAdd(IDC_STAGE_LIST, text);
    }
}

// Leaving the current script: the panel is committed to its stage, then
// emptied, and no stage is current, so that the panel never shows one
// script's values under another's name.
static void leaveCurrentStage(EditorContext& g) {
    Selection& s = g.selection;
    if (s.currentStage) readStageProperties(g, s.currentStage);
    s.currentStage = nullptr;
    clearStageProperties(*g.platform);
}

// Runs for every notification of the list, with or without a selection: no
// selection commits the old script and leaves no script current. Another
// script leaves the stage (the script's settings are committed first).
int onScriptListCommand(EditorContext& g) {
    Selection& s = g.selection;
    char name[ENTRY_TEXT_SIZE];
    readSelectedEntry(*g.platform, IDC_SCRIPT_LIST, name);
    if (s.currentScript) readScriptProperties(g, s.currentScript);
    Script* chosen = findScript(g.library, name);
    if (chosen != s.currentScript) leaveCurrentStage(g);
    if (!chosen) g.platform->listReset(IDC_STAGE_LIST);
    s.currentScript = chosen;
    if (s.currentScript) {
        showScriptProperties(*g.platform, s.currentScript);
        fillStageList(g, s.currentScript);
        // May open Locate dialogs; the script is complete by now, because
        // the preview draws it while they are open.
        resolveScriptTextures(g.textures, s.currentScript);
    }
    readSelectedEntry(*g.platform, IDC_SCRIPT_LIST, name);
    g.platform->setText(IDC_SCRIPT_NAME, name);
    return 0;
}

// Without a selection the walk stays on the first stage.
int onStageListCommand(EditorContext& g) {
    Selection& s = g.selection;
    if (!s.currentScript) return 0;
    int selected = g.platform->listSelection(IDC_STAGE_LIST);
    if (s.currentStage) readStageProperties(g, s.currentStage);
    Stage* stage = s.currentScript->stages;
    for (int index = 0; index < selected && stage; index++) stage = stage->next;
    s.currentStage = stage;
    if (s.currentStage) showStageProperties(*g.platform, s.currentStage);
    return 0;
}

int onStageAdd(EditorContext& g) {
    Script* script = g.selection.currentScript;
    if (!script) return 0;
    addStage(g, script);
    fillStageList(g, script);
    return 0;
}

int onStageDelete(EditorContext& g) {
    Selection& s = g.selection;
    if (!s.currentScript || !s.currentStage) return 1;
    int selected = g.platform->listSelection(IDC_STAGE_LIST);
    if (selected == NO_SELECTION || selected >= countStages(s.currentScript)) return 1;
    deleteStage(g, s.currentScript, selected);
    s.currentStage = nullptr;
    fillStageList(g, s.currentScript);
    return 0;
}

// The old script's controls are committed to it, and the new script's
// settings and its empty stage list are shown at once, so that a later
// switch cannot carry the old values into the new script.
int onScriptAdd(EditorContext& g) {
    Selection& s = g.selection;
    char name[ENTRY_TEXT_SIZE];
    readScriptName(*g.platform, name);
    if (!name[0]) return 0;
    // The commits first: each a step of its own, before the Add.
    if (s.currentScript) readScriptProperties(g, s.currentScript);
    leaveCurrentStage(g);
    Script* added = addScript(g, name);  // cut to the field
    if (!added) return 0;
    s.currentScript = added;
    showScriptProperties(*g.platform, s.currentScript);
    fillStageList(g, s.currentScript);
    fillScriptList(g);
    return 0;
}

int onScriptDelete(EditorContext& g) {
    Selection& s = g.selection;
    if (!s.currentScript) return 0;
    s.currentStage = nullptr;
    deleteScript(g, s.currentScript);
    s.currentScript = nullptr;
    g.platform->listReset(IDC_STAGE_LIST);
    clearStageProperties(*g.platform);
    fillScriptList(g);
    return 0;
}

int onScriptUpdate(EditorContext& g) {
    if (!g.selection.currentScript) return 1;
    char name[ENTRY_TEXT_SIZE];
    readScriptName(*g.platform, name);
    if (!name[0]) return 0;
    renameScript(g, g.selection.currentScript, name);
    fillScriptList(g);
    return 0;
}
