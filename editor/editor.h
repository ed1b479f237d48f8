// The editor window's commands. mainDialogProc dispatches each command of
// the window, by control or menu identifier (control_ids.h), to one handler.
// Handlers read the controls through the installed Platform and return 1
// when they refuse, 0 otherwise.
#pragma once

#include "editor_state.h"
#include "platform.h"

enum DialogMessage { DIALOG_INIT = 0, DIALOG_CLOSE = 1, DIALOG_COMMAND = 2 };

int mainDialogProc(int message, int commandId);

// Script and stage lists
void fillScriptList();
void fillStageList(Script* script);
int onScriptListCommand();  // 1003
int onStageListCommand();   // 1002
int onStageAdd();           // 1026
int onStageDelete();        // 1027
int onScriptAdd();          // 1028
int onScriptDelete();       // 1029
int onScriptUpdate();       // 1034

// Stage properties panel
extern const char* const SOURCE_BLEND_NAMES[9];
extern const char* const DEST_BLEND_NAMES[8];
void initEditorControls();
struct ScriptSettings;
struct StageSettings;
void showScriptProperties(Script* script);
void readScriptSettings(ScriptSettings& settings);
// Commits the script settings to script (one step when they changed it).
void readScriptProperties(Script* script);
void showStageProperties(Stage* stage);
void readStageSettings(StageSettings& settings);
// Commits the panel to stage (one step when it changed it).
void readStageProperties(Stage* stage);
int blendFactorToComboIndex(float factor);
void showFrameNames(const Stage* stage);
int onSubmit();            // 1032
int onFrameListCommand();  // 1021
int onFrameAdd();          // 1023
int onFrameDelete();       // 1024
int onFrameUpdate();       // 1031

// File commands
const char* askOpenFileName();
const char* askSaveFileName();
// Reads the file as File, Open does; false when it cannot be opened.
bool openLibraryFile(const char* path);
int onFileOpen();  // 40001
int onFileSave();  // 40002
int onFileExit();  // 40003

// Edit commands
int onEditUndo();  // 40010
int onEditRedo();  // 40011
// Texture names: the editor's answer to which file holds a name (the folders
// of opened script files and the texture folders, then the Locate dialog)
void installTextureFinder();  // at start-up
const char* locateImageFile(const char* title);
extern char locatedPath[MAX_PATH_SIZE];  // the Locate dialog's last choice
int onTextureFolders();                  // 40020
int onReloadTextures();                  // 40021

// Finding a script by name
constexpr int MAX_SCRIPT_MATCHES = 100;
// The scripts whose names contain typed without regard to ASCII case, best
// first, at most max of them; returns how many were written.
int findScriptMatches(const char* typed, Script** matches, int max);
int onFindScript();  // 40022

// Preview menu
int onPreviewWholeScript();        // 40023
int onPreviewUpToSelectedStage();  // 40024
int onPreviewSelectedStageOnly();  // 40025
int onPreviewPause();              // 40026
int onPreviewStepFrame();          // 40027
int onPreviewRestartClock();       // 40028
int onBackgroundBlue();            // 40029
int onBackgroundBlack();           // 40030
int onBackgroundCheckerboard();    // 40031
