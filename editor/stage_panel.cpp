// Placeholder until the panel commands are written.
#include "editor.h"
const char* const SOURCE_BLEND_NAMES[9] = {};
const char* const DEST_BLEND_NAMES[8] = {};
void initEditorControls() {}
void showScriptProperties(Script*) {}
void readScriptProperties(Script*) {}
void showStageProperties(Stage*) {}
void readStageProperties(Stage*) {}
int blendFactorToComboIndex(float) { return 0; }
void rebuildAnimFrames(Stage*) {}
int onSubmit() { return 0; }
int onFrameListCommand() { return 0; }
int onFrameAdd() { return 0; }
int onFrameDelete() { return 0; }
int onFrameUpdate() { return 0; }
