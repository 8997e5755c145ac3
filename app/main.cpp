// zarneditor: the Zarn form editor; opens the files named on its command line, or prints one
// of them without showing a window.
#include "app/CommandLineInfo.h"
#include "app/SampleApp.h"
#include "app/ShellPrint.h"

#include <QApplication>

int main(int argc, char** argv) {
    // Printing from the command line shows no window, so it needs no display (a remote shell,
    // a scheduled job) unless a platform is asked for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        for (int i = 1; i < argc; ++i) {
            if (CCommandLineInfo::IsPrintOption(QString::fromLocal8Bit(argv[i]))) {
                qputenv("QT_QPA_PLATFORM", "offscreen");
                break;
            }
        }
    }
    QApplication app(argc, argv);
    CCommandLineInfo cmdInfo;
    cmdInfo.ParseCommandLine(QApplication::arguments().mid(1));
    if (cmdInfo.m_nShellCommand != CCommandLineInfo::FileOpen)
        return ProcessShellCommand(cmdInfo);
    CSampleApp theApp;
    theApp.InitInstance(cmdInfo.m_listFiles, cmdInfo.m_bRecover);
    return QApplication::exec();
}
