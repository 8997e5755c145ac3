// Helpers of the tests of Load, Insert and Export: the editor directory, grimlet and its
// databases, the Record Number dialog.
#include "tests/toolbridge/ToolCommandTestSupport.h"

#include "app/OutputEdit.h"
#include "resources/CommandIds.h"
#include "toolbridge/GrimletPaths.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>

void CToolCommandTest::SetUp() {
    CAppTest::SetUp();
    m_strEditorDir = TempPath("editor");
    ASSERT_TRUE(QDir().mkpath(m_strEditorDir));
    ASSERT_TRUE(QFile::link(GRIMLET, EditorPath("grimlet")));
    SetEditorDirectory(m_strEditorDir);
}

void CToolCommandTest::TearDown() {
    CAppTest::TearDown();
    SetEditorDirectory(QString());
    if (m_oldPath)
        qputenv("PATH", *m_oldPath);
}

QString CToolCommandTest::EditorPath(const QString& strName) const {
    return QDir(m_strEditorDir).filePath(strName);
}

void CToolCommandTest::UseFakeGrimlet(const QByteArray& script) {
    QFile::remove(EditorPath("grimlet"));
    QFile file(EditorPath("grimlet"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\ncd \"$(dirname \"$0\")\" || exit 9\n" + script);
    file.close();
    ASSERT_TRUE(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

void CToolCommandTest::UseArgumentRecordingGrimlet(const QByteArray& rest) {
    UseFakeGrimlet("for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > args\n" + rest);
}

QStringList CToolCommandTest::RecordedArguments() const {
    QFile file(EditorPath("args"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList list;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith('[') && line.endsWith(']'))
            list.append(QString::fromUtf8(line.mid(1, line.size() - 2)));
    }
    return list;
}

void CToolCommandTest::RemoveGrimlet() {
    QFile::remove(EditorPath("grimlet"));
    if (!m_oldPath)
        m_oldPath = qgetenv("PATH");
    qputenv("PATH", m_strEditorDir.toLocal8Bit());
}

QString CToolCommandTest::MakeDatabase(const QString& strName,
                                       const std::vector<std::pair<QString, QByteArray>>& forms) {
    const QString strDb = TempPath(strName);
    EXPECT_EQ(RunGrimlet({"init", strDb}), 0);
    const QString strFormsDir = "forms-of-" + strName;
    QDir().mkpath(TempPath(strFormsDir));
    for (const auto& [strRecord, source] : forms) {
        const QString strSource = WriteFile(strFormsDir + "/" + strRecord + ".zarn", source);
        EXPECT_EQ(RunGrimlet({"add", "-keepComments", strDb, strSource}), 0);
    }
    return strDb;
}

QByteArray CToolCommandTest::DumpRecord(const QString& strDb, const QString& strRecord) {
    const QString strOut = TempPath("dumped.zarn");
    QFile::remove(strOut);
    EXPECT_EQ(RunGrimlet({"dump", strDb, strRecord, strOut}), 0);
    return ReadFile(strOut);
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

int RunGrimlet(const QStringList& listArguments) {
    QProcess process;
    process.start(GRIMLET, listArguments);
    process.waitForFinished(-1);
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}
