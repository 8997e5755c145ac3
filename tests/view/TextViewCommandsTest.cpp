// The view's keyboard commands: caret movement, scrolling by lines and columns, Select All,
// bookmarks, copying, and the key table that dispatches them.
#include "GoldenText.h"
#include "resources/CommandIds.h"
#include "view/PaneSplitter.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;
constexpr Qt::KeyboardModifiers kShift = Qt::ShiftModifier;
constexpr Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;
constexpr Qt::KeyboardModifiers kAlt = Qt::AltModifier;
constexpr Qt::KeyboardModifiers kCtrlShift = Qt::ControlModifier | Qt::ShiftModifier;

// One key pressed nTimes and the golden text after it.
struct KeyStep {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int nTimes;
    const char* pszAfter;
};

TEST(TextViewMovement, KeysMoveTheCaretAndTheSelectionAsTheGoldenTextsShow) {
    const struct {
        const char* pszBefore;
        std::vector<KeyStep> steps;
    } cases[] = {
        // clang-format off
        // Characters cross line ends and stop at the document's ends.
        {"ab|c", {{Qt::Key_Left, kNone, 1, "a|bc"}}},
        {"ab\n|cd", {{Qt::Key_Left, kNone, 1, "ab|\ncd"}}},
        {"ab|\ncd", {{Qt::Key_Right, kNone, 1, "ab\n|cd"}}},
        {"|ab", {{Qt::Key_Left, kNone, 1, "|ab"}}},
        {"ab\ncd|", {{Qt::Key_Right, kNone, 1, "ab\ncd|"}}},
        {"a|b\ncd", {{Qt::Key_Up, kNone, 1, "a|b\ncd"}}},
        {"ab\nc|d", {{Qt::Key_Down, kNone, 1, "ab\nc|d"}}},
        // Shift extends from the anchor; going back over it shrinks the selection to nothing.
        {"a|bcd", {{Qt::Key_Right, kShift, 2, "a[bc]|d"}, {Qt::Key_Left, kShift, 3, "|[a]bcd"}}},
        // A plain move collapses a selection first; Up from its start, Down from its end.
        {"ab[cd]|ef", {{Qt::Key_Left, kNone, 1, "ab|cdef"}}},
        {"ab|[cd]ef", {{Qt::Key_Right, kNone, 1, "abcd|ef"}}},
        {"0123\n01[23\n0123\n01]|23", {{Qt::Key_Up, kNone, 1, "01|23\n0123\n0123\n0123"}}},
        {"01|[23\n01]23\n0123", {{Qt::Key_Down, kNone, 1, "0123\n0123\n01|23"}}},
        {"ab|[cd]ef", {{Qt::Key_Right, kShift, 1, "abc|[d]ef"}}},
        // Words are runs of one character class; bytes 128 to 255 are neither blanks nor word
        // characters.
        {"a|+=b c", {{Qt::Key_Right, kCtrl, 1, "a+=|b c"}, {Qt::Key_Right, kCtrl, 1, "a+=b |c"}}},
        {"foo  ba|r", {{Qt::Key_Left, kCtrl, 1, "foo  |bar"}, {Qt::Key_Left, kCtrl, 1, "|foo  bar"}}},
        {"x = a_1|;", {{Qt::Key_Left, kCtrl, 1, "x = |a_1;"}}},
        {"|ab\xE9\xE9" "cd", {{Qt::Key_Right, kCtrl, 1, "ab|\xE9\xE9" "cd"},
                             {Qt::Key_Right, kCtrl, 1, "ab\xE9\xE9|cd"}}},
        {"|foo bar", {{Qt::Key_Right, kCtrlShift, 1, "[foo ]|bar"}}},
        // Left from column 0: to the start of the previous line's last word; Right from a
        // line's end: across the next line's first word and the blanks after it.
        {"foo bar\n|x", {{Qt::Key_Left, kCtrl, 1, "foo |bar\nx"}}},
        {"foo bar  \n|x", {{Qt::Key_Left, kCtrl, 1, "foo |bar  \nx"}}},
        {"abc|\nfoo  bar", {{Qt::Key_Right, kCtrl, 1, "abc\nfoo  |bar"}}},
        // An empty next line is passed like a plain Right from it.
        {"ab|\n\nxy", {{Qt::Key_Right, kCtrl, 1, "ab\n\n|xy"}}},
        {"ab|\n", {{Qt::Key_Right, kCtrl, 1, "ab\n|"}}},
        // At the document's ends nothing happens at all, not even to the selection.
        {"|[ab]", {{Qt::Key_Left, kCtrlShift, 1, "|[ab]"}}},
        {"[ab]|", {{Qt::Key_Right, kCtrlShift, 1, "[ab]|"}}},
        {"|ab", {{Qt::Key_Left, kCtrl, 1, "|ab"}}},
        // A selection without Shift collapses like a character move, and no further.
        {"ab [cd]|ef", {{Qt::Key_Left, kCtrl, 1, "ab |cdef"}}},
        {"ab |[cd]ef", {{Qt::Key_Right, kCtrl, 1, "ab cd|ef"}}},
        // Smart Home toggles between the first non-blank and column 0.
        {"    te|xt", {{Qt::Key_Home, kNone, 1, "    |text"}, {Qt::Key_Home, kNone, 1, "|    text"},
                       {Qt::Key_Home, kNone, 1, "    |text"}}},
        {"\t x|y", {{Qt::Key_Home, kNone, 1, "\t |xy"}}},
        {"  | ", {{Qt::Key_Home, kNone, 1, "|   "}}},
        {"|", {{Qt::Key_Home, kNone, 1, "|"}}},
        {"    te|xt", {{Qt::Key_Home, kShift, 1, "    |[te]xt"}}},
        {"a|bc", {{Qt::Key_End, kNone, 1, "abc|"}}},
        {"a|bc", {{Qt::Key_End, kShift, 1, "a[bc]|"}}},
        // Up and Down keep the screen column across shorter lines (column 12 is character 6
        // of the first line); a horizontal move sets it anew.
        {"\t\tabcdefgh\nabc\n0123456789ab|cdef", {
            {Qt::Key_Up, kNone, 1, "\t\tabcdefgh\nabc|\n0123456789abcdef"},
            {Qt::Key_Up, kNone, 1, "\t\tabcd|efgh\nabc\n0123456789abcdef"},
            {Qt::Key_Down, kNone, 2, "\t\tabcdefgh\nabc\n0123456789ab|cdef"},
            {Qt::Key_Left, kNone, 1, "\t\tabcdefgh\nabc\n0123456789a|bcdef"},
            {Qt::Key_Up, kNone, 2, "\t\tabc|defgh\nabc\n0123456789abcdef"},
            {Qt::Key_Down, kShift, 1, "\t\tabc[defgh\nabc]|\n0123456789abcdef"}}},
        {"ab\ncd|", {{Qt::Key_Up, kShift, 1, "ab|[\ncd]"}}},
        // The document's start and end.
        {"ab\ncd|e\nfg", {{Qt::Key_End, kCtrl, 1, "ab\ncde\nfg|"}}},
        {"ab\ncd|e\nfg", {{Qt::Key_Home, kCtrl, 1, "|ab\ncde\nfg"}}},
        {"ab\ncd|e\nfg", {{Qt::Key_Home, kCtrlShift, 1, "|[ab\ncd]e\nfg"}}},
        {"ab\ncd|e\nfg", {{Qt::Key_End, kCtrlShift, 1, "ab\ncd[e\nfg]|"}}},
        // clang-format on
    };
    for (const auto& c : cases) {
        TGoldenFixture<CProbeView> fx(c.pszBefore);
        for (const KeyStep& step : c.steps) {
            EXPECT_EQ(DescribeAfter(fx.view, step.key, step.modifiers, step.nTimes), step.pszAfter)
                << c.pszBefore;
        }
    }
}

TEST(TextViewMovement, PagesAndLineScrollsMoveTheWindowAndKeepTheCaretInView) {
    CShownView fx(MakeNumberedBuffer(100));
    CProbeView& view = fx.view;
    // Even a move at the document's edge scrolls the caret back into view.
    view.ScrollToTopLine(40, true);
    EXPECT_EQ(WhereAfter(view, Qt::Key_Left), "caret 0,0 top 0");
    // Pages move caret and window by a page less one line; near the end both clamp.
    view.PlaceCaret({2, 5});
    EXPECT_EQ(WhereAfter(view, Qt::Key_PageDown), "caret 2,14 top 9");
    EXPECT_EQ(WhereAfter(view, Qt::Key_PageDown, kShift), "caret 2,23 sel 2,14-2,23 top 18");
    view.ScrollToTopLine(95, true);
    view.PlaceCaret({2, 97});
    EXPECT_EQ(WhereAfter(view, Qt::Key_PageDown), "caret 2,99 top 99");
    // Ctrl+Up and Down scroll without moving the caret, within the document.
    view.ScrollToTopLine(0, true);
    view.PutCaretAt({3, 4});
    EXPECT_EQ(WhereAfter(view, Qt::Key_Down, kCtrl, 2), "caret 3,4 top 2");
    EXPECT_EQ(view.verticalScrollBar()->value(), 2);
    EXPECT_EQ(WhereAfter(view, Qt::Key_Up, kCtrl, 5), "caret 3,4 top 0");
    view.ScrollToTopLine(98, true);
    Press(view, Qt::Key_Down, kCtrl, 3);
    EXPECT_EQ(view.GetFirstVisibleLine(), 99);
    // Select All keeps the anchor and the scroll position.
    view.ScrollToTopLine(20, true);
    view.PlaceCaret({1, 22});
    view.SetSelAnchor({1, 22});
    EXPECT_EQ(WhereAfter(view, Qt::Key_A, kCtrl), "caret 7,99 sel 0,0-7,99 top 20");
    EXPECT_EQ(view.m_ptSelAnchor, (TextPos{1, 22}));

    // Page Up near the top clamps and limits the column, which becomes the sticky one.
    TGoldenFixture<CProbeView> top("x\nline 1\nline 2\nline 3\nline 4\nline| 5\nline 6", 20, 4);
    top.view.ScrollToTopLine(3, true);
    EXPECT_EQ(WhereAfter(top.view, Qt::Key_PageUp), "caret 4,2 top 0");
    Press(top.view, Qt::Key_PageUp);
    EXPECT_EQ(top.view.GetCaretTextPos(), (TextPos{1, 0}));
    EXPECT_EQ(top.view.m_nStickyColumn, 1);
    Press(top.view, Qt::Key_Down);
    EXPECT_EQ(top.view.GetCaretTextPos(), (TextPos{1, 1}));

    // In a window lower than two lines pages still go the way asked.
    CShownView low(MakeNumberedBuffer(20), 20, 1);
    ASSERT_EQ(low.view.GetVisibleLineCount(), 1);
    low.view.PlaceCaret({0, 5});
    Press(low.view, Qt::Key_PageUp);
    EXPECT_EQ(low.view.GetCaretTextPos().y, 4);
    Press(low.view, Qt::Key_PageDown, kNone, 2);
    EXPECT_EQ(low.view.GetCaretTextPos().y, 6);
}

TEST(TextViewMovement, ColumnScrollsStayWithinTheWidestLineAndMoveTheColumnsPanes) {
    auto pBuffer = MakeBuffer({std::string(30, 'x'), "short"});
    CPaneSplitter splitter;
    auto* pTop = new CProbeView;
    auto* pBottom = new CProbeView;
    splitter.SetPane(0, 0, pTop);
    splitter.SetPane(1, 0, pBottom);
    splitter.resize(300, 300);
    splitter.show();
    for (CProbeView* pView : {pTop, pBottom}) {
        pView->AttachBuffer(pBuffer.get());
        UseDocumentFont(*pView);
    }
    pTop->ScrollColumnLeft();
    EXPECT_EQ(pTop->GetFirstVisibleColumn(), 0);
    pTop->ScrollColumnRight();
    pTop->ScrollColumnRight();
    EXPECT_EQ(pTop->GetFirstVisibleColumn(), 2);
    EXPECT_EQ(pBottom->GetFirstVisibleColumn(), 2);
    for (int i = 0; i < 40; ++i)
        pTop->ScrollColumnRight();
    EXPECT_EQ(pTop->GetFirstVisibleColumn(), 29);
    pBottom->ScrollColumnLeft();
    EXPECT_EQ(pTop->GetFirstVisibleColumn(), 28);
    for (CProbeView* pView : {pTop, pBottom})
        pView->DetachBuffer();
}

TEST(TextViewMovement, WithoutABufferKeysAndBookmarkCommandsStayOnTheOneEmptyLine) {
    CProbeView view;
    UseDocumentFont(view);
    ShowWithCells(view, 10, 5);
    for (const Qt::Key key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp,
                              Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End})
        Press(view, key);
    for (const Qt::Key key : {Qt::Key_Right, Qt::Key_Left, Qt::Key_A, Qt::Key_1, Qt::Key_F2})
        Press(view, key, kCtrl);
    Press(view, Qt::Key_1, kAlt);
    view.GoToNextAnonBookmark();
    view.GoToPrevAnonBookmark();
    view.ClearAnonBookmarks();
    view.ClearNumberedBookmarks();
    EXPECT_FALSE(view.HasAnonBookmarks());
    EXPECT_EQ(DescribeView(view), "|");
}

// The lines with bookmarks: "line:digits", and "*" for an anonymous one, e.g. "2:09 5:* ".
std::string Marks(const CTextBuffer& buffer) {
    std::string out;
    for (int nLine = 0; nLine < buffer.GetLineCount(); ++nLine) {
        const uint32_t dwFlags = buffer.GetLineFlags(nLine);
        if (dwFlags == 0)
            continue;
        out += std::to_string(nLine) + ":";
        for (int nMark = 0; nMark < 10; ++nMark)
            out += dwFlags & LineFlagMark(nMark) ? std::to_string(nMark) : "";
        out += dwFlags & LINEFLAG_BOOKMARK ? "* " : " ";
    }
    return out;
}

// Places the caret, presses a key, and lists the bookmarks.
std::string MarksAfter(CTextView& view, TextPos pt, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    view.PlaceCaret(pt);
    Press(view, key, modifiers);
    return Marks(*view.GetBuffer());
}

TEST(TextViewBookmark, NumberedBookmarksLiveOnOneLineFollowItAndTakeTheCaretThere) {
    CShownView fx(MakeNumberedBuffer(100));
    CProbeView& view = fx.view;
    // One line each, toggling off; several numbers may share a line.
    EXPECT_EQ(MarksAfter(view, {3, 7}, Qt::Key_3, kCtrl), "7:3 ");
    EXPECT_EQ(MarksAfter(view, {0, 2}, Qt::Key_3, kCtrl), "2:3 ");
    EXPECT_EQ(MarksAfter(view, {0, 2}, Qt::Key_3, kCtrl), "");
    EXPECT_EQ(MarksAfter(view, {0, 2}, Qt::Key_0, kCtrl), "2:0 ");
    EXPECT_EQ(MarksAfter(view, {0, 2}, Qt::Key_9, kCtrl), "2:09 ");
    // Going to one puts the caret at its line's start; without the bookmark nothing happens.
    EXPECT_EQ(MarksAfter(view, {0, 60}, Qt::Key_4, kCtrl), "2:09 60:4 ");
    view.PlaceCaret({3, 1});
    view.SetSelAnchor({1, 1});
    view.SetSelectionRange({1, 1}, {3, 1});
    EXPECT_EQ(WhereAfter(view, Qt::Key_5, kAlt), "caret 3,1 sel 1,1-3,1 top 0");
    EXPECT_EQ(WhereAfter(view, Qt::Key_4, kAlt), "caret 0,60 top 51");
    EXPECT_EQ(view.m_ptSelAnchor, (TextPos{0, 60}));
    // Shift+Down from there selects the whole line.
    EXPECT_EQ(WhereAfter(view, Qt::Key_Down, kShift), "caret 0,61 sel 0,60-0,61 top 52");
    // Bookmarks follow their lines and go with them.
    BufferInsert(*fx.pBuffer, 1, 0, "new\r\n");
    EXPECT_EQ(Marks(*fx.pBuffer), "3:09 61:4 ");
    BufferDelete(*fx.pBuffer, {0, 60}, {0, 62});
    EXPECT_EQ(MarksAfter(view, {0, 0}, Qt::Key_4, kAlt), "3:09 ");
    EXPECT_EQ(view.GetCaretTextPos(), (TextPos{0, 0}));
}

TEST(TextViewBookmark, AnonymousBookmarksAreVisitedInTurnByTheViewThatKnowsThem) {
    CShownView fx(MakeNumberedBuffer(20));
    CProbeView& view = fx.view;
    CProbeView other;
    SetUpView(other, fx.pBuffer.get(), 20, 10);
    const unsigned anMoves[] = {ID_NEXT_ANON_BOOKMARK, ID_PREV_ANON_BOOKMARK,
                                ID_CLEAR_ANON_BOOKMARKS};
    EXPECT_FALSE(IsCommandEnabled(view, ID_NEXT_ANON_BOOKMARK));
    EXPECT_EQ(MarksAfter(view, {2, 4}, Qt::Key_F2, kCtrl), "4:* ");
    for (const unsigned nId : anMoves)
        EXPECT_TRUE(IsCommandEnabled(view, nId)) << nId;
    // The only bookmark's line stays where it is.
    EXPECT_EQ(WhereAfter(view, Qt::Key_F2), "caret 0,4 top 0");
    EXPECT_EQ(MarksAfter(view, {0, 12}, Qt::Key_F2, kCtrl), "4:* 12:* ");
    // Next and Previous go in turn and wrap around the document.
    const struct {
        TextPos ptFrom;
        Qt::KeyboardModifiers modifiers;
        int nLine;
    } visits[] = {
        {{3, 8}, kNone, 12}, {{3, 8}, kShift, 4}, {{0, 4}, kShift, 12}, {{0, 12}, kNone, 4}};
    for (const auto& visit : visits) {
        MarksAfter(view, visit.ptFrom, Qt::Key_F2, visit.modifiers);
        EXPECT_EQ(view.GetCaretTextPos(), (TextPos{0, visit.nLine})) << visit.ptFrom.y;
    }
    // The other view shows the bookmarks but does not know them until it toggles one itself.
    EXPECT_EQ(other.GetLineFlags(12), LINEFLAG_BOOKMARK);
    EXPECT_FALSE(IsCommandEnabled(other, ID_NEXT_ANON_BOOKMARK));
    EXPECT_EQ(WhereAfter(other, Qt::Key_F2), "caret 0,0 top 0");
    // Toggling the last one off disables the commands; a reset forgets them.
    EXPECT_EQ(MarksAfter(view, {0, 4}, Qt::Key_F2, kCtrl), "12:* ");
    EXPECT_EQ(MarksAfter(view, {0, 12}, Qt::Key_F2, kCtrl), "");
    for (const unsigned nId : anMoves)
        EXPECT_FALSE(IsCommandEnabled(view, nId)) << nId;
    EXPECT_TRUE(IsCommandEnabled(view, ID_TOGGLE_ANON_BOOKMARK));
    Press(view, Qt::Key_F2, kCtrl);
    view.AttachBuffer(fx.pBuffer.get());
    EXPECT_FALSE(view.HasAnonBookmarks());

    // Each Clear All leaves the other kind in place.
    MarksAfter(view, {0, 3}, Qt::Key_1, kCtrl);
    MarksAfter(view, {0, 3}, Qt::Key_F2, kCtrl);
    MarksAfter(view, {0, 9}, Qt::Key_7, kCtrl);
    EXPECT_EQ(MarksAfter(view, {0, 9}, Qt::Key_F2, kCtrl), "3:1* 9:7* 12:* ");
    EXPECT_TRUE(view.RouteCommand(ID_CLEAR_BOOKMARKS));
    EXPECT_EQ(MarksAfter(view, {0, 9}, Qt::Key_5, kCtrl), "3:* 9:5* 12:* ");
    EXPECT_EQ(MarksAfter(view, {0, 9}, Qt::Key_F2, kCtrlShift), "9:5 ");
    EXPECT_FALSE(view.HasAnonBookmarks());
}

QString ClipboardText() {
    return QGuiApplication::clipboard()->text();
}

TEST(TextViewClipboard, CopyPutsTheSelectionOnTheClipboardWithLfLineEndsAndItsBytesAs1252) {
    TGoldenFixture<CProbeView> fx("ab|cd");
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    // With nothing selected Copy is disabled and does nothing.
    CCmdUI cmdUI(ID_EDIT_COPY);
    EXPECT_TRUE(fx.view.RouteUpdateCmdUI(ID_EDIT_COPY, cmdUI));
    EXPECT_FALSE(cmdUI.IsEnabled());
    Press(fx.view, Qt::Key_C, kCtrl);
    fx.view.CopySelection();
    EXPECT_FALSE(fx.view.PutTextOnClipboard(""));
    EXPECT_EQ(ClipboardText(), QStringLiteral("before"));

    TGoldenFixture<CProbeView> sel("ab[cd\nef\n\xE9"
                                   "g]|h");
    Press(sel.view, Qt::Key_C, kCtrl);
    EXPECT_EQ(ClipboardText(), QString::fromUtf8("cd\nef\n\xC3\xA9g"));
    EXPECT_TRUE(sel.view.IsClipboardTextAvailable());
    // Ctrl+Insert copies too; the selection stays.
    sel.view.SetSelectionRange({0, 1}, {2, 1});
    Press(sel.view, Qt::Key_Insert, kCtrl);
    EXPECT_EQ(ClipboardText(), QStringLiteral("ef"));
    EXPECT_EQ(sel.State(), "abcd\n[ef]\n\xE9g|h");
    // NUL bytes and carriage returns inside lines leave as they are.
    auto pBuffer = std::make_unique<CTextBuffer>();
    pBuffer->InitEmpty(EOL_CRLF);
    pBuffer->AppendToLine(0, std::string_view("a\0b\rc", 5));
    sel.view.AttachBuffer(pBuffer.get());
    sel.view.SetSelectionRange({0, 0}, {5, 0});
    sel.view.CopySelection();
    EXPECT_EQ(ClipboardText(), QString::fromLatin1("a\0b\rc", 5));
    sel.view.DetachBuffer();
}

TEST(TextViewClipboard, TextFromTheClipboardComesInWithCrLfLineEnds) {
    CProbeView view;
    QGuiApplication::clipboard()->setText(
        QString::fromUtf8("one\ntwo\r\nthree\rfour \xC3\xA9\xE2\x82\xAC\n"));
    std::optional<ConvertedText> text = view.GetTextFromClipboard();
    ASSERT_TRUE(text && text->IsComplete());
    EXPECT_EQ(text->bytes, "one\r\ntwo\r\nthree\rfour \xE9\x80\r\n");
    // A character the document cannot hold is named, and the text is not to be used.
    QGuiApplication::clipboard()->setText(QString::fromUtf8("a\nb \xE2\x86\x92"));
    text = view.GetTextFromClipboard();
    ASSERT_TRUE(text);
    EXPECT_EQ(text->cpMissing, U'\u2192');
    QGuiApplication::clipboard()->clear();
    EXPECT_FALSE(view.IsClipboardTextAvailable());
    EXPECT_FALSE(view.GetTextFromClipboard());
    // Only text counts.
    auto* pData = new QMimeData;
    pData->setData(QStringLiteral("application/octet-stream"), QByteArray("xyz"));
    QGuiApplication::clipboard()->setMimeData(pData);
    EXPECT_FALSE(view.IsClipboardTextAvailable());
}

TEST(TextTransfer, BytesLeaveAsWindows1252AndComeBackAsTheSameBytes) {
    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    const QString text = BytesToText(all);
    ASSERT_EQ(text.size(), 256);
    // The characters of the bytes that are not Latin-1; the five undefined bytes are the C1
    // controls of the same code.
    // clang-format off
    const char16_t expected[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    // clang-format on
    for (int i = 0; i < 256; ++i) {
        const char16_t cExpected = i >= 0x80 && i < 0xA0 ? expected[i - 0x80] : char16_t(i);
        EXPECT_EQ(text.at(i).unicode(), cExpected) << std::hex << i;
    }
    const ConvertedText back = TextToBytes(text);
    EXPECT_TRUE(back.IsComplete());
    EXPECT_EQ(back.bytes, all);

    // Characters without a byte: the first one is named, whatever follows.
    const struct {
        QString strText;
        char32_t cpMissing;
    } refused[] = {
        {QString::fromUtf8("a\xE2\x86\x92\xE2\x82\xAC"), U'\u2192'},
        {QString::fromUtf8("\xC2\x80"), U'\u0080'}, // a C1 control no byte stands for
        {QString::fromUtf8("x\xF0\x9F\x98\x80"), U'\U0001F600'},
        {QString(QChar(0xD800)) + u'a', 0xD800}, // a lone surrogate
    };
    for (const auto& row : refused) {
        const ConvertedText converted = IncomingTextToBytes(row.strText);
        EXPECT_FALSE(converted.IsComplete()) << row.strText.toStdString();
        EXPECT_EQ(converted.cpMissing, row.cpMissing) << row.strText.toStdString();
    }
    EXPECT_EQ(MissingCharacterMessage(QStringLiteral("paste"), U'\u2192'),
              QString::fromUtf8("Cannot paste U+2192 (\xE2\x86\x92): not in the document's "
                                "encoding, Windows-1252."));
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
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_Left, kNone},   {Qt::Key_Left, kCtrlShift},
        {Qt::Key_Tab, kNone},    {Qt::Key_Backtab, kShift},
        {Qt::Key_5, kCtrl},      {Qt::Key_0, kAlt},
        {Qt::Key_F2, kCtrl},     {Qt::Key_Home, Qt::KeypadModifier},
        {Qt::Key_Q, kCtrl},      // not in the table
        {Qt::Key_Up, kCtrlShift} // no entry
    };
    for (const auto& [key, modifiers] : keys)
        QTest::keyClick(pView, key, modifiers);
    const std::vector<unsigned> expected = {
        ID_MOVE_CHAR_LEFT,      ID_MOVE_WORD_LEFT_EXT,   ID_EDIT_TAB,        ID_EDIT_UNTAB, 37205,
        ID_GOTO_BOOKMARK_FIRST, ID_TOGGLE_ANON_BOOKMARK, ID_MOVE_LINE_START,
    };
    EXPECT_EQ(pView->m_arrCommands, expected);

    // A command its update handler disables is not run; the key is still consumed.
    pView->m_arrCommands.clear();
    pView->m_nDisabled = ID_EDIT_UNDO;
    QTest::keyClick(pView, Qt::Key_Z, kCtrl);
    QTest::keyClick(pView, Qt::Key_Backspace, kAlt);
    QTest::keyClick(pView, Qt::Key_Y, kCtrl);
    EXPECT_EQ(pView->m_arrCommands, std::vector<unsigned>{ID_EDIT_REDO});
    // The view's keys come before the window's shortcuts (Copy is enabled with a selection).
    pView->m_arrCommands.clear();
    pView->SetSelectionRange({0, 0}, {1, 0});
    QTest::keyClick(pView, Qt::Key_C, kCtrl);
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(pView->m_arrCommands, std::vector<unsigned>{ID_EDIT_COPY});
    pView->DetachBuffer();
}

TEST(TextViewKeys, TheViewsKeyTableHasEveryBindingOnce) {
    const std::span<const KeyBinding> table = GetViewKeyTable();
    EXPECT_EQ(table.size(), 72u);
    for (size_t i = 0; i < table.size(); ++i) {
        for (size_t j = i + 1; j < table.size(); ++j)
            EXPECT_FALSE(table[i].nKey == table[j].nKey && table[i].modifiers == table[j].modifiers)
                << i << " " << j;
    }
    // A key of both tables gives the same command in both.
    for (const KeyBinding& binding : GetMainKeyTable()) {
        const unsigned nId = LookupKeyBinding(table, binding.nKey, binding.modifiers);
        EXPECT_TRUE(nId == 0 || nId == binding.nCommand) << binding.nCommand;
    }
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        unsigned nId;
    } lookups[] = {
        {Qt::Key_Insert, kCtrl, ID_EDIT_COPY},
        {Qt::Key_Delete, kShift, ID_EDIT_CUT},
        {Qt::Key_F3, kShift, ID_EDIT_FIND_PREVIOUS},
        {Qt::Key_Backspace, kCtrl, 37002u},
        {Qt::Key_Delete, kCtrl, ID_EDIT_DELETE_WORD},
        {Qt::Key_G, kCtrl, ID_EDIT_GOTO_LINE},
        {Qt::Key_Down, kCtrl, ID_SCROLL_LINE_DOWN},
        {Qt::Key_End, kCtrlShift, ID_MOVE_DOC_END_EXT},
        {Qt::Key_9, kCtrl | kAlt, 0u},
    };
    for (const auto& row : lookups)
        EXPECT_EQ(LookupKeyBinding(table, row.key, row.modifiers), row.nId) << row.nId;
}

} // namespace
