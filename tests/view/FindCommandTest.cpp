// Find, Find Next and Find Previous on a shown view: the Find dialog with its presets, its
// buttons and what it leaves behind, the last search of each view, and the profile values.
#include "DialogDriver.h"
#include "GoldenText.h"
#include "resources/CommandIds.h"
#include "view/FindDialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class CSearchView : public CProbeView {
public:
    using CTextView::m_bHaveLastSearch;
    using CTextView::m_dwLastFindFlags;
    using CTextView::m_strLastSearchText;
};

using CSearchFixture = TGoldenFixture<CSearchView>;

// Every test starts without remembered Find settings.
class FindCommand : public testing::Test {
protected:
    void SetUp() override { QSettings().remove(QStringLiteral("TextEdit/Find")); }
    void TearDown() override { QSettings().remove(QStringLiteral("TextEdit/Find")); }

    CMessageLog m_log;
};

bool IsCommandEnabled(CTextView& view, unsigned nId) {
    CCmdUI cmdUI(nId);
    view.RouteUpdateCmdUI(nId, cmdUI);
    return cmdUI.IsEnabled();
}

QVariant ProfileValue(const char* pszName) {
    return QSettings().value(QStringLiteral("TextEdit/Find/") + QLatin1String(pszName));
}

void SetProfile(int nMatchCase, int nWholeWord, const QString& strFindWhat) {
    QSettings settings;
    settings.beginGroup(QStringLiteral("TextEdit/Find"));
    settings.setValue(QStringLiteral("MatchCase"), nMatchCase);
    settings.setValue(QStringLiteral("WholeWord"), nWholeWord);
    settings.setValue(QStringLiteral("FindWhat"), strFindWhat);
}

QLineEdit& FindWhatEdit(QWidget& dlg) {
    return Control<QLineEdit>(dlg, "IDC_EDIT_FINDTEXT_8605");
}
QPushButton& FindNextButton(QWidget& dlg) {
    return Control<QPushButton>(dlg, "IDOK_1");
}

// What the Find dialog shows when it opens.
struct DialogPreset {
    std::string strFindWhat;
    bool bMatchCase = false;
    bool bWholeWord = false;
    bool bUp = false;
    bool bDown = false;
    bool bFindNextEnabled = false;
};

DialogPreset ReadPreset(QWidget& dlg) {
    return {FindWhatEdit(dlg).text().toStdString(),
            Control<QCheckBox>(dlg, "IDC_EDIT_MATCH_CASE_8604").isChecked(),
            Control<QCheckBox>(dlg, "IDC_EDIT_WHOLE_WORD_8603").isChecked(),
            Control<QRadioButton>(dlg, "IDC_EDIT_DIRECTION_UP_8611").isChecked(),
            Control<QRadioButton>(dlg, "IDC_EDIT_DIRECTION_DOWN_8612").isChecked(),
            FindNextButton(dlg).isEnabled()};
}

// Opens Find with Ctrl+F and reads what the dialog shows, then cancels it.
DialogPreset OpenAndCancel(CTextView& view) {
    DialogPreset preset;
    WhenModalShows<CFindDialog>([&](CFindDialog& dlg) { preset = ReadPreset(dlg); });
    Press(view, Qt::Key_F, Qt::ControlModifier);
    return preset;
}

// Ctrl+F, the text and options typed into the dialog, then Find Next.
void FindWithDialog(CTextView& view, const QString& strText, bool bUp = false,
                    bool bMatchCase = false, bool bWholeWord = false) {
    WhenModalShows<CFindDialog>([=](CFindDialog& dlg) {
        FindWhatEdit(dlg).setText(strText);
        Control<QCheckBox>(dlg, "IDC_EDIT_MATCH_CASE_8604").setChecked(bMatchCase);
        Control<QCheckBox>(dlg, "IDC_EDIT_WHOLE_WORD_8603").setChecked(bWholeWord);
        Control<QRadioButton>(dlg,
                              bUp ? "IDC_EDIT_DIRECTION_UP_8611" : "IDC_EDIT_DIRECTION_DOWN_8612")
            .setChecked(true);
        QTest::mouseClick(&FindNextButton(dlg), Qt::LeftButton);
    });
    Press(view, Qt::Key_F, Qt::ControlModifier);
}

} // namespace

TEST_F(FindCommand, FindNextAndPreviousAreDisabledAndDoNothingBeforeTheFirstFind) {
    CSearchFixture fx("ab|c abc");
    EXPECT_FALSE(IsCommandEnabled(fx.view, ID_EDIT_REPEAT));
    EXPECT_FALSE(IsCommandEnabled(fx.view, ID_EDIT_FIND_PREVIOUS));
    EXPECT_TRUE(IsCommandEnabled(fx.view, ID_EDIT_FIND));
    Press(fx.view, Qt::Key_F3);
    Press(fx.view, Qt::Key_F3, Qt::ShiftModifier);
    fx.view.OnCmdMsg(ID_EDIT_REPEAT);
    EXPECT_EQ(fx.State(), "ab|c abc");
    EXPECT_TRUE(m_log.Messages().empty());
}

TEST_F(FindCommand, FindSelectsTheMatchClosesAndRemembersTheSearch) {
    CSearchFixture fx("one |two\nthree two");
    bool bShownInactive = false;
    WhenModalShows<CFindDialog>([&](CFindDialog& dlg) {
        bShownInactive = fx.view.m_bShowSelectionInactive;
        QTest::keyClicks(&FindWhatEdit(dlg), "two");
        QTest::mouseClick(&FindNextButton(dlg), Qt::LeftButton);
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
    });
    Press(fx.view, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(bShownInactive);
    EXPECT_FALSE(fx.view.m_bShowSelectionInactive);
    EXPECT_EQ(fx.State(), "one [two]|\nthree two");
    EXPECT_TRUE(fx.view.m_bHaveLastSearch);
    EXPECT_EQ(fx.view.m_strLastSearchText, "two");
    EXPECT_EQ(fx.view.m_dwLastFindFlags, 0u);
    EXPECT_TRUE(IsCommandEnabled(fx.view, ID_EDIT_REPEAT));
    EXPECT_EQ(ProfileValue("FindWhat").toString(), QStringLiteral("two"));
    EXPECT_EQ(ProfileValue("MatchCase").toInt(), 0);
    EXPECT_EQ(ProfileValue("WholeWord").toInt(), 0);
    EXPECT_FALSE(ProfileValue("Direction").isValid());

    // F3 steps from match to match and round the end.
    Press(fx.view, Qt::Key_F3);
    EXPECT_EQ(fx.State(), "one two\nthree [two]|");
    Press(fx.view, Qt::Key_F3);
    EXPECT_EQ(fx.State(), "one [two]|\nthree two");
    EXPECT_TRUE(m_log.Messages().empty());
}

TEST_F(FindCommand, EnterInTheTextPressesFindNext) {
    CSearchFixture fx("|a b a");
    WhenModalShows<CFindDialog>([&](CFindDialog& dlg) {
        QTest::keyClicks(&FindWhatEdit(dlg), "b");
        QTest::keyClick(&FindWhatEdit(dlg), Qt::Key_Return);
    });
    Press(fx.view, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(fx.State(), "a [b]| a");
}

TEST_F(FindCommand, TheDialogPresetsComeFromTheProfileThenFromTheLastSearch) {
    SetProfile(1, 1, QStringLiteral("stored"));
    CSearchFixture fx("alpha |beta\ngamma");
    DialogPreset preset = OpenAndCancel(fx.view);
    EXPECT_EQ(preset.strFindWhat, "stored");
    EXPECT_TRUE(preset.bMatchCase);
    EXPECT_TRUE(preset.bWholeWord);
    EXPECT_FALSE(preset.bUp);
    EXPECT_TRUE(preset.bDown);
    EXPECT_TRUE(preset.bFindNextEnabled);

    // Now the view has a last search: the profile is no longer read.
    FindWithDialog(fx.view, QStringLiteral("gamma"), true, true, true);
    EXPECT_EQ(fx.State(), "alpha beta\n[gamma]|");
    SetProfile(0, 0, QStringLiteral("other"));
    preset = OpenAndCancel(fx.view);
    EXPECT_EQ(preset.strFindWhat, "gamma");
    EXPECT_TRUE(preset.bMatchCase);
    EXPECT_TRUE(preset.bWholeWord);
    EXPECT_TRUE(preset.bUp);
    EXPECT_FALSE(preset.bDown);

    // Another view of the same buffer keeps its own search.
    CSearchView other;
    SetUpView(other, fx.pBuffer.get(), 40, 10);
    EXPECT_FALSE(IsCommandEnabled(other, ID_EDIT_REPEAT));
    EXPECT_EQ(OpenAndCancel(other).strFindWhat, "gamma");
}

TEST_F(FindCommand, ASelectionWithinOneLineIsWhatToFind) {
    SetProfile(0, 0, QStringLiteral("stored"));
    CSearchFixture fx("al[pha be]|ta\ngamma");
    EXPECT_EQ(OpenAndCancel(fx.view).strFindWhat, "pha be");
    CSearchFixture backwards("al|[pha]\ngamma");
    EXPECT_EQ(OpenAndCancel(backwards.view).strFindWhat, "pha");
    // Over two lines the selection is not used.
    SetProfile(0, 0, QStringLiteral("stored"));
    CSearchFixture twoLines("al[pha\nga]|mma");
    EXPECT_EQ(OpenAndCancel(twoLines.view).strFindWhat, "stored");
}

TEST_F(FindCommand, CancelKeepsWhatTheDialogShowsAsTheLastSearchAndInTheProfile) {
    CSearchFixture fx("|abc ABC");
    WhenModalShows<CFindDialog>([&](CFindDialog& dlg) {
        QTest::keyClicks(&FindWhatEdit(dlg), "ABC");
        QTest::mouseClick(&Control<QCheckBox>(dlg, "IDC_EDIT_MATCH_CASE_8604"), Qt::LeftButton);
        Control<QRadioButton>(dlg, "IDC_EDIT_DIRECTION_UP_8611").setChecked(true);
        QTest::mouseClick(&Control<QPushButton>(dlg, "IDCANCEL_2"), Qt::LeftButton);
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
    });
    Press(fx.view, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(fx.State(), "|abc ABC");
    EXPECT_TRUE(fx.view.m_bHaveLastSearch);
    EXPECT_EQ(fx.view.m_strLastSearchText, "ABC");
    EXPECT_EQ(fx.view.m_dwLastFindFlags, SEARCH_MATCHCASE | SEARCH_UPWARD);
    EXPECT_EQ(ProfileValue("FindWhat").toString(), QStringLiteral("ABC"));
    EXPECT_EQ(ProfileValue("MatchCase").toInt(), 1);

    // Escape does the same with the values typed so far.
    WhenModalShows<CFindDialog>([&](CFindDialog& dlg) {
        FindWhatEdit(dlg).setText(QStringLiteral("abc"));
        Control<QCheckBox>(dlg, "IDC_EDIT_WHOLE_WORD_8603").setChecked(true);
        QTest::keyClick(&dlg, Qt::Key_Escape);
        EXPECT_FALSE(dlg.isVisible());
    });
    Press(fx.view, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(fx.view.m_strLastSearchText, "abc");
    EXPECT_EQ(fx.view.m_dwLastFindFlags, SEARCH_MATCHCASE | SEARCH_WHOLEWORD | SEARCH_UPWARD);
    EXPECT_EQ(ProfileValue("WholeWord").toInt(), 1);
    // Upward from the caret: round to the last match, the one with case.
    Press(fx.view, Qt::Key_F3);
    EXPECT_EQ(fx.State(), "[abc]| ABC");
}

TEST_F(FindCommand, FindNextIsEnabledOnlyWhileThereIsTextToFind) {
    CSearchFixture fx("|abc");
    CFindDialog dlg(&fx.view);
    dlg.OnInitDialog();
    dlg.show();
    EXPECT_FALSE(FindNextButton(dlg).isEnabled());
    QTest::keyClicks(&FindWhatEdit(dlg), "a");
    EXPECT_TRUE(FindNextButton(dlg).isEnabled());
    QTest::keyClick(&FindWhatEdit(dlg), Qt::Key_Backspace);
    EXPECT_FALSE(FindNextButton(dlg).isEnabled());
    // Enter does nothing while the button is disabled.
    QTest::keyClick(&FindWhatEdit(dlg), Qt::Key_Return);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(m_log.Messages().empty());
}

TEST_F(FindCommand, NotFoundTellsTheUserAndTheDialogStartsOverAtTheTop) {
    CSearchFixture fx("xyz\nab|c xyz");
    CFindDialog dlg(&fx.view);
    dlg.m_sFindWhat = QStringLiteral("nothing");
    dlg.m_ptStartPos = fx.view.GetCaretTextPos();
    dlg.m_ptUpStartPos = fx.view.GetCaretTextPos();
    dlg.OnInitDialog();
    dlg.show();
    QTest::mouseClick(&FindNextButton(dlg), Qt::LeftButton);
    ASSERT_EQ(m_log.Messages().size(), 1u);
    EXPECT_EQ(m_log.Messages()[0], "Cannot find string\"nothing\"");
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.m_ptStartPos, TextPos(0, 0));
    EXPECT_EQ(fx.State(), "xyz\nab|c xyz");
    // Searching on without wrap-around from the top now finds the first line's match.
    FindWhatEdit(dlg).setText(QStringLiteral("xyz"));
    QTest::mouseClick(&FindNextButton(dlg), Qt::LeftButton);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(fx.State(), "[xyz]|\nabc xyz");
}

TEST_F(FindCommand, FindNextTellsTheUserWhenTheTextIsNowhereAndChangesNothing) {
    CSearchFixture fx("abc a[b]|c");
    FindWithDialog(fx.view, QStringLiteral("b"));
    m_log.Clear();
    fx.view.m_strLastSearchText = "a%sb";
    Press(fx.view, Qt::Key_F3);
    ASSERT_EQ(m_log.Messages().size(), 1u);
    EXPECT_EQ(m_log.Messages()[0], "Cannot find string\"a%sb\"");
    EXPECT_EQ(fx.State(), "a[b]|c abc");
}

TEST_F(FindCommand, FindPreviousWalksBackThroughEveryOccurrence) {
    CSearchFixture fx("ab ab\nab|x ab ab");
    FindWithDialog(fx.view, QStringLiteral("ab"));
    EXPECT_EQ(fx.State(), "ab ab\nabx [ab]| ab");
    Press(fx.view, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(fx.State(), "ab ab\n[ab]|x ab ab");
    Press(fx.view, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(fx.State(), "ab [ab]|\nabx ab ab");
    Press(fx.view, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(fx.State(), "[ab]| ab\nabx ab ab");
    // Round from the top to the last one.
    Press(fx.view, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(fx.State(), "ab ab\nabx ab [ab]|");
    // The direction of the last search itself has not changed.
    EXPECT_EQ(fx.view.m_dwLastFindFlags, 0u);
    Press(fx.view, Qt::Key_F3);
    EXPECT_EQ(fx.State(), "[ab]| ab\nabx ab ab");
}

TEST_F(FindCommand, UpwardSearchesMoveOffTheMatchThatIsSelected) {
    CSearchFixture fx("abc abc [abc]|");
    // The dialog offers the selection and goes up from its start.
    FindWithDialog(fx.view, QStringLiteral("abc"), true);
    EXPECT_EQ(fx.State(), "abc [abc]| abc");
    Press(fx.view, Qt::Key_F3);
    EXPECT_EQ(fx.State(), "[abc]| abc abc");
    // Find Previous after an upward search goes down from the caret.
    Press(fx.view, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(fx.State(), "abc [abc]| abc");
    // Without a selection the caret is the start: a match that begins before it is found.
    CSearchFixture caret("abc abc ab|c");
    FindWithDialog(caret.view, QStringLiteral("abc"), true);
    EXPECT_EQ(caret.State(), "abc abc [abc]|");
}

TEST_F(FindCommand, AnEmptyLastSearchSelectsAnEmptyRangeAtTheCaret) {
    CSearchFixture fx("ab|cd\nef");
    OpenAndCancel(fx.view);
    EXPECT_TRUE(fx.view.m_bHaveLastSearch);
    EXPECT_EQ(fx.view.m_strLastSearchText, "");
    Press(fx.view, Qt::Key_F3);
    EXPECT_EQ(fx.State(), "ab|cd\nef");
    // At the end of a line it moves to the next line that has characters.
    CSearchFixture lineEnd("abcd|\n\nef");
    OpenAndCancel(lineEnd.view);
    Press(lineEnd.view, Qt::Key_F3);
    EXPECT_EQ(lineEnd.State(), "abcd\n\n|ef");
    EXPECT_TRUE(m_log.Messages().empty());
}

TEST_F(FindCommand, DialogTextReachesTheBytesOfTheBufferAsWindows1252) {
    const QString strEuro = QString::fromUtf8("\xE2\x82\xAC");
    CSearchFixture fx("|x \xE4 \x80");
    FindWithDialog(fx.view, strEuro);
    EXPECT_EQ(fx.view.m_strLastSearchText, "\x80");
    EXPECT_EQ(fx.State(), "x \xE4 [\x80]|");
    // The next dialog shows the character again, from the last search as from the profile.
    EXPECT_EQ(ProfileValue("FindWhat").toString(), strEuro);
    fx.view.PutCaretAt({0, 0});
    EXPECT_EQ(OpenAndCancel(fx.view).strFindWhat, "\xE2\x82\xAC");
    CSearchView other;
    SetUpView(other, fx.pBuffer.get(), 40, 10);
    EXPECT_EQ(OpenAndCancel(other).strFindWhat, "\xE2\x82\xAC");
    FindWithDialog(other, strEuro);
    EXPECT_EQ(other.m_strLastSearchText, "\x80");
    FindWithDialog(fx.view, QString(QChar(0xE4)));
    EXPECT_EQ(fx.State(), "x [\xE4]| \x80");
    EXPECT_TRUE(m_log.Messages().empty());

    // Not found, Find Next names the character as it was asked for.
    CSearchFixture none("|abc");
    FindWithDialog(none.view, strEuro);
    m_log.Clear();
    Press(none.view, Qt::Key_F3);
    EXPECT_EQ(m_log.Messages(), std::vector<std::string>{"Cannot find string\"\xE2\x82\xAC\""});
}

TEST_F(FindCommand, ATextWithACharacterTheDocumentCannotHoldIsNotSearched) {
    // A stand-in such as "?" would be found here.
    CSearchFixture fx("a|bc ?");
    const QString strText = QString::fromUtf8("\xE2\x86\x92");
    FindWithDialog(fx.view, strText);
    EXPECT_EQ(m_log.Messages(),
              std::vector<std::string>{"Cannot search for U+2192 (\xE2\x86\x92): not in the "
                                       "document's encoding, Windows-1252."});
    EXPECT_EQ(fx.State(), "a|bc ?");
    // Nothing is left to repeat; the profile keeps the text for the next dialog.
    EXPECT_FALSE(IsCommandEnabled(fx.view, ID_EDIT_REPEAT));
    EXPECT_EQ(ProfileValue("FindWhat").toString(), strText);
    EXPECT_EQ(OpenAndCancel(fx.view).strFindWhat, "\xE2\x86\x92");
}

TEST_F(FindCommand, NulBytesAreSearchedAndRemembered) {
    using namespace std::string_literals;
    CSearchFixture fx("[a\0b]| x a\0b"s);
    OpenAndCancel(fx.view);
    EXPECT_EQ(fx.view.m_strLastSearchText, "a\0b"s);
    EXPECT_EQ(ProfileValue("FindWhat").toString(), QString::fromLatin1("a\0b", 3));
    Press(fx.view, Qt::Key_F3);
    EXPECT_EQ(fx.State(), "a\0b x [a\0b]|"s);
}

TEST_F(FindCommand, ANewBufferForgetsTheLastSearch) {
    CSearchFixture fx("|abc");
    FindWithDialog(fx.view, QStringLiteral("abc"));
    ASSERT_TRUE(IsCommandEnabled(fx.view, ID_EDIT_REPEAT));
    auto pOther = MakeBuffer({"abc"});
    fx.view.AttachBuffer(pOther.get());
    EXPECT_FALSE(IsCommandEnabled(fx.view, ID_EDIT_FIND_PREVIOUS));
    fx.view.DetachBuffer();
}

TEST_F(FindCommand, TheDialogHasTheControlsAndTabOrderOfItsForm) {
    CSearchFixture fx("|abc");
    CFindDialog dlg(&fx.view);
    dlg.OnInitDialog();
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Find"));
    EXPECT_EQ(dlg.objectName(), QStringLiteral("IDD_EDIT_FIND_8601"));
    EXPECT_TRUE(FindNextButton(dlg).isDefault());
    EXPECT_EQ(FindNextButton(dlg).text(), QStringLiteral("&Find Next"));
    EXPECT_EQ(Control<QPushButton>(dlg, "IDCANCEL_2").text(), QStringLiteral("Cancel"));
    EXPECT_EQ(Control<QCheckBox>(dlg, "IDC_EDIT_WHOLE_WORD_8603").text(),
              QStringLiteral("Match &whole word only"));
    EXPECT_EQ(Control<QCheckBox>(dlg, "IDC_EDIT_MATCH_CASE_8604").text(),
              QStringLiteral("Match &case"));
    // The tab order follows the form, starting in the text.
    const std::vector<std::string> expected{"IDC_EDIT_FINDTEXT_8605",
                                            "IDC_EDIT_WHOLE_WORD_8603",
                                            "IDC_EDIT_MATCH_CASE_8604",
                                            "IDC_EDIT_DIRECTION_UP_8611",
                                            "IDC_EDIT_DIRECTION_DOWN_8612",
                                            "IDOK_1",
                                            "IDCANCEL_2"};
    EXPECT_EQ(TabOrder(FindWhatEdit(dlg)), expected);
    // Every text is shown whole.
    for (QAbstractButton* pButton : dlg.findChildren<QAbstractButton*>())
        EXPECT_GE(pButton->width(), pButton->sizeHint().width())
            << pButton->objectName().toStdString();
}
