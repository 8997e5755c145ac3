// Safe replacement of a file through a synced temporary file and an atomic rename.
#include "buffer/SafeFileWriter.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kMaxLinkHops = 40;

std::string DirectoryOf(const std::string& strPath) {
    const size_t slash = strPath.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return strPath.substr(0, slash);
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

bool CopyFileContents(const std::string& strFrom, const std::string& strTo, mode_t mode) {
    const int in = ::open(strFrom.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    const int out = ::open(strTo.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    bool bOk = out >= 0;
    char chunk[65536];
    while (bOk) {
        const ssize_t n = ::read(in, chunk, sizeof chunk);
        if (n == 0)
            break;
        if (n < 0) {
            bOk = errno == EINTR;
            continue;
        }
        for (ssize_t done = 0; bOk && done < n;) {
            const ssize_t w = ::write(out, chunk + done, static_cast<size_t>(n - done));
            if (w > 0)
                done += w;
            else
                bOk = w < 0 && errno == EINTR;
        }
    }
    if (out >= 0 && ::close(out) != 0)
        bOk = false;
    ::close(in);
    return bOk;
}

mode_t CurrentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

} // namespace

CSafeFileWriter::CSafeFileWriter(CFileOps& ops) : m_ops(ops) {}

CSafeFileWriter::~CSafeFileWriter() {
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
    m_bTargetExists = ::stat(m_strTarget.c_str(), &m_stTarget) == 0;
    m_strDirectory = DirectoryOf(m_strTarget);

    std::string strTemplate = m_strDirectory + "/CREXXXXXX";
    m_fd = m_ops.MakeTemp(strTemplate);
    if (m_fd < 0)
        return Fail(errno);
    m_strTemp = std::move(strTemplate);
    ::fcntl(m_fd, F_SETFD, FD_CLOEXEC);
    m_pBuffer.reset(new char[kChunk]);
    return FileResult::Success();
}

bool CSafeFileWriter::WriteAll(const char* pData, size_t nBytes) {
    while (nBytes > 0) {
        const ssize_t n = m_ops.Write(m_fd, pData, nBytes);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // A write that makes no progress means the device is full.
            m_nError = n < 0 ? errno : ENOSPC;
            return false;
        }
        pData += n;
        nBytes -= static_cast<size_t>(n);
    }
    return true;
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
    if (data.size() >= kChunk) {
        WriteAll(data.data(), data.size());
        return;
    }
    std::memcpy(m_pBuffer.get(), data.data(), data.size());
    m_nBuffered = data.size();
}

FileResult CSafeFileWriter::MakeBackup() {
    const std::string strBackup = BackupPath(m_strTarget);
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
    if (m_nError != 0)
        return Fail(m_nError);

    const mode_t mode = m_bTargetExists ? (m_stTarget.st_mode & 07777) : (0666 & ~CurrentUmask());
    if (::fchmod(m_fd, mode) != 0)
        return Fail(errno);
    if (m_bTargetExists) {
        // Keep the owner where allowed (the superuser), else the group where the user may
        // set it; otherwise the new file simply belongs to the user.
        if (::fchown(m_fd, m_stTarget.st_uid, m_stTarget.st_gid) != 0)
            (void)!::fchown(m_fd, static_cast<uid_t>(-1), m_stTarget.st_gid);
    }
    if (m_ops.Sync(m_fd) != 0)
        return Fail(errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        return Fail(errno);

    if (m_bMakeBackup && m_bTargetExists) {
        if (FileResult result = MakeBackup(); !result) {
            Fail(0);
            return result;
        }
    }
    if (m_ops.Rename(m_strTemp, m_strTarget) != 0)
        return Fail(errno);
    m_bCommitted = true;

    // Make the rename itself durable. The new file is in place either way, so a directory
    // that cannot be synced does not fail the save.
    const int dirFd = ::open(m_strDirectory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return FileResult::Success();
}
