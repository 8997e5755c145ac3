// Export to Vey end to end: the file question, the exact bytes written, the Output pane's
// note, unsaved changes, the refusal to export onto the document's own file by any spelling,
// and failures to write.
#include "toolbridge/ExportToVey.h"

#include "ToolTestSupport.h"
#include "resources/CommandIds.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr char NOTE[] = "\nNOTE! Not all commands will translate into \"real\" VeyZarn."
                        "\nSome editting may be required.";
constexpr char EXPORT_TO_SELF[] = "Can not export to self.";

class ExportToVeyTest : public CToolCommandTest {
protected:
    // Starts the application with "form.zarn" holding `source` open, and text in the pane.
    QString StartWithForm(const QByteArray& source, const QString& strName = "form.zarn") {
        const QString strSource = WriteFile(strName, source);
        StartApp({strSource});
        MainFrame().AppendOutput("earlier output", false);
        return strSource;
    }
    void Export(const QString& strPath) {
        AnswerFileDialogs({strPath});
        Execute(ID_ZARN_EXPORT_VEY);
    }
    QStringList Files(const QString& strFilter = "*") const {
        return QDir(m_dir.path()).entryList({strFilter}, QDir::Files);
    }
};

// Only the lines that start a word are written, each behind "atom$", in CR LF; a name
// without an extension gets none; cancelling writes nothing.
TEST_F(ExportToVeyTest, ExampleFormIsWrittenExactlyAndThePaneSaysWhere) {
    const QString strSource = StartWithForm(
        "mat_width 100\r\n\r\n; comment\r\n  < x\r\n] end\r\n   mat_height 20   \r\n");
    Execute(ID_ZARN_EXPORT_VEY);
    EXPECT_EQ(Shown(), "earlier output");
    EXPECT_EQ(Files(), QStringList({"form.zarn"}));
    Export(TempPath("form.vey"));
    EXPECT_EQ(ReadFile(TempPath("form.vey")), "atom$mat_width 100\r\natom$mat_height 20\r\n");
    EXPECT_EQ(Shown(), strSource + " exported to " + TempPath("form.vey") + NOTE);
    Export(TempPath("plain"));
    EXPECT_EQ(ReadFile(TempPath("plain")), "atom$mat_width 100\r\natom$mat_height 20\r\n");
    EXPECT_EQ(Files(), QStringList({"form.vey", "form.zarn", "plain"}));
    EXPECT_TRUE(m_listMessages.empty());
    ASSERT_EQ(m_listFileRequests.size(), 3u);
    const FileDialogRequest& request = m_listFileRequests[0];
    EXPECT_TRUE(request.bSave);
    EXPECT_EQ(request.strInitialPath, TempPath("form.vey"));
    EXPECT_EQ(request.strFilter, "Zarn Vey File (*.vey)");
    EXPECT_TRUE(request.strDefaultSuffix.isEmpty());
}

TEST_F(ExportToVeyTest, OffersTheDocumentsNameAndAsksAgainForANameWithAWildcard) {
    StartWithForm("a 1\r\n", "order.form.zarn");
    AnswerFileDialogs({TempPath("*.vey"), TempPath("a?.vey"), TempPath("out.vey")});
    Execute(ID_ZARN_EXPORT_VEY);
    ASSERT_EQ(m_listFileRequests.size(), 3u);
    for (const FileDialogRequest& request : m_listFileRequests)
        EXPECT_EQ(request.strInitialPath, TempPath("order.form.vey"));
    const QString strRefused =
        "The name %1 holds a wildcard (\"*\" or \"?\"). Please choose a file name without one.";
    EXPECT_EQ(m_listMessages,
              std::vector<QString>({strRefused.arg("*.vey"), strRefused.arg("a?.vey")}));
    EXPECT_EQ(ReadFile(TempPath("out.vey")), "atom$a 1\r\n");
    EXPECT_EQ(Files("*.vey"), QStringList({"out.vey"}));

    // A document without a file offers its title, and exports with an empty file name.
    Execute(ID_FILE_NEW);
    m_listFileRequests.clear();
    Export(TempPath("new.vey"));
    ASSERT_EQ(m_listFileRequests.size(), 1u);
    EXPECT_EQ(m_listFileRequests[0].strInitialPath, ActiveDoc()->GetTitle() + ".vey");
    EXPECT_EQ(ReadFile(TempPath("new.vey")), "");
    EXPECT_TRUE(QFile::exists(TempPath("new.vey")));
    EXPECT_EQ(Shown(), " exported to " + TempPath("new.vey") + NOTE);
}

TEST_F(ExportToVeyTest, UnsavedChangesAreExportedAndTheDocumentStaysAsItWas) {
    const QString strSource = StartWithForm("a 1\r\n\t; indented\r\n");
    CSampleDoc* pDoc = ActiveDoc();
    Type(pDoc, 0, "    \r\nb 2\r\n");
    const QStringList listLines = LinesOf(pDoc);
    Export(TempPath("form.vey"));
    EXPECT_EQ(ReadFile(TempPath("form.vey")),
              "atom$\r\natom$b 2\r\natom$a 1\r\natom$\t; indented\r\n");
    EXPECT_TRUE(pDoc->IsModified());
    EXPECT_EQ(LinesOf(pDoc), listLines);
    EXPECT_EQ(ReadFile(strSource), "a 1\r\n\t; indented\r\n");
}

TEST_F(ExportToVeyTest, TheDocumentsOwnFileIsRefusedHoweverItIsSpelt) {
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("sub"));
    ASSERT_TRUE(QFile::link(TempPath("form.zarn"), TempPath("link.zarn")));
    ASSERT_TRUE(QFile::link(m_dir.path(), TempPath("sub/dirlink")));
    const QString strSource = StartWithForm("a 1\r\n");
    const QStringList listSpellings = {strSource,
                                       TempPath("sub/../form.zarn"),
                                       TempPath("./form.zarn"),
                                       TempPath("link.zarn"),
                                       TempPath("sub/dirlink/form.zarn"),
                                       QDir(m_dir.path()).relativeFilePath(strSource)};
    const QString strOldCurrent = QDir::currentPath();
    QDir::setCurrent(m_dir.path());
    for (const QString& strSpelling : listSpellings)
        Export(strSpelling);
    QDir::setCurrent(strOldCurrent);
    EXPECT_EQ(m_listMessages, std::vector<QString>(listSpellings.size(), EXPORT_TO_SELF));
    EXPECT_EQ(ReadFile(strSource), "a 1\r\n");
    EXPECT_TRUE(QFileInfo(TempPath("link.zarn")).isSymLink());
    EXPECT_EQ(Shown(), "earlier output");

    // After Save As the document's file is the new one, and the one it was opened from is
    // still its File Name: neither takes the export.
    AnswerFileDialogs({TempPath("copy.zarn")});
    Execute(ID_FILE_SAVE_AS);
    ASSERT_EQ(ActiveDoc()->GetPathName(), TempPath("copy.zarn"));
    m_listMessages.clear();
    Export(TempPath("sub/../copy.zarn"));
    Export(strSource);
    EXPECT_EQ(m_listMessages, std::vector<QString>(2, EXPORT_TO_SELF));
    EXPECT_EQ(ReadFile(TempPath("copy.zarn")), "a 1\r\n");
}

TEST_F(ExportToVeyTest, SameFilePathComparesCanonicalPaths) {
    const QString strFile = WriteFile("form.zarn", "");
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("d"));
    ASSERT_TRUE(QFile::link(TempPath("new.vey"), TempPath("dangling")));
    ASSERT_TRUE(QFile::link(TempPath("loop1"), TempPath("loop2")));
    ASSERT_TRUE(QFile::link(TempPath("loop2"), TempPath("loop1")));
    EXPECT_TRUE(IsSameFilePath(strFile, TempPath("d/../form.zarn")));
    // A file that does not exist yet, by its directory and name.
    EXPECT_TRUE(IsSameFilePath(TempPath("new.vey"), TempPath("./new.vey")));
    EXPECT_TRUE(IsSameFilePath(TempPath("dangling"), TempPath("new.vey")));
    EXPECT_FALSE(IsSameFilePath(TempPath("loop1"), TempPath("loop2")));
    EXPECT_FALSE(IsSameFilePath(strFile, TempPath("Form.zarn")));
    EXPECT_FALSE(IsSameFilePath(strFile, QString()));
    EXPECT_FALSE(IsSameFilePath(QString(), QString()));
}

TEST_F(ExportToVeyTest, WriteFailureIsToldAndLeavesNoNoteAndNoFile) {
    WriteFile("plain", "keep me");
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("folder.vey"));
    StartWithForm("a 1\r\n");
    Export(TempPath("plain/form.vey"));
    Export(TempPath("folder.vey"));
    EXPECT_EQ(
        m_listMessages,
        std::vector<QString>({"Cannot write " + TempPath("plain/form.vey") + ": Not a directory",
                              "Cannot write " + TempPath("folder.vey") + ": Is a directory"}));
    EXPECT_EQ(Shown(), "earlier output");
    EXPECT_EQ(ReadFile(TempPath("plain")), "keep me");
    EXPECT_TRUE(QFileInfo(TempPath("folder.vey")).isDir());
    EXPECT_EQ(Files(), QStringList({"form.zarn", "plain"}));
}

} // namespace
