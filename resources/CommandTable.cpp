// The command table's rows, sorted by id.
#include "resources/CommandTable.h"

#include "resources/CommandIds.h"

#include <array>

namespace {

// clang-format off
constexpr std::array kCommands{
    CommandInfo{ID_EDIT_READ_ONLY,              "Read &Only",                  0,                       nullptr},
    CommandInfo{ID_ZARN_PROPERTIES,             "&Properties\tAlt-Enter",      ID_ZARN_PROPERTIES,      ":/zarn/toolbar/32812.png"},
    CommandInfo{ID_ZARN_HEX_CONVERTER,          "He&x Converter\tCtrl+B",      ID_ZARN_HEX_CONVERTER,   nullptr},
    CommandInfo{ID_FILE_LOAD_FROM_IDX,          "&Load from MAIN.IDX\tCtrl+L", 0,                       nullptr},
    CommandInfo{ID_ZARN_INSERT_BUTTON,          "Insert",                      ID_ZARN_INSERT_BUTTON,   ":/zarn/toolbar/32822.png"},
    CommandInfo{ID_ZARN_INSERT,                 "&Insert\tF5",                 ID_ZARN_INSERT,          nullptr},
    CommandInfo{ID_ZARN_EXPORT_VEY,             "E&xport to Vey Zarn",         0,                       nullptr},
    CommandInfo{ID_VIEW_OUTPUT,                 "&Output",                     0,                       nullptr},
    CommandInfo{ID_KEY_F10,                     "F10",                         0,                       nullptr},
    CommandInfo{ID_HELP_OPEN_EXAMPLE,           "Open &Example Form",          ID_HELP_OPEN_EXAMPLE,    nullptr},
    CommandInfo{ID_VIEW_LINE_NUMBERS,           "&Line Numbers",               ID_VIEW_LINE_NUMBERS,    nullptr},
    CommandInfo{ID_VIEW_ZOOM_IN,                "Zoom &In\tCtrl++",            ID_VIEW_ZOOM_IN,         nullptr},
    CommandInfo{ID_VIEW_ZOOM_OUT,               "Zoom O&ut\tCtrl+-",           ID_VIEW_ZOOM_OUT,        nullptr},
    CommandInfo{ID_VIEW_ZOOM_RESET,             "&Reset Zoom",                 ID_VIEW_ZOOM_RESET,      nullptr},
    CommandInfo{ID_VIEW_FONT,                   "&Font...",                    ID_VIEW_FONT,            nullptr},
    CommandInfo{ID_EDIT_DELETE,                 "&Delete\tDel",                0,                       nullptr},
    CommandInfo{ID_EDIT_BACKSPACE_WORD,         "&Backspace Word\tCtrl+Backspace", ID_EDIT_BACKSPACE_WORD, nullptr},
    CommandInfo{ID_EDIT_DELETE_WORD,            "Delete &Word\tCtrl+Del",      ID_EDIT_DELETE_WORD,     nullptr},
    CommandInfo{ID_EDIT_FIND_PREVIOUS,          "Find Previous\tShift+F3",     ID_EDIT_FIND_PREVIOUS,   ":/zarn/toolbar/37126.png"},
    CommandInfo{ID_EDIT_GOTO_LINE,              "&Go to Line...\tCtrl+G",      ID_EDIT_GOTO_LINE,       nullptr},
    CommandInfo{ID_TOGGLE_BOOKMARK_FIRST + 0,   "Bookmark 0",                  0,                       nullptr},
    CommandInfo{ID_TOGGLE_BOOKMARK_FIRST + 1,   "Bookmark 1",                  0,                       nullptr},
    CommandInfo{ID_TOGGLE_BOOKMARK_FIRST + 2,   "Bookmark 2",                  0,                       nullptr},
    CommandInfo{ID_TOGGLE_BOOKMARK_FIRST + 3,   "Bookmark 3",                  0,                       nullptr},
    CommandInfo{ID_TOGGLE_BOOKMARK_FIRST + 4,   "Bookmark 4",                  0,                       nullptr},
    CommandInfo{ID_TOGGLE_BOOKMARK_FIRST + 5,   "Bookmark 5",                  0,                       nullptr},
    CommandInfo{ID_TOGGLE_BOOKMARK_FIRST + 6,   "Bookmark 6",                  0,                       nullptr},
    CommandInfo{ID_TOGGLE_BOOKMARK_FIRST + 7,   "Bookmark 7",                  0,                       nullptr},
    CommandInfo{ID_TOGGLE_BOOKMARK_FIRST + 8,   "Bookmark 8",                  0,                       nullptr},
    CommandInfo{ID_TOGGLE_BOOKMARK_FIRST + 9,   "Bookmark 9",                  0,                       nullptr},
    CommandInfo{ID_GOTO_BOOKMARK_FIRST + 0,     "Bookmark 0",                  0,                       nullptr},
    CommandInfo{ID_GOTO_BOOKMARK_FIRST + 1,     "Bookmark 1",                  0,                       nullptr},
    CommandInfo{ID_GOTO_BOOKMARK_FIRST + 2,     "Bookmark 2",                  0,                       nullptr},
    CommandInfo{ID_GOTO_BOOKMARK_FIRST + 3,     "Bookmark 3",                  0,                       nullptr},
    CommandInfo{ID_GOTO_BOOKMARK_FIRST + 4,     "Bookmark 4",                  0,                       nullptr},
    CommandInfo{ID_GOTO_BOOKMARK_FIRST + 5,     "Bookmark 5",                  0,                       nullptr},
    CommandInfo{ID_GOTO_BOOKMARK_FIRST + 6,     "Bookmark 6",                  0,                       nullptr},
    CommandInfo{ID_GOTO_BOOKMARK_FIRST + 7,     "Bookmark 7",                  0,                       nullptr},
    CommandInfo{ID_GOTO_BOOKMARK_FIRST + 8,     "Bookmark 8",                  0,                       nullptr},
    CommandInfo{ID_GOTO_BOOKMARK_FIRST + 9,     "Bookmark 9",                  0,                       nullptr},
    CommandInfo{ID_CLEAR_BOOKMARKS,             "Clear All bookmarks",         0,                       nullptr},
    CommandInfo{ID_TOGGLE_ANON_BOOKMARK,        "Toggle Bookmark",             0,                       ":/zarn/toolbar/37223.png"},
    CommandInfo{ID_NEXT_ANON_BOOKMARK,          "Next Bookmark",               0,                       ":/zarn/toolbar/37224.png"},
    CommandInfo{ID_PREV_ANON_BOOKMARK,          "Previous bookmark",           0,                       ":/zarn/toolbar/37225.png"},
    CommandInfo{ID_CLEAR_ANON_BOOKMARKS,        "Clear All Bookmarks",         0,                       ":/zarn/toolbar/37226.png"},
    CommandInfo{ID_FILE_NEW,                    "&New\tCtrl+N",                ID_FILE_NEW,             ":/zarn/toolbar/57600.png"},
    CommandInfo{ID_FILE_OPEN,                   "&Open...\tCtrl+O",            ID_FILE_OPEN,            ":/zarn/toolbar/57601.png"},
    CommandInfo{ID_FILE_CLOSE,                  "&Close",                      ID_FILE_CLOSE,           nullptr},
    CommandInfo{ID_FILE_SAVE,                   "&Save\tCtrl+S",               ID_FILE_SAVE,            ":/zarn/toolbar/57603.png"},
    CommandInfo{ID_FILE_SAVE_AS,                "Save &As...",                 ID_FILE_SAVE_AS,         nullptr},
    CommandInfo{ID_FILE_PAGE_SETUP,             "Pa&ge Setup...",              ID_FILE_PAGE_SETUP,      nullptr},
    CommandInfo{ID_FILE_PRINT_SETUP,            "P&rint Setup...",             ID_FILE_PRINT_SETUP,     nullptr},
    CommandInfo{ID_FILE_PRINT,                  "&Print...\tCtrl+P",           ID_FILE_PRINT,           ":/zarn/toolbar/57607.png"},
    CommandInfo{ID_FILE_PRINT_PREVIEW,          "Print Preview",               ID_FILE_PRINT_PREVIEW,   nullptr},
    CommandInfo{ID_FILE_MRU_FIRST + 0,          "Recent File",                 ID_FILE_MRU_FIRST + 0,   nullptr},
    CommandInfo{ID_FILE_MRU_FIRST + 1,          "",                            ID_FILE_MRU_FIRST + 1,   nullptr},
    CommandInfo{ID_FILE_MRU_FIRST + 2,          "",                            ID_FILE_MRU_FIRST + 2,   nullptr},
    CommandInfo{ID_FILE_MRU_FIRST + 3,          "",                            ID_FILE_MRU_FIRST + 3,   nullptr},
    CommandInfo{ID_EDIT_COPY,                   "&Copy\tCtrl+C",               ID_EDIT_COPY,            ":/zarn/toolbar/57634.png"},
    CommandInfo{ID_EDIT_CUT,                    "Cu&t\tCtrl+X",                ID_EDIT_CUT,             ":/zarn/toolbar/57635.png"},
    CommandInfo{ID_EDIT_FIND,                   "&Find...\tCtrl+F",            ID_EDIT_FIND,            ":/zarn/toolbar/57636.png"},
    CommandInfo{ID_EDIT_PASTE,                  "&Paste\tCtrl+V",              ID_EDIT_PASTE,           ":/zarn/toolbar/57637.png"},
    CommandInfo{ID_EDIT_REPEAT,                 "Find &Next\tF3",              ID_EDIT_REPEAT,          ":/zarn/toolbar/57640.png"},
    CommandInfo{ID_EDIT_REPLACE,                "R&eplace...\tCtrl+H",         ID_EDIT_REPLACE,         ":/zarn/toolbar/57641.png"},
    CommandInfo{ID_EDIT_SELECT_ALL,             "Select &All\tCtrl+A",         ID_EDIT_SELECT_ALL,      nullptr},
    CommandInfo{ID_EDIT_UNDO,                   "&Undo\tCtrl+Z",               ID_EDIT_UNDO,            ":/zarn/toolbar/57643.png"},
    CommandInfo{ID_EDIT_REDO,                   "&Redo\tCtrl+Y",               ID_EDIT_REDO,            ":/zarn/toolbar/57644.png"},
    CommandInfo{ID_WINDOW_NEW,                  "&New Window",                 ID_WINDOW_NEW,           nullptr},
    CommandInfo{ID_WINDOW_ARRANGE,              "&Arrange Icons",              ID_WINDOW_ARRANGE,       nullptr},
    CommandInfo{ID_WINDOW_CASCADE,              "&Cascade",                    ID_WINDOW_CASCADE,       nullptr},
    CommandInfo{ID_WINDOW_TILE_HORZ,            "&Tile",                       ID_WINDOW_TILE_HORZ,     nullptr},
    CommandInfo{ID_WINDOW_SPLIT,                "S&plit",                      ID_WINDOW_SPLIT,         nullptr},
    CommandInfo{ID_APP_ABOUT,                   "&About...",                   ID_APP_ABOUT,            nullptr},
    CommandInfo{ID_APP_EXIT,                    "E&xit",                       ID_APP_EXIT,             nullptr},
    CommandInfo{ID_NEXT_PANE,                   "Next Pane\tF6",               ID_NEXT_PANE,            nullptr},
    CommandInfo{ID_PREV_PANE,                   "Previous Pane\tShift+F6",     ID_PREV_PANE,            nullptr},
    CommandInfo{ID_VIEW_TOOLBAR,                "&Toolbar",                    ID_VIEW_TOOLBAR,         nullptr},
    CommandInfo{ID_VIEW_STATUS_BAR,             "&Status Bar",                 ID_VIEW_STATUS_BAR,      nullptr},
};
// clang-format on

constexpr bool IsSortedById() {
    for (size_t i = 1; i < kCommands.size(); ++i) {
        if (kCommands[i - 1].nId >= kCommands[i].nId)
            return false;
    }
    return true;
}
static_assert(IsSortedById(), "the command table must stay sorted by id, each id once");

} // namespace

std::span<const CommandInfo> GetCommandTable() {
    return kCommands;
}
