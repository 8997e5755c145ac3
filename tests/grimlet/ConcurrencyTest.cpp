// Two writers at once, and a writer killed in the middle of its transaction.
#include "GrimletRunner.h"

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

long long SizeOf(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

// Forks a process that adds each of `sources` in turn; it exits with the number of adds
// that failed.
pid_t StartWriter(const std::string& db, const std::vector<std::string>& sources) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        int failures = 0;
        for (const std::string& source : sources) {
            if (RunGrimlet({"add", db, source}).nExit != 0)
                ++failures;
        }
        ::_exit(std::min(failures, 255));
    }
    return pid;
}

int WaitForExit(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(GrimletConcurrency, TwoProcessesAddingAtOnceBothSucceed) {
    constexpr int kPerWriter = 200;
    TempDir dir;
    const std::string db = dir.File("MAIN.IDX");
    ASSERT_EQ(RunGrimlet({"init", db}).nExit, 0);
    std::vector<std::string> first;
    std::vector<std::string> second;
    std::vector<std::string> expected;
    for (int writer = 1; writer <= 2; ++writer) {
        for (int i = 0; i < kPerWriter; ++i) {
            const std::string record = std::to_string(writer) + "-" + std::to_string(i);
            const std::string path = dir.File(record + ".zarn");
            WriteBytes(path, "man_start_object ornament ; form " + record + "\n    mat_object_id " +
                                 std::to_string(i) + "\nman_end_object\n");
            (writer == 1 ? first : second).push_back(path);
            expected.push_back(record);
        }
    }
    const pid_t a = StartWriter(db, first);
    const pid_t b = StartWriter(db, second);
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    EXPECT_EQ(WaitForExit(a), 0);
    EXPECT_EQ(WaitForExit(b), 0);

    std::string listing;
    for (const std::string& record : expected)
        listing += record + "\n";
    EXPECT_EQ(RunGrimlet({"list", db}).strOut, listing);
    ASSERT_EQ(RunGrimlet({"dump", db, "2-199", dir.File("out.zarn")}).nExit, 0);
    EXPECT_EQ(ReadBytes(dir.File("out.zarn")), "man_start_object ornament\n"
                                               "    mat_object_id 199\nman_end_object\n");
    EXPECT_EQ(IntegrityCheck(db), "ok");
}

TEST(GrimletConcurrency, AnAddKilledMidwayLeavesThePreviousVersion) {
    TempDir dir;
    const std::string db = dir.File("MAIN.IDX");
    const std::string journal = db + "-journal";
    const std::string oldSource = "; GID 5\nmat_width 1\n";
    MakeDatabase(dir, db, {oldSource, "; GID 6\nmat_width 6\n"});
    const long long oldSize = SizeOf(db);

    // Far more than SQLite keeps in memory, so that pages reach the database file itself
    // before the commit: the kill then lands on a half-written file.
    std::string big = "; GID 5\n";
    const std::string line = "    mat_title \"a long line of a very large form\" ; and a comment\n";
    while (big.size() < (96u << 20))
        big += line;
    WriteBytes(dir.File("big.zarn"), big);

    bool bKilledMidway = false;
    for (int attempt = 0; attempt < 5 && !bKilledMidway; ++attempt) {
        const pid_t pid = StartGrimlet({"add", "-keepComments", db, dir.File("big.zarn")});
        ASSERT_GT(pid, 0);
        for (;;) {
            if (Exists(journal) && SizeOf(db) > oldSize) {
                ::kill(pid, SIGKILL);
                bKilledMidway = WaitForExit(pid) == -1;
                break;
            }
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid)
                break;
            ::usleep(200);
        }
        if (!bKilledMidway) {
            // It finished before it could be caught: put the old version back and retry.
            WriteBytes(dir.File("5.zarn"), oldSource);
            ASSERT_EQ(RunGrimlet({"add", "-keepComments", db, dir.File("5.zarn")}).nExit, 0);
        }
    }
    ASSERT_TRUE(bKilledMidway) << "the add always finished before it could be killed";
    // The killed add left its journal behind: the next reader rolls it back.
    EXPECT_TRUE(Exists(journal));

    const GrimletRun dumped = RunGrimlet({"dump", db, "5", dir.File("out.zarn")});
    EXPECT_EQ(dumped.nExit, 0) << dumped.strErr;
    EXPECT_EQ(ReadBytes(dir.File("out.zarn")), oldSource);
    EXPECT_EQ(RunGrimlet({"list", db}).strOut, "5\n6\n");
    EXPECT_FALSE(Exists(journal));
    EXPECT_EQ(IntegrityCheck(db), "ok");
    // And the database takes writes again.
    WriteBytes(dir.File("6.zarn"), "mat_width 7\n");
    EXPECT_EQ(RunGrimlet({"add", db, dir.File("6.zarn")}).nExit, 0);
}

} // namespace
