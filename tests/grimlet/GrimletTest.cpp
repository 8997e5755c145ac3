// The real grimlet on real files in temporary directories, its databases read with SQLite.
#include "tests/support/TempFiles.h"

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <regex>
#include <sqlite3.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::string>;
using Pairs = std::vector<std::pair<std::string, std::string>>;

struct GrimletRun {
    int nExit = -1; // -1 when the program did not exit normally
    std::string strOut, strErr;
};

int WaitForExit(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

pid_t StartGrimlet(Args args, std::FILE* out = nullptr, std::FILE* err = nullptr) {
    args.insert(args.begin(), ZARN_BUILD_DIR "/grimlet");
    std::vector<char*> argv;
    for (std::string& word : args)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(out ? ::fileno(out) : null, STDOUT_FILENO);
        ::dup2(err ? ::fileno(err) : null, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    if (pid < 0)
        throw std::runtime_error("fork failed");
    return pid;
}

GrimletRun RunGrimlet(const Args& args) {
    std::FILE* files[] = {std::tmpfile(), std::tmpfile()};
    if (!files[0] || !files[1])
        throw std::runtime_error("tmpfile failed");
    GrimletRun run{WaitForExit(StartGrimlet(args, files[0], files[1])), {}, {}};
    for (std::FILE* file : files) {
        (file == files[0] ? run.strOut : run.strErr) =
            ReadBytes("/proc/self/fd/" + std::to_string(::fileno(file)));
        std::fclose(file);
    }
    return run;
}

// Exit status 1, nothing on standard output, one line on standard error starting with `report`.
void ExpectRefused(const GrimletRun& run, const std::string& report) {
    EXPECT_EQ(std::pair(run.nExit, run.strOut), std::pair(1, std::string())) << report;
    EXPECT_TRUE(run.strErr.rfind(report, 0) == 0 && run.strErr.find('\n') == run.strErr.size() - 1)
        << run.strErr << " is not one line starting with " << report;
}

// Runs SQL on the file with SQLite; gives the first value of the last row, or "failed".
std::string Sql(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    std::string value;
    auto keep = [](void* p, int, char** values, char**) {
        *static_cast<std::string*>(p) = values[0] ? values[0] : "";
        return 0;
    };
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK ||
        sqlite3_exec(db, sql.c_str(), keep, &value, nullptr) != SQLITE_OK)
        value = "failed";
    sqlite3_close(db);
    return value;
}

class GrimletTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(RunGrimlet({"init", m_db}).nExit, 0); }

    std::string File(const std::string& name) const { return m_dir.File(name); }
    GrimletRun Add(const std::string& name, const std::string& source, bool bStrip = false) {
        WriteBytes(File(name), source);
        return bStrip ? RunGrimlet({"add", m_db, File(name)})
                      : RunGrimlet({"add", "-keepComments", m_db, File(name)});
    }
    std::string Dump(const std::string& record, const std::string& db = {}) {
        WriteBytes(File("o.zarn"), "old text\n");
        const GrimletRun run = RunGrimlet({"dump", db.empty() ? m_db : db, record, File("o.zarn")});
        EXPECT_EQ(
            std::pair(run.strOut, run.strErr),
            std::pair("Record " + record + " written to " + File("o.zarn") + "\n", std::string()));
        return ReadBytes(File("o.zarn"));
    }
    std::string List() const {
        const GrimletRun run = RunGrimlet({"list", m_db});
        EXPECT_EQ(run.nExit, 0) << run.strErr;
        return run.strOut;
    }

    TempDir m_dir;
    const std::string m_db = m_dir.File("MAIN.IDX");
};

// In every line-end style; bytes of every value survive, NUL and those above 127 included.
TEST_F(GrimletTest, KeptCommentsDumpByteForByte) {
    const std::string body = "; GID 1234|man_start_object ornament|\tmat_title \"A; B\" ; note|"
                             "mat_width 100|man_end_object";
    std::vector<std::string> sources;
    for (const std::string eol : {"\r\n", "\n", "\n\r"}) {
        const std::string source = std::regex_replace(body, std::regex("\\|"), eol);
        sources.insert(sources.end(), {source, source + eol});
    }
    sources.push_back("; GID 1234\n");
    for (int c = 0; c < 256; ++c)
        sources.back() += static_cast<char>(c);
    for (const std::string& source : sources) {
        EXPECT_EQ(Add("form.zarn", source).nExit, 0);
        EXPECT_EQ(Dump("1234"), source);
    }
}

// Strings keep their semicolons; a stray CR ends a comment; the first add adds, others replace.
TEST_F(GrimletTest, WithoutKeepCommentsCommentsGoAndStringsStay) {
    std::string verb = "added to ";
    // clang-format off
    for (const auto& [source, stored] : Pairs{
        {"; GID 7\n; about this form\nmat_width 100   ; wide\n\tmat_height 20\n",
         "; GID 7\nmat_width 100\n\tmat_height 20\n"},
        {"; GID 7\nmat_title \"A; B\" ; c\nmat_command_key ';' ; d\n", "; GID 7\nmat_title \"A; B\"\nmat_command_key ';'\n"},
        {"; GID 7\nmat_title \"say \\\"hi; there\\\"\" ; c\n", "; GID 7\nmat_title \"say \\\"hi; there\\\"\"\n"},
        {"; GID 7\nmat_title \"one \\\ntwo; three\"\nmat_url \"x\nmat_width 5 ; c\n",
         "; GID 7\nmat_title \"one \\\ntwo; three\"\nmat_url \"x\nmat_width 5\n"},
        {"; GID 7\r\nmat_width 1 ; c\r\n; only\r\nmat_height 2 ; c", "; GID 7\r\nmat_width 1\r\nmat_height 2"},
        {"; GID 7\nmat_width 1 ; c\rmat_height 2\n", "; GID 7\nmat_width 1\rmat_height 2\n"},
        {"; GID 7\n\n  \nmat_width 1\n", "; GID 7\n\n  \nmat_width 1\n"},
        {"; a form\nmat_width 1\n", "mat_width 1\n"}}) { // the file name names the record
        // clang-format on
        EXPECT_EQ(Add("7.zarn", source, true).strOut,
                  "Record 7 " + verb + m_db + " from " + File("7.zarn") + " (comments removed)\n");
        EXPECT_EQ(Dump("7"), stored) << source;
        verb = "replaced in ";
    }
    EXPECT_EQ(List(), "7\n");
}

// A "; GID" header, else the file name, names the record; reports of refusals stay one line.
TEST_F(GrimletTest, TheHeaderElseTheFileNameNamesTheRecord) {
    EXPECT_EQ(List(), "");
    const std::string before = ReadBytes(m_db);
    // clang-format off
    const std::tuple<std::string, std::string, std::string> cases[] = { // no record: refused
        {"form.zarn", "mat_width 1\n", ""}, {"1234.zarn.bak", "mat_width 1\n", ""},
        // A header that is wrong is not overruled by a good file name.
        {"1234.zarn", "; GID abc\nmat_width 1\n", ""}, {"1234.zarn", "; GID\nmat_width 1\n", ""},
        {"1234.zarn", "; GID 12 34\nmat_width 1\n", ""}, {"f.zarn", "; GID -1\n", ""}, {"f.zarn", "; GID 1-\n", ""},
        {"f.zarn", "; GID 1--2\n", ""}, {"f.zarn", "; GID 12a\n", ""}, {"f.zarn", "; GID ?\n", ""},
        {"f.zarn", "; GID \n", ""}, {"1234.zarn", "; GID 32-105\nmat_width 1\n", "32-105"},
        {"1234.zarn", "  ;GID\t77  \r\nmat_width 1\r\n", "77"}, // other blanks and case
        {"2468.zarn", "mat_width 1\n", "2468"}, {"4321", "mat_width 1\n", "4321"},
        {"5-6.txt", "; GIDEON's form\nmat_width 1\n", "5-6"}, {"99.zarn", "", "99"},
        {"f.zarn", "; GID 0\n", "0"}, {"f.zarn", "; GID 1-2-3\n", "1-2-3"}, {"f.zarn", "; GID 007\n", "007"},
        {"100.zarn", "", "100"}, {"9.zarn", "", "9"}, {"32-9.zarn", "", "32-9"}, {"10.zarn", "", "10"},
        {"32.zarn", "", "32"}};
    // clang-format on
    for (const auto& [name, source, record] : cases) {
        const GrimletRun run = Add(name, source);
        if (record.empty()) {
            ExpectRefused(run, "grimlet: " + File(name) + ": ");
            EXPECT_EQ(ReadBytes(m_db), before);
            continue;
        }
        EXPECT_EQ(run.strOut, "Record " + record + " added to " + m_db + " from " + File(name) +
                                  " (comments kept)\n");
        EXPECT_EQ(Dump(record), source);
    }
    // clang-format off
    for (const auto& [bad, echoed] : Pairs{{"-1", "-1"}, {"1--2", "1--2"}, {"12a", "12a"},
        {"1 2", "1 2"}, {"", ""}, {"12\n34", "12\\n34"}, {"1\r", "1\\r"}, {"\x1b[1m7", "\\x1b[1m7"},
        {"5\\6", "5\\\\6"}}) {
        // clang-format on
        ExpectRefused(RunGrimlet({"dump", m_db, bad, File("bad.zarn")}),
                      "grimlet: " + m_db + ": \"" + echoed +
                          "\" is not a record number (digits and '-', like 32-105)\n");
        EXPECT_FALSE(Exists(File("bad.zarn")));
    }
    ExpectRefused(Add("3\n4.zarn", "mat_width 1\n"),
                  "grimlet: " + m_dir.path() +
                      "/3\\n4.zarn: no record number: the first line is no \"; GID <record>\" "
                      "header and the file name \"3\\n4\" is not a record number\n");
    // A missing record gives a new, empty form over the output file, and says so.
    WriteBytes(File("out.zarn"), "old text\n");
    const GrimletRun run = RunGrimlet({"dump", m_db, "1234", File("out.zarn")});
    EXPECT_EQ(std::pair(run.nExit, run.strOut),
              std::pair(0, "Record 1234 is not in " + m_db + ": a new, empty form was written to " +
                               File("out.zarn") + "\n"));
    EXPECT_EQ(ReadBytes(File("out.zarn")), "; GID 1234\n");
    EXPECT_EQ(List(), "0\n1-2-3\n5-6\n007\n9\n10\n32\n32-9\n32-105\n77\n99\n100\n2468\n4321\n");
}

// Byte 18 of the file says how it journals: 1 rollback, 2 write-ahead log (network shares).
TEST_F(GrimletTest, AWriteTurnsAWriteAheadLogBackIntoARollbackJournal) {
    ASSERT_EQ(Add("1.zarn", "; GID 1\nmat_width 1\n").nExit, 0);
    ASSERT_EQ(Sql(m_db, "PRAGMA journal_mode=WAL"), "wal");
    EXPECT_EQ(Dump("1"), "; GID 1\nmat_width 1\n");
    EXPECT_EQ(ReadBytes(m_db).at(18), 2);
    EXPECT_EQ(Add("2.zarn", "; GID 2\nmat_width 2\n").strErr, "");
    EXPECT_EQ(ReadBytes(m_db).at(18), 1);
    EXPECT_FALSE(Exists(m_db + "-wal") || Exists(m_db + "-shm"));
    EXPECT_EQ(List(), "1\n2\n");
    EXPECT_EQ(Sql(m_db, "PRAGMA integrity_check"), "ok");
}

TEST_F(GrimletTest, TheBundledExamplesAreInTheirDatabase) {
    const std::string dir = ZARN_BUILD_DIR "/examples";
    for (const auto& [record, file] :
         Pairs{{"1000", "example"}, {"1001", "1001"}, {"2040", "2040"}, {"32-105", "32-105"}})
        EXPECT_EQ(Dump(record, dir + "/MAIN.IDX"), ReadBytes(dir + "/" + file + ".zarn"));
}

TEST_F(GrimletTest, TwoProcessesAddingAtOnceBothSucceed) {
    std::string listing[2];
    for (int i = 0; i < 200; ++i) {
        pid_t writers[2];
        for (int writer = 0; writer < 2; ++writer) {
            const std::string record = std::to_string(writer + 1) + "-" + std::to_string(i);
            WriteBytes(File(record), "man_start_object ornament ; form " + record +
                                         "\n    mat_object_id " + std::to_string(i) +
                                         "\nman_end_object\n");
            writers[writer] = StartGrimlet({"add", m_db, File(record)});
            listing[writer] += record + "\n";
        }
        ASSERT_EQ(std::pair(WaitForExit(writers[0]), WaitForExit(writers[1])), std::pair(0, 0))
            << i;
    }
    EXPECT_EQ(List(), listing[0] + listing[1]);
    EXPECT_EQ(Dump("2-199"), "man_start_object ornament\n    mat_object_id 199\nman_end_object\n");
    EXPECT_EQ(Sql(m_db, "PRAGMA integrity_check"), "ok");
}

// Far more than SQLite keeps in memory, so that the kill lands on a half-written file.
TEST_F(GrimletTest, AnAddKilledMidwayLeavesThePreviousVersion) {
    const std::string journal = m_db + "-journal", oldSource = "; GID 5\nmat_width 1\n";
    ASSERT_EQ(Add("5.zarn", oldSource).nExit, 0);
    ASSERT_EQ(Add("6.zarn", "; GID 6\nmat_width 6\n").nExit, 0);
    const auto oldSize = std::filesystem::file_size(m_db);
    std::string big = "; GID 5\n";
    while (big.size() < (96u << 20))
        big += "    mat_title \"a long line of a very large form\" ; and a comment\n";
    WriteBytes(File("big.zarn"), big);
    bool bKilledMidway = false;
    for (int attempt = 0; attempt < 5 && !bKilledMidway; ++attempt) {
        const pid_t pid = StartGrimlet({"add", "-keepComments", m_db, File("big.zarn")});
        for (int status = 0; ::waitpid(pid, &status, WNOHANG) != pid; ::usleep(200)) {
            if (Exists(journal) && std::filesystem::file_size(m_db) > oldSize) {
                ::kill(pid, SIGKILL);
                bKilledMidway = WaitForExit(pid) == -1;
                break;
            }
        }
        ASSERT_TRUE(bKilledMidway || Add("5.zarn", oldSource).nExit == 0); // finished: again
    }
    ASSERT_TRUE(bKilledMidway) << "the add always finished before it could be killed";
    EXPECT_TRUE(Exists(journal));
    EXPECT_EQ(Dump("5"), oldSource);
    EXPECT_EQ(List(), "5\n6\n");
    EXPECT_FALSE(Exists(journal));
    EXPECT_EQ(Sql(m_db, "PRAGMA integrity_check"), "ok");
    EXPECT_EQ(Add("6.zarn", "mat_width 7\n", true).nExit, 0); // and it takes writes again
}

TEST_F(GrimletTest, WhatIsNoSoundRecordsDatabaseIsRefusedByEveryCommandUntouched) {
    for (int i = 1; i <= 20; ++i)
        ASSERT_EQ(Add(std::to_string(i), std::string(6000, 'x')).nExit, 0);
    const std::string full = ReadBytes(m_db);
    ASSERT_GT(full.size(), 16384u);
    const std::string records = "; CREATE TABLE records (record TEXT PRIMARY KEY, source BLOB); "
                                "INSERT INTO records VALUES ('1', 'x')";
    // clang-format off
    for (const auto& [name, bytes] : Pairs{{"text.idx", "; GID 1\nmat_width 100\n"},
             {"long.idx", std::string(5000, 'a')}, {"empty.idx", ""}, {"cut-page.idx", full.substr(0, 8192)},
             {"cut-inside.idx", full.substr(0, full.size() - 1000)}, {"cut-header.idx", full.substr(0, 60)},
             {"5.zarn", "; GID 5\nmat_width 1\n"}})
        WriteBytes(File(name), bytes);
    for (const auto& [name, sql] : Pairs{
             {"other.db", "CREATE TABLE people (name TEXT); INSERT INTO people VALUES ('1')"},
             {"lookalike.db", "PRAGMA application_id=42; PRAGMA user_version=1" + records},
             {"newer.idx", "PRAGMA application_id=" + std::to_string(0x5A41524E) + "; PRAGMA user_version=2" + records}})
        ASSERT_EQ(Sql(File(name), sql), "");
    const std::vector<std::string> entries = m_dir.Entries();
    for (const auto& [name, reason] : Pairs{
             {"text.idx", "not a records database"}, {"long.idx", "not a records database"},
             {"empty.idx", "an empty file"}, {"other.db", "of another program"},
             {"lookalike.db", "of another program"}, {"newer.idx", "newer schema (version 2)"},
             {"cut-page.idx", "damaged"}, {"cut-inside.idx", "damaged"}, {"cut-header.idx", "not a records database"},
             {"missing.idx", "No such file or directory"}, {"nowhere/MAIN.IDX", "No such file or directory"}}) {
        // clang-format on
        const std::string db = File(name);
        const std::string before = Exists(db) ? ReadBytes(db) : "missing";
        for (const Args& args : {Args{"add", db, File("5.zarn")}, Args{"dump", db, "5", File("o")},
                                 Args{"list", db}}) {
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
    const std::string before = ReadBytes(m_db), fifo = File("8.zarn");
    const std::string exists = ": already exists (init never overwrites a file)\n";
    WriteBytes(File("notes.txt"), "keep me\n");
    std::filesystem::create_symlink(m_db, File("link.zarn"));
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::vector<std::string> entries = m_dir.Entries();
    // clang-format off
    for (const auto& [args, report] : std::vector<std::pair<Args, std::string>>{
        {{"init", m_db}, m_db + exists}, {{"init", File("notes.txt")}, File("notes.txt") + exists},
        {{"init", File("nowhere/MAIN.IDX")}, File("nowhere/MAIN.IDX") + ": "},
        {{"dump", m_db, "1", m_db}, m_db + ": is the records database itself"},
        {{"dump", m_db, "1", File("link.zarn")}, File("link.zarn") + ": is the records database itself"},
        {{"add", m_db, File("7.zarn")}, File("7.zarn") + ": cannot read: No such file or directory\n"},
        {{"add", m_db, File("")}, File("") + ": cannot read: "},
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
    for (const Args& args :
         {Args{}, Args{"frobnicate", "x"}, Args{"dump", "db", "1"},
          Args{"add", "-keepComments", "db"}, Args{"add", "-strip", "db", "f.zarn"}, Args{"list"},
          Args{"init", "a", "b"}, Args{"--version", "db"}}) { // no command beside others
        const GrimletRun run = RunGrimlet(args);
        EXPECT_EQ(run.nExit, 2);
        EXPECT_TRUE(run.strErr.find("usage: grimlet dump DB RECORD OUTFILE") != std::string::npos &&
                    run.strErr.find('\n') == run.strErr.size() - 1)
            << run.strErr;
    }
    for (const char* pszHelp : {"--help", "-h"}) {
        const GrimletRun run = RunGrimlet({pszHelp});
        EXPECT_EQ(std::pair(run.nExit, run.strErr), std::pair(0, std::string()));
        EXPECT_TRUE(std::regex_search(
            run.strOut,
            std::regex(R"(^Usage: grimlet COMMAND[^]*grimlet dump DB RECORD OUTFILE[^]*)"
                       R"(grimlet add \[-keepComments\][^]*grimlet init DB[^]*grimlet list DB)")))
            << run.strOut;
    }
    const GrimletRun run = RunGrimlet({"--version"});
    EXPECT_EQ(std::tuple(run.nExit, run.strOut), std::tuple(0, "grimlet " ZARN_VERSION "\n"));
}

} // namespace
