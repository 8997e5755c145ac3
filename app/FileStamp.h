// FileStamp: what identifies one state of a file on disk, so that a file the editor read or
// wrote itself is told apart from one that another program changed, replaced or deleted.
#pragma once

#include <cstdint>
#include <sys/stat.h>

#include <QFile>
#include <QString>

// Device, inode, size and modification time to the nanosecond: a file replaced by a rename
// has another inode, one rewritten in place another time or size.
struct FileStamp {
    bool bExists = false;
    dev_t nDevice = 0;
    ino_t nInode = 0;
    off_t nSize = 0;
    int64_t nModifiedNs = 0;

    // The file at strPath now (through symbolic links); a path that names nothing gives the
    // stamp of a missing file.
    static FileStamp Of(const QString& strPath) {
        FileStamp stamp;
        struct stat st;
        if (strPath.isEmpty() || ::stat(QFile::encodeName(strPath).constData(), &st) != 0)
            return stamp;
        stamp.bExists = true;
        stamp.nDevice = st.st_dev;
        stamp.nInode = st.st_ino;
        stamp.nSize = st.st_size;
        stamp.nModifiedNs =
            static_cast<int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
        return stamp;
    }

    bool operator==(const FileStamp&) const = default;
};
