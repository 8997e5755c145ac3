// Exporting a buffer as a Vey file: which lines become records, exactly which bytes are
// written, and failures that leave an existing file as it was.
#include "BufferTestSupport.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;
using namespace std::string_literals;

std::string Exported(const Lines& lines) {
    TempDir dir;
    CTextBuffer buffer;
    FillBuffer(buffer, lines);
    const std::string strPath = dir.File("out.vey");
    const FileResult result = buffer.ExportVey(strPath);
    EXPECT_TRUE(result) << result.strError;
    return ReadBytes(strPath);
}

// A disk that takes the first 10 bytes and is then full.
class FullDiskOps : public CFileOps {
public:
    ssize_t Write(int fd, const void* pData, size_t nBytes) override {
        if (m_nWritten >= 10) {
            errno = ENOSPC;
            return -1;
        }
        nBytes = std::min<size_t>(nBytes, 10 - m_nWritten);
        m_nWritten += nBytes;
        return CFileOps::Write(fd, pData, nBytes);
    }

private:
    size_t m_nWritten = 0;
};

TEST(VeyExport, ExampleFormGivesExactlyItsTwoRecords) {
    EXPECT_EQ(Exported({"mat_width 100", "", "; comment", "  < x", "] end", "   mat_height 20   "}),
              "atom$mat_width 100\r\natom$mat_height 20\r\n");
}

TEST(VeyExport, LineOfBlanksGivesARecordWithNoText) {
    EXPECT_EQ(Exported({"a 1", "    ", "b 2"}), "atom$a 1\r\natom$\r\natom$b 2\r\n");
}

TEST(VeyExport, OnlyBlanksAreTrimmedSoATabIndentedCommentIsARecord) {
    EXPECT_EQ(Exported({"\t; indented comment", " \tform 1\t ", "> closes"}),
              "atom$\t; indented comment\r\natom$\tform 1\t\r\n");
}

TEST(VeyExport, SkipsOnlyLinesThatBeginWithTheMarkers) {
    EXPECT_EQ(Exported({"text \"a;b\" ; trailing comment", "x < y", "]", ">", "<", ";"}),
              "atom$text \"a;b\" ; trailing comment\r\natom$x < y\r\n");
}

TEST(VeyExport, KeepsEveryByteOfALineIncludingZeroBytes) {
    EXPECT_EQ(Exported({"a\0b"s, "\xe9t\xe9"}), "atom$a\0b\r\natom$\xe9t\xe9\r\n"s);
}

TEST(VeyExport, EmptyOrAllSkippedBufferGivesAnEmptyFile) {
    EXPECT_EQ(Exported({""}), "");
    EXPECT_EQ(Exported({"; only", "<", ""}), "");
}

TEST(VeyExport, ReplacesAnExistingFileWholeAndLeavesTheBufferAlone) {
    TempDir dir;
    const std::string strPath = dir.File("old.vey");
    WriteBytes(strPath, std::string(1000, 'x'));
    CTextBuffer buffer;
    FillBuffer(buffer, {"form 1"});
    const int nUndoSteps = buffer.GetUndoStepCount();
    ASSERT_TRUE(buffer.ExportVey(strPath));
    EXPECT_EQ(ReadBytes(strPath), "atom$form 1\r\n");
    EXPECT_EQ(LinesOf(buffer), Lines({"form 1"}));
    EXPECT_FALSE(buffer.IsModified());
    EXPECT_EQ(buffer.GetUndoStepCount(), nUndoSteps);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>({"old.vey"}));
}

TEST(VeyExport, WritesThroughASymbolicLinkAndKeepsIt) {
    TempDir dir;
    WriteBytes(dir.File("target.vey"), "old\r\n");
    ASSERT_EQ(::symlink("target.vey", dir.File("link.vey").c_str()), 0);
    CTextBuffer buffer;
    FillBuffer(buffer, {"form 1"});
    ASSERT_TRUE(buffer.ExportVey(dir.File("link.vey")));
    EXPECT_EQ(ReadBytes(dir.File("target.vey")), "atom$form 1\r\n");
    struct stat st;
    ASSERT_EQ(::lstat(dir.File("link.vey").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST(VeyExport, FailureToWriteLeavesTheOldFileAndNoTemporaryFile) {
    TempDir dir;
    const std::string strPath = dir.File("form.vey");
    WriteBytes(strPath, "atom$old\r\n");
    CTextBuffer buffer;
    FillBuffer(buffer, {"form 1", "form 2", "form 3"});
    FullDiskOps ops;
    buffer.SetFileOps(&ops);
    const FileResult result = buffer.ExportVey(strPath);
    EXPECT_FALSE(result);
    EXPECT_EQ(result.strError, std::strerror(ENOSPC));
    EXPECT_EQ(ReadBytes(strPath), "atom$old\r\n");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>({"form.vey"}));
}

TEST(VeyExport, KeepsTheFileWhatItWasAndNeverReplacesOneTheUserMayNotWrite) {
    TempDir dir;
    ::chmod(dir.path().c_str(), 0755);
    CTextBuffer buffer;
    FillBuffer(buffer, {"form 1"});
    // Both names of the file see the export.
    WriteBytes(dir.File("form.vey"), "atom$old\r\n");
    ASSERT_EQ(::link(dir.File("form.vey").c_str(), dir.File("other.vey").c_str()), 0);
    ASSERT_TRUE(buffer.ExportVey(dir.File("form.vey")));
    EXPECT_EQ(ReadBytes(dir.File("other.vey")), "atom$form 1\r\n");

    // Another user's file the user may not write, in a folder the user may write.
    WriteBytes(dir.File("theirs.vey"), "atom$theirs\r\n");
    ::chmod(dir.File("theirs.vey").c_str(), 0644);
    ::chmod(dir.path().c_str(), 0777);
    const bool bRefused = RunAsOrdinaryUser([&] {
        const FileResult result = buffer.ExportVey(dir.File("theirs.vey"));
        return !result && result.strError == std::strerror(EACCES);
    });
    EXPECT_EQ(bRefused, ::geteuid() == 0);
    EXPECT_EQ(ReadBytes(dir.File("theirs.vey")), "atom$theirs\r\n");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>({"form.vey", "other.vey", "theirs.vey"}));
}

TEST(VeyExport, PathThatCannotBeCreatedReportsWhy) {
    TempDir dir;
    WriteBytes(dir.File("plain"), "x");
    CTextBuffer buffer;
    FillBuffer(buffer, {"form 1"});
    const FileResult result = buffer.ExportVey(dir.File("plain/form.vey"));
    EXPECT_FALSE(result);
    EXPECT_EQ(result.strError, std::strerror(ENOTDIR));
}

} // namespace
