// POSIX implementation of the file seam.
#include "buffer/FileOps.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

int CFileOps::MakeTemp(std::string& strTemplate) {
    return ::mkstemp(strTemplate.data());
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

CFileOps& CFileOps::System() {
    static CFileOps ops;
    return ops;
}

FileResult FileResult::FromErrno(int err) {
    return Failure(std::strerror(err));
}
