// Crash recovery: recovery files, the offer at start-up, and real editor processes killed.
#include "app/RecoveryStore.h"
#include "resources/CommandIds.h"
#include "tests/app/AppTestSupport.h"

#include <csignal>
#include <sys/stat.h>

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QTest>

namespace {

constexpr int WAIT_MS = 30000;

// The recovery files in a folder, those of documents titled strTitle... if it is given.
QStringList RecoveryFiles(const QString& strFolder, const QString& strTitle = "") {
    QStringList list;
    for (const QString& strName : QDir(strFolder).entryList({strTitle + "*.recovery"}, QDir::Files))
        list.append(strFolder + u'/' + strName);
    return strFolder.isEmpty() ? QStringList() : list;
}

void Modify(CTextBuffer& buffer, const char* pszText) {
    int nEndLine = 0, nEndChar = 0;
    ASSERT_TRUE(buffer.InsertTextAt(nullptr, 0, 0, pszText, nEndLine, nEndChar, EDITACT_TYPING));
}

// The text a recovery file holds, after "PATH|TITLE|EOL STYLE|" from its header.
QByteArray Recovered(const QString& strFile) {
    RecoveryRecord record;
    EXPECT_TRUE(CRecoveryStore::ReadRecord(strFile, record)) << strFile.toStdString();
    QTemporaryFile text;
    EXPECT_TRUE(text.open());
    EXPECT_TRUE(CRecoveryStore::ExtractText(record, text.fileName()));
    return (record.strOriginalPath + u'|' + record.strTitle + u'|' +
            QString::number(record.nEolStyle) + u'|')
               .toUtf8() +
           text.readAll();
}

class RecoveryTest : public CAppTest {
protected:
    QString OwnFolder() { return App().GetRecoveryStore()->GetFolder(); }

    // What this editor would leave behind if it ended now, abnormally: its folder as it is,
    // locked by nobody.
    QString LeaveAsCrashed() {
        const QString strCopy = m_strRecoveryRoot + "/editor-crashed";
        EXPECT_TRUE(QDir().mkdir(strCopy));
        for (const QString& strFile : QDir(OwnFolder()).entryList(QDir::Files))
            EXPECT_TRUE(QFile::copy(OwnFolder() + u'/' + strFile, strCopy + u'/' + strFile));
        return strCopy;
    }

    CSampleDoc* FindDoc(const QString& strTitle) {
        for (CSampleDoc* pDoc : Docs().GetDocuments()) {
            if (pDoc->GetTitle() == strTitle)
                return pDoc;
        }
        return nullptr;
    }
};

TEST(RecoveryWriteDueTest, ASecondAfterThePauseAndNoLaterThanFiveSecondsOrTwentyWrites) {
    using std::chrono::milliseconds;
    const std::chrono::steady_clock::time_point tFirst;
    // The last change and the last write's length, in ms after the first change; when due.
    const int cases[][3] = {
        {0, 0, 1000},      // one change: a second later
        {2500, 0, 3500},   // the typing pauses
        {4800, 0, 5000},   // the typing goes on: five seconds after the first change
        {4800, 100, 5000}, // a write of a tenth of a second changes nothing
        {9000, 400, 8000}, // one of 0.4 s: twenty times that
        {6000, 400, 7000}, // unless the typing pauses first
    };
    for (const auto& c : cases)
        EXPECT_EQ(RecoveryWriteDue(tFirst, tFirst + milliseconds(c[0]), milliseconds(c[1])),
                  tFirst + milliseconds(c[2]))
            << c[0] << " " << c[1];
}

TEST_F(RecoveryTest, AModifiedDocumentsTextIsKeptUntilItIsSavedOrClosed) {
    StartApp();
    // Typing that goes on, in a new document all along, puts its file off a few seconds at most.
    Execute(ID_FILE_NEW);
    CSampleView* pTyped = ActiveView();
    QTimer typist;
    QObject::connect(&typist, &QTimer::timeout, [pTyped] { QTest::keyClick(pTyped, Qt::Key_A); });
    typist.start(250);
    // LF line ends, a NUL and a carriage return inside lines: all kept as saving keeps them.
    const QString strPath = WriteFile("form.zarn", QByteArray("a\0b\nc\rd\n", 8));
    CSampleDoc* pDoc = App().OpenDocumentFile(strPath);
    Press(ActiveView(), "X");
    // Not at every key: the file follows once the typing pauses.
    EXPECT_TRUE(RecoveryFiles(OwnFolder(), "form.zarn").isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !RecoveryFiles(OwnFolder(), "form.zarn").isEmpty(); },
                                WAIT_MS));
    EXPECT_EQ(Recovered(RecoveryFiles(OwnFolder(), "form.zarn").front()),
              strPath.toUtf8() + "|form.zarn|" + QByteArray::number(EOL_LF) + "|" +
                  QByteArray("xa\0b\nc\rd\n", 9));
    Execute(ID_FILE_SAVE);
    EXPECT_TRUE(RecoveryFiles(OwnFolder(), "form.zarn").isEmpty());
    // Closed without saving, the document takes its recovery file with it.
    Press(ActiveView(), "Y");
    pDoc->WriteRecoveryNow();
    EXPECT_EQ(RecoveryFiles(OwnFolder(), "form.zarn").size(), 1);
    AnswerMessageBoxes({QMessageBox::No});
    Execute(ID_FILE_CLOSE);
    EXPECT_TRUE(RecoveryFiles(OwnFolder(), "form.zarn").isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !RecoveryFiles(OwnFolder()).isEmpty(); }, 15000));
    typist.stop();
    EXPECT_TRUE(Recovered(RecoveryFiles(OwnFolder()).front()).startsWith("|Zarn Document1|"));
    // An editor that ends normally leaves nothing behind.
    const QString strFolder = OwnFolder();
    StopApp();
    EXPECT_FALSE(QFileInfo::exists(strFolder));
    EXPECT_TRUE(QDir(m_strRecoveryRoot).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot));
}

// LF CR line ends and a NUL; CR LF. The first file is open again when the offer comes: it
// takes the recovered text.
TEST_F(RecoveryTest, RecoverOpensTheExactBytesAsModifiedDocumentsWithTheirPaths) {
    const QString strFirst = WriteFile("first.zarn", QByteArray("one\0\n\rtwo\n\r", 11));
    const QString strSecond = WriteFile("second.zarn", "b\r\n");
    StartApp({strFirst, strSecond});
    Execute(ID_FILE_NEW);
    for (const auto& [pszTitle, pszText] :
         {std::pair{"first.zarn", "x"}, {"second.zarn", "y"}, {"Zarn Document1", "new"}}) {
        Modify(FindDoc(pszTitle)->GetTextBuffer(), pszText);
        FindDoc(pszTitle)->WriteRecoveryNow();
    }
    const QString strCrashed = LeaveAsCrashed();
    StopApp();
    AnswerMessageBoxes({QMessageBox::Yes});
    StartApp({strFirst});
    ASSERT_EQ(m_listMessages.size(), 1u);
    EXPECT_TRUE(m_listMessages[0].startsWith("Zarn Editor ended without saving these documents:"));
    for (const QString& strLine : {strFirst, strSecond, QString("Zarn Document1 (never saved)")})
        EXPECT_TRUE(m_listMessages[0].contains("\n" + strLine + "\n")) << strLine.toStdString();
    EXPECT_FALSE(QFileInfo::exists(strCrashed));
    ASSERT_EQ(Docs().GetDocuments().size(), 3u);
    EXPECT_EQ(RecoveryFiles(OwnFolder()).size(), 3);
    CSampleDoc* pFirst = FindDoc("first.zarn");
    CSampleDoc* pNew = FindDoc("Zarn Document1");
    ASSERT_TRUE(pFirst && FindDoc("second.zarn") && pNew);
    EXPECT_EQ(DocState(pFirst), "first.zarn* path=~/first.zarn file=~/first.zarn gid= idx=");
    EXPECT_EQ(DocState(FindDoc("second.zarn")), "second.zarn* path=~/second.zarn file= gid= idx=");
    EXPECT_EQ(DocState(pNew), "Zarn Document1* path= file= gid= idx=");
    TextPos ptCaret;
    ASSERT_TRUE(pFirst->GetTextBuffer().Undo(ptCaret));
    EXPECT_EQ(LinesOf(pFirst), QStringList({QString::fromLatin1("one\0", 4), "two", ""}));
    ASSERT_TRUE(pFirst->GetTextBuffer().Redo(ptCaret));
    AnswerFileDialogs({TempPath("new.zarn")});
    for (CSampleDoc* pDoc : Docs().GetDocuments())
        EXPECT_TRUE(Docs().DoFileSave(pDoc));
    EXPECT_EQ(ReadFile(strFirst), QByteArray("xone\0\n\rtwo\n\r", 12));
    EXPECT_EQ(ReadFile(strSecond), QByteArray("yb\r\n"));
    EXPECT_EQ(ReadFile(TempPath("new.zarn")), QByteArray("new"));
    EXPECT_TRUE(RecoveryFiles(OwnFolder()).isEmpty());
}

TEST_F(RecoveryTest, DiscardDeletesThemAndAnotherRunningEditorsAreNeverOffered) {
    // Another editor, running all along, with an unsaved document of its own.
    CRecoveryStore other(m_strRecoveryRoot);
    ASSERT_TRUE(other.Open());
    CTextBuffer theirs;
    theirs.InitEmpty(EOL_CRLF);
    Modify(theirs, "theirs");
    const QString strTheirs = other.NewFileName("theirs.zarn");
    ASSERT_TRUE(other.Write(strTheirs, theirs, "/forms/theirs.zarn", "theirs.zarn"));
    const QString strMine = WriteFile("mine.zarn", "m\r\n");
    StartApp({strMine});
    EXPECT_TRUE(m_listMessages.empty());
    Modify(ActiveDoc()->GetTextBuffer(), "z");
    ActiveDoc()->WriteRecoveryNow();
    const QString strCrashed = LeaveAsCrashed();
    StopApp();
    AnswerMessageBoxes({QMessageBox::Discard});
    StartApp();
    ASSERT_EQ(m_listMessages.size(), 1u);
    EXPECT_TRUE(m_listMessages[0].contains("\n" + strMine + "\n"));
    EXPECT_FALSE(m_listMessages[0].contains("theirs"));
    EXPECT_TRUE(Docs().GetDocuments().empty());
    EXPECT_FALSE(QFileInfo::exists(strCrashed));
    EXPECT_EQ(Recovered(strTheirs),
              "/forms/theirs.zarn|theirs.zarn|" + QByteArray::number(EOL_CRLF) + "|theirs");
    StopApp();
    StartApp();
    EXPECT_EQ(m_listMessages.size(), 1u);
}

// Real editors, run as their own processes on the offscreen platform with their own data
// folder, each told apart by the files it holds open.
class RecoveryProcessTest : public RecoveryTest {
protected:
    void TearDown() override {
        for (const std::unique_ptr<QProcess>& pEditor : m_listEditors)
            Kill(*pEditor);
        RecoveryTest::TearDown();
    }

    QProcess& StartEditor(const QStringList& listArgs) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_DATA_HOME", m_data.path());
        env.insert("XDG_CONFIG_HOME", m_data.path() + "/config");
        auto& pEditor = m_listEditors.emplace_back(std::make_unique<QProcess>());
        pEditor->setProcessEnvironment(env);
        pEditor->setProcessChannelMode(QProcess::ForwardedChannels);
        pEditor->start(QStringLiteral(ZARN_BUILD_DIR "/zarneditor"), listArgs);
        EXPECT_TRUE(pEditor->waitForStarted());
        return *pEditor;
    }

    static void Kill(QProcess& editor) {
        if (editor.state() == QProcess::NotRunning)
            return;
        ::kill(static_cast<pid_t>(editor.processId()), SIGKILL);
        editor.waitForFinished();
    }

    // The recovery folder of a running editor: the one whose lock it holds.
    static QString FolderOf(const QProcess& editor) {
        const QString strFds = QStringLiteral("/proc/%1/fd").arg(editor.processId());
        for (const QString& strFd : QDir(strFds).entryList(QDir::Files | QDir::System)) {
            const QString strTarget = QFile::symLinkTarget(strFds + u'/' + strFd);
            if (strTarget.endsWith("/lock"))
                return QFileInfo(strTarget).absolutePath();
        }
        return {};
    }

    // Whether a running editor watches the file at strPath: then it has the file open.
    static bool Watches(const QProcess& editor, const QString& strPath) {
        struct stat st;
        if (::stat(QFile::encodeName(strPath).constData(), &st) != 0)
            return false;
        const QString strInode = QString::number(st.st_ino, 16);
        const QString strInfo = QStringLiteral("/proc/%1/fdinfo").arg(editor.processId());
        static const QRegularExpression reInode(QStringLiteral("^inotify .* ino:([0-9a-f]+) "),
                                                QRegularExpression::MultilineOption);
        for (const QString& strFd : QDir(strInfo).entryList(QDir::Files)) {
            const QString strText = QString::fromLatin1(ReadFile(strInfo + u'/' + strFd));
            for (auto it = reInode.globalMatch(strText); it.hasNext();) {
                if (it.next().captured(1) == strInode)
                    return true;
            }
        }
        return false;
    }

    QTemporaryDir m_data;
    std::vector<std::unique_ptr<QProcess>> m_listEditors;
};

// Another program deletes both files: the editors keep the texts, unsaved. The next editor
// takes what the killed one left, and nothing of the one still running.
TEST_F(RecoveryProcessTest, AKilledEditorsUnsavedTextIsRecoveredByteForByteAndNotFromAnotherOne) {
    ASSERT_TRUE(m_data.isValid());
    // LF line ends with a NUL and a carriage return inside lines; CR LF.
    const QByteArray first("; GID 1\nnul\0here\nwith\rcr\n", 25);
    const QByteArray second("b 1\r\nb 2\r\n");
    const QString strFirst = WriteFile("first.zarn", first);
    const QString strSecond = WriteFile("second.zarn", second);
    QProcess& editor1 = StartEditor({strFirst});
    QProcess& editor2 = StartEditor({strSecond});
    ASSERT_TRUE(QTest::qWaitFor([&] { return Watches(editor1, strFirst); }, WAIT_MS));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Watches(editor2, strSecond); }, WAIT_MS));
    const QString strFolder1 = FolderOf(editor1);
    const QString strFolder2 = FolderOf(editor2);
    ASSERT_FALSE(strFolder1.isEmpty());
    ASSERT_NE(strFolder1, strFolder2);
    ASSERT_TRUE(QFile::remove(strFirst) && QFile::remove(strSecond));
    ASSERT_TRUE(QTest::qWaitFor([&] { return RecoveryFiles(strFolder1).size() == 1; }, WAIT_MS));
    ASSERT_TRUE(QTest::qWaitFor([&] { return RecoveryFiles(strFolder2).size() == 1; }, WAIT_MS));
    Kill(editor1);
    QProcess& editor3 = StartEditor({"--recover"});
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return !QFileInfo::exists(strFolder1) && RecoveryFiles(FolderOf(editor3)).size() == 1;
        },
        WAIT_MS));
    EXPECT_EQ(Recovered(RecoveryFiles(FolderOf(editor3)).front()),
              strFirst.toUtf8() + "|first.zarn|" + QByteArray::number(EOL_LF) + "|" + first);
    EXPECT_EQ(RecoveryFiles(strFolder2).size(), 1);
    // Where the editors keep their recovery folders.
    const QString strEditorsRoot = m_data.path() + "/ZarnEditor/Zarn Editor/recovery";
    EXPECT_EQ(QDir(strEditorsRoot).entryList({"editor-*"}, QDir::Dirs).size(), 2);
    // Both killed now; recovered here, each document saves its file back as it was.
    Kill(editor2);
    Kill(editor3);
    m_strRecoveryRoot = strEditorsRoot;
    AnswerMessageBoxes({QMessageBox::Yes});
    StartApp();
    ASSERT_EQ(Docs().GetDocuments().size(), 2u);
    for (CSampleDoc* pDoc : Docs().GetDocuments()) {
        EXPECT_TRUE(pDoc->IsModified());
        EXPECT_TRUE(Docs().DoFileSave(pDoc));
    }
    EXPECT_EQ(ReadFile(strFirst), first);
    EXPECT_EQ(ReadFile(strSecond), second);
    EXPECT_EQ(m_listMessages.size(), 1u);
}

} // namespace
