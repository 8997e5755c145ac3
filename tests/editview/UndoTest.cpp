// Undo and Redo: their keys, their menu texts and enabling, where they leave the caret, and the
// groups that editing commands record.
#include "EditTestSupport.h"
#include "resources/CommandIds.h"

#include <QClipboard>
#include <QGuiApplication>

#include <gtest/gtest.h>

namespace {

TEST(EditUndo, MenuTextsNameTheGroupToUndoOrRedo) {
    CEditFixture fx("|");
    EXPECT_FALSE(IsEnabled(fx.view, ID_EDIT_UNDO));
    EXPECT_FALSE(IsEnabled(fx.view, ID_EDIT_REDO));
    EXPECT_EQ(CommandText(fx.view, ID_EDIT_UNDO), "&Undo\tCtrl+Z");
    EXPECT_EQ(CommandText(fx.view, ID_EDIT_REDO), "&Redo\tCtrl+Y");
    Type(fx.view, "ab");
    EXPECT_TRUE(IsEnabled(fx.view, ID_EDIT_UNDO));
    EXPECT_EQ(CommandText(fx.view, ID_EDIT_UNDO), "&Undo Typing\tCtrl+Z");
    Press(fx.view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(fx.State(), "|");
    EXPECT_FALSE(IsEnabled(fx.view, ID_EDIT_UNDO));
    EXPECT_TRUE(IsEnabled(fx.view, ID_EDIT_REDO));
    EXPECT_EQ(CommandText(fx.view, ID_EDIT_REDO), "&Redo Typing\tCtrl+Y");
    Press(fx.view, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(fx.State(), "ab|");
    // Alt+Backspace undoes too.
    Press(fx.view, Qt::Key_Backspace, Qt::AltModifier);
    EXPECT_EQ(fx.State(), "|");
}

TEST(EditUndo, UndoAndRedoPutTheCaretWhereTheGroupWas) {
    CEditFixture fx("line 0\nline 1\nline| 2", 20, 2);
    Press(fx.view, Qt::Key_Delete, Qt::NoModifier, 2);
    fx.view.PutCaretAt({0, 0});
    EXPECT_EQ(fx.view.GetFirstVisibleLine(), 0);
    // Undoing a deletion leaves the caret after the text put back; redoing it, where it was.
    Press(fx.view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(fx.State(), "line 0\nline 1\nline2|");
    EXPECT_EQ(fx.view.GetFirstVisibleLine(), 1);
    Press(fx.view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(fx.State(), "line 0\nline 1\nline |2");
    fx.view.PutCaretAt({0, 0});
    Press(fx.view, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(fx.State(), "line 0\nline 1\nline|2");
}

TEST(EditUndo, ReadOnlyOrWithoutABufferUndoChangesNothing) {
    CEditFixture fx("ab|");
    Type(fx.view, "c");
    fx.pBuffer->SetReadOnly(true);
    fx.view.PutCaretAt({1, 0});
    Press(fx.view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(fx.State(), "a|bc");
    EXPECT_TRUE(fx.pBuffer->CanUndo());

    CProbeEditView view;
    view.Undo();
    view.Redo();
    EXPECT_FALSE(IsEnabled(view, ID_EDIT_UNDO));
    EXPECT_EQ(CommandText(view, ID_EDIT_UNDO), "&Undo\tCtrl+Z");
}

TEST(EditUndo, LettersTypedAfterAPasteJoinItsGroup) {
    CEditFixture fx("a|b");
    QGuiApplication::clipboard()->setText(QStringLiteral("XY"));
    Press(fx.view, Qt::Key_V, Qt::ControlModifier);
    Type(fx.view, "z");
    EXPECT_EQ(fx.State(), "aXYz|b");
    EXPECT_EQ(CommandText(fx.view, ID_EDIT_UNDO), "&Undo Paste\tCtrl+Z");
    Press(fx.view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(fx.State(), "a|b");
    // A space after the paste starts a group of its own.
    Press(fx.view, Qt::Key_V, Qt::ControlModifier);
    Type(fx.view, " z");
    Press(fx.view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(fx.State(), "aXY|b");
}

TEST(EditUndo, EachCommandLabelsItsGroup) {
    struct Case {
        const char* pszBefore;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* pszLabel;
    };
    // clang-format off
    const Case cases[] = {
        {"a[bc]|d", Qt::Key_X,         Qt::ControlModifier, "&Undo Cut\tCtrl+Z"},
        {"a[bc]|d", Qt::Key_V,         Qt::ControlModifier, "&Undo Delete Selection\tCtrl+Z"},
        {"a[bc]|d", Qt::Key_Delete,    Qt::NoModifier,      "&Undo Delete\tCtrl+Z"},
        {"a[bc]|d", Qt::Key_Backspace, Qt::NoModifier,      "&Undo Delete\tCtrl+Z"},
        {"ab|cd",   Qt::Key_Backspace, Qt::NoModifier,      "&Undo Backspace\tCtrl+Z"},
        {"a[b\nc]|d", Qt::Key_Tab,     Qt::NoModifier,      "&Undo Indent\tCtrl+Z"},
        {"a[bc]|d", Qt::Key_Return,    Qt::NoModifier,      "&Undo Delete Selection\tCtrl+Z"},
        {"ab|",     Qt::Key_Return,    Qt::NoModifier,      "&Undo Typing\tCtrl+Z"},
    };
    // clang-format on
    QGuiApplication::clipboard()->setText(QStringLiteral("p"));
    for (const Case& c : cases) {
        CEditFixture fx(c.pszBefore);
        Press(fx.view, c.key, c.modifiers);
        EXPECT_EQ(CommandText(fx.view, ID_EDIT_UNDO), c.pszLabel) << c.pszBefore;
        // One Undo restores the text.
        Press(fx.view, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_FALSE(fx.pBuffer->CanUndo()) << c.pszBefore;
    }
}

} // namespace
