// The edit view on real widgets: editing keys, the clipboard, drag and drop and Replace as
// golden key scripts with their undo groups, then what a script cannot say.
#include "editview/EditView.h"

#include "DialogDriver.h"
#include "GoldenText.h"
#include "editview/ReplaceTextDlg.h"
#include "resources/CommandIds.h"
#include "tests/support/PrintQString.h"

#include <QtTest>
#include <QtWidgets>

namespace {

constexpr Qt::DropActions BOTH = Qt::CopyAction | Qt::MoveAction;

CCmdUI CommandUI(CTextView& view, unsigned nId) {
    CCmdUI cmdUI(nId);
    view.RouteUpdateCmdUI(nId, cmdUI);
    return cmdUI;
}

// The group the Undo item names: "Typing" for "&Undo Typing\tCtrl+Z", "" for "&Undo\tCtrl+Z".
std::string UndoGroup(CTextView& view) {
    const std::string strItem = CommandUI(view, ID_EDIT_UNDO).GetText();
    if (strItem == "&Undo\tCtrl+Z")
        return "";
    const bool bGroup = strItem.starts_with("&Undo ") && strItem.ends_with("\tCtrl+Z");
    return bGroup ? strItem.substr(6, strItem.size() - 13) : "not an Undo item: " + strItem;
}

// Of Cut, Undo, Redo, the READ, OVR and blank indicators and Paste those enabled, then
// "checked" when the overtype command is.
std::string Enabled(CTextView& view) {
    const unsigned ids[] = {ID_EDIT_CUT,      ID_EDIT_UNDO,       ID_EDIT_REDO, ID_INDICATOR_READ,
                            ID_INDICATOR_OVR, ID_INDICATOR_BLANK, ID_EDIT_PASTE};
    const char* names[] = {"cut", "undo", "redo", "read", "ovr", "blank", "paste"};
    std::string strEnabled;
    for (size_t i = 0; i < std::size(ids); ++i)
        strEnabled += CommandUI(view, ids[i]).IsEnabled() ? std::string(names[i]) + " " : "";
    return strEnabled + (CommandUI(view, ID_EDIT_TOGGLE_OVERTYPE).GetCheck() == 1 ? "checked" : "");
}

std::vector<std::string> LinesOf(const CTextBuffer& buffer) {
    std::vector<std::string> lines;
    for (int i = 0; i < buffer.GetLineCount(); ++i)
        lines.emplace_back(buffer.GetLineView(i));
    return lines;
}

// A point on the left half of the cell of character column x on screen row y.
QPoint CellPoint(CTextView& view, int x, int y) {
    return {view.GetMarginWidth() + x * view.GetCharWidth() + 1,
            y * view.GetLineHeight() + view.GetLineHeight() / 2};
}

// Sends the drag events "e"nter, "m"ove, "d"rop at pt as a drag loop would (a drop after a
// refused move is a leave): the drop's action, IgnoreAction for a refused step, else CopyAction.
Qt::DropAction Drag(CTextView& view, const QMimeData* pData, QPoint pt,
                    std::string_view steps = "emd", Qt::DropActions possible = BOTH,
                    Qt::KeyboardModifiers keys = Qt::NoModifier) {
    for (const char step : steps) {
        QDragEnterEvent enter(pt, possible, pData, Qt::LeftButton, keys);
        QDragMoveEvent move(pt, possible, pData, Qt::LeftButton, keys);
        QDropEvent drop(QPointF(pt), possible, pData, Qt::LeftButton, keys);
        QDropEvent& event = step == 'e' ? enter : step == 'm' ? move : drop;
        QApplication::sendEvent(view.viewport(), &event);
        if (!event.isAccepted() && step == 'm' && steps.back() == 'd') {
            QDragLeaveEvent leave;
            QApplication::sendEvent(view.viewport(), &leave);
        }
        if (!event.isAccepted() || step == 'd')
            return event.isAccepted() ? event.dropAction() : Qt::IgnoreAction;
    }
    return Qt::CopyAction;
}

// A text in UTF-8, or for null an image without text.
std::unique_ptr<QMimeData> MimeData(const char* pszUtf8) {
    auto pData = std::make_unique<QMimeData>();
    if (pszUtf8)
        pData->setText(QString::fromUtf8(pszUtf8));
    else
        pData->setData(QStringLiteral("image/png"), QByteArray("png"));
    return pData;
}

// An edit view whose drag loop is a drop on m_pTarget (itself when null) at m_ptDrop; a null
// point cancels the drag.
class CProbeEditView : public TProbe<CTextEditView> {
public:
    using CTextEditView::m_bKeepIndent;
    using CTextEditView::m_bOvertype;
    using CTextEditView::m_ptDropCaret;

    Qt::DropAction ExecDrag(std::unique_ptr<QMimeData> pData, Qt::DropActions effects) override {
        m_effects = effects;
        if (m_ptDrop.isNull())
            return Qt::IgnoreAction;
        return Drag(m_pTarget ? *m_pTarget : *this, pData.get(), m_ptDrop, "emd", effects,
                    m_dropKeys);
    }
    // Presses inside the selection on cell (x, y) and moves far enough to start the drag.
    void DragFrom(int x, int y) {
        const QPoint pt = CellPoint(*this, x, y);
        QTest::mousePress(viewport(), Qt::LeftButton, Qt::NoModifier, pt);
        QTest::mouseMove(viewport(), pt + QPoint(0, QApplication::startDragDistance() + 1));
        QTest::mouseRelease(viewport(), Qt::LeftButton, Qt::NoModifier, pt);
    }

    CTextView* m_pTarget = nullptr;
    QPoint m_ptDrop;
    Qt::KeyboardModifiers m_dropKeys = Qt::NoModifier;
    Qt::DropActions m_effects;
};

using CEditFixture = TGoldenFixture<CProbeEditView>;

constexpr const char* FIND_WHAT = "IDC_EDIT_FINDTEXT_8605";
constexpr const char* REPLACE_WITH = "IDC_EDIT_REPLACE_WITH_8609";
constexpr const char* WHOLE_WORD = "IDC_EDIT_WHOLE_WORD_8603";
constexpr const char* MATCH_CASE = "IDC_EDIT_MATCH_CASE_8604";
constexpr const char* FIND_NEXT = "IDC_EDIT_SKIP_8610";

QString ProfileText(const char* pszName) {
    return QSettings().value(QStringLiteral("TextEdit/Replace/") + pszName).toString();
}

QLineEdit& Edit(QWidget& dlg, const char* pszName) {
    return Control<QLineEdit>(dlg, pszName);
}

void Click(QWidget& dlg, const char* pszButton) {
    QTest::mouseClick(&Control<QAbstractButton>(dlg, pszButton), Qt::LeftButton);
}

// Ctrl+H, the two texts, then fn on the open dialog; the dialog is cancelled afterwards.
void RunReplace(CTextView& view, const QString& strFind, const QString& strReplace,
                std::function<void(CReplaceTextDlg&)> fn) {
    WhenModalShows<CReplaceTextDlg>([=](CReplaceTextDlg& dlg) {
        Edit(dlg, FIND_WHAT).setText(strFind);
        Edit(dlg, REPLACE_WITH).setText(strReplace);
        fn(dlg);
    });
    QTest::keyClick(&view, Qt::Key_H, Qt::ControlModifier);
}

// Replace, without remembered settings, from "find/replace/presses": Find Next, Replace, replace
// All, Enter in Find what, toggles of Whole word and match Case. The dialog offers a selection
// as its scope, stays open, searches again from the scope's start after a "not found", and
// leaves the texts in the profile, characters the document cannot hold included.
void ReplaceStep(CTextView& view, const std::string& strArgs) {
    const size_t nSlash = strArgs.find('/');
    const size_t nPresses = strArgs.find('/', nSlash + 1) + 1;
    const QString strFind = QString::fromUtf8(strArgs.substr(0, nSlash));
    const QString strReplace = QString::fromUtf8(strArgs.substr(nSlash + 1, nPresses - nSlash - 2));
    QSettings().remove(QStringLiteral("TextEdit/Replace"));
    TextPos ptLow, ptHigh, ptStart, ptEnd;
    view.GetOrderedSelection(ptLow, ptHigh);
    const bool bInSelection = ptLow != ptHigh;
    RunReplace(view, strFind, strReplace, [&](CReplaceTextDlg& dlg) {
        EXPECT_EQ(Control<QRadioButton>(dlg, "IDC_EDIT_SCOPE_SELECTION_8613").isEnabled(),
                  bInSelection);
        EXPECT_EQ(Control<QRadioButton>(dlg, "IDC_EDIT_SCOPE_SELECTION_8613").isChecked(),
                  bInSelection);
        EXPECT_NE(Control<QRadioButton>(dlg, "IDC_EDIT_SCOPE_WHOLEFILE_8614").isChecked(),
                  bInSelection);
        const char* buttons[] = {FIND_NEXT, "IDC_EDIT_REPLACE_8607", "IDC_EDIT_REPLACE_ALL_8608",
                                 WHOLE_WORD, MATCH_CASE};
        for (const char press : strArgs.substr(nPresses)) {
            if (press == 'E')
                QTest::keyClick(&Edit(dlg, FIND_WHAT), Qt::Key_Return);
            else
                Click(dlg, buttons[std::string_view("FRAWC").find(press)]);
        }
        EXPECT_TRUE(dlg.isVisible());
        ptStart = dlg.m_ptStartPos;
        ptEnd = dlg.m_ptRangeEnd;
    });
    view.GetOrderedSelection(ptLow, ptHigh);
    if (bInSelection) {
        EXPECT_EQ(ptStart, ptLow);
        EXPECT_EQ(ptEnd, ptHigh);
    }
    EXPECT_EQ(ProfileText("FindWhat"), strFind);
    EXPECT_EQ(ProfileText("ReplaceWith"), strReplace);
}

// Runs a script of steps separated by blanks: key names as QKeySequence spells them, text in
// double quotes typed as one key event, "@x,y" a click on cell (x, y), "ro" / "rw" making the
// buffer read-only or not, "clear" emptying the clipboard; without a command, which would end
// the typing, "paste" and "sel:x,y>u,v" selecting cells (x, y) to (u, v); "drag:x,y>u,v" a
// drag of the selection from cell (x, y) dropped on (u, v) ("copy:" with Ctrl, cancelled
// without a drop cell); "drop:x,y>move" the clipboard's text dropped from outside, answered
// with a move ("^drop:" with Ctrl, "cdrop:" from a source that only copies, "idrop:" an
// image); "pre:text" and "ime:text" an input method's preedit and commit; "char:n" and
// "text:text" handed to OnChar and OnTypedText; "down" and "up" of the mouse in the window;
// "rs:text" and "xrs:text" replacing the selection, the latter refused; "replace:".
void Keys(CProbeEditView& view, std::string_view script) {
    for (size_t i = 0, nEnd = 0; i < script.size(); i = nEnd + 1) {
        nEnd = std::min(script.find(script[i] == '"' ? '"' : ' ', i + 1), script.size());
        const std::string step(script.substr(i, nEnd - i));
        const std::string strName = step.substr(0, step.find(':'));
        const std::string strArgs = step.substr(std::min(step.find(':') + 1, step.size()));
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        const int nCells = std::sscanf(strArgs.c_str(), "%d,%d>%d,%d", &x0, &y0, &x1, &y1);
        if (step[0] == '"') {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                          QString::fromUtf8(step.substr(1)));
            QApplication::sendEvent(&view, &key);
            ++nEnd;
        } else if (step == "ro" || step == "rw") {
            view.GetBuffer()->SetReadOnly(step == "ro");
        } else if (step == "clear") {
            QGuiApplication::clipboard()->clear();
        } else if (step == "paste") {
            view.Paste();
        } else if (step[0] == '@') {
            std::sscanf(step.c_str(), "@%d,%d", &x0, &y0);
            QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier,
                              CellPoint(view, x0, y0));
        } else if (strName == "char" || strName == "text") {
            strName == "char" ? view.OnChar(std::stoul(strArgs))
                              : view.OnTypedText(QString::fromUtf8(strArgs));
        } else if (step == "down" || step == "up") {
            QWindow* pWindow = view.window()->windowHandle();
            const QPoint pt = view.viewport()->mapTo(view.window(), CellPoint(view, 5, 3));
            if (step == "down")
                QTest::mousePress(pWindow, Qt::LeftButton, Qt::NoModifier, pt);
            else
                QTest::mouseRelease(pWindow, Qt::LeftButton, Qt::NoModifier, pt);
            ASSERT_EQ(QGuiApplication::mouseButtons() == Qt::LeftButton, step == "down");
        } else if (strName == "sel") {
            view.PutCaretAt({x1, y1});
            view.SetSelectionRange({x0, y0}, {x1, y1});
        } else if (strName == "drag" || strName == "copy") {
            view.m_ptDrop = nCells == 4 ? CellPoint(view, x1, y1) : QPoint();
            view.m_dropKeys = strName == "copy" ? Qt::ControlModifier : Qt::NoModifier;
            view.DragFrom(x0, y0);
        } else if (strName == "pre" || strName == "ime") {
            QInputMethodEvent event(strName == "pre" ? QString::fromUtf8(strArgs) : QString(), {});
            event.setCommitString(strName == "ime" ? QString::fromUtf8(strArgs) : QString());
            QApplication::sendEvent(&view, &event);
        } else if (strName.ends_with("drop")) {
            const QByteArray text = QGuiApplication::clipboard()->text().toUtf8();
            const auto pData = MimeData(strName == "idrop" ? nullptr : text.constData());
            const auto possible = strName == "cdrop" ? Qt::CopyAction : BOTH;
            const auto keys = strName == "^drop" ? Qt::ControlModifier : Qt::NoModifier;
            const char* actions[] = {"none", "copy", "move"};
            EXPECT_EQ(
                actions[Drag(view, pData.get(), CellPoint(view, x0, y0), "emd", possible, keys)],
                strArgs.substr(strArgs.find('>') + 1));
        } else if (strName == "rs" || strName == "xrs") {
            EXPECT_EQ(view.ReplaceSelectedText(strArgs), strName == "rs") << step;
        } else if (strName == "replace") {
            ReplaceStep(view, strArgs);
        } else {
            const QKeySequence keys =
                QKeySequence::fromString(QString::fromUtf8(step), QKeySequence::PortableText);
            ASSERT_TRUE(keys.count() == 1 && keys[0].key() != Qt::Key_unknown) << step;
            QTest::keyClick(&view, keys[0].key(), keys[0].keyboardModifiers());
        }
    }
}

// nUndos Undos bring the text of golden back, with nothing left to undo.
void ExpectUndoneTo(CTextView& view, int nUndos, std::string_view golden) {
    view.GetBuffer()->SetReadOnly(false);
    Press(view, Qt::Key_Z, Qt::ControlModifier, nUndos);
    EXPECT_EQ(LinesOf(*view.GetBuffer()), ParseGolden(golden).lines);
    EXPECT_FALSE(view.GetBuffer()->CanUndo());
}

// One golden edit: the text before, a script on it, the text after.
struct EditCase {
    const char* pszBefore;
    const char* pszKeys;
    const char* pszAfter;
    const char* pszUndo = nullptr;    // the group the Undo item names afterwards; null: unchecked
    int nUndos = -1;                  // for ExpectUndoneTo; -1: unchecked
    const char* pszClipIn = nullptr;  // UTF-8 text put on the clipboard first
    const char* pszClipOut = nullptr; // the clipboard's text afterwards
    const char* pszMessages = "";     // the message boxes shown, one a line
};

#define NO_ARROW " U+2192 (\xE2\x86\x92): not in the document's encoding, Windows-1252."
#define NOT_FOUND(text) "Cannot find string\"" text "\""

// Before, script, after, Undo group, Undos back to before, clipboard in and out, messages.
// clang-format off
const EditCase EDITS[] = {
    {"a[b\nc]|d",  "\"x\"",                 "ax|d",          "Delete Selection", 1},
    {"|",          "\"~!\"",                "~!|"},
    // Characters go in as their Windows-1252 bytes.
    {"a|bcd",      "\"\xC3\xA9\xE2\x82\xAC\xC3\xBC\" Ins \"\xE2\x84\xA2\"", "a\xE9\x80\xFC\x99|cd"},
    // The input method types only committed text, whole or not at all.
    {"a|bcd",      "pre:ni ime:\xC5\x92",   "a\x8C|bcd",     "Typing", 1},
    {"a|bcd",      "\"y\" Ctrl+Z ime:x\xE2\x86\x92 Ctrl+Y", "ay|bcd"},
    // Overtype replaces the character under the caret, never the line end or a selection.
    {"a|[bc]d",    "Ins \"x\"",             "ax|d"},
    {"ab|cd",      "Ins \"x\"",             "abx|d",         "Typing", 1},
    {"a|\tb",      "Ins \"x\"",             "ax|b"},
    {"ab|\ncd",    "Ins \"xy\"",            "abxy|\ncd"},
    {"ab|cd",      "Ins \"XY\" Ins \"Z\"",  "abXYZ|"},
    // Enter copies the leading blanks and tabs; the first Undo takes them, the second the break.
    {"    ab|c",   "Return",                "    ab\n    |c", "Auto Indent", 2},
    {"    ab|c",   "Return Ctrl+Z",         "    ab\n|c",     "Typing", 1},
    {"\t x|",      "Enter",                 "\t x\n\t |"},
    {"abc|",       "Return",                "abc\n|",        "Typing", 1},
    {"ab|",        "\"cd\" Return Ctrl+Z",  "abcd|",          "Typing", 1},
    {"  a[bc]|d",  "Return",                "  a\n  |d"},
    {"|  abc",     "Return",                "\n|  abc"},
    {"\xA0x|",     "Return",                "\xA0x\n|"},
    // In overtype Enter only moves down, except on the last line, and never indents.
    {"  a|b\n  cd", "Ins Return",           "  ab\n|  cd",   "",       0},
    {"  ab\n  c|d", "Ins Return",           "  ab\n  c\n|d"},
    {"ab|cd",      "Del",                   "ab|d",          "Delete", 1},
    {"ab|\ncd",    "Del",                   "ab|cd"},
    {"ab\ncd|",    "Del",                   "ab\ncd|",       "",       0},
    {"a[b\nc]|d",  "Del",                   "a|d",           "Delete", 1},
    {"ab|cd",      "Backspace",             "a|cd",          "Backspace", 1},
    {"|abcd",      "Backspace",             "|abcd",         "",       0},
    {"0\n1\n2x\n|3", "Backspace",           "0\n1\n2x|3"},
    {"a[bc]|d",    "Backspace",             "a|d",           "Delete", 1},
    // Keys with Ctrl or Alt, control codes and text while a mouse button is down type nothing.
    {"ab|",        "char:7 char:300 text:\x1b\t down char:120 text:\xE2\x82\xAC up", "ab|", "", 0},
    {"ab|",        "char:120 char:255",     "abx\xFF|"},
    {"ab|",        "Ctrl+Q Alt+X Esc",      "ab|",           "",       0},
    {"  a[b\n  c]|d", "ro \"xy \" Return Del Backspace Tab Backtab Ctrl+X Ctrl+V Ctrl+Del Ctrl+Backspace",
                                            "  a[b\n  c]|d", "",       0, "p"},
    // Nor does Enter after a typed line break, nor Undo, which leaves the caret alone too.
    {"  ab|",      "Ins Return Ins ro Return", "  ab\n|",      "Typing", 1},
    {"ab|",        "\"c\" ro Home Ctrl+Z",   "|abc",          "Typing", 1},
    // A word and the blank before it undo together; typing after an Undo is a group of its own.
    {"|",          "\"abc\" \" de\"",       "abc de|",       "Typing"}, // a blank is text
    {"|",          "\"abc de\" Ctrl+Z",     "abc|",          "Typing", 1},
    {"|",          "\"ab c\" Ctrl+Z \"x\" Ctrl+Z Ctrl+Y Ctrl+Y", "abx|"},
    {"ab|\nxy",    "\"cd\" \"ef\" Ctrl+Z",  "ab|\nxy"},
    {"ab|\nxy",    "\"cd\" Left Right \"ef\" Ctrl+Z", "abcd|\nxy"},
    {"ab|\nxy",    "\"cd\" Ctrl+V \"ef\" Ctrl+Z", "abcdXY|\nxy", nullptr, -1, "XY"},
    {"ab|\nxy",    "\"cd\" Backspace \"ef\" Ctrl+Z", "abc|\nxy"},
    {"ab|\nxy",    "\"cd\" Ctrl+Z Ctrl+Y \"ef\" Ctrl+Z", "abcd|\nxy"},
    {"ab|\nxy",    "\"cd\" @4,0 \"ef\" Ctrl+Z", "abcd|\nxy"},
    {"ab|",        "\"c\" Alt+Backspace",  "ab|",           "",       0},
    {"a[bc]|d",    "Return",                "a\n|d",         "Delete Selection", 1},
    // Undoing a deletion leaves the caret after the text put back; redoing it, where it was.
    {"ab\nc|de",   "Del Del Ctrl+Home Ctrl+Z", "ab\nce|"},
    {"ab\nc|de",   "Del Del Ctrl+Z Ctrl+Z",   "ab\ncd|e"},
    {"ab\nc|de",   "Del Del Ctrl+Z Ctrl+Z Ctrl+Home Ctrl+Y", "ab\nc|e"},
    // An empty paste after a typed line break adds no indentation; no text deletes the selection.
    {"  ab|",      "Ins Return Ins paste",  "  ab\n|",        nullptr,  1, ""},
    {"a[bc]|d",    "clear paste",           "a|d",           "Delete Selection", 1},
    {"foo bar|",      "Ctrl+Backspace", "foo |",      "Backspace Word", 1},
    {"foo bar  |x",   "Ctrl+Backspace", "foo |x",     "Backspace Word", 1},
    {"foo ba|r",      "Ctrl+Backspace", "foo |r",     "Backspace Word", 1},
    {"x  +=  |y",     "Ctrl+Backspace", "x  |y",      "Backspace Word", 1},
    {"abc  \n|def",   "Ctrl+Backspace", "|def",       "Backspace Word", 1},
    {"a b\n\n|c",     "Ctrl+Backspace", "a b\n|c",    "Backspace Word", 1},
    {"|abc",          "Ctrl+Backspace", "|abc",       "",               0},
    {"a[bc]|d",       "Ctrl+Backspace", "a|d",        "Delete",         1},
    {"foo b|ar",      "ro Ctrl+Backspace Ctrl+Del", "foo b|ar", "",     0},
    {"|foo bar",      "Ctrl+Del",       "|bar",       "Delete Word",    1},
    {"fo|o bar",      "Ctrl+Del",       "fo|bar",     "Delete Word",    1},
    {"foo| bar",      "Ctrl+Del",       "foo|bar",    "Delete Word",    1},
    {"a|+=b c",       "Ctrl+Del",       "a|b c",      "Delete Word",    1},
    {"abc|\n  def",   "Ctrl+Del",       "abc|def",    "Delete Word",    1},
    {"abc|\ndef ghi", "Ctrl+Del",       "abc|ghi",    "Delete Word",    1},
    {"abc|\n\nx",     "Ctrl+Del",       "abc|x",      "Delete Word",    1},
    {"abc|\n",        "Ctrl+Del",       "abc|",       "Delete Word",    1},
    {"abc|",          "Ctrl+Del",       "abc|",       "",               0},
    {"[ab]|c",        "Ctrl+Del",       "|c",         "Delete",         1},
    {"ab|cd",      "Tab",      "ab\t|cd",        "Typing", 1},
    {"a[bc]|d",    "Tab",      "a\t|d"},
    // A block gains a tab on each line, one group; one ending at column 0 leaves its end line.
    {"line 0\nli[ne 1\nline 2\nline 3\n]|line 4", "Tab",
     "line 0\n[\tline 1\n\tline 2\n\tline 3\n]|line 4", "Indent", 1},
    {"line 0\nli[ne 1\nline 2\nline 3\n]|line 4", "Tab Tab",
     "line 0\n[\t\tline 1\n\t\tline 2\n\t\tline 3\n]|line 4", "Indent", 2},
    {"ab\nc|[d\nef]gh", "Tab", "ab\n[\tcd\n\tefgh]|", "Indent", 1},
    {"a[b\ncd]|\nef",   "Tab", "[\tab\n\tcd\n]|ef"},
    {"[  \tx\n     y\n\tz\nabc\n\n   \n  ]|w", "Shift+Tab", "[x\n y\nz\nabc\n\n\nw]|", "Indent", 1},
    // Shift+Tab without a block moves back to a tab stop, overtype Tab on to the next one.
    {"abcdefgh|ij", "Backtab", "abcd|efghij",    "",       0},
    {"abcdef|ghij", "Backtab", "abcd|efghij"},
    {"abc|d",       "Backtab", "|abcd"},
    {"|abcd",       "Backtab", "|abcd"},
    {"a\tb\t|c",    "Backtab", "a\t|b\tc"},
    {"ab[cdef]|gh", "Backtab", "abcd|efgh",      "",       0},
    {"ab|cdefgh",   "Ins Tab", "abcd|efgh",      "",       0},
    {"abcd|efgh",   "Ins Tab", "abcdefgh|"},
    {"a|b\tcd",     "Ins Tab", "ab\t|cd"},
    {"ab|c",        "Ins Tab", "abc|"},
    {"abc|",        "Ins Tab", "abc\t|",         "Typing", 1},
    // A drag moves, with Ctrl copies, in one step, also to before itself; onto itself, the caret.
    {"one [two]| three", "drag:5,0>14,0",  "one  three[two]|",   "Drag And Drop", 1},
    {"one [two]| three", "copy:5,0>0,0",   "[two]|one two three", "Drag And Drop", 1},
    {"one [two]| three", "drag:4,0>5,0",   "one t|wo three",     "",              0},
    {"ab[cd]|",          "drag:2,0>0,0",   "[cd]|ab",            "Drag And Drop", 1},
    {"x\nab\ncd[e\nf]|g", "drag:2,2>0,0",   "[e\nf]|x\nab\ncdg",   "Drag And Drop", 1},
    // A drag, even a cancelled one, after a typed line break adds no indentation.
    {"  ab\n  cd|",      "Ins Return Ins sel:2,1>4,1 drag:3,1>", "  ab\n  [cd]|\n", nullptr, 1},
    // Text from outside is a move unless Ctrl or the source asks for a copy, or is refused whole.
    {"ab|cd\nef", "drop:1,1>move",  "abcd\ne[X\nY\xE9\x80]|f", "Drag And Drop", 1, "X\nY\xC3\xA9\xE2\x82\xAC"},
    {"ab|cd\nef", "^drop:1,1>copy", "abcd\ne[X]|f",  "Drag And Drop", 1, "X"},
    {"ab|cd\nef", "cdrop:1,1>copy", "abcd\ne[X]|f",  "Drag And Drop", 1, "X"},
    {"ab|cd\nef", "ro drop:1,1>none", "ab|cd\nef",   "",              0, "X"},
    {"ab|cd\nef", "idrop:1,1>none", "ab|cd\nef",     "",              0},
    {"|",         "drop:0,0>none",  "|",              "",              0, "x\xE2\x82\xAC\ny \xE2\x86\x92", nullptr, "Cannot drop" NO_ARROW},
    // The clipboard: text leaves with LF line ends and Windows-1252 characters.
    {"ab[c\nd\xE9\x80\x81]|f", "Ctrl+X", "ab|f", "Cut",    1, nullptr, "c\nd\xC3\xA9\xE2\x82\xAC\xC2\x81"},
    {"[a]|bc",         "Shift+Del", "|bc",     "Cut",    1, nullptr, "a"},
    {"ab|c",           "Ctrl+X",    "ab|c",    "",       0, "kept",  "kept"},
    {"a[bc]|d",        "ro Ctrl+X", "a[bc]|d", "",       0, "kept",  "kept"},
    {"[\x80\x81\x9F]|", "Ctrl+C End Ctrl+V", "\x80\x81\x9F\x80\x81\x9F|", nullptr, -1, nullptr, "\xE2\x82\xAC\xC2\x81\xC5\xB8"},
    {"[alpha\n\tbeta\n]|gamma", "Ctrl+C Ctrl+End Ctrl+V", "alpha\n\tbeta\ngammaalpha\n\tbeta\n|",
     nullptr, -1, nullptr, "alpha\n\tbeta\n"},
    // It comes in with every lone LF or CR made a line break.
    {"x|y", "Ctrl+V", "xone\ntwo\nthree \xE9\x80|y", "Paste", 1,
     "one\ntwo\r\nthree \xC3\xA9\xE2\x82\xAC"},
    {"x|y",            "Shift+Ins", "xa\nb\n|y", nullptr, -1, "a\rb\n"},
    {"a[bc\nd]|e",     "Ctrl+V",    "aXY|e",   nullptr,  1, "XY"},
    {"a[bc]|d",        "Ctrl+V",    "ap|d",    "Delete Selection", 1, "p"},
    {"[ab]|",          "Ctrl+V",    "[ab]|",   "",       0, "x\xE2\x82\xAC\ny \xE2\x86\x92 z", nullptr, "Cannot paste" NO_ARROW},
    // Replacing the selection selects the new text, in two groups, or one for an empty text.
    {"a[bc]|d\nx",  "rs:XYZ",            "a[XYZ]|d\nx",    "Replace", 2},
    {"a[bc]|d\nx",  "rs:XYZ Ctrl+Z",     "a|d\nx",         "Delete Selection", 1},
    {"a|[b\nc]d",   "rs:-",              "a[-]|d",         "Replace", 2},
    {"a|[b\nc]d",   "rs:- rs: Ctrl+Z",   "a-|d"},
    {"a|-d",        "xrs:x Home Shift+Right ro xrs:x", "[a]|-d", "", 0},
    // Replace: a text that holds the one searched for ends all the same; no going round the end.
    {"|aaa",        "replace:a/aa/A",     "aaaa[aa]|",      "Replace", 1, nullptr, nullptr, NOT_FOUND("a")},
    {"a b\na |b a", "replace:a/X/A",      "a b\na b [X]|",  "Replace", 1, nullptr, nullptr, NOT_FOUND("a")},
    // In a selection the scope's end moves with the replacements on its line.
    {"\n\nxxxx[QQ\nyy\nzz\nxQQxxx]|xx\nQQ", "replace:QQ/12345/A", "\n\nxxxx[12345\nyy\nzz\nx12345xxx]|xx\nQQ",
                                                          "Replace", 1, nullptr, nullptr, NOT_FOUND("QQ")},
    {"[abc\nabc abc xx]|xabc", "replace:abc/ABCDE/A", "[ABCDE\nABCDE ABCDE xx]|xabc",
                                                          "Replace", 1, nullptr, nullptr, NOT_FOUND("abc")},
    {"|Cat cat category cat_ cat", "replace:cat/dog/WCA", "Cat dog category cat_ [dog]|",
                                                          "Replace", 1, nullptr, nullptr, NOT_FOUND("cat")},
    // The first Replace only finds; each replacement is two groups.
    {"|one two one two", "replace:two/2/R",    "one [two]| one two", "",   0},
    {"|one two one two", "replace:two/2/RR",   "one 2 one [two]|", "Replace", 2},
    {"|one two one two", "replace:two/2/RRRR", "one 2 one [2]|",   "Replace", 4, nullptr, nullptr,
                                                                   NOT_FOUND("two") "\n" NOT_FOUND("two")},
    // Find Next resumes after the match start, and at the top after the last match; Enter too.
    {"|aaa",        "replace:aa//F",      "[aa]|a",         "",        0},
    {"|aaa",        "replace:aa//FE",     "a[aa]|",         "",        0},
    {"|aaa",        "replace:aa//FFFF",   "[aa]|a",         "",        0, nullptr, nullptr, NOT_FOUND("aa")},
    {"|ab\ncd",     "replace://AR",       "|ab\ncd",        "",        0, nullptr, nullptr, NOT_FOUND("")},
    {"|ab\ncd",     "replace:/x/A",       "|ab\ncd",        "",        0, nullptr, nullptr, NOT_FOUND("")},
    // Its texts are Windows-1252; one the document cannot hold is refused whole.
    {"|EUR \x80",   "replace:EUR/\xE2\x82\xAC/A", "[\x80]| \x80", "Replace", 1, nullptr, nullptr, NOT_FOUND("EUR")},
    {"|\x80 \x80",  "replace:\xE2\x82\xAC/\xE2\x86\x92/FRA", "[\x80]| \x80", "", 0, nullptr, nullptr,
                                                   "Cannot replace with" NO_ARROW "\nCannot replace with" NO_ARROW},
    {"|\x80",       "replace:\xE2\x86\x92//F",    "|\x80",  "",        0, nullptr, nullptr, "Cannot search for" NO_ARROW},
};
// clang-format on

TEST(EditKeys, GoldenCases) {
    for (const EditCase& c : EDITS) {
        SCOPED_TRACE(testing::Message() << c.pszBefore << " / " << c.pszKeys);
        CMessageLog log;
        if (c.pszClipIn)
            QGuiApplication::clipboard()->setText(QString::fromUtf8(c.pszClipIn));
        CEditFixture fx(c.pszBefore);
        Keys(fx.view, c.pszKeys);
        EXPECT_EQ(fx.State(), c.pszAfter);
        EXPECT_EQ(c.pszUndo ? UndoGroup(fx.view) : "", c.pszUndo ? c.pszUndo : "");
        EXPECT_EQ(c.pszClipOut ? QGuiApplication::clipboard()->text() : "",
                  QString::fromUtf8(c.pszClipOut));
        std::string strMessages;
        for (const std::string& strMessage : log.Messages())
            strMessages += (strMessages.empty() ? "" : "\n") + strMessage;
        EXPECT_EQ(strMessages, c.pszMessages);
        EXPECT_FALSE(fx.view.IsDropCaretShown() || fx.view.IsDragSourceActive());
        if (c.nUndos >= 0)
            ExpectUndoneTo(fx.view, c.nUndos, c.pszBefore);
    }
}

TEST(EditKeys, CommandStatesModesAndResets) {
    CEditFixture fx("a[bc]|d");
    Keys(fx.view, "clear");
    EXPECT_EQ(Enabled(fx.view), "cut ");
    EXPECT_TRUE(fx.view.inputMethodQuery(Qt::ImEnabled).toBool());
    // A read-only buffer refuses edits and Replace (Cut when it runs), not the mode switch.
    Keys(fx.view, "ro Ins");
    EXPECT_EQ(Enabled(fx.view), "cut read ovr checked");
    QTimer::singleShot(0, &fx.view, [] {
        if (QWidget* pModal = QApplication::activeModalWidget()) {
            ADD_FAILURE() << "Replace opened a dialog";
            pModal->close();
        }
    });
    fx.view.OnCmdMsg(ID_EDIT_REPLACE);
    QApplication::processEvents();
    Keys(fx.view, "rw End Ins");
    EXPECT_EQ(Enabled(fx.view), "");
    EXPECT_EQ(CommandUI(fx.view, ID_EDIT_REDO).GetText(), "&Redo\tCtrl+Y");
    Keys(fx.view, "\"x\"");
    EXPECT_EQ(Enabled(fx.view), "undo ");
    Keys(fx.view, "Ctrl+Z");
    EXPECT_EQ(Enabled(fx.view), "redo ");
    EXPECT_EQ(CommandUI(fx.view, ID_EDIT_REDO).GetText(), "&Redo Typing\tCtrl+Y");
    // A reset turns overtype off and indentation on.
    fx.view.m_bOvertype = true;
    fx.view.m_bKeepIndent = false;
    fx.pBuffer->InitEmpty(EOL_CRLF);
    EXPECT_FALSE(fx.view.IsOvertype());
    EXPECT_TRUE(fx.view.IsKeepIndent());
    fx.view.m_bOvertype = true;
    fx.view.AttachBuffer(fx.pBuffer.get());
    EXPECT_FALSE(fx.view.IsOvertype());
    CProbeEditView view; // without a buffer there is nothing to undo
    view.Undo();
    view.Redo();
    EXPECT_EQ(Enabled(view), "");
    EXPECT_EQ(UndoGroup(view), "");
}

TEST(EditKeys, AnIndentEndsAtACarriageReturnInsideTheLine) {
    auto pBuffer = MakeBuffer({""});
    pBuffer->AppendToLine(0, std::string_view(" \r x", 4));
    CProbeEditView view;
    SetUpView(view, pBuffer.get(), 20, 5);
    Keys(view, "End Return");
    EXPECT_EQ(LinesOf(*pBuffer), (std::vector<std::string>{std::string(" \r x", 4), " "}));
    EXPECT_EQ(view.GetCaretTextPos(), (TextPos{1, 1}));
}

TEST(EditKeys, TypingJoinsNoTypingAcrossAnotherViewOrASave) {
    QTemporaryDir dir;
    CEditFixture fx("ab|\nxy");
    CProbeEditView other;
    SetUpView(other, fx.pBuffer.get(), 40, 10);
    Keys(fx.view, "\"cd\"");
    Keys(other, "Down \"Q\"");
    Keys(fx.view, "\"ef\"");
    ASSERT_TRUE(fx.pBuffer->SaveFile(dir.filePath(QStringLiteral("t.txt")).toStdString()));
    Keys(fx.view, "\"gh\" Ctrl+Z");
    EXPECT_EQ(fx.State(), "abcdef|\nQxy");
    EXPECT_FALSE(fx.pBuffer->IsModified()); // back at the saved text
    Keys(fx.view, "Ctrl+Z");
    EXPECT_EQ(fx.State(), "abcd|\nQxy");
}

TEST(EditKeys, BlocksIndentWholeAndTheHorizontalBarFollows) {
    std::string golden = "[";
    for (int i = 0; i < 1500; ++i)
        golden += "line " + std::to_string(i) + "\n";
    // More lines than the history holds still undo whole.
    CEditFixture fx(golden + "]|end");
    Keys(fx.view, "Tab");
    EXPECT_EQ(fx.pBuffer->GetLineView(1499), "\tline 1499");
    ExpectUndoneTo(fx.view, 1, golden + "]|end");
    CEditFixture wide("[" + std::string(38, 'x') + "\n" + std::string(38, 'y') + "]|", 40, 5);
    EXPECT_FALSE(wide.view.horizontalScrollBar()->isEnabled());
    Keys(wide.view, "Tab");
    EXPECT_TRUE(wide.view.horizontalScrollBar()->isEnabled());
    EXPECT_EQ(wide.view.GetMaxLineColumns(), 42);
    EXPECT_FALSE(wide.view.m_bHorzScrollFrozen);
    CEditFixture low("line 0\nline 1\nline| 2", 20, 2); // Undo and Redo bring the caret into view
    for (const char* pszKeys : {"Del Del Ctrl+Home Ctrl+Z", "Ctrl+Z Ctrl+Home Ctrl+Y"}) {
        Keys(low.view, pszKeys);
        EXPECT_EQ(low.view.GetFirstVisibleLine(), 1) << pszKeys;
    }
}

TEST(EditDrop, TheDropCaretFollowsTheMouseInPlaceOfTheCaretUntilALeaveAResetOrARefusal) {
    CEditFixture fx("abcdef\nghij|kl");
    GiveFocus(fx.view);
    EXPECT_FALSE(fx.view.GetCaretRect().isEmpty());
    const auto pData = MimeData("x");
    fx.view.OnDragEnter(pData.get(), CellPoint(fx.view, 2, 0), Qt::NoModifier, Qt::MoveAction);
    EXPECT_TRUE(fx.view.IsDropCaretShown());
    EXPECT_TRUE(fx.view.GetCaretRect().isEmpty());
    EXPECT_EQ(fx.view.m_ptDropCaret, (TextPos{2, 0}));
    EXPECT_EQ(fx.view.GetDropCaretRect(),
              QRect(fx.view.TextPosToClient({2, 0}), QSize(2, fx.view.GetLineHeight())));
    EXPECT_TRUE(IsFilled(Render(fx.view), fx.view.GetDropCaretRect(), QColor(Qt::gray)));
    fx.view.OnDragOver(pData.get(), CellPoint(fx.view, 5, 1), Qt::NoModifier, Qt::MoveAction);
    EXPECT_EQ(fx.view.m_ptDropCaret, (TextPos{5, 1}));
    // Leaving puts the caret back where it was; a reset forgets the drop caret and that caret.
    for (const bool bReset : {false, true}) {
        if (bReset) {
            fx.view.OnDragEnter(pData.get(), CellPoint(fx.view, 2, 0), Qt::NoModifier,
                                Qt::MoveAction);
            fx.pBuffer->InitEmpty(EOL_CRLF);
            EXPECT_FALSE(fx.view.IsDropCaretShown());
            EXPECT_TRUE(fx.view.GetDropCaretRect().isEmpty());
        }
        fx.view.OnDragLeave();
        EXPECT_FALSE(fx.view.IsDropCaretShown());
        EXPECT_TRUE(fx.view.GetDropCaretRect().isEmpty());
        EXPECT_EQ(fx.State(), bReset ? "|" : "abcdef\nghij|kl");
        EXPECT_FALSE(fx.view.GetCaretRect().isEmpty());
    }
    TakeFocus(fx.view);
    // An image is refused from the drag's entry on, text on a read-only view from its move.
    const QPoint pt = CellPoint(fx.view, 0, 0);
    const auto pImage = MimeData(nullptr);
    EXPECT_EQ(Drag(fx.view, pImage.get(), pt, "e"), Qt::IgnoreAction);
    EXPECT_FALSE(fx.view.IsDropCaretShown());
    EXPECT_FALSE(fx.view.OnDrop(pImage.get(), pt));
    fx.pBuffer->SetReadOnly(true);
    const auto pText = MimeData("x");
    EXPECT_EQ(Drag(fx.view, pText.get(), pt, "e"), Qt::CopyAction);
    EXPECT_TRUE(fx.view.IsDropCaretShown());
    EXPECT_EQ(Drag(fx.view, pText.get(), pt, "m"), Qt::IgnoreAction);
    EXPECT_FALSE(fx.view.IsDropCaretShown());
    EXPECT_FALSE(fx.view.OnDrop(pText.get(), pt));
    EXPECT_EQ(fx.State(), "|");
    // Left of the visible columns it is hidden: the margin is character 0, scrolled away.
    CEditFixture wide("\tabcdefghijklmnopqrstuvwxyz\nx|", 10, 5);
    wide.view.ScrollToColumn(3, true);
    wide.view.ShowDropCaret(QPoint(2, 2));
    EXPECT_TRUE(wide.view.IsDropCaretShown());
    EXPECT_TRUE(wide.view.GetDropCaretRect().isEmpty());
    wide.view.ShowDropCaret(CellPoint(wide.view, 2, 0));
    EXPECT_EQ(wide.view.m_ptDropCaret, (TextPos{2, 0}));
    EXPECT_FALSE(wide.view.GetDropCaretRect().isEmpty());
    wide.view.HideDropCaret();
}

TEST(EditDrop, DraggingNearAnEdgeScrollsOneStepPerMove) {
    auto pBuffer = MakeNumberedBuffer(50);
    pBuffer->AppendToLine(10, std::string(40, 'w'));
    CProbeEditView view;
    SetUpView(view, pBuffer.get(), 20, 10);
    view.ScrollToTopLine(3, true);
    const auto pData = MimeData("x");
    const int xMiddle = CellPoint(view, 10, 0).x();
    // Moves go to the widget that accepted the drag's entry.
    ASSERT_EQ(Drag(view, pData.get(), QPoint(xMiddle, 50), "e"), Qt::CopyAction);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Drag(view, pData.get(), QPoint(xMiddle, 4), "m"), Qt::CopyAction);
        EXPECT_EQ(view.GetFirstVisibleLine(), std::max(2 - i, 0));
    }
    // Near the bottom, the right and the left edge, and then away from them.
    const int xRight = view.viewport()->width();
    const int xLeft = view.GetMarginWidth();
    // clang-format off
    for (const auto& [x, y, nTop, nLeft] :
         {std::tuple{xMiddle, view.viewport()->height() - 5, 1, 0}, {xRight - 5, 50, 1, 1},
          {xRight - 1, 50, 1, 2}, {xLeft + 4, 50, 1, 1}, {xLeft + 5, 50, 1, 1}, {xMiddle, 5, 1, 1}}) {
        // clang-format on
        view.OnDragScroll({x, y}, Qt::NoModifier, Qt::MoveAction);
        EXPECT_EQ(view.GetFirstVisibleLine(), nTop) << x << "," << y;
        EXPECT_EQ(view.GetFirstVisibleColumn(), nLeft) << x << "," << y;
    }
    EXPECT_TRUE(view.IsDropCaretShown());
    view.OnDragLeave();
}

TEST(EditDrop, AMoveToAnotherDocumentIsAGroupInEachAndFromAReadOnlyOneACopy) {
    for (const bool bReadOnly : {false, true}) {
        CEditFixture source("a[bc]|d");
        CEditFixture target("xy|");
        source.pBuffer->SetReadOnly(bReadOnly);
        source.view.m_pTarget = &target.view;
        source.view.m_ptDrop = CellPoint(target.view, 1, 0);
        source.view.DragFrom(1, 0);
        EXPECT_EQ(target.State(), "x[bc]|y");
        EXPECT_EQ(source.view.m_effects, bReadOnly ? Qt::CopyAction : BOTH);
        EXPECT_EQ(source.State(), bReadOnly ? "a[bc]|d" : "a|d");
        EXPECT_EQ(UndoGroup(source.view), bReadOnly ? "" : "Drag And Drop");
        EXPECT_EQ(UndoGroup(target.view), "Drag And Drop");
        Keys(target.view, "Ctrl+Z");
        EXPECT_EQ(LinesOf(*target.pBuffer)[0] + LinesOf(*source.pBuffer)[0],
                  bReadOnly ? "xyabcd" : "xyad");
        Keys(source.view, "Ctrl+Z");
        EXPECT_EQ(source.pBuffer->GetLineView(0), "abcd");
    }
}

TEST(EditReplace, AReplaceAllOfManyMatchesDrawsBeforeItsMessageAndUndoesWhole) {
    std::vector<std::string> lines(600, "x a");
    lines.insert(lines.begin(), "typed");
    auto pBuffer = MakeBuffer(lines);
    CProbeEditView view;
    SetUpView(view, pBuffer.get(), 40, 10);
    Keys(view, "\"q\"");
    lines[0] = "qtyped";
    bool bDrawnAtMessage = false;
    SetMessageBoxHandler([&](const QString&, QMessageBox::StandardButtons) {
        bDrawnAtMessage = view.updatesEnabled() && view.viewport()->updatesEnabled();
        return QMessageBox::Ok;
    });
    Keys(view, "replace:a/bb/A");
    SetMessageBoxHandler({});
    EXPECT_TRUE(bDrawnAtMessage);
    EXPECT_EQ(pBuffer->GetLineView(600), "x bb");
    // The last replacement is in view.
    EXPECT_EQ(view.GetCaretTextPos(), TextPos(4, 600));
    EXPECT_GT(view.GetFirstVisibleLine(), 580);
    // More matches than the history holds still undo whole; the typing before is its own group.
    view.Undo();
    EXPECT_EQ(LinesOf(*pBuffer), lines);
    view.Undo();
    EXPECT_EQ(pBuffer->GetLineView(0), "typed");
    EXPECT_FALSE(pBuffer->CanUndo());
}

TEST(EditReplace, TheScopeFollowsEditsMadeThroughAnotherView) {
    CEditFixture fx("ab [cd]| ef");
    CProbeEditView other;
    SetUpView(other, fx.pBuffer.get(), 40, 10);
    RunReplace(fx.view, "zz", "", [&](CReplaceTextDlg&) {
        int nEndLine, nEndChar;
        fx.pBuffer->InsertTextAt(&other, 0, 0, "12\r\n34", nEndLine, nEndChar, EDITACT_TYPING);
    });
    EXPECT_EQ(fx.State(), "12\n34ab [cd]| ef");
}

TEST(EditReplace, TheDialogRemembersItsSettingsHoweverItCloses) {
    QSettings settings;
    settings.remove(QStringLiteral("TextEdit/Replace"));
    settings.setValue(QStringLiteral("TextEdit/Replace/MatchCase"), 1);
    settings.setValue(QStringLiteral("TextEdit/Replace/ReplaceWith"), QStringLiteral("new"));
    CEditFixture fx("|text");
    WhenModalShows<CReplaceTextDlg>([&](CReplaceTextDlg& dlg) {
        EXPECT_TRUE(Control<QCheckBox>(dlg, MATCH_CASE).isChecked());
        EXPECT_FALSE(Control<QCheckBox>(dlg, WHOLE_WORD).isChecked());
        EXPECT_EQ(Edit(dlg, REPLACE_WITH).text(), QStringLiteral("new"));
        EXPECT_EQ(Edit(dlg, FIND_WHAT).text(), QString());
        for (const auto& [pszName, pszText] : {std::pair{FIND_NEXT, "&Find Next"},
                                               {"IDC_EDIT_REPLACE_8607", "&Replace"},
                                               {"IDC_EDIT_REPLACE_ALL_8608", "Replace &All"}})
            EXPECT_EQ(Control<QPushButton>(dlg, pszName).text(), pszText);
        // Find Next waits for something to find.
        EXPECT_FALSE(Control<QPushButton>(dlg, FIND_NEXT).isEnabled());
        QTest::keyClicks(&Edit(dlg, FIND_WHAT), "typed");
        EXPECT_TRUE(Control<QPushButton>(dlg, FIND_NEXT).isEnabled());
        Click(dlg, WHOLE_WORD);
        Click(dlg, "IDCANCEL_2");
        EXPECT_FALSE(dlg.isVisible());
    });
    Keys(fx.view, "Ctrl+H");
    EXPECT_EQ(ProfileText("FindWhat") + ProfileText("ReplaceWith"), QStringLiteral("typednew"));
    EXPECT_EQ(ProfileText("MatchCase") + ProfileText("WholeWord"), QStringLiteral("11"));
    // The next dialog shows them; Escape also keeps what was typed.
    WhenModalShows<CReplaceTextDlg>([&](CReplaceTextDlg& dlg) {
        EXPECT_EQ(Edit(dlg, FIND_WHAT).text(), QStringLiteral("typed"));
        Edit(dlg, REPLACE_WITH).setText(QStringLiteral("other"));
        QTest::keyClick(&dlg, Qt::Key_Escape);
        EXPECT_FALSE(dlg.isVisible());
    });
    Keys(fx.view, "Ctrl+H");
    EXPECT_EQ(ProfileText("ReplaceWith"), QStringLiteral("other"));
    EXPECT_EQ(fx.State(), "|text");
}

} // namespace
