// The command table and the dispatch of the editor window.
#include "commands.h"

#include "control_ids.h"
#include "editor.h"

#include <cstring>

static bool canUndo(const EditorContext& g) {
    return undoStepName(g.library.history) != nullptr;
}
static bool canRedo(const EditorContext& g) {
    return redoStepName(g.library.history) != nullptr;
}
static const char* undoDetail(const EditorContext& g) {
    return undoStepName(g.library.history);
}
static const char* redoDetail(const EditorContext& g) {
    return redoStepName(g.library.history);
}
static bool problemsShown(const EditorContext& g) {
    return g.problemsShown;
}
static bool scriptTextShown(const EditorContext& g) {
    return g.scriptTextShown;
}
static bool paused(const EditorContext& g) {
    return g.preview.previewPaused;
}

// A stage of the current script is current (the panel shows it).
static bool stageCurrent(const EditorContext& g) {
    return stageIndex(g.selection.currentScript, g.selection.currentStage) >= 0;
}
static bool stageAbove(const EditorContext& g) {
    return stageCurrent(g) && g.selection.currentStage != g.selection.currentScript->stages;
}
static bool stageBelow(const EditorContext& g) {
    return stageCurrent(g) && g.selection.currentStage->next;
}
static bool scriptCurrent(const EditorContext& g) {
    return g.selection.currentScript != nullptr;
}

template <int STAGES>
static bool drawsStages(const EditorContext& g) {
    return g.preview.previewStages == STAGES;
}
template <int BACKGROUND>
static bool drawsOn(const EditorContext& g) {
    return g.preview.previewBackground == BACKGROUND;
}

constexpr unsigned SEPARATED = MENU_SEPARATOR_BEFORE;

// Menu rows in menu order. Control rows (no menu) run for every notification
// of their control; edit boxes, check boxes and drop-down lists have none on
// purpose: their values reach the records only through the commits of the
// commands below.
const Command COMMANDS[] = {
    // id, menu, caption, mnemonic, shortcut, style, handler, enabled, checked, detail
    {IDM_FILE_OPEN, "File", "Open...", 'O', "Ctrl+O", 0, onFileOpen},
    {IDM_FILE_SAVE, "File", "Save", 'S', "Ctrl+S", 0, onFileSave},
    {IDM_FILE_SAVE_LIBRARY_AS, "File", "Save Library As...", 'A', "Ctrl+Shift+S", 0,
     onFileSaveLibraryAs},
    {IDM_FILE_TEXTURE_FOLDERS, "File", "Texture Folders...", 'T', nullptr, SEPARATED,
     onTextureFolders},
    {IDM_FILE_RELOAD_TEXTURES, "File", "Reload Textures", 'R', "F5", 0, onReloadTextures},
    {IDM_FILE_EXIT, "File", "Exit", 'x', "Ctrl+Q", SEPARATED, onFileExit},

    {IDM_EDIT_UNDO, "Edit", "Undo", 'U', "Ctrl+Z", 0, onEditUndo, canUndo, nullptr, undoDetail},
    {IDM_EDIT_REDO, "Edit", "Redo", 'R', "Ctrl+Shift+Z; Ctrl+Y", 0, onEditRedo, canRedo, nullptr,
     redoDetail},
    {IDM_STAGE_MOVE_UP, "Edit", "Move Stage Up", 'M', "Alt+Up", SEPARATED, onStageMoveUp,
     stageAbove},
    {IDM_STAGE_MOVE_DOWN, "Edit", "Move Stage Down", 'w', "Alt+Down", 0, onStageMoveDown,
     stageBelow},
    {IDM_STAGE_DUPLICATE, "Edit", "Duplicate Stage", 'D', "Ctrl+D", 0, onStageDuplicate,
     stageCurrent},
    {IDM_STAGE_COPY, "Edit", "Copy Stage", 'C', nullptr, 0, onStageCopy, stageCurrent},
    {IDM_STAGE_PASTE, "Edit", "Paste Stage", 'P', nullptr, 0, onStagePaste, scriptCurrent},
    {IDM_SCRIPT_DUPLICATE, "Edit", "Duplicate Script", 'l', nullptr, SEPARATED, onScriptDuplicate,
     scriptCurrent},
    {IDM_SCRIPT_COPY, "Edit", "Copy Script", 'y', nullptr, 0, onScriptCopy, scriptCurrent},
    {IDM_SCRIPT_PASTE, "Edit", "Paste Script", 'a', nullptr, 0, onScriptPaste},
    {IDM_EDIT_FIND_SCRIPT, "Edit", "Find Script...", 'F', "Ctrl+F", SEPARATED, onFindScript},

    {IDM_VIEW_PROBLEMS, "View", "Problems", 'P', nullptr, MENU_CHECK, onViewProblems, nullptr,
     problemsShown},
    {IDM_VIEW_SCRIPT_TEXT, "View", "Script Text", 'T', "F4", MENU_CHECK, onViewScriptText, nullptr,
     scriptTextShown},

    {IDM_PREVIEW_WHOLE_SCRIPT, "Preview", "Whole Script", 'W', nullptr, MENU_RADIO,
     onPreviewWholeScript, nullptr, drawsStages<PREVIEW_WHOLE_SCRIPT>},
    {IDM_PREVIEW_UP_TO_SELECTED_STAGE, "Preview", "Up to Selected Stage", 'U', nullptr, MENU_RADIO,
     onPreviewUpToSelectedStage, nullptr, drawsStages<PREVIEW_UP_TO_SELECTED_STAGE>},
    {IDM_PREVIEW_SELECTED_STAGE_ONLY, "Preview", "Selected Stage Only", 'O', nullptr, MENU_RADIO,
     onPreviewSelectedStageOnly, nullptr, drawsStages<PREVIEW_SELECTED_STAGE_ONLY>},
    {IDM_PREVIEW_PAUSE, "Preview", "Pause", 'P', "Ctrl+Space", SEPARATED | MENU_CHECK,
     onPreviewPause, nullptr, paused},
    {IDM_PREVIEW_STEP_FRAME, "Preview", "Step Frame", 'S', "Ctrl+.", 0, onPreviewStepFrame, paused},
    {IDM_PREVIEW_RESTART_CLOCK, "Preview", "Restart Clock", 'R', "Ctrl+R", 0,
     onPreviewRestartClock},
    {IDM_BACKGROUND_BLUE, "Preview/Background", "Blue", 'B', nullptr, SEPARATED | MENU_RADIO,
     onBackgroundBlue, nullptr, drawsOn<BACKGROUND_BLUE>},
    {IDM_BACKGROUND_BLACK, "Preview/Background", "Black", 'k', nullptr, MENU_RADIO,
     onBackgroundBlack, nullptr, drawsOn<BACKGROUND_BLACK>},
    {IDM_BACKGROUND_CHECKERBOARD, "Preview/Background", "Checkerboard", 'C', nullptr, MENU_RADIO,
     onBackgroundCheckerboard, nullptr, drawsOn<BACKGROUND_CHECKERBOARD>},

    {IDC_SCRIPT_LIST, nullptr, "Scripts", 0, nullptr, 0, onScriptListCommand},
    {IDC_STAGE_LIST, nullptr, "Stages", 0, nullptr, 0, onStageListCommand},
    {IDC_SCRIPT_ADD, nullptr, "Script Add", 0, nullptr, 0, onScriptAdd},
    {IDC_SCRIPT_DELETE, nullptr, "Script Delete", 0, nullptr, 0, onScriptDelete},
    {IDC_SCRIPT_UPDATE, nullptr, "Script Update", 0, nullptr, 0, onScriptUpdate},
    {IDC_STAGE_ADD, nullptr, "Stage Add", 0, nullptr, 0, onStageAdd},
    {IDC_STAGE_DELETE, nullptr, "Stage Delete", 0, nullptr, 0, onStageDelete},
    {IDC_SUBMIT, nullptr, "Submit", 0, nullptr, 0, onSubmit},
    {IDC_FRAME_LIST, nullptr, "Frames", 0, nullptr, 0, onFrameListCommand},
    {IDC_FRAME_ADD, nullptr, "Frame Add", 0, nullptr, 0, onFrameAdd},
    {IDC_FRAME_DELETE, nullptr, "Frame Delete", 0, nullptr, 0, onFrameDelete},
    {IDC_FRAME_UPDATE, nullptr, "Frame Update", 0, nullptr, 0, onFrameUpdate},
    {IDC_SCRIPT_TEXT, nullptr, "Edit Text", 0, nullptr, 0, onScriptTextEdit},
};
const int COMMAND_COUNT = (int)(sizeof COMMANDS / sizeof COMMANDS[0]);

// The first row that matches a key in a control is taken.
const ControlKey CONTROL_KEYS[] = {
    {IDC_FRAME_NAME, "Return; Enter", IDC_FRAME_ADD},
    {IDC_SCRIPT_NAME, "Return; Enter", IDC_SCRIPT_ADD},
    {ANY_EDIT_BOX, "Return; Enter", IDC_SUBMIT},
    {IDC_SCRIPT_LIST, "Del", IDC_SCRIPT_DELETE},
    {IDC_SCRIPT_LIST, "Ctrl+C", IDM_SCRIPT_COPY},
    {IDC_SCRIPT_LIST, "Ctrl+V", IDM_SCRIPT_PASTE},
    {IDC_STAGE_LIST, "Del", IDC_STAGE_DELETE},
    {IDC_STAGE_LIST, "Ctrl+C", IDM_STAGE_COPY},
    {IDC_STAGE_LIST, "Ctrl+V", IDM_STAGE_PASTE},
};
const int CONTROL_KEY_COUNT = (int)(sizeof CONTROL_KEYS / sizeof CONTROL_KEYS[0]);

const ContextMenuItem CONTEXT_MENU_ITEMS[] = {
    {IDC_SCRIPT_LIST, IDM_SCRIPT_DUPLICATE}, {IDC_SCRIPT_LIST, IDM_SCRIPT_COPY},
    {IDC_SCRIPT_LIST, IDM_SCRIPT_PASTE},     {IDC_STAGE_LIST, IDM_STAGE_MOVE_UP},
    {IDC_STAGE_LIST, IDM_STAGE_MOVE_DOWN},   {IDC_STAGE_LIST, IDM_STAGE_DUPLICATE},
    {IDC_STAGE_LIST, IDM_STAGE_COPY},        {IDC_STAGE_LIST, IDM_STAGE_PASTE},
};
const int CONTEXT_MENU_ITEM_COUNT = (int)(sizeof CONTEXT_MENU_ITEMS / sizeof CONTEXT_MENU_ITEMS[0]);

const MenuPopup MENU_POPUPS[] = {
    {"File", "File", 'F'},
    {"Edit", "Edit", 'E'},
    {"View", "View", 'V'},
    {"Preview", "Preview", 'P'},
    {"Preview/Background", "Background", 'B'},
};
const int MENU_POPUP_COUNT = (int)(sizeof MENU_POPUPS / sizeof MENU_POPUPS[0]);

const Command* findCommand(int id) {
    for (const Command& command : COMMANDS)
        if (command.id == id) return &command;
    return nullptr;
}

bool commandEnabled(const Command& command, const EditorContext& g) {
    return !command.enabledWhen || command.enabledWhen(g);
}

int onFileExit(EditorContext& g) {
    g.quitRequested = 1;
    return 0;
}

// A command that waits in a modal dialog (a file dialog, a Locate dialog)
// is not entered again by the notifications that the dialog itself causes,
// such as its list losing the keyboard focus: those are dropped. A command
// that cannot run now (its menu item greyed) is refused whatever sent it.
// The script text pane shows what each command left (Edit Text shows its own).
int mainDialogProc(EditorContext& g, int message, int commandId) {
    if (message == DIALOG_CLOSE) {
        g.quitRequested = 1;
        return 1;
    }
    if (message == DIALOG_INIT) {
        showScriptText(g);
        return 0;
    }
    if (message != DIALOG_COMMAND || g.commandRunning) return 0;
    const Command* command = findCommand(commandId);
    if (!command) return 0;
    if (!commandEnabled(*command, g)) return 1;
    g.commandRunning = true;
    int result = command->handler(g);
    g.commandRunning = false;
    if (commandId != IDC_SCRIPT_TEXT) scriptTextAfterCommand(g);
    return result;
}
