// Stages and scripts moved and copied: Move Stage Up and Down (and a stage
// dragged in its list), Duplicate, Copy and Paste of a stage or a script. The
// clipboard holds the file format, so it pastes into any text editor and back.
#include "changes.h"
#include "control_ids.h"
#include "editor.h"
#include "script_file.h"

static int currentStageIndex(const EditorContext& g) {
    return stageIndex(g.selection.currentScript, g.selection.currentStage);
}

// The panel committed first, so that what is moved or copied is what it shows.
static void commitStagePanel(EditorContext& g) {
    if (currentStageIndex(g) >= 0) readStageProperties(g, g.selection.currentStage);
}

static void commitScriptPanel(EditorContext& g) {
    if (g.selection.currentScript) readScriptProperties(g, g.selection.currentScript);
    commitStagePanel(g);
}

// The stage at index of the current script made current, selected and shown.
static int showStageAt(EditorContext& g, int index) {
    Selection& s = g.selection;
    Platform& ui = *g.platform;
    s.currentStage = stageAt(s.currentScript, index);
    fillStageList(g, s.currentScript);
    ui.listSetSelection(IDC_STAGE_LIST, index);
    if (s.currentStage) showStageProperties(ui, s.currentStage);
    // Copies come unresolved; this may open Locate dialogs.
    resolveScriptTextures(g.textures, s.currentScript);
    return 0;
}

// The script made current, selected and shown, with no stage current.
static int showScript(EditorContext& g, Script* script) {
    Selection& s = g.selection;
    Platform& ui = *g.platform;
    s.currentScript = script;
    s.currentStage = nullptr;
    fillScriptList(g);
    ui.listSetSelection(IDC_SCRIPT_LIST, scriptIndex(g.library, script));
    ui.setText(IDC_SCRIPT_NAME, script->name);
    showScriptProperties(ui, script);
    fillStageList(g, script);
    clearStageProperties(ui);
    resolveScriptTextures(g.textures, script);
    return 0;
}

static int moveStageTo(EditorContext& g, int from, int to) {
    Script* script = g.selection.currentScript;
    if (!script || !stageAt(script, from) || !stageAt(script, to) || from == to) return 1;
    commitStagePanel(g);
    moveStage(g, script, from, to);
    return showStageAt(g, to);
}

// A command of its own, outside mainDialogProc.
int onStageDragged(EditorContext& g, int from, int to) {
    const int result = moveStageTo(g, from, to);
    scriptTextAfterCommand(g);
    return result;
}

static int moveCurrentStage(EditorContext& g, int by) {
    const int index = currentStageIndex(g);
    if (index < 0) return 1;
    return moveStageTo(g, index, index + by);
}

int onStageMoveUp(EditorContext& g) {
    return moveCurrentStage(g, -1);
}
int onStageMoveDown(EditorContext& g) {
    return moveCurrentStage(g, 1);
}

int onStageDuplicate(EditorContext& g) {
    const int index = currentStageIndex(g);
    if (index < 0) return 1;
    commitStagePanel(g);
    if (!duplicateStage(g, g.selection.currentScript, index)) return 1;
    return showStageAt(g, index + 1);
}

int onStageCopy(EditorContext& g) {
    if (currentStageIndex(g) < 0) return 1;
    commitStagePanel(g);
    g.platform->setClipboardText(stageText(g.selection.currentStage).c_str());
    return 0;
}

// After the current stage, or after the last without one.
int onStagePaste(EditorContext& g) {
    Script* script = g.selection.currentScript;
    if (!script) return 1;
    commitStagePanel(g);
    Stage* last = pasteStages(g, script, currentStageIndex(g), g.platform->clipboardText());
    if (!last) return 1;
    return showStageAt(g, stageIndex(script, last));
}

int onScriptDuplicate(EditorContext& g) {
    if (!g.selection.currentScript) return 1;
    commitScriptPanel(g);
    Script* copy = duplicateScript(g, g.selection.currentScript);
    return copy ? showScript(g, copy) : 1;
}

int onScriptCopy(EditorContext& g) {
    if (!g.selection.currentScript) return 1;
    commitScriptPanel(g);
    g.platform->setClipboardText(scriptText(g.selection.currentScript).c_str());
    return 0;
}

// After the current script, or at the end without one.
int onScriptPaste(EditorContext& g) {
    commitScriptPanel(g);
    Script* first = pasteScripts(g, g.selection.currentScript, g.platform->clipboardText());
    return first ? showScript(g, first) : 1;
}
