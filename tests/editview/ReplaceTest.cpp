// Replace on a shown edit view: replacing the selection with its two undo groups, the Replace
// dialog's Find Next, Replace and Replace All over the whole file or a selection scope that
// follows the changes, and the settings the dialog leaves in the profile.
#include "DialogDriver.h"
#include "EditTestSupport.h"
#include "editview/ReplaceTextDlg.h"
#include "resources/CommandIds.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Every test starts without remembered Replace settings.
class EditReplace : public testing::Test {
protected:
    void SetUp() override { QSettings().remove(QStringLiteral("TextEdit/Replace")); }
    void TearDown() override { QSettings().remove(QStringLiteral("TextEdit/Replace")); }

    CMessageLog m_log;
};

const std::string NOT_FOUND_A = "Cannot find string\"a\"";

QVariant ProfileValue(const char* pszName) {
    return QSettings().value(QStringLiteral("TextEdit/Replace/") + QLatin1String(pszName));
}

QLineEdit& FindWhatEdit(QWidget& dlg) {
    return Control<QLineEdit>(dlg, "IDC_EDIT_FINDTEXT_8605");
}
QLineEdit& ReplaceWithEdit(QWidget& dlg) {
    return Control<QLineEdit>(dlg, "IDC_EDIT_REPLACE_WITH_8609");
}
void Click(QWidget& dlg, const char* pszButton) {
    QTest::mouseClick(&Control<QPushButton>(dlg, pszButton), Qt::LeftButton);
}
void FindNext(QWidget& dlg) {
    Click(dlg, "IDC_EDIT_SKIP_8610");
}
void Replace(QWidget& dlg) {
    Click(dlg, "IDC_EDIT_REPLACE_8607");
}
void ReplaceAll(QWidget& dlg) {
    Click(dlg, "IDC_EDIT_REPLACE_ALL_8608");
}

// Ctrl+H, the two texts, then fn on the open dialog; the dialog is cancelled afterwards.
void RunReplace(CTextView& view, const QString& strFind, const QString& strReplace,
                std::function<void(CReplaceTextDlg&)> fn) {
    WhenModalShows<CReplaceTextDlg>([=](CReplaceTextDlg& dlg) {
        FindWhatEdit(dlg).setText(strFind);
        ReplaceWithEdit(dlg).setText(strReplace);
        fn(dlg);
    });
    Press(view, Qt::Key_H, Qt::ControlModifier);
}

} // namespace

TEST_F(EditReplace, ReplacingTheSelectionLeavesTheNewTextSelectedInTwoUndoGroups) {
    CEditFixture fx("a[bc]|d\nx");
    EXPECT_TRUE(fx.view.ReplaceSelectedText("XYZ"));
    EXPECT_EQ(fx.State(), "a[XYZ]|d\nx");
    EXPECT_EQ(CommandText(fx.view, ID_EDIT_UNDO), "&Undo Replace\tCtrl+Z");
    fx.view.Undo();
    EXPECT_EQ(CommandText(fx.view, ID_EDIT_UNDO), "&Undo Delete Selection\tCtrl+Z");
    fx.view.Undo();
    EXPECT_EQ(fx.pBuffer->GetLineView(0), "abcd");
    EXPECT_FALSE(fx.pBuffer->CanUndo());

    // A selection made from right to left, over a line break.
    CEditFixture lines("a|[b\nc]d");
    EXPECT_TRUE(lines.view.ReplaceSelectedText("-"));
    EXPECT_EQ(lines.State(), "a[-]|d");
}

TEST_F(EditReplace, ReplacingWithNothingRemovesTheMatchAndRecordsOneGroup) {
    CEditFixture fx("a[bc]|d");
    EXPECT_TRUE(fx.view.ReplaceSelectedText(""));
    EXPECT_EQ(fx.State(), "a|d");
    fx.view.Undo();
    EXPECT_FALSE(fx.pBuffer->CanUndo());
    EXPECT_EQ(fx.pBuffer->GetLineView(0), "abcd");
}

TEST_F(EditReplace, WithoutASelectionOrOnAReadOnlyBufferNothingIsReplaced) {
    CEditFixture fx("ab|cd");
    EXPECT_FALSE(fx.view.ReplaceSelectedText("x"));
    EXPECT_EQ(fx.State(), "ab|cd");
    CEditFixture readOnly("a[bc]|d");
    readOnly.pBuffer->SetReadOnly(true);
    EXPECT_FALSE(readOnly.view.ReplaceSelectedText("x"));
    EXPECT_EQ(readOnly.State(), "a[bc]|d");

    // Replace opens no dialog on a read-only buffer.
    QObject context;
    bool bDialogShown = false;
    QTimer::singleShot(0, &context, [&] {
        if (QWidget* pModal = QApplication::activeModalWidget()) {
            bDialogShown = true;
            pModal->close();
        }
    });
    readOnly.view.OnCmdMsg(ID_EDIT_REPLACE);
    QApplication::processEvents();
    EXPECT_FALSE(bDialogShown);
}

TEST_F(EditReplace, TheFirstReplacePressOnlyFindsAndTheNextReplacesAndFindsOn) {
    CEditFixture fx("|one two one two");
    RunReplace(fx.view, "two", "2", [&](CReplaceTextDlg& dlg) {
        Replace(dlg);
        EXPECT_EQ(fx.State(), "one [two]| one two");
        Replace(dlg);
        EXPECT_EQ(fx.State(), "one 2 one [two]|");
        Replace(dlg);
        EXPECT_EQ(fx.State(), "one 2 one [2]|");
        EXPECT_EQ(m_log.Messages(), std::vector<std::string>{"Cannot find string\"two\""});
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_FALSE(dlg.m_bFound);
    });
    // Each replacement is two groups: the new text goes, then the old comes back.
    EXPECT_EQ(CommandText(fx.view, ID_EDIT_UNDO), "&Undo Replace\tCtrl+Z");
    fx.view.Undo();
    EXPECT_EQ(fx.pBuffer->GetLineView(0), "one 2 one ");
    EXPECT_EQ(CommandText(fx.view, ID_EDIT_UNDO), "&Undo Delete Selection\tCtrl+Z");
    fx.view.Undo();
    EXPECT_EQ(fx.pBuffer->GetLineView(0), "one 2 one two");
}

TEST_F(EditReplace, ReplaceAllOfATextByOneThatHoldsItEnds) {
    CEditFixture fx("|aaa");
    RunReplace(fx.view, "a", "aa", [&](CReplaceTextDlg& dlg) {
        ReplaceAll(dlg);
        EXPECT_TRUE(dlg.isVisible());
    });
    EXPECT_EQ(fx.pBuffer->GetLineView(0), "aaaaaa");
    EXPECT_EQ(m_log.Messages(), std::vector<std::string>{NOT_FOUND_A});
    // One group for all replacements.
    EXPECT_EQ(CommandText(fx.view, ID_EDIT_UNDO), "&Undo Replace\tCtrl+Z");
    fx.view.Undo();
    EXPECT_EQ(fx.pBuffer->GetLineView(0), "aaa");
    EXPECT_FALSE(fx.pBuffer->CanUndo());
}

TEST_F(EditReplace, AReplaceAllOfMoreMatchesThanTheHistoryHoldsUndoesWhole) {
    std::vector<std::string> lines(600, "x a");
    lines.insert(lines.begin(), "typed");
    auto pBuffer = MakeBuffer(lines);
    CProbeEditView view;
    SetUpView(view, pBuffer.get(), 40, 10);
    Type(view, "q");
    lines[0] = "qtyped";
    RunReplace(view, "a", "bb", [&](CReplaceTextDlg& dlg) { ReplaceAll(dlg); });
    EXPECT_EQ(pBuffer->GetLineView(600), "x bb");
    view.Undo();
    std::vector<std::string> after;
    for (int i = 0; i < pBuffer->GetLineCount(); ++i)
        after.emplace_back(pBuffer->GetLineView(i));
    EXPECT_EQ(after, lines);
    view.Undo(); // the typing before it is a group of its own
    EXPECT_EQ(pBuffer->GetLineView(0), "typed");
    EXPECT_FALSE(pBuffer->CanUndo());
}

TEST_F(EditReplace, ReplaceAllDrawsTheViewAgainBeforeItsMessage) {
    std::vector<std::string> lines(200, "x a");
    auto pBuffer = MakeBuffer(lines);
    CProbeEditView view;
    SetUpView(view, pBuffer.get(), 40, 10);
    bool bDrawnAtMessage = false;
    SetMessageBoxHandler([&](const QString&, QMessageBox::StandardButtons) {
        bDrawnAtMessage = view.updatesEnabled() && view.viewport()->updatesEnabled();
        return QMessageBox::Ok;
    });
    RunReplace(view, "a", "b", [&](CReplaceTextDlg& dlg) { ReplaceAll(dlg); });
    EXPECT_TRUE(bDrawnAtMessage);
    EXPECT_EQ(pBuffer->GetLineView(199), "x b");
    // The last replacement is in view.
    EXPECT_EQ(view.GetCaretTextPos(), TextPos(3, 199));
    EXPECT_GT(view.GetFirstVisibleLine(), 180);
}

TEST_F(EditReplace, FindNextResumesOneCharacterAfterTheMatchStart) {
    CEditFixture fx("|aaa");
    RunReplace(fx.view, "aa", "", [&](CReplaceTextDlg& dlg) {
        FindNext(dlg);
        EXPECT_EQ(fx.State(), "[aa]|a");
        FindNext(dlg);
        EXPECT_EQ(fx.State(), "a[aa]|");
        FindNext(dlg);
        EXPECT_EQ(m_log.Messages(), std::vector<std::string>{"Cannot find string\"aa\""});
        // Without a selection scope the next search starts at the top.
        FindNext(dlg);
        EXPECT_EQ(fx.State(), "[aa]|a");
        // Enter presses Find Next and keeps the dialog open.
        QTest::keyClick(&FindWhatEdit(dlg), Qt::Key_Return);
        EXPECT_EQ(fx.State(), "a[aa]|");
        EXPECT_TRUE(dlg.isVisible());
    });
    EXPECT_EQ(fx.pBuffer->GetLineView(0), "aaa");
}

TEST_F(EditReplace, WithoutASelectionOnlyTheWholeFileFromTheCaretIsOffered) {
    CEditFixture fx("a b\na |b a");
    RunReplace(fx.view, "a", "X", [&](CReplaceTextDlg& dlg) {
        EXPECT_FALSE(Control<QRadioButton>(dlg, "IDC_EDIT_SCOPE_SELECTION_8613").isEnabled());
        EXPECT_TRUE(Control<QRadioButton>(dlg, "IDC_EDIT_SCOPE_WHOLEFILE_8614").isChecked());
        ReplaceAll(dlg);
    });
    // From the caret to the end, without going round.
    EXPECT_EQ(fx.State(), "a b\na b [X]|");
    EXPECT_EQ(m_log.Messages(), std::vector<std::string>{NOT_FOUND_A});
}

TEST_F(EditReplace, ReplaceAllInASelectionKeepsTheScopeAroundTheReplacedText) {
    CEditFixture fx("\n\nxxxx[QQ\nyy\nzz\nxQQxxx]|xx\nQQ");
    RunReplace(fx.view, "QQ", "12345", [&](CReplaceTextDlg& dlg) {
        EXPECT_TRUE(Control<QRadioButton>(dlg, "IDC_EDIT_SCOPE_SELECTION_8613").isChecked());
        ReplaceAll(dlg);
        // Not found again, the next search starts at the scope's start.
        EXPECT_EQ(dlg.m_ptStartPos, TextPos(4, 2));
    });
    // The end moved by the three characters added on its line; the caret is back at it.
    EXPECT_EQ(fx.State(), "\n\nxxxx[12345\nyy\nzz\nx12345xxx]|xx\nQQ");
}

TEST_F(EditReplace, TheScopeEndMovesWithReplacementsOnItsLine) {
    // The scope ends at column 10 of its last line; the match at 11 lies outside, and stays
    // outside as the replacements before it push both it and the scope's end along.
    CEditFixture fx("[abc\nabc abc xx]|xabc");
    RunReplace(fx.view, "abc", "ABCDE", [&](CReplaceTextDlg& dlg) {
        ReplaceAll(dlg);
        EXPECT_EQ(dlg.m_ptRangeEnd, TextPos(14, 1));
    });
    EXPECT_EQ(fx.pBuffer->GetLineView(1), "ABCDE ABCDE xxxabc");
    TextPos ptLow, ptHigh;
    fx.view.GetOrderedSelection(ptLow, ptHigh);
    EXPECT_EQ(ptLow, TextPos(0, 0));
    EXPECT_EQ(ptHigh, TextPos(14, 1));
}

TEST_F(EditReplace, TheScopeFollowsEditsMadeThroughAnotherView) {
    CEditFixture fx("ab [cd]| ef");
    CProbeEditView other;
    SetUpView(other, fx.pBuffer.get(), 40, 10);
    RunReplace(fx.view, "zz", "", [&](CReplaceTextDlg&) {
        int nEndLine, nEndChar;
        fx.pBuffer->InsertTextAt(&other, 0, 0, "12\r\n34", nEndLine, nEndChar, EDITACT_TYPING);
    });
    EXPECT_EQ(fx.State(), "12\n34ab [cd]| ef");
}

TEST_F(EditReplace, TheDialogSettingsAreRememberedHoweverItCloses) {
    QSettings settings;
    settings.setValue(QStringLiteral("TextEdit/Replace/MatchCase"), 1);
    settings.setValue(QStringLiteral("TextEdit/Replace/ReplaceWith"), QStringLiteral("new"));
    CEditFixture fx("|text");
    WhenModalShows<CReplaceTextDlg>([&](CReplaceTextDlg& dlg) {
        EXPECT_TRUE(Control<QCheckBox>(dlg, "IDC_EDIT_MATCH_CASE_8604").isChecked());
        EXPECT_FALSE(Control<QCheckBox>(dlg, "IDC_EDIT_WHOLE_WORD_8603").isChecked());
        EXPECT_EQ(ReplaceWithEdit(dlg).text(), QStringLiteral("new"));
        EXPECT_EQ(FindWhatEdit(dlg).text(), QString());
        EXPECT_FALSE(Control<QPushButton>(dlg, "IDC_EDIT_SKIP_8610").isEnabled());
        EXPECT_TRUE(Control<QPushButton>(dlg, "IDC_EDIT_REPLACE_8607").isEnabled());
        QTest::keyClicks(&FindWhatEdit(dlg), "typed");
        EXPECT_TRUE(Control<QPushButton>(dlg, "IDC_EDIT_SKIP_8610").isEnabled());
        QTest::mouseClick(&Control<QCheckBox>(dlg, "IDC_EDIT_WHOLE_WORD_8603"), Qt::LeftButton);
        Click(dlg, "IDCANCEL_2");
        EXPECT_FALSE(dlg.isVisible());
    });
    Press(fx.view, Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(ProfileValue("FindWhat").toString(), QStringLiteral("typed"));
    EXPECT_EQ(ProfileValue("ReplaceWith").toString(), QStringLiteral("new"));
    EXPECT_EQ(ProfileValue("MatchCase").toInt(), 1);
    EXPECT_EQ(ProfileValue("WholeWord").toInt(), 1);

    // The next dialog shows them; Escape also keeps what was typed.
    WhenModalShows<CReplaceTextDlg>([&](CReplaceTextDlg& dlg) {
        EXPECT_EQ(FindWhatEdit(dlg).text(), QStringLiteral("typed"));
        ReplaceWithEdit(dlg).setText(QStringLiteral("other"));
        QTest::keyClick(&dlg, Qt::Key_Escape);
        EXPECT_FALSE(dlg.isVisible());
    });
    Press(fx.view, Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(ProfileValue("ReplaceWith").toString(), QStringLiteral("other"));
    EXPECT_EQ(fx.State(), "|text");
}

TEST_F(EditReplace, TextsAreWindows1252AndOnesTheDocumentCannotHoldAreRefused) {
    const QString strEuro = QString::fromUtf8("\xE2\x82\xAC");
    const QString strArrow = QString::fromUtf8("\xE2\x86\x92");
    CEditFixture fx("|EUR \x80");
    RunReplace(fx.view, "EUR", strEuro, [&](CReplaceTextDlg& dlg) { ReplaceAll(dlg); });
    EXPECT_EQ(fx.pBuffer->GetLineView(0), "\x80 \x80");
    fx.view.PutCaretAt({0, 0});
    RunReplace(fx.view, strEuro, strArrow, [&](CReplaceTextDlg& dlg) {
        FindNext(dlg);
        EXPECT_EQ(fx.State(), "[\x80]| \x80");
        m_log.Clear();
        Replace(dlg);
        ReplaceAll(dlg);
        FindWhatEdit(dlg).setText(strArrow);
        FindNext(dlg);
    });
    const std::string strNoSuch = ": not in the document's encoding, Windows-1252.";
    EXPECT_EQ(m_log.Messages(),
              (std::vector<std::string>{"Cannot replace with U+2192 (\xE2\x86\x92)" + strNoSuch,
                                        "Cannot replace with U+2192 (\xE2\x86\x92)" + strNoSuch,
                                        "Cannot search for U+2192 (\xE2\x86\x92)" + strNoSuch}));
    EXPECT_EQ(fx.State(), "[\x80]| \x80");
    // Only the one replacement made can be undone: two groups.
    fx.view.Undo();
    fx.view.Undo();
    EXPECT_EQ(fx.pBuffer->GetLineView(0), "EUR \x80");
    EXPECT_FALSE(fx.pBuffer->CanUndo());
    // The profile keeps the characters themselves.
    EXPECT_EQ(ProfileValue("FindWhat").toString(), strArrow);
    EXPECT_EQ(ProfileValue("ReplaceWith").toString(), strArrow);
}

TEST_F(EditReplace, ReplaceAllOfAnEmptyTextChangesNothingAndEndsWithTheNotFoundMessage) {
    CEditFixture fx("|ab\ncd");
    RunReplace(fx.view, "", "", [&](CReplaceTextDlg& dlg) { ReplaceAll(dlg); });
    EXPECT_EQ(m_log.Messages(), std::vector<std::string>{"Cannot find string\"\""});
    RunReplace(fx.view, "", "x", [&](CReplaceTextDlg& dlg) {
        ReplaceAll(dlg);
        Replace(dlg);
    });
    EXPECT_EQ(fx.pBuffer->GetLineView(0), "ab");
    EXPECT_EQ(fx.pBuffer->GetLineView(1), "cd");
    EXPECT_FALSE(fx.pBuffer->CanUndo());
}

TEST_F(EditReplace, WholeWordsAndCaseNarrowWhatIsReplaced) {
    CEditFixture fx("|Cat cat category cat_ cat");
    RunReplace(fx.view, "cat", "dog", [&](CReplaceTextDlg& dlg) {
        QTest::mouseClick(&Control<QCheckBox>(dlg, "IDC_EDIT_WHOLE_WORD_8603"), Qt::LeftButton);
        QTest::mouseClick(&Control<QCheckBox>(dlg, "IDC_EDIT_MATCH_CASE_8604"), Qt::LeftButton);
        ReplaceAll(dlg);
    });
    EXPECT_EQ(fx.pBuffer->GetLineView(0), "Cat dog category cat_ dog");
}

TEST_F(EditReplace, TheDialogHasTheControlsAndTabOrderOfItsForm) {
    CEditFixture fx("|abc");
    CReplaceTextDlg dlg(&fx.view);
    dlg.m_nScope = 1;
    dlg.OnInitDialog();
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Replace"));
    EXPECT_EQ(dlg.objectName(), QStringLiteral("IDD_EDIT_REPLACE_8602"));
    // No OK button: Find Next is the default.
    EXPECT_TRUE(Control<QPushButton>(dlg, "IDC_EDIT_SKIP_8610").isDefault());
    EXPECT_EQ(dlg.findChild<QPushButton*>(QStringLiteral("IDOK_1")), nullptr);
    std::vector<std::string> texts;
    for (const char* pszName :
         {"IDC_EDIT_SKIP_8610", "IDC_EDIT_REPLACE_8607", "IDC_EDIT_REPLACE_ALL_8608", "IDCANCEL_2"})
        texts.push_back(Control<QPushButton>(dlg, pszName).text().toStdString());
    EXPECT_EQ(texts,
              (std::vector<std::string>{"&Find Next", "&Replace", "Replace &All", "Cancel"}));
    const std::vector<std::string> expected{"IDC_EDIT_FINDTEXT_8605",
                                            "IDC_EDIT_REPLACE_WITH_8609",
                                            "IDC_EDIT_WHOLE_WORD_8603",
                                            "IDC_EDIT_MATCH_CASE_8604",
                                            "IDC_EDIT_SCOPE_SELECTION_8613",
                                            "IDC_EDIT_SCOPE_WHOLEFILE_8614",
                                            "IDC_EDIT_SKIP_8610",
                                            "IDC_EDIT_REPLACE_8607",
                                            "IDC_EDIT_REPLACE_ALL_8608",
                                            "IDCANCEL_2"};
    EXPECT_EQ(TabOrder(FindWhatEdit(dlg)), expected);
    for (QAbstractButton* pButton : dlg.findChildren<QAbstractButton*>())
        EXPECT_GE(pButton->width(), pButton->sizeHint().width())
            << pButton->objectName().toStdString();
}
