// The list side of the editor window: the script list, the stage list of
// the script last shown, and their Add, Delete and Update buttons. A switch
// always commits the controls to the old selection before it shows the new.
#include "changes.h"
#include "control_ids.h"
#include "editor.h"
#include "platform.h"
#include "textures.h"

#include <cstdio>
#include <vector>

// Text typed into the name box or read from a list entry.
static constexpr int ENTRY_TEXT_SIZE = 256;

// The selected entry's text; empty when nothing is selected.
static void readSelectedEntry(int listId, char (&text)[ENTRY_TEXT_SIZE]) {
    text[0] = '\0';
    int index = platform->listSelection(listId);
    if (index != NO_SELECTION) platform->listItemText(listId, index, text, sizeof text);
}

static void readScriptName(char (&text)[ENTRY_TEXT_SIZE]) {
    text[0] = '\0';
    platform->getText(IDC_SCRIPT_NAME, text, sizeof text);
}

static int countStages(const Script* script) {
    int count = 0;
    for (const Stage* stage = script->stages; stage; stage = stage->next) count++;
    return count;
}

void fillScriptList() {
    std::vector<const char*> names;
    for (Script* script = scriptLibrary; script; script = script->next)
        names.push_back(script->name);
    platform->listFill(IDC_SCRIPT_LIST, names.data(), (int)names.size());
}

// Entries are positions, not identities: "Stage 0" is always the first stage.
void fillStageList(Script* script) {
    platform->listReset(IDC_STAGE_LIST);
    if (!script) return;
    int index = 0;
    for (Stage* stage = script->stages; stage; stage = stage->next) {
        char text[20];
        snprintf(text, sizeof text, "Stage %i", index++);
        platform->listAdd(IDC_STAGE_LIST, text);
    }
}

// Runs for every notification of the list, with or without a selection: no
// selection commits the old script and leaves no script current.
int onScriptListCommand() {
    char name[ENTRY_TEXT_SIZE];
    readSelectedEntry(IDC_SCRIPT_LIST, name);
    if (currentScript) readScriptProperties(currentScript);
    currentScript = findScript(name);
    if (currentScript) {
        showScriptProperties(currentScript);
        fillStageList(currentScript);
        // May open Locate dialogs; the script is complete by now, because
        // the preview draws it while they are open.
        resolveScriptTextures(currentScript);
    }
    readSelectedEntry(IDC_SCRIPT_LIST, name);
    platform->setText(IDC_SCRIPT_NAME, name);
    return 0;
}

// Without a selection the walk stays on the first stage.
int onStageListCommand() {
    if (!currentScript) return 0;
    int selected = platform->listSelection(IDC_STAGE_LIST);
    if (currentStage) readStageProperties(currentStage);
    Stage* stage = currentScript->stages;
    for (int index = 0; index < selected && stage; index++) stage = stage->next;
    currentStage = stage;
    if (currentStage) showStageProperties(currentStage);
    return 0;
}

int onStageAdd() {
    if (!currentScript) return 0;
    addStage(currentScript);
    fillStageList(currentScript);
    return 0;
}

int onStageDelete() {
    if (!currentScript || !currentStage) return 1;
    int selected = platform->listSelection(IDC_STAGE_LIST);
    if (selected == NO_SELECTION || selected >= countStages(currentScript)) return 1;
    deleteStage(currentScript, selected);
    currentStage = nullptr;
    fillStageList(currentScript);
    return 0;
}

// The old script's controls are committed to it, and the new script's
// settings and its empty stage list are shown at once, so that a later
// switch cannot carry the old values into the new script.
int onScriptAdd() {
    char name[ENTRY_TEXT_SIZE];
    readScriptName(name);
    if (!name[0]) return 0;
    // The commit first: it is a step of its own, before the Add.
    if (currentScript) readScriptProperties(currentScript);
    Script* added = addScript(name);  // cut to the field
    if (!added) return 0;
    currentScript = added;
    showScriptProperties(currentScript);
    fillStageList(currentScript);
    fillScriptList();
    return 0;
}

int onScriptDelete() {
    if (!currentScript) return 0;
    currentStage = nullptr;
    deleteScript(currentScript);
    currentScript = nullptr;
    platform->listReset(IDC_STAGE_LIST);
    fillScriptList();
    return 0;
}

int onScriptUpdate() {
    if (!currentScript) return 1;
    char name[ENTRY_TEXT_SIZE];
    readScriptName(name);
    if (!name[0]) return 0;
    renameScript(currentScript, name);
    fillScriptList();
    return 0;
}
