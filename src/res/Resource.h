// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Identifiers of the program's resources: commands, controls, bars and strings. Commands carry
// the same id in the menu, the tool bar, the accelerators and the key bindings.

enum : int
{
    // Resources sharing the main window's id: menu, tool bar, accelerators, icon, document string.
    IDR_MAINFRAME = 128,
    // The keys every desktop browser has, where the user's bindings leave them free.
    IDR_DESKTOP_KEYS = 129,
    // The editing keys a text field keeps for itself while it has the focus.
    IDR_FIELD_KEYS = 131,

    // Menu "&File".
    ID_FILE_NEW = 32775,
    ID_FILE_OPEN = 32804,
    ID_FILE_SAVE_AS = 32805,
    ID_FILE_PRINT = 32776,
    ID_FAVORITES_ADD = 1016,
    ID_FAVORITES_ORGANIZE = 32840,
    ID_FAVORITES_REFRESH = 32839,
    ID_FAVORITES_IMPORT = 32851,
    ID_FAVORITES_EXPORT = 32852,
    ID_FILE_SEND_SHORTCUT = 32777, // no handler: always disabled
    ID_FILE_PROPERTIES = 32778,
    ID_FILE_WORK_OFFLINE = 32779,
    ID_APP_EXIT = 57665,
    ID_FILE_CLOSE = 32774,
    ID_FILE_REOPEN_CLOSED = 32854,

    // Menu "&Edit".
    ID_EDIT_CUT = 32780,
    ID_EDIT_COPY = 32781,
    ID_EDIT_PASTE = 32782,
    ID_EDIT_SELECT_ALL = 32783,
    ID_EDIT_FIND = 32784,

    // Menu "&View".
    ID_VIEW_NEW_ACTIVE = 32837,
    ID_VIEW_FAVORITES = 32829,
    ID_VIEW_ADDRESS_BAR = 32785,
    ID_VIEW_STATUS_BAR = 32845,
    ID_VIEW_STOP = 32786,
    ID_VIEW_REFRESH = 32787,
    ID_VIEW_TEXT_LARGEST = 32788, // text size level 5
    ID_VIEW_TEXT_LARGE = 32789,
    ID_VIEW_TEXT_MEDIUM = 32790,
    ID_VIEW_TEXT_SMALLER = 32791,
    ID_VIEW_TEXT_SMALLEST = 32792, // text size level 1
    ID_VIEW_ENCODING_EUC = 32793,  // the three encodings: no handler, checked, disabled
    ID_VIEW_ENCODING_JIS_ESC = 32794,
    ID_VIEW_ENCODING_JIS_SIO = 32795,
    ID_VIEW_SOURCE = 32846,
    ID_VIEW_DOWNLOADS = 32855,
    ID_VIEW_INTERNET_OPTIONS = 32796,
    ID_VIEW_OPTIONS = 32835,
    ID_APP_ABOUT = 57664,

    // Menu "&Go".
    ID_GO_BACK = 32797,
    ID_GO_FORWARD = 32798,
    ID_GO_HOME = 32799,
    ID_GO_SEARCH = 32800,
    ID_GO_HPC_WEB = 32801,
    ID_GO_HISTORY = 32802,
    ID_HISTORY_CLEAR = 32853, // empties the history of visited pages

    // The last tool bar button: no handler, always disabled.
    ID_TOOLBAR_EXTRA = 32803,

    // Workspace commands reached by keys only.
    ID_SELECT_PANE_FIRST = 32817, // Ctrl+2: pane index 0
    ID_SELECT_PANE_LAST = 32825,  // Ctrl+0: pane index 8
    ID_FOCUS_FAVORITES = 32826,
    ID_FOCUS_BROWSER = 32827,
    ID_IMAGES_ON = 32830,
    ID_IMAGES_OFF = 32831,
    ID_SOUND_ON = 32832,
    ID_SOUND_OFF = 32833,
    ID_FOCUS_ADDRESS_BAR = 32834,
    ID_PANE_PREVIOUS = 32843,
    ID_PANE_NEXT = 32844,
    // The desktop keys' own commands: the panes in a ring, the text size a step at a time.
    ID_PANE_CYCLE_PREVIOUS = 32847,
    ID_PANE_CYCLE_NEXT = 32848,
    ID_VIEW_TEXT_STEP_LARGER = 32849,
    ID_VIEW_TEXT_STEP_SMALLER = 32850,

    // Accelerator commands without a handler (F6, Shift+F6, Enter).
    ID_NEXT_PANE = 57680,
    ID_PREV_PANE = 57681,
    ID_ADDRESS_ENTER = 32773,

    // Context menu commands.
    ID_CONTEXT_OPEN_IMAGE = 32900,
    ID_CONTEXT_OPEN_FRAME = 32901,
    ID_CONTEXT_OPEN_LINK = 32902,
    ID_CONTEXT_COPY_SHORTCUT = 32903,
    ID_CONTEXT_SAVE_IMAGE_AS = 32904,
    ID_CONTEXT_SAVE_TARGET_AS = 32905,
    // Spelling in an editable field: a suggestion (the word is the item's text), add the word.
    ID_CONTEXT_SPELL_REPLACE = 32877,
    ID_CONTEXT_SPELL_ADD_WORD = 32878,

    // Controls and bars of the main frame.
    IDC_ADDRESS_COMBO = 1009,
    IDD_ADDRESS_BAR = 128,
    AFX_IDW_TOOLBAR = 59392, // menu bar and tool bar
    AFX_IDW_STATUS_BAR = 59393,
    AFX_IDW_COMMAND_BANDS = 59396,
    AFX_IDW_ADDRESS_BAR = 59397,

    // Strings.
    IDS_SOCKET_INIT_FAILED = 104,
    AFX_IDS_IDLEMESSAGE = 57345,
    ID_INDICATOR_CAPS = 59137,
    IDS_ADD_FAVORITES_ENTRY = 61301,
    IDS_SHORTCUT_FILTER = 61302,
    IDS_FAVORITE_BLANK = 61303,
    IDS_FAVORITES_TAB = 61304,
    IDS_SAVE_BLANK = 61305,
    IDS_FILTER_HTML = 61306,
    IDS_FILTER_JPG = 61307,
    IDS_FILTER_GIF = 61308,
    IDS_FILTER_ALL = 61309,
    IDS_SAVE_TARGET_BLANK = 61310,
    IDS_OPTIONS_CAPTION = 61311,
    IDS_BYTES = 61312,
    IDS_EXIT_CONFIRM = 61313,
};
