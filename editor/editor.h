// The editor window's commands. mainDialogProc dispatches each command of
// the window, by control or menu identifier (control_ids.h), to one handler.
// Handlers read the controls through the installed Platform and return 1
// when they refuse, 0 otherwise.
#pragma once

#include "editor_state.h"

enum DialogMessage { DIALOG_INIT = 0, DIALOG_CLOSE = 1, DIALOG_COMMAND = 2 };

int mainDialogProc(int message, int commandId);

// Script and stage lists
void fillScriptList();
void fillStageList(Script* script);
int onScriptListCommand();   // 1003
int onStageListCommand();    // 1002
int onStageAdd();            // 1026
int onStageDelete();         // 1027
int onScriptAdd();           // 1028
int onScriptDelete();        // 1029
int onScriptUpdate();        // 1034

// Stage properties panel
extern const char* const SOURCE_BLEND_NAMES[9];
extern const char* const DEST_BLEND_NAMES[8];
void initEditorControls();
void showScriptProperties(Script* script);
void readScriptProperties(Script* script);
void showStageProperties(Stage* stage);
void readStageProperties(Stage* stage);
int blendFactorToComboIndex(float factor);
void rebuildAnimFrames(Stage* stage);
int onSubmit();              // 1032
int onFrameListCommand();    // 1021
int onFrameAdd();            // 1023
int onFrameDelete();         // 1024
int onFrameUpdate();         // 1031

// File commands
const char* askOpenFileName();
const char* askSaveFileName();
int onFileOpen();            // 40001
int onFileSave();            // 40002
int onFileExit();            // 40003
