// Edit > Undo and Edit > Redo. The library goes back or forward one step; the
// script and stage the step touched become current, and the lists, the panel
// and the preview show them. Values typed but not committed are dropped.
#include "control_ids.h"
#include "editor.h"

void showSelectedScript(EditorContext& g) {
    Selection& s = g.selection;
    Platform& ui = *g.platform;
    fillScriptList(g);
    if (!s.currentStage) clearStageProperties(ui);
    if (!s.currentScript) {
        ui.listReset(IDC_STAGE_LIST);
        ui.setText(IDC_SCRIPT_NAME, "");
        return;
    }
    ui.listSetSelection(IDC_SCRIPT_LIST, scriptIndex(g.library, s.currentScript));
    ui.setText(IDC_SCRIPT_NAME, s.currentScript->name);
    showScriptProperties(ui, s.currentScript);
    fillStageList(g, s.currentScript);
    if (s.currentStage) {
        ui.listSetSelection(IDC_STAGE_LIST, stageIndex(s.currentScript, s.currentStage));
        showStageProperties(ui, s.currentStage);
    }
}

static void showRestoredPlace(EditorContext& g, const HistoryPlace& place) {
    g.selection.currentScript = place.script;
    g.selection.currentStage = place.stage;
    showSelectedScript(g);
    // Restored records come back unresolved; this may open Locate dialogs.
    if (place.script) resolveScriptTextures(g.textures, place.script);
}

int onEditUndo(EditorContext& g) {
    HistoryPlace place;
    if (!undoStep(g.library, place)) return 1;
    showRestoredPlace(g, place);
    return 0;
}

int onEditRedo(EditorContext& g) {
    HistoryPlace place;
    if (!redoStep(g.library, place)) return 1;
    showRestoredPlace(g, place);
    return 0;
}
