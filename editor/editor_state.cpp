#include "editor_state.h"

int quitRequested = 0;
Script* currentScript = nullptr;
Stage* currentStage = nullptr;
