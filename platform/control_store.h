// The toolkit-free platform: every control is a record in a map keyed by
// its identifier, dialogs answer from a script that the caller queues, and
// message boxes are recorded. Editor commands run on it without a window
// system; the preview can draw into a headless OpenGL context.
#pragma once

#include "platform.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

struct HeadlessGL;

struct StoredControl {
    std::string text;                // edit box
    bool checked = false;            // check box
    std::vector<std::string> items;  // list box or drop-down list
    int selection = NO_SELECTION;
};

// One answer for the next file dialog: a path, or a cancel. Several files
// chosen in an Open dialog stand one a line.
struct DialogAnswer {
    bool chosen = false;
    std::string path;
};

// What a file dialog was shown with.
struct DialogShown {
    std::string title;        // empty for the default title
    std::string initialPath;  // the path it offered
    std::string filterName;
    std::string filterPattern;
    std::string defaultExt;
    bool save = false;
};

struct MessageShown {
    std::string caption;
    std::string text;
};

// A question asked, with its buttons.
struct ChoiceShown {
    std::string caption;
    std::string text;
    std::vector<std::string> buttons;
};

struct ControlStore : Platform {
    std::map<int, StoredControl> controls;
    std::deque<DialogAnswer> dialogAnswers;  // an empty queue cancels
    std::vector<DialogShown> dialogsShown;
    std::vector<MessageShown> messagesShown;
    std::deque<int> choiceAnswers;  // the button chosen; an empty queue closes the box (-1)
    std::vector<ChoiceShown> choicesShown;
    std::deque<DialogAnswer> scriptNameAnswers;              // Find Script; empty: cancel
    std::deque<std::vector<std::string>> folderListAnswers;  // Texture Folders; empty: cancel
    std::vector<std::vector<std::string>> folderListsShown;
    // The script text pane: what was last shown, and what the user typed
    // (taken by the next Edit Text).
    ScriptTextView scriptText;
    int scriptTextShownCount = 0;
    std::string typedText;
    int redrawTimerRunning = 0;
    std::string clipboard;

    // Preview context: made only when previewWidth > 0 (a headless pbuffer).
    int previewWidth = 0;
    int previewHeight = 0;
    HeadlessGL* previewGL = nullptr;
    int swapCount = 0;

    ~ControlStore() override;

    StoredControl& control(int id) { return controls[id]; }
    void answerDialog(const std::string& path) { dialogAnswers.push_back({true, path}); }
    void cancelDialog() { dialogAnswers.push_back({false, std::string()}); }

    void setText(int id, const char* text) override;
    int getText(int id, char* buf, int size) override;
    void setCheck(int id, bool checked) override;
    bool isChecked(int id) override;
    void comboReset(int id) override;
    void comboAdd(int id, const char* text) override;
    void comboSetSelection(int id, int index) override;
    int comboSelection(int id) override;
    int comboItemText(int id, int index, char* buf, int size) override;
    void listReset(int id) override;
    int listAdd(int id, const char* text) override;
    int listInsert(int id, int index, const char* text) override;
    int listDelete(int id, int index) override;
    int listCount(int id) override;
    int listSelection(int id) override;
    void listSetSelection(int id, int index) override;
    int listItemText(int id, int index, char* buf, int size) override;
    bool askFileName(FileDialogRequest& request) override;
    void showMessageBox(const char* caption, const char* text) override;
    int askChoice(const char* caption, const char* text, const char* const* buttons,
                  int count) override;
    bool askScriptName(char* name, int size, const NameCompleter& completer) override;
    bool askFolderList(char (*paths)[MAX_PATH_SIZE], int& count, int maxCount) override;
    void setClipboardText(const char* text) override { clipboard = text ? text : ""; }
    std::string clipboardText() override { return clipboard; }
    bool createPreviewContext() override;
    void makePreviewCurrent() override;
    void swapPreviewBuffers() override;
    void destroyPreviewContext() override;
    void previewSize(int& width, int& height) override {
        width = previewWidth;
        height = previewHeight;
    }
    void showScriptText(const ScriptTextView& view) override {
        scriptText = view;
        scriptTextShownCount++;
    }
    std::string typedScriptText() override { return typedText; }
    void startRedrawTimer() override { redrawTimerRunning = 1; }
    void stopRedrawTimer() override { redrawTimerRunning = 0; }
};
