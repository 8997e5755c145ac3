// Safe replacement of a file: through a synced temporary file and an atomic rename, or in
// place behind a synced copy of the old bytes where a rename would change what the file is.
#include "buffer/SafeFileWriter.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kMaxLinkHops = 40;
// Room left in a file name for the suffix of the copy of the old bytes.
constexpr size_t kMaxCopyNameStem = 200;

std::string DirectoryOf(const std::string& strPath) {
    const size_t slash = strPath.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return strPath.substr(0, slash);
}

std::string NameOf(const std::string& strPath) {
    const size_t slash = strPath.rfind('/');
    return strPath.substr(slash == std::string::npos ? 0 : slash + 1, kMaxCopyNameStem);
}

// Follows symbolic links at the end of the path, so that saving writes the file a link
// names and keeps the link. A dangling link resolves to the path it points at.
bool ResolveLinks(std::string strPath, std::string& strResolved, int& err) {
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat st;
        if (::lstat(strPath.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            strResolved = std::move(strPath);
            return true;
        }
        char target[PATH_MAX];
        const ssize_t n = ::readlink(strPath.c_str(), target, sizeof target);
        if (n < 0 || n == static_cast<ssize_t>(sizeof target)) {
            err = n < 0 ? errno : ENAMETOOLONG;
            return false;
        }
        std::string strTarget(target, static_cast<size_t>(n));
        strPath = strTarget.front() == '/' ? strTarget : DirectoryOf(strPath) + "/" + strTarget;
    }
    err = ELOOP;
    return false;
}

// 0, or the errno of the write that failed. A write that makes no progress means the
// device is full.
int WriteFully(CFileOps& ops, int fd, const char* pData, size_t nBytes) {
    while (nBytes > 0) {
        const ssize_t n = ops.Write(fd, pData, nBytes);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        pData += n;
        nBytes -= static_cast<size_t>(n);
    }
    return 0;
}

// Copies every byte of fdFrom, from its start whatever its offset, to fdTo's offset.
int CopyBytes(CFileOps& ops, int fdFrom, int fdTo) {
    constexpr size_t kCopyChunk = 1 << 20;
    const std::unique_ptr<char[]> pChunk(new char[kCopyChunk]);
    for (off_t offset = 0;;) {
        const ssize_t n = ::pread(fdFrom, pChunk.get(), kCopyChunk, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : 0;
        if (const int err = WriteFully(ops, fdTo, pChunk.get(), static_cast<size_t>(n)))
            return err;
        offset += n;
    }
}

bool CopyFileContents(const std::string& strFrom, const std::string& strTo, mode_t mode) {
    const int in = ::open(strFrom.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    const int out = ::open(strTo.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    bool bOk = out >= 0 && CopyBytes(CFileOps::System(), in, out) == 0;
    if (out >= 0 && ::close(out) != 0)
        bOk = false;
    ::close(in);
    return bOk;
}

// Makes a new file's name durable.
void SyncDirectory(const std::string& strDirectory) {
    const int dirFd = ::open(strDirectory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

// Creates the directory and any missing parents, private to the user.
int MakeDirectories(const std::string& strPath) {
    for (size_t slash = strPath.find('/', 1);; slash = strPath.find('/', slash + 1)) {
        const std::string strPart = strPath.substr(0, slash);
        if (::mkdir(strPart.c_str(), 0700) != 0 && errno != EEXIST)
            return errno;
        if (slash == std::string::npos)
            return 0;
    }
}

mode_t CurrentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

SaveFacts GatherSaveFacts(const std::string& strTarget, const std::string& strDirectory,
                          CFileOps& ops, struct stat& st) {
    SaveFacts facts;
    facts.bExists = ::stat(strTarget.c_str(), &st) == 0;
    if (facts.bExists) {
        facts.mode = st.st_mode;
        facts.nLinks = st.st_nlink;
        facts.uidOwner = st.st_uid;
        facts.gidOwner = st.st_gid;
    }
    facts.uidUser = ::geteuid();
    facts.groups.resize(static_cast<size_t>(std::max(::getgroups(0, nullptr), 0)));
    const int nGroups = ::getgroups(static_cast<int>(facts.groups.size()), facts.groups.data());
    facts.groups.resize(static_cast<size_t>(std::max(nGroups, 0)));
    facts.groups.push_back(::getegid());
    facts.bMayWriteFile = facts.bExists && ops.Access(strTarget, W_OK) == 0;
    facts.bMayWriteDirectory = ops.Access(strDirectory, W_OK | X_OK) == 0;
    return facts;
}

} // namespace

SaveMethod ChooseSaveMethod(const SaveFacts& facts) {
    if (!facts.bExists)
        return SaveMethod::Replace;
    if (!S_ISREG(facts.mode))
        return SaveMethod::NotRegular;
    if (!facts.bMayWriteFile)
        return SaveMethod::NotWritable;
    // Only the superuser may give a new file another owner, or a group they are not in.
    const bool bPrivileged = facts.uidUser == 0;
    const bool bKeepsOwner = bPrivileged || facts.uidOwner == facts.uidUser;
    const bool bKeepsGroup = bPrivileged || std::find(facts.groups.begin(), facts.groups.end(),
                                                      facts.gidOwner) != facts.groups.end();
    // A rename gives the name a new file: other links would keep the old text.
    if (facts.nLinks == 1 && facts.bMayWriteDirectory && bKeepsOwner && bKeepsGroup)
        return SaveMethod::Replace;
    return SaveMethod::InPlace;
}

CSafeFileWriter::CSafeFileWriter(CFileOps& ops) : m_ops(ops) {}

CSafeFileWriter::~CSafeFileWriter() {
    if (m_bInPlace)
        PutOldBytesBack(0);
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_strTemp.empty() && !m_bCommitted)
        ::unlink(m_strTemp.c_str());
}

FileResult CSafeFileWriter::Fail(int err) {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_strTemp.empty()) {
        ::unlink(m_strTemp.c_str());
        m_strTemp.clear();
    }
    return FileResult::FromErrno(err);
}

FileResult CSafeFileWriter::Begin(const std::string& strPath, bool bMakeBackup) {
    int err = 0;
    if (!ResolveLinks(strPath, m_strTarget, err))
        return Fail(err);
    m_bMakeBackup = bMakeBackup;
    m_strDirectory = DirectoryOf(m_strTarget);
    const SaveFacts facts = GatherSaveFacts(m_strTarget, m_strDirectory, m_ops, m_stTarget);
    m_bTargetExists = facts.bExists;
    switch (ChooseSaveMethod(facts)) {
    case SaveMethod::NotRegular:
        if (S_ISDIR(facts.mode))
            return Fail(EISDIR);
        return FileResult::Failure(REASON_NOT_REGULAR);
    case SaveMethod::NotWritable:
        // Asked again for the reason: a read-only file system is not a permission.
        return Fail(m_ops.Access(m_strTarget, W_OK) != 0 ? errno : EACCES);
    case SaveMethod::InPlace:
        return BeginInPlace(facts.bMayWriteDirectory);
    case SaveMethod::Replace:
        break;
    }
    return BeginReplace();
}

FileResult CSafeFileWriter::BeginReplace() {
    std::string strTemplate = m_strDirectory + "/CREXXXXXX";
    m_fd = m_ops.MakeTemp(strTemplate);
    if (m_fd < 0)
        return Fail(errno);
    m_strTemp = std::move(strTemplate);
    m_pBuffer.reset(new char[kChunk]);
    return FileResult::Success();
}

FileResult CSafeFileWriter::BeginInPlace(bool bMayWriteDirectory) {
    // Not blocking, in case something other than the file checked has taken its name.
    m_fd = ::open(m_strTarget.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (m_fd < 0)
        return Fail(errno);
    if (::fstat(m_fd, &m_stTarget) != 0)
        return Fail(errno);
    if (!S_ISREG(m_stTarget.st_mode)) {
        Fail(0);
        return FileResult::Failure(REASON_NOT_REGULAR);
    }
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
    if (FileResult result = CopyOldBytes(bMayWriteDirectory); !result) {
        Fail(0);
        return result;
    }
    if (::ftruncate(m_fd, 0) != 0) {
        const int err = errno;
        if (!m_bMakeBackup)
            ::unlink(m_strOldBytes.c_str());
        return Fail(err);
    }
    m_bInPlace = true;
    m_pBuffer.reset(new char[kChunk]);
    return FileResult::Success();
}

FileResult CSafeFileWriter::CopyOldBytes(bool bMayWriteDirectory) {
    // The user's backup, when asked for, is the copy; otherwise the copy is made in the
    // file's directory, or where the user's own files may go.
    std::string strDirectory = m_strDirectory;
    int fdCopy = -1;
    int err = 0;
    if (m_bMakeBackup) {
        m_strOldBytes = BackupPath(m_strTarget);
        ::unlink(m_strOldBytes.c_str());
        fdCopy = ::open(m_strOldBytes.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                        m_stTarget.st_mode & 0777);
        err = errno;
    } else {
        if (!bMayWriteDirectory) {
            strDirectory = m_ops.CacheDirectory();
            err = strDirectory.empty() ? ENOENT : MakeDirectories(strDirectory);
        }
        if (err == 0) {
            m_strOldBytes = strDirectory + "/" + NameOf(m_strTarget) + ".CREXXXXXX";
            fdCopy = m_ops.MakeTemp(m_strOldBytes);
            err = errno;
        }
    }
    if (fdCopy >= 0) {
        err = CopyBytes(m_ops, m_fd, fdCopy);
        if (err == 0 && m_ops.Sync(fdCopy) != 0)
            err = errno;
        if (::close(fdCopy) != 0 && err == 0)
            err = errno;
        if (err == 0) {
            SyncDirectory(strDirectory);
            return FileResult::Success();
        }
        ::unlink(m_strOldBytes.c_str());
    }
    m_strOldBytes.clear();
    return FileResult::Failure(
        "cannot keep a copy of the old text in " +
        (strDirectory.empty() ? std::string("a cache directory") : strDirectory) + ": " +
        std::strerror(err));
}

FileResult CSafeFileWriter::PutOldBytesBack(int errSave) {
    int err = 0;
    const int fdCopy = ::open(m_strOldBytes.c_str(), O_RDONLY | O_CLOEXEC);
    if (fdCopy < 0) {
        err = errno;
    } else {
        if (::ftruncate(m_fd, 0) != 0 || ::lseek(m_fd, 0, SEEK_SET) < 0)
            err = errno;
        else
            err = CopyBytes(m_ops, fdCopy, m_fd);
        ::close(fdCopy);
    }
    if (err == 0) {
        ::fchmod(m_fd, m_stTarget.st_mode & 07777);
        if (m_ops.Sync(m_fd) != 0)
            err = errno;
    }
    ::close(m_fd);
    m_fd = -1;
    m_bInPlace = false;
    const std::string strWhy = std::strerror(errSave);
    if (err != 0)
        return FileResult::Failure(strWhy + "; the old text could not be put back (" +
                                   std::strerror(err) + ") and is kept in " + m_strOldBytes);
    if (!m_bMakeBackup)
        ::unlink(m_strOldBytes.c_str());
    return FileResult::Failure(strWhy);
}

bool CSafeFileWriter::WriteAll(const char* pData, size_t nBytes) {
    m_nError = WriteFully(m_ops, m_fd, pData, nBytes);
    return m_nError == 0;
}

void CSafeFileWriter::Flush() {
    if (m_nError == 0 && m_nBuffered > 0)
        WriteAll(m_pBuffer.get(), m_nBuffered);
    m_nBuffered = 0;
}

void CSafeFileWriter::AppendLarge(std::string_view data) {
    Flush();
    if (m_nError != 0)
        return;
    if (data.size() >= kDirectWrite) {
        WriteAll(data.data(), data.size());
        return;
    }
    std::memcpy(m_pBuffer.get(), data.data(), data.size());
    m_nBuffered = data.size();
}

FileResult CSafeFileWriter::MakeBackup(const std::string& strBackup) {
    ::unlink(strBackup.c_str());
    // A hard link costs nothing; where the file system has none, copy.
    if (::link(m_strTarget.c_str(), strBackup.c_str()) == 0)
        return FileResult::Success();
    const int err = errno;
    if (CopyFileContents(m_strTarget, strBackup, m_stTarget.st_mode & 07777))
        return FileResult::Success();
    ::unlink(strBackup.c_str());
    return FileResult::FromErrno(err);
}

FileResult CSafeFileWriter::Commit() {
    Flush();
    return m_bInPlace ? CommitInPlace() : CommitReplace();
}

FileResult CSafeFileWriter::CommitInPlace() {
    if (m_nError != 0)
        return PutOldBytesBack(m_nError);
    // Writing clears the set-user-ID and set-group-ID bits of a file; the owner may set
    // them again.
    struct stat st;
    if (::fstat(m_fd, &st) == 0 && (st.st_mode & 07777) != (m_stTarget.st_mode & 07777))
        ::fchmod(m_fd, m_stTarget.st_mode & 07777);
    if (m_ops.Sync(m_fd) != 0)
        return PutOldBytesBack(errno);
    // After a successful sync, closing has nothing left to report.
    ::close(m_fd);
    m_fd = -1;
    m_bInPlace = false;
    m_bCommitted = true;
    if (!m_bMakeBackup)
        ::unlink(m_strOldBytes.c_str());
    return FileResult::Success();
}

FileResult CSafeFileWriter::CommitReplace() {
    if (m_nError != 0)
        return Fail(m_nError);

    if (m_bTargetExists) {
        // Owner first: changing it clears the set-user-ID and set-group-ID bits. The owner
        // can be kept by the superuser only, the group by its members.
        if (::fchown(m_fd, m_stTarget.st_uid, m_stTarget.st_gid) != 0)
            (void)!::fchown(m_fd, static_cast<uid_t>(-1), m_stTarget.st_gid);
    }
    const mode_t mode = m_bTargetExists ? (m_stTarget.st_mode & 07777) : (0666 & ~CurrentUmask());
    if (::fchmod(m_fd, mode) != 0)
        return Fail(errno);
    if (m_ops.Sync(m_fd) != 0)
        return Fail(errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        return Fail(errno);

    // The backup takes its name only once the new file is in place: a failed rename must
    // neither replace the previous backup nor leave the file with a second link, which
    // would make later saves write through both names.
    const bool bBackup = m_bMakeBackup && m_bTargetExists;
    const std::string strBackup = BackupPath(m_strTarget);
    const std::string strNewBackup = strBackup + ".new";
    if (bBackup) {
        if (FileResult result = MakeBackup(strNewBackup); !result) {
            Fail(0);
            return result;
        }
    }
    if (m_ops.Rename(m_strTemp, m_strTarget) != 0) {
        const int err = errno;
        if (bBackup)
            ::unlink(strNewBackup.c_str());
        return Fail(err);
    }
    m_bCommitted = true;
    if (bBackup)
        ::rename(strNewBackup.c_str(), strBackup.c_str());

    // Make the rename itself durable. The new file is in place either way, so a directory
    // that cannot be synced does not fail the save.
    SyncDirectory(m_strDirectory);
    return FileResult::Success();
}
