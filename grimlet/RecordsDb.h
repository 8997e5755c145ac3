// The records database: one SQLite file holding the Zarn source of each form by record number.
#pragma once

#include "buffer/FileOps.h"

#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

// One open records database. Every operation is one transaction: a failure leaves the file
// as it was. Results carry the reason only; the caller names the file.
class CRecordsDb {
public:
    CRecordsDb() = default;
    CRecordsDb(const CRecordsDb&) = delete;
    CRecordsDb& operator=(const CRecordsDb&) = delete;
    ~CRecordsDb();

    // Makes a new, empty records database at a path where no file exists yet.
    static FileResult Create(const std::string& strPath);

    // Opens an existing records database; never creates a file. Anything else (a text
    // file, an empty file, another program's database) is refused untouched. A read-only
    // handle refuses to write even when the file allows it; a handle for writing turns a
    // write-ahead log back into the rollback journal first.
    FileResult Open(const std::string& strPath, bool bWrite);

    // The stored source of a record; bFound is false (and strSource empty) without one.
    FileResult Read(const std::string& strRecord, std::string& strSource, bool& bFound);
    // Stores a record's source, replacing an older version; bReplaced tells which it was.
    FileResult Store(const std::string& strRecord, std::string_view source, bool& bReplaced);
    // Every record number, in record order.
    FileResult List(std::vector<std::string>& records);

private:
    FileResult Exec(const char* pszSql, const char* pszWhat);
    FileResult Failure(const char* pszWhat);
    FileResult Begin(bool bWrite);
    FileResult CheckInsideTransaction();
    FileResult Commit();
    void Rollback();
    // The failure with SQLite's reason, read before the rollback clears it; then the rollback.
    FileResult FailAndRollback(const char* pszWhat);
    FileResult PragmaInt(const char* pszSql, long long& nValue);
    FileResult UseRollbackJournal();

    sqlite3* m_pDb = nullptr;
    std::string m_strPath;
};
