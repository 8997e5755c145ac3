// The printing commands in the running editor: Page Setup, Print with its dialog, print
// without one, Print Setup and Print Preview, answered as a person would answer them.
#include "resources/CommandIds.h"
#include "tests/app/AppTestSupport.h"
#include "tests/printing/PrintTestSupport.h"
#include "view/AppPrinter.h"

#include <array>

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

namespace {

constexpr const char* MARGIN_FIELDS[] = {"IDC_LEFT_MARGIN", "IDC_RIGHT_MARGIN", "IDC_TOP_MARGIN",
                                         "IDC_BOTTOM_MARGIN"};

class PrintCommandsTest : public CAppTest {
protected:
    void SetUp() override {
        CAppTest::SetUp();
        QSettings().remove(QStringLiteral("TextEdit/PageSetup"));
        // As on a machine without printers, whatever earlier tests chose.
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

    void OpenNumberedLines(int nLines) {
        QByteArray text;
        for (int i = 0; i < nLines; ++i)
            text += "line" + QByteArray::number(i) + "\r\n";
        StartApp({WriteFile("numbers.zarn", text)});
        ASSERT_NE(ActiveView(), nullptr);
    }

    // Page Setup, its margin fields checked against `shown` (millimetres), then set to `set`
    // and the dialog closed with `button`.
    void RunPageSetup(std::array<double, 4> shown, std::array<double, 4> set,
                      QDialogButtonBox::StandardButton button) {
        DriveNextModalDialog([=](QWidget* pDialog) {
            EXPECT_EQ(pDialog->windowTitle(), "Page Setup");
            for (size_t i = 0; i < 4; ++i) {
                const char* pszName = MARGIN_FIELDS[i];
                auto* pField = pDialog->findChild<QDoubleSpinBox*>(QLatin1String(pszName));
                ASSERT_NE(pField, nullptr) << pszName;
                EXPECT_DOUBLE_EQ(pField->value(), shown[i]) << pszName;
                pField->setValue(set[i]);
            }
            pDialog->findChild<QDialogButtonBox*>()->button(button)->click();
        });
        Execute(ID_FILE_PAGE_SETUP);
    }

    // The print dialogs shown, and the PDF file they choose; empty: they are cancelled.
    std::vector<PrintDialogKind> m_listDialogs;
    QString m_strDialogChoice;
};

TEST_F(PrintCommandsTest, PrintSetupChoosesThePrinterForPrintingWithoutADialog) {
    // Printing commands need a document; Print Setup does not.
    StartApp();
    EXPECT_TRUE(MainFrame().QueryCommandUI(ID_FILE_PRINT_SETUP).IsEnabled());
    for (unsigned nId :
         {ID_FILE_PAGE_SETUP, ID_FILE_PRINT, ID_FILE_PRINT_DIRECT, ID_FILE_PRINT_PREVIEW})
        EXPECT_FALSE(MainFrame().QueryCommandUI(nId).IsEnabled()) << nId;
    m_strDialogChoice = TempPath("chosen.pdf");
    Execute(ID_FILE_PRINT_SETUP);
    EXPECT_EQ(m_listDialogs, std::vector<PrintDialogKind>({PrintDialogKind::PrintSetup}));
    EXPECT_FALSE(QFile::exists(m_strDialogChoice));
    StopApp();

    OpenNumberedLines(5);
    for (unsigned nId : {ID_FILE_PAGE_SETUP, ID_FILE_PRINT_SETUP, ID_FILE_PRINT,
                         ID_FILE_PRINT_DIRECT, ID_FILE_PRINT_PREVIEW})
        EXPECT_TRUE(MainFrame().QueryCommandUI(nId).IsEnabled()) << nId;
    Execute(ID_FILE_PRINT_DIRECT);
    EXPECT_EQ(m_listDialogs.size(), 1u) << "printing without a dialog showed one";
    EXPECT_TRUE(m_listMessages.empty());
    const PdfContent pdf = ReadPdf(m_strDialogChoice);
    ASSERT_EQ(pdf.PageCount(), 1);
    EXPECT_EQ(pdf.RowsOfPage(1).size(), 6);
}

TEST_F(PrintCommandsTest, PageSetupShowsTheMarginsAndStoresThemOnlyOnOk) {
    OpenNumberedLines(1);
    // Without stored margins it offers 10 mm.
    RunPageSetup({10, 10, 10, 10}, {50, 50, 50, 50}, QDialogButtonBox::Cancel);
    EXPECT_FALSE(QSettings().contains(QStringLiteral("TextEdit/PageSetup/LeftMargin")));
    WritePageMargins({1100, 1200, 1300, 1450});
    RunPageSetup({11, 12, 13, 14.5}, {12.5, 20, 15, 30.25}, QDialogButtonBox::Ok);
    EXPECT_EQ(ReadPageMargins(), (PageMargins{1250, 2000, 1500, 3025}));
    RunPageSetup({12.5, 20, 15, 30.25}, {50, 50, 50, 50}, QDialogButtonBox::Cancel);
    EXPECT_EQ(ReadPageMargins(), (PageMargins{1250, 2000, 1500, 3025}));
}

TEST_F(PrintCommandsTest, PrintAsksThePrintDialogAndPrintsWhereItChose) {
    OpenNumberedLines(300);
    // Without a printer, printing without a dialog says what to do.
    Execute(ID_FILE_PRINT_DIRECT);
    EXPECT_EQ(m_listMessages, std::vector<QString>({"No printer is installed. Choose a printer or "
                                                    "a PDF file in Print Setup."}));
    // Ctrl+P opens the dialog; cancelled, nothing is printed.
    m_listMessages.clear();
    ActiveView()->setFocus();
    QTest::keyClick(ActiveView(), Qt::Key_P, Qt::ControlModifier);
    ProcessEvents();
    EXPECT_EQ(m_listDialogs, std::vector<PrintDialogKind>({PrintDialogKind::Print}));
    EXPECT_TRUE(QDir(m_dir.path()).entryList({"*.pdf"}).isEmpty());
    m_strDialogChoice = TempPath("printed.pdf");
    Execute(ID_FILE_PRINT);
    EXPECT_EQ(m_listDialogs.size(), 2u);
    EXPECT_TRUE(m_listMessages.empty());
    const PdfContent pdf = ReadPdf(m_strDialogChoice);
    ASSERT_EQ(pdf.PageCount(), 3);
    EXPECT_EQ(pdf.RowsOfPage(1).first(), "line0");
    EXPECT_EQ(pdf.RowsOfPage(3).last(), "Page 3/3");
    // Print Preview shows the pages a print would have, without a print dialog.
    int nPreviewPages = -1;
    DriveNextModalDialog([&nPreviewPages](QWidget* pDialog) {
        if (auto* pPreview = pDialog->findChild<QPrintPreviewWidget*>())
            nPreviewPages = pPreview->pageCount();
        pDialog->close();
    });
    Execute(ID_FILE_PRINT_PREVIEW);
    EXPECT_EQ(nPreviewPages, 3);
    EXPECT_TRUE(m_listMessages.empty());
    EXPECT_EQ(m_listDialogs.size(), 2u);
}

TEST_F(PrintCommandsTest, APrintOrPreviewThatCannotBeMadeIsReported) {
    OpenNumberedLines(3);
    const QString strNoRoom = "The page margins leave no room for text. Make them smaller in "
                              "Page Setup.";
    WritePageMargins({11000, 11000, 1000, 1000});
    m_strDialogChoice = TempPath("margins.pdf");
    Execute(ID_FILE_PRINT);
    EXPECT_FALSE(QFile::exists(m_strDialogChoice));
    // A preview that opened all the same is closed again, so that the test goes on.
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (QWidget* pModal = QApplication::activeModalWidget()) {
            ADD_FAILURE() << "a dialog opened";
            pModal->close();
        }
    });
    guard.start(20);
    Execute(ID_FILE_PRINT_PREVIEW);
    EXPECT_EQ(m_listMessages, std::vector<QString>({strNoRoom, strNoRoom}));

    m_listMessages.clear();
    WritePageMargins({});
    m_strDialogChoice = TempPath("no-such-folder/out.pdf");
    Execute(ID_FILE_PRINT);
    EXPECT_EQ(m_listMessages, std::vector<QString>({"Cannot print to " + m_strDialogChoice + "."}));
}

} // namespace
