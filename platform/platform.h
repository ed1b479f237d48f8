// What the core asks of a window system: control traffic by control
// identifier, the file dialogs, the message box, and the preview's OpenGL
// context and redraw timer. The core never includes a toolkit; it calls the
// installed Platform. Two implementations exist: Qt widgets (qt/) and the
// toolkit-free ControlStore (control_store.h), on which tests run commands.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

constexpr int MAX_PATH_SIZE = 260;
constexpr int NO_SELECTION = -1;  // list or drop-down list without a selection

// One request to a file dialog; the caller keeps path between requests so the
// dialog offers the last choice again.
struct FileDialogRequest {
    const char* title = nullptr;          // null: the platform's default title
    const char* filterName = nullptr;     // for example "Veltra file"
    const char* filterPattern = nullptr;  // for example "*.txt"; ';' separates patterns
    const char* defaultExt = nullptr;     // for example ".txt"; Save dialogs only
    bool save = false;                    // Save dialog: confirms before replacing a file
    bool confirmReplace = true;           // Save dialog: false where nothing is replaced
    char* path = nullptr;                 // in: initial file name; out: the chosen path
    int pathSize = MAX_PATH_SIZE;
    // Open dialogs: several files may be chosen, all given here in the order
    // shown (path then holds the first).
    std::vector<std::string>* paths = nullptr;
};

// The names that complete what was typed, best first: writes at most max
// of them into names and returns how many. They stay valid until the next call.
struct NameCompleter {
    int (*complete)(void* context, const char* typed, const char** names, int max);
    void* context;
};

// A place in the script text pane that the reader skips, cuts or changes:
// underlined, with the reader's note as its tooltip.
struct ScriptTextMark {
    size_t offset;  // in bytes from the start of the text
    size_t length;  // bytes of the word
    std::string note;
};

// What the script text pane shows: the selected script's text and where its
// stages stand in it.
struct ScriptTextView {
    std::string text;  // empty with no script selected
    // The line of the script's file on which the text begins, from 1, so the
    // pane numbers lines as the file does.
    int firstLine = 1;
    // Each stage's braces: the offset of its "{" and of its "}" (or of the
    // text's end when it is not closed), in stage order.
    std::vector<std::pair<size_t, size_t>> stages;
    int selectedStage = -1;  // the cursor goes to its "{"; -1: left where it is
    std::vector<ScriptTextMark> marks;
    // One line under the text: why the typed text is not applied; empty when
    // it is.
    std::string status;
    // The text is what the pane holds now (its typing was applied): the pane
    // keeps its cursor and its own undo.
    bool typed = false;
};

struct Platform {
    virtual ~Platform() = default;

    // Edit boxes. getText copies at most size - 1 characters and the NUL and
    // returns the number of characters copied.
    virtual void setText(int id, const char* text) = 0;
    virtual int getText(int id, char* buf, int size) = 0;

    // Check boxes.
    virtual void setCheck(int id, bool checked) = 0;
    virtual bool isChecked(int id) = 0;

    // Drop-down lists. An index outside the list selects nothing.
    virtual void comboReset(int id) = 0;
    virtual void comboAdd(int id, const char* text) = 0;
    virtual void comboSetSelection(int id, int index) = 0;
    virtual int comboSelection(int id) = 0;  // NO_SELECTION when none
    // Text of entry index (at most size - 1 characters); -1 and an empty
    // buffer for an index outside the list.
    virtual int comboItemText(int id, int index, char* buf, int size) = 0;

    // List boxes. Refilling never selects anything.
    virtual void listReset(int id) = 0;
    virtual int listAdd(int id, const char* text) = 0;  // index of the entry
    // Replaces every entry with count texts: listReset, then listAdd of each.
    // A toolkit may take them in one go, which a list of thousands needs.
    virtual void listFill(int id, const char* const* texts, int count);
    virtual int listInsert(int id, int index, const char* text) = 0;  // -1: bad index
    virtual int listDelete(int id, int index) = 0;                    // entries left, -1: bad index
    virtual int listCount(int id) = 0;
    virtual int listSelection(int id) = 0;  // NO_SELECTION when none
    virtual void listSetSelection(int id, int index) = 0;
    virtual int listItemText(int id, int index, char* buf, int size) = 0;  // as comboItemText

    // Modal dialogs over the editor window. askFileName returns true and
    // fills request.path when the user chose a file, false on cancel.
    virtual bool askFileName(FileDialogRequest& request) = 0;
    virtual void showMessageBox(const char* caption, const char* text) = 0;
    // A question with count buttons, the last the default and the answer of
    // Escape (the safe one: Cancel): the index of the button chosen, or -1
    // when the box was closed without one.
    virtual int askChoice(const char* caption, const char* text, const char* const* buttons,
                          int count) = 0;
    // An image file that cannot be loaded, text being the error; by default
    // a "LoadImage Error" box with that text alone.
    virtual void showImageError(const char* path, const char* text);
    // The Find Script dialog: a name box listing the completer's names for
    // what is typed. True and the chosen name in name, false on cancel.
    virtual bool askScriptName(char* name, int size, const NameCompleter& completer) = 0;
    // The Texture Folders dialog: edits paths[0 .. count - 1] in place (at
    // most maxCount). True when the user accepted the new list.
    virtual bool askFolderList(char (*paths)[MAX_PATH_SIZE], int& count, int maxCount) = 0;

    // The clipboard shared with other programs: plain text.
    virtual void setClipboardText(const char* text) = 0;
    virtual std::string clipboardText() = 0;

    // The preview's rendering context: double-buffered RGBA, 24-bit depth,
    // 8-bit stencil, compatibility profile. createPreviewContext makes it and
    // makes it current; false when it cannot be had (the editor then works
    // without a preview).
    virtual bool createPreviewContext() = 0;
    virtual void makePreviewCurrent() = 0;
    virtual void swapPreviewBuffers() = 0;
    virtual void destroyPreviewContext() = 0;
    // The size in pixels of what the preview draws into; 0 x 0 when unknown
    // (the context's viewport is then kept).
    virtual void previewSize(int& width, int& height);

    // The script text pane (View > Script Text). showScriptText replaces what
    // it shows; typedScriptText gives back the pane's text as typed, which
    // the Edit Text command applies.
    virtual void showScriptText(const ScriptTextView& view);
    virtual std::string typedScriptText();

    // The 50 ms redraw timer; each tick calls previewWindowProc.
    virtual void startRedrawTimer() = 0;
    virtual void stopRedrawTimer() = 0;
};
