// Helpers of the grimlet tests.
#include "GrimletRunner.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sqlite3.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Starts grimlet with these arguments, its output going to these files or else nowhere.
pid_t Spawn(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    std::vector<std::string> words{ZARN_BUILD_DIR "/grimlet"};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words)
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

std::string ReadAndClose(std::FILE* file) {
    std::string text;
    std::rewind(file);
    char chunk[4096];
    size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        text.append(chunk, n);
    std::fclose(file);
    return text;
}

} // namespace

GrimletRun RunGrimlet(const std::vector<std::string>& args) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    if (!out || !err)
        throw std::runtime_error("tmpfile failed");
    GrimletRun run;
    run.nExit = WaitForExit(Spawn(args, out, err));
    run.strOut = ReadAndClose(out);
    run.strErr = ReadAndClose(err);
    return run;
}

pid_t StartGrimlet(const std::vector<std::string>& args) {
    return Spawn(args, nullptr, nullptr);
}

int WaitForExit(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void ExpectRefused(const GrimletRun& run, const std::string& report) {
    EXPECT_EQ(run.nExit, 1) << report;
    EXPECT_EQ(run.strOut, "");
    EXPECT_EQ(run.strErr.find('\n'), run.strErr.size() - 1) << run.strErr;
    EXPECT_EQ(run.strErr.substr(0, report.size()), report);
}

void ExecSql(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql;
    sqlite3_close(db);
}

std::string IntegrityCheck(const std::string& path) {
    sqlite3* db = nullptr;
    std::string result = "cannot open";
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        result = "cannot check";
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            result = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return result;
}

GrimletRun GrimletTest::Add(const std::string& name, const std::string& source, bool bStrip) {
    WriteBytes(File(name), source);
    if (bStrip)
        return RunGrimlet({"add", m_db, File(name)});
    return RunGrimlet({"add", "-keepComments", m_db, File(name)});
}

std::string GrimletTest::Dump(const std::string& record, const std::string& db) {
    const GrimletRun run = RunGrimlet({"dump", db.empty() ? m_db : db, record, File("out.zarn")});
    EXPECT_EQ(run.nExit, 0) << record << ": " << run.strErr;
    return run.nExit == 0 ? ReadBytes(File("out.zarn")) : std::string();
}

std::string GrimletTest::List() const {
    const GrimletRun run = RunGrimlet({"list", m_db});
    EXPECT_EQ(run.nExit, 0) << run.strErr;
    return run.strOut;
}
