// The application tests' fixture: one application per test, answers for its prompts.
#include "tests/app/AppTestSupport.h"

#include "app/OutputEdit.h"
#include "buffer/TextBuffer.h"
#include "resources/CommandTable.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>

QString Describe(const FileDialogRequest& request) {
    return (request.bSave ? "save " : "open ") + QString(request.bMustExist ? "existing " : "") +
           request.strInitialPath + u' ' + request.strFilter + " ." + request.strDefaultSuffix;
}

void Press(QWidget* pWidget, const char* pszKeys) {
    for (const QString& strKey : QString::fromLatin1(pszKeys).split(u' ')) {
        const QKeySequence keys = QKeySequence::fromString(strKey);
        EXPECT_EQ(keys.count(), 1) << strKey.toStdString();
        const QKeyCombination key = keys[0];
        QTest::keyClick(pWidget, key.key(), key.keyboardModifiers());
    }
}

void CAppTest::SetUp() {
    ASSERT_TRUE(m_dir.isValid() && m_recoveryDir.isValid());
    m_strRecoveryRoot = m_recoveryDir.path();
    // Closing the test's main window must not end the test program's event loops.
    QApplication::setQuitOnLastWindowClosed(false);
    QCoreApplication::setOrganizationName(QStringLiteral("ZarnEditor"));
    QCoreApplication::setApplicationName(QStringLiteral("Zarn Editor"));
    // Each test starts from no settings of its own, and leaves none behind.
    for (const char* pszGroup : {"Recent File List", "Editor"})
        QSettings().remove(pszGroup);
    SetMessageBoxHandler([this](const QString& strText, QMessageBox::StandardButtons buttons) {
        m_listMessages.push_back(strText);
        if (m_answers.empty())
            return buttons.testFlag(QMessageBox::Ok) ? QMessageBox::Ok : QMessageBox::Cancel;
        const QMessageBox::StandardButton answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    });
    SetFileDialogHandler([this](const FileDialogRequest& request) {
        m_listFileRequests.push_back(request);
        if (m_fileAnswers.empty())
            return QString();
        const QString strAnswer = m_fileAnswers.front();
        m_fileAnswers.pop_front();
        return strAnswer;
    });
}

void CAppTest::TearDown() {
    for (const QPointer<QTimer>& pTimer : m_listDialogDrivers) {
        if (pTimer && pTimer->isActive())
            ADD_FAILURE() << "a dialog the test waited for never opened";
        delete pTimer.data();
    }
    StopApp();
    SetMessageBoxHandler({});
    SetFileDialogHandler({});
    for (const char* pszGroup : {"Recent File List", "Editor"})
        QSettings().remove(pszGroup);
}

void CAppTest::StartApp(const QStringList& listFiles) {
    m_pApp = std::make_unique<CSampleApp>();
    m_pApp->SetRecoveryRoot(m_strRecoveryRoot);
    m_pApp->InitInstance(listFiles);
    MainFrame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&MainFrame()));
    ProcessEvents();
}

QString CAppTest::EnabledOf(std::initializer_list<unsigned> ids) {
    QString str;
    for (const unsigned nId : ids)
        str += IsEnabled(nId) ? '1' : '0';
    return str;
}

void CAppTest::Run(const char* pszScript, const QString& strState) {
    static const QRegularExpression reStep(QStringLiteral(R"("[^"]*"|\[[^\]]*\]|\S+)"));
    for (auto it = reStep.globalMatch(QString::fromUtf8(pszScript)); it.hasNext();) {
        const QString strStep = it.next().captured();
        const QString strArg = strStep.mid(1, strStep.size() - 2);
        if (strStep.startsWith(u'"')) {
            QTest::keyClicks(ActiveView(), strArg);
        } else if (strStep.startsWith(u'[')) {
            const auto& table = GetCommandTable();
            const auto it = std::find_if(table.begin(), table.end(), [&](const CommandInfo& info) {
                return QString(info.pszText).section(u'\t', 0, 0).remove(u'&') == strArg;
            });
            ASSERT_NE(it, table.end()) << pszScript;
            Execute(it->nId);
        } else if (strStep.startsWith(u'?')) {
            m_answers.push_back(strStep == "?Yes"  ? QMessageBox::Yes
                                : strStep == "?No" ? QMessageBox::No
                                                   : QMessageBox::Cancel);
        } else if (strStep.startsWith(u'>')) {
            m_fileAnswers.push_back(TempPath(strStep.mid(1)));
        } else {
            Press(ActiveView() ? static_cast<QWidget*>(ActiveView()) : &MainFrame(),
                  strStep.toLatin1().constData());
        }
    }
    FlushDeletes();
    EXPECT_EQ(State(), strState) << pszScript;
}

void CAppTest::DriveNextModalDialog(std::function<void(QWidget*)> fnDrive) {
    // The dialog's own event loop runs the timer once the dialog is up.
    auto* pTimer = new QTimer;
    pTimer->setInterval(5);
    QObject::connect(pTimer, &QTimer::timeout, [pTimer, fnDrive] {
        QWidget* pModal = QApplication::activeModalWidget();
        if (!pModal)
            return;
        pTimer->stop();
        pTimer->deleteLater();
        fnDrive(pModal);
    });
    pTimer->start();
    m_listDialogDrivers.emplace_back(pTimer);
}

std::shared_ptr<bool> CAppTest::CloseMainWindowWhenOutputShows(const QString& strText) {
    auto pbAsked = std::make_shared<bool>(false);
    COutputEdit* pEdit = MainFrame().GetOutputEdit();
    EXPECT_NE(pEdit, nullptr);
    if (!pEdit)
        return pbAsked;
    QObject::connect(pEdit, &QPlainTextEdit::textChanged, &MainFrame(), [=, this] {
        if (*pbAsked || !pEdit->toPlainText().contains(strText))
            return;
        *pbAsked = true;
        QTimer::singleShot(0, &MainFrame(), [this] { MainFrame().close(); });
    });
    return pbAsked;
}

void CAppTest::FlushDeletes() {
    // A deleted window may post the deletion of its document: twice catches both.
    for (int i = 0; i < 2; ++i)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QString CAppTest::WriteFile(const QString& strName, const QByteArray& bytes) const {
    const QString strPath = TempPath(strName);
    QFile file(strPath);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    return strPath;
}

QByteArray CAppTest::ReadFile(const QString& strPath) {
    QFile file(strPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList CAppTest::LinesOf(CSampleDoc* pDoc) {
    QStringList lines;
    CTextBuffer& buffer = pDoc->GetTextBuffer();
    for (int i = 0; i < buffer.GetLineCount(); ++i) {
        const std::string_view line = buffer.GetLineView(i);
        lines.append(QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
    }
    return lines;
}

QStringList CAppTest::MenuTexts(QWidget* pMenu) {
    QStringList texts;
    for (QAction* pAction : pMenu->actions())
        texts.append(pAction->isSeparator() ? QStringLiteral("-") : pAction->text());
    return texts;
}

QMenu* CAppTest::MenuAt(int nIndex) {
    const QList<QAction*> menus = MainFrame().menuBar()->actions();
    return menus.at(nIndex < 0 ? menus.size() + nIndex : nIndex)->menu();
}

QString CAppTest::DocState(CSampleDoc* pDoc) const {
    QString str = pDoc->GetTitle() + (pDoc->IsModified() ? "* path=" : " path=") +
                  pDoc->GetPathName() + " file=" + pDoc->GetFileName() + " gid=" + pDoc->GetGid() +
                  " idx=" + pDoc->GetIdxPath();
    return str.replace(m_dir.path(), "~");
}

QString CAppTest::Windows() {
    return MainFrame().windowTitle() + " | " +
           (ActiveFrame() ? ActiveFrame()->windowTitle() : QStringLiteral("-")) + " | menu " +
           QString::number(MainFrame().GetMenuId()) + " | " +
           QString::number(Docs().GetDocuments().size()) + " docs";
}
