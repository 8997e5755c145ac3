// Reading a file in one go, robust against files that change size while being read.
#include "buffer/FileReader.h"

#include "buffer/FileDescriptor.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsReadOnlyForUser(const std::string& strPath, const struct stat& st) {
    if (::access(strPath.c_str(), W_OK) != 0)
        return true;
    // The superuser may write anything; a file nobody may write is still read-only to them.
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

} // namespace

FileResult ReadWholeFile(const std::string& strPath, LoadedFile& file) {
    FileDescriptor fd(::open(strPath.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return FileResult::FromErrno(errno);
    struct stat st;
    if (::fstat(fd.get(), &st) != 0)
        return FileResult::FromErrno(errno);
    if (S_ISDIR(st.st_mode))
        return FileResult::FromErrno(EISDIR);
    ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    // The size is a hint: read until the end, growing the block if the file grew.
    CBigBlock block(st.st_size > 0 ? static_cast<size_t>(st.st_size) : 0);
    size_t nSize = 0;
    for (;;) {
        if (nSize == block.size()) {
            // Probe with a small read before growing: most files end exactly at their size.
            char probe[4096];
            const ssize_t n = ::read(fd.get(), probe, sizeof probe);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return FileResult::FromErrno(errno);
            }
            if (n == 0)
                break;
            block.Resize(block.size() + block.size() / 2 + sizeof probe);
            std::memcpy(block.data() + nSize, probe, static_cast<size_t>(n));
            nSize += static_cast<size_t>(n);
            continue;
        }
        const ssize_t n = ::read(fd.get(), block.data() + nSize, block.size() - nSize);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return FileResult::FromErrno(errno);
        }
        if (n == 0)
            break;
        nSize += static_cast<size_t>(n);
    }

    file.block = std::move(block);
    file.nSize = nSize;
    file.bReadOnly = IsReadOnlyForUser(strPath, st);
    return FileResult::Success();
}
