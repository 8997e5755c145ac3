// CCommandLineInfo: telling the print options from the files to open.
#include "app/CommandLineInfo.h"

namespace {

constexpr char RECOVER_OPTION[] = "--recover";

CCommandLineInfo::ShellCommand PrintOptionCommand(const QString& strArg) {
    if (strArg == QLatin1String("/p") || strArg == QLatin1String("-p") ||
        strArg == QLatin1String("--print"))
        return CCommandLineInfo::FilePrint;
    if (strArg == QLatin1String("/pt") || strArg == QLatin1String("-pt"))
        return CCommandLineInfo::FilePrintTo;
    return CCommandLineInfo::FileOpen;
}

} // namespace

bool CCommandLineInfo::IsPrintOption(const QString& strArg) {
    return PrintOptionCommand(strArg) != FileOpen;
}

QString CCommandLineInfo::GetUsage() {
    return QStringLiteral(
        "Usage: zarneditor [FILE...]          open the files; one that does not exist yet\n"
        "                                     opens empty, to be saved under that name\n"
        "       zarneditor --recover [FILE...]\n"
        "                                     the same, and recover without asking the unsaved\n"
        "                                     documents of editors that ended abnormally\n"
        "       zarneditor /p FILE            print FILE on the default printer and exit\n"
        "       zarneditor --print FILE       the same\n"
        "       zarneditor /pt FILE PRINTER   print FILE on PRINTER and exit; a PRINTER that\n"
        "                                     ends in .pdf is a PDF file to write\n");
}

void CCommandLineInfo::ParseCommandLine(const QStringList& listArgs) {
    m_nShellCommand = FileOpen;
    m_listFiles.clear();
    m_strPrinterName.clear();
    m_strError.clear();
    m_bRecover = false;
    QStringList listNames;
    QString strOption;
    for (const QString& strArg : listArgs) {
        if (strArg == QLatin1String(RECOVER_OPTION)) {
            m_bRecover = true;
            continue;
        }
        const ShellCommand nCommand = PrintOptionCommand(strArg);
        if (nCommand == FileOpen) {
            listNames.append(strArg);
            continue;
        }
        if (!strOption.isEmpty()) {
            m_nShellCommand = Invalid;
            m_strError =
                QStringLiteral("%1 and %2 cannot be given together").arg(strOption, strArg);
            return;
        }
        strOption = strArg;
        m_nShellCommand = nCommand;
    }

    const qsizetype nWanted = m_nShellCommand == FilePrintTo ? 2 : 1;
    if (m_nShellCommand != FileOpen && listNames.size() != nWanted) {
        m_strError = m_nShellCommand == FilePrintTo
                         ? QStringLiteral("%1 takes a file name and a printer name").arg(strOption)
                         : QStringLiteral("%1 takes one file name").arg(strOption);
        m_nShellCommand = Invalid;
        return;
    }
    if (m_nShellCommand == FilePrintTo)
        m_strPrinterName = listNames.takeLast();
    m_listFiles = listNames;
}
