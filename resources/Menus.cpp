// The items of the main window's two menus and the buttons of its toolbar.
#include "resources/Menus.h"

#include "resources/CommandIds.h"

namespace {

constexpr MenuItem kSeparator = {nullptr, 0, {}};

// clang-format off
constexpr MenuItem kFileNoDoc[] = {
    {"&New\tCtrl+N",                ID_FILE_NEW,           {}},
    {"&Open...\tCtrl+O",            ID_FILE_OPEN,          {}},
    {"&Load from MAIN.IDX\tCtrl+L", ID_FILE_LOAD_FROM_IDX, {}},
    kSeparator,
    {"P&rint Setup...",             ID_FILE_PRINT_SETUP,   {}},
    kSeparator,
    {"Recent File",                 ID_FILE_MRU_FIRST,     {}},
    kSeparator,
    {"E&xit",                       ID_APP_EXIT,           {}},
};

// Line Numbers and Font are settings of every document, so they are there without one too.
constexpr MenuItem kView[] = {
    {"&Toolbar",          ID_VIEW_TOOLBAR,      {}},
    {"&Status Bar",       ID_VIEW_STATUS_BAR,   {}},
    {"&Output",           ID_VIEW_OUTPUT,       {}},
    kSeparator,
    {"&Line Numbers",     ID_VIEW_LINE_NUMBERS, {}},
    {"Zoom &In\tCtrl++",  ID_VIEW_ZOOM_IN,      {}},
    {"Zoom O&ut\tCtrl+-", ID_VIEW_ZOOM_OUT,     {}},
    {"&Reset Zoom",       ID_VIEW_ZOOM_RESET,   {}},
    {"&Font...",          ID_VIEW_FONT,         {}},
};

constexpr MenuItem kHelpNoDoc[] = {
    {"Open &Example Form", ID_HELP_OPEN_EXAMPLE, {}},
    kSeparator,
    {"&About", ID_APP_ABOUT, {}},
};

constexpr MenuItem kMainMenu[] = {
    {"&File", 0, kFileNoDoc},
    {"&View", 0, kView},
    {"&Help", 0, kHelpNoDoc},
};

constexpr MenuItem kFile[] = {
    {"&New\tCtrl+N",                ID_FILE_NEW,           {}},
    {"&Open...\tCtrl+O",            ID_FILE_OPEN,          {}},
    {"&Load from MAIN.IDX\tCtrl+L", ID_FILE_LOAD_FROM_IDX, {}},
    {"&Close",                      ID_FILE_CLOSE,         {}},
    kSeparator,
    {"&Save\tCtrl+S",               ID_FILE_SAVE,          {}},
    {"Save &As...",                 ID_FILE_SAVE_AS,       {}},
    kSeparator,
    {"&Print...\tCtrl+P",           ID_FILE_PRINT,         {}},
    {"Print Preview",               ID_FILE_PRINT_PREVIEW, {}},
    {"Pa&ge Setup...",              ID_FILE_PAGE_SETUP,    {}},
    {"P&rint Setup...",             ID_FILE_PRINT_SETUP,   {}},
    kSeparator,
    {"Recent File",                 ID_FILE_MRU_FIRST,     {}},
    kSeparator,
    {"E&xit",                       ID_APP_EXIT,           {}},
};

constexpr MenuItem kBookmarks[] = {
    {"Clear All bookmarks", ID_CLEAR_BOOKMARKS,           {}},
    kSeparator,
    {"Bookmark 0",          ID_TOGGLE_BOOKMARK_FIRST + 0, {}},
    {"Bookmark 1",          ID_TOGGLE_BOOKMARK_FIRST + 1, {}},
    {"Bookmark 2",          ID_TOGGLE_BOOKMARK_FIRST + 2, {}},
    {"Bookmark 3",          ID_TOGGLE_BOOKMARK_FIRST + 3, {}},
    {"Bookmark 4",          ID_TOGGLE_BOOKMARK_FIRST + 4, {}},
    {"Bookmark 5",          ID_TOGGLE_BOOKMARK_FIRST + 5, {}},
    {"Bookmark 6",          ID_TOGGLE_BOOKMARK_FIRST + 6, {}},
    {"Bookmark 7",          ID_TOGGLE_BOOKMARK_FIRST + 7, {}},
    {"Bookmark 8",          ID_TOGGLE_BOOKMARK_FIRST + 8, {}},
    {"Bookmark 9",          ID_TOGGLE_BOOKMARK_FIRST + 9, {}},
};

constexpr MenuItem kGotoBookmark[] = {
    {"Bookmark 0", ID_GOTO_BOOKMARK_FIRST + 0, {}},
    {"Bookmark 1", ID_GOTO_BOOKMARK_FIRST + 1, {}},
    {"Bookmark 2", ID_GOTO_BOOKMARK_FIRST + 2, {}},
    {"Bookmark 3", ID_GOTO_BOOKMARK_FIRST + 3, {}},
    {"Bookmark 4", ID_GOTO_BOOKMARK_FIRST + 4, {}},
    {"Bookmark 5", ID_GOTO_BOOKMARK_FIRST + 5, {}},
    {"Bookmark 6", ID_GOTO_BOOKMARK_FIRST + 6, {}},
    {"Bookmark 7", ID_GOTO_BOOKMARK_FIRST + 7, {}},
    {"Bookmark 8", ID_GOTO_BOOKMARK_FIRST + 8, {}},
    {"Bookmark 9", ID_GOTO_BOOKMARK_FIRST + 9, {}},
};

constexpr MenuItem kMoreBookmarks[] = {
    {"Toggle Bookmark",     ID_TOGGLE_ANON_BOOKMARK, {}},
    {"Next Bookmark",       ID_NEXT_ANON_BOOKMARK,   {}},
    {"Previous bookmark",   ID_PREV_ANON_BOOKMARK,   {}},
    {"Clear All Bookmarks", ID_CLEAR_ANON_BOOKMARKS, {}},
};

constexpr MenuItem kEdit[] = {
    {"&Undo\tCtrl+Z",           ID_EDIT_UNDO,          {}},
    {"&Redo\tCtrl+Y",           ID_EDIT_REDO,          {}},
    kSeparator,
    {"Cu&t\tCtrl+X",            ID_EDIT_CUT,           {}},
    {"&Copy\tCtrl+C",           ID_EDIT_COPY,          {}},
    {"&Paste\tCtrl+V",          ID_EDIT_PASTE,         {}},
    {"&Delete\tDel",            ID_EDIT_DELETE,        {}},
    {"Delete &Word\tCtrl+Del",  ID_EDIT_DELETE_WORD,   {}},
    {"&Backspace Word\tCtrl+Backspace", ID_EDIT_BACKSPACE_WORD, {}},
    {"Select &All\tCtrl+A",     ID_EDIT_SELECT_ALL,    {}},
    kSeparator,
    {"&Find...\tCtrl+F",        ID_EDIT_FIND,          {}},
    {"Find &Next\tF3",          ID_EDIT_REPEAT,        {}},
    {"Find Previous\tShift+F3", ID_EDIT_FIND_PREVIOUS, {}},
    {"R&eplace...\tCtrl+H",     ID_EDIT_REPLACE,       {}},
    {"&Go to Line...\tCtrl+G",  ID_EDIT_GOTO_LINE,     {}},
    kSeparator,
    {"Read &Only",              ID_EDIT_READ_ONLY,     {}},
    kSeparator,
    {"Bookmarks",               0,                     kBookmarks},
    {"Goto Bookmark",           0,                     kGotoBookmark},
    {"More Bookmarks",          0,                     kMoreBookmarks},
};

constexpr MenuItem kZarn[] = {
    {"&Insert\tF5",             ID_ZARN_INSERT,        {}},
    kSeparator,
    {"&Properties\tAlt-Enter",  ID_ZARN_PROPERTIES,    {}},
    {"E&xport to Vey Zarn",     ID_ZARN_EXPORT_VEY,    {}},
    kSeparator,
    {"He&x Converter\tCtrl+B",  ID_ZARN_HEX_CONVERTER, {}},
};

// Split is not in the original menu; without it the pane grid could not be reached.
constexpr MenuItem kWindow[] = {
    {"&New Window",    ID_WINDOW_NEW,       {}},
    {"&Cascade",       ID_WINDOW_CASCADE,   {}},
    {"&Tile",          ID_WINDOW_TILE_HORZ, {}},
    {"&Arrange Icons", ID_WINDOW_ARRANGE,   {}},
    {"S&plit",         ID_WINDOW_SPLIT,     {}},
};

constexpr MenuItem kHelp[] = {
    {"Open &Example Form", ID_HELP_OPEN_EXAMPLE, {}},
    kSeparator,
    {"&About...", ID_APP_ABOUT, {}},
};

constexpr MenuItem kDocumentMenu[] = {
    {"&File",   0, kFile},
    {"&Edit",   0, kEdit},
    {"&View",   0, kView},
    {"Z&arn",   0, kZarn},
    {"&Window", 0, kWindow},
    {"&Help",   0, kHelp},
};

constexpr unsigned kToolBar[] = {
    ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_PRINT,
    0,
    ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE,
    0,
    ID_EDIT_UNDO, ID_EDIT_REDO,
    0,
    ID_EDIT_FIND, ID_EDIT_REPEAT, ID_EDIT_FIND_PREVIOUS, ID_EDIT_REPLACE,
    0,
    ID_TOGGLE_ANON_BOOKMARK, ID_NEXT_ANON_BOOKMARK, ID_PREV_ANON_BOOKMARK, ID_CLEAR_ANON_BOOKMARKS,
    0,
    ID_ZARN_PROPERTIES, ID_ZARN_INSERT_BUTTON,
};
// clang-format on

} // namespace

std::span<const MenuItem> GetMenu(unsigned nId) {
    if (nId == IDR_MAINFRAME)
        return kMainMenu;
    if (nId == IDR_ZARNTYPE)
        return kDocumentMenu;
    return {};
}

std::span<const unsigned> GetMainToolBar() {
    return kToolBar;
}
