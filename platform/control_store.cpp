#include "control_store.h"

#include "headless_gl.h"

#include <cstring>

// Copies text into buf as the window system would: cut to size - 1 characters.
static int copyOut(const std::string& text, char* buf, int size) {
    if (size <= 0) return 0;
    int n = (int)text.size() < size - 1 ? (int)text.size() : size - 1;
    memcpy(buf, text.data(), n);
    buf[n] = '\0';
    return n;
}

static bool validIndex(const StoredControl& c, int index) {
    return index >= 0 && index < (int)c.items.size();
}

ControlStore::~ControlStore() {
    destroyPreviewContext();
}

void ControlStore::setText(int id, const char* text) {
    control(id).text = text ? text : "";
}
int ControlStore::getText(int id, char* buf, int size) {
    return copyOut(control(id).text, buf, size);
}
void ControlStore::setCheck(int id, bool checked) {
    control(id).checked = checked;
}
bool ControlStore::isChecked(int id) {
    return control(id).checked;
}

void ControlStore::comboReset(int id) {
    listReset(id);
}
void ControlStore::comboAdd(int id, const char* text) {
    listAdd(id, text);
}

void ControlStore::comboSetSelection(int id, int index) {
    StoredControl& c = control(id);
    c.selection = validIndex(c, index) ? index : NO_SELECTION;
}

int ControlStore::comboSelection(int id) {
    return control(id).selection;
}
int ControlStore::comboItemText(int id, int index, char* buf, int size) {
    return listItemText(id, index, buf, size);
}

void ControlStore::listReset(int id) {
    StoredControl& c = control(id);
    c.items.clear();
    c.selection = NO_SELECTION;
}

int ControlStore::listAdd(int id, const char* text) {
    StoredControl& c = control(id);
    c.items.emplace_back(text ? text : "");
    return (int)c.items.size() - 1;
}

int ControlStore::listInsert(int id, int index, const char* text) {
    StoredControl& c = control(id);
    if (index < 0 || index > (int)c.items.size()) return -1;
    c.items.insert(c.items.begin() + index, std::string(text ? text : ""));
    if (c.selection >= index) c.selection++;
    return index;
}

int ControlStore::listDelete(int id, int index) {
    StoredControl& c = control(id);
    if (!validIndex(c, index)) return -1;
    c.items.erase(c.items.begin() + index);
    if (c.selection == index)
        c.selection = NO_SELECTION;
    else if (c.selection > index)
        c.selection--;
    return (int)c.items.size();
}

int ControlStore::listCount(int id) {
    return (int)control(id).items.size();
}
int ControlStore::listSelection(int id) {
    return control(id).selection;
}
void ControlStore::listSetSelection(int id, int index) {
    comboSetSelection(id, index);
}

int ControlStore::listItemText(int id, int index, char* buf, int size) {
    StoredControl& c = control(id);
    if (!validIndex(c, index)) {
        if (size > 0) buf[0] = '\0';
        return -1;
    }
    return copyOut(c.items[index], buf, size);
}

bool ControlStore::askFileName(FileDialogRequest& request) {
    DialogShown shown;
    shown.title = request.title ? request.title : "";
    shown.initialPath = request.path ? request.path : "";
    shown.filterName = request.filterName ? request.filterName : "";
    shown.filterPattern = request.filterPattern ? request.filterPattern : "";
    shown.defaultExt = request.defaultExt ? request.defaultExt : "";
    shown.save = request.save;
    dialogsShown.push_back(shown);
    if (dialogAnswers.empty()) return false;
    DialogAnswer answer = dialogAnswers.front();
    dialogAnswers.pop_front();
    if (!answer.chosen || !request.path) return false;
    std::vector<std::string> chosen;
    for (size_t start = 0; start <= answer.path.size();) {
        size_t end = answer.path.find('\n', start);
        if (end == std::string::npos) end = answer.path.size();
        chosen.push_back(answer.path.substr(start, end - start));
        start = end + 1;
    }
    if (chosen.size() > 1 && !request.paths) return false;
    copyOut(chosen[0], request.path, request.pathSize);
    if (request.paths) *request.paths = chosen;
    return true;
}

void ControlStore::showMessageBox(const char* caption, const char* text) {
    messagesShown.push_back({caption ? caption : "", text ? text : ""});
}

int ControlStore::askChoice(const char* caption, const char* text, const char* const* buttons,
                            int count) {
    choicesShown.push_back({caption ? caption : "", text ? text : "", {buttons, buttons + count}});
    if (choiceAnswers.empty()) return -1;
    const int answer = choiceAnswers.front();
    choiceAnswers.pop_front();
    return answer >= 0 && answer < count ? answer : -1;
}

bool ControlStore::askScriptName(char* name, int size, const NameCompleter&) {
    if (scriptNameAnswers.empty()) return false;
    DialogAnswer answer = scriptNameAnswers.front();
    scriptNameAnswers.pop_front();
    if (answer.chosen) copyOut(answer.path, name, size);
    return answer.chosen;
}

// Records the list shown; the next queued list replaces it.
bool ControlStore::askFolderList(char (*paths)[MAX_PATH_SIZE], int& count, int maxCount) {
    folderListsShown.emplace_back(paths, paths + count);
    if (folderListAnswers.empty()) return false;
    std::vector<std::string> answer = folderListAnswers.front();
    folderListAnswers.pop_front();
    count = 0;
    for (const std::string& path : answer)
        if (count < maxCount) copyOut(path, paths[count++], MAX_PATH_SIZE);
    return true;
}

bool ControlStore::createPreviewContext() {
    if (previewWidth <= 0 || previewHeight <= 0) return false;
    if (!previewGL) previewGL = createHeadlessGL(previewWidth, previewHeight);
    return previewGL != nullptr;
}

void ControlStore::makePreviewCurrent() {
    makeHeadlessGLCurrent(previewGL);
}
void ControlStore::swapPreviewBuffers() {
    swapCount++;
}

void ControlStore::destroyPreviewContext() {
    destroyHeadlessGL(previewGL);
    previewGL = nullptr;
}
