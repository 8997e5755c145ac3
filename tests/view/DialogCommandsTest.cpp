// The commands that run a dialog on a shown view: Find, Find Next and Previous, Go to Line.
#include "DialogDriver.h"
#include "GoldenText.h"
#include "resources/CommandIds.h"
#include "view/FindDialog.h"
#include "view/GoToLineDlg.h"

#include <optional>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

class CSearchView : public CProbeView {
public:
    using CTextView::m_bHaveLastSearch;
    using CTextView::m_dwLastFindFlags;
    using CTextView::m_strLastSearchText;
};

using CSearchFixture = TGoldenFixture<CSearchView>;

// The Find values of the profile: "text case N word N", and " direction" if one is stored.
std::string Profile() {
    QSettings settings;
    settings.beginGroup(QStringLiteral("TextEdit/Find"));
    return settings.value(QStringLiteral("FindWhat")).toString().toStdString() + " case " +
           std::to_string(settings.value(QStringLiteral("MatchCase")).toInt()) + " word " +
           std::to_string(settings.value(QStringLiteral("WholeWord")).toInt()) +
           (settings.contains(QStringLiteral("Direction")) ? " direction" : "");
}

// Replaces the remembered Find values; without a text, forgets them.
void SetProfile(const QString& strFindWhat = {}, int nMatchCase = 0, int nWholeWord = 0) {
    QSettings settings;
    settings.remove(QStringLiteral("TextEdit/Find"));
    if (strFindWhat.isEmpty())
        return;
    settings.beginGroup(QStringLiteral("TextEdit/Find"));
    settings.setValue(QStringLiteral("MatchCase"), nMatchCase);
    settings.setValue(QStringLiteral("WholeWord"), nWholeWord);
    settings.setValue(QStringLiteral("FindWhat"), strFindWhat);
}

// Every test starts without remembered Find settings.
class FindCommand : public testing::Test {
protected:
    void SetUp() override { SetProfile(); }
    void TearDown() override { SetProfile(); }
    CMessageLog m_log;
};

// The view's last search: "none", or its text and flags.
std::string LastSearch(const CSearchView& view) {
    return view.m_bHaveLastSearch
               ? view.m_strLastSearchText + " flags " + std::to_string(view.m_dwLastFindFlags)
               : "none";
}

// The Find dialog's controls.
struct FindControls {
    explicit FindControls(QWidget& dlg)
        : text(Control<QLineEdit>(dlg, "IDC_EDIT_FINDTEXT_8605")),
          next(Control<QPushButton>(dlg, "IDOK_1")),
          matchCase(Control<QCheckBox>(dlg, "IDC_EDIT_MATCH_CASE_8604")),
          wholeWord(Control<QCheckBox>(dlg, "IDC_EDIT_WHOLE_WORD_8603")),
          up(Control<QRadioButton>(dlg, "IDC_EDIT_DIRECTION_UP_8611")),
          down(Control<QRadioButton>(dlg, "IDC_EDIT_DIRECTION_DOWN_8612")) {}
    QLineEdit& text;
    QPushButton& next;
    QCheckBox& matchCase;
    QCheckBox& wholeWord;
    QRadioButton& up;
    QRadioButton& down;
};

// Runs fn on the Find dialog that Ctrl+F opens.
void WithFindDialog(CTextView& view, std::function<void(CFindDialog&, FindControls&)> fn) {
    WhenModalShows<CFindDialog>([&](CFindDialog& dlg) {
        FindControls controls(dlg);
        fn(dlg, controls);
    });
    Press(view, Qt::Key_F, Qt::ControlModifier);
}

// Ctrl+F; with a text, that text and the options typed into the dialog and Find Next pressed,
// else the dialog cancelled. Answers what the dialog showed: its text, then "case", "word", "up",
// "down" for the controls that are checked and "next" if Find Next is enabled.
std::string FindDialog(CTextView& view, std::optional<QString> text = {}, bool bUp = false,
                       bool bMatchCase = false, bool bWholeWord = false) {
    std::string preset;
    WithFindDialog(view, [&](CFindDialog&, FindControls& c) {
        preset = c.text.text().toStdString();
        for (const auto& [pszName, bOn] : {std::pair{" case", c.matchCase.isChecked()},
                                           {" word", c.wholeWord.isChecked()},
                                           {" up", c.up.isChecked()},
                                           {" down", c.down.isChecked()},
                                           {" next", c.next.isEnabled()}})
            preset += bOn ? pszName : "";
        if (!text)
            return;
        c.text.setText(*text);
        c.matchCase.setChecked(bMatchCase);
        c.wholeWord.setChecked(bWholeWord);
        (bUp ? c.up : c.down).setChecked(true);
        QTest::mouseClick(&c.next, Qt::LeftButton);
    });
    return preset;
}

TEST_F(FindCommand, FindNextAndPreviousWalkThroughEveryOccurrence) {
    const struct {
        const char* pszBefore;
        const char* pszStep;
        const char* pszAfter;
    } steps[] = {
        // clang-format off
        {"one |two\nthree two", "Shift+F3 F3", "one |two\nthree two"}, // nothing to repeat yet
        {nullptr, "find two", "one [two]|\nthree two"},
        {nullptr, "F3", "one two\nthree [two]|"},
        {nullptr, "F3", "one [two]|\nthree two"},
        {"ab ab\nab|x ab ab", "find ab", "ab ab\nabx [ab]| ab"},
        {nullptr, "Shift+F3", "ab ab\n[ab]|x ab ab"},
        {nullptr, "Shift+F3", "ab [ab]|\nabx ab ab"},
        {nullptr, "Shift+F3", "[ab]| ab\nabx ab ab"},
        {nullptr, "Shift+F3", "ab ab\nabx ab [ab]|"},
        {nullptr, "F3", "[ab]| ab\nabx ab ab"}, // the last search still goes down
        {"abc abc [abc]|", "find/up abc", "abc [abc]| abc"},
        {nullptr, "F3", "[abc]| abc abc"},
        {nullptr, "Shift+F3", "abc [abc]| abc"},
        {"abc abc ab|c", "find/up abc", "abc abc [abc]|"},
        {"|x \xE4 \x80", "find \xE2\x82\xAC", "x \xE4 [\x80]|"},
        {nullptr, "find \xC3\xA4", "x [\xE4]| \x80"},
        // clang-format on
    };
    std::unique_ptr<CSearchFixture> pFx;
    for (const auto& [pszBefore, pszStep, pszAfter] : steps) {
        if (pszBefore)
            pFx = std::make_unique<CSearchFixture>(pszBefore);
        const std::string_view step(pszStep);
        if (step.starts_with("find"))
            FindDialog(pFx->view, QString::fromUtf8(step.substr(step.find(' ') + 1)),
                       step.starts_with("find/up"));
        else
            PressKeys(pFx->view, step);
        EXPECT_EQ(pFx->State(), pszAfter) << pszStep;
    }
    EXPECT_EQ(pFx->view.m_strLastSearchText, "\xE4");
    EXPECT_TRUE(m_log.Messages().empty());
}

TEST_F(FindCommand, FindSelectsTheMatchRemembersTheSearchAndTellsWhatIsNotFound) {
    CSearchFixture fx("one |two\nthree two");
    EXPECT_FALSE(IsCommandEnabled(fx.view, ID_EDIT_REPEAT));
    EXPECT_FALSE(IsCommandEnabled(fx.view, ID_EDIT_FIND_PREVIOUS));
    EXPECT_TRUE(IsCommandEnabled(fx.view, ID_EDIT_FIND));
    fx.view.OnCmdMsg(ID_EDIT_REPEAT);
    EXPECT_EQ(fx.State(), "one |two\nthree two");
    bool bShownInactive = false;
    WithFindDialog(fx.view, [&](CFindDialog& dlg, FindControls& c) {
        bShownInactive = fx.view.m_bShowSelectionInactive;
        QTest::keyClicks(&c.text, "two");
        QTest::mouseClick(&c.next, Qt::LeftButton);
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
    });
    EXPECT_TRUE(bShownInactive);
    EXPECT_FALSE(fx.view.m_bShowSelectionInactive);
    EXPECT_EQ(fx.State(), "one [two]|\nthree two");
    EXPECT_EQ(LastSearch(fx.view), "two flags 0");
    EXPECT_TRUE(IsCommandEnabled(fx.view, ID_EDIT_REPEAT));
    EXPECT_EQ(Profile(), "two case 0 word 0");
    WithFindDialog(fx.view, [&](CFindDialog&, FindControls& c) {
        c.text.clear();
        QTest::keyClicks(&c.text, "e");
        QTest::keyClick(&c.text, Qt::Key_Return);
    });
    EXPECT_EQ(fx.State(), "one two\nthr[e]|e two");
    EXPECT_TRUE(m_log.Messages().empty());
    auto pOther = MakeBuffer({"abc"});
    fx.view.AttachBuffer(pOther.get());
    EXPECT_FALSE(IsCommandEnabled(fx.view, ID_EDIT_FIND_PREVIOUS));
    EXPECT_FALSE(IsCommandEnabled(fx.view, ID_EDIT_REPEAT));
    fx.view.DetachBuffer();
    // The dialog presets come from the profile, then from the view's last search.
    SetProfile(QStringLiteral("stored"), 1, 1);
    CSearchFixture preset("alpha |beta\ngamma");
    EXPECT_EQ(FindDialog(preset.view), "stored case word down next");
    FindDialog(preset.view, QStringLiteral("gamma"), true, true, true);
    EXPECT_EQ(preset.State(), "alpha beta\n[gamma]|");
    SetProfile(QStringLiteral("other"));
    EXPECT_EQ(FindDialog(preset.view), "gamma case word up next");
    CSearchView other;
    SetUpView(other, preset.pBuffer.get(), 40, 10);
    EXPECT_FALSE(IsCommandEnabled(other, ID_EDIT_REPEAT));
    EXPECT_EQ(FindDialog(other), "gamma case word down next"); // cancelled into the profile
    for (const auto& [pszGolden, pszPreset] :
         {std::pair{"al[pha be]|ta\ngamma", "pha be down next"},
          {"al|[pha]\ngamma", "pha down next"},
          {"al[pha\nga]|mma", "stored down next"}}) {
        SetProfile(QStringLiteral("stored"));
        CSearchFixture sel(pszGolden);
        EXPECT_EQ(FindDialog(sel.view), pszPreset) << pszGolden;
    }
    // Find Next is enabled only while there is text; not found starts over at the top.
    CSearchFixture manual("xyz\nab|c xyz");
    CFindDialog dlg(&manual.view);
    dlg.m_ptStartPos = dlg.m_ptUpStartPos = manual.view.GetCaretTextPos();
    dlg.OnInitDialog();
    dlg.show();
    FindControls c(dlg);
    EXPECT_EQ(TabOrder(c.text),
              (std::vector<std::string>{"IDC_EDIT_FINDTEXT_8605", "IDC_EDIT_WHOLE_WORD_8603",
                                        "IDC_EDIT_MATCH_CASE_8604", "IDC_EDIT_DIRECTION_UP_8611",
                                        "IDC_EDIT_DIRECTION_DOWN_8612", "IDOK_1", "IDCANCEL_2"}));
    EXPECT_FALSE(c.next.isEnabled());
    QTest::keyClicks(&c.text, "a");
    EXPECT_TRUE(c.next.isEnabled());
    QTest::keyClick(&c.text, Qt::Key_Backspace);
    EXPECT_FALSE(c.next.isEnabled());
    QTest::keyClick(&c.text, Qt::Key_Return);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(m_log.Messages().empty());
    QTest::keyClicks(&c.text, "nothing");
    QTest::mouseClick(&c.next, Qt::LeftButton);
    EXPECT_EQ(m_log.Messages(), std::vector<std::string>{"Cannot find string\"nothing\""});
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.m_ptStartPos, TextPos(0, 0));
    EXPECT_EQ(manual.State(), "xyz\nab|c xyz");
    c.text.setText(QStringLiteral("xyz"));
    QTest::mouseClick(&c.next, Qt::LeftButton);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(manual.State(), "[xyz]|\nabc xyz");
    m_log.Clear();
    FindDialog(manual.view, QStringLiteral("b"));
    manual.view.m_strLastSearchText = "a%sb";
    EXPECT_EQ(DescribeAfter(manual.view, "F3"), "xyz\na[b]|c xyz");
    EXPECT_EQ(m_log.Messages(), std::vector<std::string>{"Cannot find string\"a%sb\""});
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Find"));
    EXPECT_EQ(c.next.text(), QStringLiteral("&Find Next"));
    EXPECT_EQ(Control<QPushButton>(dlg, "IDCANCEL_2").text(), QStringLiteral("Cancel"));
    EXPECT_EQ(c.wholeWord.text(), QStringLiteral("Match &whole word only"));
    EXPECT_EQ(c.matchCase.text(), QStringLiteral("Match &case"));
    dlg.show();
    for (QAbstractButton* pButton : dlg.findChildren<QAbstractButton*>())
        EXPECT_GE(pButton->width(), pButton->sizeHint().width())
            << pButton->objectName().toStdString();
}

TEST_F(FindCommand, CancelKeepsTheLastSearchAndTheTextReachesTheBufferAsWindows1252) {
    CSearchFixture fx("|abc ABC");
    WithFindDialog(fx.view, [&](CFindDialog& dlg, FindControls& c) {
        QTest::keyClicks(&c.text, "ABC");
        QTest::mouseClick(&c.matchCase, Qt::LeftButton);
        c.up.setChecked(true);
        QTest::mouseClick(&Control<QPushButton>(dlg, "IDCANCEL_2"), Qt::LeftButton);
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
    });
    EXPECT_EQ(fx.State(), "|abc ABC");
    EXPECT_EQ(LastSearch(fx.view), "ABC flags " + std::to_string(SEARCH_MATCHCASE | SEARCH_UPWARD));
    EXPECT_EQ(Profile(), "ABC case 1 word 0");
    WithFindDialog(fx.view, [&](CFindDialog& dlg, FindControls& c) {
        c.text.setText(QStringLiteral("abc"));
        c.wholeWord.setChecked(true);
        QTest::keyClick(&dlg, Qt::Key_Escape);
        EXPECT_FALSE(dlg.isVisible());
    });
    EXPECT_EQ(LastSearch(fx.view),
              "abc flags " + std::to_string(SEARCH_MATCHCASE | SEARCH_WHOLEWORD | SEARCH_UPWARD));
    EXPECT_EQ(Profile(), "abc case 1 word 1");
    EXPECT_EQ(DescribeAfter(fx.view, "F3"), "[abc]| ABC");
    const struct {
        std::string before, after, last;
    } cancels[] = {{"ab|cd\nef", "ab|cd\nef", ""},
                   {"abcd|\n\nef", "abcd\n\n|ef", ""},
                   {"[a\0b]| x a\0b"s, "a\0b x [a\0b]|"s, "a\0b"s}};
    for (const auto& c : cancels) {
        SetProfile();
        CSearchFixture cancelled(c.before);
        FindDialog(cancelled.view);
        EXPECT_EQ(LastSearch(cancelled.view), c.last + " flags 0");
        EXPECT_EQ(Profile(), c.last + " case 0 word 0");
        EXPECT_EQ(DescribeAfter(cancelled.view, "F3"), c.after);
    }
    EXPECT_TRUE(m_log.Messages().empty());
    const QString strEuro = QString::fromUtf8("\xE2\x82\xAC");
    CSearchFixture none("|abc");
    FindDialog(none.view, strEuro);
    EXPECT_EQ(none.view.m_strLastSearchText, "\x80");
    EXPECT_EQ(Profile(), "\xE2\x82\xAC case 0 word 0");
    EXPECT_EQ(FindDialog(none.view), "\xE2\x82\xAC down next");
    m_log.Clear();
    Press(none.view, Qt::Key_F3);
    EXPECT_EQ(m_log.Messages(), std::vector<std::string>{"Cannot find string\"\xE2\x82\xAC\""});
    // A text with a character the document cannot hold is not searched: a stand-in such as
    // "?" would be found here. Nothing is left to repeat; the profile keeps the text.
    m_log.Clear();
    CSearchFixture arrow("a|bc ?");
    FindDialog(arrow.view, QString::fromUtf8("\xE2\x86\x92"));
    EXPECT_EQ(m_log.Messages(),
              std::vector<std::string>{"Cannot search for U+2192 (\xE2\x86\x92): not in the "
                                       "document's encoding, Windows-1252."});
    EXPECT_EQ(arrow.State(), "a|bc ?");
    EXPECT_FALSE(IsCommandEnabled(arrow.view, ID_EDIT_REPEAT));
    EXPECT_EQ(Profile(), "\xE2\x86\x92 case 0 word 0");
    EXPECT_EQ(FindDialog(arrow.view), "\xE2\x86\x92 down next");
}

TEST(GoToLine, TheDialogTakesALineInItsRangeAndAColumnAndCentresAnOffScreenLine) {
    CShownView fx(MakeNumberedBuffer(100), 40, 10);
    fx.pBuffer->DeleteRange(nullptr, 1, 0, 1, 6, EDITACT_DELETE);
    BufferInsert(*fx.pBuffer, 1, 0, "\tabc");
    fx.view.PutCaretAt({2, 4});
    const std::tuple<const char*, const char*, bool> entries[] = {
        // clang-format off
        {"1", "", true}, {"100", "", true}, {" 42 ", "", true}, {"042", " ", true},
        {"42", "7", true}, {"42", "9999999999", true}, {"0", "", false}, {"101", "", false},
        {"9999999999", "", false}, {"abc", "", false}, {"4 2", "", false}, {"-3", "", false},
        {"+3", "", false}, {"", "", false}, {"  ", "", false}, {"42", "0", false},
        {"42", "x", false}, {"\xd9\xa4", "", false},
        // clang-format on
    };
    WhenModalShows<CGoToLineDlg>([&](CGoToLineDlg& dlg) {
        QLineEdit& line = Control<QLineEdit>(dlg, "IDC_LINE_8642");
        QPushButton& ok = Control<QPushButton>(dlg, "IDOK_1");
        EXPECT_EQ(Control<QLabel>(dlg, "IDC_LINE_RANGE_8641").text().toStdString(),
                  "&Line number (1 - 100):");
        EXPECT_EQ(line.text().toStdString(), "5");
        EXPECT_EQ(line.selectedText().toStdString(), "5");
        EXPECT_EQ(Control<QLineEdit>(dlg, "IDC_COLUMN_8643").text().toStdString(), "");
        EXPECT_TRUE(ok.isEnabled());
        for (const auto& [pszLine, pszColumn, bOk] : entries) {
            line.setText(QString::fromUtf8(pszLine));
            Control<QLineEdit>(dlg, "IDC_COLUMN_8643").setText(QString::fromUtf8(pszColumn));
            EXPECT_EQ(ok.isEnabled(), bOk) << "[" << pszLine << "] [" << pszColumn << "]";
        }
        QTest::mouseClick(&ok, Qt::LeftButton);
        QTest::keyClick(&line, Qt::Key_Return);
        EXPECT_TRUE(dlg.isVisible());
    });
    Press(fx.view, Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(Where(fx.view), "caret 2,4 top 0"); // cancelled: nothing moved
    // clang-format off
    const std::tuple<const char*, const char*, const char*> steps[] = {
        {"50",  "3",   "caret 2,49 top 44"},  // off screen: line 50 in the middle row of ten
        {"48",  "",    "caret 0,47 top 44"},  // on screen: no scroll
        {"54",  "99",  "caret 7,53 top 44"},  // the last whole row; the column stops at the end
        {"100", "",    "caret 0,99 top 90"},  // centred as far as the text goes
        {"2",   "3",   "caret 2,1 top 0"},    // columns count characters: the tab is one
        {"5",   "1",   "caret 0,4 top 0"},
    };
    // clang-format on
    for (const auto& [pszLine, pszColumn, pszWhere] : steps) {
        WhenModalShows<CGoToLineDlg>([&](CGoToLineDlg& dlg) {
            Control<QLineEdit>(dlg, "IDC_LINE_8642").setText(QString::fromLatin1(pszLine));
            Control<QLineEdit>(dlg, "IDC_COLUMN_8643").setText(QString::fromLatin1(pszColumn));
            QTest::mouseClick(&Control<QPushButton>(dlg, "IDOK_1"), Qt::LeftButton);
        });
        Press(fx.view, Qt::Key_G, Qt::ControlModifier);
        EXPECT_EQ(Where(fx.view), pszWhere);
        const TextPos pt = fx.view.GetCaretTextPos();
        EXPECT_EQ(fx.view.m_nStickyColumn, fx.view.CharToColumn(pt.y, pt.x)) << pszLine;
    }
}

} // namespace
