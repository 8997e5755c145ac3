// Which record a source is stored as, and which record numbers are accepted.
#include "GrimletRunner.h"

#include <gtest/gtest.h>

namespace {

class GrimletRecordNumber : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(RunGrimlet({"init", m_db}).nExit, 0); }

    // Adds `source` written to `name`; returns the run and leaves the listing in m_list.
    GrimletRun Add(const std::string& name, const std::string& source) {
        WriteBytes(m_dir.File(name), source);
        const GrimletRun run = RunGrimlet({"add", "-keepComments", m_db, m_dir.File(name)});
        m_list = RunGrimlet({"list", m_db}).strOut;
        return run;
    }

    TempDir m_dir;
    const std::string m_db = m_dir.File("MAIN.IDX");
    std::string m_list;
};

TEST_F(GrimletRecordNumber, TheHeaderWinsOverTheFileName) {
    EXPECT_EQ(Add("1234.zarn", "; GID 32-105\nmat_width 1\n").nExit, 0);
    EXPECT_EQ(m_list, "32-105\n");
    // Spelled with other blanks and case, it is still the header.
    EXPECT_EQ(Add("1234.zarn", "  ;GID\t77  \r\nmat_width 1\r\n").nExit, 0);
    EXPECT_EQ(m_list, "32-105\n77\n");
}

TEST_F(GrimletRecordNumber, WithoutHeaderTheFileNameWithoutExtensionNamesTheRecord) {
    EXPECT_EQ(Add("1234.zarn", "mat_width 1\n").nExit, 0);
    EXPECT_EQ(Add("4321", "mat_width 1\n").nExit, 0);
    // A first-line comment that is not a header does not count as one.
    EXPECT_EQ(Add("5-6.txt", "; GIDEON's form\nmat_width 1\n").nExit, 0);
    EXPECT_EQ(Add("99.zarn", "").nExit, 0);
    EXPECT_EQ(m_list, "5-6\n99\n1234\n4321\n");
}

TEST_F(GrimletRecordNumber, ASourceThatNamesNoRecordIsRefusedNamingTheFile) {
    const std::string before = ReadBytes(m_db);
    for (const auto& [name, source] : std::vector<std::pair<std::string, std::string>>{
             {"form.zarn", "mat_width 1\n"},
             {"1234.zarn.bak", "mat_width 1\n"},
             // A header that is wrong is not overruled by a good file name.
             {"1234.zarn", "; GID abc\nmat_width 1\n"},
             {"1234.zarn", "; GID\nmat_width 1\n"},
             {"1234.zarn", "; GID 12 34\nmat_width 1\n"},
         }) {
        const GrimletRun run = Add(name, source);
        EXPECT_EQ(run.nExit, 1) << name << ": " << source;
        EXPECT_EQ(run.strErr.rfind("grimlet: " + m_dir.File(name) + ": ", 0), 0u) << run.strErr;
        EXPECT_EQ(run.strOut, "");
        EXPECT_EQ(m_list, "");
    }
    EXPECT_EQ(ReadBytes(m_db), before);
}

TEST_F(GrimletRecordNumber, OnlyGroupsOfDigitsJoinedByDashesAreRecordNumbers) {
    for (const std::string good : {"0", "1234", "32-105", "1-2-3", "007"}) {
        EXPECT_EQ(Add("f.zarn", "; GID " + good + "\n").nExit, 0) << good;
        const GrimletRun dump = RunGrimlet({"dump", m_db, good, m_dir.File("out.zarn")});
        EXPECT_EQ(dump.nExit, 0) << good;
        EXPECT_EQ(ReadBytes(m_dir.File("out.zarn")), "; GID " + good + "\n");
    }
    for (const std::string bad : {"-1", "1-", "1--2", "12a", "1 2", "?", "x"}) {
        EXPECT_EQ(Add("f.zarn", "; GID " + bad + "\n").nExit, 1) << bad;
        const GrimletRun dump = RunGrimlet({"dump", m_db, bad, m_dir.File("bad.zarn")});
        EXPECT_EQ(dump.nExit, 1) << bad;
        EXPECT_NE(dump.strErr.find("\"" + bad + "\" is not a record number"), std::string::npos);
        EXPECT_FALSE(Exists(m_dir.File("bad.zarn")));
    }
    EXPECT_EQ(RunGrimlet({"dump", m_db, "", m_dir.File("bad.zarn")}).nExit, 1);
    EXPECT_FALSE(Exists(m_dir.File("bad.zarn")));
}

// A record number holding a line break or another control character is echoed escaped, so
// that every report stays one line.
TEST_F(GrimletRecordNumber, ControlCharactersAreEchoedEscapedOnOneLine) {
    for (const auto& [record, echoed] : std::vector<std::pair<std::string, std::string>>{
             {"12\n34", "12\\n34"},
             {"1\r", "1\\r"},
             {"\x1b[1m7", "\\x1b[1m7"},
             {"5\\6", "5\\\\6"},
         }) {
        const GrimletRun dump = RunGrimlet({"dump", m_db, record, m_dir.File("out.zarn")});
        EXPECT_EQ(dump.nExit, 1) << echoed;
        EXPECT_EQ(dump.strErr, "grimlet: " + m_db + ": \"" + echoed +
                                   "\" is not a record number (digits and '-', like 32-105)\n");
    }
    // A file name without a header is echoed the same way.
    const GrimletRun add = Add("3\n4.zarn", "mat_width 1\n");
    EXPECT_EQ(add.nExit, 1);
    EXPECT_EQ(add.strErr.find('\n'), add.strErr.size() - 1) << add.strErr;
    EXPECT_NE(add.strErr.find("the file name \"3\\n4\" is not a record number"), std::string::npos)
        << add.strErr;
}

} // namespace
