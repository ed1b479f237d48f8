// Edit, Undo and Edit, Redo. The library goes back or forward one step; the
// script and stage the step touched become current, and the lists, the panel
// and the preview show them. Values typed but not committed are dropped.
#include "control_ids.h"
#include "editor.h"
#include "history.h"
#include "platform.h"
#include "textures.h"

static void showRestoredPlace(const HistoryPlace& place) {
    currentScript = place.script;
    currentStage = place.stage;
    fillScriptList();
    if (!currentScript) {
        platform->listReset(IDC_STAGE_LIST);
        platform->setText(IDC_SCRIPT_NAME, "");
        return;
    }
    platform->listSetSelection(IDC_SCRIPT_LIST, scriptIndex(currentScript));
    platform->setText(IDC_SCRIPT_NAME, currentScript->name);
    showScriptProperties(currentScript);
    fillStageList(currentScript);
    if (currentStage) {
        platform->listSetSelection(IDC_STAGE_LIST, stageIndex(currentScript, currentStage));
        showStageProperties(currentStage);
    }
    // Restored records come back unresolved; this may open Locate dialogs.
    resolveScriptTextures(currentScript);
}

int onEditUndo() {
    HistoryPlace place;
    if (!undoStep(place)) return 1;
    showRestoredPlace(place);
    return 0;
}

int onEditRedo() {
    HistoryPlace place;
    if (!redoStep(place)) return 1;
    showRestoredPlace(place);
    return 0;
}
