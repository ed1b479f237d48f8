// The editor window's commands. Every command has one row in the command
// table (commands.h); mainDialogProc runs the row's handler for a control or
// menu identifier (control_ids.h). Handlers read the controls through the
// context's platform and return 1 when they refuse, 0 otherwise.
#pragma once

#include "editor_context.h"
#include "problems_panel.h"
#include "script_text.h"

enum DialogMessage { DIALOG_INIT = 0, DIALOG_CLOSE = 1, DIALOG_COMMAND = 2 };

int mainDialogProc(EditorContext& g, int message, int commandId);

// The preview window's messages: PREVIEW_TICK moves the clock on and draws
// the current script into the preview; true when the message was handled.
constexpr int PREVIEW_TICK = 275;
bool previewWindowProc(EditorContext& g, int message);
// What the preview draws now: the current script and stage and the choices.
PreviewScene currentPreviewScene(EditorContext& g);
// Start-up and teardown of the preview and the image library around the loop.
void startPreview(EditorContext& g);
void stopPreview(EditorContext& g);

// Script and stage lists
void fillScriptList(EditorContext& g);
void fillStageList(EditorContext& g, Script* script);
int onScriptListCommand(EditorContext& g);  // 1003
int onStageListCommand(EditorContext& g);   // 1002
int onStageAdd(EditorContext& g);           // 1026
int onStageDelete(EditorContext& g);        // 1027
int onScriptAdd(EditorContext& g);          // 1028
int onScriptDelete(EditorContext& g);       // 1029
int onScriptUpdate(EditorContext& g);       // 1034

// Stage properties panel
extern const char* const SOURCE_BLEND_NAMES[9];
extern const char* const DEST_BLEND_NAMES[8];
void initEditorControls(Platform& ui);
struct ScriptSettings;
struct StageSettings;
void showScriptProperties(Platform& ui, const Script* script);
// The panel's values. A number box that still shows the value of the record
// shown as the panel wrote it gives that value whole.
void readScriptSettings(Platform& ui, ScriptSettings& settings, const Script& shown);
// Commits the script settings to script (one step when they changed it).
void readScriptProperties(EditorContext& g, Script* script);
void showStageProperties(Platform& ui, const Stage* stage);
void readStageSettings(Platform& ui, StageSettings& settings, const Stage& shown);
// Commits the panel to stage (one step when it changed it).
void readStageProperties(EditorContext& g, Stage* stage);
int blendFactorToComboIndex(float factor);
void showFrameNames(Platform& ui, const Stage* stage);
// Every stage control empty: no stage is shown.
void clearStageProperties(Platform& ui);

// The boxes that hold a number: the stage's, then the script's. A text that is
// not wholly one number (isWholeNumber) is marked, and Submit refuses it.
struct PanelNumberBox {
    int id;
    const char* label;  // as Submit names it: "Rotate Speed"
    bool integer;
    bool ofStage;
};
constexpr int PANEL_NUMBER_BOX_COUNT = 13;
extern const PanelNumberBox PANEL_NUMBER_BOXES[PANEL_NUMBER_BOX_COUNT];
// Whether the box takes the text without loss; true for any other control.
bool numberBoxAccepts(int id, const char* text);
int onSubmit(EditorContext& g);            // 1032
int onFrameListCommand(EditorContext& g);  // 1021
int onFrameAdd(EditorContext& g);          // 1023
int onFrameDelete(EditorContext& g);       // 1024
int onFrameUpdate(EditorContext& g);       // 1031

// File commands
const char* askOpenFileName(EditorContext& g);
const char* askSaveFileName(EditorContext& g);
// Reads the files as File > Open does, in order, as one step; the files that
// cannot be read are added to failed.
void openLibraryFiles(EditorContext& g, const std::vector<std::string>& paths,
                      std::vector<std::string>& failed);
// One file; false when it cannot be read.
bool openLibraryFile(EditorContext& g, const char* path);
// Reads a recovery copy as File > Open reads a file, its scripts keeping the
// origins the description gives (describeOrigins), and marks the library
// unsaved. False when the copy cannot be read.
bool restoreLibraryCopy(EditorContext& g, const char* copy, const std::string& origins);
int onFileOpen(EditorContext& g);           // 40001
int onFileSave(EditorContext& g);           // 40050
int onFileSaveLibraryAs(EditorContext& g);  // 40002
int onFileExit(EditorContext& g);           // 40003

// Edit commands
// The lists and the panel show the selection as it is, its script selected
// in the script list and its stage in the stage list.
void showSelectedScript(EditorContext& g);
int onEditUndo(EditorContext& g);  // 40010
int onEditRedo(EditorContext& g);  // 40011
// Texture names: the editor's answer to which file holds a name (the folders
// of opened script files and the texture folders, then the Locate dialog)
void installTextureFinder(EditorContext& g);  // at start-up
// The Locate dialog; the chosen path (the context's locatedPath) or null.
const char* locateImageFile(EditorContext& g, const char* title);
int onTextureFolders(EditorContext& g);  // 40020
int onReloadTextures(EditorContext& g);  // 40021

// Finding a script by name
constexpr int MAX_SCRIPT_MATCHES = 100;
// The scripts whose names contain typed without regard to ASCII case, best
// first, at most max of them; returns how many were written.
int findScriptMatches(const ScriptLibrary& library, const char* typed, Script** matches, int max);
// The Find Script dialog's completions: the library's best matches.
NameCompleter scriptNameCompleter(const ScriptLibrary& library);
int onFindScript(EditorContext& g);  // 40022

// Preview menu
int onPreviewWholeScript(EditorContext& g);        // 40023
int onPreviewUpToSelectedStage(EditorContext& g);  // 40024
int onPreviewSelectedStageOnly(EditorContext& g);  // 40025
int onPreviewPause(EditorContext& g);              // 40026
int onPreviewStepFrame(EditorContext& g);          // 40027
int onPreviewRestartClock(EditorContext& g);       // 40028
int onBackgroundBlue(EditorContext& g);            // 40029
int onBackgroundBlack(EditorContext& g);           // 40030
int onBackgroundCheckerboard(EditorContext& g);    // 40031

// Stages and scripts moved and copied (Edit menu, the lists' context menus).
// Each first commits the panel to the current stage (for a script, the script
// settings too), as a step of its own, so that it moves or copies what is
// shown; then the moved or new record is current and shown.
int onStageMoveUp(EditorContext& g);      // 40032
int onStageMoveDown(EditorContext& g);    // 40033
int onStageDuplicate(EditorContext& g);   // 40034
int onStageCopy(EditorContext& g);        // 40035
int onStagePaste(EditorContext& g);       // 40036
int onScriptDuplicate(EditorContext& g);  // 40037
int onScriptCopy(EditorContext& g);       // 40038
int onScriptPaste(EditorContext& g);      // 40039
// A stage dragged in the stage list from one position onto another.
int onStageDragged(EditorContext& g, int from, int to);
