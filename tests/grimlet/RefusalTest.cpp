// Files that are not sound records databases, paths that do not exist, files that a command
// would harm and wrong command lines are refused in one line, and every file stays as it was.
#include "GrimletRunner.h"

#include <filesystem>
#include <sys/stat.h>

namespace {

using Args = std::vector<std::string>;

TEST_F(GrimletTest, WhatIsNoSoundRecordsDatabaseIsRefusedByEveryCommandUntouched) {
    for (int i = 1; i <= 20; ++i) {
        const std::string record = std::to_string(i);
        ASSERT_EQ(Add("f.zarn", "; GID " + record + "\n" + std::string(6000, 'x') + "\n").nExit, 0);
    }
    const std::string full = ReadBytes(m_db);
    ASSERT_GT(full.size(), 16384u);
    WriteBytes(File("text.idx"), "; GID 1\nmat_width 100\n");
    // Long enough to hold a whole SQLite header, but still text.
    WriteBytes(File("long.idx"), std::string(5000, 'a'));
    WriteBytes(File("empty.idx"), "");
    ExecSql(File("other.db"), "CREATE TABLE people (name TEXT); INSERT INTO people VALUES ('1')");
    // Even one that happens to have a table of the same name, and one of a newer schema.
    const std::string records = "; CREATE TABLE records (record TEXT PRIMARY KEY, source BLOB); "
                                "INSERT INTO records VALUES ('1', 'x')";
    ExecSql(File("lookalike.db"), "PRAGMA application_id=42; PRAGMA user_version=1" + records);
    ExecSql(File("newer.idx"), "PRAGMA application_id=" + std::to_string(0x5A41524E) +
                                   "; PRAGMA user_version=2" + records);
    // Cut at a page boundary, inside a page, and inside the header.
    WriteBytes(File("cut-page.idx"), full.substr(0, 8192));
    WriteBytes(File("cut-inside.idx"), full.substr(0, full.size() - 1000));
    WriteBytes(File("cut-header.idx"), full.substr(0, 60));
    WriteBytes(File("5.zarn"), "; GID 5\nmat_width 1\n");
    const std::vector<std::string> entries = m_dir.Entries();
    // clang-format off
    for (const auto& [name, reason] : std::vector<std::pair<std::string, std::string>>{
             {"text.idx", "not a records database"}, {"long.idx", "not a records database"},
             {"empty.idx", "an empty file"}, {"other.db", "of another program"},
             {"lookalike.db", "of another program"}, {"newer.idx", "newer schema (version 2)"},
             {"cut-page.idx", "damaged"}, {"cut-inside.idx", "damaged"},
             {"cut-header.idx", "not a records database"},
             {"missing.idx", "No such file or directory"},
             {"nowhere/MAIN.IDX", "No such file or directory"}}) {
        // clang-format on
        const std::string db = File(name);
        const std::string before = Exists(db) ? ReadBytes(db) : "missing";
        for (const Args& args :
             {Args{"add", "-keepComments", db, File("5.zarn")}, Args{"add", db, File("5.zarn")},
              Args{"dump", db, "5", File("dumped.zarn")}, Args{"list", db}}) {
            const GrimletRun run = RunGrimlet(args);
            ExpectRefused(run, "grimlet: " + db + ": ");
            EXPECT_NE(run.strErr.find(reason), std::string::npos) << run.strErr;
            EXPECT_EQ(Exists(db) ? ReadBytes(db) : "missing", before) << args[0] << " " << name;
            EXPECT_EQ(m_dir.Entries(), entries) << args[0] << " " << name << " left files behind";
        }
    }
}

TEST_F(GrimletTest, ACommandThatWouldHarmAFileIsRefused) {
    ASSERT_EQ(Add("1.zarn", "; GID 1\nmat_width 1\n").nExit, 0);
    const std::string before = ReadBytes(m_db);
    const std::string fifo = File("8.zarn");
    const std::string exists = ": already exists (init never overwrites a file)\n";
    WriteBytes(File("notes.txt"), "keep me\n");
    std::filesystem::create_symlink(m_db, File("link.zarn"));
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::vector<std::string> entries = m_dir.Entries();
    // clang-format off
    for (const auto& [args, report] : std::vector<std::pair<Args, std::string>>{
        // init never overwrites a file, and does not create a missing directory.
        {{"init", m_db}, m_db + exists}, {{"init", File("notes.txt")}, File("notes.txt") + exists},
        {{"init", File("nowhere/MAIN.IDX")}, File("nowhere/MAIN.IDX") + ": "},
        // dump never writes over its own database, by any name.
        {{"dump", m_db, "1", m_db}, m_db + ": is the records database itself"},
        {{"dump", m_db, "1", File("link.zarn")}, File("link.zarn") + ": is the records database itself"},
        {{"add", m_db, File("7.zarn")}, File("7.zarn") + ": cannot read: No such file or directory\n"},
        {{"add", m_db, File("")}, File("") + ": cannot read: "},
        // A FIFO is refused at once, as source and as output.
        {{"add", m_db, fifo}, fifo + ": cannot read: not a regular file\n"},
        {{"dump", m_db, "1", fifo}, fifo + ": cannot write: not a regular file\n"},
        {{"dump", m_db, "1", File("nowhere/1.zarn")}, File("nowhere/1.zarn") + ": cannot write: "}})
        // clang-format on
        ExpectRefused(RunGrimlet(args), "grimlet: " + report);
    EXPECT_EQ(ReadBytes(m_db), before);
    EXPECT_EQ(ReadBytes(File("notes.txt")), "keep me\n");
    EXPECT_EQ(m_dir.Entries(), entries);
}

TEST(GrimletCommandLine, AWrongOneShowsTheUsageAndHelpAndVersionAreToldOnStandardOutput) {
    // The last: --version is not a command of its own beside other words.
    for (const Args& args :
         {Args{}, Args{"frobnicate", "x"}, Args{"dump", "db", "1"},
          Args{"add", "-keepComments", "db"}, Args{"add", "-strip", "db", "f.zarn"}, Args{"list"},
          Args{"init", "a", "b"}, Args{"--version", "db"}}) {
        const GrimletRun run = RunGrimlet(args);
        EXPECT_EQ(run.nExit, 2);
        EXPECT_NE(run.strErr.find("usage: grimlet dump DB RECORD OUTFILE"), std::string::npos);
        EXPECT_EQ(run.strErr.find('\n'), run.strErr.size() - 1) << run.strErr;
    }
    for (const char* pszHelp : {"--help", "-h"}) {
        const GrimletRun run = RunGrimlet({pszHelp});
        EXPECT_EQ(run.nExit, 0);
        EXPECT_EQ(run.strOut.rfind("Usage: grimlet COMMAND", 0), 0u) << run.strOut;
        for (const char* pszCommand :
             {"grimlet dump DB RECORD OUTFILE", "grimlet add [-keepComments]", "grimlet init DB",
              "grimlet list DB"})
            EXPECT_NE(run.strOut.find(pszCommand), std::string::npos) << pszCommand;
        EXPECT_EQ(run.strErr, "");
    }
    const GrimletRun run = RunGrimlet({"--version"});
    EXPECT_EQ(run.nExit, 0);
    EXPECT_EQ(run.strOut, "grimlet " ZARN_VERSION "\n");
}

} // namespace
