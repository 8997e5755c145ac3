// Helpers of the tool bridge tests: the runner with a child program written for them, and an
// application whose editor directory holds the real grimlet (or a stand-in script).
#pragma once

#include "tests/app/AppTestSupport.h"

#include <functional>
#include <optional>
#include <sys/types.h>

#include <QPlainTextEdit>

// The child program built for these tests (see ToolChild.cpp for its steps), and grimlet.
constexpr const char TOOL_CHILD[] = TOOL_CHILD_PATH;
constexpr const char GRIMLET[] = ZARN_BUILD_DIR "/grimlet";

// An Output pane edit and a scratch directory for the signal files of each test.
class CToolRunnerTest : public testing::Test {
protected:
    CToolRunnerTest() { EXPECT_TRUE(m_dir.isValid()); }
    QString Path(const QString& strName) const { return m_dir.filePath(strName); }
    QString Shown() const { return m_edit.toPlainText(); }

    QTemporaryDir m_dir;
    QPlainTextEdit m_edit;
};

// Calls fn from the event loop, as a command would run, once the edit's text first holds strText.
void WhenShown(QPlainTextEdit& edit, const QString& strText, std::function<void()> fn);
// Creates the file with these bytes.
void TouchFile(const QString& strPath, const QByteArray& bytes = {});
// Whether the child and grandchild whose ids the child's "grandchild:" step wrote into strPids
// have ended (gone, or zombies nobody reaped yet), waiting for them a while.
bool HaveEnded(const QString& strPids);
// Runs the real grimlet to its end; its exit status.
int RunGrimlet(const QStringList& listArguments);

// An application whose editor directory, where Grimlet is looked for and Load writes its
// forms, is the scratch directory "editor" holding a link to the real grimlet.
class CToolCommandTest : public CAppTest {
protected:
    void SetUp() override;
    void TearDown() override;

    QString EditorPath(const QString& strName) const { return TempPath("editor/" + strName); }
    // Puts a shell script in place of grimlet; it runs in the editor directory.
    void UseFakeGrimlet(const QByteArray& script);
    // A grimlet that writes each argument as a line "[argument]" into the file "args" of the
    // editor directory, then runs `rest`.
    void UseArgumentRecordingGrimlet(const QByteArray& rest = "exit 0\n");
    // The arguments that the recording grimlet was given; empty if it never ran.
    QStringList RecordedArguments() const;
    // No grimlet beside the editor nor on the PATH, which stays empty until the test ends.
    void RemoveGrimlet();

    // A records database in the test's directory holding these forms (record, source).
    QString MakeDatabase(const QString& strName,
                         const std::vector<std::pair<QString, QByteArray>>& forms);
    // The source of a record as the real grimlet dumps it.
    QByteArray DumpRecord(const QString& strDb, const QString& strRecord);
    // The next Record Number dialog gets strRecord in its field, then OK (or Cancel).
    void AnswerRecordNumber(const QString& strRecord, bool bOk = true);
    // Runs Load from MAIN.IDX with these answers to its two questions.
    void Load(const QString& strDb, const QString& strRecord);
    QString Shown();
    // Puts strText at the start of line nLine, as typing would.
    static void Type(CSampleDoc* pDoc, int nLine, const std::string& strText);
    // What the application shows, a line each: its documents in order (the active one marked
    // "*"; its file, record and database relative to the test's directory; "modified"), the
    // record waiting for the next new document, the messages shown, then the Output pane.
    QString State();

private:
    std::optional<QByteArray> m_oldPath; // set while the PATH is hidden
};
