// The editor takes the Hex Converter from libzarnhex.so at load time, not from a copy of its own.
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

QString RunTool(const QString& strProgram, const QStringList& listArguments) {
    QProcess tool;
    tool.start(strProgram, listArguments);
    if (!tool.waitForFinished() || tool.exitCode() != 0)
        return {};
    return QString::fromLocal8Bit(tool.readAllStandardOutput());
}

TEST(EditorImport, TheEditorNeedsLibZarnHexAndFindsItNextToItself) {
    const QString strDynamic = RunTool("readelf", {"--dynamic", ZARN_EDITOR_FILE});
    ASSERT_FALSE(strDynamic.isEmpty());
    EXPECT_TRUE(strDynamic.contains(QRegularExpression(R"(\(NEEDED\).*\[libzarnhex\.so\])")));
    EXPECT_TRUE(strDynamic.contains(QRegularExpression(R"(\((RUNPATH|RPATH)\).*\$ORIGIN)")));
}

TEST(EditorImport, ShowHexDialogIsImportedNotDefinedByTheEditor) {
    const QString strUndefined = RunTool("nm", {"-D", "--undefined-only", ZARN_EDITOR_FILE});
    EXPECT_TRUE(strUndefined.contains(
        QRegularExpression(R"(\bU ShowHexDialog$)", QRegularExpression::MultilineOption)));
    const QString strDefined = RunTool("nm", {"--defined-only", ZARN_EDITOR_FILE});
    EXPECT_FALSE(strDefined.contains("ShowHexDialog"));
    EXPECT_FALSE(strDefined.contains("CHexConverterDlg"));
}

} // namespace
