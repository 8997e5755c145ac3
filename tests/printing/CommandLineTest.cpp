// The command line: how the options are told from file names, and the real program printing a
// file to a PDF and exiting, or saying why it could not, or telling its help and version.
#include "app/CommandLineInfo.h"
#include "tests/printing/PrintTestSupport.h"

#include <sys/stat.h>

#include <QFile>
#include <QPrinterInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>

namespace {

CCommandLineInfo Parse(const QStringList& listArgs) {
    CCommandLineInfo cmdInfo;
    cmdInfo.ParseCommandLine(listArgs);
    return cmdInfo;
}

TEST(CommandLineInfoTest, NamesWithoutAPrintOptionAreFilesToOpen) {
    CCommandLineInfo cmdInfo = Parse({});
    EXPECT_EQ(cmdInfo.m_nShellCommand, CCommandLineInfo::FileOpen);
    EXPECT_TRUE(cmdInfo.m_listFiles.isEmpty());

    // Absolute paths start with a slash, like the options, and are still files.
    cmdInfo = Parse({"form.zarn", "/home/me/p", "/pt/x.zarn"});
    EXPECT_EQ(cmdInfo.m_nShellCommand, CCommandLineInfo::FileOpen);
    EXPECT_EQ(cmdInfo.m_listFiles, QStringList({"form.zarn", "/home/me/p", "/pt/x.zarn"}));
    EXPECT_FALSE(cmdInfo.m_bRecover);

    // --recover stands anywhere among the names and is none of them.
    cmdInfo = Parse({"a.zarn", "--recover", "b.zarn"});
    EXPECT_EQ(cmdInfo.m_nShellCommand, CCommandLineInfo::FileOpen);
    EXPECT_EQ(cmdInfo.m_listFiles, QStringList({"a.zarn", "b.zarn"}));
    EXPECT_TRUE(cmdInfo.m_bRecover);
}

TEST(CommandLineInfoTest, PrintOptionsTakeTheirFileAndPrinterWhereverTheyStand) {
    for (const QStringList& listArgs : {QStringList{"/p", "f.zarn"}, QStringList{"f.zarn", "-p"},
                                        QStringList{"--print", "f.zarn"}}) {
        const CCommandLineInfo cmdInfo = Parse(listArgs);
        EXPECT_EQ(cmdInfo.m_nShellCommand, CCommandLineInfo::FilePrint)
            << listArgs.join(' ').toStdString();
        EXPECT_EQ(cmdInfo.m_listFiles, QStringList({"f.zarn"}));
    }
    for (const QStringList& listArgs :
         {QStringList{"/pt", "f.zarn", "out.pdf"}, QStringList{"f.zarn", "-pt", "out.pdf"},
          QStringList{"--pt", "f.zarn", "out.pdf"}}) {
        const CCommandLineInfo cmdInfo = Parse(listArgs);
        EXPECT_EQ(cmdInfo.m_nShellCommand, CCommandLineInfo::FilePrintTo)
            << listArgs.join(' ').toStdString();
        EXPECT_EQ(cmdInfo.m_listFiles, QStringList({"f.zarn"}));
        EXPECT_EQ(cmdInfo.m_strPrinterName, "out.pdf");
    }
}

TEST(CommandLineInfoTest, HelpVersionAndTheEndOfOptions) {
    struct Case {
        QStringList listArgs;
        CCommandLineInfo::ShellCommand nCommand;
        QStringList listFiles;
    };
    const Case aCases[] = {
        {{"--help"}, CCommandLineInfo::ShowHelp, {}},
        {{"f.zarn", "-h"}, CCommandLineInfo::ShowHelp, {}},
        {{"/p", "-help"}, CCommandLineInfo::ShowHelp, {}},
        {{"--version"}, CCommandLineInfo::ShowVersion, {}},
        {{"-v", "f.zarn"}, CCommandLineInfo::ShowVersion, {}},
        // After "--" every argument is a file, whatever it looks like.
        {{"--", "-p", "--help", "/pt"}, CCommandLineInfo::FileOpen, {"-p", "--help", "/pt"}},
        {{"--print", "--", "-f.zarn"}, CCommandLineInfo::FilePrint, {"-f.zarn"}},
    };
    for (const Case& c : aCases) {
        const CCommandLineInfo cmdInfo = Parse(c.listArgs);
        EXPECT_EQ(cmdInfo.m_nShellCommand, c.nCommand) << c.listArgs.join(' ').toStdString();
        EXPECT_EQ(cmdInfo.m_listFiles, c.listFiles) << c.listArgs.join(' ').toStdString();
    }
    // Only these, and printing, need no window.
    EXPECT_TRUE(CCommandLineInfo::OpensNoWindow({"f.zarn", "--version"}));
    EXPECT_TRUE(CCommandLineInfo::OpensNoWindow({"-h"}));
    EXPECT_TRUE(CCommandLineInfo::OpensNoWindow({"/pt", "f.zarn", "x.pdf"}));
    EXPECT_FALSE(CCommandLineInfo::OpensNoWindow({"f.zarn", "-style", "fusion"}));
    EXPECT_FALSE(CCommandLineInfo::OpensNoWindow({"--", "--help"}));
}

TEST(CommandLineInfoTest, APrintOptionWithTheWrongArgumentsIsAMistake) {
    struct Case {
        QStringList listArgs;
        const char* pszError;
    };
    const Case aCases[] = {
        {{"/p"}, "/p takes one file name"},
        {{"--print", "a.zarn", "b.zarn"}, "--print takes one file name"},
        {{"/pt", "a.zarn"}, "/pt takes a file name and a printer name"},
        {{"/pt", "a.zarn", "lp", "extra"}, "/pt takes a file name and a printer name"},
        {{"/p", "a.zarn", "/pt", "b.zarn", "lp"}, "/p and /pt cannot be given together"},
        {{"a.zarn", "-x"}, "Unknown option 'x'."},
        {{"--print=a.zarn"}, "Unexpected value after '--print'."},
    };
    for (const Case& c : aCases) {
        const CCommandLineInfo cmdInfo = Parse(c.listArgs);
        EXPECT_EQ(cmdInfo.m_nShellCommand, CCommandLineInfo::Invalid)
            << c.listArgs.join(' ').toStdString();
        EXPECT_EQ(cmdInfo.m_strError, c.pszError);
    }
}

// The real program, run without a display, with settings of its own.
class CommandLinePrintTest : public CPrintTest {
protected:
    struct Run {
        int nExitCode = -1;
        QString strOutput; // standard output
        QString strError;  // standard error
    };

    Run RunEditor(const QStringList& listArgs, int nWaitMs = 120000) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), TempPath("config"));
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(ZARN_BUILD_DIR "/zarneditor"), listArgs);
        Run run;
        if (!process.waitForFinished(nWaitMs) || process.exitStatus() != QProcess::NormalExit) {
            ADD_FAILURE() << "zarneditor did not exit";
            process.kill();
            process.waitForFinished();
            return run;
        }
        run.nExitCode = process.exitCode();
        run.strOutput = QString::fromLocal8Bit(process.readAllStandardOutput());
        run.strError = QString::fromLocal8Bit(process.readAllStandardError());
        return run;
    }

    // The margins in the settings file the program reads.
    void WriteProgramMargins(int nLeft, int nTop) {
        QSettings settings(TempPath("config/ZarnEditor/Zarn Editor.conf"), QSettings::IniFormat);
        settings.setValue(QStringLiteral("TextEdit/PageSetup/LeftMargin"), nLeft);
        settings.setValue(QStringLiteral("TextEdit/PageSetup/TopMargin"), nTop);
    }

    QString WriteForm(const QByteArray& text) {
        const QString strPath = TempPath("form.zarn");
        QFile file(strPath);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return strPath;
    }
};

TEST_F(CommandLinePrintTest, PrintToAPdfFileWritesItAndExitsWithZero) {
    const QString strForm = WriteForm("; GID 1001\r\nuni_start_stream\r\n\tman_end_object\r\n");
    const QString strPdf = TempPath("form.pdf");
    const Run run = RunEditor({"/pt", strForm, strPdf});
    EXPECT_EQ(run.nExitCode, 0) << run.strError.toStdString();
    const PdfContent pdf = ReadPdf(strPdf);
    ASSERT_EQ(pdf.PageCount(), 1);
    EXPECT_EQ(pdf.RowsOfPage(1),
              QStringList({"; GID 1001", "uni_start_stream", "man_end_object", "Page 1/1"}));
    const PdfWord* pFirst = pdf.Find(";");
    ASSERT_NE(pFirst, nullptr);
    EXPECT_NEAR(pFirst->rc.left(), MillimetresToPoints(10), 0.5);
}

TEST_F(CommandLinePrintTest, ThePrintKeepsTheMarginsOfTheUsersSettings) {
    WriteProgramMargins(3000, 5000);
    const QString strPdf = TempPath("margins.pdf");
    const Run run = RunEditor({WriteForm("uni_start_stream\n"), "-pt", strPdf});
    EXPECT_EQ(run.nExitCode, 0) << run.strError.toStdString();
    const PdfContent pdf = ReadPdf(strPdf);
    const PdfWord* pWord = pdf.Find("uni_start_stream");
    ASSERT_NE(pWord, nullptr);
    EXPECT_NEAR(pWord->rc.left(), MillimetresToPoints(30), 0.5);
    EXPECT_NEAR(pWord->rc.top(), MillimetresToPoints(50), 1.5);
}

TEST_F(CommandLinePrintTest, FailuresAreToldOnStandardErrorWithANonZeroStatus) {
    const QString strForm = WriteForm("uni_start_stream\r\n");
    const QString strMissing = TempPath("missing.zarn");
    Run run = RunEditor({"--print", strMissing});
    EXPECT_NE(run.nExitCode, 0);
    EXPECT_TRUE(run.strError.contains("zarneditor: Cannot open " + strMissing +
                                      ": No such file or directory"))
        << run.strError.toStdString();

    run = RunEditor({"/pt", strForm, "no-such-printer"});
    EXPECT_NE(run.nExitCode, 0);
    EXPECT_TRUE(run.strError.contains("zarneditor: Unknown printer: no-such-printer"))
        << run.strError.toStdString();

    const QString strNoFolder = TempPath("no-such-folder/out.pdf");
    run = RunEditor({"/pt", strForm, strNoFolder});
    EXPECT_NE(run.nExitCode, 0);
    EXPECT_TRUE(run.strError.contains("zarneditor: Cannot print to " + strNoFolder + "."))
        << run.strError.toStdString();

    WriteProgramMargins(30000, 1000);
    run = RunEditor({"/pt", strForm, TempPath("wide.pdf")});
    EXPECT_NE(run.nExitCode, 0);
    EXPECT_TRUE(run.strError.contains("The page margins leave no room for text."))
        << run.strError.toStdString();
    EXPECT_FALSE(QFile::exists(TempPath("wide.pdf")));

    run = RunEditor({"/p"});
    EXPECT_EQ(run.nExitCode, 2);
    EXPECT_TRUE(run.strError.contains("zarneditor: /p takes one file name\nUsage: zarneditor"))
        << run.strError.toStdString();
}

TEST_F(CommandLinePrintTest, PrintingAFifoIsRefusedWithoutWaitingForAWriter) {
    const QString strFifo = TempPath("form.zarn");
    ASSERT_EQ(::mkfifo(QFile::encodeName(strFifo).constData(), 0644), 0);
    const QString strPdf = TempPath("fifo.pdf");
    // Far more than the program needs to start and exit; a wait for a writer never ends.
    const Run run = RunEditor({"/pt", strFifo, strPdf}, 30000);
    EXPECT_EQ(run.nExitCode, 1);
    EXPECT_TRUE(
        run.strError.contains("zarneditor: Cannot open " + strFifo + ": not a regular file"))
        << run.strError.toStdString();
    EXPECT_FALSE(QFile::exists(strPdf));
}

TEST_F(CommandLinePrintTest, HelpAndVersionArePrintedOnStandardOutputWithoutADisplay) {
    Run run = RunEditor({"--version"});
    EXPECT_EQ(run.nExitCode, 0) << run.strError.toStdString();
    EXPECT_EQ(run.strOutput, "zarneditor " ZARN_VERSION "\n");

    run = RunEditor({"--help"});
    EXPECT_EQ(run.nExitCode, 0) << run.strError.toStdString();
    EXPECT_TRUE(run.strError.isEmpty()) << run.strError.toStdString();
    EXPECT_TRUE(run.strOutput.startsWith("Usage: ")) << run.strOutput.toStdString();
    // Every way of calling the program is listed.
    for (const char* pszForm : {"[FILE...]", "/p FILE", "/pt FILE PRINTER", "-p, --print", "--pt",
                                "-h, --help", "-v, --version"})
        EXPECT_TRUE(run.strOutput.contains(pszForm)) << pszForm;
}

TEST_F(CommandLinePrintTest, PrintingOnTheDefaultPrinterWithoutAnyIsRefused) {
    if (!QPrinterInfo::defaultPrinterName().isEmpty())
        GTEST_SKIP() << "this machine has a default printer, which the test must not use";
    const Run run = RunEditor({"/p", WriteForm("uni_start_stream\r\n")});
    EXPECT_NE(run.nExitCode, 0);
    EXPECT_TRUE(run.strError.contains("zarneditor: No printer is installed"))
        << run.strError.toStdString();
}

} // namespace
