// CCommandLineInfo: what the program's command line asks for: files to open, one file to print
// without showing a window, or the program's help or version.
#pragma once

#include <QString>
#include <QStringList>

// The print options are the usual ones of desktop editors: "/p FILE" prints on the default
// printer, "/pt FILE PRINTER" on the named one; "-p", "--print" and "-pt" are the spellings that
// Linux users expect. An option may stand anywhere among the names; after "--" every argument
// is a name. Any other argument is a file to open, an absolute path included. "--recover"
// recovers the unsaved documents of editors that ended abnormally without asking first.
class CCommandLineInfo {
public:
    enum ShellCommand { FileOpen, FilePrint, FilePrintTo, ShowHelp, ShowVersion, Invalid };

    void ParseCommandLine(const QStringList& listArgs);
    // Whether the arguments ask for something that shows no window: a print, the help or the
    // version. Answered before Qt has taken its own options out of the list.
    static bool OpensNoWindow(const QStringList& listArgs);
    // The lines that tell how the program is called, shown after a mistake.
    static QString GetUsage();
    // What --help prints: the usage, then every option and argument explained.
    static QString GetHelp();
    // What --version prints.
    static QString GetVersion();

    ShellCommand m_nShellCommand = FileOpen;
    QStringList m_listFiles;  // FileOpen: every file; a print: the one file
    QString m_strPrinterName; // FilePrintTo: a print queue, or a PDF file when it ends in .pdf
    QString m_strError;       // Invalid: what is wrong
    bool m_bRecover = false;  // FileOpen: recover without asking
};
