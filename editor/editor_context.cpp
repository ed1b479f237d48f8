#include "editor_context.h"

void EditorContext::reset() {
    library.reset();
    selection.reset();
    textures.reset();
    textures.loading.platform = platform;
    preview.reset();
    paths.reset();
    fileProblems.clear();
    problemsShown = false;
    scriptTextShown = true;
    lastTextEditSerial = 0;
    quitRequested = 0;
    commandRunning = false;
}
