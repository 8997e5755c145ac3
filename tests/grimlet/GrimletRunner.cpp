// Helpers of the grimlet tests.
#include "GrimletRunner.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sqlite3.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

std::vector<char*> ArgvOf(std::vector<std::string>& words) {
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    return argv;
}

pid_t Spawn(const std::vector<std::string>& args, int fdOut, int fdErr) {
    std::vector<std::string> words{GRIMLET_PATH};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv = ArgvOf(words);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(fdOut, STDOUT_FILENO);
        ::dup2(fdErr, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    if (pid < 0)
        throw std::runtime_error("fork failed");
    return pid;
}

std::string ReadAll(std::FILE* file) {
    std::string text;
    std::rewind(file);
    char chunk[4096];
    size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        text.append(chunk, n);
    return text;
}

} // namespace

GrimletRun RunGrimlet(const std::vector<std::string>& args) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    if (!out || !err)
        throw std::runtime_error("tmpfile failed");
    const pid_t pid = Spawn(args, ::fileno(out), ::fileno(err));
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    GrimletRun run;
    run.nExit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.strOut = ReadAll(out);
    run.strErr = ReadAll(err);
    std::fclose(out);
    std::fclose(err);
    return run;
}

pid_t StartGrimlet(const std::vector<std::string>& args) {
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    const pid_t pid = Spawn(args, null, null);
    ::close(null);
    return pid;
}

void MakeDatabase(const TempDir& dir, const std::string& path,
                  const std::vector<std::string>& sources) {
    const GrimletRun init = RunGrimlet({"init", path});
    ASSERT_EQ(init.nExit, 0) << init.strErr;
    for (size_t i = 0; i < sources.size(); ++i) {
        const std::string source = dir.File("source-" + std::to_string(i) + ".zarn");
        WriteBytes(source, sources[i]);
        const GrimletRun add = RunGrimlet({"add", "-keepComments", path, source});
        ASSERT_EQ(add.nExit, 0) << add.strErr;
        std::filesystem::remove(source);
    }
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
