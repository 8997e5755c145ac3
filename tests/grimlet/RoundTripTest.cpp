// init, add, dump and list together: byte-exact round trips, comment removal, replacement.
#include "GrimletRunner.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

namespace {

// Adds `source` from `name` in `dir` to `db` and dumps `record` back out.
std::string AddAndDump(const TempDir& dir, const std::string& db, const std::string& name,
                       const std::string& source, const std::string& record, bool keepComments) {
    WriteBytes(dir.File(name), source);
    std::vector<std::string> add{"add"};
    if (keepComments)
        add.push_back("-keepComments");
    add.insert(add.end(), {db, dir.File(name)});
    const GrimletRun added = RunGrimlet(add);
    EXPECT_EQ(added.nExit, 0) << added.strErr;
    const GrimletRun dumped = RunGrimlet({"dump", db, record, dir.File("out.zarn")});
    EXPECT_EQ(dumped.nExit, 0) << dumped.strErr;
    return ReadBytes(dir.File("out.zarn"));
}

TEST(GrimletRoundTrip, KeptCommentsDumpByteForByteInEveryLineEndStyle) {
    TempDir dir;
    const std::string db = dir.File("MAIN.IDX");
    ASSERT_EQ(RunGrimlet({"init", db}).nExit, 0);
    const std::string body = "; GID 1234|man_start_object ornament|\tmat_title \"A; B\" ; note|"
                             "mat_width 100|man_end_object";
    for (const std::string eol : {"\r\n", "\n", "\n\r"}) {
        std::string source;
        for (char c : body)
            source += c == '|' ? eol : std::string(1, c);
        EXPECT_EQ(AddAndDump(dir, db, "form.zarn", source, "1234", true), source);
        EXPECT_EQ(AddAndDump(dir, db, "form.zarn", source + eol, "1234", true), source + eol);
    }
    // Bytes of every value survive, NUL and those above 127 included.
    std::string binary = "; GID 1234\n";
    for (int c = 0; c < 256; ++c)
        binary += static_cast<char>(c);
    EXPECT_EQ(AddAndDump(dir, db, "form.zarn", binary, "1234", true), binary);
}

TEST(GrimletRoundTrip, WithoutKeepCommentsCommentsGoAndStringsStay) {
    struct Case {
        std::string source;
        std::string stored;
    };
    // clang-format off
    const std::vector<Case> cases = {
        // The header stays; a comment line goes with its line end; blanks before a comment go.
        {"; GID 7\n; about this form\nmat_width 100   ; wide\n\tmat_height 20\n",
         "; GID 7\nmat_width 100\n\tmat_height 20\n"},
        // Semicolons inside strings and literals are text.
        {"; GID 7\nmat_title \"A; B\" ; c\nmat_command_key ';' ; d\n",
         "; GID 7\nmat_title \"A; B\"\nmat_command_key ';'\n"},
        // An escaped quote does not end a string.
        {"; GID 7\nmat_title \"say \\\"hi; there\\\"\" ; c\n",
         "; GID 7\nmat_title \"say \\\"hi; there\\\"\"\n"},
        // A string open at a final backslash goes on; without the backslash it ends.
        {"; GID 7\nmat_title \"one \\\ntwo; three\"\nmat_url \"x\nmat_width 5 ; c\n",
         "; GID 7\nmat_title \"one \\\ntwo; three\"\nmat_url \"x\nmat_width 5\n"},
        // CR LF line ends stay; the last line keeps having none.
        {"; GID 7\r\nmat_width 1 ; c\r\n; only\r\nmat_height 2 ; c",
         "; GID 7\r\nmat_width 1\r\nmat_height 2"},
        // A stray CR ends a comment, so the text after it is kept.
        {"; GID 7\nmat_width 1 ; c\rmat_height 2\n", "; GID 7\nmat_width 1\rmat_height 2\n"},
        // Empty lines and blank lines without comments stay.
        {"; GID 7\n\n  \nmat_width 1\n", "; GID 7\n\n  \nmat_width 1\n"},
    };
    // clang-format on
    TempDir dir;
    const std::string db = dir.File("MAIN.IDX");
    ASSERT_EQ(RunGrimlet({"init", db}).nExit, 0);
    for (const Case& c : cases)
        EXPECT_EQ(AddAndDump(dir, db, "7.zarn", c.source, "7", false), c.stored) << c.source;
}

TEST(GrimletRoundTrip, AFormWithoutHeaderStrippedKeepsItsRecordByFileName) {
    TempDir dir;
    const std::string db = dir.File("MAIN.IDX");
    ASSERT_EQ(RunGrimlet({"init", db}).nExit, 0);
    EXPECT_EQ(AddAndDump(dir, db, "55.zarn", "; a form\nmat_width 1\n", "55", false),
              "mat_width 1\n");
}

TEST(GrimletRoundTrip, AddingAgainReplacesTheRecordAndSaysSo) {
    TempDir dir;
    const std::string db = dir.File("MAIN.IDX");
    ASSERT_EQ(RunGrimlet({"init", db}).nExit, 0);
    WriteBytes(dir.File("32-105.zarn"), "mat_width 1\n");
    const GrimletRun first = RunGrimlet({"add", "-keepComments", db, dir.File("32-105.zarn")});
    EXPECT_EQ(first.nExit, 0);
    EXPECT_EQ(first.strOut, "Record 32-105 added to " + db + " from " + dir.File("32-105.zarn") +
                                " (comments kept)\n");
    EXPECT_EQ(first.strErr, "");

    WriteBytes(dir.File("32-105.zarn"), "mat_width 2 ; wider\n");
    const GrimletRun second = RunGrimlet({"add", db, dir.File("32-105.zarn")});
    EXPECT_EQ(second.nExit, 0);
    EXPECT_EQ(second.strOut, "Record 32-105 replaced in " + db + " from " +
                                 dir.File("32-105.zarn") + " (comments removed)\n");

    EXPECT_EQ(RunGrimlet({"list", db}).strOut, "32-105\n");
    ASSERT_EQ(RunGrimlet({"dump", db, "32-105", dir.File("out.zarn")}).nExit, 0);
    EXPECT_EQ(ReadBytes(dir.File("out.zarn")), "mat_width 2\n");
}

// The file header's byte that says how the database journals: 1 rollback, 2 write-ahead log.
int JournalFormat(const std::string& db) {
    return ReadBytes(db).at(18);
}

TEST(GrimletRoundTrip, AWriteTurnsAWriteAheadLogBackIntoARollbackJournal) {
    TempDir dir;
    const std::string db = dir.File("MAIN.IDX");
    MakeDatabase(dir, db, {"; GID 1\nmat_width 1\n"});
    ASSERT_EQ(JournalFormat(db), 1);
    sqlite3* pDb = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &pDb), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(pDb, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(pDb);
    ASSERT_EQ(JournalFormat(db), 2);

    // Reading leaves it as it is; writing turns it back, and leaves no log files behind.
    EXPECT_EQ(RunGrimlet({"dump", db, "1", dir.File("out.zarn")}).nExit, 0);
    EXPECT_EQ(JournalFormat(db), 2);
    WriteBytes(dir.File("2.zarn"), "; GID 2\nmat_width 2\n");
    const GrimletRun add = RunGrimlet({"add", "-keepComments", db, dir.File("2.zarn")});
    EXPECT_EQ(add.nExit, 0) << add.strErr;
    EXPECT_EQ(JournalFormat(db), 1);
    EXPECT_FALSE(Exists(db + "-wal"));
    EXPECT_FALSE(Exists(db + "-shm"));
    EXPECT_EQ(RunGrimlet({"list", db}).strOut, "1\n2\n");
    EXPECT_EQ(IntegrityCheck(db), "ok");
}

TEST(GrimletRoundTrip, DumpOfAMissingRecordWritesANewEmptyForm) {
    TempDir dir;
    const std::string db = dir.File("MAIN.IDX");
    MakeDatabase(dir, db, {"; GID 1\nmat_width 1\n"});
    // An existing output file is replaced.
    WriteBytes(dir.File("1234.zarn"), "old text\n");
    const GrimletRun run = RunGrimlet({"dump", db, "1234", dir.File("1234.zarn")});
    EXPECT_EQ(run.nExit, 0) << run.strErr;
    EXPECT_EQ(run.strOut, "Record 1234 is not in " + db + ": a new, empty form was written to " +
                              dir.File("1234.zarn") + "\n");
    EXPECT_EQ(ReadBytes(dir.File("1234.zarn")), "; GID 1234\n");
    EXPECT_EQ(RunGrimlet({"list", db}).strOut, "1\n");

    const GrimletRun found = RunGrimlet({"dump", db, "1", dir.File("1.zarn")});
    EXPECT_EQ(found.strOut, "Record 1 written to " + dir.File("1.zarn") + "\n");
    EXPECT_EQ(ReadBytes(dir.File("1.zarn")), "; GID 1\nmat_width 1\n");
}

TEST(GrimletRoundTrip, ListShowsRecordsInNumericOrder) {
    TempDir dir;
    const std::string db = dir.File("MAIN.IDX");
    ASSERT_EQ(RunGrimlet({"init", db}).nExit, 0);
    EXPECT_EQ(RunGrimlet({"list", db}).strOut, "");
    for (const std::string record : {"100", "32-105", "9", "32-9", "10", "32"}) {
        WriteBytes(dir.File(record + ".zarn"), "mat_width 1\n");
        ASSERT_EQ(RunGrimlet({"add", db, dir.File(record + ".zarn")}).nExit, 0);
    }
    const GrimletRun list = RunGrimlet({"list", db});
    EXPECT_EQ(list.nExit, 0);
    EXPECT_EQ(list.strOut, "9\n10\n32\n32-9\n32-105\n100\n");
}

TEST(GrimletRoundTrip, TheBundledExamplesAreInTheirDatabase) {
    const std::string dir = ZARN_BUILD_DIR "/examples";
    const GrimletRun list = RunGrimlet({"list", dir + "/MAIN.IDX"});
    EXPECT_EQ(list.strOut, "32-105\n1000\n1001\n2040\n") << list.strErr;
    TempDir out;
    ASSERT_EQ(RunGrimlet({"dump", dir + "/MAIN.IDX", "1000", out.File("1000.zarn")}).nExit, 0);
    EXPECT_EQ(ReadBytes(out.File("1000.zarn")), ReadBytes(dir + "/example.zarn"));
    for (const std::string form : {"1001", "2040", "32-105"}) {
        ASSERT_EQ(RunGrimlet({"dump", dir + "/MAIN.IDX", form, out.File("f.zarn")}).nExit, 0);
        EXPECT_EQ(ReadBytes(out.File("f.zarn")), ReadBytes(dir + "/" + form + ".zarn"));
    }
}

} // namespace
