// The items of the editing view's context menu (menu 131).
#include "resources/ContextMenu.h"

#include "resources/CommandIds.h"

namespace {

// clang-format off
constexpr MenuItem kContextItems[] = {
    {"Cu&t\tCtrl+X",        ID_EDIT_CUT,             {}},
    {"&Copy\tCtrl+C",       ID_EDIT_COPY,            {}},
    {"&Paste\tCtrl+V",      ID_EDIT_PASTE,           {}},
    {"&Delete\tDel",        ID_EDIT_DELETE,          {}},
    {"Select &All\tCtrl+A", ID_EDIT_SELECT_ALL,      {}},
    {nullptr,               0,                       {}},
    {"Toggle Bookmark",     ID_TOGGLE_ANON_BOOKMARK, {}},
    {"Next Bookmark",       ID_NEXT_ANON_BOOKMARK,   {}},
    {"Previous Bookmark",   ID_PREV_ANON_BOOKMARK,   {}},
    {nullptr,               0,                       {}},
    {"&Properties",         ID_CONTEXT_PROPERTIES,   {}},
};

constexpr MenuItem kContextMenu[] = {
    {"Context", 0, kContextItems},
};
// clang-format on

} // namespace

std::span<const MenuItem> GetContextMenu() {
    return kContextMenu;
}
