// The runner with the program it exists for: Insert's "grimlet add -keepComments" on paths
// with blanks, the report streamed into the pane.
#include "ToolTestSupport.h"
#include "toolbridge/ToolRunner.h"

#include <QDir>
#include <QFile>

TEST_F(CToolRunnerTest, InsertRunsGrimletAddAndShowsItsReport) {
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("my forms"));
    const QString strDb = Path("my forms/MAIN.IDX");
    const QString strSource = Path("my forms/1234 copy.zarn");
    QFile source(strSource);
    ASSERT_TRUE(source.open(QIODevice::WriteOnly));
    source.write("; GID 1234\nform 1 ; a comment kept\n");
    source.close();

    CToolRunner init(GRIMLET, {"init", strDb}, &m_edit);
    init.Run();
    ASSERT_TRUE(QFile::exists(strDb)) << Shown().toStdString();

    m_edit.clear();
    CToolRunner add(GRIMLET, {"add", "-keepComments", strDb, strSource}, &m_edit);
    add.Run();
    EXPECT_FALSE(Shown().isEmpty());
    EXPECT_TRUE(Shown().endsWith(u'\n')) << Shown().toStdString();
    EXPECT_FALSE(Shown().startsWith("grimlet:")) << Shown().toStdString();

    m_edit.clear();
    CToolRunner list(GRIMLET, {"list", strDb}, &m_edit);
    list.Run();
    EXPECT_EQ(Shown(), "1234\n");
}

TEST_F(CToolRunnerTest, GrimletErrorOnItsStandardErrorReachesThePane) {
    CToolRunner add(GRIMLET, {"add", "-keepComments", Path("missing.idx"), Path("1234.zarn")},
                    &m_edit);
    add.Run();
    EXPECT_TRUE(Shown().startsWith("grimlet: ")) << Shown().toStdString();
    EXPECT_TRUE(Shown().endsWith(u'\n')) << Shown().toStdString();
}
