// The Hex Converter dialog driven through its widgets (live output while typing and after a
// paste, the selected output, Copy, the ways to close it, the tab order and the layout), and
// the library's export: ShowHexDialog runs it modally over the active window and leaves
// nothing behind, refuses callers it cannot serve, is the library's only export and is what
// the editor imports.
#include "hexconv/HexConverterDlg.h"
#include "hexconv/ZarnHex.h"
#include "tests/support/PrintQString.h"

#include <functional>
#include <mutex>
#include <set>
#include <thread>
#include <tuple>

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class HexConverterDlgTest : public testing::Test {
protected:
    void SetUp() override {
        m_dlg.show();
        m_dlg.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_dlg));
        m_pInput = m_dlg.findChild<QPlainTextEdit*>("IDC_INPUT_7000");
        m_pOutput = m_dlg.findChild<QPlainTextEdit*>("IDC_OUTPUT_7001");
        m_pOk = m_dlg.findChild<QPushButton*>("IDOK_1");
        m_pCopy = m_dlg.findChild<QPushButton*>("IDC_COPY_7003");
        ASSERT_TRUE(m_pInput && m_pOutput && m_pOk && m_pCopy);
    }

    // After every conversion the whole output is selected, with the caret at its end.
    void ExpectOutput(const QString& strOutput) const {
        EXPECT_EQ(m_pOutput->toPlainText(), strOutput);
        const QTextCursor cursor = m_pOutput->textCursor();
        EXPECT_EQ(cursor.selectionStart(), 0);
        EXPECT_EQ(cursor.selectionEnd(), strOutput.size());
        EXPECT_EQ(cursor.position(), strOutput.size());
    }

    void Paste(const QString& strText) {
        QGuiApplication::clipboard()->setText(strText);
        QTest::keyClick(m_pInput, Qt::Key_V, Qt::ControlModifier);
    }

    // Closes the dialog with a click or a key and says how.
    void Close(QWidget* pWidget, Qt::Key key, QDialog::DialogCode result) {
        if (key == Qt::Key_unknown)
            QTest::mouseClick(pWidget, Qt::LeftButton);
        else
            QTest::keyClick(pWidget, key);
        EXPECT_FALSE(m_dlg.isVisible());
        EXPECT_EQ(m_dlg.result(), result);
    }

    CHexConverterDlg m_dlg;
    QPlainTextEdit* m_pInput = nullptr;
    QPlainTextEdit* m_pOutput = nullptr;
    QPushButton* m_pOk = nullptr;
    QPushButton* m_pCopy = nullptr;
};

TEST_F(HexConverterDlgTest, OpensEmptyWithTheInputFocusedInTheOrderOfTheDialogPlan) {
    EXPECT_EQ(m_dlg.windowTitle(), "Zarn Hex Converter");
    EXPECT_TRUE(m_pInput->toPlainText().isEmpty());
    EXPECT_TRUE(m_pOutput->toPlainText().isEmpty());
    EXPECT_TRUE(m_pOutput->isReadOnly());
    EXPECT_FALSE(m_pOk->isDefault() || m_pCopy->isDefault());
    EXPECT_EQ(m_pOk->text(), "&OK");
    EXPECT_EQ(m_pCopy->text(), "Copy");
    // Tab runs from the input to the output, OK, Copy and back.
    for (QWidget* pNext : std::vector<QWidget*>{m_pInput, m_pOutput, m_pOk, m_pCopy, m_pInput}) {
        EXPECT_EQ(QApplication::focusWidget(), pNext) << pNext->objectName().toStdString();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    // The boxes span the dialog under their labels; OK sits under their left edge and Copy
    // under their right.
    const QRect rcInput = m_pInput->geometry(), rcOutput = m_pOutput->geometry();
    const QRect rcOk = m_pOk->geometry(), rcCopy = m_pCopy->geometry();
    const QRect rcOutputLabel = m_dlg.findChild<QWidget*>("IDC_STATIC_OUTPUT")->geometry();
    EXPECT_LT(m_dlg.findChild<QWidget*>("IDC_STATIC_INPUT")->geometry().bottom(), rcInput.top());
    EXPECT_LT(rcInput.bottom(), rcOutputLabel.top());
    EXPECT_LT(rcOutputLabel.bottom(), rcOutput.top());
    EXPECT_LT(rcOutput.bottom(), rcOk.top());
    EXPECT_EQ(rcOk.top(), rcCopy.top());
    EXPECT_EQ(rcInput.left(), rcOutput.left());
    EXPECT_EQ(rcInput.width(), rcOutput.width());
    EXPECT_GE(rcInput.width(), m_dlg.width() * 9 / 10);
    EXPECT_EQ(rcOk.left(), rcInput.left());
    EXPECT_EQ(rcCopy.right(), rcInput.right());
    EXPECT_EQ(rcOk.width(), rcCopy.width());
}

TEST_F(HexConverterDlgTest, OutputFollowsEveryKeystrokeAndPaste) {
    QTest::keyClicks(m_pInput, "H");
    ExpectOutput("48x ");
    QTest::keyClicks(m_pInput, "i!");
    ExpectOutput("48x 69x 21x ");
    QTest::keyClick(m_pInput, Qt::Key_Backspace);
    ExpectOutput("48x 69x ");
    // Enter types a line break into the input; it does not close the dialog.
    QTest::keyClick(m_pInput, Qt::Key_Return);
    QTest::keyClick(m_pInput, Qt::Key_Space);
    ExpectOutput("48x 69x 0dx 0ax 20x ");
    EXPECT_TRUE(m_dlg.isVisible());
    QTest::keyClick(m_pInput, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(m_pInput, Qt::Key_Delete);
    EXPECT_TRUE(m_pInput->toPlainText().isEmpty());
    ExpectOutput("");

    Paste("one\r\ntwo\nx");
    ExpectOutput("6fx 6ex 65x 0dx 0ax 74x 77x 6fx 0dx 0ax 78x ");
    m_pInput->clear();
    ExpectOutput("");
    Paste(QString::fromUtf8("\xc3\xa9\xc2\xa0\xe2\x82\xac")); // e acute, no-break space, euro
    ExpectOutput("e9x a0x e2x 82x acx ");
    // A long input shows the first 1023 codes, scrolled to the end.
    m_pInput->clear();
    Paste(QString(3000, u'z'));
    ExpectOutput(QString("7ax ").repeated(1023));
    EXPECT_GT(m_pOutput->verticalScrollBar()->value(), 0);
    EXPECT_TRUE(m_pOutput->viewport()->rect().contains(m_pOutput->cursorRect()));
    // Line breaks count as two codes each: 511 of them and one more character fill the limit.
    m_pInput->clear();
    Paste(QString("\n").repeated(600));
    ExpectOutput(QString("0dx 0ax ").repeated(511));
    m_pInput->setPlainText(QString("\n").repeated(511) + "ab");
    ExpectOutput(QString("0dx 0ax ").repeated(511) + "61x ");
}

TEST_F(HexConverterDlgTest, CopyPutsTheWholeOutputOnTheClipboardAndCancels) {
    QTest::keyClicks(m_pInput, "Hi!");
    Close(m_pCopy, Qt::Key_unknown, QDialog::Rejected);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "48x 69x 21x ");
}

TEST_F(HexConverterDlgTest, CopyWithoutOutputLeavesTheClipboardAlone) {
    QGuiApplication::clipboard()->setText("keep me");
    QTest::keyClick(m_pInput, Qt::Key_A);
    QTest::keyClick(m_pInput, Qt::Key_Backspace);
    ExpectOutput("");
    Close(m_pCopy, Qt::Key_unknown, QDialog::Rejected);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "keep me");
}

TEST_F(HexConverterDlgTest, CopyTakesTheSelectionTheUserMadeInTheOutput) {
    QTest::keyClicks(m_pInput, "AB");
    QTest::keyClick(m_pInput, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), m_pOutput);
    QTest::keyClick(m_pOutput, Qt::Key_Home);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(m_pOutput, Qt::Key_Right, Qt::ShiftModifier);
    Close(m_pCopy, Qt::Key_unknown, QDialog::Rejected);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "41x");
}

TEST_F(HexConverterDlgTest, OkAccepts) {
    QTest::keyClicks(m_pInput, "x");
    Close(m_pOk, Qt::Key_unknown, QDialog::Accepted);
}

TEST_F(HexConverterDlgTest, EnterInTheOutputDoesNotCloseButEscapeDoes) {
    QTest::keyClicks(m_pInput, "x");
    m_pOutput->setFocus();
    QTest::keyClick(m_pOutput, Qt::Key_Return);
    EXPECT_TRUE(m_dlg.isVisible());
    Close(m_pOutput, Qt::Key_Escape, QDialog::Rejected);
}

// Calls ShowHexDialog and lets `act` work on the dialog once it runs; `act` must close it.
void ShowHexDialogAndThen(const std::function<void(QDialog*)>& act) {
    QTimer::singleShot(0, [act] {
        auto* pDlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(pDlg, nullptr);
        act(pDlg);
    });
    ShowHexDialog();
}

QPlainTextEdit* Box(QDialog* pDlg, const char* pszName) {
    return pDlg->findChild<QPlainTextEdit*>(pszName);
}

void Click(QDialog* pDlg, const char* pszButton) {
    QTest::mouseClick(pDlg->findChild<QPushButton*>(pszButton), Qt::LeftButton);
}

// The third time the parent window goes away while the dialog runs, which ends it.
TEST(ShowHexDialog, RunsModallyOverTheActiveWindowAndLeavesNothingBehind) {
    auto* pMain = new QWidget;
    QPointer<QWidget> pGuard = pMain;
    pMain->show();
    for (int nCall = 0; nCall < 3; ++nCall) {
        pMain->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(pMain));
        QStringList listSeen;
        ShowHexDialogAndThen([&](QDialog* pDlg) {
            listSeen << pDlg->windowTitle() << Box(pDlg, "IDC_INPUT_7000")->toPlainText();
            EXPECT_EQ(pDlg->parentWidget(), pMain);
            EXPECT_TRUE(pDlg->isModal());
            if (nCall == 2)
                return delete pMain;
            QTest::keyClicks(Box(pDlg, "IDC_INPUT_7000"), "Hi");
            listSeen << Box(pDlg, "IDC_OUTPUT_7001")->toPlainText();
            Click(pDlg, "IDOK_1");
        });
        // Each call starts empty.
        EXPECT_EQ(listSeen.mid(0, 2), (QStringList{"Zarn Hex Converter", ""})) << nCall;
        EXPECT_EQ(listSeen.mid(2), nCall < 2 ? QStringList{"48x 69x "} : QStringList{});
        EXPECT_EQ(pGuard.isNull(), nCall == 2);
        EXPECT_TRUE(!pGuard || pMain->findChildren<QDialog*>().isEmpty());
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

TEST(ShowHexDialog, WithoutAnActiveWindowHasNoParentAndCopiesToTheCallersClipboard) {
    ASSERT_EQ(QApplication::activeWindow(), nullptr);
    QGuiApplication::clipboard()->setText("before");
    int nShown = 0;
    ShowHexDialogAndThen([&nShown](QDialog* pDlg) {
        ++nShown;
        EXPECT_EQ(pDlg->parentWidget(), nullptr);
        QTest::keyClicks(Box(pDlg, "IDC_INPUT_7000"), "A");
        Click(pDlg, "IDC_COPY_7003");
    });
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "41x ");
    ShowHexDialogAndThen([&nShown](QDialog* pDlg) {
        ++nShown;
        QTest::keyClick(Box(pDlg, "IDC_INPUT_7000"), Qt::Key_Escape);
    });
    EXPECT_EQ(nShown, 2);
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

TEST(ShowHexDialog, RefusesToRunOutsideTheUserInterfaceThread) {
    static std::mutex s_mutex;
    static QString s_strWarnings;
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& strMsg) {
            std::lock_guard lock(s_mutex);
            s_strWarnings += strMsg + '\n';
        });
    std::thread([] { ShowHexDialog(); }).join();
    qInstallMessageHandler(previous);
    std::lock_guard lock(s_mutex);
    EXPECT_TRUE(s_strWarnings.contains("not called from the user-interface thread"))
        << s_strWarnings.toStdString();
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

// What a program writes to both its outputs; it must end normally and report success.
QString RunTool(const QString& strProgram, const QStringList& listArguments) {
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(strProgram, listArguments);
    EXPECT_TRUE(tool.waitForFinished() && tool.exitStatus() == QProcess::NormalExit &&
                tool.exitCode() == 0)
        << strProgram.toStdString();
    return QString::fromLocal8Bit(tool.readAllStandardOutput());
}

// The editor takes the dialog from libzarnhex.so at load time, not from a copy of its own; a
// caller without a QApplication gets a warning, and the call returns instead of aborting.
TEST(ShowHexDialog, IsTheLibrarysOnlyExportImportedByTheEditorAndWarnsWithoutAQApplication) {
    const QString strEditor = ZARN_EDITOR_FILE;
    const std::tuple<QStringList, const char*, bool> cases[] = {
        {{"readelf", "--dynamic", strEditor}, R"(\(NEEDED\).*\[libzarnhex\.so\])", true},
        {{"readelf", "--dynamic", strEditor}, R"(\((RUNPATH|RPATH)\).*\$ORIGIN)", true},
        {{"nm", "-D", "--undefined-only", strEditor}, R"(\bU ShowHexDialog$)", true},
        {{"nm", "--defined-only", strEditor}, "ShowHexDialog|CHexConverterDlg", false},
        {{ZARNHEX_NOAPP_HOST}, "no QApplication is running", true},
    };
    for (const auto& [listCommand, pszPattern, bFound] : cases) {
        const QString strOutput = RunTool(listCommand[0], listCommand.mid(1));
        ASSERT_FALSE(strOutput.isEmpty());
        EXPECT_EQ(
            strOutput.contains(QRegularExpression(pszPattern, QRegularExpression::MultilineOption)),
            bFound)
            << pszPattern;
    }
    // Lines read "<address> <type> <name>"; T, t, W, w and i mark code.
    const QRegularExpression reLine("^[0-9a-f]+ ([A-Za-z]) (.+)$");
    std::set<QString> setFunctions;
    QStringList listOurs;
    for (const QString& strLine :
         RunTool("nm", {"-D", "--defined-only", "-C", ZARNHEX_LIBRARY_FILE}).split('\n')) {
        const QRegularExpressionMatch match = reLine.match(strLine);
        if (match.hasMatch() && QString("TtWwi").contains(match.captured(1)))
            setFunctions.insert(match.captured(2));
        if (match.hasMatch() && match.captured(2).contains(QRegularExpression("Hex|Ui_")))
            listOurs << match.captured(2);
    }
    EXPECT_EQ(setFunctions, std::set<QString>{"ShowHexDialog"});
    EXPECT_EQ(listOurs, QStringList{"ShowHexDialog"});
}

} // namespace
