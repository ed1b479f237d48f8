#include "control_ids.h"
#include "editor.h"

struct CommandEntry {
    int id;
    int (*handler)();
};

// Every command of the editor window. Edit boxes, check boxes and drop-down
// lists are absent on purpose: their values reach the records only through
// the commits of the commands below.
static const CommandEntry COMMAND_TABLE[] = {
    {IDC_STAGE_LIST, onStageListCommand},
    {IDC_SCRIPT_LIST, onScriptListCommand},
    {IDC_FRAME_LIST, onFrameListCommand},
    {IDC_FRAME_ADD, onFrameAdd},
    {IDC_FRAME_DELETE, onFrameDelete},
    {IDC_STAGE_ADD, onStageAdd},
    {IDC_STAGE_DELETE, onStageDelete},
    {IDC_SCRIPT_ADD, onScriptAdd},
    {IDC_SCRIPT_DELETE, onScriptDelete},
    {IDC_FRAME_UPDATE, onFrameUpdate},
    {IDC_SUBMIT, onSubmit},
    {IDC_SCRIPT_UPDATE, onScriptUpdate},
    {IDM_FILE_OPEN, onFileOpen},
    {IDM_FILE_SAVE, onFileSave},
    {IDM_FILE_EXIT, onFileExit},
    {IDM_EDIT_UNDO, onEditUndo},
    {IDM_EDIT_REDO, onEditRedo},
    {IDM_FILE_TEXTURE_FOLDERS, onTextureFolders},
    {IDM_FILE_RELOAD_TEXTURES, onReloadTextures},
    {IDM_EDIT_FIND_SCRIPT, onFindScript},
    {IDM_PREVIEW_WHOLE_SCRIPT, onPreviewWholeScript},
    {IDM_PREVIEW_UP_TO_SELECTED_STAGE, onPreviewUpToSelectedStage},
    {IDM_PREVIEW_SELECTED_STAGE_ONLY, onPreviewSelectedStageOnly},
    {IDM_PREVIEW_PAUSE, onPreviewPause},
    {IDM_PREVIEW_STEP_FRAME, onPreviewStepFrame},
    {IDM_PREVIEW_RESTART_CLOCK, onPreviewRestartClock},
    {IDM_BACKGROUND_BLUE, onBackgroundBlue},
    {IDM_BACKGROUND_BLACK, onBackgroundBlack},
    {IDM_BACKGROUND_CHECKERBOARD, onBackgroundCheckerboard},
};

int onFileExit() {
    quitRequested = 1;
    return 0;
}

// A command that waits in a modal dialog (a file dialog, a Locate dialog)
// is not entered again by the notifications that the dialog itself causes,
// such as its list losing the keyboard focus: those are dropped.
static bool commandRunning = false;

int mainDialogProc(int message, int commandId) {
    if (message == DIALOG_CLOSE) {
        quitRequested = 1;
        return 1;
    }
    if (message != DIALOG_COMMAND || commandRunning) return 0;
    for (const CommandEntry& entry : COMMAND_TABLE) {
        if (entry.id != commandId) continue;
        commandRunning = true;
        int result = entry.handler();
        commandRunning = false;
        return result;
    }
    return 0;
}
