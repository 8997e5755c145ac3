// Helpers of the tests of Load, Insert and Export: an application whose "editor directory"
// is a scratch directory holding the real grimlet (or a stand-in script), records databases
// made and read by the real grimlet, and the Record Number dialog answered.
#pragma once

#include "tests/app/AppTestSupport.h"
#include "tests/toolbridge/ToolTestSupport.h"

#include <optional>

#include <QByteArray>
#include <QString>
#include <QStringList>

class CToolCommandTest : public CAppTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The directory that stands for the editor's own: Grimlet is looked for there and Load
    // writes its forms there. It starts with a link to the real grimlet.
    QString EditorDir() const { return m_strEditorDir; }
    QString EditorPath(const QString& strName) const;
    // Puts a shell script in place of grimlet; it runs in the editor directory.
    void UseFakeGrimlet(const QByteArray& script);
    // A grimlet that writes each argument it was given as one line "[argument]" into the file
    // "args" of the editor directory, and then runs `rest` (exit status 0 by default).
    void UseArgumentRecordingGrimlet(const QByteArray& rest = "exit 0\n");
    // The arguments that the recording grimlet was given, or an empty list if it never ran.
    QStringList RecordedArguments() const;
    // No grimlet at all: none in the editor directory, and none on the PATH, which stays empty
    // of programs until the test ends (an installed grimlet would be found there).
    void RemoveGrimlet();

    // A records database in the test's directory holding these forms (record, source text).
    QString MakeDatabase(const QString& strName,
                         const std::vector<std::pair<QString, QByteArray>>& forms);
    // The source of a record as the real grimlet dumps it.
    QByteArray DumpRecord(const QString& strDb, const QString& strRecord);

    // The next Record Number dialog gets strRecord in its field (as typed or pasted), then
    // OK, or Cancel when bOk is false.
    void AnswerRecordNumber(const QString& strRecord, bool bOk = true);
    // Answers the file dialog with strDb and the Record Number dialog with strRecord, and runs
    // Load from MAIN.IDX.
    void Load(const QString& strDb, const QString& strRecord);

    // The text of the Output pane.
    QString Shown();

private:
    QString m_strEditorDir;
    std::optional<QByteArray> m_oldPath; // set while the PATH is hidden
};

// Runs the real grimlet to its end; its exit status.
int RunGrimlet(const QStringList& listArguments);
