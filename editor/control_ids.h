// Identifiers of the editor window (template 101), its menu (102) and the
// preview window (104).
#pragma once

constexpr int IDD_EDITOR = 101;
constexpr int IDR_EDITOR_MENU = 102;
constexpr int IDD_PREVIEW = 104;

// Script and stage lists
constexpr int IDC_STAGE_LIST = 1002;
constexpr int IDC_SCRIPT_LIST = 1003;
constexpr int IDC_STAGE_ADD = 1026;
constexpr int IDC_STAGE_DELETE = 1027;
constexpr int IDC_SCRIPT_ADD = 1028;
constexpr int IDC_SCRIPT_DELETE = 1029;
constexpr int IDC_SUBMIT = 1032;
constexpr int IDC_SCRIPT_NAME = 1033;
constexpr int IDC_SCRIPT_UPDATE = 1034;

// Stage properties
constexpr int IDC_ALPHA_MASK = 1004;
constexpr int IDC_SPHERE_MAPPING = 1005;
constexpr int IDC_TEXTURE_MAP = 1007;
constexpr int IDC_SCROLL_TYPE_X = 1008;
constexpr int IDC_SCROLL_X = 1009;
constexpr int IDC_SCROLL_TYPE_Y = 1010;
constexpr int IDC_SCROLL_Y = 1011;
constexpr int IDC_BLENDFUNC = 1012;
constexpr int IDC_BLEND_SRC = 1013;
constexpr int IDC_BLEND_DST = 1014;
constexpr int IDC_SCALE_TYPE_X = 1015;
constexpr int IDC_SCALE_X = 1016;
constexpr int IDC_SCALE_TYPE_Y = 1017;
constexpr int IDC_ALPHA_MIN = 1018;
constexpr int IDC_ALPHA_MAX = 1019;
constexpr int IDC_ALPHA_SPEED = 1020;
constexpr int IDC_FRAME_LIST = 1021;
constexpr int IDC_SCALE_Y = 1022;
constexpr int IDC_FRAME_ADD = 1023;
constexpr int IDC_FRAME_DELETE = 1024;
constexpr int IDC_ANIM_DELAY = 1025;
constexpr int IDC_FRAME_NAME = 1030;
constexpr int IDC_FRAME_UPDATE = 1031;
constexpr int IDC_ROTATE_SPEED = 1041;

// The script text pane: its typing applied (Edit Text)
constexpr int IDC_SCRIPT_TEXT = 1042;

// Script properties
constexpr int IDC_SAFE = 1035;
constexpr int IDC_SUBDIVIDE = 1037;
constexpr int IDC_WARP_SMOOTHNESS = 1038;
constexpr int IDC_WARP_DISTANCE = 1039;
constexpr int IDC_WARP_SPEED = 1040;

// Menu 102
constexpr int IDM_FILE_OPEN = 40001;
constexpr int IDM_FILE_SAVE_LIBRARY_AS = 40002;  // the whole library to one file
constexpr int IDM_FILE_EXIT = 40003;
constexpr int IDM_FILE_SAVE = 40050;  // each changed file back in place
constexpr int IDM_VIEW_PROBLEMS = 40051;
constexpr int IDM_VIEW_SCRIPT_TEXT = 40052;

// Edit menu
constexpr int IDM_EDIT_UNDO = 40010;
constexpr int IDM_EDIT_REDO = 40011;
// File menu: texture folders
constexpr int IDM_FILE_TEXTURE_FOLDERS = 40020;
constexpr int IDM_FILE_RELOAD_TEXTURES = 40021;

// Edit menu
constexpr int IDM_EDIT_FIND_SCRIPT = 40022;

// Preview menu: which stages, the clock, the background
constexpr int IDM_PREVIEW_WHOLE_SCRIPT = 40023;
constexpr int IDM_PREVIEW_UP_TO_SELECTED_STAGE = 40024;
constexpr int IDM_PREVIEW_SELECTED_STAGE_ONLY = 40025;
constexpr int IDM_PREVIEW_PAUSE = 40026;
constexpr int IDM_PREVIEW_STEP_FRAME = 40027;
constexpr int IDM_PREVIEW_RESTART_CLOCK = 40028;
constexpr int IDM_BACKGROUND_BLUE = 40029;
constexpr int IDM_BACKGROUND_BLACK = 40030;
constexpr int IDM_BACKGROUND_CHECKERBOARD = 40031;

// Edit menu: stages and scripts moved and copied
constexpr int IDM_STAGE_MOVE_UP = 40032;
constexpr int IDM_STAGE_MOVE_DOWN = 40033;
constexpr int IDM_STAGE_DUPLICATE = 40034;
constexpr int IDM_STAGE_COPY = 40035;
constexpr int IDM_STAGE_PASTE = 40036;
constexpr int IDM_SCRIPT_DUPLICATE = 40037;
constexpr int IDM_SCRIPT_COPY = 40038;
constexpr int IDM_SCRIPT_PASTE = 40039;
