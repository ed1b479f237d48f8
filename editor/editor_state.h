// The editor state shared by the editor's commands and the preview: which
// script and stage are current. Non-owning: the library owns the records,
// and every operation that releases one clears a reference to it.
#pragma once

#include "script_model.h"

extern int quitRequested;
extern Script* currentScript;
extern Stage* currentStage;
