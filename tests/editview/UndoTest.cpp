// Undo and Redo: their keys, their menu texts and enabling, where they leave the caret, and the
// groups that editing commands record.
#include "EditTestSupport.h"
#include "resources/CommandIds.h"

#include <functional>

#include <QClipboard>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

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

TEST(EditUndo, TypingJoinsOnlyTheTypingRightBeforeIt) {
    struct Case {
        const char* pszBetween;
        std::function<void(CEditFixture&)> between;
        const char* pszAfterUndo; // after "cd", the step between, "ef" and one Undo
    };
    QTemporaryDir dir;
    const std::string strSavePath = dir.filePath(QStringLiteral("t.txt")).toStdString();
    QGuiApplication::clipboard()->setText(QStringLiteral("XY"));
    CProbeEditView other;
    // clang-format off
    const Case cases[] = {
        {"nothing",        [](CEditFixture&) {},                                    "ab|\nxy"},
        {"Left, Right",    [](CEditFixture& fx) { Press(fx.view, Qt::Key_Left);
                                                  Press(fx.view, Qt::Key_Right); }, "abcd|\nxy"},
        {"a click",        [](CEditFixture& fx) {
                               QTest::mouseClick(fx.view.viewport(), Qt::LeftButton,
                                                 Qt::NoModifier, CellPoint(fx.view, 4, 0)); },
                                                                                    "abcd|\nxy"},
        {"Paste",          [](CEditFixture& fx) { Press(fx.view, Qt::Key_V,
                                                        Qt::ControlModifier); },    "abcdXY|\nxy"},
        {"Backspace",      [](CEditFixture& fx) { Press(fx.view, Qt::Key_Backspace); },
                                                                                    "abc|\nxy"},
        {"Undo, Redo",     [](CEditFixture& fx) { Press(fx.view, Qt::Key_Z, Qt::ControlModifier);
                                                  Press(fx.view, Qt::Key_Y,
                                                        Qt::ControlModifier); },    "abcd|\nxy"},
        {"another view",   [&](CEditFixture& fx) { SetUpView(other, fx.pBuffer.get(), 40, 10);
                                                   other.PutCaretAt({0, 1});
                                                   Type(other, "Q"); },             "abcd|\nQxy"},
        {"a save",         [&](CEditFixture& fx) {
                               ASSERT_TRUE(fx.pBuffer->SaveFile(strSavePath)); },
                                                                                    "abcd|\nxy"},
    };
    // clang-format on
    for (const Case& c : cases) {
        CEditFixture fx("ab|\nxy");
        Type(fx.view, "cd");
        c.between(fx);
        Type(fx.view, "ef");
        Press(fx.view, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(fx.State(), c.pszAfterUndo) << c.pszBetween;
        other.AttachBuffer(nullptr);
    }
    // Undoing back to the save reaches the saved text.
    CEditFixture fx("|");
    Type(fx.view, "ab");
    ASSERT_TRUE(fx.pBuffer->SaveFile(strSavePath));
    Type(fx.view, "cd");
    Press(fx.view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(fx.State(), "ab|");
    EXPECT_FALSE(fx.pBuffer->IsModified());
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
