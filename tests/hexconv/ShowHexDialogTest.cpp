// The library's export: ShowHexDialog runs the dialog modally over the active window and
// leaves nothing behind, refuses callers it cannot serve, and is the library's only export.
#include "hexconv/ZarnHex.h"
#include "tests/support/PrintQString.h"

#include <functional>
#include <mutex>
#include <set>
#include <thread>

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

struct ShownDialog {
    QString strTitle;
    QWidget* pParent = nullptr;
    bool bModal = false;
    QString strInputAtStart;
    QString strOutput;
};

TEST(ShowHexDialog, RunsModallyOverTheActiveWindowAndLeavesNothingBehind) {
    QWidget wndMain;
    wndMain.show();
    for (int nCall = 0; nCall < 2; ++nCall) {
        wndMain.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&wndMain));
        ShownDialog shown;
        ShowHexDialogAndThen([&shown](QDialog* pDlg) {
            shown = {pDlg->windowTitle(),
                     pDlg->parentWidget(),
                     pDlg->isModal(),
                     Box(pDlg, "IDC_INPUT_7000")->toPlainText(),
                     {}};
            QTest::keyClicks(Box(pDlg, "IDC_INPUT_7000"), "Hi");
            shown.strOutput = Box(pDlg, "IDC_OUTPUT_7001")->toPlainText();
            Click(pDlg, "IDOK_1");
        });
        EXPECT_EQ(shown.strTitle, "Zarn Hex Converter");
        EXPECT_EQ(shown.pParent, &wndMain);
        EXPECT_TRUE(shown.bModal);
        EXPECT_TRUE(shown.strInputAtStart.isEmpty()) << "call " << nCall;
        EXPECT_EQ(shown.strOutput, "48x 69x ");
        EXPECT_TRUE(wndMain.findChildren<QDialog*>().isEmpty());
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

TEST(ShowHexDialog, WithoutAnActiveWindowHasNoParent) {
    ASSERT_EQ(QApplication::activeWindow(), nullptr);
    bool bShown = false;
    QWidget* pParent = nullptr;
    ShowHexDialogAndThen([&bShown, &pParent](QDialog* pDlg) {
        bShown = true;
        pParent = pDlg->parentWidget();
        QTest::keyClick(Box(pDlg, "IDC_INPUT_7000"), Qt::Key_Escape);
    });
    EXPECT_TRUE(bShown);
    EXPECT_EQ(pParent, nullptr);
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

TEST(ShowHexDialog, CopyReachesTheClipboardOfTheCaller) {
    QGuiApplication::clipboard()->setText("before");
    ShowHexDialogAndThen([](QDialog* pDlg) {
        QTest::keyClicks(Box(pDlg, "IDC_INPUT_7000"), "A");
        Click(pDlg, "IDC_COPY_7003");
    });
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "41x ");
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

// Collects the warnings Qt reports while it lives, from any thread.
class WarningCollector {
public:
    WarningCollector() {
        s_pActive = this;
        m_previous = qInstallMessageHandler(&WarningCollector::Handle);
    }
    ~WarningCollector() {
        qInstallMessageHandler(m_previous);
        s_pActive = nullptr;
    }
    QString Text() {
        std::lock_guard lock(m_mutex);
        return m_strText;
    }

private:
    static void Handle(QtMsgType, const QMessageLogContext&, const QString& strMsg) {
        std::lock_guard lock(s_pActive->m_mutex);
        s_pActive->m_strText += strMsg + '\n';
    }

    static inline WarningCollector* s_pActive = nullptr;
    QtMessageHandler m_previous;
    std::mutex m_mutex;
    QString m_strText;
};

TEST(ShowHexDialog, RefusesToRunOutsideTheUserInterfaceThread) {
    WarningCollector warnings;
    std::thread worker([] { ShowHexDialog(); });
    worker.join();
    EXPECT_TRUE(warnings.Text().contains("not called from the user-interface thread"))
        << warnings.Text().toStdString();
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

TEST(ShowHexDialog, IsTheOnlyFunctionTheLibraryExports) {
    QProcess nm;
    nm.start("nm", {"-D", "--defined-only", "-C", ZARNHEX_LIBRARY_FILE});
    ASSERT_TRUE(nm.waitForFinished());
    ASSERT_EQ(nm.exitCode(), 0) << nm.readAllStandardError().toStdString();

    // Lines read "<address> <type> <name>"; T, t, W, w and i mark code.
    const QRegularExpression reLine("^[0-9a-f]+ ([A-Za-z]) (.+)$");
    std::set<QString> setFunctions;
    QStringList listOurs;
    for (const QString& strLine : QString::fromLocal8Bit(nm.readAllStandardOutput()).split('\n')) {
        const QRegularExpressionMatch match = reLine.match(strLine);
        if (!match.hasMatch())
            continue;
        if (QString("TtWwi").contains(match.captured(1)))
            setFunctions.insert(match.captured(2));
        if (match.captured(2).contains(QRegularExpression("Hex|Ui_")))
            listOurs << match.captured(2);
    }
    EXPECT_EQ(setFunctions, std::set<QString>{"ShowHexDialog"});
    EXPECT_EQ(listOurs, QStringList{"ShowHexDialog"});
}

} // namespace
