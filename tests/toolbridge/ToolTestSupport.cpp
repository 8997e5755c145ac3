// Helpers of the tool bridge tests.
#include "ToolTestSupport.h"

#include "app/OutputEdit.h"
#include "resources/CommandIds.h"
#include "toolbridge/GrimletPaths.h"

#include <memory>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

void WhenShown(QPlainTextEdit& edit, const QString& strText, std::function<void()> fn) {
    auto pConnection = std::make_shared<QMetaObject::Connection>();
    *pConnection = QObject::connect(&edit, &QPlainTextEdit::textChanged, &edit,
                                    [&edit, strText, fn, pConnection] {
                                        if (!edit.toPlainText().contains(strText))
                                            return;
                                        QObject::disconnect(*pConnection);
                                        QTimer::singleShot(0, fn);
                                    });
}

void TouchFile(const QString& strPath, const QByteArray& bytes) {
    QFile file(strPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

bool HaveEnded(const QString& strPids) {
    QFile file(strPids);
    const QList<QByteArray> listPids =
        file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().split(' ') : QList<QByteArray>();
    if (listPids.size() != 2)
        return false;
    for (const QByteArray& pid : listPids) {
        // A killed process is gone a moment after the kill; a zombie is no longer running.
        int nTries = 0;
        for (;; usleep(1000)) {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(pid.toInt()));
            if (pid.toInt() <= 0 || ++nTries > 10000)
                return false;
            if (!stat.open(QIODevice::ReadOnly))
                break;
            const QByteArray line = stat.readAll();
            if (line.mid(line.lastIndexOf(')') + 2, 1) == "Z")
                break;
        }
    }
    return true;
}

int RunGrimlet(const QStringList& listArguments) {
    QProcess process;
    process.start(GRIMLET, listArguments);
    process.waitForFinished(-1);
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void CToolCommandTest::SetUp() {
    CAppTest::SetUp();
    ASSERT_TRUE(QDir().mkpath(EditorPath("")));
    ASSERT_TRUE(QFile::link(GRIMLET, EditorPath("grimlet")));
    SetEditorDirectory(TempPath("editor"));
}

void CToolCommandTest::TearDown() {
    CAppTest::TearDown();
    SetEditorDirectory(QString());
    if (m_oldPath)
        qputenv("PATH", *m_oldPath);
}

void CToolCommandTest::UseFakeGrimlet(const QByteArray& script) {
    QFile::remove(EditorPath("grimlet"));
    WriteFile("editor/grimlet", "#!/bin/sh\ncd \"$(dirname \"$0\")\" || exit 9\n" + script);
    ASSERT_TRUE(QFile::setPermissions(EditorPath("grimlet"),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

void CToolCommandTest::UseArgumentRecordingGrimlet(const QByteArray& rest) {
    UseFakeGrimlet("for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > args\n" + rest);
}

QStringList CToolCommandTest::RecordedArguments() const {
    QStringList list;
    for (const QByteArray& line : ReadFile(EditorPath("args")).split('\n')) {
        if (line.startsWith('[') && line.endsWith(']'))
            list.append(QString::fromUtf8(line.mid(1, line.size() - 2)));
    }
    return list;
}

void CToolCommandTest::RemoveGrimlet() {
    QFile::remove(EditorPath("grimlet"));
    if (!m_oldPath)
        m_oldPath = qgetenv("PATH");
    qputenv("PATH", TempPath("editor").toLocal8Bit());
}

QString CToolCommandTest::MakeDatabase(const QString& strName,
                                       const std::vector<std::pair<QString, QByteArray>>& forms) {
    const QString strDb = TempPath(strName);
    EXPECT_EQ(RunGrimlet({"init", strDb}), 0);
    QDir().mkpath(TempPath("forms-of-" + strName));
    for (const auto& [strRecord, source] : forms) {
        const QString strSource =
            WriteFile("forms-of-" + strName + "/" + strRecord + ".zarn", source);
        EXPECT_EQ(RunGrimlet({"add", "-keepComments", strDb, strSource}), 0);
    }
    return strDb;
}

QByteArray CToolCommandTest::DumpRecord(const QString& strDb, const QString& strRecord) {
    QFile::remove(TempPath("dumped.zarn"));
    EXPECT_EQ(RunGrimlet({"dump", strDb, strRecord, TempPath("dumped.zarn")}), 0);
    return ReadFile(TempPath("dumped.zarn"));
}

void CToolCommandTest::AnswerRecordNumber(const QString& strRecord, bool bOk) {
    DriveNextModalDialog([strRecord, bOk](QWidget* pDialog) {
        auto* pField = pDialog->findChild<QLineEdit*>("IDC_NUMBER_1004");
        ASSERT_NE(pField, nullptr);
        pField->setText(strRecord);
        pDialog->findChild<QPushButton*>(bOk ? "IDOK_1" : "IDCANCEL_2")->click();
    });
}

void CToolCommandTest::Load(const QString& strDb, const QString& strRecord) {
    AnswerFileDialogs({strDb});
    AnswerRecordNumber(strRecord);
    Execute(ID_FILE_LOAD_FROM_IDX);
}

QString CToolCommandTest::Shown() {
    return MainFrame().GetOutputEdit()->toPlainText();
}

QString CToolCommandTest::State() {
    const auto relative = [this](const QString& strPath) {
        return QDir(m_dir.path()).relativeFilePath(strPath);
    };
    QString strState;
    for (CSampleDoc* pDoc : Docs().GetDocuments())
        strState += QString("%1%2 %3 %4%5\n")
                        .arg(pDoc == ActiveDoc() ? "*" : "",
                             pDoc->GetPathName().isEmpty() ? pDoc->GetTitle()
                                                           : relative(pDoc->GetPathName()),
                             pDoc->GetGid(), relative(pDoc->GetIdxPath()),
                             pDoc->IsModified() ? " modified" : "");
    if (!App().GetPendingGid().isEmpty() || !App().GetPendingIdxPath().isEmpty())
        strState +=
            "waiting " + App().GetPendingGid() + " " + relative(App().GetPendingIdxPath()) + "\n";
    for (const QString& strMessage : m_listMessages)
        strState += "message: " + strMessage + "\n";
    return strState + "pane: " + Shown();
}

void CToolCommandTest::Type(CSampleDoc* pDoc, int nLine, const std::string& strText) {
    int nEndLine = 0;
    int nEndChar = 0;
    ASSERT_TRUE(pDoc->GetTextBuffer().InsertTextAt(nullptr, nLine, 0, strText, nEndLine, nEndChar,
                                                   EDITACT_TYPING));
}
