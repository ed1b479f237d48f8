// Every command of the editor window, one row each: where it sits, what it is
// called, its keys, what it runs, and when it can run or shows a check mark.
// The menus and the dispatch are both made from this one table.
#pragma once

#include "editor_context.h"

// Row styles.
enum : unsigned {
    MENU_SEPARATOR_BEFORE = 1u << 0,  // a line above the item (or above its submenu)
    MENU_CHECK = 1u << 1,             // toggles a check mark
    MENU_RADIO = 1u << 2,             // one of the radio items of its menu between separators
};

struct Command {
    int id;
    // The popup that holds the item: "File", "Edit", "Preview" or a submenu
    // "Preview/Background"; null for a control of the window (a button, a list).
    const char* menu;
    const char* caption;   // as shown, without mnemonic: "Selected Stage Only"
    char mnemonic;         // the caption's letter underlined in the menu (its first match); 0: none
    const char* shortcut;  // "Ctrl+O"; "; " separates alternatives; null: none
    unsigned style;
    int (*handler)(EditorContext& g);
    bool (*enabledWhen)(const EditorContext& g) = nullptr;  // null: always
    bool (*checkedWhen)(const EditorContext& g) = nullptr;  // null: no check mark
    // Words shown after the caption ("Undo" "Script Delete"); null: none.
    const char* (*detailWhen)(const EditorContext& g) = nullptr;
};

// A popup of the menu bar or a submenu, by its path in Command::menu.
struct MenuPopup {
    const char* path;
    const char* caption;
    char mnemonic;
};

extern const Command COMMANDS[];
extern const int COMMAND_COUNT;
extern const MenuPopup MENU_POPUPS[];
extern const int MENU_POPUP_COUNT;

// The row of a command identifier, or null.
const Command* findCommand(int id);
bool commandEnabled(const Command& command, const EditorContext& g);
