// The records database over SQLite: a rollback journal synced in full (also for a database
// another program left in write-ahead-log mode), one transaction per operation, and the checks
// that keep every other file untouched.
#include "grimlet/RecordsDb.h"

#include "grimlet/RecordNumber.h"
#include "grimlet/RecordsFormat.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Long enough for a concurrent add to finish; short enough that a stuck lock is reported.
constexpr int RECORDS_BUSY_TIMEOUT_MS = 5000;

constexpr const char RECORDS_SCHEMA_SQL[] =
    "CREATE TABLE records (record TEXT PRIMARY KEY NOT NULL, source BLOB NOT NULL)";

class CStatement {
public:
    CStatement(sqlite3* pDb, const char* pszSql) {
        m_rc = sqlite3_prepare_v2(pDb, pszSql, -1, &m_pStmt, nullptr);
    }
    CStatement(const CStatement&) = delete;
    CStatement& operator=(const CStatement&) = delete;
    ~CStatement() { sqlite3_finalize(m_pStmt); }

    bool IsPrepared() const { return m_rc == SQLITE_OK && m_pStmt != nullptr; }
    sqlite3_stmt* get() const { return m_pStmt; }

private:
    sqlite3_stmt* m_pStmt = nullptr;
    int m_rc = SQLITE_ERROR;
};

std::string ColumnBytes(sqlite3_stmt* pStmt, int nColumn) {
    const void* pData = sqlite3_column_blob(pStmt, nColumn);
    const int nBytes = sqlite3_column_bytes(pStmt, nColumn);
    return pData ? std::string(static_cast<const char*>(pData), static_cast<size_t>(nBytes))
                 : std::string();
}

} // namespace

CRecordsDb::~CRecordsDb() {
    // Closing with a transaction still open rolls it back.
    sqlite3_close_v2(m_pDb);
}

FileResult CRecordsDb::Failure(const char* pszWhat) {
    const int rc = m_pDb ? sqlite3_extended_errcode(m_pDb) : SQLITE_CANTOPEN;
    const std::string strDetail = m_pDb ? sqlite3_errmsg(m_pDb) : sqlite3_errstr(rc);
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return FileResult::Failure(std::string(pszWhat) + ": the database stayed locked by " +
                                   "another program for " +
                                   std::to_string(RECORDS_BUSY_TIMEOUT_MS / 1000) + " seconds");
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return FileResult::Failure(std::string(pszWhat) + ": a damaged records database (" +
                                   strDetail + ")");
    default:
        return FileResult::Failure(std::string(pszWhat) + ": " + strDetail);
    }
}

FileResult CRecordsDb::Exec(const char* pszSql, const char* pszWhat) {
    if (sqlite3_exec(m_pDb, pszSql, nullptr, nullptr, nullptr) != SQLITE_OK)
        return Failure(pszWhat);
    return FileResult::Success();
}

FileResult CRecordsDb::PragmaInt(const char* pszSql, long long& nValue) {
    CStatement stmt(m_pDb, pszSql);
    if (!stmt.IsPrepared() || sqlite3_step(stmt.get()) != SQLITE_ROW)
        return Failure("cannot read the database");
    nValue = sqlite3_column_int64(stmt.get(), 0);
    return FileResult::Success();
}

FileResult CRecordsDb::Create(const std::string& strPath) {
    const int fd = ::open(strPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (errno == EEXIST)
            return FileResult::Failure("already exists (init never overwrites a file)");
        return FileResult::FromErrno(errno);
    }
    ::close(fd);

    FileResult result;
    {
        CRecordsDb db;
        db.m_strPath = strPath;
        if (sqlite3_open_v2(strPath.c_str(), &db.m_pDb, SQLITE_OPEN_READWRITE, nullptr) !=
            SQLITE_OK) {
            result = db.Failure("cannot open the new database");
        } else {
            const std::string strSetUp =
                "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL; BEGIN IMMEDIATE; "
                "PRAGMA application_id=" +
                std::to_string(RECORDS_APPLICATION_ID) +
                "; PRAGMA user_version=" + std::to_string(RECORDS_SCHEMA_VERSION) + "; " +
                RECORDS_SCHEMA_SQL + "; COMMIT;";
            result = db.Exec(strSetUp.c_str(), "cannot set up the new database");
        }
    }
    // Half a database is no database: leave nothing behind.
    if (!result)
        ::unlink(strPath.c_str());
    return result;
}

FileResult CRecordsDb::Open(const std::string& strPath, bool bWrite) {
    if (FileResult result = CheckRecordsFileHeader(strPath); !result)
        return result;
    m_strPath = strPath;
    // Without SQLITE_OPEN_CREATE a path that vanished since the check stays missing. A
    // write-protected file opens for reading only, and a write then fails with the reason.
    if (sqlite3_open_v2(strPath.c_str(), &m_pDb, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        return Failure("cannot open");
    sqlite3_busy_timeout(m_pDb, RECORDS_BUSY_TIMEOUT_MS);
    if (FileResult result = Exec("PRAGMA synchronous=FULL", "cannot open"); !result)
        return result;
    if (!bWrite)
        return Exec("PRAGMA query_only=1", "cannot open");
    return UseRollbackJournal();
}

// A database that another program switched to a write-ahead log is switched back before it is
// written: the log does not work where a records file may live, on a network share.
FileResult CRecordsDb::UseRollbackJournal() {
    CStatement stmt(m_pDb, "PRAGMA journal_mode=DELETE");
    if (!stmt.IsPrepared() || sqlite3_step(stmt.get()) != SQLITE_ROW)
        return Failure("cannot set the rollback journal");
    const auto* pszMode = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0));
    const std::string strMode = pszMode != nullptr ? pszMode : "";
    if (strMode != "delete")
        return FileResult::Failure("cannot turn its write-ahead log (journal mode \"" + strMode +
                                   "\") back into a rollback journal while another program "
                                   "has the database open");
    return FileResult::Success();
}

FileResult CRecordsDb::CheckInsideTransaction() {
    long long nApplicationId = 0;
    long long nUserVersion = 0;
    long long nPageSize = 0;
    long long nPageCount = 0;
    if (FileResult result = PragmaInt("PRAGMA application_id", nApplicationId); !result)
        return result;
    if (FileResult result = PragmaInt("PRAGMA user_version", nUserVersion); !result)
        return result;
    if (FileResult result = CheckRecordsMarks(static_cast<int32_t>(nApplicationId),
                                              static_cast<int32_t>(nUserVersion));
        !result)
        return result;
    if (FileResult result = PragmaInt("PRAGMA page_size", nPageSize); !result)
        return result;
    if (FileResult result = PragmaInt("PRAGMA page_count", nPageCount); !result)
        return result;
    // The lock taken by the reads above keeps every writer out of the file, so its size is
    // the committed one: a shorter file lost pages that the database still counts on.
    struct stat st;
    if (::stat(m_strPath.c_str(), &st) != 0)
        return FileResult::FromErrno(errno);
    const long long nExpected = nPageSize * nPageCount;
    if (st.st_size < nExpected)
        return FileResult::Failure(
            "a damaged records database (truncated: " + std::to_string(st.st_size) + " bytes of " +
            std::to_string(nExpected) + ")");
    if (!CStatement(m_pDb, "SELECT record, source FROM records LIMIT 0").IsPrepared())
        return FileResult::Failure("a damaged records database (no table of records)");
    return FileResult::Success();
}

FileResult CRecordsDb::Begin(bool bWrite) {
    if (FileResult result = Exec(bWrite ? "BEGIN IMMEDIATE" : "BEGIN", "cannot begin"); !result)
        return result;
    FileResult result = CheckInsideTransaction();
    if (!result)
        Rollback();
    return result;
}

FileResult CRecordsDb::Commit() {
    if (sqlite3_exec(m_pDb, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK)
        return FileResult::Success();
    return FailAndRollback("cannot commit");
}

void CRecordsDb::Rollback() {
    if (!sqlite3_get_autocommit(m_pDb))
        sqlite3_exec(m_pDb, "ROLLBACK", nullptr, nullptr, nullptr);
}

FileResult CRecordsDb::FailAndRollback(const char* pszWhat) {
    FileResult result = Failure(pszWhat);
    Rollback();
    return result;
}

FileResult CRecordsDb::Read(const std::string& strRecord, std::string& strSource, bool& bFound) {
    if (FileResult result = Begin(false); !result)
        return result;
    CStatement stmt(m_pDb, "SELECT source FROM records WHERE record = ?1");
    if (!stmt.IsPrepared() ||
        sqlite3_bind_text(stmt.get(), 1, strRecord.data(), static_cast<int>(strRecord.size()),
                          SQLITE_STATIC) != SQLITE_OK)
        return FailAndRollback("cannot read the record");
    const int rc = sqlite3_step(stmt.get());
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        return FailAndRollback("cannot read the record");
    bFound = rc == SQLITE_ROW;
    strSource = bFound ? ColumnBytes(stmt.get(), 0) : std::string();
    sqlite3_reset(stmt.get());
    return Commit();
}

FileResult CRecordsDb::Store(const std::string& strRecord, std::string_view source,
                             bool& bReplaced) {
    if (FileResult result = Begin(true); !result)
        return result;
    CStatement find(m_pDb, "SELECT 1 FROM records WHERE record = ?1");
    if (!find.IsPrepared() ||
        sqlite3_bind_text(find.get(), 1, strRecord.data(), static_cast<int>(strRecord.size()),
                          SQLITE_STATIC) != SQLITE_OK)
        return FailAndRollback("cannot look up the record");
    const int rcFind = sqlite3_step(find.get());
    if (rcFind != SQLITE_ROW && rcFind != SQLITE_DONE)
        return FailAndRollback("cannot look up the record");
    bReplaced = rcFind == SQLITE_ROW;
    sqlite3_reset(find.get());

    CStatement put(m_pDb, "INSERT INTO records (record, source) VALUES (?1, ?2) "
                          "ON CONFLICT (record) DO UPDATE SET source = excluded.source");
    if (!put.IsPrepared() ||
        sqlite3_bind_text(put.get(), 1, strRecord.data(), static_cast<int>(strRecord.size()),
                          SQLITE_STATIC) != SQLITE_OK ||
        sqlite3_bind_blob64(put.get(), 2, source.empty() ? "" : source.data(), source.size(),
                            SQLITE_STATIC) != SQLITE_OK ||
        sqlite3_step(put.get()) != SQLITE_DONE)
        return FailAndRollback("cannot store the record");
    return Commit();
}

FileResult CRecordsDb::List(std::vector<std::string>& records) {
    if (FileResult result = Begin(false); !result)
        return result;
    CStatement stmt(m_pDb, "SELECT record FROM records");
    if (!stmt.IsPrepared())
        return FailAndRollback("cannot list the records");
    records.clear();
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW)
        records.push_back(ColumnBytes(stmt.get(), 0));
    if (rc != SQLITE_DONE)
        return FailAndRollback("cannot list the records");
    std::sort(records.begin(), records.end(),
              [](const std::string& a, const std::string& b) { return RecordNumberLess(a, b); });
    return Commit();
}
