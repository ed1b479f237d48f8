#include "dialog_templates.h"

#include "control_ids.h"

// Styles shared by many controls.
constexpr unsigned LIST_STYLE = CONTROL_NOTIFY | CONTROL_VERTICAL_SCROLL;
constexpr unsigned EDIT_STYLE = CONTROL_AUTO_HSCROLL;
constexpr unsigned LABEL_STYLE = CONTROL_TEXT_RIGHT | CONTROL_TEXT_VCENTER | CONTROL_FIT_CAPTION;
constexpr unsigned BUTTON_STYLE = CONTROL_FIT_CAPTION;

// Labels sit left of their control, on its line, right-aligned against it.
#define LABEL(text, x, y, w, h) \
    { NO_CONTROL_ID, CONTROL_STATIC_TEXT, text, x, y, w, h, LABEL_STYLE }
#define GROUP(text, x, y, w, h) \
    { NO_CONTROL_ID, CONTROL_GROUP_BOX, text, x, y, w, h, 0 }
#define BUTTON(id, text, x, y, w) \
    { id, CONTROL_PUSH_BUTTON, text, x, y, w, 14, BUTTON_STYLE }
#define CHECK(id, text, x, y, w) \
    { id, CONTROL_CHECK_BOX, text, x, y, w, 10, CONTROL_FIT_CAPTION }
#define EDIT(id, x, y, w) \
    { id, CONTROL_EDIT, "", x, y, w, 14, EDIT_STYLE }
#define DROP_DOWN(id, x, y, w) \
    { id, CONTROL_DROP_DOWN_LIST, "", x, y, w, 14, 0 }
#define LIST(id, x, y, w, h, style) \
    { id, CONTROL_LIST_BOX, "", x, y, w, h, style }

static const DialogControl EDITOR_CONTROLS[] = {
    // Script and stage lists
    {NO_CONTROL_ID, CONTROL_STATIC_TEXT, "Scripts", 1, 2, 40, 8, CONTROL_FIT_CAPTION},
    LIST(IDC_SCRIPT_LIST, 0, 12, 143, 149, LIST_STYLE),
    BUTTON(IDC_SCRIPT_ADD, "Add", 1, 164, 50),
    EDIT(IDC_SCRIPT_NAME, 54, 164, 90),
    BUTTON(IDC_SCRIPT_DELETE, "Delete", 1, 182, 50),
    BUTTON(IDC_SCRIPT_UPDATE, "Update", 53, 182, 50),
    LIST(IDC_STAGE_LIST, 0, 198, 143, 78, LIST_STYLE),
    BUTTON(IDC_STAGE_ADD, "Add", 2, 279, 50),
    BUTTON(IDC_STAGE_DELETE, "Delete", 56, 279, 50),
    BUTTON(IDC_SUBMIT, "Submit", 117, 278, 28),

    // Stage properties
    GROUP("Stage Properties", 147, 4, 226, 253),
    CHECK(IDC_ALPHA_MASK, "Alpha Mask", 151, 14, 60),
    CHECK(IDC_SPHERE_MAPPING, "Sphere Mapping", 151, 25, 70),
    LABEL("X Scroll:", 240, 9, 37, 14),
    DROP_DOWN(IDC_SCROLL_TYPE_X, 279, 9, 48),
    EDIT(IDC_SCROLL_X, 329, 9, 40),
    LABEL("Y Scroll:", 240, 25, 37, 14),
    DROP_DOWN(IDC_SCROLL_TYPE_Y, 279, 25, 48),
    EDIT(IDC_SCROLL_Y, 329, 25, 40),
    LABEL("Texture Map:", 151, 42, 42, 14),
    EDIT(IDC_TEXTURE_MAP, 195, 42, 174),
    CHECK(IDC_BLENDFUNC, "Blendfunc", 149, 59, 46),
    DROP_DOWN(IDC_BLEND_SRC, 198, 58, 120),
    DROP_DOWN(IDC_BLEND_DST, 198, 73, 120),

    GROUP("Animation", 149, 90, 220, 106),
    LIST(IDC_FRAME_LIST, 153, 100, 211, 57, CONTROL_NOTIFY),
    BUTTON(IDC_FRAME_ADD, "Add", 153, 159, 50),
    EDIT(IDC_FRAME_NAME, 207, 159, 158),
    BUTTON(IDC_FRAME_DELETE, "Delete", 153, 177, 50),
    BUTTON(IDC_FRAME_UPDATE, "Update", 207, 177, 50),
    LABEL("Delay:", 290, 177, 33, 14),
    EDIT(IDC_ANIM_DELAY, 325, 177, 40),

    LABEL("Rotate Speed:", 151, 198, 48, 14),
    EDIT(IDC_ROTATE_SPEED, 201, 198, 64),
    LABEL("X Scale:", 151, 223, 34, 14),
    DROP_DOWN(IDC_SCALE_TYPE_X, 187, 223, 42),
    EDIT(IDC_SCALE_X, 231, 223, 34),
    LABEL("Y Scale:", 151, 239, 34, 14),
    DROP_DOWN(IDC_SCALE_TYPE_Y, 187, 239, 42),
    EDIT(IDC_SCALE_Y, 232, 239, 33),

    GROUP("Alpha Shift", 267, 196, 101, 57),
    LABEL("Minimum Alpha:", 270, 204, 52, 14),
    EDIT(IDC_ALPHA_MIN, 324, 204, 40),
    LABEL("Maximum Alpha:", 270, 220, 52, 14),
    EDIT(IDC_ALPHA_MAX, 324, 220, 40),
    LABEL("Speed:", 270, 236, 52, 14),
    EDIT(IDC_ALPHA_SPEED, 324, 236, 40),

    // Script properties
    CHECK(IDC_SAFE, "Safe", 147, 260, 30),
    LABEL("Subdivide:", 179, 259, 38, 14),
    EDIT(IDC_SUBDIVIDE, 219, 259, 48),
    LABEL("Warp Speed:", 285, 259, 46, 14),
    EDIT(IDC_WARP_SPEED, 333, 259, 40),
    LABEL("Warp Distance:", 164, 277, 58, 14),
    EDIT(IDC_WARP_DISTANCE, 224, 277, 40),
    LABEL("Warp Smoothness:", 266, 276, 65, 14),
    EDIT(IDC_WARP_SMOOTHNESS, 333, 276, 40),
};

#undef LABEL
#undef GROUP
#undef BUTTON
#undef CHECK
#undef EDIT
#undef DROP_DOWN
#undef LIST

const DialogTemplate EDITOR_TEMPLATE = {
    IDD_EDITOR,
    "VeltraEd",
    0,
    0,
    377,
    294,
    WINDOW_CAPTION | WINDOW_CLOSE_BOX | WINDOW_MINIMIZE_BOX | WINDOW_CENTERED | WINDOW_RESIZABLE,
    "MS Sans Serif",
    8,
    IDR_EDITOR_MENU,
    EDITOR_CONTROLS,
    (int)(sizeof EDITOR_CONTROLS / sizeof EDITOR_CONTROLS[0]),
};

// The preview has no close box: it cannot be closed, only minimized or resized.
const DialogTemplate PREVIEW_TEMPLATE = {
    IDD_PREVIEW,
    "VeltraEd Preview",
    0,
    0,
    203,
    174,
    WINDOW_CAPTION | WINDOW_MINIMIZE_BOX | WINDOW_RESIZABLE,
    "MS Sans Serif",
    8,
    0,
    nullptr,
    0,
};

const DialogControl* findTemplateControl(const DialogTemplate& dialog, int id) {
    if (id == NO_CONTROL_ID) return nullptr;
    for (int i = 0; i < dialog.controlCount; i++)
        if (dialog.controls[i].id == id) return &dialog.controls[i];
    return nullptr;
}
