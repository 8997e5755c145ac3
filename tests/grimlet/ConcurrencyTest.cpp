// Two writers at once, and a writer killed in the middle of its transaction.
#include "GrimletRunner.h"

#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST_F(GrimletTest, TwoProcessesAddingAtOnceBothSucceed) {
    std::string listing;
    std::vector<std::string> sources[2];
    for (int writer = 0; writer < 2; ++writer) {
        for (int i = 0; i < 200; ++i) {
            const std::string record = std::to_string(writer + 1) + "-" + std::to_string(i);
            sources[writer].push_back(File(record + ".zarn"));
            WriteBytes(sources[writer].back(), "man_start_object ornament ; form " + record +
                                                   "\n    mat_object_id " + std::to_string(i) +
                                                   "\nman_end_object\n");
            listing += record + "\n";
        }
    }
    // Each writer adds its sources in turn and exits with the number of adds that failed.
    pid_t writers[2];
    for (int writer = 0; writer < 2; ++writer) {
        writers[writer] = ::fork();
        if (writers[writer] == 0) {
            int failures = 0;
            for (const std::string& source : sources[writer])
                failures += RunGrimlet({"add", m_db, source}).nExit != 0;
            ::_exit(std::min(failures, 255));
        }
        ASSERT_GT(writers[writer], 0);
    }
    EXPECT_EQ(WaitForExit(writers[0]), 0);
    EXPECT_EQ(WaitForExit(writers[1]), 0);
    EXPECT_EQ(List(), listing);
    EXPECT_EQ(Dump("2-199"), "man_start_object ornament\n    mat_object_id 199\nman_end_object\n");
    EXPECT_EQ(IntegrityCheck(m_db), "ok");
}

TEST_F(GrimletTest, AnAddKilledMidwayLeavesThePreviousVersion) {
    const std::string journal = m_db + "-journal";
    const std::string oldSource = "; GID 5\nmat_width 1\n";
    ASSERT_EQ(Add("5.zarn", oldSource).nExit, 0);
    ASSERT_EQ(Add("6.zarn", "; GID 6\nmat_width 6\n").nExit, 0);
    const auto oldSize = std::filesystem::file_size(m_db);

    // Far more than SQLite keeps in memory, so that pages reach the database file itself
    // before the commit: the kill then lands on a half-written file.
    std::string big = "; GID 5\n";
    const std::string line = "    mat_title \"a long line of a very large form\" ; and a comment\n";
    while (big.size() < (96u << 20))
        big += line;
    WriteBytes(File("big.zarn"), big);

    bool bKilledMidway = false;
    for (int attempt = 0; attempt < 5 && !bKilledMidway; ++attempt) {
        const pid_t pid = StartGrimlet({"add", "-keepComments", m_db, File("big.zarn")});
        ASSERT_GT(pid, 0);
        for (;;) {
            if (Exists(journal) && std::filesystem::file_size(m_db) > oldSize) {
                ::kill(pid, SIGKILL);
                bKilledMidway = WaitForExit(pid) == -1;
                break;
            }
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid)
                break;
            ::usleep(200);
        }
        // One that finished before it could be caught: put the old version back and retry.
        if (!bKilledMidway) {
            ASSERT_EQ(Add("5.zarn", oldSource).nExit, 0);
        }
    }
    ASSERT_TRUE(bKilledMidway) << "the add always finished before it could be killed";
    // The killed add left its journal behind: the next reader rolls it back.
    EXPECT_TRUE(Exists(journal));
    EXPECT_EQ(Dump("5"), oldSource);
    EXPECT_EQ(List(), "5\n6\n");
    EXPECT_FALSE(Exists(journal));
    EXPECT_EQ(IntegrityCheck(m_db), "ok");
    // And the database takes writes again.
    EXPECT_EQ(Add("6.zarn", "mat_width 7\n", true).nExit, 0);
}

} // namespace
