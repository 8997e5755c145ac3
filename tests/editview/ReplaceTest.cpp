// Replace on a shown edit view: replacing the selection with its two undo groups, the Replace
// dialog's Find Next, Replace and Replace All over the whole file or a selection scope that
// follows the changes, and the settings the dialog leaves in the profile.
#include "DialogDriver.h"
#include "EditTestSupport.h"
#include "editview/ReplaceTextDlg.h"
#include "resources/CommandIds.h"

#include <map>

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

constexpr const char* FIND_WHAT = "IDC_EDIT_FINDTEXT_8605";
constexpr const char* REPLACE_WITH = "IDC_EDIT_REPLACE_WITH_8609";
constexpr const char* WHOLE_WORD = "IDC_EDIT_WHOLE_WORD_8603";
constexpr const char* MATCH_CASE = "IDC_EDIT_MATCH_CASE_8604";
constexpr const char* IN_SELECTION = "IDC_EDIT_SCOPE_SELECTION_8613";
constexpr const char* WHOLE_FILE = "IDC_EDIT_SCOPE_WHOLEFILE_8614";
constexpr const char* FIND_NEXT = "IDC_EDIT_SKIP_8610";
constexpr const char* REPLACE = "IDC_EDIT_REPLACE_8607";
constexpr const char* REPLACE_ALL = "IDC_EDIT_REPLACE_ALL_8608";

QVariant ProfileValue(const char* pszName) {
    return QSettings().value(QStringLiteral("TextEdit/Replace/") + QLatin1String(pszName));
}

QLineEdit& Edit(QWidget& dlg, const char* pszName) {
    return Control<QLineEdit>(dlg, pszName);
}

void Click(QWidget& dlg, const char* pszButton) {
    QTest::mouseClick(&Control<QAbstractButton>(dlg, pszButton), Qt::LeftButton);
}

// Ctrl+H, the two texts, then fn on the open dialog; the dialog is cancelled afterwards.
void RunReplace(CTextView& view, const QString& strFind, const QString& strReplace,
                std::function<void(CReplaceTextDlg&)> fn) {
    WhenModalShows<CReplaceTextDlg>([=](CReplaceTextDlg& dlg) {
        Edit(dlg, FIND_WHAT).setText(strFind);
        Edit(dlg, REPLACE_WITH).setText(strReplace);
        fn(dlg);
    });
    Keys(view, "Ctrl+H");
}

void ReplaceAll(CTextView& view, const QString& strFind, const QString& strReplace) {
    RunReplace(view, strFind, strReplace, [](CReplaceTextDlg& dlg) { Click(dlg, REPLACE_ALL); });
}

} // namespace

TEST_F(EditReplace, GoldenCases) {
    struct Case {
        const char* pszBefore;
        const char* pszFind; // UTF-8, as the two texts below
        const char* pszReplace;
        // Presses in the dialog: Find Next, Replace, replace All, Enter in Find what, and
        // toggles of Whole word and match Case.
        const char* pszPresses;
        const char* pszAfter;
        std::string strMessages; // the message boxes shown, one a line
        int nUndos;              // that bring the text before back
    };
    const std::string NO_ARROW = " U+2192 (\xE2\x86\x92): not in the document's encoding, "
                                 "Windows-1252.";
    const std::string NOT_TWO = "Cannot find string\"two\"";
    const std::string CANNOT_REPLACE = "Cannot replace with" + NO_ARROW;
    // clang-format off
    const Case cases[] = {
        // A replacement that holds the text searched for ends all the same, in one group.
        {"|aaa",          "a",   "aa", "A",   "aaaa[aa]|",       "Cannot find string\"a\"", 1},
        // Without a selection from the caret to the end of the file, without going round.
        {"a b\na |b a",   "a",   "X",  "A",   "a b\na b [X]|",   "Cannot find string\"a\"", 1},
        // In a selection the scope's end moves with the replacements on its line.
        {"\n\nxxxx[QQ\nyy\nzz\nxQQxxx]|xx\nQQ", "QQ", "12345", "A",
         "\n\nxxxx[12345\nyy\nzz\nx12345xxx]|xx\nQQ",             "Cannot find string\"QQ\"", 1},
        {"[abc\nabc abc xx]|xabc", "abc", "ABCDE", "A", "[ABCDE\nABCDE ABCDE xx]|xabc",
                                                                   "Cannot find string\"abc\"", 1},
        {"|Cat cat category cat_ cat", "cat", "dog", "WCA", "Cat dog category cat_ [dog]|",
                                                                   "Cannot find string\"cat\"", 1},
        // The first Replace only finds; each replacement is two groups.
        {"|one two one two", "two", "2", "R",   "one [two]| one two", "",                     0},
        {"|one two one two", "two", "2", "RR",  "one 2 one [two]|",   "",                     2},
        {"|one two one two", "two", "2", "RRRR", "one 2 one [2]|", NOT_TWO + "\n" + NOT_TWO, 4},
        // Find Next resumes one character after the match start, and after the last match
        // at the top; Enter presses it.
        {"|aaa",          "aa",  "",   "F",    "[aa]|a",         "",                           0},
        {"|aaa",          "aa",  "",   "FE",   "a[aa]|",         "",                           0},
        {"|aaa",          "aa",  "",   "FFFF", "[aa]|a",         "Cannot find string\"aa\"",   0},
        {"|ab\ncd",       "",    "",   "AR",   "|ab\ncd",        "Cannot find string\"\"",     0},
        {"|ab\ncd",       "",    "x",  "A",    "|ab\ncd",        "Cannot find string\"\"",     0},
        // Texts are Windows-1252; one the document cannot hold is refused whole.
        {"|EUR \x80",     "EUR", "\xE2\x82\xAC", "A", "[\x80]| \x80", "Cannot find string\"EUR\"", 1},
        {"|\x80 \x80",    "\xE2\x82\xAC", "\xE2\x86\x92", "FRA", "[\x80]| \x80",
                                                         CANNOT_REPLACE + "\n" + CANNOT_REPLACE, 0},
        {"|\x80",         "\xE2\x86\x92", "",  "F",    "|\x80",  "Cannot search for" + NO_ARROW, 0},
    };
    // clang-format on
    const std::map<char, const char*> buttons{
        {'F', FIND_NEXT}, {'R', REPLACE}, {'A', REPLACE_ALL}, {'W', WHOLE_WORD}, {'C', MATCH_CASE}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pszBefore << " / " << c.pszPresses);
        m_log.Clear();
        QSettings().remove(QStringLiteral("TextEdit/Replace"));
        CEditFixture fx(c.pszBefore);
        const GoldenText after = ParseGolden(c.pszAfter);
        const bool bInSelection = std::string_view(c.pszBefore).find('[') != std::string::npos;
        const QString strFind = QString::fromUtf8(c.pszFind);
        const QString strReplace = QString::fromUtf8(c.pszReplace);
        RunReplace(fx.view, strFind, strReplace, [&](CReplaceTextDlg& dlg) {
            EXPECT_EQ(Control<QRadioButton>(dlg, IN_SELECTION).isEnabled(), bInSelection);
            EXPECT_EQ(Control<QRadioButton>(dlg, IN_SELECTION).isChecked(), bInSelection);
            EXPECT_NE(Control<QRadioButton>(dlg, WHOLE_FILE).isChecked(), bInSelection);
            for (const char press : std::string_view(c.pszPresses)) {
                if (press == 'E')
                    QTest::keyClick(&Edit(dlg, FIND_WHAT), Qt::Key_Return);
                else
                    Click(dlg, buttons.at(press));
            }
            EXPECT_TRUE(dlg.isVisible());
            // Not found again, the next search starts at the scope's start.
            if (bInSelection) {
                EXPECT_EQ(dlg.m_ptStartPos, after.ptSelLow);
                EXPECT_EQ(dlg.m_ptRangeEnd, after.ptSelHigh);
            }
        });
        EXPECT_EQ(fx.State(), c.pszAfter);
        std::string strMessages;
        for (const std::string& strMessage : m_log.Messages())
            strMessages += (strMessages.empty() ? "" : "\n") + strMessage;
        EXPECT_EQ(strMessages, c.strMessages);
        // The profile keeps the texts, characters the document cannot hold included.
        EXPECT_EQ(ProfileValue("FindWhat").toString(), strFind);
        EXPECT_EQ(ProfileValue("ReplaceWith").toString(), strReplace);
        if (c.nUndos > 0) {
            EXPECT_EQ(CommandUI(fx.view, ID_EDIT_UNDO).GetText(), UndoItem("Replace"));
        }
        Press(fx.view, Qt::Key_Z, Qt::ControlModifier, c.nUndos);
        EXPECT_EQ(LinesOf(*fx.pBuffer), ParseGolden(c.pszBefore).lines);
        EXPECT_FALSE(fx.pBuffer->CanUndo());
    }
}

TEST_F(EditReplace, ReplacingTheSelectionLeavesTheNewTextSelectedInTwoUndoGroups) {
    CEditFixture fx("a[bc]|d\nx");
    EXPECT_TRUE(fx.view.ReplaceSelectedText("XYZ"));
    EXPECT_EQ(fx.State(), "a[XYZ]|d\nx");
    EXPECT_EQ(CommandUI(fx.view, ID_EDIT_UNDO).GetText(), UndoItem("Replace"));
    fx.view.Undo();
    EXPECT_EQ(CommandUI(fx.view, ID_EDIT_UNDO).GetText(), UndoItem("Delete Selection"));
    fx.view.Undo();
    EXPECT_EQ(fx.pBuffer->GetLineView(0), "abcd");
    EXPECT_FALSE(fx.pBuffer->CanUndo());
    // A selection made from right to left, over a line break; with nothing, one group.
    CEditFixture lines("a|[b\nc]d");
    EXPECT_TRUE(lines.view.ReplaceSelectedText("-"));
    EXPECT_EQ(lines.State(), "a[-]|d");
    EXPECT_TRUE(lines.view.ReplaceSelectedText(""));
    EXPECT_EQ(lines.State(), "a|d");
    lines.view.Undo();
    EXPECT_EQ(lines.State(), "a-|d");
    // Without a selection or on a read-only buffer nothing is replaced.
    EXPECT_FALSE(lines.view.ReplaceSelectedText("x"));
    Keys(lines.view, "Home Shift+Right");
    lines.pBuffer->SetReadOnly(true);
    EXPECT_FALSE(lines.view.ReplaceSelectedText("x"));
    EXPECT_EQ(lines.State(), "[a]|-d");
    // Replace opens no dialog on a read-only buffer.
    QObject context;
    QTimer::singleShot(0, &context, [] {
        if (QWidget* pModal = QApplication::activeModalWidget()) {
            ADD_FAILURE() << "a dialog opened";
            pModal->close();
        }
    });
    lines.view.OnCmdMsg(ID_EDIT_REPLACE);
    QApplication::processEvents();
}

TEST_F(EditReplace, AReplaceAllOfManyMatchesDrawsBeforeItsMessageAndUndoesWhole) {
    std::vector<std::string> lines(600, "x a");
    lines.insert(lines.begin(), "typed");
    auto pBuffer = MakeBuffer(lines);
    CProbeEditView view;
    SetUpView(view, pBuffer.get(), 40, 10);
    Keys(view, "\"q\"");
    lines[0] = "qtyped";
    bool bDrawnAtMessage = false;
    SetMessageBoxHandler([&](const QString&, QMessageBox::StandardButtons) {
        bDrawnAtMessage = view.updatesEnabled() && view.viewport()->updatesEnabled();
        return QMessageBox::Ok;
    });
    ReplaceAll(view, "a", "bb");
    EXPECT_TRUE(bDrawnAtMessage);
    EXPECT_EQ(pBuffer->GetLineView(600), "x bb");
    // The last replacement is in view.
    EXPECT_EQ(view.GetCaretTextPos(), TextPos(4, 600));
    EXPECT_GT(view.GetFirstVisibleLine(), 580);
    // More matches than the history holds still undo whole; the typing before is its own group.
    view.Undo();
    EXPECT_EQ(LinesOf(*pBuffer), lines);
    view.Undo();
    EXPECT_EQ(pBuffer->GetLineView(0), "typed");
    EXPECT_FALSE(pBuffer->CanUndo());
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
        EXPECT_TRUE(Control<QCheckBox>(dlg, MATCH_CASE).isChecked());
        EXPECT_FALSE(Control<QCheckBox>(dlg, WHOLE_WORD).isChecked());
        EXPECT_EQ(Edit(dlg, REPLACE_WITH).text(), QStringLiteral("new"));
        EXPECT_EQ(Edit(dlg, FIND_WHAT).text(), QString());
        EXPECT_FALSE(Control<QPushButton>(dlg, FIND_NEXT).isEnabled());
        EXPECT_TRUE(Control<QPushButton>(dlg, REPLACE).isEnabled());
        QTest::keyClicks(&Edit(dlg, FIND_WHAT), "typed");
        EXPECT_TRUE(Control<QPushButton>(dlg, FIND_NEXT).isEnabled());
        Click(dlg, WHOLE_WORD);
        Click(dlg, "IDCANCEL_2");
        EXPECT_FALSE(dlg.isVisible());
    });
    Keys(fx.view, "Ctrl+H");
    EXPECT_EQ(ProfileValue("FindWhat").toString(), QStringLiteral("typed"));
    EXPECT_EQ(ProfileValue("ReplaceWith").toString(), QStringLiteral("new"));
    EXPECT_EQ(ProfileValue("MatchCase").toInt(), 1);
    EXPECT_EQ(ProfileValue("WholeWord").toInt(), 1);
    // The next dialog shows them; Escape also keeps what was typed.
    WhenModalShows<CReplaceTextDlg>([&](CReplaceTextDlg& dlg) {
        EXPECT_EQ(Edit(dlg, FIND_WHAT).text(), QStringLiteral("typed"));
        Edit(dlg, REPLACE_WITH).setText(QStringLiteral("other"));
        QTest::keyClick(&dlg, Qt::Key_Escape);
        EXPECT_FALSE(dlg.isVisible());
    });
    Keys(fx.view, "Ctrl+H");
    EXPECT_EQ(ProfileValue("ReplaceWith").toString(), QStringLiteral("other"));
    EXPECT_EQ(fx.State(), "|text");
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
    EXPECT_TRUE(Control<QPushButton>(dlg, FIND_NEXT).isDefault());
    EXPECT_EQ(dlg.findChild<QPushButton*>(QStringLiteral("IDOK_1")), nullptr);
    std::vector<std::string> texts;
    for (const char* pszName : {FIND_NEXT, REPLACE, REPLACE_ALL, "IDCANCEL_2"})
        texts.push_back(Control<QPushButton>(dlg, pszName).text().toStdString());
    EXPECT_EQ(texts,
              (std::vector<std::string>{"&Find Next", "&Replace", "Replace &All", "Cancel"}));
    EXPECT_EQ(
        TabOrder(Edit(dlg, FIND_WHAT)),
        (std::vector<std::string>{FIND_WHAT, REPLACE_WITH, WHOLE_WORD, MATCH_CASE, IN_SELECTION,
                                  WHOLE_FILE, FIND_NEXT, REPLACE, REPLACE_ALL, "IDCANCEL_2"}));
    for (QAbstractButton* pButton : dlg.findChildren<QAbstractButton*>())
        EXPECT_GE(pButton->width(), pButton->sizeHint().width())
            << pButton->objectName().toStdString();
}
