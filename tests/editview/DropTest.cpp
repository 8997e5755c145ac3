// The drop target and the drag source of the edit view: text dropped from outside, the drop
// caret, scrolling near the edges, refusals, and moves and copies within and between documents.
#include "DialogDriver.h"
#include "EditTestSupport.h"
#include "resources/CommandIds.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>

#include <gtest/gtest.h>

namespace {

std::unique_ptr<QMimeData> TextData(const QString& text) {
    auto pData = std::make_unique<QMimeData>();
    pData->setText(text);
    return pData;
}

// An edit view whose drag loop is a synthesized drop on m_pTarget (itself when null) at
// m_ptDrop; a null point cancels the drag.
class CDragView : public CProbeEditView {
public:
    Qt::DropAction ExecDrag(std::unique_ptr<QMimeData> pData, Qt::DropActions effects) override {
        m_effects = effects;
        m_strDragged = pData->text();
        if (m_ptDrop.isNull())
            return Qt::IgnoreAction;
        return DropOn(m_pTarget ? *m_pTarget : *this, pData.get(), m_ptDrop, effects, m_dropKeys);
    }

    CTextView* m_pTarget = nullptr;
    QPoint m_ptDrop;
    Qt::KeyboardModifiers m_dropKeys = Qt::NoModifier;
    Qt::DropActions m_effects;
    QString m_strDragged;
};

using CDragFixture = TGoldenFixture<CDragView>;

void SendMouse(CTextView& view, QEvent::Type type, QPoint pt, Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(pt), view.viewport()->mapToGlobal(QPointF(pt)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &event);
}

// Presses inside the selection at pt and moves far enough to start the drag.
void DragFrom(CTextView& view, QPoint pt) {
    SendMouse(view, QEvent::MouseButtonPress, pt, Qt::LeftButton);
    SendMouse(view, QEvent::MouseMove, pt + QPoint(0, QApplication::startDragDistance() + 1),
              Qt::LeftButton);
    SendMouse(view, QEvent::MouseButtonRelease, pt, Qt::NoButton);
}

TEST(EditDrop, TextFromOutsideIsInsertedWhereItIsDroppedAndSelected) {
    CEditFixture fx("ab|cd\nef");
    const auto pData = TextData(QString::fromUtf8("X\nY\xC3\xA9\xE2\x82\xAC"));
    EXPECT_EQ(DropOn(fx.view, pData.get(), CellPoint(fx.view, 1, 1)), Qt::MoveAction);
    EXPECT_EQ(fx.State(), "abcd\ne[X\nY\xE9\x80]|f");
    EXPECT_EQ(fx.pBuffer->GetLineCount(), 3);
    EXPECT_EQ(CommandText(fx.view, ID_EDIT_UNDO), "&Undo Drag And Drop\tCtrl+Z");
    EXPECT_FALSE(fx.view.IsDropCaretShown());
    // Ctrl asks for a copy; a source that only copies gets a copy without it.
    EXPECT_EQ(DropOn(fx.view, pData.get(), CellPoint(fx.view, 0, 0),
                     Qt::CopyAction | Qt::MoveAction, Qt::ControlModifier),
              Qt::CopyAction);
    EXPECT_EQ(DropOn(fx.view, pData.get(), CellPoint(fx.view, 0, 0), Qt::CopyAction),
              Qt::CopyAction);
    EXPECT_EQ(fx.pBuffer->GetLineView(0), "X");
}

TEST(EditDrop, DataWithoutTextIsRefusedFromTheStart) {
    CEditFixture fx("ab|cd");
    QMimeData data;
    data.setData(QStringLiteral("image/png"), QByteArray("png"));
    QDragEnterEvent enter(CellPoint(fx.view, 1, 0), Qt::CopyAction | Qt::MoveAction, &data,
                          Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(fx.view.viewport(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    EXPECT_FALSE(fx.view.IsDropCaretShown());
    EXPECT_FALSE(fx.view.OnDrop(&data, CellPoint(fx.view, 1, 0)));
    EXPECT_EQ(fx.State(), "ab|cd");
}

TEST(EditDrop, TextWithACharacterTheDocumentCannotHoldIsRefusedWhole) {
    CMessageLog log;
    CEditFixture fx("ab|cd");
    fx.pBuffer->SetModified(false);
    const auto pData = TextData(QString::fromUtf8("x\xE2\x82\xAC\ny \xE2\x86\x92"));
    EXPECT_EQ(DropOn(fx.view, pData.get(), CellPoint(fx.view, 1, 0)), Qt::IgnoreAction);
    EXPECT_EQ(log.Messages(),
              std::vector<std::string>{"Cannot drop U+2192 (\xE2\x86\x92): not in the "
                                       "document's encoding, Windows-1252."});
    EXPECT_EQ(fx.State(), "ab|cd");
    EXPECT_FALSE(fx.pBuffer->IsModified());
    EXPECT_FALSE(fx.view.IsDropCaretShown());
}

TEST(EditDrop, AReadOnlyViewAnswersNoneFromTheFirstMoveOn) {
    CEditFixture fx("ab|cd");
    fx.pBuffer->SetReadOnly(true);
    const auto pData = TextData(QStringLiteral("x"));
    const QPoint pt = CellPoint(fx.view, 3, 0);
    QDragEnterEvent enter(pt, Qt::CopyAction | Qt::MoveAction, pData.get(), Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(fx.view.viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_TRUE(fx.view.IsDropCaretShown());
    QDragMoveEvent move(pt, Qt::CopyAction | Qt::MoveAction, pData.get(), Qt::LeftButton,
                        Qt::NoModifier);
    QApplication::sendEvent(fx.view.viewport(), &move);
    EXPECT_FALSE(move.isAccepted());
    EXPECT_FALSE(fx.view.IsDropCaretShown());
    EXPECT_FALSE(fx.view.OnDrop(pData.get(), pt));
    EXPECT_EQ(fx.State(), "ab|cd");
    EXPECT_EQ(DropOn(fx.view, pData.get(), pt), Qt::IgnoreAction);
}

TEST(EditDrop, TheDropCaretFollowsTheMouseInPlaceOfTheCaret) {
    CEditFixture fx("abcdef\nghij|kl");
    GiveFocus(fx.view);
    EXPECT_FALSE(fx.view.GetCaretRect().isEmpty());
    const auto pData = TextData(QStringLiteral("x"));
    fx.view.OnDragEnter(pData.get(), CellPoint(fx.view, 2, 0), Qt::NoModifier, Qt::MoveAction);
    EXPECT_TRUE(fx.view.IsDropCaretShown());
    EXPECT_TRUE(fx.view.GetCaretRect().isEmpty());
    EXPECT_EQ(fx.view.m_ptDropCaret, (TextPos{2, 0}));
    EXPECT_EQ(fx.view.GetDropCaretRect(),
              QRect(fx.view.TextPosToClient({2, 0}), QSize(2, fx.view.GetLineHeight())));
    const QImage image = Render(fx.view);
    EXPECT_TRUE(IsFilled(image, fx.view.GetDropCaretRect(), QColor(Qt::gray)));
    fx.view.OnDragOver(pData.get(), CellPoint(fx.view, 5, 1), Qt::NoModifier, Qt::MoveAction);
    EXPECT_EQ(fx.view.m_ptDropCaret, (TextPos{5, 1}));
    // Leaving puts the caret back where it was.
    fx.view.OnDragLeave();
    EXPECT_FALSE(fx.view.IsDropCaretShown());
    EXPECT_TRUE(fx.view.GetDropCaretRect().isEmpty());
    EXPECT_EQ(fx.State(), "abcdef\nghij|kl");
    EXPECT_FALSE(fx.view.GetCaretRect().isEmpty());
    TakeFocus(fx.view);
}

TEST(EditDrop, AResetForgetsTheDropCaretAndTheCaretItSaved) {
    CEditFixture fx("abcdef\nghij|kl");
    GiveFocus(fx.view);
    const auto pData = TextData(QStringLiteral("x"));
    fx.view.OnDragEnter(pData.get(), CellPoint(fx.view, 2, 0), Qt::NoModifier, Qt::MoveAction);
    fx.pBuffer->InitEmpty(EOL_CRLF);
    EXPECT_FALSE(fx.view.IsDropCaretShown());
    EXPECT_TRUE(fx.view.GetDropCaretRect().isEmpty());
    fx.view.OnDragLeave();
    EXPECT_EQ(fx.State(), "|");
    EXPECT_FALSE(fx.view.GetCaretRect().isEmpty());
    TakeFocus(fx.view);
}

TEST(EditDrop, ADropCaretLeftOfTheVisibleColumnsIsHidden) {
    CEditFixture fx("\tabcdefghijklmnopqrstuvwxyz\nx|", 10, 5);
    fx.view.ScrollToColumn(3, true);
    const auto pData = TextData(QStringLiteral("x"));
    // The margin point maps to character 0, whose column 0 is scrolled away.
    fx.view.ShowDropCaret(QPoint(2, 2));
    EXPECT_TRUE(fx.view.IsDropCaretShown());
    EXPECT_TRUE(fx.view.GetDropCaretRect().isEmpty());
    fx.view.ShowDropCaret(CellPoint(fx.view, 2, 0));
    EXPECT_EQ(fx.view.m_ptDropCaret, (TextPos{2, 0}));
    EXPECT_FALSE(fx.view.GetDropCaretRect().isEmpty());
    fx.view.HideDropCaret();
}

TEST(EditDrop, DraggingNearAnEdgeScrollsOneStepPerMove) {
    auto pBuffer = MakeNumberedBuffer(50);
    pBuffer->AppendToLine(10, std::string(40, 'w'));
    CProbeEditView view;
    SetUpView(view, pBuffer.get(), 20, 10);
    view.ScrollToTopLine(3, true);
    const auto pData = TextData(QStringLiteral("x"));
    const int nMiddleX = CellPoint(view, 10, 0).x();
    // Moves go to the widget that accepted the drag's entry.
    QDragEnterEvent enter(QPoint(nMiddleX, 50), Qt::MoveAction, pData.get(), Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    for (int i = 0; i < 5; ++i) {
        QDragMoveEvent move(QPoint(nMiddleX, 4), Qt::MoveAction, pData.get(), Qt::LeftButton,
                            Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &move);
        EXPECT_TRUE(move.isAccepted());
        EXPECT_EQ(view.GetFirstVisibleLine(), std::max(2 - i, 0));
    }
    view.OnDragScroll(QPoint(nMiddleX, view.viewport()->height() - 5), Qt::NoModifier,
                      Qt::MoveAction);
    EXPECT_EQ(view.GetFirstVisibleLine(), 1);
    EXPECT_TRUE(view.IsDropCaretShown());
    view.OnDragScroll(QPoint(view.viewport()->width() - 5, 50), Qt::NoModifier, Qt::MoveAction);
    view.OnDragScroll(QPoint(view.viewport()->width() - 1, 50), Qt::NoModifier, Qt::MoveAction);
    EXPECT_EQ(view.GetFirstVisibleColumn(), 2);
    view.OnDragScroll(QPoint(view.GetMarginWidth() + 4, 50), Qt::NoModifier, Qt::MoveAction);
    EXPECT_EQ(view.GetFirstVisibleColumn(), 1);
    // Away from the edges nothing scrolls.
    view.OnDragScroll(QPoint(view.GetMarginWidth() + 5, 50), Qt::NoModifier, Qt::MoveAction);
    view.OnDragScroll(QPoint(nMiddleX, 5), Qt::NoModifier, Qt::MoveAction);
    EXPECT_EQ(view.GetFirstVisibleColumn(), 1);
    EXPECT_EQ(view.GetFirstVisibleLine(), 1);
    view.OnDragLeave();
}

TEST(EditDrop, AMoveWithinTheDocumentUndoesInOneStep) {
    CDragFixture fx("one [two]| three");
    fx.view.m_ptDrop = CellPoint(fx.view, 14, 0);
    DragFrom(fx.view, CellPoint(fx.view, 5, 0));
    EXPECT_EQ(fx.view.m_effects, Qt::CopyAction | Qt::MoveAction);
    EXPECT_EQ(fx.view.m_strDragged, QStringLiteral("two"));
    EXPECT_EQ(fx.State(), "one  three[two]|");
    EXPECT_FALSE(fx.view.IsDragSourceActive());
    EXPECT_EQ(CommandText(fx.view, ID_EDIT_UNDO), "&Undo Drag And Drop\tCtrl+Z");
    Press(fx.view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(fx.pBuffer->GetLineView(0), "one two three");
    EXPECT_FALSE(fx.pBuffer->CanUndo());
}

TEST(EditDrop, HoldingCtrlCopiesAndTheSourceTextStays) {
    CDragFixture fx("one [two]| three");
    fx.view.m_ptDrop = CellPoint(fx.view, 0, 0);
    fx.view.m_dropKeys = Qt::ControlModifier;
    DragFrom(fx.view, CellPoint(fx.view, 5, 0));
    EXPECT_EQ(fx.State(), "[two]|one two three");
}

TEST(EditDrop, DroppingOntoTheDraggedTextOnlyMovesTheCaret) {
    CDragFixture fx("one [two]| three");
    fx.view.m_ptDrop = CellPoint(fx.view, 5, 0);
    DragFrom(fx.view, CellPoint(fx.view, 4, 0));
    EXPECT_EQ(fx.State(), "one t|wo three");
    EXPECT_FALSE(fx.pBuffer->CanUndo());
}

TEST(EditDrop, ADropBeforeTheDraggedTextStillRemovesExactlyThatText) {
    CDragFixture fx("ab[cd]|");
    fx.view.m_ptDrop = CellPoint(fx.view, 0, 0);
    DragFrom(fx.view, CellPoint(fx.view, 2, 0));
    EXPECT_EQ(fx.State(), "[cd]|ab");
    // Lines dropped on an earlier line move the dragged range down.
    CDragFixture fx2("x\nab\ncd[e\nf]|g");
    fx2.view.m_ptDrop = CellPoint(fx2.view, 0, 0);
    DragFrom(fx2.view, CellPoint(fx2.view, 2, 2));
    EXPECT_EQ(fx2.State(), "[e\nf]|x\nab\ncdg");
    Press(fx2.view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(fx2.pBuffer->GetLineCount(), 4);
    EXPECT_EQ(fx2.pBuffer->GetLineView(2), "cde");
}

TEST(EditDrop, ACancelledDragAfterALineBreakAddsNoIndentation) {
    // The last step is a typed line break (overtype on the last line does not indent).
    CDragFixture fx("  ab\n  cd|");
    fx.view.m_bOvertype = true;
    Press(fx.view, Qt::Key_Return);
    fx.view.m_bOvertype = false;
    fx.view.PutCaretAt({4, 1});
    fx.view.SetSelectionRange({2, 1}, {4, 1});
    DragFrom(fx.view, CellPoint(fx.view, 3, 1));
    EXPECT_EQ(fx.view.m_strDragged, QStringLiteral("cd"));
    EXPECT_EQ(fx.State(), "  ab\n  [cd]|\n");
    EXPECT_EQ(fx.pBuffer->GetUndoStepCount(), 1);
}

TEST(EditDrop, AMoveToAnotherDocumentIsAGroupInEachBuffer) {
    CDragFixture source("a[bc]|d");
    CEditFixture target("xy|");
    source.view.m_pTarget = &target.view;
    source.view.m_ptDrop = CellPoint(target.view, 1, 0);
    DragFrom(source.view, CellPoint(source.view, 1, 0));
    EXPECT_EQ(source.State(), "a|d");
    EXPECT_EQ(target.State(), "x[bc]|y");
    EXPECT_EQ(CommandText(source.view, ID_EDIT_UNDO), "&Undo Drag And Drop\tCtrl+Z");
    EXPECT_EQ(CommandText(target.view, ID_EDIT_UNDO), "&Undo Drag And Drop\tCtrl+Z");
    Press(target.view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(target.pBuffer->GetLineView(0), "xy");
    EXPECT_EQ(source.pBuffer->GetLineView(0), "ad");
    Press(source.view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(source.pBuffer->GetLineView(0), "abcd");
}

TEST(EditDrop, TextThatCannotBeRemovedIsOnlyCopiedAway) {
    CDragFixture source("a[bc]|d");
    CEditFixture target("xy|");
    source.pBuffer->SetReadOnly(true);
    source.view.m_pTarget = &target.view;
    source.view.m_ptDrop = CellPoint(target.view, 2, 0);
    DragFrom(source.view, CellPoint(source.view, 1, 0));
    EXPECT_EQ(source.view.m_effects, Qt::DropActions(Qt::CopyAction));
    EXPECT_EQ(target.State(), "xy[bc]|");
    EXPECT_EQ(source.State(), "a[bc]|d");
}

} // namespace
