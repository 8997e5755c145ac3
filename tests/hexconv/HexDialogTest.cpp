// The Hex Converter dialog through its widgets, and ShowHexDialog, the library's only export.
#include "hexconv/HexConverterDlg.h"
#include "hexconv/ZarnHex.h"
#include "tests/support/PrintQString.h"

#include <functional>
#include <set>
#include <thread>

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// A dialog's boxes and buttons, found by the names its form gives them.
struct Parts {
    explicit Parts(QDialog* pDlg)
        : pInput(pDlg->findChild<QPlainTextEdit*>("IDC_INPUT_7000")),
          pOutput(pDlg->findChild<QPlainTextEdit*>("IDC_OUTPUT_7001")),
          pOk(pDlg->findChild<QPushButton*>("IDOK_1")),
          pCopy(pDlg->findChild<QPushButton*>("IDC_COPY_7003")) {}
    QPlainTextEdit *pInput, *pOutput;
    QPushButton *pOk, *pCopy;

    // After every conversion the whole output is selected, the caret at its end.
    void ExpectOutput(const QString& strOutput) const {
        EXPECT_EQ(pOutput->toPlainText(), strOutput);
        const QTextCursor cursor = pOutput->textCursor();
        EXPECT_EQ(std::tuple(cursor.selectionStart(), cursor.selectionEnd(), cursor.position()),
                  std::tuple(0, strOutput.size(), strOutput.size()));
    }
    void Paste(const QString& strText) const {
        QGuiApplication::clipboard()->setText(strText);
        QTest::keyClick(pInput, Qt::Key_V, Qt::ControlModifier);
    }
};

// Enter types a line break (two codes); a long input shows 1023 codes, scrolled to the end.
TEST(HexConverterDlg, OutputFollowsEveryKeystrokeAndPasteAndTabRunsThroughTheDialog) {
    CHexConverterDlg dlg;
    dlg.show();
    dlg.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    const Parts parts(&dlg);
    EXPECT_TRUE(parts.pOutput->isReadOnly());
    EXPECT_EQ(parts.pOk->text() + "|" + parts.pCopy->text(), "&OK|Copy");
    for (QWidget* pNext : std::initializer_list<QWidget*>{parts.pInput, parts.pOutput, parts.pOk,
                                                          parts.pCopy, parts.pInput}) {
        EXPECT_EQ(QApplication::focusWidget(), pNext) << pNext->objectName().toStdString();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QTest::keyClicks(parts.pInput, "Hi!");
    QTest::keyClick(parts.pInput, Qt::Key_Backspace);
    QTest::keyClick(parts.pInput, Qt::Key_Return);
    QTest::keyClick(parts.pInput, Qt::Key_Space);
    parts.ExpectOutput("48x 69x 0dx 0ax 20x ");
    EXPECT_TRUE(dlg.isVisible());
    QTest::keyClick(parts.pInput, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(parts.pInput, Qt::Key_Delete);
    parts.ExpectOutput("");
    parts.Paste("one\r\ntwo\nx\u00e9\u00a0\u20ac"); // the last three as Latin-1 and UTF-8
    parts.ExpectOutput("6fx 6ex 65x 0dx 0ax 74x 77x 6fx 0dx 0ax 78x e9x a0x e2x 82x acx ");
    parts.pInput->clear();
    parts.Paste(QString(3000, u'z'));
    parts.ExpectOutput(QString("7ax ").repeated(1023));
    EXPECT_TRUE(parts.pOutput->viewport()->rect().contains(parts.pOutput->cursorRect()));
    parts.pInput->clear();
    parts.Paste(QString("\n").repeated(600));
    parts.ExpectOutput(QString("0dx 0ax ").repeated(511));
    parts.pInput->setPlainText(QString("\n").repeated(511) + "ab");
    parts.ExpectOutput(QString("0dx 0ax ").repeated(511) + "61x ");
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

// Without an active window it has no parent. Copy copies what is selected in the output (not
// nothing) to the caller's clipboard and cancels; Enter in the output does not close.
TEST(ShowHexDialog, EachWayToCloseItGivesItsResultAndCopiesOnlyOnCopy) {
    ASSERT_EQ(QApplication::activeWindow(), nullptr);
    enum Way { Copy, CopyFirstCode, Ok, EnterThenEscape };
    const std::tuple<const char*, Way, QDialog::DialogCode, const char*> cases[] = {
        {"Hi!", Copy, QDialog::Rejected, "48x 69x 21x "},
        {"a\b", Copy, QDialog::Rejected, "keep me"},
        {"AB", CopyFirstCode, QDialog::Rejected, "41x"},
        {"x", Ok, QDialog::Accepted, "keep me"},
        {"x", EnterThenEscape, QDialog::Rejected, "keep me"}};
    for (const auto& [pszTyped, way, result, pszClipboard] : cases) {
        SCOPED_TRACE(testing::Message() << pszTyped << " " << way);
        QGuiApplication::clipboard()->setText("keep me");
        int nResult = -1;
        ShowHexDialogAndThen([&](QDialog* pDlg) {
            const Parts parts(pDlg);
            EXPECT_EQ(pDlg->parentWidget(), nullptr);
            QTest::keyClicks(parts.pInput, pszTyped);
            if (way == CopyFirstCode) {
                QTest::keyClick(parts.pOutput, Qt::Key_Home);
                for (int i = 0; i < 3; ++i)
                    QTest::keyClick(parts.pOutput, Qt::Key_Right, Qt::ShiftModifier);
            }
            if (way == EnterThenEscape) {
                QTest::keyClick(parts.pOutput, Qt::Key_Return);
                EXPECT_TRUE(pDlg->isVisible());
                QTest::keyClick(parts.pOutput, Qt::Key_Escape);
            } else {
                QTest::mouseClick(way == Ok ? parts.pOk : parts.pCopy, Qt::LeftButton);
            }
            EXPECT_FALSE(pDlg->isVisible());
            nResult = pDlg->result();
        });
        EXPECT_EQ(nResult, result);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), pszClipboard);
    }
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

// Each call starts empty; the parent window going away ends it; another thread is refused.
TEST(ShowHexDialog, RunsModallyOverTheActiveWindowInTheUserInterfaceThreadOnly) {
    auto* pMain = new QWidget;
    QPointer<QWidget> pGuard = pMain;
    pMain->show();
    for (int nCall = 0; nCall < 3; ++nCall) {
        pMain->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(pMain));
        QStringList listSeen;
        ShowHexDialogAndThen([&](QDialog* pDlg) {
            const Parts parts(pDlg);
            listSeen << pDlg->windowTitle() << parts.pInput->toPlainText();
            EXPECT_EQ(pDlg->parentWidget(), pMain);
            EXPECT_TRUE(pDlg->isModal());
            if (nCall == 2)
                return delete pMain;
            QTest::keyClicks(parts.pInput, "Hi");
            listSeen << parts.pOutput->toPlainText();
            QTest::mouseClick(parts.pOk, Qt::LeftButton);
        });
        EXPECT_EQ(listSeen.mid(0, 2), (QStringList{"Zarn Hex Converter", ""})) << nCall;
        EXPECT_EQ(listSeen.mid(2), nCall < 2 ? QStringList{"48x 69x "} : QStringList{});
        EXPECT_EQ(pGuard.isNull(), nCall == 2);
        EXPECT_TRUE(!pGuard || pMain->findChildren<QDialog*>().isEmpty());
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
    static QString s_strWarnings; // read once the other thread has ended
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& strMsg) {
            s_strWarnings += strMsg + '\n';
        });
    std::thread([] { ShowHexDialog(); }).join();
    qInstallMessageHandler(previous);
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

// The editor loads it from libzarnhex.so; without a QApplication the call warns and returns.
TEST(ShowHexDialog, IsTheLibrarysOnlyExportImportedByTheEditorAndWarnsWithoutAQApplication) {
    const QString strEditor = ZARN_EDITOR_FILE;
    const std::tuple<QStringList, const char*, bool> cases[] = {
        {{"readelf", "--dynamic", strEditor}, R"(\(NEEDED\).*\[libzarnhex\.so\])", true},
        {{"readelf", "--dynamic", strEditor}, R"(\((RUNPATH|RPATH)\).*\$ORIGIN)", true},
        {{"nm", "-D", "--undefined-only", strEditor}, R"(\bU ShowHexDialog$)", true},
        {{"nm", "--defined-only", strEditor}, "ShowHexDialog|CHexConverterDlg", false},
        {{ZARNHEX_NOAPP_HOST}, "no QApplication is running", true}};
    for (const auto& [listCommand, pszPattern, bFound] : cases) {
        const QString strOutput = RunTool(listCommand[0], listCommand.mid(1));
        ASSERT_FALSE(strOutput.isEmpty());
        EXPECT_EQ(
            strOutput.contains(QRegularExpression(pszPattern, QRegularExpression::MultilineOption)),
            bFound)
            << pszPattern;
    }
    // Lines read "<address> <type> <name>"; T, t, W, w and i mark code.
    const QRegularExpression reLine("^[0-9a-f]+ ([A-Za-z]) (.+)$"), reOurs("Hex|Ui_");
    QStringList listExported; // code, or anything of ours
    for (const QString& strLine :
         RunTool("nm", {"-D", "--defined-only", "-C", ZARNHEX_LIBRARY_FILE}).split('\n')) {
        const QRegularExpressionMatch match = reLine.match(strLine);
        if (match.hasMatch() &&
            (QString("TtWwi").contains(match.captured(1)) || match.captured(2).contains(reOurs)))
            listExported << match.captured(2);
    }
    EXPECT_EQ(listExported, QStringList{"ShowHexDialog"});
}

} // namespace
