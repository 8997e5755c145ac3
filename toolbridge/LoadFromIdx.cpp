// Load from MAIN.IDX: the two questions, Grimlet's "dump" into a file of our own, and the
// hand-over of the form without writing over the user's work.
#include "toolbridge/LoadFromIdx.h"

#include "app/DocPropertiesDlg.h"
#include "app/RecordNumberDlg.h"
#include "buffer/TextBuffer.h"
#include "toolbridge/FileBytes.h"
#include "toolbridge/GrimletPaths.h"
#include "toolbridge/ToolOutput.h"
#include "toolbridge/ToolRunner.h"
#include "toolbridge/WaitCursor.h"
#include "view/UserPrompts.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRandomGenerator>

namespace {

constexpr char GRIMLET_DUMP[] = "dump";
constexpr char BACKUP_SUFFIX[] = "~";
// Tries at a free name for the dump file before giving up.
constexpr int DUMP_NAME_TRIES = 100;

constexpr char MSG_CANNOT_EXECUTE[] = "Error. Cannot execute Grimlet.exe\n%1";
constexpr char MSG_LOADED[] = " loaded (if form does no exist it is created)\r\n";
constexpr char MSG_FAILED_SILENTLY[] = "Grimlet could not load record %1 and gave no reason.\r\n";
constexpr char MSG_CANNOT_PREPARE[] = "Cannot load record %1 into %2: %3";
constexpr char MSG_NOT_REGULAR[] = "not a regular file";
constexpr char MSG_ASK_REPLACE_TEXT[] =
    "Record %1 in the database differs from the open document %2.\n\n"
    "Replace the document's text with the record from the database? Undo brings the present "
    "text back; the file changes only when the document is saved.";
constexpr char MSG_ASK_REPLACE_FILE[] =
    "The file %1 differs from record %2 in the database.\n\n"
    "Replace the file with the record from the database? The present file is kept as %3.";
constexpr char MSG_READ_ONLY[] = "The document %1 is read-only: its text stays as it is.";
constexpr char MSG_CANNOT_REPLACE[] = "Cannot replace %1: %2";

// Empty when the user cancels: the dialog writes the number only on OK.
QString AskRecordNumber(QWidget* pParent) {
    QString strRecord;
    CRecordNumberDlg dlg(pParent, &strRecord);
    dlg.exec();
    return strRecord;
}

QString ErrnoText(int nError) {
    return QString::fromLocal8Bit(std::strerror(nError));
}

// The file Grimlet writes the form into: a new, hidden file beside the form's file, so that
// moving it into place is one rename. It is removed when it goes out of scope, unless it was
// moved into place.
class CDumpFile {
public:
    CDumpFile() = default;
    CDumpFile(const CDumpFile&) = delete;
    CDumpFile& operator=(const CDumpFile&) = delete;
    ~CDumpFile() {
        if (!m_strPath.isEmpty())
            ::unlink(QFile::encodeName(m_strPath).constData());
    }

    // Created with the permissions of a new file, or those of strTarget where it exists, so
    // that the form keeps them once it is moved there. False with the reason in strError.
    bool Create(const QString& strTarget, QString& strError) {
        const QFileInfo target(strTarget);
        struct stat st;
        const bool bTargetExists = ::stat(QFile::encodeName(strTarget).constData(), &st) == 0;
        for (int i = 0; i < DUMP_NAME_TRIES; ++i) {
            const QString strSuffix =
                QString::number(QRandomGenerator::global()->bounded(0x1000000), 16)
                    .rightJustified(6, u'0');
            const QString strPath =
                target.dir().filePath(QStringLiteral(".%1.%2").arg(target.fileName(), strSuffix));
            const int fd = ::open(QFile::encodeName(strPath).constData(),
                                  O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd < 0 && errno == EEXIST)
                continue;
            if (fd < 0) {
                strError = ErrnoText(errno);
                return false;
            }
            if (bTargetExists && S_ISREG(st.st_mode))
                ::fchmod(fd, st.st_mode & 0777);
            ::close(fd);
            m_strPath = strPath;
            return true;
        }
        strError = ErrnoText(EEXIST);
        return false;
    }

    const QString& GetPath() const { return m_strPath; }

    // Puts the form in the place of strTarget in one step. False with the reason.
    bool MoveTo(const QString& strTarget, QString& strError) {
        if (::rename(QFile::encodeName(m_strPath).constData(),
                     QFile::encodeName(strTarget).constData()) != 0) {
            strError = ErrnoText(errno);
            return false;
        }
        m_strPath.clear();
        return true;
    }

private:
    QString m_strPath;
};

// Whether saving the buffer would write exactly these bytes.
bool BufferSavesAs(const CTextBuffer& buffer, QByteArrayView bytes) {
    const std::string_view eol = EolString(buffer.GetEolStyle());
    std::string_view rest(bytes.data(), static_cast<size_t>(bytes.size()));
    const int nLines = buffer.GetLineCount();
    for (int i = 0; i < nLines; ++i) {
        if (i > 0) {
            if (!rest.starts_with(eol))
                return false;
            rest.remove_prefix(eol.size());
        }
        const std::string_view line = buffer.GetLineView(i);
        if (!rest.starts_with(line))
            return false;
        rest.remove_prefix(line.size());
    }
    return rest.empty();
}

// How the form found its place.
enum class FormPlacement {
    Loaded, // the record is in the document, or in the file that opens next
    Kept,   // the user kept the text or file as it was
    Failed, // the user has been told why
};

// The record is in a document that has the form's file open: the document changes only when
// the user agrees, and its file not at all.
FormPlacement PlaceInOpenDocument(CTextBuffer& buffer, const CDumpFile& dump,
                                  const QString& strFile, const QString& strRecord) {
    QByteArray dumped;
    QString strError;
    if (!ReadFileBytes(dump.GetPath(), dumped, strError)) {
        AfxMessageBox(QString::fromLatin1(MSG_CANNOT_PREPARE).arg(strRecord, strFile, strError),
                      QMessageBox::Ok, QMessageBox::Warning);
        return FormPlacement::Failed;
    }
    if (BufferSavesAs(buffer, dumped))
        return FormPlacement::Loaded;
    const QString strQuestion = QString::fromLatin1(MSG_ASK_REPLACE_TEXT).arg(strRecord, strFile);
    if (AfxMessageBox(strQuestion, QMessageBox::Yes | QMessageBox::No, QMessageBox::Question) !=
        QMessageBox::Yes)
        return FormPlacement::Kept;
    CTextBuffer form;
    if (const FileResult result = form.LoadFile(QFile::encodeName(dump.GetPath()).toStdString());
        !result) {
        AfxMessageBox(QString::fromLatin1(MSG_CANNOT_PREPARE)
                          .arg(strRecord, strFile, QString::fromStdString(result.strError)),
                      QMessageBox::Ok, QMessageBox::Warning);
        return FormPlacement::Failed;
    }
    if (buffer.IsReadOnly()) {
        AfxMessageBox(QString::fromLatin1(MSG_READ_ONLY).arg(strFile), QMessageBox::Ok,
                      QMessageBox::Warning);
        return FormPlacement::Kept;
    }
    // One Undo brings the user's text back; the document keeps its own line ends.
    buffer.ReplaceText(form, EDITACT_REPLACE);
    return FormPlacement::Loaded;
}

// No document has the form's file open: the form moves into place, but a file with other
// bytes there is replaced only when the user agrees, and is kept as <name>~.
FormPlacement PlaceInFile(CDumpFile& dump, const QString& strFile, const QString& strRecord) {
    QString strError;
    const auto fail = [&] {
        AfxMessageBox(QString::fromLatin1(MSG_CANNOT_REPLACE).arg(strFile, strError),
                      QMessageBox::Ok, QMessageBox::Warning);
        return FormPlacement::Failed;
    };
    const QFileInfo existing(strFile);
    if (existing.exists() || existing.isSymLink()) {
        // A pipe or device would block the read below, and is no form to replace.
        if (!existing.isFile()) {
            strError = QString::fromLatin1(MSG_NOT_REGULAR);
            return fail();
        }
        QByteArray present;
        QByteArray dumped;
        if (!ReadFileBytes(strFile, present, strError) ||
            !ReadFileBytes(dump.GetPath(), dumped, strError))
            return fail();
        if (present == dumped)
            return FormPlacement::Loaded;
        const QString strBackup = strFile + QString::fromLatin1(BACKUP_SUFFIX);
        const QString strQuestion =
            QString::fromLatin1(MSG_ASK_REPLACE_FILE).arg(strFile, strRecord, strBackup);
        if (AfxMessageBox(strQuestion, QMessageBox::Yes | QMessageBox::No, QMessageBox::Question) !=
            QMessageBox::Yes)
            return FormPlacement::Kept;
        // A copy, so that the file stays in place until the form takes it in one rename.
        QFile::remove(strBackup);
        QFile presentFile(strFile);
        if (!presentFile.copy(strBackup)) {
            strError = presentFile.errorString();
            return fail();
        }
    }
    if (!dump.MoveTo(strFile, strError))
        return fail();
    return FormPlacement::Loaded;
}

} // namespace

void LoadFromIdx(QWidget* pParent, QPlainTextEdit* pOutput, const FindOpenBufferFn& fnFindOpen,
                 const OpenLoadedFormFn& fnOpen) {
    const QString strDb = PromptIdxFile(pParent);
    if (strDb.isEmpty())
        return;
    const QString strRecord = AskRecordNumber(pParent);
    if (strRecord.isEmpty())
        return;
    QString strError;
    const QString strDir = GetLoadDirectory(strError);
    if (strDir.isEmpty()) {
        AfxMessageBox(strError, QMessageBox::Ok, QMessageBox::Warning);
        return;
    }
    const QString strFile = QDir(strDir).filePath(RecordFileName(strRecord));
    CDumpFile dump;
    if (!dump.Create(strFile, strError)) {
        AfxMessageBox(QString::fromLatin1(MSG_CANNOT_PREPARE).arg(strRecord, strFile, strError),
                      QMessageBox::Ok, QMessageBox::Warning);
        return;
    }

    // Grimlet's report is shown only when it fails; while it runs, the pane keeps its text.
    const QPointer<QPlainTextEdit> pPane(pOutput);
    CToolRunner runner(GetGrimletProgram(),
                       {QString::fromLatin1(GRIMLET_DUMP), strDb, strRecord, dump.GetPath()},
                       nullptr);
    runner.SetKeepOutput(true);
    {
        CWaitCursor wait;
        runner.Run();
    }
    switch (runner.GetResult()) {
    case TOOLRUN_SUCCEEDED:
        break;
    case TOOLRUN_NOT_STARTED:
        AfxMessageBox(QString::fromLatin1(MSG_CANNOT_EXECUTE).arg(GetGrimletProgram()));
        return;
    case TOOLRUN_FAILED: {
        const QString strReport = runner.GetKeptOutput();
        AppendToOutputEdit(pPane,
                           strReport.trimmed().isEmpty()
                               ? QString::fromLatin1(MSG_FAILED_SILENTLY).arg(strRecord)
                               : strReport,
                           true);
        return;
    }
    case TOOLRUN_PENDING:
    case TOOLRUN_CANCELLED:
        return;
    }

    CTextBuffer* pOpenBuffer = fnFindOpen ? fnFindOpen(strFile) : nullptr;
    const FormPlacement placement =
        pOpenBuffer != nullptr ? PlaceInOpenDocument(*pOpenBuffer, dump, strFile, strRecord)
                               : PlaceInFile(dump, strFile, strRecord);
    if (placement == FormPlacement::Failed)
        return;
    if (fnOpen(strFile, strRecord, strDb) && placement == FormPlacement::Loaded)
        AppendToOutputEdit(pPane, strRecord + QString::fromLatin1(MSG_LOADED), true);
}
