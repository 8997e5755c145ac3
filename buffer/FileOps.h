// The few file-system calls that saving makes, behind one seam so that tests can make a
// single step fail. Each call behaves like its POSIX namesake: -1 and errno on failure.
#pragma once

#include <string>
#include <sys/types.h>

class CFileOps {
public:
    virtual ~CFileOps() = default;

    // Creates and opens a unique file from a template ending in "XXXXXX", like mkstemp.
    virtual int MakeTemp(std::string& strTemplate);
    virtual ssize_t Write(int fd, const void* pData, size_t nBytes);
    virtual int Sync(int fd);
    virtual int Rename(const std::string& from, const std::string& to);

    // The plain POSIX implementation.
    static CFileOps& System();
};

// What a file operation did: success, or the reason it failed in words.
struct FileResult {
    bool bOk = true;
    std::string strError;

    explicit operator bool() const { return bOk; }
    static FileResult Success() { return {}; }
    static FileResult Failure(std::string strWhy) { return {false, std::move(strWhy)}; }
    // A failure whose reason is the system's text for `err`.
    static FileResult FromErrno(int err);
};
