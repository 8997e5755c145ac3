// Files that are not records databases, and paths that do not exist, are refused untouched.
#include "GrimletRunner.h"

#include <algorithm>
#include <filesystem>
#include <sqlite3.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

// A database of some other program, made with SQLite directly.
void MakeForeignDatabase(const std::string& path, int applicationId, int userVersion,
                         bool withRecordsTable) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    const std::string sql =
        "PRAGMA application_id=" + std::to_string(applicationId) +
        "; PRAGMA user_version=" + std::to_string(userVersion) +
        (withRecordsTable ? "; CREATE TABLE records (record TEXT PRIMARY KEY, source BLOB)"
                          : "; CREATE TABLE people (name TEXT)") +
        "; INSERT INTO " + (withRecordsTable ? "records" : "people") + " VALUES ('1'" +
        (withRecordsTable ? ", 'x'" : "") + ");";
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

// A records database with enough records to fill many pages.
std::string MakeFullDatabase(const TempDir& dir) {
    std::vector<std::string> sources;
    for (int i = 1; i <= 20; ++i)
        sources.push_back("; GID " + std::to_string(i) + "\n" + std::string(6000, 'x') + "\n");
    const std::string path = dir.File("full.idx");
    MakeDatabase(dir, path, sources);
    return path;
}

// Runs every command that opens an existing database against `db` and checks that each is
// refused in one line that names the file and mentions `reason`, and that neither the file
// nor its directory changed.
void ExpectEveryCommandRefuses(const TempDir& dir, const std::string& db,
                               const std::string& reason) {
    WriteBytes(dir.File("5.zarn"), "; GID 5\nmat_width 1\n");
    const bool bExists = Exists(db);
    const std::string before = bExists ? ReadBytes(db) : std::string();
    const std::vector<std::string> entries = dir.Entries();
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"add", "-keepComments", db, dir.File("5.zarn")},
             {"add", db, dir.File("5.zarn")},
             {"dump", db, "5", dir.File("dumped.zarn")},
             {"list", db},
         }) {
        const GrimletRun run = RunGrimlet(args);
        EXPECT_EQ(run.nExit, 1) << args[0] << " " << db;
        EXPECT_EQ(run.strOut, "");
        EXPECT_EQ(run.strErr.rfind("grimlet: " + db + ": ", 0), 0u) << run.strErr;
        EXPECT_NE(run.strErr.find(reason), std::string::npos) << run.strErr;
        EXPECT_EQ(std::count(run.strErr.begin(), run.strErr.end(), '\n'), 1) << run.strErr;
        EXPECT_EQ(Exists(db), bExists);
        if (bExists) {
            EXPECT_EQ(ReadBytes(db), before) << args[0] << " changed " << db;
        }
        EXPECT_EQ(dir.Entries(), entries) << args[0] << " left files behind";
    }
}

TEST(GrimletRefusal, ATextFileIsNotARecordsDatabase) {
    TempDir dir;
    WriteBytes(dir.File("MAIN.IDX"), "; GID 1\nmat_width 100\n");
    ExpectEveryCommandRefuses(dir, dir.File("MAIN.IDX"), "not a records database");
    // Long enough to hold a whole SQLite header, but still text.
    WriteBytes(dir.File("long.idx"), std::string(5000, 'a'));
    ExpectEveryCommandRefuses(dir, dir.File("long.idx"), "not a records database");
}

TEST(GrimletRefusal, AnEmptyFileIsNotARecordsDatabase) {
    TempDir dir;
    WriteBytes(dir.File("MAIN.IDX"), "");
    ExpectEveryCommandRefuses(dir, dir.File("MAIN.IDX"), "an empty file");
}

TEST(GrimletRefusal, AnotherProgramsDatabaseIsRefused) {
    TempDir dir;
    MakeForeignDatabase(dir.File("other.db"), 0, 0, false);
    ExpectEveryCommandRefuses(dir, dir.File("other.db"), "of another program");
    // Even one that happens to have a table of the same name.
    MakeForeignDatabase(dir.File("lookalike.db"), 42, 1, true);
    ExpectEveryCommandRefuses(dir, dir.File("lookalike.db"), "of another program");
}

TEST(GrimletRefusal, ADatabaseOfANewerSchemaIsRefused) {
    TempDir dir;
    MakeForeignDatabase(dir.File("newer.idx"), 0x5A41524E, 2, true);
    ExpectEveryCommandRefuses(dir, dir.File("newer.idx"), "newer schema (version 2)");
}

TEST(GrimletRefusal, ATruncatedDatabaseIsRefused) {
    TempDir dir;
    const std::string full = ReadBytes(MakeFullDatabase(dir));
    ASSERT_GT(full.size(), 16384u);
    // Cut at a page boundary, inside a page, and inside the header.
    for (const size_t size : {size_t{8192}, full.size() - 1000, size_t{60}}) {
        const std::string path = dir.File("cut-" + std::to_string(size) + ".idx");
        WriteBytes(path, full.substr(0, size));
        ExpectEveryCommandRefuses(dir, path, size < 100 ? "not a records database" : "damaged");
    }
}

TEST(GrimletRefusal, AMissingDatabaseIsRefusedAndNotCreated) {
    TempDir dir;
    ExpectEveryCommandRefuses(dir, dir.File("MAIN.IDX"), "No such file or directory");
    EXPECT_FALSE(Exists(dir.File("MAIN.IDX-journal")));
    ExpectEveryCommandRefuses(dir, dir.File("nowhere/MAIN.IDX"), "No such file or directory");
    EXPECT_FALSE(Exists(dir.File("nowhere")));
}

TEST(GrimletRefusal, InitNeverOverwritesAFile) {
    TempDir dir;
    const std::string db = dir.File("MAIN.IDX");
    MakeDatabase(dir, db, {"; GID 1\nmat_width 1\n"});
    const std::string before = ReadBytes(db);
    WriteBytes(dir.File("notes.txt"), "keep me\n");
    for (const std::string& path : {db, dir.File("notes.txt")}) {
        const GrimletRun run = RunGrimlet({"init", path});
        EXPECT_EQ(run.nExit, 1);
        EXPECT_EQ(run.strErr,
                  "grimlet: " + path + ": already exists (init never overwrites a file)\n");
    }
    EXPECT_EQ(ReadBytes(db), before);
    EXPECT_EQ(ReadBytes(dir.File("notes.txt")), "keep me\n");
    // A directory that does not exist is reported, not created.
    const GrimletRun run = RunGrimlet({"init", dir.File("nowhere/MAIN.IDX")});
    EXPECT_EQ(run.nExit, 1);
    EXPECT_FALSE(Exists(dir.File("nowhere")));
}

TEST(GrimletRefusal, DumpNeverWritesOverItsOwnDatabase) {
    TempDir dir;
    const std::string db = dir.File("MAIN.IDX");
    MakeDatabase(dir, db, {"; GID 1\nmat_width 1\n"});
    const std::string before = ReadBytes(db);
    std::filesystem::create_symlink(db, dir.File("link.zarn"));
    for (const std::string& out : {db, dir.File("link.zarn")}) {
        const GrimletRun run = RunGrimlet({"dump", db, "1", out});
        EXPECT_EQ(run.nExit, 1);
        EXPECT_EQ(run.strErr.rfind("grimlet: " + out + ": is the records database itself", 0), 0u);
    }
    EXPECT_EQ(ReadBytes(db), before);
}

TEST(GrimletRefusal, AnUnreadableSourceOrOutputIsReportedAndTheDatabaseKept) {
    TempDir dir;
    const std::string db = dir.File("MAIN.IDX");
    MakeDatabase(dir, db, {"; GID 1\nmat_width 1\n"});
    const std::string before = ReadBytes(db);

    const GrimletRun missing = RunGrimlet({"add", db, dir.File("7.zarn")});
    EXPECT_EQ(missing.nExit, 1);
    EXPECT_EQ(missing.strErr,
              "grimlet: " + dir.File("7.zarn") + ": cannot read: No such file or directory\n");
    const GrimletRun folder = RunGrimlet({"add", db, dir.File("")});
    EXPECT_EQ(folder.nExit, 1);
    // A FIFO is refused at once, as source and as output.
    const std::string fifo = dir.File("8.zarn");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const GrimletRun fromFifo = RunGrimlet({"add", db, fifo});
    EXPECT_EQ(fromFifo.nExit, 1);
    EXPECT_EQ(fromFifo.strErr, "grimlet: " + fifo + ": cannot read: not a regular file\n");
    const GrimletRun toFifo = RunGrimlet({"dump", db, "1", fifo});
    EXPECT_EQ(toFifo.nExit, 1);
    EXPECT_EQ(toFifo.strErr, "grimlet: " + fifo + ": cannot write: not a regular file\n");

    const GrimletRun out = RunGrimlet({"dump", db, "1", dir.File("nowhere/1.zarn")});
    EXPECT_EQ(out.nExit, 1);
    EXPECT_EQ(out.strErr.rfind("grimlet: " + dir.File("nowhere/1.zarn") + ": cannot write: ", 0),
              0u);
    EXPECT_EQ(ReadBytes(db), before);
}

TEST(GrimletRefusal, AWrongCommandLineShowsTheUsage) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{},
                                               {"frobnicate", "x"},
                                               {"dump", "db", "1"},
                                               {"add", "-keepComments", "db"},
                                               {"add", "-strip", "db", "f.zarn"},
                                               {"list"},
                                               {"init", "a", "b"}}) {
        const GrimletRun run = RunGrimlet(args);
        EXPECT_EQ(run.nExit, 2);
        EXPECT_NE(run.strErr.find("usage: grimlet dump DB RECORD OUTFILE"), std::string::npos);
        EXPECT_EQ(std::count(run.strErr.begin(), run.strErr.end(), '\n'), 1);
    }
}

TEST(GrimletRefusal, HelpAndVersionAreToldOnStandardOutput) {
    for (const char* pszHelp : {"--help", "-h"}) {
        const GrimletRun run = RunGrimlet({pszHelp});
        EXPECT_EQ(run.nExit, 0);
        EXPECT_EQ(run.strOut.rfind("Usage: grimlet COMMAND", 0), 0u) << run.strOut;
        for (const char* pszCommand :
             {"grimlet dump DB RECORD OUTFILE", "grimlet add [-keepComments]", "grimlet init DB",
              "grimlet list DB"})
            EXPECT_NE(run.strOut.find(pszCommand), std::string::npos) << pszCommand;
        EXPECT_TRUE(run.strErr.empty());
    }
    const GrimletRun run = RunGrimlet({"--version"});
    EXPECT_EQ(run.nExit, 0);
    EXPECT_EQ(run.strOut, "grimlet " ZARN_VERSION "\n");
    // Not a command of its own beside other words.
    EXPECT_EQ(RunGrimlet({"--version", "db"}).nExit, 2);
}

} // namespace
