// The view's and the main window's key tables, one row per binding.
#include "resources/KeyTables.h"

#include "resources/CommandIds.h"

#include <array>

namespace {

constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;
constexpr Qt::KeyboardModifiers kShift = Qt::ShiftModifier;
constexpr Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;
constexpr Qt::KeyboardModifiers kCtrlShift = Qt::ControlModifier | Qt::ShiftModifier;
constexpr Qt::KeyboardModifiers kAlt = Qt::AltModifier;

// clang-format off
constexpr KeyBinding kViewKeys[] = {
    {Qt::Key_Left,      kNone,      ID_MOVE_CHAR_LEFT},
    {Qt::Key_Left,      kShift,     ID_MOVE_CHAR_LEFT_EXT},
    {Qt::Key_Left,      kCtrl,      ID_MOVE_WORD_LEFT},
    {Qt::Key_Left,      kCtrlShift, ID_MOVE_WORD_LEFT_EXT},
    {Qt::Key_Right,     kNone,      ID_MOVE_CHAR_RIGHT},
    {Qt::Key_Right,     kShift,     ID_MOVE_CHAR_RIGHT_EXT},
    {Qt::Key_Right,     kCtrl,      ID_MOVE_WORD_RIGHT},
    {Qt::Key_Right,     kCtrlShift, ID_MOVE_WORD_RIGHT_EXT},
    {Qt::Key_Up,        kNone,      ID_MOVE_LINE_UP},
    {Qt::Key_Up,        kShift,     ID_MOVE_LINE_UP_EXT},
    {Qt::Key_Up,        kCtrl,      ID_SCROLL_LINE_UP},
    {Qt::Key_Down,      kNone,      ID_MOVE_LINE_DOWN},
    {Qt::Key_Down,      kShift,     ID_MOVE_LINE_DOWN_EXT},
    {Qt::Key_Down,      kCtrl,      ID_SCROLL_LINE_DOWN},
    {Qt::Key_PageUp,    kNone,      ID_MOVE_PAGE_UP},
    {Qt::Key_PageUp,    kShift,     ID_MOVE_PAGE_UP_EXT},
    {Qt::Key_PageDown,  kNone,      ID_MOVE_PAGE_DOWN},
    {Qt::Key_PageDown,  kShift,     ID_MOVE_PAGE_DOWN_EXT},
    {Qt::Key_Home,      kNone,      ID_MOVE_LINE_START},
    {Qt::Key_Home,      kShift,     ID_MOVE_LINE_START_EXT},
    {Qt::Key_Home,      kCtrl,      ID_MOVE_DOC_START},
    {Qt::Key_Home,      kCtrlShift, ID_MOVE_DOC_START_EXT},
    {Qt::Key_End,       kNone,      ID_MOVE_LINE_END},
    {Qt::Key_End,       kShift,     ID_MOVE_LINE_END_EXT},
    {Qt::Key_End,       kCtrl,      ID_MOVE_DOC_END},
    {Qt::Key_End,       kCtrlShift, ID_MOVE_DOC_END_EXT},
    {Qt::Key_F2,        kNone,      ID_NEXT_ANON_BOOKMARK},
    {Qt::Key_F2,        kShift,     ID_PREV_ANON_BOOKMARK},
    {Qt::Key_F2,        kCtrl,      ID_TOGGLE_ANON_BOOKMARK},
    {Qt::Key_F2,        kCtrlShift, ID_CLEAR_ANON_BOOKMARKS},
    {Qt::Key_F3,        kNone,      ID_EDIT_REPEAT},
    {Qt::Key_F3,        kShift,     ID_EDIT_FIND_PREVIOUS},
    {Qt::Key_Insert,    kNone,      ID_EDIT_TOGGLE_OVERTYPE},
    {Qt::Key_Insert,    kShift,     ID_EDIT_PASTE},
    {Qt::Key_Insert,    kCtrl,      ID_EDIT_COPY},
    {Qt::Key_Delete,    kNone,      ID_EDIT_DELETE},
    {Qt::Key_Delete,    kShift,     ID_EDIT_CUT},
    {Qt::Key_Delete,    kCtrl,      ID_EDIT_DELETE_WORD},
    {Qt::Key_Backspace, kNone,      ID_EDIT_BACKSPACE},
    {Qt::Key_Backspace, kCtrl,      ID_EDIT_BACKSPACE_WORD},
    {Qt::Key_Backspace, kAlt,       ID_EDIT_UNDO},
    {Qt::Key_Tab,       kNone,      ID_EDIT_TAB},
    {Qt::Key_Tab,       kShift,     ID_EDIT_UNTAB},
    {Qt::Key_0,         kCtrl,      ID_TOGGLE_BOOKMARK_FIRST + 0},
    {Qt::Key_1,         kCtrl,      ID_TOGGLE_BOOKMARK_FIRST + 1},
    {Qt::Key_2,         kCtrl,      ID_TOGGLE_BOOKMARK_FIRST + 2},
    {Qt::Key_3,         kCtrl,      ID_TOGGLE_BOOKMARK_FIRST + 3},
    {Qt::Key_4,         kCtrl,      ID_TOGGLE_BOOKMARK_FIRST + 4},
    {Qt::Key_5,         kCtrl,      ID_TOGGLE_BOOKMARK_FIRST + 5},
    {Qt::Key_6,         kCtrl,      ID_TOGGLE_BOOKMARK_FIRST + 6},
    {Qt::Key_7,         kCtrl,      ID_TOGGLE_BOOKMARK_FIRST + 7},
    {Qt::Key_8,         kCtrl,      ID_TOGGLE_BOOKMARK_FIRST + 8},
    {Qt::Key_9,         kCtrl,      ID_TOGGLE_BOOKMARK_FIRST + 9},
    {Qt::Key_0,         kAlt,       ID_GOTO_BOOKMARK_FIRST + 0},
    {Qt::Key_1,         kAlt,       ID_GOTO_BOOKMARK_FIRST + 1},
    {Qt::Key_2,         kAlt,       ID_GOTO_BOOKMARK_FIRST + 2},
    {Qt::Key_3,         kAlt,       ID_GOTO_BOOKMARK_FIRST + 3},
    {Qt::Key_4,         kAlt,       ID_GOTO_BOOKMARK_FIRST + 4},
    {Qt::Key_5,         kAlt,       ID_GOTO_BOOKMARK_FIRST + 5},
    {Qt::Key_6,         kAlt,       ID_GOTO_BOOKMARK_FIRST + 6},
    {Qt::Key_7,         kAlt,       ID_GOTO_BOOKMARK_FIRST + 7},
    {Qt::Key_8,         kAlt,       ID_GOTO_BOOKMARK_FIRST + 8},
    {Qt::Key_9,         kAlt,       ID_GOTO_BOOKMARK_FIRST + 9},
    {Qt::Key_A,         kCtrl,      ID_EDIT_SELECT_ALL},
    {Qt::Key_C,         kCtrl,      ID_EDIT_COPY},
    {Qt::Key_F,         kCtrl,      ID_EDIT_FIND},
    {Qt::Key_G,         kCtrl,      ID_EDIT_GOTO_LINE},
    {Qt::Key_H,         kCtrl,      ID_EDIT_REPLACE},
    {Qt::Key_V,         kCtrl,      ID_EDIT_PASTE},
    {Qt::Key_X,         kCtrl,      ID_EDIT_CUT},
    {Qt::Key_Y,         kCtrl,      ID_EDIT_REDO},
    {Qt::Key_Z,         kCtrl,      ID_EDIT_UNDO},
};

constexpr KeyBinding kMainKeys[] = {
    {Qt::Key_B,         kCtrl,      ID_ZARN_HEX_CONVERTER},
    {Qt::Key_C,         kCtrl,      ID_EDIT_COPY},
    {Qt::Key_L,         kCtrl,      ID_FILE_LOAD_FROM_IDX},
    {Qt::Key_N,         kCtrl,      ID_FILE_NEW},
    {Qt::Key_O,         kCtrl,      ID_FILE_OPEN},
    {Qt::Key_P,         kCtrl,      ID_FILE_PRINT},
    {Qt::Key_S,         kCtrl,      ID_FILE_SAVE},
    {Qt::Key_V,         kCtrl,      ID_EDIT_PASTE},
    {Qt::Key_Backspace, kAlt,       ID_EDIT_UNDO},
    {Qt::Key_Delete,    kShift,     ID_EDIT_CUT},
    {Qt::Key_F10,       kNone,      ID_KEY_F10},
    {Qt::Key_F5,        kNone,      ID_ZARN_INSERT},
    {Qt::Key_F6,        kNone,      ID_NEXT_PANE},
    {Qt::Key_F6,        kShift,     ID_PREV_PANE},
    {Qt::Key_Insert,    kCtrl,      ID_EDIT_COPY},
    {Qt::Key_Insert,    kShift,     ID_EDIT_PASTE},
    {Qt::Key_Return,    kAlt,       ID_ZARN_PROPERTIES},
    {Qt::Key_X,         kCtrl,      ID_EDIT_CUT},
    {Qt::Key_Z,         kCtrl,      ID_EDIT_UNDO},
    {Qt::Key_Plus,      kCtrl,      ID_VIEW_ZOOM_IN},
    {Qt::Key_Equal,     kCtrl,      ID_VIEW_ZOOM_IN},
    {Qt::Key_Minus,     kCtrl,      ID_VIEW_ZOOM_OUT},
};
// clang-format on

// Only these modifiers take part in a binding; the keypad flag does not.
constexpr Qt::KeyboardModifiers kBindingModifiers =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;

} // namespace

std::span<const KeyBinding> GetViewKeyTable() {
    return kViewKeys;
}

std::span<const KeyBinding> GetMainKeyTable() {
    return kMainKeys;
}

unsigned LookupKeyBinding(std::span<const KeyBinding> table, int nKey,
                          Qt::KeyboardModifiers modifiers) {
    if (nKey == Qt::Key_Backtab) {
        nKey = Qt::Key_Tab;
        modifiers |= Qt::ShiftModifier;
    }
    modifiers &= kBindingModifiers;
    for (const KeyBinding& binding : table) {
        if (binding.nKey == nKey && binding.modifiers == modifiers)
            return binding.nCommand;
    }
    return 0;
}
