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

// Keys that run a command only while one control has the keyboard focus:
// Enter in a box, Delete, Copy and Paste in a list.
constexpr int ANY_EDIT_BOX = 0;
struct ControlKey {
    int control;       // a control identifier, or ANY_EDIT_BOX
    const char* keys;  // as Command::shortcut
    int command;
};

// A row of a list's context menu, in menu order: a menu row of the table.
struct ContextMenuItem {
    int list;
    int command;
};

extern const Command COMMANDS[];
extern const int COMMAND_COUNT;
extern const MenuPopup MENU_POPUPS[];
extern const int MENU_POPUP_COUNT;
extern const ControlKey CONTROL_KEYS[];
extern const int CONTROL_KEY_COUNT;
extern const ContextMenuItem CONTEXT_MENU_ITEMS[];
extern const int CONTEXT_MENU_ITEM_COUNT;

// The row of a command identifier, or null.
const Command* findCommand(int id);
bool commandEnabled(const Command& command, const EditorContext& g);
