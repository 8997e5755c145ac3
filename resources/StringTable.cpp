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
    StringEntry{128, "Zarn Editor"},
    // The document type: window title, document name, file-new name, filter, extension and
    // two registry names, separated by line feeds.
    StringEntry{129, "\nZarn Document\nZarn Editor Document\nKestor Files (*.zarn)\n.zarn\n"
                     "ZarnEditor Document\nZarnEditor Document"},
    StringEntry{8606, "Cannot find string\"%s\""},
    StringEntry{8615, "&Undo %s\tCtrl+Z"},
    StringEntry{8616, "&Redo %s\tCtrl+Y"},
    StringEntry{8617, "&Undo\tCtrl+Z"},
    StringEntry{8618, "&Redo\tCtrl+Y"},
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
    StringEntry{8630, "Delete Word"},
    StringEntry{8631, "Backspace Word"},
    StringEntry{32804, "Properties of the active document\nDocument Properties"},
    StringEntry{32812, "Properties of active document\nProperties"},
    StringEntry{32818, "Load Hex Converter\\Hex"}, // no line feed: all of it is the prompt
    StringEntry{32821, "Insert into MAIN.IDX\tInsert"},
    StringEntry{32822, "Insert into MAIN.IDX file\nInsert"},
    StringEntry{32823, "Insert current document into MAIN.IDX\nInsert"},
    StringEntry{32840, "Open your own copy of the example form\nOpen Example Form"},
    StringEntry{32841, "Show or hide the line numbers left of the text\nLine Numbers"},
    StringEntry{32842, "Show the active document in a larger font\nZoom In"},
    StringEntry{32843, "Show the active document in a smaller font\nZoom Out"},
    StringEntry{32844, "Show the active document in the font of every document\nReset Zoom"},
    StringEntry{32845, "Choose the font and size of every document\nFont"},
    StringEntry{37002, "Delete from the caret back to the start of the word\nBackspace Word"},
    StringEntry{37006, "Delete from the caret to the start of the next word\nDelete Word"},
    StringEntry{37126, "Find the previous occurrence of the specified text\nFind Previous"},
    StringEntry{37127, "Move the caret to a line and column\nGo to Line"},
    StringEntry{37900, "         "},              // 9 blanks: sizes the always blank pane
    StringEntry{37901, "Read"},
    StringEntry{37902, "                      "}, // 22 blanks: sizes the GID pane
    StringEntry{37903, "                       "}, // 23 blanks: sizes the position pane
    StringEntry{57344, "Zarn Editor"},
    StringEntry{57345, "Ready"},
    StringEntry{57600, "Create a new document\nNew"},
    StringEntry{57601, "Open an existing document\nOpen"},
    StringEntry{57602, "Close current document\nClose document"},
    StringEntry{57603, "Save the active document\nSave"},
    StringEntry{57604, "Save the active document with a new name\nSave As"},
    StringEntry{57605, "Change the printing options\nPage Setup"},
    StringEntry{57606, "Change the printer and printing options\nPrint Setup"},
    StringEntry{57607, "Print the active document\nPrint"},
    StringEntry{57608, "OLE initialization failed"},
    StringEntry{57609, "Display full pages\nPrint Preview"},
    StringEntry{57616, "Open this document"},
    StringEntry{57617, "Open this document"},
    StringEntry{57618, "Open this document"},
    StringEntry{57619, "Open this document"},
    StringEntry{57620, "Open this document"},
    StringEntry{57621, "Open this document"},
    StringEntry{57622, "Open this document"},
    StringEntry{57623, "Open this document"},
    StringEntry{57624, "Open this document"},
    StringEntry{57625, "Open this document"},
    StringEntry{57626, "Open this document"},
    StringEntry{57627, "Open this document"},
    StringEntry{57628, "Open this document"},
    StringEntry{57629, "Open this document"},
    StringEntry{57630, "Open this document"},
    StringEntry{57631, "Open this document"},
    StringEntry{57632, "Erase the selection\nErase"},
    StringEntry{57633, "Erase everything\nErase All"},
    StringEntry{57634, "Copy the selection and put it on the Clipboard\nCopy"},
    StringEntry{57635, "Cut the selection and put it on the Clipboard\nCut"},
    StringEntry{57636, "Find the specified text\nFind"},
    StringEntry{57637, "Insert Clipboard contents\nPaste"},
    StringEntry{57640, "Repeat the last action\nRepeat"},
    StringEntry{57641, "Replace specific text with different text\nReplace"},
    StringEntry{57642, "Select the entire document\nSelect All"},
    StringEntry{57643, "Undo the last action\nUndo"},
    StringEntry{57644, "Redo the previously undone action\nRedo"},
    StringEntry{57648, "Open another window for the active document\nNew Window"},
    StringEntry{57649, "Arrange icons at the bottom of the window\nArrange Icons"},
    StringEntry{57650, "Arrange windows so they overlap\nCascade Windows"},
    StringEntry{57651, "Arrange windows as non-overlapping tiles\nTile Windows"},
    StringEntry{57652, "Arrange windows as non-overlapping tiles\nTile Windows"},
    StringEntry{57653, "Split the active window into panes\nSplit"},
    StringEntry{57664, "Display program information, version number and copyright\nAbout"},
    StringEntry{57665, "Quit the application; prompts to save documents\nExit"},
    StringEntry{57680, "Switch to the next window pane\nNext Pane"},
    StringEntry{57681, "Switch back to the previous window pane\nPrevious Pane"},
    StringEntry{59136, "EXT"},
    StringEntry{59137, "CAP"},
    StringEntry{59138, "NUM"},
    StringEntry{59139, "SCRL"},
    StringEntry{59140, "OVR"},
    StringEntry{59141, "REC"},
    StringEntry{59392, "Show or hide the toolbar\nToggle ToolBar"},
    StringEntry{59393, "Show or hide the status bar\nToggle StatusBar"},
    StringEntry{61184, "Change the window size"},
    StringEntry{61185, "Change the window position"},
    StringEntry{61186, "Reduce the window to an icon"},
    StringEntry{61187, "Enlarge the window to full size"},
    StringEntry{61188, "Switch to the next document window"},
    StringEntry{61189, "Switch to the previous document window"},
    StringEntry{61190, "Close the active window and prompts to save the documents"},
    StringEntry{61202, "Restore the window to normal size"},
    StringEntry{61203, "Activate Task List"},
    StringEntry{61215, "Activate this window"},
    StringEntry{61445, "Close print preview mode\nCancel Preview"},
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
