// Writes a file so that its old text is never lost and the file stays what it was: as a
// rule a temporary file next to the target, synced to disk, then renamed over it in one
// step; where a new file could not take the old one's place (another owner or group, a
// second link, a directory the user may not write), the file itself is rewritten after a
// synced copy of its old bytes, which puts them back if the save fails.
#pragma once

#include "buffer/FileOps.h"

#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

// What deciding how to save needs to know of the file and of the user who saves it.
struct SaveFacts {
    bool bExists = false;
    mode_t mode = 0; // the file's type and mode bits
    nlink_t nLinks = 1;
    uid_t uidOwner = 0;
    gid_t gidOwner = 0;
    uid_t uidUser = 0;          // effective
    std::vector<gid_t> groups;  // the user's effective and supplementary groups
    bool bMayWriteFile = false; // judged by the system, which knows more than the mode bits
    bool bMayWriteDirectory = false;
};

enum class SaveMethod {
    Replace,     // temporary file and rename
    InPlace,     // copy of the old bytes, then the file itself rewritten
    NotRegular,  // refused: only regular files are replaced
    NotWritable, // refused: the user may not write the file
};

SaveMethod ChooseSaveMethod(const SaveFacts& facts);

class CSafeFileWriter {
public:
    explicit CSafeFileWriter(CFileOps& ops);
    CSafeFileWriter(const CSafeFileWriter&) = delete;
    CSafeFileWriter& operator=(const CSafeFileWriter&) = delete;
    // Unless Commit succeeded: removes the temporary file, or puts the old bytes back.
    ~CSafeFileWriter();

    // Resolves symbolic links to the file that will really be written, decides how to
    // write it, and prepares that: the temporary file ("CRE" and a unique suffix) in the
    // file's directory, or the copy of the old bytes followed by the file's truncation.
    FileResult Begin(const std::string& strPath, bool bMakeBackup);
    // Buffered, except for pieces of kDirectWrite bytes or more, which are written from
    // where they lie; a failure is kept and reported by Commit.
    void Append(std::string_view data) {
        if (data.empty())
            return;
        if (data.size() < kDirectWrite && data.size() <= kChunk - m_nBuffered) {
            std::memcpy(m_pBuffer.get() + m_nBuffered, data.data(), data.size());
            m_nBuffered += data.size();
        } else {
            AppendLarge(data);
        }
    }
    // Append(eol) and Append(line) in one step, for the many short lines of a text.
    void AppendNextLine(std::string_view eol, std::string_view line) {
        const size_t nBytes = eol.size() + line.size();
        if (line.size() >= kDirectWrite || nBytes > kChunk - m_nBuffered) {
            Append(eol);
            Append(line);
            return;
        }
        char* p = m_pBuffer.get() + m_nBuffered;
        for (const char c : eol)
            *p++ = c;
        std::memcpy(p, line.data(), line.size());
        m_nBuffered += nBytes;
    }
    // Flushes and syncs the new text. Replacing: gives the new file the old one's owner,
    // group and mode, makes the backup when asked, renames it over the target and syncs
    // the directory. In place: restores mode bits the writing cleared and removes the copy
    // of the old bytes; on failure puts them back, and says where they are kept when even
    // that fails.
    FileResult Commit();

    static constexpr size_t kDirectWrite = 64 << 10;

    // The target path with ".bak" appended.
    static std::string BackupPath(const std::string& strTarget) { return strTarget + ".bak"; }

private:
    static constexpr size_t kChunk = 1 << 20;

    void AppendLarge(std::string_view data);
    void Flush();
    bool WriteAll(const char* pData, size_t nBytes);
    FileResult Fail(int err);
    FileResult BeginReplace();
    FileResult BeginInPlace(bool bMayWriteDirectory);
    FileResult CopyOldBytes(bool bMayWriteDirectory);
    FileResult PutOldBytesBack(int errSave);
    FileResult CommitReplace();
    FileResult CommitInPlace();
    FileResult MakeBackup(const std::string& strBackup);

    CFileOps& m_ops;
    std::string m_strTarget;
    std::string m_strDirectory;
    std::string m_strTemp;
    int m_fd = -1; // the temporary file, or the target itself in place
    bool m_bMakeBackup = false;
    bool m_bTargetExists = false;
    struct stat m_stTarget {};
    bool m_bInPlace = false;
    std::string m_strOldBytes; // in place: the synced copy of the target's old bytes
    std::unique_ptr<char[]> m_pBuffer;
    size_t m_nBuffered = 0;
    int m_nError = 0; // the first write error, kept until Commit
    bool m_bCommitted = false;
};
