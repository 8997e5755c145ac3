// Bookmarks: the ten numbered ones, the anonymous ones, their commands and enabling rules, and
// their life across the views of one buffer.
#include "GoldenText.h"
#include "resources/CommandIds.h"

#include <gtest/gtest.h>

namespace {

bool IsEnabled(CTextView& view, unsigned nId) {
    CCmdUI cmdUI(nId);
    view.RouteUpdateCmdUI(nId, cmdUI);
    return cmdUI.IsEnabled();
}

TEST(TextViewBookmark, ANumberedBookmarkLivesOnOneLineAndTogglesOff) {
    auto pBuffer = MakeNumberedBuffer(20);
    CProbeView view;
    SetUpView(view, pBuffer.get(), 20, 10);
    view.PlaceCaret({3, 7});
    Press(view, Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(pBuffer->FindLineWithSingleFlag(LineFlagMark(3)), 7);
    view.PlaceCaret({0, 2});
    Press(view, Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(pBuffer->FindLineWithSingleFlag(LineFlagMark(3)), 2);
    EXPECT_EQ(pBuffer->GetLineFlags(7), 0u);
    Press(view, Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(pBuffer->FindLineWithSingleFlag(LineFlagMark(3)), -1);
    // Several numbers may share a line.
    Press(view, Qt::Key_0, Qt::ControlModifier);
    Press(view, Qt::Key_9, Qt::ControlModifier);
    EXPECT_EQ(pBuffer->GetLineFlags(2), LineFlagMark(0) | LineFlagMark(9));
}

TEST(TextViewBookmark, GoingToANumberedBookmarkPutsTheCaretAtItsLineStart) {
    auto pBuffer = MakeNumberedBuffer(100);
    CProbeView view;
    SetUpView(view, pBuffer.get(), 20, 10);
    pBuffer->ChangeLineFlag(60, LineFlagMark(4), true);
    view.PlaceCaret({3, 1});
    view.SetSelAnchor({1, 1});
    view.SetSelectionRange({1, 1}, {3, 1});
    // Without bookmark 5 nothing happens.
    Press(view, Qt::Key_5, Qt::AltModifier);
    EXPECT_EQ(view.GetCaretTextPos(), (TextPos{3, 1}));
    EXPECT_EQ(view.m_ptSelFrom, (TextPos{1, 1}));
    EXPECT_EQ(view.GetFirstVisibleLine(), 0);
    Press(view, Qt::Key_4, Qt::AltModifier);
    EXPECT_EQ(view.GetCaretTextPos(), (TextPos{0, 60}));
    EXPECT_EQ(view.m_ptSelFrom, (TextPos{0, 60}));
    EXPECT_EQ(view.m_ptSelTo, (TextPos{0, 60}));
    EXPECT_EQ(view.m_ptSelAnchor, (TextPos{0, 60}));
    EXPECT_GT(view.GetFirstVisibleLine(), 50);
    // Shift+Down from there selects the whole line.
    Press(view, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(view.m_ptSelFrom, (TextPos{0, 60}));
    EXPECT_EQ(view.m_ptSelTo, (TextPos{0, 61}));
}

TEST(TextViewBookmark, NextAndPreviousVisitTheAnonymousBookmarksInTurn) {
    auto pBuffer = MakeNumberedBuffer(20);
    CProbeView view;
    SetUpView(view, pBuffer.get(), 20, 10);
    EXPECT_FALSE(IsEnabled(view, ID_NEXT_ANON_BOOKMARK));
    view.PlaceCaret({2, 4});
    Press(view, Qt::Key_F2, Qt::ControlModifier);
    EXPECT_TRUE(view.HasAnonBookmarks());
    // The only bookmark's line stays where it is.
    Press(view, Qt::Key_F2);
    EXPECT_EQ(view.GetCaretTextPos(), (TextPos{0, 4}));
    view.PlaceCaret({0, 12});
    Press(view, Qt::Key_F2, Qt::ControlModifier);
    view.PlaceCaret({3, 8});
    Press(view, Qt::Key_F2);
    EXPECT_EQ(view.GetCaretTextPos(), (TextPos{0, 12}));
    view.PlaceCaret({3, 8});
    Press(view, Qt::Key_F2, Qt::ShiftModifier);
    EXPECT_EQ(view.GetCaretTextPos(), (TextPos{0, 4}));
    // Both directions wrap around the document.
    Press(view, Qt::Key_F2, Qt::ShiftModifier);
    EXPECT_EQ(view.GetCaretTextPos(), (TextPos{0, 12}));
    Press(view, Qt::Key_F2);
    EXPECT_EQ(view.GetCaretTextPos(), (TextPos{0, 4}));
}

TEST(TextViewBookmark, TheAnonymousCommandsFollowWhatThisViewLastSaw) {
    auto pBuffer = MakeNumberedBuffer(20);
    CProbeView view, other;
    SetUpView(view, pBuffer.get(), 20, 10);
    SetUpView(other, pBuffer.get(), 20, 10);
    view.PlaceCaret({0, 5});
    Press(view, Qt::Key_F2, Qt::ControlModifier);
    for (const unsigned nId :
         {ID_NEXT_ANON_BOOKMARK, ID_PREV_ANON_BOOKMARK, ID_CLEAR_ANON_BOOKMARKS})
        EXPECT_TRUE(IsEnabled(view, nId)) << nId;
    // The other view shows the bookmark but does not know it until it toggles one itself.
    EXPECT_EQ(other.GetLineFlags(5), LINEFLAG_BOOKMARK);
    EXPECT_FALSE(IsEnabled(other, ID_NEXT_ANON_BOOKMARK));
    Press(other, Qt::Key_F2);
    EXPECT_EQ(other.GetCaretTextPos(), (TextPos{0, 0}));
    // Toggling the last one off disables them.
    Press(view, Qt::Key_F2, Qt::ControlModifier);
    EXPECT_EQ(pBuffer->GetLineFlags(5), 0u);
    for (const unsigned nId :
         {ID_NEXT_ANON_BOOKMARK, ID_PREV_ANON_BOOKMARK, ID_CLEAR_ANON_BOOKMARKS})
        EXPECT_FALSE(IsEnabled(view, nId)) << nId;
    EXPECT_TRUE(IsEnabled(view, ID_TOGGLE_ANON_BOOKMARK));
    // A reset forgets them.
    Press(view, Qt::Key_F2, Qt::ControlModifier);
    view.AttachBuffer(pBuffer.get());
    EXPECT_FALSE(view.HasAnonBookmarks());
}

TEST(TextViewBookmark, EachClearAllLeavesTheOtherKindInPlace) {
    auto pBuffer = MakeNumberedBuffer(20);
    CProbeView view;
    SetUpView(view, pBuffer.get(), 20, 10);
    view.PlaceCaret({0, 3});
    Press(view, Qt::Key_1, Qt::ControlModifier);
    Press(view, Qt::Key_F2, Qt::ControlModifier);
    view.PlaceCaret({0, 9});
    Press(view, Qt::Key_7, Qt::ControlModifier);
    Press(view, Qt::Key_F2, Qt::ControlModifier);

    EXPECT_TRUE(view.RouteCommand(ID_CLEAR_BOOKMARKS));
    EXPECT_EQ(pBuffer->GetLineFlags(3), LINEFLAG_BOOKMARK);
    EXPECT_EQ(pBuffer->GetLineFlags(9), LINEFLAG_BOOKMARK);
    Press(view, Qt::Key_5, Qt::ControlModifier);
    Press(view, Qt::Key_F2, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(pBuffer->GetLineFlags(3), 0u);
    EXPECT_EQ(pBuffer->GetLineFlags(9), LineFlagMark(5));
    EXPECT_FALSE(view.HasAnonBookmarks());
}

TEST(TextViewBookmark, BookmarksFollowTheirLinesAndGoWithThem) {
    auto pBuffer = MakeNumberedBuffer(10);
    CProbeView view;
    SetUpView(view, pBuffer.get(), 20, 10);
    view.PlaceCaret({0, 6});
    Press(view, Qt::Key_2, Qt::ControlModifier);
    int nEndLine = 0, nEndChar = 0;
    pBuffer->InsertTextAt(nullptr, 1, 0, "new\r\n", nEndLine, nEndChar, EDITACT_TYPING);
    EXPECT_EQ(pBuffer->FindLineWithSingleFlag(LineFlagMark(2)), 7);
    pBuffer->DeleteRange(nullptr, 6, 0, 8, 0, EDITACT_DELETE);
    Press(view, Qt::Key_2, Qt::AltModifier);
    EXPECT_EQ(pBuffer->FindLineWithSingleFlag(LineFlagMark(2)), -1);
}

TEST(TextViewBookmark, WithoutABufferTheCommandsDoNothing) {
    CProbeView view;
    UseDocumentFont(view);
    ShowWithCells(view, 10, 5);
    Press(view, Qt::Key_1, Qt::ControlModifier);
    Press(view, Qt::Key_1, Qt::AltModifier);
    Press(view, Qt::Key_F2, Qt::ControlModifier);
    view.GoToNextAnonBookmark();
    view.GoToPrevAnonBookmark();
    view.ClearAnonBookmarks();
    view.ClearNumberedBookmarks();
    EXPECT_FALSE(view.HasAnonBookmarks());
    EXPECT_EQ(DescribeView(view), "|");
}

} // namespace
