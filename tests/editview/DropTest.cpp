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

// Sends a drag's entry or one of its moves at pt to the view; answers whether it was taken.
bool SendDrag(CTextView& view, bool bEnter, QPoint pt, const QMimeData* pData) {
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(pt, actions, pData, Qt::LeftButton, Qt::NoModifier);
    QDragMoveEvent move(pt, actions, pData, Qt::LeftButton, Qt::NoModifier);
    QDragMoveEvent& event = bEnter ? enter : move;
    QApplication::sendEvent(view.viewport(), &event);
    return event.isAccepted();
}

TEST(EditDrop, TextFromOutsideGoesInWhereItIsDroppedOrIsRefusedWhole) {
    constexpr Qt::DropActions BOTH = Qt::CopyAction | Qt::MoveAction;
    struct Case {
        const char* pszText; // UTF-8; null: an image without text
        Qt::DropActions possible;
        Qt::KeyboardModifiers keys;
        bool bReadOnly;
        Qt::DropAction result;
        const char* pszAfter;
    };
    // clang-format off
    const Case cases[] = {
        {"X\nY\xC3\xA9\xE2\x82\xAC", BOTH, Qt::NoModifier, false, Qt::MoveAction, "abcd\ne[X\nY\xE9\x80]|f"},
        // Ctrl asks for a copy; a source that only copies gets a copy without it.
        {"X",  BOTH,           Qt::ControlModifier, false, Qt::CopyAction,   "abcd\ne[X]|f"},
        {"X",  Qt::CopyAction, Qt::NoModifier,      false, Qt::CopyAction,   "abcd\ne[X]|f"},
        {"X",  BOTH,           Qt::NoModifier,      true,  Qt::IgnoreAction, "ab|cd\nef"},
        {nullptr, BOTH,        Qt::NoModifier,      false, Qt::IgnoreAction, "ab|cd\nef"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszText ? c.pszText : "image");
        CEditFixture fx("ab|cd\nef");
        fx.pBuffer->SetModified(false);
        fx.pBuffer->SetReadOnly(c.bReadOnly);
        QMimeData data;
        if (c.pszText)
            data.setText(QString::fromUtf8(c.pszText));
        else
            data.setData(QStringLiteral("image/png"), QByteArray("png"));
        EXPECT_EQ(DropOn(fx.view, &data, CellPoint(fx.view, 1, 1), c.possible, c.keys), c.result);
        EXPECT_EQ(fx.State(), c.pszAfter);
        EXPECT_FALSE(fx.view.IsDropCaretShown());
        EXPECT_EQ(fx.pBuffer->IsModified(), c.result != Qt::IgnoreAction);
        if (c.result != Qt::IgnoreAction) {
            EXPECT_EQ(CommandUI(fx.view, ID_EDIT_UNDO).GetText(), UndoItem("Drag And Drop"));
        }
    }
    // A text with a character the document cannot hold is refused whole.
    CMessageLog log;
    CEditFixture fx("|");
    QMimeData data;
    data.setText(QString::fromUtf8("x\xE2\x82\xAC\ny \xE2\x86\x92"));
    EXPECT_EQ(DropOn(fx.view, &data, CellPoint(fx.view, 0, 0)), Qt::IgnoreAction);
    EXPECT_EQ(log.Messages(), std::vector<std::string>{"Cannot drop U+2192 (\xE2\x86\x92): not in "
                                                       "the document's encoding, Windows-1252."});
    // An image is refused from the drag's entry on, a text on a read-only view from its first
    // move on.
    QMimeData image;
    image.setData(QStringLiteral("image/png"), QByteArray("png"));
    EXPECT_FALSE(SendDrag(fx.view, true, CellPoint(fx.view, 0, 0), &image));
    EXPECT_FALSE(fx.view.IsDropCaretShown());
    EXPECT_FALSE(fx.view.OnDrop(&image, CellPoint(fx.view, 0, 0)));
    fx.pBuffer->SetReadOnly(true);
    data.setText(QStringLiteral("x"));
    EXPECT_TRUE(SendDrag(fx.view, true, CellPoint(fx.view, 0, 0), &data));
    EXPECT_TRUE(fx.view.IsDropCaretShown());
    EXPECT_FALSE(SendDrag(fx.view, false, CellPoint(fx.view, 0, 0), &data));
    EXPECT_FALSE(fx.view.IsDropCaretShown());
    EXPECT_FALSE(fx.view.OnDrop(&data, CellPoint(fx.view, 0, 0)));
    EXPECT_EQ(fx.State(), "|");
}

TEST(EditDrop, TheDropCaretFollowsTheMouseInPlaceOfTheCaretUntilALeaveOrAReset) {
    CEditFixture fx("abcdef\nghij|kl");
    GiveFocus(fx.view);
    EXPECT_FALSE(fx.view.GetCaretRect().isEmpty());
    QMimeData data;
    data.setText(QStringLiteral("x"));
    fx.view.OnDragEnter(&data, CellPoint(fx.view, 2, 0), Qt::NoModifier, Qt::MoveAction);
    EXPECT_TRUE(fx.view.IsDropCaretShown());
    EXPECT_TRUE(fx.view.GetCaretRect().isEmpty());
    EXPECT_EQ(fx.view.m_ptDropCaret, (TextPos{2, 0}));
    EXPECT_EQ(fx.view.GetDropCaretRect(),
              QRect(fx.view.TextPosToClient({2, 0}), QSize(2, fx.view.GetLineHeight())));
    EXPECT_TRUE(IsFilled(Render(fx.view), fx.view.GetDropCaretRect(), QColor(Qt::gray)));
    fx.view.OnDragOver(&data, CellPoint(fx.view, 5, 1), Qt::NoModifier, Qt::MoveAction);
    EXPECT_EQ(fx.view.m_ptDropCaret, (TextPos{5, 1}));
    // Leaving puts the caret back where it was.
    fx.view.OnDragLeave();
    EXPECT_FALSE(fx.view.IsDropCaretShown());
    EXPECT_TRUE(fx.view.GetDropCaretRect().isEmpty());
    EXPECT_EQ(fx.State(), "abcdef\nghij|kl");
    EXPECT_FALSE(fx.view.GetCaretRect().isEmpty());
    // A reset forgets the drop caret and the caret it saved.
    fx.view.OnDragEnter(&data, CellPoint(fx.view, 2, 0), Qt::NoModifier, Qt::MoveAction);
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
    QMimeData data;
    data.setText(QStringLiteral("x"));
    const int nMiddleX = CellPoint(view, 10, 0).x();
    // Moves go to the widget that accepted the drag's entry.
    ASSERT_TRUE(SendDrag(view, true, QPoint(nMiddleX, 50), &data));
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(SendDrag(view, false, QPoint(nMiddleX, 4), &data));
        EXPECT_EQ(view.GetFirstVisibleLine(), std::max(2 - i, 0));
    }
    auto scrollAt = [&](int x, int y) {
        view.OnDragScroll({x, y}, Qt::NoModifier, Qt::MoveAction);
    };
    scrollAt(nMiddleX, view.viewport()->height() - 5);
    EXPECT_EQ(view.GetFirstVisibleLine(), 1);
    EXPECT_TRUE(view.IsDropCaretShown());
    scrollAt(view.viewport()->width() - 5, 50);
    scrollAt(view.viewport()->width() - 1, 50);
    EXPECT_EQ(view.GetFirstVisibleColumn(), 2);
    scrollAt(view.GetMarginWidth() + 4, 50);
    EXPECT_EQ(view.GetFirstVisibleColumn(), 1);
    // Away from the edges nothing scrolls.
    scrollAt(view.GetMarginWidth() + 5, 50);
    scrollAt(nMiddleX, 5);
    EXPECT_EQ(view.GetFirstVisibleColumn(), 1);
    EXPECT_EQ(view.GetFirstVisibleLine(), 1);
    view.OnDragLeave();
}

TEST(EditDrop, DraggedTextMovesOrCopiesWithinTheDocumentInOneStep) {
    struct Case {
        const char* pszBefore;
        QPoint ptFrom, ptDrop; // cells
        Qt::KeyboardModifiers dropKeys;
        const char* pszAfter;
        int nUndos; // that bring the text back
    };
    // clang-format off
    const Case cases[] = {
        {"one [two]| three",   {5, 0},  {14, 0}, Qt::NoModifier,      "one  three[two]|",      1},
        {"one [two]| three",   {5, 0},  {0, 0},  Qt::ControlModifier, "[two]|one two three",   1},
        // Onto the dragged text only the caret moves.
        {"one [two]| three",   {4, 0},  {5, 0},  Qt::NoModifier,      "one t|wo three",        0},
        // A drop before the dragged text still removes exactly that text.
        {"ab[cd]|",            {2, 0},  {0, 0},  Qt::NoModifier,      "[cd]|ab",               1},
        {"x\nab\ncd[e\nf]|g",  {2, 2},  {0, 0},  Qt::NoModifier,      "[e\nf]|x\nab\ncdg",     1},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszBefore);
        CDragFixture fx(c.pszBefore);
        fx.view.m_ptDrop = CellPoint(fx.view, c.ptDrop.x(), c.ptDrop.y());
        fx.view.m_dropKeys = c.dropKeys;
        DragFrom(fx.view, CellPoint(fx.view, c.ptFrom.x(), c.ptFrom.y()));
        EXPECT_EQ(fx.view.m_effects, Qt::CopyAction | Qt::MoveAction);
        const std::string_view before = c.pszBefore;
        const size_t nLow = before.find('[');
        EXPECT_EQ(fx.view.m_strDragged.toStdString(),
                  before.substr(nLow + 1, before.find(']') - nLow - 1));
        EXPECT_EQ(fx.State(), c.pszAfter);
        EXPECT_FALSE(fx.view.IsDragSourceActive());
        if (c.nUndos > 0) {
            EXPECT_EQ(CommandUI(fx.view, ID_EDIT_UNDO).GetText(), UndoItem("Drag And Drop"));
        }
        Press(fx.view, Qt::Key_Z, Qt::ControlModifier, c.nUndos);
        EXPECT_EQ(LinesOf(*fx.pBuffer), ParseGolden(c.pszBefore).lines);
        EXPECT_FALSE(fx.pBuffer->CanUndo());
    }
}

TEST(EditDrop, ACancelledDragAfterALineBreakAddsNoIndentation) {
    // The last step is a typed line break (overtype on the last line does not indent).
    CDragFixture fx("  ab\n  cd|");
    Keys(fx.view, "Ins Return Ins");
    fx.view.PutCaretAt({4, 1});
    fx.view.SetSelectionRange({2, 1}, {4, 1});
    DragFrom(fx.view, CellPoint(fx.view, 3, 1));
    EXPECT_EQ(fx.view.m_strDragged, QStringLiteral("cd"));
    EXPECT_EQ(fx.State(), "  ab\n  [cd]|\n");
    EXPECT_EQ(fx.pBuffer->GetUndoStepCount(), 1);
}

TEST(EditDrop, AMoveToAnotherDocumentIsAGroupInEachAndFromAReadOnlyOneACopy) {
    for (const bool bReadOnly : {false, true}) {
        CDragFixture source("a[bc]|d");
        CEditFixture target("xy|");
        source.pBuffer->SetReadOnly(bReadOnly);
        source.view.m_pTarget = &target.view;
        source.view.m_ptDrop = CellPoint(target.view, 1, 0);
        DragFrom(source.view, CellPoint(source.view, 1, 0));
        EXPECT_EQ(target.State(), "x[bc]|y");
        if (bReadOnly) {
            EXPECT_EQ(source.view.m_effects, Qt::DropActions(Qt::CopyAction));
            EXPECT_EQ(source.State(), "a[bc]|d");
            continue;
        }
        EXPECT_EQ(source.State(), "a|d");
        EXPECT_EQ(CommandUI(source.view, ID_EDIT_UNDO).GetText(), UndoItem("Drag And Drop"));
        EXPECT_EQ(CommandUI(target.view, ID_EDIT_UNDO).GetText(), UndoItem("Drag And Drop"));
        Keys(target.view, "Ctrl+Z");
        EXPECT_EQ(target.pBuffer->GetLineView(0), "xy");
        EXPECT_EQ(source.pBuffer->GetLineView(0), "ad");
        Keys(source.view, "Ctrl+Z");
        EXPECT_EQ(source.pBuffer->GetLineView(0), "abcd");
    }
}

} // namespace
