// CCommandLineInfo: what the program's command line asks for: files to open, or one file to
// print without showing a window.
#pragma once

#include <QString>
#include <QStringList>

// The print options are the usual ones of desktop editors: "/p FILE" prints on the default
// printer, "/pt FILE PRINTER" on the named one; "--print FILE" is the spelling of /p that Linux
// users expect. An option may stand anywhere among the names. Any other argument is a file to
// open, an absolute path included, except "--recover", which recovers the unsaved documents
// of editors that ended abnormally without asking first.
class CCommandLineInfo {
public:
    enum ShellCommand { FileOpen, FilePrint, FilePrintTo, Invalid };

    void ParseCommandLine(const QStringList& listArgs);
    static bool IsPrintOption(const QString& strArg);
    // The lines that tell how the program is called.
    static QString GetUsage();

    ShellCommand m_nShellCommand = FileOpen;
    QStringList m_listFiles;  // FileOpen: every file; a print: the one file
    QString m_strPrinterName; // FilePrintTo: a print queue, or a PDF file when it ends in .pdf
    QString m_strError;       // Invalid: what is wrong
    bool m_bRecover = false;  // FileOpen: recover without asking
};
