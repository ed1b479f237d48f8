// Helpers shared by the model's own files (the reader builds its lists with
// tail pointers instead of walking them for every record).
#pragma once

#include "script_model.h"

// ASCII letter case folding, independent of the process locale.
inline int foldCase(int c) {
    return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

// An unlinked script with the defaults of appendScript.
Script* newScript(const char* name);
// An unlinked stage with the given map and the defaults of resetStage.
Stage* newStage(const char* map);
