// zarneditor: the Zarn form editor; opens the files named on its command line, or prints one
// of them without showing a window.
#include "app/CommandLineInfo.h"
#include "app/SampleApp.h"
#include "app/ShellPrint.h"

#include <cstdio>

#include <QApplication>

namespace {

bool TellsAboutTheProgram(const CCommandLineInfo& cmdInfo) {
    return cmdInfo.m_nShellCommand == CCommandLineInfo::ShowHelp ||
           cmdInfo.m_nShellCommand == CCommandLineInfo::ShowVersion;
}

int TellAboutTheProgram(const CCommandLineInfo& cmdInfo) {
    const QString strText = cmdInfo.m_nShellCommand == CCommandLineInfo::ShowHelp
                                ? CCommandLineInfo::GetHelp()
                                : CCommandLineInfo::GetVersion();
    std::fputs(strText.toLocal8Bit().constData(), stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QStringList listArgs;
    for (int i = 1; i < argc; ++i)
        listArgs.append(QString::fromLocal8Bit(argv[i]));
    // The help and the version need no display and no windowing system at all.
    CCommandLineInfo cmdInfo;
    cmdInfo.ParseCommandLine(listArgs);
    if (TellsAboutTheProgram(cmdInfo)) {
        const QCoreApplication core(argc, argv);
        return TellAboutTheProgram(cmdInfo);
    }
    // Printing shows no window either, so it needs no display (a remote shell, a scheduled
    // job) unless a platform is asked for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && CCommandLineInfo::OpensNoWindow(listArgs))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Ties the windows to the desktop entry, for their icon and name in the task bar.
    QGuiApplication::setDesktopFileName(QStringLiteral(ZARN_APP_ID));
    // Qt has now taken its own options (-style, -platform...) out of the list.
    cmdInfo.ParseCommandLine(QApplication::arguments().mid(1));
    if (TellsAboutTheProgram(cmdInfo))
        return TellAboutTheProgram(cmdInfo);
    if (cmdInfo.m_nShellCommand != CCommandLineInfo::FileOpen)
        return ProcessShellCommand(cmdInfo);
    CSampleApp theApp;
    theApp.InitInstance(cmdInfo.m_listFiles, cmdInfo.m_bRecover);
    return QApplication::exec();
}
