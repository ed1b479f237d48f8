// The editor window (template 101) and the preview window (104) as plain
// data (the menu bar 102 is made from the command table, commands.h), free of any toolkit: every
// control with its identifier, kind, caption, place and style. Positions and sizes are in dialog
// units, which a window system turns into pixels with the metrics of the template's font (a
// horizontal unit is a quarter of the font's average character width, a vertical unit an eighth of
// its height).
#pragma once

constexpr int NO_CONTROL_ID = -1;  // static texts and group boxes

enum ControlKind {
    CONTROL_STATIC_TEXT,
    CONTROL_GROUP_BOX,
    CONTROL_PUSH_BUTTON,
    CONTROL_CHECK_BOX,
    CONTROL_EDIT,
    CONTROL_DROP_DOWN_LIST,
    CONTROL_LIST_BOX,
};

// Window styles of a template.
enum : unsigned {
    WINDOW_CAPTION = 1u << 0,    // title bar
    WINDOW_CLOSE_BOX = 1u << 1,  // system menu with its close box
    WINDOW_MINIMIZE_BOX = 1u << 2,
    WINDOW_CENTERED = 1u << 3,  // centred on the screen, else at x, y
    // A sizing frame and a maximize box; the template's size is the least.
    WINDOW_RESIZABLE = 1u << 4,
};

// Control styles.
enum : unsigned {
    CONTROL_NOTIFY = 1u << 0,           // list box: reports selection, clicks, focus
    CONTROL_VERTICAL_SCROLL = 1u << 1,  // list box: scroll bar when the entries overflow
    CONTROL_AUTO_HSCROLL = 1u << 2,     // edit box: one line that scrolls sideways
    CONTROL_TEXT_RIGHT = 1u << 3,       // static text: right-aligned
    CONTROL_TEXT_VCENTER = 1u << 4,     // static text: centred vertically
    CONTROL_FIT_CAPTION = 1u << 5,      // grows when its caption needs more room
};

struct DialogControl {
    int id;  // NO_CONTROL_ID for static texts and group boxes
    ControlKind kind;
    const char* caption;  // "" when the control has none
    int x, y, width, height;
    unsigned style;
};

struct DialogTemplate {
    int id;
    const char* caption;
    int x, y, width, height;  // client area
    unsigned style;
    const char* fontName;
    int fontPoints;
    int menuId;  // 0: no menu
    const DialogControl* controls;
    int controlCount;
};

extern const DialogTemplate EDITOR_TEMPLATE;   // 101
extern const DialogTemplate PREVIEW_TEMPLATE;  // 104

// The control of a template with this identifier, or null.
const DialogControl* findTemplateControl(const DialogTemplate& dialog, int id);
