// Printing, read back from real PDF files: printed rows, pages, the printing commands of the
// running editor, and the real program printing from its command line.
#include "app/CommandLineInfo.h"
#include "resources/CommandIds.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/PrintQString.h"
#include "tests/view/ViewTestSupport.h"
#include "view/AppPrinter.h"
#include "view/PageSetupDlg.h"
#include "view/PrintedRows.h"

#include <random>
#include <sys/stat.h>

#include <QtPrintSupport>
#include <QtTest>
#include <QtWidgets>

namespace {

// A PDF read back: each page's rows of words, and every word's box in points from the top left.
struct PdfContent {
    std::vector<QStringList> pages;
    std::vector<std::pair<QString, QRectF>> words;

    QRectF Box(const QString& strText) const {
        for (const auto& [strWord, rc] : words) {
            if (strWord == strText)
                return rc;
        }
        ADD_FAILURE() << "no word " << strText.toStdString() << " printed";
        return {};
    }
};

PdfContent ReadPdf(const QString& strPath) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), strPath, "-"});
    const bool bRead = process.waitForFinished(60000) &&
                       process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    EXPECT_TRUE(bRead) << "pdftotext cannot read " << strPath.toStdString();
    QXmlStreamReader xml(bRead ? process.readAllStandardOutput() : QByteArray());
    std::vector<std::vector<std::pair<QString, QRectF>>> pages;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        auto number = [&](const char* pszName) {
            return xml.attributes().value(QLatin1String(pszName)).toDouble();
        };
        if (xml.name() == QLatin1String("page"))
            pages.emplace_back();
        if (xml.name() == QLatin1String("word"))
            pages.back().emplace_back(xml.readElementText(),
                                      QRectF(QPointF(number("xMin"), number("yMin")),
                                             QPointF(number("xMax"), number("yMax"))));
    }
    // pdftotext guesses a reading order; the tests want the rows as they lie on the sheet.
    PdfContent content;
    for (auto& page : pages) {
        std::stable_sort(page.begin(), page.end(), [](const auto& a, const auto& b) {
            if (std::abs(a.second.top() - b.second.top()) > 1.0)
                return a.second.top() < b.second.top();
            return a.second.left() < b.second.left();
        });
        QStringList& rows = content.pages.emplace_back();
        for (size_t i = 0; i < page.size(); ++i) {
            const bool bSameRow =
                i > 0 && std::abs(page[i].second.top() - page[i - 1].second.top()) <= 1.0;
            (bSameRow ? rows.last() += ' ' : rows.emplace_back()) += page[i].first;
        }
        content.words.insert(content.words.end(), page.begin(), page.end());
    }
    return content;
}

// The rows of every page without their footers, in order; each page ends with its footer.
QStringList BodyRows(const PdfContent& pdf) {
    QStringList rows;
    for (size_t nPage = 1; nPage <= pdf.pages.size(); ++nPage) {
        QStringList pageRows = pdf.pages[nPage - 1];
        EXPECT_EQ(pageRows.takeLast(), QString("Page %1/%2").arg(nPage).arg(pdf.pages.size()));
        rows += pageRows;
    }
    return rows;
}

constexpr double A4_WIDTH = 595.0, A4_HEIGHT = 842.0; // points
// pdftotext's boxes come from the font's own ascent and descent, not the row's: a little slack.
constexpr double BOX_SLACK = 1.5;
const QString NO_ROOM = "The page margins leave no room for text. Make them smaller in Page Setup.";

std::vector<std::string> NumberedLines(int nLines) {
    std::vector<std::string> lines;
    for (int i = 0; i < nLines; ++i)
        lines.push_back("line" + std::to_string(i));
    return lines;
}

// nCount words "word1000", "word1001", ... from word nFirst, one blank between them.
std::string Words(int nFirst, int nCount) {
    std::string text;
    for (int i = nFirst; i < nFirst + nCount; ++i)
        text += (text.empty() ? "word" : " word") + std::to_string(1000 + i);
    return text;
}

// Without stored margins or a printer; print dialogs choose m_strDialogChoice, or cancel.
class PrintTest : public CAppTest {
protected:
    void SetUp() override {
        CAppTest::SetUp();
        QSettings().remove(QStringLiteral("TextEdit/PageSetup"));
        QPrinter& printer = GetAppPrinter();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName({});
        printer.setPageSize(QPageSize(QPageSize::A4));
        SetPrintDialogHandler([this](QPrinter& printer, PrintDialogKind kind) {
            m_listDialogs.push_back(kind);
            if (m_strDialogChoice.isEmpty())
                return false;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(m_strDialogChoice);
            return true;
        });
    }
    void TearDown() override {
        SetPrintDialogHandler({});
        QSettings().remove(QStringLiteral("TextEdit/PageSetup"));
        CAppTest::TearDown();
    }

    // Prints as the editor's view does, on an A4 PDF printer; nFromPage > 0 asks for a range.
    PrintResult PrintLines(const std::vector<std::string>& lines, const QString& strPdf,
                           int nFromPage = 0, int nToPage = 0) {
        const std::unique_ptr<CTextBuffer> pBuffer = MakeBuffer(lines);
        CSampleView view;
        view.SetDocumentBuffer(pBuffer.get());
        view.OnInitialUpdate();
        m_nScreenDpi = view.logicalDpiY();
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(strPdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
        if (nFromPage > 0) {
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(nFromPage, nToPage);
        }
        const PrintResult result = view.PrintDocument(printer);
        EXPECT_EQ(view.GetPrintPageCount(), 0) << "the job's state outlived the job";
        return result;
    }
    PdfContent PrintAndRead(const std::vector<std::string>& lines) {
        EXPECT_TRUE(PrintLines(lines, TempPath("print.pdf")).bOk);
        return ReadPdf(TempPath("print.pdf"));
    }
    static double MillimetresToPoints(double fMillimetres) { return fMillimetres * 72 / 25.4; }
    // A printed row in points: the screen font's cell (17 pixels) at half its size.
    double RowHeight() const { return std::round(17.0 * 1200 / (2.0 * m_nScreenDpi)) * 72 / 1200; }

    void OpenNumberedLines(int nLines) {
        QByteArray text;
        for (int i = 0; i < nLines; ++i)
            text += "line" + QByteArray::number(i) + "\r\n";
        StartApp({WriteFile("numbers.zarn", text)});
    }
    // Page Setup: its fields (mm) checked against `shown`, set to `set`, closed with `button`.
    void RunPageSetup(std::array<double, 4> shown, std::array<double, 4> set,
                      QDialogButtonBox::StandardButton button) {
        DriveNextModalDialog([=](QWidget* pDialog) {
            for (size_t i = 0; i < 4; ++i) {
                const char* pszName = std::array{"IDC_LEFT_MARGIN", "IDC_RIGHT_MARGIN",
                                                 "IDC_TOP_MARGIN", "IDC_BOTTOM_MARGIN"}[i];
                auto* pField = pDialog->findChild<QDoubleSpinBox*>(QLatin1String(pszName));
                ASSERT_NE(pField, nullptr) << pszName;
                EXPECT_DOUBLE_EQ(pField->value(), shown[i]) << pszName;
                pField->setValue(set[i]);
            }
            pDialog->findChild<QDialogButtonBox*>()->button(button)->click();
        });
        Execute(ID_FILE_PAGE_SETUP);
    }

    // The real program without a display, with its own settings: exit code, stdout, stderr.
    std::tuple<int, QString, QString> RunEditor(const QStringList& listArgs) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* pszName : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(QLatin1String(pszName));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), TempPath("config"));
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(ZARN_BUILD_DIR "/zarneditor"), listArgs);
        const bool bExited =
            process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit;
        EXPECT_TRUE(bExited) << "zarneditor did not exit";
        process.kill();
        process.waitForFinished();
        return {bExited ? process.exitCode() : -1,
                QString::fromLocal8Bit(process.readAllStandardOutput()),
                QString::fromLocal8Bit(process.readAllStandardError())};
    }
    // The margins in the settings file the program reads.
    void WriteProgramMargins(int nLeft, int nTop) {
        QSettings settings(TempPath("config/ZarnEditor/Zarn Editor.conf"), QSettings::IniFormat);
        settings.setValue(QStringLiteral("TextEdit/PageSetup/LeftMargin"), nLeft);
        settings.setValue(QStringLiteral("TextEdit/PageSetup/TopMargin"), nTop);
    }

    int m_nScreenDpi = 96;
    std::vector<PrintDialogKind> m_listDialogs;
    QString m_strDialogChoice;
};

// A row of a printed line: its first character's index, its length, its top and its height.
using Row = std::tuple<int, int, qreal, qreal>;

// Long and short words, blank runs, punctuation and now and then another font's character.
QString RandomText(std::mt19937& rng, int nLength) {
    static const QString s_strPunctuation = QStringLiteral("()[]{}-/\"'!?.,;:%$+");
    QString text;
    while (text.size() < nLength) {
        const unsigned nKind = rng() % 5;
        if (nKind == 0)
            text += QString(1 + static_cast<int>(rng() % 300),
                            QChar(static_cast<char16_t>('a' + rng() % 26)));
        else if (nKind == 1)
            text += QString(1 + static_cast<int>(rng() % (rng() % 10 == 0 ? 400 : 3)), ' ');
        else if (nKind == 2)
            text += s_strPunctuation[static_cast<qsizetype>(rng() % s_strPunctuation.size())];
        else if (nKind == 3)
            text +=
                rng() % 20 == 0 ? QChar(0x25A1) : QChar(static_cast<char16_t>('0' + rng() % 10));
        else
            text += QStringLiteral("word ");
    }
    return text;
}

TEST(PrintedRows, PiecesBreakIntoTheRowsOfTheWholeLine) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QFont font(QStringLiteral("Courier New"), 10);
    std::mt19937 rng(1701);
    for (int nCase = 0; nCase < 60; ++nCase) {
        QString text = RandomText(rng, 5000 + static_cast<int>(rng() % 4000));
        // Qt shapes text in items of 4096 characters: blanks hang across the first one's end.
        if (nCase % 2 == 0)
            text.replace(4096 - static_cast<int>(rng() % 300), 300, QString(300, ' '));
        const int nWidth = 300 + static_cast<int>(rng() % 4000);
        SCOPED_TRACE(testing::Message() << "case " << nCase << " width " << nWidth);
        QTextLayout layout(text, font, &printer);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        std::vector<Row> whole;
        for (QTextLine row = layout.createLine(); row.isValid(); row = layout.createLine()) {
            row.setLineWidth(nWidth);
            row.setPosition(QPointF(
                0, whole.empty() ? 0 : std::get<2>(whole.back()) + std::get<3>(whole.back())));
            whole.emplace_back(row.textStart(), row.textLength(), row.y(), row.height());
        }
        layout.endLayout();
        ASSERT_GT(whole.size(), 2u);
        const int nPiece =
            rng() % 3 == 0 ? PRINTED_PIECE_LENGTH : 100 + static_cast<int>(rng() % 900);
        // From the start, and from a row in the middle as a page that starts inside the line.
        const size_t k = rng() % whole.size();
        for (const PrintedRowStart from :
             {PrintedRowStart{}, PrintedRowStart{std::get<0>(whole[k]), std::get<2>(whole[k])}}) {
            std::vector<Row> rows;
            WalkPrintedRows([&text](int nFrom, int nTo) { return text.mid(nFrom, nTo - nFrom); },
                            static_cast<int>(text.size()), font, &printer, nWidth, from,
                            [&rows](const QTextLine& row, const PrintedRowStart& start) {
                                rows.emplace_back(start.nIndex, row.textLength(), start.fTop,
                                                  row.height());
                                return true;
                            },
                            nPiece);
            EXPECT_EQ(rows,
                      std::vector<Row>(whole.begin() + (from.nIndex > 0 ? k : 0), whole.end()));
        }
    }
}

TEST_F(PrintTest, TheTextLiesWithinTheMarginsOrIsNotPrintedWhenTheyLeaveNoRoom) {
    // Stored margins (1/100 mm, negative ones counting as 0), then left, right, top, bottom in mm.
    for (const auto& [margins, fLeft, fRight, fTop, fBottom] :
         {std::tuple{PageMargins{}, 10.0, 10.0, 10.0, 10.0},
          {PageMargins{2500, 3000, 4000, 2000}, 25.0, 30.0, 40.0, 20.0},
          {PageMargins{-500, 1000, -2000, 1000}, 0.0, 10.0, 0.0, 10.0}}) {
        WritePageMargins(margins);
        const PdfContent pdf = PrintAndRead({"first second", Words(0, 200)});
        ASSERT_EQ(pdf.pages.size(), 1u) << fLeft;
        EXPECT_NEAR(pdf.Box("first").left(), MillimetresToPoints(fLeft), 0.5);
        EXPECT_NEAR(pdf.Box("first").top(), MillimetresToPoints(fTop), BOX_SLACK);
        double xRightmost = 0;
        for (const auto& [strWord, rc] : pdf.words) {
            EXPECT_GE(rc.left(), MillimetresToPoints(fLeft) - 0.5) << fLeft;
            xRightmost = std::max(xRightmost, rc.right());
        }
        EXPECT_LE(xRightmost, A4_WIDTH - MillimetresToPoints(fRight) + 0.5);
        EXPECT_GT(xRightmost, A4_WIDTH - MillimetresToPoints(fRight) - 30);
        // The footer's band ends at the bottom margin, and its text sits on that line.
        const QRectF rcNumbers = pdf.Box("1/1");
        EXPECT_NEAR(rcNumbers.bottom(), A4_HEIGHT - MillimetresToPoints(fBottom), BOX_SLACK);
        EXPECT_NEAR((pdf.Box("Page").left() + rcNumbers.right()) / 2,
                    A4_WIDTH / 2 + MillimetresToPoints(fLeft - fRight) / 2, 1.0);
    }
    // Stored margins that make no sense are read as safe values.
    QSettings settings;
    settings.setValue("TextEdit/PageSetup/LeftMargin", "wide");
    settings.setValue("TextEdit/PageSetup/RightMargin", 2147483647);
    settings.setValue("TextEdit/PageSetup/TopMargin", -2000);
    EXPECT_EQ(ReadPageMargins(), (PageMargins{1000, 100000, 0, 1000}));
    const QString strPdf = TempPath("margins.pdf");
    // 150 + 100 mm of side margins on a sheet 210 mm wide; 292 mm of top and bottom margins
    // on one 297 mm high leave less than the footer band (3.4 mm) and one row (2.2 mm).
    for (const PageMargins& margins :
         {PageMargins{15000, 10000, 1000, 1000}, PageMargins{1000, 1000, 14500, 14700}}) {
        WritePageMargins(margins);
        const PrintResult result = PrintLines({"a", "b", "c"}, strPdf);
        EXPECT_FALSE(result.bOk);
        EXPECT_EQ(result.strError, NO_ROOM);
        EXPECT_FALSE(QFile::exists(strPdf));
    }
    WritePageMargins({1000, 1000, 14500, 14560});
    const PdfContent pdf = PrintAndRead({"a", "b", "c"});
    ASSERT_EQ(pdf.pages.size(), 3u);
    EXPECT_EQ(pdf.pages[1], QStringList({"b", "Page 2/3"}));
    WritePageMargins({});
    EXPECT_EQ(PrintAndRead({""}).pages[0], QStringList({"Page 1/1"}));
}

TEST_F(PrintTest, LinesWrapAtWordsOrInsideLongOnesAndTabsAndBytesPrintAsOnTheScreen) {
    const std::string strLong(600, 'w');
    const PdfContent pdf = PrintAndRead({"before", Words(0, 120), "after", strLong + "END", "a\tb",
                                         "abcde\tf", "\tx", "0123456789",
                                         std::string("a\0b\x01"
                                                     "c\x7f"
                                                     "d\x80"
                                                     "e\x81"
                                                     "f\x99"
                                                     "g\x9D"
                                                     "h\xE9",
                                                     16)});
    ASSERT_EQ(pdf.pages.size(), 1u);
    const QStringList rows = BodyRows(pdf);
    const qsizetype nAfter = rows.indexOf("after");
    ASSERT_GE(nAfter, 4);
    EXPECT_EQ(rows.first(), "before");
    EXPECT_EQ(rows.mid(1, nAfter - 1).join(' '), QString::fromStdString(Words(0, 120)));
    const double nRows = static_cast<double>(nAfter);
    EXPECT_NEAR(pdf.Box("after").top() - pdf.Box("before").top(), nRows * RowHeight(), 0.1 * nRows);
    const qsizetype nLongRows = rows.size() - nAfter - 6; // five rows follow
    ASSERT_GE(nLongRows, 3);
    EXPECT_EQ(rows.mid(nAfter + 1, nLongRows).join(QString()),
              QString::fromStdString(strLong + "END"));
    // Tabs as blanks up to the next multiple of four columns.
    const QRectF rcDigits = pdf.Box("0123456789");
    for (const auto& [pszWord, nColumn] :
         {std::pair{"a", 0}, {"b", 4}, {"abcde", 0}, {"f", 8}, {"x", 4}})
        EXPECT_NEAR((pdf.Box(pszWord).left() - rcDigits.left()) / (rcDigits.width() / 10), nColumn,
                    0.05)
            << pszWord;
    // Bytes as their Windows-1252 characters, or the boxes the screen shows.
    EXPECT_EQ(rows.last(), QString::fromUtf8("a\u25A1b\u25A1c\u25A1d\u20AC"
                                             "e\u25A1f\u2122g\u25A1h\u00E9"));
}

TEST_F(PrintTest, PagesFillToTheBottomLongLinesCrossThemAndARangePrintsThemAlone) {
    PdfContent all;
    for (const bool bEmptyLines : {true, false}) {
        std::vector<std::string> lines = NumberedLines(300);
        QStringList expected;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (bEmptyLines && i % 2 == 0)
                lines[i].clear();
            else
                expected.append(QString::fromStdString(lines[i]));
        }
        all = PrintAndRead(lines);
        ASSERT_EQ(all.pages.size(), 3u);
        EXPECT_EQ(BodyRows(all), expected);
        // One more row would pass the text area's bottom.
        const double yTextBottom = A4_HEIGHT - MillimetresToPoints(10) - 1.5 * RowHeight();
        const QString strLastRow = all.pages[0][all.pages[0].size() - 2];
        const double yLastRowBottom = all.Box(strLastRow).top() + RowHeight();
        EXPECT_LE(yLastRowBottom, yTextBottom + 0.5);
        EXPECT_GT(yLastRowBottom + (bEmptyLines ? 2 : 1) * RowHeight(), yTextBottom - 0.5);
        EXPECT_NEAR(all.Box("line3").top() - all.Box("line1").top(), 2 * RowHeight(), 0.3);
    }
    // A long line that does not fit the two rows left on a page starts the next one.
    const int nPerPage = static_cast<int>(all.pages[0].size()) - 1;
    std::vector<std::string> lines = NumberedLines(nPerPage - 2);
    lines.push_back(Words(0, 80));
    lines.push_back("after");
    PdfContent pdf = PrintAndRead(lines);
    ASSERT_EQ(pdf.pages.size(), 2u);
    EXPECT_EQ(pdf.pages[0].size(), nPerPage - 1);
    ASSERT_GE(pdf.pages[1].size(), 4);
    EXPECT_TRUE(pdf.pages[1].first().startsWith("word1000 word1001"))
        << pdf.pages[1].first().toStdString();
    EXPECT_EQ(pdf.pages[1].at(pdf.pages[1].size() - 2), "after");
    // No row is lost or printed twice where a line taller than a page crosses pages.
    pdf = PrintAndRead({"before", Words(0, 5000), "after"});
    ASSERT_GE(pdf.pages.size(), 3u);
    EXPECT_EQ(pdf.pages[0], QStringList({"before", QString("Page 1/%1").arg(pdf.pages.size())}));
    const QStringList rows = BodyRows(pdf);
    EXPECT_EQ(rows.last(), "after");
    EXPECT_EQ(rows.mid(1, rows.size() - 2).join(' '), QString::fromStdString(Words(0, 5000)));
    // A range prints its pages with their own numbers: from, to, and the page printed alone.
    const QString strPdf = TempPath("range.pdf");
    for (const auto& [nFrom, nTo, nPage] : {std::tuple{2, 2, 2}, {3, 9, 3}, {5, 6, 0}}) {
        QFile::remove(strPdf);
        const PrintResult result = PrintLines(NumberedLines(300), strPdf, nFrom, nTo);
        EXPECT_EQ(result.strError,
                  nPage > 0 ? "" : "Nothing to print: the document has only 3 pages.");
        EXPECT_TRUE(QFile::exists(strPdf) == (nPage > 0) && bool(result) == (nPage > 0));
        if (nPage > 0) {
            pdf = ReadPdf(strPdf);
            ASSERT_EQ(pdf.pages.size(), 1u);
            EXPECT_EQ(pdf.pages[0], all.pages[static_cast<size_t>(nPage - 1)]);
        }
    }
    const std::unique_ptr<CTextBuffer> pBuffer = MakeBuffer(NumberedLines(200)); // two pages
    CSampleView view;
    view.SetDocumentBuffer(pBuffer.get());
    view.OnInitialUpdate();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setFullPage(true);
    view.OnBeginPrinting(printer);
    CPrintInfo info;
    info.m_rectDraw = QRect(0, 0, printer.width(), printer.height());
    auto continues = [&](int nPage) {
        info.m_nCurPage = nPage;
        view.OnPrepareDC(info);
        return info.m_bContinuePrinting;
    };
    // After the last page the loop stops; before the table exists every page is worth a try.
    EXPECT_TRUE(continues(3));
    ASSERT_TRUE(view.PaginateDocument(info));
    ASSERT_EQ(view.GetPrintPageCount(), 2);
    EXPECT_TRUE(continues(2));
    EXPECT_FALSE(continues(3));
    QPicture none, picture; // a page after the last prints nothing
    QPainter{&none};
    QPainter dc(&picture);
    view.OnPrint(dc, info);
    dc.end();
    EXPECT_EQ(picture.size(), none.size());
    view.OnEndPrinting();
    EXPECT_EQ(view.GetPrintPageCount(), 0);
}

TEST_F(PrintTest, PrintingNeedsADocumentAndPrintsWhereTheDialogsChose) {
    const unsigned ids[] = {ID_FILE_PAGE_SETUP, ID_FILE_PRINT_SETUP, ID_FILE_PRINT,
                            ID_FILE_PRINT_DIRECT, ID_FILE_PRINT_PREVIEW};
    StartApp(); // Print Setup needs no document, the others do
    for (unsigned nId : ids)
        EXPECT_EQ(MainFrame().QueryCommandUI(nId).IsEnabled(), nId == ID_FILE_PRINT_SETUP) << nId;
    StopApp();
    OpenNumberedLines(300);
    for (unsigned nId : ids)
        EXPECT_TRUE(MainFrame().QueryCommandUI(nId).IsEnabled()) << nId;
    // Without a printer, printing without a dialog says what to do; Ctrl+P's dialog is cancelled.
    Execute(ID_FILE_PRINT_DIRECT);
    EXPECT_EQ(m_listMessages, std::vector<QString>({"No printer is installed. Choose a printer or "
                                                    "a PDF file in Print Setup."}));
    ActiveView()->setFocus();
    QTest::keyClick(ActiveView(), Qt::Key_P, Qt::ControlModifier);
    ProcessEvents();
    EXPECT_EQ(m_listDialogs, std::vector<PrintDialogKind>({PrintDialogKind::Print}));
    EXPECT_TRUE(QDir(m_dir.path()).entryList({"*.pdf"}).isEmpty());
    // Print Setup only chooses, for printing without a dialog.
    m_strDialogChoice = TempPath("chosen.pdf");
    Execute(ID_FILE_PRINT_SETUP);
    EXPECT_FALSE(QFile::exists(m_strDialogChoice));
    Execute(ID_FILE_PRINT_DIRECT);
    EXPECT_EQ(ReadPdf(m_strDialogChoice).pages.size(), 3u);
    m_strDialogChoice = TempPath("printed.pdf");
    Execute(ID_FILE_PRINT);
    EXPECT_EQ(ReadPdf(m_strDialogChoice).pages.at(2).last(), "Page 3/3");
    int nPreviewPages = -1;
    DriveNextModalDialog([&nPreviewPages](QWidget* pDialog) {
        if (auto* pPreview = pDialog->findChild<QPrintPreviewWidget*>())
            nPreviewPages = pPreview->pageCount();
        pDialog->close();
    });
    Execute(ID_FILE_PRINT_PREVIEW);
    EXPECT_EQ(nPreviewPages, 3);
    EXPECT_EQ(m_listMessages.size(), 1u);
    EXPECT_EQ(m_listDialogs,
              std::vector<PrintDialogKind>(
                  {PrintDialogKind::Print, PrintDialogKind::PrintSetup, PrintDialogKind::Print}));
}

TEST_F(PrintTest, PageSetupStoresTheMarginsOnlyOnOkAndTheyMayLeaveNoRoomToPrint) {
    OpenNumberedLines(3);
    RunPageSetup({10, 10, 10, 10}, {50, 50, 50, 50}, QDialogButtonBox::Cancel);
    EXPECT_FALSE(QSettings().contains(QStringLiteral("TextEdit/PageSetup/LeftMargin")));
    WritePageMargins({1100, 1200, 1300, 1450});
    RunPageSetup({11, 12, 13, 14.5}, {12.5, 20, 15, 30.25}, QDialogButtonBox::Ok);
    EXPECT_EQ(ReadPageMargins(), (PageMargins{1250, 2000, 1500, 3025}));
    RunPageSetup({12.5, 20, 15, 30.25}, {50, 50, 50, 50}, QDialogButtonBox::Cancel);
    EXPECT_EQ(ReadPageMargins(), (PageMargins{1250, 2000, 1500, 3025}));
    // No room is told for Print and Preview; a preview that opened anyway is closed again.
    WritePageMargins({11000, 11000, 1000, 1000});
    m_strDialogChoice = TempPath("margins.pdf");
    Execute(ID_FILE_PRINT);
    EXPECT_FALSE(QFile::exists(m_strDialogChoice));
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (QWidget* pModal = QApplication::activeModalWidget()) {
            ADD_FAILURE() << "a dialog opened";
            pModal->close();
        }
    });
    guard.start(20);
    Execute(ID_FILE_PRINT_PREVIEW);
    EXPECT_EQ(m_listMessages, std::vector<QString>({NO_ROOM, NO_ROOM}));
}

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
        EXPECT_EQ(c.nCommand == C::Invalid ? c.listFiles : cmdInfo.m_listFiles, c.listFiles);
        EXPECT_EQ(c.nCommand == C::Invalid ? cmdInfo.m_strError : cmdInfo.m_strPrinterName,
                  c.strPrinterOrError);
        EXPECT_EQ(cmdInfo.m_bRecover, c.bRecover);
    }
    EXPECT_TRUE(C::OpensNoWindow({"f.zarn", "--version"}));
    EXPECT_TRUE(C::OpensNoWindow({"-h"}));
    EXPECT_TRUE(C::OpensNoWindow({"/pt", "f.zarn", "x.pdf"}));
    EXPECT_FALSE(C::OpensNoWindow({"f.zarn", "-style", "fusion"}));
    EXPECT_FALSE(C::OpensNoWindow({"--", "--help"}));
}

TEST_F(PrintTest, TheProgramTellsFailuresOnStandardErrorWithANonZeroStatus) {
    const QString strForm = WriteFile("form.zarn", "uni_start_stream\r\n");
    const QString strMissing = TempPath("missing.zarn");
    const QString strNoFolder = TempPath("no-such-folder/out.pdf");
    const QString strFifo = TempPath("fifo.zarn");
    ASSERT_EQ(::mkfifo(QFile::encodeName(strFifo).constData(), 0644), 0);
    // Arguments, exit code (-1: any but 0), the start of the message.
    std::vector<std::tuple<QStringList, int, QString>> cases = {
        {{"--print", strMissing}, -1, "Cannot open " + strMissing + ": No such file or directory"},
        {{"/pt", strForm, "no-such-printer"}, -1, "Unknown printer: no-such-printer"},
        {{"/pt", strForm, strNoFolder}, -1, "Cannot print to " + strNoFolder + "."},
        {{"/p"}, 2, "/p takes one file name\nUsage: zarneditor"},
        // A FIFO is refused without waiting for a writer.
        {{"/pt", strFifo, TempPath("fifo.pdf")},
         1,
         "Cannot open " + strFifo + ": not a regular file"},
        // The user's margins, written before this row, leave no room.
        {{"/pt", strForm, TempPath("wide.pdf")}, -1, "The page margins leave no room for text."},
    };
    // The default printer is never used by the test, only its absence.
    if (QPrinterInfo::defaultPrinterName().isEmpty())
        cases.push_back({QStringList{"/p", strForm}, -1, "No printer is installed"});
    for (const auto& [listArgs, nExitCode, strMessage] : cases) {
        SCOPED_TRACE(strMessage.toStdString());
        if (strMessage.startsWith("The page margins"))
            WriteProgramMargins(30000, 1000);
        const auto [nExit, strOutput, strError] = RunEditor(listArgs);
        EXPECT_TRUE(nExitCode < 0 ? nExit != 0 : nExit == nExitCode) << nExit;
        EXPECT_TRUE(strError.contains("zarneditor: " + strMessage)) << strError.toStdString();
        EXPECT_FALSE(listArgs.size() == 3 && QFile::exists(listArgs[2]));
    }
    const auto [nExit, strOutput, strError] = RunEditor({"--help"});
    EXPECT_EQ(nExit, 0) << strError.toStdString();
    EXPECT_TRUE(strError.isEmpty()) << strError.toStdString();
    EXPECT_TRUE(strOutput.startsWith("Usage: ")) << strOutput.toStdString();
    for (const char* pszForm : {"[FILE...]", "/p FILE", "/pt FILE PRINTER", "-p, --print", "--pt",
                                "-h, --help", "-v, --version"})
        EXPECT_TRUE(strOutput.contains(pszForm)) << pszForm;
}

} // namespace
