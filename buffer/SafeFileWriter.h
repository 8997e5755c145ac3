// Writes a file so that the old one is never lost: a temporary file next to the target,
// synced to disk, then renamed over it in one step.
#pragma once

#include "buffer/FileOps.h"

#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <sys/stat.h>

class CSafeFileWriter {
public:
    explicit CSafeFileWriter(CFileOps& ops);
    CSafeFileWriter(const CSafeFileWriter&) = delete;
    CSafeFileWriter& operator=(const CSafeFileWriter&) = delete;
    // Removes the temporary file unless Commit succeeded.
    ~CSafeFileWriter();

    // Resolves symbolic links to the file that will really be written and creates the
    // temporary file ("CRE" and a unique suffix) in that file's directory.
    FileResult Begin(const std::string& strPath, bool bMakeBackup);
    // Buffered; a failure is kept and reported by Commit.
    void Append(std::string_view data) {
        if (data.empty())
            return;
        if (data.size() <= kChunk - m_nBuffered) {
            std::memcpy(m_pBuffer.get() + m_nBuffered, data.data(), data.size());
            m_nBuffered += data.size();
        } else {
            AppendLarge(data);
        }
    }
    // Flushes, gives the new file the old one's permissions, syncs it, makes the backup
    // when asked, renames it over the target and syncs the directory.
    FileResult Commit();

    // The target path with ".bak" appended.
    static std::string BackupPath(const std::string& strTarget) { return strTarget + ".bak"; }

private:
    static constexpr size_t kChunk = 1 << 20;

    void AppendLarge(std::string_view data);
    void Flush();
    bool WriteAll(const char* pData, size_t nBytes);
    FileResult Fail(int err);
    FileResult MakeBackup();

    CFileOps& m_ops;
    std::string m_strTarget;
    std::string m_strDirectory;
    std::string m_strTemp;
    int m_fd = -1;
    bool m_bMakeBackup = false;
    bool m_bTargetExists = false;
    struct stat m_stTarget {};
    std::unique_ptr<char[]> m_pBuffer;
    size_t m_nBuffered = 0;
    int m_nError = 0; // the first write error, kept until Commit
    bool m_bCommitted = false;
};
