// Reading a file in one go, robust against files that change size while being read.
#include "buffer/FileReader.h"

#include "buffer/FileDescriptor.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <sys/sysinfo.h>
#include <unistd.h>

namespace {

bool IsReadOnlyForUser(const std::string& strPath, const struct stat& st) {
    if (::access(strPath.c_str(), W_OK) != 0)
        return true;
    // The superuser may write anything; a file nobody may write is still read-only to them.
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// Why a file of this type is not read; success for a regular file.
FileResult RefusalOfType(mode_t mode) {
    if (S_ISDIR(mode))
        return FileResult::FromErrno(EISDIR);
    if (!S_ISREG(mode))
        return FileResult::Failure(REASON_NOT_REGULAR);
    return FileResult::Success();
}

// Memory and swap together: a file larger than that can never be held, whatever the
// system promises when asked for the block.
size_t MemoryOfTheSystem() {
    struct sysinfo info;
    if (::sysinfo(&info) != 0)
        return SIZE_MAX;
    return (static_cast<size_t>(info.totalram) + info.totalswap) * info.mem_unit;
}

FileResult ReadAll(int fd, size_t nSizeHint, LoadedFile& file) {
    // The size is a hint: read until the end, growing the block if the file grew.
    CBigBlock block(nSizeHint);
    size_t nSize = 0;
    for (;;) {
        if (nSize == block.size()) {
            // Probe with a small read before growing: most files end exactly at their size.
            char probe[4096];
            const ssize_t n = ::read(fd, probe, sizeof probe);
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
        const ssize_t n = ::read(fd, block.data() + nSize, block.size() - nSize);
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
    return FileResult::Success();
}

} // namespace

FileResult ReadWholeFile(const std::string& strPath, LoadedFile& file) {
    // Looked at before opening, which alone can block (a FIFO) or act (some devices); the
    // open does not block either, and what it opened is checked again.
    struct stat st;
    if (::stat(strPath.c_str(), &st) != 0)
        return FileResult::FromErrno(errno);
    if (FileResult result = RefusalOfType(st.st_mode); !result)
        return result;
    FileDescriptor fd(::open(strPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0)
        return FileResult::FromErrno(errno);
    if (::fstat(fd.get(), &st) != 0)
        return FileResult::FromErrno(errno);
    if (FileResult result = RefusalOfType(st.st_mode); !result)
        return result;
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    const size_t nSizeHint = static_cast<size_t>(st.st_size);
    if (nSizeHint > MemoryOfTheSystem())
        return FileResult::Failure(REASON_NO_MEMORY);
    try {
        if (FileResult result = ReadAll(fd.get(), nSizeHint, file); !result)
            return result;
    } catch (const std::bad_alloc&) {
        return FileResult::Failure(REASON_NO_MEMORY);
    }
    file.bReadOnly = IsReadOnlyForUser(strPath, st);
    return FileResult::Success();
}
