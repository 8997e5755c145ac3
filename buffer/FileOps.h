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
    // Whether this process may access the path, judged by its effective ids (faccessat
    // with AT_EACCESS).
    virtual int Access(const std::string& strPath, int nMode);
    // Where a save keeps the old bytes of a file whose own directory cannot take them:
    // $XDG_CACHE_HOME/zarneditor, else $HOME/.cache/zarneditor; empty when neither is set.
    virtual std::string CacheDirectory();

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

// Reasons of refusals that have no errno of their own.
constexpr char REASON_NOT_REGULAR[] = "not a regular file";
constexpr char REASON_NO_MEMORY[] = "not enough memory";
