// Placeholder until the file commands are written.
#include "editor.h"
const char* askOpenFileName() { return nullptr; }
const char* askSaveFileName() { return nullptr; }
int onFileOpen() { return 0; }
int onFileSave() { return 0; }
