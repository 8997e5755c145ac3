// Numeric ids of the editor's commands, status-bar indicators and resources, shared by the
// menus, key tables, toolbar, string table and every OnCmdMsg / OnUpdateCmdUI handler.
#pragma once

// clang-format off

// Resources.
constexpr unsigned IDD_ABOUTBOX              = 100;
constexpr unsigned IDR_MAINFRAME             = 128;   // main menu, main key table, toolbar, icon
constexpr unsigned IDR_ZARNTYPE              = 129;   // menu of a document window
constexpr unsigned IDR_CONTEXT_MENU          = 131;   // the editing view's context menu
constexpr unsigned IDC_MARGIN_CURSOR         = 22900; // mouse cursor over the selection margin
constexpr unsigned IDR_VIEW_KEYS             = 22901; // the view's key table
constexpr unsigned IDB_MARGIN_ICONS          = 22902; // bookmark icons of the selection margin
constexpr unsigned IDS_APP_TITLE             = 57344; // "Zarn Editor"
constexpr unsigned IDS_IDLE_MESSAGE          = 57345; // "Ready"

// File.
constexpr unsigned ID_FILE_NEW               = 57600;
constexpr unsigned ID_FILE_OPEN              = 57601;
constexpr unsigned ID_FILE_CLOSE             = 57602;
constexpr unsigned ID_FILE_SAVE              = 57603;
constexpr unsigned ID_FILE_SAVE_AS           = 57604;
constexpr unsigned ID_FILE_PAGE_SETUP        = 57605;
constexpr unsigned ID_FILE_PRINT_SETUP       = 57606;
constexpr unsigned ID_FILE_PRINT             = 57607;
constexpr unsigned ID_FILE_PRINT_DIRECT      = 57608; // print without the dialog
constexpr unsigned ID_FILE_PRINT_PREVIEW     = 57609;
constexpr unsigned ID_FILE_MRU_FIRST         = 57616; // recent files, one id each
constexpr unsigned ID_FILE_MRU_LAST          = 57631;
constexpr unsigned ID_FILE_LOAD_FROM_IDX     = 32820;

// Edit: framework commands.
constexpr unsigned ID_EDIT_CLEAR             = 57632;
constexpr unsigned ID_EDIT_CLEAR_ALL         = 57633;
constexpr unsigned ID_EDIT_COPY              = 57634;
constexpr unsigned ID_EDIT_CUT               = 57635;
constexpr unsigned ID_EDIT_FIND              = 57636;
constexpr unsigned ID_EDIT_PASTE             = 57637;
constexpr unsigned ID_EDIT_REPEAT            = 57640; // Find Next
constexpr unsigned ID_EDIT_REPLACE           = 57641;
constexpr unsigned ID_EDIT_SELECT_ALL        = 57642;
constexpr unsigned ID_EDIT_UNDO              = 57643;
constexpr unsigned ID_EDIT_REDO              = 57644;
constexpr unsigned ID_EDIT_FIND_PREVIOUS     = 37126;
constexpr unsigned ID_EDIT_GOTO_LINE         = 37127;
constexpr unsigned ID_EDIT_READ_ONLY         = 32795;

// Edit: the editing view's own commands.
constexpr unsigned ID_EDIT_DELETE            = 37000;
constexpr unsigned ID_EDIT_BACKSPACE         = 37001;
constexpr unsigned ID_EDIT_BACKSPACE_WORD    = 37002; // Ctrl+Backspace: back to the word boundary
constexpr unsigned ID_EDIT_TAB               = 37003;
constexpr unsigned ID_EDIT_UNTAB             = 37004;
constexpr unsigned ID_EDIT_TOGGLE_OVERTYPE   = 37005;
constexpr unsigned ID_EDIT_DELETE_WORD       = 37006; // Ctrl+Delete: on to the word boundary

// Caret movement; each _EXT variant extends the selection.
constexpr unsigned ID_MOVE_CHAR_LEFT         = 37100;
constexpr unsigned ID_MOVE_CHAR_LEFT_EXT     = 37101;
constexpr unsigned ID_MOVE_CHAR_RIGHT        = 37102;
constexpr unsigned ID_MOVE_CHAR_RIGHT_EXT    = 37103;
constexpr unsigned ID_MOVE_WORD_LEFT         = 37104;
constexpr unsigned ID_MOVE_WORD_LEFT_EXT     = 37105;
constexpr unsigned ID_MOVE_WORD_RIGHT        = 37106;
constexpr unsigned ID_MOVE_WORD_RIGHT_EXT    = 37107;
constexpr unsigned ID_MOVE_LINE_UP           = 37108;
constexpr unsigned ID_MOVE_LINE_UP_EXT       = 37109;
constexpr unsigned ID_MOVE_LINE_DOWN         = 37110;
constexpr unsigned ID_MOVE_LINE_DOWN_EXT     = 37111;
constexpr unsigned ID_SCROLL_LINE_UP         = 37112;
constexpr unsigned ID_SCROLL_LINE_DOWN       = 37113;
constexpr unsigned ID_MOVE_PAGE_UP           = 37114;
constexpr unsigned ID_MOVE_PAGE_UP_EXT       = 37115;
constexpr unsigned ID_MOVE_PAGE_DOWN         = 37116;
constexpr unsigned ID_MOVE_PAGE_DOWN_EXT     = 37117;
constexpr unsigned ID_MOVE_LINE_END          = 37118;
constexpr unsigned ID_MOVE_LINE_END_EXT      = 37119;
constexpr unsigned ID_MOVE_LINE_START        = 37120;
constexpr unsigned ID_MOVE_LINE_START_EXT    = 37121;
constexpr unsigned ID_MOVE_DOC_START         = 37122;
constexpr unsigned ID_MOVE_DOC_START_EXT     = 37123;
constexpr unsigned ID_MOVE_DOC_END           = 37124;
constexpr unsigned ID_MOVE_DOC_END_EXT       = 37125;

// Bookmarks. The two numbered ranges go to one handler each, which receives the id.
constexpr unsigned ID_TOGGLE_BOOKMARK_FIRST  = 37200; // toggle bookmark 0 .. 9
constexpr unsigned ID_TOGGLE_BOOKMARK_LAST   = 37209;
constexpr unsigned ID_GOTO_BOOKMARK_FIRST    = 37210; // go to bookmark 0 .. 9
constexpr unsigned ID_GOTO_BOOKMARK_LAST     = 37219;
constexpr unsigned ID_CLEAR_BOOKMARKS        = 37220; // numbered bookmarks only
constexpr unsigned ID_TOGGLE_ANON_BOOKMARK   = 37223;
constexpr unsigned ID_NEXT_ANON_BOOKMARK     = 37224;
constexpr unsigned ID_PREV_ANON_BOOKMARK     = 37225;
constexpr unsigned ID_CLEAR_ANON_BOOKMARKS   = 37226;

// View and window.
constexpr unsigned ID_VIEW_TOOLBAR           = 59392;
constexpr unsigned ID_VIEW_STATUS_BAR        = 59393;
constexpr unsigned ID_VIEW_OUTPUT            = 32826;
constexpr unsigned ID_VIEW_LINE_NUMBERS      = 32841; // the line-number column, on or off
constexpr unsigned ID_VIEW_ZOOM_IN           = 32842; // the document's font a point larger
constexpr unsigned ID_VIEW_ZOOM_OUT          = 32843; // and a point smaller
constexpr unsigned ID_VIEW_ZOOM_RESET        = 32844; // back to the font of every document
constexpr unsigned ID_VIEW_FONT              = 32845; // chooses the font of every document
constexpr unsigned ID_WINDOW_NEW             = 57648;
constexpr unsigned ID_WINDOW_ARRANGE         = 57649;
constexpr unsigned ID_WINDOW_CASCADE         = 57650;
constexpr unsigned ID_WINDOW_TILE_HORZ       = 57651;
constexpr unsigned ID_WINDOW_TILE_VERT       = 57652;
constexpr unsigned ID_WINDOW_SPLIT           = 57653;
constexpr unsigned ID_NEXT_PANE              = 57680;
constexpr unsigned ID_PREV_PANE              = 57681;

// Application.
constexpr unsigned ID_APP_ABOUT              = 57664;
constexpr unsigned ID_APP_EXIT               = 57665;
constexpr unsigned ID_KEY_F10                = 32827; // bound to F10; no handler
constexpr unsigned ID_HELP_OPEN_EXAMPLE      = 32840; // opens the user's copy of the example form

// Zarn document.
constexpr unsigned ID_DOC_PROPERTIES         = 32804; // has a prompt, but no menu item
constexpr unsigned ID_CONTEXT_PROPERTIES     = 32808; // Properties of the view's context menu
constexpr unsigned ID_ZARN_PROPERTIES        = 32812;
constexpr unsigned ID_ZARN_HEX_CONVERTER     = 32818;
constexpr unsigned ID_ZARN_INSERT_PROMPT     = 32821; // has a prompt, but no menu item
constexpr unsigned ID_ZARN_INSERT_BUTTON     = 32822; // Insert, toolbar button
constexpr unsigned ID_ZARN_INSERT            = 32823; // Insert, menu and F5
constexpr unsigned ID_ZARN_EXPORT_VEY        = 32824;

// Status-bar indicators.
constexpr unsigned ID_INDICATOR_EXT          = 59136;
constexpr unsigned ID_INDICATOR_CAPS         = 59137;
constexpr unsigned ID_INDICATOR_NUM          = 59138;
constexpr unsigned ID_INDICATOR_SCRL         = 59139;
constexpr unsigned ID_INDICATOR_OVR          = 59140;
constexpr unsigned ID_INDICATOR_REC          = 59141;
constexpr unsigned ID_INDICATOR_BLANK        = 37900; // always disabled, so always blank
constexpr unsigned ID_INDICATOR_READ         = 37901;
constexpr unsigned ID_INDICATOR_GID          = 37902;
constexpr unsigned ID_INDICATOR_POSITION     = 37903; // "Ln %d, Col %d"

// clang-format on
