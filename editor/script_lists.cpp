// Placeholder until the list commands are written.
#include "editor.h"
void fillScriptList() {}
void fillStageList(Script*) {}
int onScriptListCommand() { return 0; }
int onStageListCommand() { return 0; }
int onStageAdd() { return 0; }
int onStageDelete() { return 0; }
int onScriptAdd() { return 0; }
int onScriptDelete() { return 0; }
int onScriptUpdate() { return 0; }
