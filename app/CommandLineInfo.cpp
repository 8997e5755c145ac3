// CCommandLineInfo: telling the options from the files to open.
#include "app/CommandLineInfo.h"

#include <QCommandLineParser>

namespace {

constexpr char OPTION_HELP[] = "help";
constexpr char OPTION_VERSION[] = "version";
constexpr char OPTION_RECOVER[] = "recover";
constexpr char END_OF_OPTIONS[] = "--";

// An option's name without its dashes, or empty for an argument that is no option. Only the two
// print options are also spelled with a slash, so that every other absolute path stays a name.
QString OptionName(const QString& strArg) {
    if (strArg == QLatin1String("/p") || strArg == QLatin1String("/pt"))
        return strArg.mid(1);
    if (strArg.startsWith(QLatin1String("--")))
        return strArg.mid(2);
    if (strArg.size() > 1 && strArg.startsWith(u'-'))
        return strArg.mid(1);
    return {};
}

CCommandLineInfo::ShellCommand PrintCommand(const QString& strName) {
    if (strName == QLatin1String("p") || strName == QLatin1String("print"))
        return CCommandLineInfo::FilePrint;
    if (strName == QLatin1String("pt"))
        return CCommandLineInfo::FilePrintTo;
    return CCommandLineInfo::FileOpen;
}

// Single-dash words are whole names, so that "-pt" is the option pt and not -p -t.
void SetUpParser(QCommandLineParser& parser) {
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral(
        "Edits Zarn form definitions, or prints one without showing a window.\n\n"
        "  zarneditor [FILE...]         open the files; one that does not exist yet opens\n"
        "                               empty, to be saved under that name\n"
        "  zarneditor /p FILE           print FILE on the default printer and exit\n"
        "  zarneditor /pt FILE PRINTER  print FILE on PRINTER and exit; a PRINTER that ends\n"
        "                               in .pdf is a PDF file to write"));
    parser.addOption(QCommandLineOption({QStringLiteral("p"), QStringLiteral("print")},
                                        QStringLiteral("Print the one FILE on the default printer "
                                                       "and exit (also /p).")));
    parser.addOption(QCommandLineOption(QStringLiteral("pt"),
                                        QStringLiteral("Print FILE on the PRINTER named after it "
                                                       "and exit (also -pt and /pt).")));
    parser.addOption(QCommandLineOption(
        QString::fromLatin1(OPTION_RECOVER),
        QStringLiteral("Recover without asking the unsaved documents of editors that ended "
                       "abnormally, then open the files.")));
    parser.addOption(QCommandLineOption({QStringLiteral("h"), QString::fromLatin1(OPTION_HELP)},
                                        QStringLiteral("Show this help and exit.")));
    parser.addOption(QCommandLineOption({QStringLiteral("v"), QString::fromLatin1(OPTION_VERSION)},
                                        QStringLiteral("Show the version and exit.")));
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A form to open, or the one to print."),
                                 QStringLiteral("[FILE...]"));
}

} // namespace

bool CCommandLineInfo::OpensNoWindow(const QStringList& listArgs) {
    for (const QString& strArg : listArgs) {
        if (strArg == QLatin1String(END_OF_OPTIONS))
            return false;
        const QString strName = OptionName(strArg);
        if (PrintCommand(strName) != FileOpen || strName == QLatin1String(OPTION_HELP) ||
            strName == QLatin1String("h") || strName == QLatin1String(OPTION_VERSION) ||
            strName == QLatin1String("v"))
            return true;
    }
    return false;
}

QString CCommandLineInfo::GetUsage() {
    return QStringLiteral(
        "Usage: zarneditor [FILE...]           open the files; one that does not exist yet\n"
        "                                      opens empty, to be saved under that name\n"
        "       zarneditor --recover [FILE...] the same, and recover without asking the unsaved\n"
        "                                      documents of editors that ended abnormally\n"
        "       zarneditor /p FILE             print FILE on the default printer and exit\n"
        "       zarneditor --print FILE        the same (also -p)\n"
        "       zarneditor /pt FILE PRINTER    print FILE on PRINTER and exit; a PRINTER that\n"
        "                                      ends in .pdf is a PDF file to write (also -pt)\n"
        "       zarneditor --help | --version  tell how the program is called, or its version\n");
}

QString CCommandLineInfo::GetHelp() {
    QCommandLineParser parser;
    SetUpParser(parser);
    return parser.helpText();
}

QString CCommandLineInfo::GetVersion() {
    return QStringLiteral("zarneditor " ZARN_VERSION "\n");
}

void CCommandLineInfo::ParseCommandLine(const QStringList& listArgs) {
    m_nShellCommand = FileOpen;
    m_listFiles.clear();
    m_strPrinterName.clear();
    m_strError.clear();
    m_bRecover = false;

    // The parser knows options by their dashes; the print options are kept as the user spelled
    // them, for the messages.
    QStringList listParserArgs{QStringLiteral("zarneditor")};
    QStringList listPrintOptions;
    bool bOptions = true;
    for (const QString& strArg : listArgs) {
        if (strArg == QLatin1String(END_OF_OPTIONS))
            bOptions = false;
        const QString strName = bOptions ? OptionName(strArg) : QString();
        if (PrintCommand(strName) != FileOpen)
            listPrintOptions.append(strArg);
        listParserArgs.append(
            bOptions && strArg.startsWith(u'/') && !strName.isEmpty() ? u'-' + strName : strArg);
    }
    QCommandLineParser parser;
    SetUpParser(parser);
    if (!parser.parse(listParserArgs)) {
        m_nShellCommand = Invalid;
        m_strError = parser.errorText();
        return;
    }
    if (parser.isSet(QString::fromLatin1(OPTION_HELP))) {
        m_nShellCommand = ShowHelp;
        return;
    }
    if (parser.isSet(QString::fromLatin1(OPTION_VERSION))) {
        m_nShellCommand = ShowVersion;
        return;
    }

    m_bRecover = parser.isSet(QString::fromLatin1(OPTION_RECOVER));
    QStringList listNames = parser.positionalArguments();
    if (listPrintOptions.size() > 1) {
        m_nShellCommand = Invalid;
        m_strError = QStringLiteral("%1 and %2 cannot be given together")
                         .arg(listPrintOptions[0], listPrintOptions[1]);
        return;
    }
    if (!listPrintOptions.isEmpty()) {
        const QString& strOption = listPrintOptions.constFirst();
        m_nShellCommand = PrintCommand(OptionName(strOption));
        const qsizetype nWanted = m_nShellCommand == FilePrintTo ? 2 : 1;
        if (listNames.size() != nWanted) {
            m_strError =
                m_nShellCommand == FilePrintTo
                    ? QStringLiteral("%1 takes a file name and a printer name").arg(strOption)
                    : QStringLiteral("%1 takes one file name").arg(strOption);
            m_nShellCommand = Invalid;
            return;
        }
    }
    if (m_nShellCommand == FilePrintTo)
        m_strPrinterName = listNames.takeLast();
    m_listFiles = listNames;
}
