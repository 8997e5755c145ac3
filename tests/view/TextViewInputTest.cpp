// The view's keyboard and mouse input: movement, bookmarks, clipboard, keys, mouse selection.
#include "GoldenText.h"
#include "resources/CommandIds.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(TextViewMovement, KeysMoveTheCaretAndTheSelectionAsTheGoldenTextsShow) {
    const struct {
        const char* pszBefore;
        const char* pszKeys;
        const char* pszAfter;
    } cases[] = {
        // clang-format off
        {"ab|c", "Left", "a|bc"},
        {"ab\n|cd", "Left", "ab|\ncd"},
        {"ab|\ncd", "Right", "ab\n|cd"},
        {"|ab", "Left", "|ab"},
        {"ab\ncd|", "Right", "ab\ncd|"},
        {"a|b\ncd", "Up", "a|b\ncd"},
        {"ab\nc|d", "Down", "ab\nc|d"},
        {"a|bcd", "Shift+Right*2", "a[bc]|d"},
        {nullptr, "Shift+Left*3", "|[a]bcd"},
        {"ab[cd]|ef", "Left", "ab|cdef"},
        {"ab|[cd]ef", "Right", "abcd|ef"},
        {"0123\n01[23\n0123\n01]|23", "Up", "01|23\n0123\n0123\n0123"},
        {"01|[23\n01]23\n0123", "Down", "0123\n0123\n01|23"},
        {"ab|[cd]ef", "Shift+Right", "abc|[d]ef"},
        // Words are runs of one class; bytes 128 to 255 are neither blanks nor word characters.
        {"a|+=b c", "Ctrl+Right", "a+=|b c"},
        {nullptr, "Ctrl+Right", "a+=b |c"},
        {"foo  ba|r", "Ctrl+Left", "foo  |bar"},
        {nullptr, "Ctrl+Left", "|foo  bar"},
        {"x = a_1|;", "Ctrl+Left", "x = |a_1;"},
        {"|ab\xE9\xE9" "cd", "Ctrl+Right", "ab|\xE9\xE9" "cd"},
        {nullptr, "Ctrl+Right", "ab\xE9\xE9|cd"},
        {"|foo bar", "Ctrl+Shift+Right", "[foo ]|bar"},
        {"foo bar\n|x", "Ctrl+Left", "foo |bar\nx"},
        {"foo bar  \n|x", "Ctrl+Left", "foo |bar  \nx"},
        {"abc|\nfoo  bar", "Ctrl+Right", "abc\nfoo  |bar"},
        {"ab|\n\nxy", "Ctrl+Right", "ab\n\n|xy"},
        {"ab|\n", "Ctrl+Right", "ab\n|"},
        {"|[ab]", "Ctrl+Shift+Left", "|[ab]"},
        {"[ab]|", "Ctrl+Shift+Right", "[ab]|"},
        {"|ab", "Ctrl+Left", "|ab"},
        {"ab [cd]|ef", "Ctrl+Left", "ab |cdef"},
        {"ab |[cd]ef", "Ctrl+Right", "ab cd|ef"},
        {"    te|xt", "Home", "    |text"},
        {nullptr, "Home", "|    text"},
        {nullptr, "Home", "    |text"},
        {"\t x|y", "Home", "\t |xy"},
        {"  | ", "Home", "|   "},
        {"|", "Home", "|"},
        {"    te|xt", "Shift+Home", "    |[te]xt"},
        {"a|bc", "End", "abc|"},
        {"a|bc", "Shift+End", "a[bc]|"},
        // Up and Down keep the screen column across shorter lines; a horizontal move sets it.
        {"\t\tabcdefgh\nabc\n0123456789ab|cdef", "Up", "\t\tabcdefgh\nabc|\n0123456789abcdef"},
        {nullptr, "Up", "\t\tabcd|efgh\nabc\n0123456789abcdef"},
        {nullptr, "Down*2", "\t\tabcdefgh\nabc\n0123456789ab|cdef"},
        {nullptr, "Left", "\t\tabcdefgh\nabc\n0123456789a|bcdef"},
        {nullptr, "Up*2", "\t\tabc|defgh\nabc\n0123456789abcdef"},
        {nullptr, "Shift+Down", "\t\tabc[defgh\nabc]|\n0123456789abcdef"},
        {"ab\ncd|", "Shift+Up", "ab|[\ncd]"},
        {"ab\ncd|e\nfg", "Ctrl+End", "ab\ncde\nfg|"},
        {"ab\ncd|e\nfg", "Ctrl+Home", "|ab\ncde\nfg"},
        {"ab\ncd|e\nfg", "Ctrl+Shift+Home", "|[ab\ncd]e\nfg"},
        {"ab\ncd|e\nfg", "Ctrl+Shift+End", "ab\ncd[e\nfg]|"},
        // clang-format on
    };
    std::unique_ptr<TGoldenFixture<CProbeView>> pFx;
    for (const auto& c : cases) {
        if (c.pszBefore)
            pFx = std::make_unique<TGoldenFixture<CProbeView>>(c.pszBefore);
        EXPECT_EQ(DescribeAfter(pFx->view, c.pszKeys), c.pszAfter) << c.pszKeys;
    }
}

TEST(TextViewMovement, PagesAndLineScrollsMoveTheWindowAndKeepTheCaretInView) {
    CShownView fx(MakeNumberedBuffer(100));
    CProbeView& view = fx.view;
    const std::tuple<int, TextPos, const char*, const char*> steps[] = {
        // clang-format off
        {40, {-1, -1}, "Left", "caret 0,0 top 0"}, // even at the document's edge
        {-1, {2, 5}, "PgDown", "caret 2,14 top 9"},
        {-1, {-1, -1}, "Shift+PgDown", "caret 2,23 sel 2,14-2,23 top 18"},
        {95, {2, 97}, "PgDown", "caret 2,99 top 99"},
        {0, {3, 4}, "Ctrl+Down*2", "caret 3,4 top 2"},
        {-1, {-1, -1}, "Ctrl+Up*5", "caret 3,4 top 0"},
        {98, {-1, -1}, "Ctrl+Down*3", "caret 3,4 top 99"},
        {20, {1, 22}, "Ctrl+A", "caret 7,99 sel 0,0-7,99 top 20"},
        // clang-format on
    };
    for (const auto& [nTop, pt, pszKeys, pszWhere] : steps) {
        if (nTop >= 0)
            view.ScrollToTopLine(nTop, true);
        if (pt.y >= 0)
            view.PutCaretAt(pt);
        EXPECT_EQ(WhereAfter(view, pszKeys), pszWhere);
        EXPECT_EQ(view.verticalScrollBar()->value(), std::min(view.GetFirstVisibleLine(), 90));
    }
    EXPECT_EQ(view.m_ptSelAnchor, (TextPos{1, 22}));
    TGoldenFixture<CProbeView> top("x\nline 1\nline 2\nline 3\nline 4\nline| 5\nline 6", 20, 4);
    top.view.ScrollToTopLine(3, true);
    EXPECT_EQ(WhereAfter(top.view, "PgUp"), "caret 4,2 top 0");
    EXPECT_EQ(WhereAfter(top.view, "PgUp"), "caret 1,0 top 0");
    EXPECT_EQ(top.view.m_nStickyColumn, 1);
    EXPECT_EQ(WhereAfter(top.view, "Down"), "caret 1,1 top 0");
    CShownView low(MakeNumberedBuffer(20), 20, 1);
    ASSERT_EQ(low.view.GetVisibleLineCount(), 1);
    low.view.PlaceCaret({0, 5});
    EXPECT_EQ(WhereAfter(low.view, "PgUp"), "caret 0,4 top 4");
    EXPECT_EQ(WhereAfter(low.view, "PgDown*2"), "caret 0,6 top 6");
}

// Places the caret, presses keys, and lists the lines with bookmarks: "line:digits", and "*"
// for an anonymous one, e.g. "2:09 5:* ".
std::string MarksAfter(CTextView& view, TextPos pt, std::string_view keys) {
    view.PlaceCaret(pt);
    PressKeys(view, keys);
    std::string out;
    for (int nLine = 0; nLine < view.GetLineCount(); ++nLine) {
        const uint32_t dwFlags = view.GetLineFlags(nLine);
        if (dwFlags == 0)
            continue;
        out += std::to_string(nLine) + ":";
        for (int nMark = 0; nMark < 10; ++nMark)
            out += dwFlags & LineFlagMark(nMark) ? std::to_string(nMark) : "";
        out += dwFlags & LINEFLAG_BOOKMARK ? "* " : " ";
    }
    return out;
}

TEST(TextViewBookmark, NumberedBookmarksLiveOnOneLineFollowItAndTakeTheCaretThere) {
    CShownView fx(MakeNumberedBuffer(100));
    CProbeView& view = fx.view;
    EXPECT_EQ(MarksAfter(view, {3, 7}, "Ctrl+3"), "7:3 ");
    EXPECT_EQ(MarksAfter(view, {0, 2}, "Ctrl+3"), "2:3 ");
    EXPECT_EQ(MarksAfter(view, {0, 2}, "Ctrl+3"), "");
    EXPECT_EQ(MarksAfter(view, {0, 2}, "Ctrl+0"), "2:0 ");
    EXPECT_EQ(MarksAfter(view, {0, 2}, "Ctrl+9"), "2:09 ");
    EXPECT_EQ(MarksAfter(view, {0, 60}, "Ctrl+4"), "2:09 60:4 ");
    view.PlaceCaret({3, 1});
    view.SetSelAnchor({1, 1});
    view.SetSelectionRange({1, 1}, {3, 1});
    EXPECT_EQ(WhereAfter(view, "Alt+5"), "caret 3,1 sel 1,1-3,1 top 0");
    EXPECT_EQ(WhereAfter(view, "Alt+4"), "caret 0,60 top 51");
    EXPECT_EQ(WhereAfter(view, "Shift+Down"), "caret 0,61 sel 0,60-0,61 top 52");
    BufferInsert(*fx.pBuffer, 1, 0, "new\r\n");
    EXPECT_EQ(MarksAfter(view, {0, 0}, ""), "3:09 61:4 ");
    BufferDelete(*fx.pBuffer, {0, 60}, {0, 62});
    EXPECT_EQ(MarksAfter(view, {0, 0}, "Alt+4"), "3:09 ");
    EXPECT_EQ(view.GetCaretTextPos(), (TextPos{0, 0}));
    // Anonymous bookmarks are visited in turn by the view that knows them.
    CShownView twenty(MakeNumberedBuffer(20));
    CProbeView& known = twenty.view;
    CProbeView other;
    SetUpView(other, twenty.pBuffer.get(), 20, 10);
    const unsigned anMoves[] = {ID_NEXT_ANON_BOOKMARK, ID_PREV_ANON_BOOKMARK,
                                ID_CLEAR_ANON_BOOKMARKS};
    EXPECT_FALSE(IsCommandEnabled(known, ID_NEXT_ANON_BOOKMARK));
    EXPECT_EQ(MarksAfter(known, {2, 4}, "Ctrl+F2"), "4:* ");
    for (const unsigned nId : anMoves)
        EXPECT_TRUE(IsCommandEnabled(known, nId)) << nId;
    EXPECT_EQ(WhereAfter(known, "F2"), "caret 0,4 top 0");
    EXPECT_EQ(MarksAfter(known, {0, 12}, "Ctrl+F2"), "4:* 12:* ");
    const std::tuple<TextPos, const char*, int> visits[] = {
        {{3, 8}, "F2", 12}, {{3, 8}, "Shift+F2", 4}, {{0, 4}, "Shift+F2", 12}, {{0, 12}, "F2", 4}};
    for (const auto& [ptFrom, pszKey, nLine] : visits) {
        MarksAfter(known, ptFrom, pszKey);
        EXPECT_EQ(known.GetCaretTextPos(), (TextPos{0, nLine})) << ptFrom.y << pszKey;
    }
    EXPECT_EQ(other.GetLineFlags(12), LINEFLAG_BOOKMARK);
    EXPECT_FALSE(IsCommandEnabled(other, ID_NEXT_ANON_BOOKMARK));
    EXPECT_EQ(WhereAfter(other, "F2"), "caret 0,0 top 0");
    EXPECT_EQ(MarksAfter(known, {0, 4}, "Ctrl+F2"), "12:* ");
    EXPECT_EQ(MarksAfter(known, {0, 12}, "Ctrl+F2"), "");
    for (const unsigned nId : anMoves)
        EXPECT_FALSE(IsCommandEnabled(known, nId)) << nId;
    EXPECT_TRUE(IsCommandEnabled(known, ID_TOGGLE_ANON_BOOKMARK));
    Press(known, Qt::Key_F2, Qt::ControlModifier);
    known.AttachBuffer(twenty.pBuffer.get());
    EXPECT_FALSE(known.HasAnonBookmarks());
    EXPECT_EQ(MarksAfter(known, {0, 3}, "Ctrl+1 Ctrl+F2"), "3:1* 12:* ");
    EXPECT_EQ(MarksAfter(known, {0, 9}, "Ctrl+7 Ctrl+F2"), "3:1* 9:7* 12:* ");
    EXPECT_TRUE(known.RouteCommand(ID_CLEAR_BOOKMARKS));
    EXPECT_EQ(MarksAfter(known, {0, 9}, "Ctrl+5"), "3:* 9:5* 12:* ");
    EXPECT_EQ(MarksAfter(known, {0, 9}, "Ctrl+Shift+F2"), "9:5 ");
    EXPECT_FALSE(known.HasAnonBookmarks());
}

TEST(TextViewClipboard, CopyGivesLfLineEndsAndWindows1252AndPasteTakesCrLfLineEnds) {
    QClipboard* pClipboard = QGuiApplication::clipboard();
    TGoldenFixture<CProbeView> fx("ab|cd");
    pClipboard->setText(QStringLiteral("before"));
    EXPECT_FALSE(IsCommandEnabled(fx.view, ID_EDIT_COPY));
    Press(fx.view, Qt::Key_C, Qt::ControlModifier);
    fx.view.CopySelection();
    EXPECT_FALSE(fx.view.PutTextOnClipboard(""));
    EXPECT_EQ(pClipboard->text(), QStringLiteral("before"));
    TGoldenFixture<CProbeView> sel("ab[cd\nef\n\xE9g]|h");
    Press(sel.view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(pClipboard->text(), QString::fromUtf8("cd\nef\n\xC3\xA9g"));
    sel.view.SetSelectionRange({0, 1}, {2, 1});
    EXPECT_EQ(DescribeAfter(sel.view, "Ctrl+Ins"), "abcd\n[ef]\n\xE9g|h");
    EXPECT_EQ(pClipboard->text(), QStringLiteral("ef"));
    auto pBuffer = MakeBuffer({""});
    pBuffer->AppendToLine(0, std::string_view("a\0b\rc", 5));
    sel.view.AttachBuffer(pBuffer.get());
    sel.view.SetSelectionRange({0, 0}, {5, 0});
    sel.view.CopySelection();
    EXPECT_EQ(pClipboard->text(), QString::fromLatin1("a\0b\rc", 5));
    sel.view.DetachBuffer();
    CProbeView view;
    pClipboard->setText(QString::fromUtf8("one\ntwo\r\nthree\rfour \xC3\xA9\xE2\x82\xAC\n"));
    EXPECT_TRUE(view.IsClipboardTextAvailable());
    std::optional<ConvertedText> text = view.GetTextFromClipboard();
    ASSERT_TRUE(text && text->IsComplete());
    EXPECT_EQ(text->bytes, "one\r\ntwo\r\nthree\rfour \xE9\x80\r\n");
    pClipboard->setText(QString::fromUtf8("a\nb \xE2\x86\x92"));
    text = view.GetTextFromClipboard();
    ASSERT_TRUE(text);
    EXPECT_EQ(text->cpMissing, U'\u2192');
    pClipboard->clear();
    EXPECT_FALSE(view.IsClipboardTextAvailable());
    EXPECT_FALSE(view.GetTextFromClipboard());
    auto* pData = new QMimeData;
    pData->setData(QStringLiteral("application/octet-stream"), QByteArray("xyz"));
    pClipboard->setMimeData(pData);
    EXPECT_FALSE(view.IsClipboardTextAvailable());
    // Every byte leaves as its Windows-1252 character and comes back as the same byte.
    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    const QString all1252 = BytesToText(all);
    const std::u16string_view upper =
        u"\u20AC\u0081\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030\u0160\u2039\u0152\u008D"
        u"\u017D\u008F\u0090\u2018\u2019\u201C\u201D\u2022\u2013\u2014\u02DC\u2122\u0161\u203A"
        u"\u0153\u009D\u017E\u0178";
    ASSERT_EQ(all1252.size(), 256);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(all1252.at(i).unicode(), i >= 0x80 && i < 0xA0 ? upper[size_t(i - 0x80)] : i)
            << i;
    EXPECT_TRUE(TextToBytes(all1252).IsComplete());
    EXPECT_EQ(TextToBytes(all1252).bytes, all);
    const std::pair<QString, char32_t> refused[] = {
        {QString::fromUtf8("a\xE2\x86\x92\xE2\x82\xAC"), U'\u2192'},
        {QString::fromUtf8("\xC2\x80"), U'\u0080'},
        {QString::fromUtf8("x\xF0\x9F\x98\x80"), U'\U0001F600'},
        {QString(QChar(0xD800)) + u'a', 0xD800}};
    for (const auto& [strText, cpMissing] : refused) {
        EXPECT_FALSE(IncomingTextToBytes(strText).IsComplete()) << strText.toStdString();
        EXPECT_EQ(IncomingTextToBytes(strText).cpMissing, cpMissing) << strText.toStdString();
    }
    EXPECT_EQ(MissingCharacterMessage(QStringLiteral("type"), U'\u0080'),
              QStringLiteral("Cannot type U+0080: not in the document's encoding, Windows-1252."));
}

// A view that records the commands its keys reach and disables one of them.
class CRecordingView : public CProbeView {
public:
    bool OnCmdMsg(unsigned nId) override {
        m_arrCommands.push_back(nId);
        return true;
    }
    bool OnUpdateCmdUI(unsigned nId, CCmdUI& cmdUI) override {
        if (nId != m_nDisabled)
            return CProbeView::OnUpdateCmdUI(nId, cmdUI);
        cmdUI.Enable(false);
        return true;
    }
    std::vector<unsigned> m_arrCommands;
    unsigned m_nDisabled = 0;
};

TEST(TextViewKeys, KeysOfTheKeyTableAreDispatchedAsCommandsBeforeTheWindowsShortcuts) {
    auto pBuffer = MakeNumberedBuffer(5);
    QWidget window;
    auto* pView = new CRecordingView;
    pView->setParent(&window);
    pView->AttachBuffer(pBuffer.get());
    auto* pAction = new QAction(&window);
    pAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    window.addAction(pAction);
    QSignalSpy spy(pAction, &QAction::triggered);
    window.resize(400, 300);
    window.show();
    QApplication::setActiveWindow(&window);
    pView->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(pView->hasFocus());
    // Ctrl+Alt is AltGr, which types: Ctrl+Alt+9 is no command.
    PressKeys(*pView,
              "Left Ctrl+Shift+Left Tab Ctrl+5 Alt+0 Ctrl+Alt+9 Ctrl+F2 Ctrl+Q Ctrl+Shift+Up");
    QTest::keyClick(pView, Qt::Key_Backtab, Qt::ShiftModifier);
    QTest::keyClick(pView, Qt::Key_Home, Qt::KeypadModifier);
    const std::vector<unsigned> expected = {
        ID_MOVE_CHAR_LEFT,      ID_MOVE_WORD_LEFT_EXT,   ID_EDIT_TAB,   37205,
        ID_GOTO_BOOKMARK_FIRST, ID_TOGGLE_ANON_BOOKMARK, ID_EDIT_UNTAB, ID_MOVE_LINE_START,
    };
    EXPECT_EQ(pView->m_arrCommands, expected);
    pView->m_arrCommands.clear();
    pView->m_nDisabled = ID_EDIT_UNDO;
    PressKeys(*pView, "Ctrl+Z Alt+Backspace Ctrl+Y");
    EXPECT_EQ(pView->m_arrCommands, std::vector<unsigned>{ID_EDIT_REDO});
    pView->m_arrCommands.clear();
    pView->SetSelectionRange({0, 0}, {1, 0});
    QTest::keyClick(pView, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(pView->m_arrCommands, std::vector<unsigned>{ID_EDIT_COPY});
    pView->DetachBuffer();
    for (const KeyBinding& binding : GetMainKeyTable()) {
        const unsigned nId = LookupKeyBinding(GetViewKeyTable(), binding.nKey, binding.modifiers);
        EXPECT_TRUE(nId == 0 || nId == binding.nCommand) << binding.nCommand;
    }
}

// A view whose drag and context menu are answered by the test instead of the blocking loops.
class CMouseView : public CProbeView {
public:
    using CProbeView::OnContextMenu;
    Qt::DropAction ExecDrag(std::unique_ptr<QMimeData> pData, Qt::DropActions effects) override {
        ++m_nDrags;
        m_strDragged = pData->text();
        m_dragEffects = effects;
        m_bSourceActiveDuringDrag = m_bDragSourceActive;
        return Qt::IgnoreAction;
    }
    // The menu as its texts, "-" for a separator, "(off)" after a disabled item.
    unsigned TrackContextMenu(QMenu& menu, QPoint ptScreen) override {
        m_ptMenu = ptScreen;
        m_strMenu.clear();
        for (const QAction* pAction : menu.actions())
            m_strMenu += (pAction->isSeparator() ? "-" : pAction->text().toStdString()) +
                         (pAction->isEnabled() ? "|" : " (off)|");
        return m_nMenuChoice;
    }
    bool RouteCommand(unsigned nId) override {
        m_arrRouted.push_back(nId);
        return CProbeView::RouteCommand(nId);
    }
    int m_nDrags = 0;
    QString m_strDragged;
    Qt::DropActions m_dragEffects;
    bool m_bSourceActiveDuringDrag = false;
    QPoint m_ptMenu;
    std::string m_strMenu;
    unsigned m_nMenuChoice = 0;
    std::vector<unsigned> m_arrRouted;
};

using CMouseFixture = TGoldenFixture<CMouseView>;

// A point on the left (or right) half of the cell of character column x on screen row y; for
// x -1 a point in the row's margin, at its left edge on odd rows and its right edge on even
// ones, so that a shown line-number column is hit as well as the selection margin.
QPoint Cell(CTextView& view, int x, int y, bool bRightHalf = false) {
    const int cx = view.GetCharWidth(),
              yMiddle = y * view.GetLineHeight() + view.GetLineHeight() / 2;
    if (x < 0)
        return {y % 2 ? 1 : view.GetMarginWidth() - 2, yMiddle};
    return {view.GetMarginWidth() + x * cx + (bRightHalf ? cx - 2 : 1), yMiddle};
}

void Send(CTextView& view, QEvent::Type type, QPoint pt, Qt::MouseButton button,
          Qt::MouseButtons buttons, Qt::KeyboardModifiers keys = Qt::NoModifier) {
    QMouseEvent event(type, QPointF(pt), view.viewport()->mapToGlobal(QPointF(pt)), button, buttons,
                      keys);
    QApplication::sendEvent(view.viewport(), &event);
}

// What a step does: the left button pressed, moved, released, clicked, double-clicked in the
// platform's order (press, release, double-click, release), the double-click event alone, a
// click of the right button, and a click through QTest's own events.
enum MouseAct { kDown, kMove, kUp, kClick, kDouble, kDoubleEvent, kRightClick, kTestClick };

// A step at Cell(x, y) and the golden text after it, if one is given.
struct MouseStep {
    MouseAct act;
    int x, y;
    Qt::KeyboardModifiers keys = Qt::NoModifier;
    const char* pszAfter = nullptr;
    bool bRightHalf = false;
    int dx = 0; // pixels further right
};

void RunSteps(CTextView& view, std::initializer_list<MouseStep> steps) {
    for (const MouseStep& step : steps) {
        const QPoint pt = Cell(view, step.x, step.y, step.bRightHalf) + QPoint(step.dx, 0);
        const MouseAct act = step.act;
        if (act == kDown || act == kClick || act == kDouble)
            Send(view, QEvent::MouseButtonPress, pt, Qt::LeftButton, Qt::LeftButton, step.keys);
        if (act == kUp || act == kClick || act == kDouble)
            Send(view, QEvent::MouseButtonRelease, pt, Qt::LeftButton, Qt::NoButton, step.keys);
        if (act == kDouble || act == kDoubleEvent)
            Send(view, QEvent::MouseButtonDblClick, pt, Qt::LeftButton, Qt::LeftButton, step.keys);
        if (act == kDouble)
            Send(view, QEvent::MouseButtonRelease, pt, Qt::LeftButton, Qt::NoButton, step.keys);
        if (act == kMove)
            Send(view, QEvent::MouseMove, pt, Qt::NoButton, Qt::LeftButton);
        if (act == kRightClick) {
            Send(view, QEvent::MouseButtonPress, pt, Qt::RightButton, Qt::RightButton);
            Send(view, QEvent::MouseButtonRelease, pt, Qt::RightButton, Qt::NoButton);
        }
        if (act == kTestClick)
            QTest::mouseClick(view.viewport(), Qt::LeftButton, step.keys, pt);
        if (step.pszAfter) {
            EXPECT_EQ(DescribeView(view), step.pszAfter) << act << " " << step.x << "," << step.y;
        }
    }
}

constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;
constexpr Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;

TEST(TextViewMouse, ClicksDragsAndMarginClicksSelectCharactersWordsAndLines) {
    CMouseFixture fx("a|bcdef\nghijkl");
    CMouseView& view = fx.view;
    RunSteps(fx.view, {{kTestClick, 2, 0, kNone, "ab|cdef\nghijkl"},
                       {kTestClick, 2, 1, kNone, "abcdef\nghi|jkl", true}});
    EXPECT_EQ(view.m_ptSelAnchor, (TextPos{3, 1}));
    EXPECT_FALSE(view.IsMouseSelecting());
    EXPECT_FALSE(view.IsAutoScrollTimerActive());
    RunSteps(fx.view, {{kClick, 15, 0, kNone, "abcdef|\nghijkl"},
                       {kClick, 1, 5, kNone, "abcdef\ng|hijkl"},
                       {kClick, 4, 0, kNone, "abcd|ef\nghijkl"}});
    EXPECT_EQ(view.m_nStickyColumn, 1);
    RunSteps(fx.view, {{kClick, 1, 0},
                       {kClick, 4, 1, Qt::ShiftModifier, "a[bcdef\nghij]|kl"},
                       {kClick, 5, 1},
                       {kDown, 4, 0}});
    EXPECT_TRUE(view.IsMouseSelecting());
    EXPECT_TRUE(view.IsAutoScrollTimerActive());
    RunSteps(fx.view, {{kMove, 2, 1, kNone, "abcd[ef\ngh]|ijkl"},
                       {kMove, 1, 0, kNone, "a|[bcd]ef\nghijkl"},
                       {kUp, 5, 1, kNone, "a|[bcd]ef\nghijkl"}});
    EXPECT_FALSE(view.IsMouseSelecting());
    GiveFocus(view);
    RunSteps(fx.view, {{kClick, 0, 1}, {kDown, 1, 0}, {kMove, 3, 0}});
    ASSERT_TRUE(view.IsMouseSelecting());
    TakeFocus(view);
    EXPECT_FALSE(view.IsMouseSelecting());
    EXPECT_FALSE(view.IsAutoScrollTimerActive());
    RunSteps(fx.view, {{kMove, 5, 0, kNone, "a[bc]|def\nghijkl"},
                       {kRightClick, 2, 0, kNone, "a[bc]|def\nghijkl"},
                       {kRightClick, 2, 1, kNone, "abcdef\ngh|ijkl"}});
    EXPECT_EQ(view.m_ptSelAnchor, (TextPos{2, 1}));
    // Ctrl+clicks and double-clicks select whole words.
    CMouseFixture words("foo bar baz qux");
    RunSteps(words.view, {{kDown, 5, 0, kCtrl, "foo [bar]| baz qux"}});
    EXPECT_TRUE(words.view.m_bSelectWords);
    RunSteps(words.view, {{kMove, 9, 0, kNone, "foo [bar baz]| qux"},
                          {kMove, 1, 0, kNone, "[foo bar]| baz qux"},
                          {kUp, 1, 0, kNone, "[foo bar]| baz qux"},
                          {kClick, 13, 0, kCtrl | Qt::ShiftModifier, "foo [bar baz qux]|"},
                          {kDouble, 3, 0, kNone, "[foo]| bar baz qux"},
                          {kDouble, 3, 0, kNone, "foo [bar]| baz qux", true}});
    EXPECT_FALSE(words.view.IsMouseSelecting());
    RunSteps(words.view, {{kClick, 0, 0},
                          {kDoubleEvent, 5, 0},
                          {kMove, 9, 0},
                          {kUp, 9, 0, kNone, "foo [bar baz]| qux"},
                          {kDown, 1, 0}});
    words.view.OnLButtonDblClk(Qt::NoModifier, Cell(words.view, 9, 0));
    EXPECT_FALSE(words.view.m_bSelectWords);
    RunSteps(words.view, {{kUp, 1, 0, kNone, "f|oo bar baz qux"}});
    for (const bool bNumbers : {false, true}) {
        SCOPED_TRACE(bNumbers ? "line numbers" : "margin");
        CMouseFixture fx("line 0\nline 1\nline 2\nline 3");
        fx.view.SetShowLineNumbers(bNumbers);
        RunSteps(fx.view, {{kClick, -1, 1, kNone, "line 0\n[line 1\n]|line 2\nline 3"},
                           {kClick, -1, 3, kNone, "line 0\nline 1\nline 2\n[line 3]|"},
                           {kDown, -1, 1}});
        EXPECT_TRUE(fx.view.m_bSelectLines);
        RunSteps(fx.view, {{kMove, -1, 2, kNone, "line 0\n[line 1\n|line 2\n]line 3"},
                           {kMove, -1, 0, kNone, "|[line 0\nline 1\n]line 2\nline 3"},
                           {kUp, -1, 0, kNone, "|[line 0\nline 1\n]line 2\nline 3"},
                           {kDown, -1, 1},
                           {kUp, -1, 2, kNone, "line 0\n[line 1\nline 2\n]|line 3"},
                           {kClick, -1, 2, kCtrl, "[line 0\nline 1\nline 2\nline 3]|"},
                           {kDown, -1, 1},
                           {kMove, 3, 2, kNone, "line 0\n[line 1\nlin]|e 2\nline 3"}});
        EXPECT_FALSE(fx.view.m_bSelectLines);
        EXPECT_EQ(fx.view.viewport()->cursor().shape(), Qt::IBeamCursor);
        RunSteps(fx.view, {{kMove, -1, 3, kNone, "line 0\n[line 1\nline 2\n]|line 3"},
                           {kUp, -1, 3, kNone, "line 0\n[line 1\nline 2\n]|line 3"}});
    }
}

TEST(TextViewMouse, APressInTheSelectionDragsTheTimerScrollsAndTheContextMenuRoutes) {
    CMouseFixture fx("a[bcde]|f ghijkl");
    RunSteps(fx.view, {{kDown, 3, 0, kNone, "a[bcde]|f ghijkl"}});
    EXPECT_TRUE(fx.view.m_bDragPending);
    EXPECT_FALSE(fx.view.IsMouseSelecting());
    RunSteps(fx.view, {{kUp, 3, 0, kNone, "abcd|ef ghijkl", true}});
    EXPECT_FALSE(fx.view.m_bDragPending);
    EXPECT_EQ(DescribeAfter(fx.view, "Shift+Right"), "abcd[e]|f ghijkl");
    EXPECT_EQ(fx.view.m_nDrags, 0);
    CMouseFixture drag("ab[cd\n\xE9"
                       "f]|gh");
    RunSteps(drag.view, {{kDown, 3, 0}, {kMove, 3, 0, kNone, nullptr, false, 1}});
    EXPECT_EQ(drag.view.m_nDrags, 0);
    EXPECT_TRUE(drag.view.m_bDragPending);
    RunSteps(drag.view,
             {{kMove, 3, 0, kNone, nullptr, false, QApplication::startDragDistance() + 2}});
    EXPECT_EQ(drag.view.m_nDrags, 1);
    EXPECT_FALSE(drag.view.m_bDragPending);
    EXPECT_EQ(drag.view.m_strDragged, QString::fromUtf8("cd\n\xC3\xA9"
                                                        "f"));
    EXPECT_EQ(drag.view.m_dragEffects, Qt::DropActions(Qt::CopyAction));
    EXPECT_TRUE(drag.view.m_bSourceActiveDuringDrag);
    EXPECT_FALSE(drag.view.IsDragSourceActive());
    EXPECT_EQ(drag.view.m_ptDraggedFrom, (TextPos{2, 0}));
    EXPECT_EQ(drag.view.m_ptDraggedTo, (TextPos{2, 1}));
    RunSteps(drag.view, {{kUp, 5, 0}});
    EXPECT_EQ(drag.State(), "ab[cd\n\xE9"
                            "f]|gh");
    EXPECT_EQ(drag.pBuffer->GetUndoStepCount(), 0);
    // The context menu is menu 131; the chosen command is routed.
    CMouseFixture menu("abc|\ndef");
    menu.view.m_nMenuChoice = ID_EDIT_SELECT_ALL;
    const QPoint ptScreen = menu.view.viewport()->mapToGlobal(Cell(menu.view, 1, 1));
    QContextMenuEvent event(QContextMenuEvent::Mouse, Cell(menu.view, 1, 1), ptScreen);
    QApplication::sendEvent(menu.view.viewport(), &event);
    // Copy and the anonymous bookmarks' moves are disabled: nothing selected, none set.
    EXPECT_EQ(menu.view.m_strMenu, "Cu&t\tCtrl+X|&Copy\tCtrl+C (off)|&Paste\tCtrl+V|&Delete\tDel|"
                                   "Select &All\tCtrl+A|-|Toggle Bookmark|Next Bookmark (off)|"
                                   "Previous Bookmark (off)|-|&Properties|");
    EXPECT_EQ(menu.view.m_ptMenu, ptScreen);
    EXPECT_EQ(menu.view.m_arrRouted, std::vector<unsigned>{ID_EDIT_SELECT_ALL});
    EXPECT_EQ(menu.State(), "[abc\ndef]|");
    menu.view.m_nMenuChoice = ID_CONTEXT_PROPERTIES;
    menu.view.OnContextMenu(ptScreen);
    EXPECT_EQ(menu.view.m_arrRouted.back(), ID_CONTEXT_PROPERTIES);
    EXPECT_EQ(menu.State(), "[abc\ndef]|");
    menu.view.m_nMenuChoice = 0;
    menu.view.OnContextMenu(ptScreen);
    EXPECT_NE(menu.view.m_strMenu.find("&Copy\tCtrl+C|"), std::string::npos); // with a selection
    EXPECT_EQ(menu.view.m_arrRouted.size(), 2u);
    // The auto-scroll timer scrolls one or three lines and extends the selection.
    auto pBuffer = MakeNumberedBuffer(100);
    pBuffer->AppendToLine(50, std::string(60, 'w'));
    CMouseView view;
    SetUpView(view, pBuffer.get(), 20, 10);
    const int h = view.GetLineHeight(), nBottom = view.viewport()->height();
    const int x = Cell(view, 4, 0).x(), y = Cell(view, 0, 5).y();
    view.ScrollToTopLine(40, true);
    RunSteps(view, {{kDown, 2, 1}});
    const std::pair<QPoint, const char*> ticks[] = {
        {Cell(view, 4, 4), "caret 2,41 top 40"},
        {{x, nBottom}, "caret 4,51 sel 2,41-4,51 top 41"},
        {{x, nBottom + h}, "caret 4,55 sel 2,41-4,55 top 44"},
        {{x, nBottom + h - 1}, "caret 4,55 sel 2,41-4,55 top 45"},
        {{x, -1}, "caret 4,44 sel 2,41-4,44 top 44"},
        {{x, -h}, "caret 4,42 sel 2,41-4,42 top 43"},
        {{x, -h - 1}, "caret 4,39 sel 4,39-2,41 top 40"},
        {{view.viewport()->width(), y}, "caret 7,45 sel 2,41-7,45 top 40 left 1"},
        {{-1, y}, "caret 0,45 sel 2,41-0,45 top 40"},
        {{-1, y}, "caret 0,45 sel 2,41-0,45 top 40"},
    };
    for (const auto& [ptMouse, pszWhere] : ticks) {
        view.OnTimer(ptMouse);
        EXPECT_EQ(Where(view), pszWhere) << ptMouse.x() << "," << ptMouse.y();
        EXPECT_EQ(view.verticalScrollBar()->value(), view.GetFirstVisibleLine());
    }
    view.ScrollToTopLine(1, true);
    view.OnTimer(QPoint(x, -5 * h));
    EXPECT_EQ(view.GetFirstVisibleLine(), 0);
    RunSteps(view, {{kUp, 2, 2}});
    EXPECT_FALSE(view.IsAutoScrollTimerActive());
    auto pWords = MakeBuffer({"alpha beta", "gamma delta", "epsilon zeta", "eta theta"});
    view.AttachBuffer(pWords.get());
    ShowWithCells(view, 20, 2);
    RunSteps(view, {{kDown, 7, 0, kCtrl, "alpha [beta]|\ngamma delta\nepsilon zeta\neta theta"}});
    view.OnTimer(QPoint(Cell(view, 3, 0).x(), view.viewport()->height()));
    EXPECT_EQ(Where(view), "caret 3,3 sel 7,0-3,3 top 1");
    RunSteps(view, {{kUp, 3, 1}});
    view.DetachBuffer();
}

} // namespace
