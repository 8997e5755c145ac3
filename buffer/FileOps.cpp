// POSIX implementation of the file seam.
#include "buffer/FileOps.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

int CFileOps::MakeTemp(std::string& strTemplate) {
    return ::mkostemp(strTemplate.data(), O_CLOEXEC);
}

ssize_t CFileOps::Write(int fd, const void* pData, size_t nBytes) {
    return ::write(fd, pData, nBytes);
}

int CFileOps::Sync(int fd) {
    return ::fsync(fd);
}

int CFileOps::Rename(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str());
}

int CFileOps::Access(const std::string& strPath, int nMode) {
    return ::faccessat(AT_FDCWD, strPath.c_str(), nMode, AT_EACCESS);
}

std::string CFileOps::CacheDirectory() {
    // Only an absolute path counts, as the base directory convention asks.
    const char* pszCache = std::getenv("XDG_CACHE_HOME");
    if (pszCache && pszCache[0] == '/')
        return std::string(pszCache) + "/zarneditor";
    const char* pszHome = std::getenv("HOME");
    if (pszHome && pszHome[0] == '/')
        return std::string(pszHome) + "/.cache/zarneditor";
    return {};
}

CFileOps& CFileOps::System() {
    static CFileOps ops;
    return ops;
}

FileResult FileResult::FromErrno(int err) {
    return Failure(std::strerror(err));
}
