// init, add, dump and list on real files: byte-exact round trips, comment removal, which record
// a source is stored as, replacement, and the order of the listing.
#include "GrimletRunner.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

TEST_F(GrimletTest, KeptCommentsDumpByteForByteInEveryLineEndStyle) {
    const std::string body = "; GID 1234|man_start_object ornament|\tmat_title \"A; B\" ; note|"
                             "mat_width 100|man_end_object";
    std::vector<std::string> sources;
    for (const std::string eol : {"\r\n", "\n", "\n\r"}) {
        std::string source;
        for (char c : body)
            source += c == '|' ? eol : std::string(1, c);
        sources.insert(sources.end(), {source, source + eol});
    }
    // Bytes of every value survive, NUL and those above 127 included.
    sources.push_back("; GID 1234\n");
    for (int c = 0; c < 256; ++c)
        sources.back() += static_cast<char>(c);
    for (const std::string& source : sources) {
        EXPECT_EQ(Add("form.zarn", source).nExit, 0);
        EXPECT_EQ(Dump("1234"), source);
    }
}

TEST_F(GrimletTest, WithoutKeepCommentsCommentsGoAndStringsStay) {
    // clang-format off
    for (const auto& [source, stored] : Pairs{
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
        // Without a header, the file name still names the record.
        {"; a form\nmat_width 1\n", "mat_width 1\n"},
    }) {
        // clang-format on
        EXPECT_EQ(Add("7.zarn", source, true).nExit, 0) << source;
        EXPECT_EQ(Dump("7"), stored) << source;
    }
}

// The record is the one in a first-line "; GID" header, or else the file's name without its
// extension, and only groups of digits joined by dashes are record numbers. A source that names
// none is refused, naming the file; a refused number is echoed with its control characters
// escaped, so that every report stays one line.
TEST_F(GrimletTest, TheHeaderElseTheFileNameNamesTheRecord) {
    EXPECT_EQ(List(), "");
    const std::string before = ReadBytes(m_db);
    struct Case {
        std::string name, source, record = {}; // no record: refused
    };
    // clang-format off
    for (const Case& c : std::vector<Case>{
        {"form.zarn", "mat_width 1\n"}, {"1234.zarn.bak", "mat_width 1\n"},
        // A header that is wrong is not overruled by a good file name.
        {"1234.zarn", "; GID abc\nmat_width 1\n"}, {"1234.zarn", "; GID\nmat_width 1\n"},
        {"1234.zarn", "; GID 12 34\nmat_width 1\n"}, {"f.zarn", "; GID -1\n"}, {"f.zarn", "; GID 1-\n"},
        {"f.zarn", "; GID 1--2\n"}, {"f.zarn", "; GID 12a\n"}, {"f.zarn", "; GID 1 2\n"},
        {"f.zarn", "; GID ?\n"}, {"f.zarn", "; GID x\n"}, {"f.zarn", "; GID \n"},
        {"1234.zarn", "; GID 32-105\nmat_width 1\n", "32-105"},
        // Spelled with other blanks and case, it is still the header.
        {"1234.zarn", "  ;GID\t77  \r\nmat_width 1\r\n", "77"},
        {"2468.zarn", "mat_width 1\n", "2468"}, {"4321", "mat_width 1\n", "4321"},
        // A first-line comment that is not a header does not count as one.
        {"5-6.txt", "; GIDEON's form\nmat_width 1\n", "5-6"}, {"99.zarn", "", "99"},
        {"f.zarn", "; GID 0\n", "0"}, {"f.zarn", "; GID 1234\n", "1234"},
        {"f.zarn", "; GID 1-2-3\n", "1-2-3"}, {"f.zarn", "; GID 007\n", "007"},
        // Listed in numeric order.
        {"100.zarn", "", "100"}, {"9.zarn", "", "9"}, {"32-9.zarn", "", "32-9"}, {"10.zarn", "", "10"},
        {"32.zarn", "", "32"}}) {
        // clang-format on
        const GrimletRun run = Add(c.name, c.source);
        if (c.record.empty()) {
            ExpectRefused(run, "grimlet: " + File(c.name) + ": ");
            EXPECT_EQ(ReadBytes(m_db), before);
            continue;
        }
        EXPECT_EQ(run.strOut, "Record " + c.record + " added to " + m_db + " from " + File(c.name) +
                                  " (comments kept)\n");
        EXPECT_EQ(run.strErr, "");
        EXPECT_EQ(Dump(c.record), c.source);
    }
    EXPECT_EQ(List(),
              "0\n1-2-3\n5-6\n007\n9\n10\n32\n32-9\n32-105\n77\n99\n100\n1234\n2468\n4321\n");
    // clang-format off
    for (const auto& [bad, echoed] : Pairs{{"-1", "-1"}, {"1-", "1-"}, {"1--2", "1--2"},
        {"12a", "12a"}, {"1 2", "1 2"}, {"?", "?"}, {"x", "x"}, {"", ""}, {"12\n34", "12\\n34"},
        {"1\r", "1\\r"}, {"\x1b[1m7", "\\x1b[1m7"}, {"5\\6", "5\\\\6"}}) {
        // clang-format on
        ExpectRefused(RunGrimlet({"dump", m_db, bad, File("bad.zarn")}),
                      "grimlet: " + m_db + ": \"" + echoed +
                          "\" is not a record number (digits and '-', like 32-105)\n");
        EXPECT_FALSE(Exists(File("bad.zarn")));
    }
    // A file name without a header is echoed the same way.
    ExpectRefused(
        Add("3\n4.zarn", "mat_width 1\n"),
        "grimlet: " + m_dir.path() +
            "/3\\n4.zarn: no record number: the first line is no "
            "\"; GID <record>\" header and the file name \"3\\n4\" is not a record number\n");
}

// Adding again replaces the record; dumping one that is missing writes a new, empty form over
// the output file. Each says so.
TEST_F(GrimletTest, ReplacingAndDumpingSayWhatTheyDid) {
    ASSERT_EQ(Add("32-105.zarn", "mat_width 1\n").nExit, 0);
    const GrimletRun second = Add("32-105.zarn", "mat_width 2 ; wider\n", true);
    EXPECT_EQ(second.nExit, 0);
    EXPECT_EQ(second.strOut, "Record 32-105 replaced in " + m_db + " from " + File("32-105.zarn") +
                                 " (comments removed)\n");
    EXPECT_EQ(List(), "32-105\n");
    for (const auto& [record, report, dumped] :
         {std::tuple<std::string, std::string, std::string>{
              "1234", "Record 1234 is not in " + m_db + ": a new, empty form was written to ",
              "; GID 1234\n"},
          {"32-105", "Record 32-105 written to ", "mat_width 2\n"}}) {
        WriteBytes(File("out.zarn"), "old text\n");
        const GrimletRun run = RunGrimlet({"dump", m_db, record, File("out.zarn")});
        EXPECT_EQ(run.nExit, 0) << run.strErr;
        EXPECT_EQ(run.strOut, report + File("out.zarn") + "\n");
        EXPECT_EQ(ReadBytes(File("out.zarn")), dumped);
    }
    EXPECT_EQ(List(), "32-105\n");
}

// Byte 18 of the file header says how the database journals: 1 rollback, 2 write-ahead log.
TEST_F(GrimletTest, AWriteTurnsAWriteAheadLogBackIntoARollbackJournal) {
    ASSERT_EQ(Add("1.zarn", "; GID 1\nmat_width 1\n").nExit, 0);
    ASSERT_EQ(ReadBytes(m_db).at(18), 1);
    ExecSql(m_db, "PRAGMA journal_mode=WAL");
    ASSERT_EQ(ReadBytes(m_db).at(18), 2);

    // Reading leaves it as it is; writing turns it back, and leaves no log files behind.
    EXPECT_EQ(Dump("1"), "; GID 1\nmat_width 1\n");
    EXPECT_EQ(ReadBytes(m_db).at(18), 2);
    const GrimletRun add = Add("2.zarn", "; GID 2\nmat_width 2\n");
    EXPECT_EQ(add.nExit, 0) << add.strErr;
    EXPECT_EQ(ReadBytes(m_db).at(18), 1);
    EXPECT_FALSE(Exists(m_db + "-wal"));
    EXPECT_FALSE(Exists(m_db + "-shm"));
    EXPECT_EQ(List(), "1\n2\n");
    EXPECT_EQ(IntegrityCheck(m_db), "ok");
}

TEST_F(GrimletTest, TheBundledExamplesAreInTheirDatabase) {
    const std::string dir = ZARN_BUILD_DIR "/examples";
    const GrimletRun list = RunGrimlet({"list", dir + "/MAIN.IDX"});
    EXPECT_EQ(list.strOut, "32-105\n1000\n1001\n2040\n") << list.strErr;
    for (const auto& [record, file] :
         Pairs{{"1000", "example"}, {"1001", "1001"}, {"2040", "2040"}, {"32-105", "32-105"}})
        EXPECT_EQ(Dump(record, dir + "/MAIN.IDX"), ReadBytes(dir + "/" + file + ".zarn"));
}

} // namespace
