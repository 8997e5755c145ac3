// The library's export: ShowHexDialog runs the dialog modally over the active window and
// leaves nothing behind, refuses callers it cannot serve, and is the library's only export.
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
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

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

TEST(ShowHexDialog, RunsModallyOverTheActiveWindowAndLeavesNothingBehind) {
    QWidget wndMain;
    wndMain.show();
    for (int nCall = 0; nCall < 2; ++nCall) {
        wndMain.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&wndMain));
        QStringList listSeen;
        ShowHexDialogAndThen([&](QDialog* pDlg) {
            listSeen << pDlg->windowTitle() << Box(pDlg, "IDC_INPUT_7000")->toPlainText();
            EXPECT_EQ(pDlg->parentWidget(), &wndMain);
            EXPECT_TRUE(pDlg->isModal());
            QTest::keyClicks(Box(pDlg, "IDC_INPUT_7000"), "Hi");
            listSeen << Box(pDlg, "IDC_OUTPUT_7001")->toPlainText();
            Click(pDlg, "IDOK_1");
        });
        // Each call starts empty.
        EXPECT_EQ(listSeen, (QStringList{"Zarn Hex Converter", "", "48x 69x "})) << nCall;
        EXPECT_TRUE(wndMain.findChildren<QDialog*>().isEmpty());
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

TEST(ShowHexDialog, ReturnsWhenTheParentWindowGoesAwayMeanwhile) {
    auto* pMain = new QWidget;
    QPointer<QWidget> pGuard = pMain;
    pMain->show();
    pMain->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(pMain));
    ShowHexDialogAndThen([pMain](QDialog* pDlg) {
        ASSERT_EQ(pDlg->parentWidget(), pMain);
        delete pMain;
    });
    EXPECT_TRUE(pGuard.isNull());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
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

TEST(ShowHexDialog, ReturnsWithAWarningWhenTheCallerHasNoQApplication) {
    QProcess host;
    host.start(ZARNHEX_NOAPP_HOST, {});
    ASSERT_TRUE(host.waitForFinished());
    EXPECT_EQ(host.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(host.exitCode(), 0);
    EXPECT_TRUE(host.readAllStandardError().contains("no QApplication is running"));
}

QString RunTool(const QString& strProgram, const QStringList& listArguments) {
    QProcess tool;
    tool.start(strProgram, listArguments);
    EXPECT_TRUE(tool.waitForFinished() && tool.exitCode() == 0) << strProgram.toStdString();
    return QString::fromLocal8Bit(tool.readAllStandardOutput());
}

// The editor takes the dialog from libzarnhex.so at load time, not from a copy of its own.
TEST(ShowHexDialog, IsTheOnlyFunctionTheLibraryExportsAndTheEditorImportsIt) {
    const QString strEditor = ZARN_EDITOR_FILE;
    const std::tuple<QStringList, const char*, bool> cases[] = {
        {{"readelf", "--dynamic", strEditor}, R"(\(NEEDED\).*\[libzarnhex\.so\])", true},
        {{"readelf", "--dynamic", strEditor}, R"(\((RUNPATH|RPATH)\).*\$ORIGIN)", true},
        {{"nm", "-D", "--undefined-only", strEditor}, R"(\bU ShowHexDialog$)", true},
        {{"nm", "--defined-only", strEditor}, "ShowHexDialog|CHexConverterDlg", false},
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
