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

TEST(CommandLineInfoTest, OptionsFileNamesAndMistakes) {
    using C = CCommandLineInfo;
    struct Case {
        QStringList listArgs;
        C::ShellCommand nCommand;
        QStringList listFiles;
        QString strPrinterOrError = {}; // the printer of /pt, or the mistake
        bool bRecover = false;
    };
    // clang-format off
    const Case cases[] = {
        {{},                                     C::FileOpen,    {}},
        // Absolute paths start with a slash, like the options, and are still files.
        {{"form.zarn", "/home/me/p", "/pt/x.zarn"}, C::FileOpen, {"form.zarn", "/home/me/p", "/pt/x.zarn"}},
        // --recover stands anywhere among the names and is none of them.
        {{"a.zarn", "--recover", "b.zarn"},      C::FileOpen,    {"a.zarn", "b.zarn"}, "", true},
        // Print options take their file and printer wherever they stand.
        {{"/p", "f.zarn"},                       C::FilePrint,   {"f.zarn"}},
        {{"f.zarn", "-p"},                       C::FilePrint,   {"f.zarn"}},
        {{"--print", "f.zarn"},                  C::FilePrint,   {"f.zarn"}},
        {{"/pt", "f.zarn", "out.pdf"},           C::FilePrintTo, {"f.zarn"}, "out.pdf"},
        {{"f.zarn", "-pt", "out.pdf"},           C::FilePrintTo, {"f.zarn"}, "out.pdf"},
        {{"--pt", "f.zarn", "out.pdf"},          C::FilePrintTo, {"f.zarn"}, "out.pdf"},
        {{"--help"},                             C::ShowHelp,    {}},
        {{"f.zarn", "-h"},                       C::ShowHelp,    {}},
        {{"/p", "-help"},                        C::ShowHelp,    {}},
        {{"--version"},                          C::ShowVersion, {}},
        {{"-v", "f.zarn"},                       C::ShowVersion, {}},
        // After "--" every argument is a file, whatever it looks like.
        {{"--", "-p", "--help", "/pt"},          C::FileOpen,    {"-p", "--help", "/pt"}},
        {{"--print", "--", "-f.zarn"},           C::FilePrint,   {"-f.zarn"}},
        {{"/p"},                                 C::Invalid, {}, "/p takes one file name"},
        {{"--print", "a.zarn", "b.zarn"},        C::Invalid, {}, "--print takes one file name"},
        {{"/pt", "a.zarn"},                      C::Invalid, {}, "/pt takes a file name and a printer name"},
        {{"/pt", "a.zarn", "lp", "extra"},       C::Invalid, {}, "/pt takes a file name and a printer name"},
        {{"/p", "a.zarn", "/pt", "b.zarn", "lp"}, C::Invalid, {}, "/p and /pt cannot be given together"},
        {{"a.zarn", "-x"},                       C::Invalid, {}, "Unknown option 'x'."},
        {{"--print=a.zarn"},                     C::Invalid, {}, "Unexpected value after '--print'."},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.listArgs.join(' ').toStdString());
        C cmdInfo;
        cmdInfo.ParseCommandLine(c.listArgs);
        EXPECT_EQ(cmdInfo.m_nShellCommand, c.nCommand);
        if (c.nCommand != C::Invalid) {
            EXPECT_EQ(cmdInfo.m_listFiles, c.listFiles);
        }
        EXPECT_EQ(c.nCommand == C::Invalid ? cmdInfo.m_strError : cmdInfo.m_strPrinterName,
                  c.strPrinterOrError);
        EXPECT_EQ(cmdInfo.m_bRecover, c.bRecover);
    }
    // Only help, version and printing need no window.
    EXPECT_TRUE(C::OpensNoWindow({"f.zarn", "--version"}));
    EXPECT_TRUE(C::OpensNoWindow({"-h"}));
    EXPECT_TRUE(C::OpensNoWindow({"/pt", "f.zarn", "x.pdf"}));
    EXPECT_FALSE(C::OpensNoWindow({"f.zarn", "-style", "fusion"}));
    EXPECT_FALSE(C::OpensNoWindow({"--", "--help"}));
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
        for (const char* pszName : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(QLatin1String(pszName));
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
        QFile file(TempPath("form.zarn"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return file.fileName();
    }
};

TEST_F(CommandLinePrintTest, PrintToAPdfFileWritesItWithTheUsersMarginsAndExitsWithZero) {
    const QString strForm = WriteForm("; GID 1001\r\nuni_start_stream\r\n\tman_end_object\r\n");
    const QString strPdf = TempPath("form.pdf");
    Run run = RunEditor({"/pt", strForm, strPdf});
    EXPECT_EQ(run.nExitCode, 0) << run.strError.toStdString();
    PdfContent pdf = ReadPdf(strPdf);
    ASSERT_EQ(pdf.PageCount(), 1);
    EXPECT_EQ(pdf.RowsOfPage(1),
              QStringList({"; GID 1001", "uni_start_stream", "man_end_object", "Page 1/1"}));
    EXPECT_NEAR(pdf.Box(";").left(), MillimetresToPoints(10), 0.5);

    WriteProgramMargins(3000, 5000);
    run = RunEditor({WriteForm("uni_start_stream\n"), "-pt", strPdf});
    EXPECT_EQ(run.nExitCode, 0) << run.strError.toStdString();
    pdf = ReadPdf(strPdf);
    EXPECT_NEAR(pdf.Box("uni_start_stream").left(), MillimetresToPoints(30), 0.5);
    EXPECT_NEAR(pdf.Box("uni_start_stream").top(), MillimetresToPoints(50), 1.5);
}

TEST_F(CommandLinePrintTest, FailuresAreToldOnStandardErrorWithANonZeroStatus) {
    const QString strForm = WriteForm("uni_start_stream\r\n");
    const QString strMissing = TempPath("missing.zarn");
    const QString strNoFolder = TempPath("no-such-folder/out.pdf");
    const QString strFifo = TempPath("fifo.zarn");
    ASSERT_EQ(::mkfifo(QFile::encodeName(strFifo).constData(), 0644), 0);
    struct Case {
        QStringList listArgs;
        int nExitCode; // -1: any but 0
        QString strError;
    };
    std::vector<Case> cases = {
        {{"--print", strMissing}, -1, "Cannot open " + strMissing + ": No such file or directory"},
        {{"/pt", strForm, "no-such-printer"}, -1, "Unknown printer: no-such-printer"},
        {{"/pt", strForm, strNoFolder}, -1, "Cannot print to " + strNoFolder + "."},
        {{"/p"}, 2, "/p takes one file name\nUsage: zarneditor"},
        // A FIFO is refused without waiting for a writer.
        {{"/pt", strFifo, TempPath("fifo.pdf")},
         1,
         "Cannot open " + strFifo + ": not a regular file"},
        // The margins of the settings, written before this row, leave no room.
        {{"/pt", strForm, TempPath("wide.pdf")}, -1, "The page margins leave no room for text."},
    };
    // The default printer is never used by the test, only its absence.
    if (QPrinterInfo::defaultPrinterName().isEmpty())
        cases.push_back({{"/p", strForm}, -1, "No printer is installed"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.strError.toStdString());
        if (&c == &cases[5])
            WriteProgramMargins(30000, 1000);
        const Run run = RunEditor(c.listArgs, 30000);
        EXPECT_TRUE(c.nExitCode < 0 ? run.nExitCode != 0 : run.nExitCode == c.nExitCode)
            << run.nExitCode;
        EXPECT_TRUE(run.strError.contains("zarneditor: " + c.strError))
            << run.strError.toStdString();
        if (c.listArgs.size() == 3) {
            EXPECT_FALSE(QFile::exists(c.listArgs[2]));
        }
    }
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

} // namespace
