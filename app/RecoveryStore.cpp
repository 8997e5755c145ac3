// CRecoveryStore: the editors' recovery folders and locks, and writing and reading recovery
// files.
#include "app/RecoveryStore.h"

#include "buffer/SafeFileWriter.h"
#include "buffer/TextBuffer.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

constexpr char FOLDER_PREFIX[] = "editor-";
constexpr char LOCK_FILE[] = "lock";
constexpr char RECOVERY_SUFFIX[] = ".recovery";
constexpr char MAGIC_LINE[] = "ZarnEditor recovery 1";
// A header is a few short lines; anything longer is not one of ours.
constexpr qint64 MAX_HEADER = 65536;
constexpr qint64 COPY_CHUNK = 1 << 20;

constexpr std::chrono::milliseconds QUIET_TIME{1000};
constexpr std::chrono::milliseconds LATEST{5000};
constexpr int WRITE_TIME_SHARE = 20;

std::string LocalPath(const QString& strPath) {
    return QFile::encodeName(strPath).toStdString();
}

QByteArray MakeHeader(const QString& strOriginalPath, const QString& strTitle, int nEolStyle,
                      qint64 nTextLength) {
    // Percent-encoded, so that no path or title can break a header line.
    QByteArray header(MAGIC_LINE);
    header += "\npath " + QFile::encodeName(strOriginalPath).toPercentEncoding();
    header += "\ntitle " + strTitle.toUtf8().toPercentEncoding();
    header += "\neol " + QByteArray::number(nEolStyle);
    header += "\nlength " + QByteArray::number(nTextLength);
    header += "\n\n";
    return header;
}

FileResult NotARecoveryFile() {
    return FileResult::Failure("not a complete recovery file");
}

// Reads the header of an open recovery file; leaves the file at the text's first byte.
FileResult ReadHeader(QFile& file, RecoveryRecord& record, qint64& nTextLength) {
    const QByteArray start = file.peek(MAX_HEADER);
    const qsizetype nEnd = start.indexOf("\n\n");
    if (nEnd < 0)
        return NotARecoveryFile();
    const QList<QByteArray> lines = start.left(nEnd).split('\n');
    if (lines.size() != 5 || lines[0] != MAGIC_LINE || !lines[1].startsWith("path ") ||
        !lines[2].startsWith("title ") || !lines[3].startsWith("eol ") ||
        !lines[4].startsWith("length "))
        return NotARecoveryFile();
    bool bEolOk = false, bLengthOk = false;
    record.strOriginalPath = QFile::decodeName(QByteArray::fromPercentEncoding(lines[1].mid(5)));
    record.strTitle = QString::fromUtf8(QByteArray::fromPercentEncoding(lines[2].mid(6)));
    record.nEolStyle = lines[3].mid(4).toInt(&bEolOk);
    nTextLength = lines[4].mid(7).toLongLong(&bLengthOk);
    const qint64 nHeader = nEnd + 2;
    if (!bEolOk || !bLengthOk || record.nEolStyle < EOL_CRLF || record.nEolStyle > EOL_LF ||
        file.size() - nHeader != nTextLength)
        return NotARecoveryFile();
    file.seek(nHeader);
    return FileResult::Success();
}

FileResult FileError(const QFile& file) {
    return FileResult::Failure(file.errorString().toStdString());
}

bool RemoveFile(const QString& strPath) {
    return ::unlink(LocalPath(strPath).c_str()) == 0 || errno == ENOENT;
}

} // namespace

std::chrono::steady_clock::time_point
RecoveryWriteDue(std::chrono::steady_clock::time_point tFirstUnwritten,
                 std::chrono::steady_clock::time_point tLastChange,
                 std::chrono::steady_clock::duration lastWrite) {
    const std::chrono::steady_clock::duration latest =
        std::max<std::chrono::steady_clock::duration>(LATEST, WRITE_TIME_SHARE * lastWrite);
    return std::min(tLastChange + QUIET_TIME, tFirstUnwritten + latest);
}

CRecoveryStore::CRecoveryStore(QString strRoot) : m_strRoot(std::move(strRoot)) {}

CRecoveryStore::~CRecoveryStore() {
    if (IsOpen())
        RemoveFolder(m_own);
    for (LockedFolder& folder : m_lstTaken)
        ::close(folder.fdLock);
}

QString CRecoveryStore::DefaultRoot() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/recovery");
}

int CRecoveryStore::LockFolder(const QString& strFolder) {
    const std::string strLock = LocalPath(strFolder + u'/' + QLatin1String(LOCK_FILE));
    const int fd = ::open(strLock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    // Locks of two descriptors exclude each other even within one process.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void CRecoveryStore::RemoveFolder(LockedFolder& folder) {
    // The lock goes last: until the folder is gone nobody else may take it.
    QDir dir(folder.strPath);
    for (const QString& strName : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (strName != QLatin1String(LOCK_FILE))
            RemoveFile(dir.filePath(strName));
    }
    RemoveFile(dir.filePath(QLatin1String(LOCK_FILE)));
    ::rmdir(LocalPath(folder.strPath).c_str());
    if (folder.fdLock >= 0)
        ::close(folder.fdLock);
    folder.fdLock = -1;
}

FileResult CRecoveryStore::Open() {
    if (!QDir().mkpath(m_strRoot))
        return FileResult::Failure("cannot make " + LocalPath(m_strRoot));
    // The folder gets its final name only once it is locked, so that no other editor can
    // take it for one left behind while it is being made.
    std::string strTemplate = LocalPath(m_strRoot) + "/.new-XXXXXX";
    if (!::mkdtemp(strTemplate.data()))
        return FileResult::FromErrno(errno);
    const QString strNew = QFile::decodeName(strTemplate.c_str());
    const int fd = LockFolder(strNew);
    if (fd < 0) {
        const int err = errno;
        LockedFolder made{strNew, -1};
        RemoveFolder(made);
        return FileResult::FromErrno(err);
    }
    const QString strFinal =
        m_strRoot + u'/' + QLatin1String(FOLDER_PREFIX) + QFileInfo(strNew).fileName().mid(5);
    if (::rename(strTemplate.c_str(), LocalPath(strFinal).c_str()) != 0) {
        const int err = errno;
        LockedFolder made{strNew, fd};
        RemoveFolder(made);
        return FileResult::FromErrno(err);
    }
    m_own = {strFinal, fd};
    return FileResult::Success();
}

QString CRecoveryStore::NewFileName(const QString& strTitle) {
    QString strName = strTitle;
    strName.replace(u'/', u'_');
    return m_own.strPath + u'/' + strName + u'.' + QString::number(m_nNextFile++) +
           QLatin1String(RECOVERY_SUFFIX);
}

FileResult CRecoveryStore::Write(const QString& strFile, const CTextBuffer& buffer,
                                 const QString& strOriginalPath, const QString& strTitle) const {
    const int nLines = buffer.GetLineCount();
    const std::string_view eol = EolString(buffer.GetEolStyle());
    qint64 nLength = static_cast<qint64>(eol.size()) * std::max(nLines - 1, 0);
    for (int i = 0; i < nLines; ++i)
        nLength += buffer.GetLineLength(i);

    CSafeFileWriter writer(CFileOps::System());
    if (FileResult result = writer.Begin(LocalPath(strFile), false); !result)
        return result;
    const QByteArray header = MakeHeader(strOriginalPath, strTitle, buffer.GetEolStyle(), nLength);
    writer.Append({header.constData(), static_cast<size_t>(header.size())});
    for (int i = 0; i < nLines; ++i) {
        writer.Append(buffer.GetLineView(i));
        if (i + 1 < nLines)
            writer.Append(eol);
    }
    return writer.Commit();
}

void CRecoveryStore::Remove(const QString& strFile) {
    RemoveFile(strFile);
}

std::vector<RecoveryRecord> CRecoveryStore::TakeAbandoned() {
    std::vector<RecoveryRecord> records;
    const QDir root(m_strRoot);
    const QFileInfoList folders =
        root.entryInfoList({QLatin1String(FOLDER_PREFIX) + u'*'}, QDir::Dirs, QDir::Time);
    // Oldest first: the order in which the documents were lost.
    for (auto it = folders.crbegin(); it != folders.crend(); ++it) {
        const QString strFolder = it->absoluteFilePath();
        if (strFolder == m_own.strPath)
            continue;
        LockedFolder folder{strFolder, LockFolder(strFolder)};
        if (folder.fdLock < 0)
            continue;
        const QDir dir(strFolder);
        const size_t nBefore = records.size();
        for (const QString& strName :
             dir.entryList({u'*' + QLatin1String(RECOVERY_SUFFIX)}, QDir::Files, QDir::Name)) {
            RecoveryRecord record;
            // A file that is not a whole recovery file is left out, and goes with its folder.
            if (ReadRecord(dir.filePath(strName), record))
                records.push_back(std::move(record));
        }
        if (records.size() == nBefore)
            RemoveFolder(folder);
        else
            m_lstTaken.push_back(folder);
    }
    return records;
}

void CRecoveryStore::Release(const std::vector<RecoveryRecord>& listDone) {
    for (const RecoveryRecord& record : listDone)
        RemoveFile(record.strFile);
    for (LockedFolder& folder : m_lstTaken) {
        if (QDir(folder.strPath)
                .entryList({u'*' + QLatin1String(RECOVERY_SUFFIX)}, QDir::Files)
                .isEmpty())
            RemoveFolder(folder);
        else
            ::close(folder.fdLock);
    }
    m_lstTaken.clear();
}

FileResult CRecoveryStore::ReadRecord(const QString& strFile, RecoveryRecord& record) {
    QFile file(strFile);
    if (!file.open(QIODevice::ReadOnly))
        return FileError(file);
    qint64 nTextLength = 0;
    record.strFile = strFile;
    return ReadHeader(file, record, nTextLength);
}

FileResult CRecoveryStore::ExtractText(const RecoveryRecord& record, const QString& strTextFile) {
    QFile in(record.strFile);
    if (!in.open(QIODevice::ReadOnly))
        return FileError(in);
    RecoveryRecord header;
    qint64 nLeft = 0;
    if (FileResult result = ReadHeader(in, header, nLeft); !result)
        return result;
    QFile out(strTextFile);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return FileError(out);
    while (nLeft > 0) {
        const QByteArray chunk = in.read(std::min(nLeft, COPY_CHUNK));
        if (chunk.isEmpty())
            return in.error() != QFileDevice::NoError ? FileError(in) : NotARecoveryFile();
        if (out.write(chunk) != chunk.size())
            return FileError(out);
        nLeft -= chunk.size();
    }
    if (!out.flush())
        return FileError(out);
    return FileResult::Success();
}
