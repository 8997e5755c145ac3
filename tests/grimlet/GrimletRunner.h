// Helpers of the grimlet tests: the built program run on real files, and a test with a records
// database of its own.
#pragma once

#include "tests/support/TempFiles.h"

#include <string>
#include <sys/types.h>
#include <vector>

#include <gtest/gtest.h>

struct GrimletRun {
    int nExit = -1; // the exit status, or -1 when the program did not exit normally
    std::string strOut;
    std::string strErr;
};

// Runs the grimlet built next to the editor with these arguments and waits for it.
GrimletRun RunGrimlet(const std::vector<std::string>& args);
// Starts it with its output discarded; WaitForExit collects it.
pid_t StartGrimlet(const std::vector<std::string>& args);
// The exit status of a child process, or -1 when it did not exit normally.
int WaitForExit(pid_t pid);
// A refusal: exit status 1, nothing on standard output, and one line on standard error that
// starts with `report` (and so equals it when `report` ends the line).
void ExpectRefused(const GrimletRun& run, const std::string& report);
// Runs these SQL statements on the database file, with SQLite directly.
void ExecSql(const std::string& path, const std::string& sql);
// The result of SQLite's own "PRAGMA integrity_check" on the file ("ok" when sound).
std::string IntegrityCheck(const std::string& path);

// A scratch directory holding an empty records database, m_db.
class GrimletTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(RunGrimlet({"init", m_db}).nExit, 0); }

    std::string File(const std::string& name) const { return m_dir.File(name); }
    // Writes `source` to the file `name` and adds it to m_db, its comments kept unless bStrip.
    GrimletRun Add(const std::string& name, const std::string& source, bool bStrip = false);
    // Dumps `record` of db into a file and returns what was written; a failed dump fails the test.
    std::string Dump(const std::string& record, const std::string& db = {});
    // The listing of m_db; a failed listing fails the test.
    std::string List() const;

    TempDir m_dir;
    const std::string m_db = m_dir.File("MAIN.IDX");
};
