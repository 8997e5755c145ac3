// What makes a file a records database: its SQLite header marks and its schema.
#pragma once

#include "buffer/FileOps.h"

#include <cstdint>
#include <string>

// "ZARN": the application id that marks a records database among SQLite files.
constexpr int32_t RECORDS_APPLICATION_ID = 0x5A41524E;
// The schema this program reads and writes, kept in the database's user_version.
constexpr int32_t RECORDS_SCHEMA_VERSION = 1;

// Checks the file's first bytes before SQLite sees it, so that a text file, an empty file
// or another program's database is refused without SQLite touching it. A missing file is
// refused too: nothing but "init" creates a records database.
FileResult CheckRecordsFileHeader(const std::string& strPath);

// The reason, in words, for a file whose header marks are (id, version).
FileResult CheckRecordsMarks(int32_t nApplicationId, int32_t nUserVersion);
