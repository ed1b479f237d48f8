#include "platform.h"

void Platform::showImageError(const char*, const char* text) {
    showMessageBox("LoadImage Error", text);
}

void Platform::listFill(int id, const char* const* texts, int count) {
    listReset(id);
    for (int i = 0; i < count; i++) listAdd(id, texts[i]);
}

void Platform::previewSize(int& width, int& height) {
    width = height = 0;
}

void Platform::showScriptText(const ScriptTextView&) {}

std::string Platform::typedScriptText() {
    return std::string();
}
