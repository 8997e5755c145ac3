// The string table's entries, sorted by id so that a lookup is a binary search.
#include "resources/StringTable.h"

#include <algorithm>
#include <array>

namespace {

struct StringEntry {
    unsigned id;
    std::string_view text;
};

// clang-format off
constexpr std::array kStrings{
    StringEntry{8619, "Unknown"},
    StringEntry{8620, "Paste"},
    StringEntry{8621, "Delete Selection"},
    StringEntry{8622, "Cut"},
    StringEntry{8623, "Delete"},
    StringEntry{8624, "Typing"},
    StringEntry{8625, "Backspace"},
    StringEntry{8626, "Indent"},
    StringEntry{8627, "Drag And Drop"},
    StringEntry{8628, "Replace"},
    StringEntry{8629, "Auto Indent"},
    StringEntry{37903, "                       "}, // 23 blanks: sizes the position pane
};
// clang-format on

static_assert(std::is_sorted(kStrings.begin(), kStrings.end(),
                             [](const StringEntry& a, const StringEntry& b) {
                                 return a.id < b.id;
                             }),
              "the string table must stay sorted by id");

const StringEntry* Find(unsigned id) {
    auto it = std::lower_bound(kStrings.begin(), kStrings.end(), id,
                               [](const StringEntry& e, unsigned key) { return e.id < key; });
    return (it != kStrings.end() && it->id == id) ? &*it : nullptr;
}

} // namespace

std::string_view LoadResString(unsigned id) {
    const StringEntry* entry = Find(id);
    return entry ? entry->text : std::string_view{};
}

bool HasResString(unsigned id) {
    return Find(id) != nullptr;
}
