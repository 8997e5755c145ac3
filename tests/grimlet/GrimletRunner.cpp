// Helpers of the grimlet tests.
#include "GrimletRunner.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sqlite3.h>
#include <stdexcept>
#include <sys/stat.h>
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

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "grimlet-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::vector<std::string> TempDir::Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
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
