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

    // What this editor would leave if it ended now, abnormally: its folder, locked by nobody.
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

// Typing that goes on all along puts a document's file off a few seconds at most.
TEST_F(RecoveryTest, AModifiedDocumentsTextIsKeptUntilItIsSavedOrClosed) {
    StartApp();
    Execute(ID_FILE_NEW);
    CSampleView* pTyped = ActiveView();
    QTimer typist;
    QObject::connect(&typist, &QTimer::timeout, [pTyped] { QTest::keyClick(pTyped, Qt::Key_A); });
    typist.start(250);
    const QString strPath = WriteFile("form.zarn", QByteArray("a\0b\nc\rd\n", 8));
    CSampleDoc* pDoc = App().OpenDocumentFile(strPath);
    Press(ActiveView(), "X");
    EXPECT_TRUE(RecoveryFiles(OwnFolder(), "form.zarn").isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !RecoveryFiles(OwnFolder(), "form.zarn").isEmpty(); },
                                WAIT_MS));
    EXPECT_EQ(Recovered(RecoveryFiles(OwnFolder(), "form.zarn").front()),
              strPath.toUtf8() + "|form.zarn|" + QByteArray::number(EOL_LF) + "|" +
                  QByteArray("xa\0b\nc\rd\n", 9));
    Execute(ID_FILE_SAVE);
    EXPECT_TRUE(RecoveryFiles(OwnFolder(), "form.zarn").isEmpty());
    Press(ActiveView(), "Y");
    pDoc->WriteRecoveryNow();
    EXPECT_EQ(RecoveryFiles(OwnFolder(), "form.zarn").size(), 1);
    AnswerMessageBoxes({QMessageBox::No});
    Execute(ID_FILE_CLOSE);
    EXPECT_TRUE(RecoveryFiles(OwnFolder(), "form.zarn").isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !RecoveryFiles(OwnFolder()).isEmpty(); }, 15000));
    typist.stop();
    EXPECT_TRUE(Recovered(RecoveryFiles(OwnFolder()).front()).startsWith("|Zarn Document1|"));
    const QString strFolder = OwnFolder();
    StopApp();
    EXPECT_FALSE(QFileInfo::exists(strFolder));
    EXPECT_TRUE(QDir(m_strRecoveryRoot).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot));
}

// The first file is open again when the offer comes; another running editor's is never offered.
TEST_F(RecoveryTest, RecoverOpensTheExactBytesAsModifiedDocumentsAndDiscardDeletesThem) {
    CRecoveryStore other(m_strRecoveryRoot);
    ASSERT_TRUE(other.Open());
    CTextBuffer theirs;
    theirs.InitEmpty(EOL_CRLF);
    Modify(theirs, "theirs");
    const QString strTheirs = other.NewFileName("theirs.zarn");
    ASSERT_TRUE(other.Write(strTheirs, theirs, "/forms/theirs.zarn", "theirs.zarn"));
    const QString strFirst = WriteFile("first.zarn", QByteArray("one\0\n\rtwo\n\r", 11));
    const QString strSecond = WriteFile("second.zarn", "b\r\n");
    StartApp({strFirst, strSecond});
    EXPECT_TRUE(m_listMessages.empty());
    Execute(ID_FILE_NEW);
    for (const auto& [pszTitle, pszText] :
         {std::pair{"first.zarn", "x"}, {"second.zarn", "y"}, {"Zarn Document1", "new"}}) {
        Modify(FindDoc(pszTitle)->GetTextBuffer(), pszText);
        FindDoc(pszTitle)->WriteRecoveryNow();
    }
    QString strCrashed = LeaveAsCrashed();
    StopApp();
    AnswerMessageBoxes({QMessageBox::Yes});
    StartApp({strFirst});
    ASSERT_EQ(m_listMessages.size(), 1u);
    EXPECT_TRUE(m_listMessages[0].startsWith("Zarn Editor ended without saving these documents:"));
    for (const QString& strLine : {strFirst, strSecond, QString("Zarn Document1 (never saved)")})
        EXPECT_TRUE(m_listMessages[0].contains("\n" + strLine + "\n")) << strLine.toStdString();
    EXPECT_FALSE(m_listMessages[0].contains("theirs"));
    EXPECT_FALSE(QFileInfo::exists(strCrashed));
    ASSERT_EQ(Docs().GetDocuments().size(), 3u);
    EXPECT_EQ(RecoveryFiles(OwnFolder()).size(), 3);
    CSampleDoc* pFirst = FindDoc("first.zarn");
    ASSERT_TRUE(pFirst && FindDoc("second.zarn") && FindDoc("Zarn Document1"));
    EXPECT_EQ(DocState(pFirst), "first.zarn* path=~/first.zarn file=~/first.zarn gid= idx=");
    EXPECT_EQ(DocState(FindDoc("second.zarn")), "second.zarn* path=~/second.zarn file= gid= idx=");
    EXPECT_EQ(DocState(FindDoc("Zarn Document1")), "Zarn Document1* path= file= gid= idx=");
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

    Modify(pFirst->GetTextBuffer(), "z");
    pFirst->WriteRecoveryNow();
    strCrashed = LeaveAsCrashed();
    StopApp();
    m_listMessages.clear();
    AnswerMessageBoxes({QMessageBox::Discard});
    StartApp();
    ASSERT_EQ(m_listMessages.size(), 1u);
    EXPECT_TRUE(m_listMessages[0].contains("\n" + strFirst + "\n"));
    EXPECT_TRUE(Docs().GetDocuments().empty());
    EXPECT_FALSE(QFileInfo::exists(strCrashed));
    EXPECT_EQ(Recovered(strTheirs),
              "/forms/theirs.zarn|theirs.zarn|" + QByteArray::number(EOL_CRLF) + "|theirs");
    StopApp();
    StartApp();
    EXPECT_EQ(m_listMessages.size(), 1u);
}

// Real editors, run as their own processes with their own data folder.
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

    // The recovery folders of the editors, where they keep them, each "NAME:FILES".
    QStringList Folders() {
        const QString strRoot = m_data.path() + "/ZarnEditor/Zarn Editor/recovery";
        QStringList list = QDir(strRoot).entryList({"editor-*"}, QDir::Dirs);
        for (QString& strName : list)
            strName += ":" + QString::number(RecoveryFiles(strRoot + u'/' + strName).size());
        return list;
    }

    QTemporaryDir m_data;
    std::vector<std::unique_ptr<QProcess>> m_listEditors;
};

// Another program deletes the file: the editor keeps the text, unsaved, until it is killed.
TEST_F(RecoveryProcessTest, AKilledEditorsUnsavedTextIsRecoveredByteForByte) {
    ASSERT_TRUE(m_data.isValid());
    // LF line ends with a NUL and a carriage return inside lines.
    const QByteArray first("; GID 1\nnul\0here\nwith\rcr\n", 25);
    const QString strFirst = WriteFile("first.zarn", first);
    QProcess& editor1 = StartEditor({strFirst});
    ASSERT_TRUE(QTest::qWaitFor([&] { return Watches(editor1, strFirst); }, WAIT_MS));
    ASSERT_TRUE(QFile::remove(strFirst));
    const auto OneFolderWithAFile = [this](const QStringList& listNot) {
        const QStringList list = Folders();
        return list.size() == 1 && list[0].endsWith(":1") && list != listNot;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return OneFolderWithAFile({}); }, WAIT_MS));
    Kill(editor1);
    const QStringList listKilled = Folders();
    QProcess& editor2 = StartEditor({"--recover"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return OneFolderWithAFile(listKilled); }, WAIT_MS));
    Kill(editor2);
    m_strRecoveryRoot = m_data.path() + "/ZarnEditor/Zarn Editor/recovery";
    const QStringList folders = QDir(m_strRecoveryRoot).entryList({"editor-*"}, QDir::Dirs);
    ASSERT_EQ(folders.size(), 1);
    EXPECT_EQ(Recovered(RecoveryFiles(m_strRecoveryRoot + u'/' + folders[0]).front()),
              strFirst.toUtf8() + "|first.zarn|" + QByteArray::number(EOL_LF) + "|" + first);
    AnswerMessageBoxes({QMessageBox::Yes});
    StartApp();
    ASSERT_EQ(Docs().GetDocuments().size(), 1u);
    EXPECT_TRUE(ActiveDoc()->IsModified());
    EXPECT_TRUE(Docs().DoFileSave(ActiveDoc()));
    EXPECT_EQ(ReadFile(strFirst), first);
    EXPECT_EQ(m_listMessages.size(), 1u);
}

} // namespace
