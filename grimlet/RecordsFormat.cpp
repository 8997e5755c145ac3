// The header check of records databases, done on the raw bytes of the file.
#include "grimlet/RecordsFormat.h"

#include "buffer/FileDescriptor.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The fixed part of an SQLite file header that the check reads.
constexpr size_t SQLITE_HEADER_SIZE = 100;
constexpr char SQLITE_MAGIC[] = "SQLite format 3"; // with its NUL: 16 bytes
constexpr size_t SQLITE_USER_VERSION_OFFSET = 60;
constexpr size_t SQLITE_APPLICATION_ID_OFFSET = 68;

int32_t BigEndian32(const unsigned char* p) {
    return static_cast<int32_t>((uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) |
                                (uint32_t{p[2]} << 8) | uint32_t{p[3]});
}

// Reads up to `nWanted` bytes from the start of the file; -1 and errno on failure.
ssize_t ReadStart(int fd, unsigned char* pOut, size_t nWanted) {
    size_t nDone = 0;
    while (nDone < nWanted) {
        const ssize_t n = ::read(fd, pOut + nDone, nWanted - nDone);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        nDone += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(nDone);
}

} // namespace

FileResult CheckRecordsMarks(int32_t nApplicationId, int32_t nUserVersion) {
    if (nApplicationId != RECORDS_APPLICATION_ID)
        return FileResult::Failure("an SQLite database of another program, not a records "
                                   "database");
    if (nUserVersion > RECORDS_SCHEMA_VERSION)
        return FileResult::Failure("a records database of a newer schema (version " +
                                   std::to_string(nUserVersion) + "), this grimlet knows " +
                                   std::to_string(RECORDS_SCHEMA_VERSION));
    if (nUserVersion < 1)
        return FileResult::Failure("a damaged records database (no schema version)");
    return FileResult::Success();
}

FileResult CheckRecordsFileHeader(const std::string& strPath) {
    const FileDescriptor fd(::open(strPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0)
        return FileResult::FromErrno(errno);
    struct stat st;
    if (::fstat(fd.get(), &st) != 0)
        return FileResult::FromErrno(errno);
    if (!S_ISREG(st.st_mode))
        return FileResult::Failure(S_ISDIR(st.st_mode) ? "a directory, not a records database"
                                                       : "not a regular file");
    unsigned char header[SQLITE_HEADER_SIZE];
    const ssize_t n = ReadStart(fd.get(), header, sizeof header);
    if (n < 0)
        return FileResult::FromErrno(errno);
    if (n == 0)
        return FileResult::Failure("an empty file, not a records database");
    if (static_cast<size_t>(n) < sizeof header ||
        std::memcmp(header, SQLITE_MAGIC, sizeof SQLITE_MAGIC) != 0)
        return FileResult::Failure("not a records database");
    return CheckRecordsMarks(BigEndian32(header + SQLITE_APPLICATION_ID_OFFSET),
                             BigEndian32(header + SQLITE_USER_VERSION_OFFSET));
}
