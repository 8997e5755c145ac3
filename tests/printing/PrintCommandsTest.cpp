// The printing commands in the running editor: Page Setup, Print with its dialog, print
// without one, Print Setup and Print Preview, answered as a person would answer them.
#include "resources/CommandIds.h"
#include "tests/app/AppTestSupport.h"
#include "tests/printing/PrintTestSupport.h"
#include "view/AppPrinter.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

namespace {

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

    // The print dialogs shown, and the PDF file they choose; empty: they are cancelled.
    std::vector<PrintDialogKind> m_listDialogs;
    QString m_strDialogChoice;
};

QDoubleSpinBox* MarginField(QWidget* pDialog, const char* pszName) {
    auto* pField = pDialog->findChild<QDoubleSpinBox*>(QLatin1String(pszName));
    EXPECT_NE(pField, nullptr) << pszName;
    return pField;
}

void SetMarginFields(QWidget* pDialog, double fLeft, double fRight, double fTop, double fBottom) {
    MarginField(pDialog, "IDC_LEFT_MARGIN")->setValue(fLeft);
    MarginField(pDialog, "IDC_RIGHT_MARGIN")->setValue(fRight);
    MarginField(pDialog, "IDC_TOP_MARGIN")->setValue(fTop);
    MarginField(pDialog, "IDC_BOTTOM_MARGIN")->setValue(fBottom);
}

void ClickButton(QWidget* pDialog, QDialogButtonBox::StandardButton which) {
    auto* pButtons = pDialog->findChild<QDialogButtonBox*>();
    ASSERT_NE(pButtons, nullptr);
    pButtons->button(which)->click();
}

TEST_F(PrintCommandsTest, PrintingCommandsNeedADocumentButPrintSetupDoesNot) {
    StartApp();
    EXPECT_TRUE(MainFrame().QueryCommandUI(ID_FILE_PRINT_SETUP).IsEnabled());
    for (unsigned nId :
         {ID_FILE_PAGE_SETUP, ID_FILE_PRINT, ID_FILE_PRINT_DIRECT, ID_FILE_PRINT_PREVIEW})
        EXPECT_FALSE(MainFrame().QueryCommandUI(nId).IsEnabled()) << nId;
    StopApp();

    OpenNumberedLines(3);
    for (unsigned nId : {ID_FILE_PAGE_SETUP, ID_FILE_PRINT_SETUP, ID_FILE_PRINT,
                         ID_FILE_PRINT_DIRECT, ID_FILE_PRINT_PREVIEW})
        EXPECT_TRUE(MainFrame().QueryCommandUI(nId).IsEnabled()) << nId;
}

TEST_F(PrintCommandsTest, PageSetupShowsTheMarginsAndStoresThemOnlyOnOk) {
    WritePageMargins({1100, 1200, 1300, 1450});
    OpenNumberedLines(3);
    DriveNextModalDialog([](QWidget* pDialog) {
        EXPECT_EQ(pDialog->windowTitle(), "Page Setup");
        EXPECT_DOUBLE_EQ(MarginField(pDialog, "IDC_LEFT_MARGIN")->value(), 11.0);
        EXPECT_DOUBLE_EQ(MarginField(pDialog, "IDC_RIGHT_MARGIN")->value(), 12.0);
        EXPECT_DOUBLE_EQ(MarginField(pDialog, "IDC_TOP_MARGIN")->value(), 13.0);
        EXPECT_DOUBLE_EQ(MarginField(pDialog, "IDC_BOTTOM_MARGIN")->value(), 14.5);
        SetMarginFields(pDialog, 12.5, 20, 15, 30.25);
        ClickButton(pDialog, QDialogButtonBox::Ok);
    });
    Execute(ID_FILE_PAGE_SETUP);
    QSettings settings;
    settings.beginGroup(QStringLiteral("TextEdit/PageSetup"));
    EXPECT_EQ(settings.value("LeftMargin").toInt(), 1250);
    EXPECT_EQ(settings.value("RightMargin").toInt(), 2000);
    EXPECT_EQ(settings.value("TopMargin").toInt(), 1500);
    EXPECT_EQ(settings.value("BottomMargin").toInt(), 3025);

    DriveNextModalDialog([](QWidget* pDialog) {
        SetMarginFields(pDialog, 50, 50, 50, 50);
        ClickButton(pDialog, QDialogButtonBox::Cancel);
    });
    Execute(ID_FILE_PAGE_SETUP);
    EXPECT_EQ(ReadPageMargins(), (PageMargins{1250, 2000, 1500, 3025}));
}

TEST_F(PrintCommandsTest, PageSetupWithoutStoredMarginsOffersTenMillimetres) {
    OpenNumberedLines(1);
    DriveNextModalDialog([](QWidget* pDialog) {
        for (const char* pszName :
             {"IDC_LEFT_MARGIN", "IDC_RIGHT_MARGIN", "IDC_TOP_MARGIN", "IDC_BOTTOM_MARGIN"})
            EXPECT_DOUBLE_EQ(MarginField(pDialog, pszName)->value(), 10.0) << pszName;
        ClickButton(pDialog, QDialogButtonBox::Cancel);
    });
    Execute(ID_FILE_PAGE_SETUP);
    EXPECT_FALSE(QSettings().contains(QStringLiteral("TextEdit/PageSetup/LeftMargin")));
}

TEST_F(PrintCommandsTest, PrintAsksThePrintDialogAndPrintsWhereItChose) {
    OpenNumberedLines(300);
    m_strDialogChoice = TempPath("printed.pdf");
    Execute(ID_FILE_PRINT);
    EXPECT_EQ(m_listDialogs, std::vector<PrintDialogKind>({PrintDialogKind::Print}));
    EXPECT_TRUE(m_listMessages.empty());
    const PdfContent pdf = ReadPdf(m_strDialogChoice);
    ASSERT_EQ(pdf.PageCount(), 3);
    EXPECT_EQ(pdf.RowsOfPage(1).first(), "line0");
    EXPECT_EQ(pdf.RowsOfPage(3).last(), "Page 3/3");
}

TEST_F(PrintCommandsTest, CancellingThePrintDialogPrintsNothing) {
    OpenNumberedLines(3);
    Execute(ID_FILE_PRINT);
    EXPECT_EQ(m_listDialogs.size(), 1u);
    EXPECT_TRUE(m_listMessages.empty());
    EXPECT_TRUE(QDir(m_dir.path()).entryList({"*.pdf"}).isEmpty());
}

TEST_F(PrintCommandsTest, CtrlPOpensThePrintDialog) {
    OpenNumberedLines(3);
    ActiveView()->setFocus();
    QTest::keyClick(ActiveView(), Qt::Key_P, Qt::ControlModifier);
    ProcessEvents();
    EXPECT_EQ(m_listDialogs, std::vector<PrintDialogKind>({PrintDialogKind::Print}));
}

TEST_F(PrintCommandsTest, PrintSetupChoosesThePrinterThatPrintingWithoutADialogUses) {
    StartApp();
    m_strDialogChoice = TempPath("chosen.pdf");
    Execute(ID_FILE_PRINT_SETUP);
    EXPECT_EQ(m_listDialogs, std::vector<PrintDialogKind>({PrintDialogKind::PrintSetup}));
    EXPECT_FALSE(QFile::exists(m_strDialogChoice));
    StopApp();

    OpenNumberedLines(5);
    Execute(ID_FILE_PRINT_DIRECT);
    EXPECT_EQ(m_listDialogs.size(), 1u) << "printing without a dialog showed one";
    EXPECT_TRUE(m_listMessages.empty());
    const PdfContent pdf = ReadPdf(m_strDialogChoice);
    ASSERT_EQ(pdf.PageCount(), 1);
    EXPECT_EQ(pdf.RowsOfPage(1).size(), 6);
}

TEST_F(PrintCommandsTest, PrintingWithoutADialogOrAPrinterSaysWhatToDo) {
    OpenNumberedLines(3);
    Execute(ID_FILE_PRINT_DIRECT);
    EXPECT_EQ(m_listMessages, std::vector<QString>({"No printer is installed. Choose a printer or "
                                                    "a PDF file in Print Setup."}));
}

TEST_F(PrintCommandsTest, APrintThatCannotBeMadeIsReported) {
    OpenNumberedLines(3);
    WritePageMargins({11000, 11000, 1000, 1000});
    m_strDialogChoice = TempPath("margins.pdf");
    Execute(ID_FILE_PRINT);
    EXPECT_EQ(m_listMessages, std::vector<QString>({"The page margins leave no room for text. "
                                                    "Make them smaller in Page Setup."}));
    EXPECT_FALSE(QFile::exists(m_strDialogChoice));

    m_listMessages.clear();
    WritePageMargins({});
    m_strDialogChoice = TempPath("no-such-folder/out.pdf");
    Execute(ID_FILE_PRINT);
    EXPECT_EQ(m_listMessages, std::vector<QString>({"Cannot print to " + m_strDialogChoice + "."}));
}

TEST_F(PrintCommandsTest, PrintPreviewShowsThePagesAPrintWouldHave) {
    OpenNumberedLines(300);
    int nPreviewPages = -1;
    DriveNextModalDialog([&nPreviewPages](QWidget* pDialog) {
        if (auto* pPreview = pDialog->findChild<QPrintPreviewWidget*>())
            nPreviewPages = pPreview->pageCount();
        pDialog->close();
    });
    Execute(ID_FILE_PRINT_PREVIEW);
    EXPECT_EQ(nPreviewPages, 3);
    EXPECT_TRUE(m_listMessages.empty());
    EXPECT_TRUE(m_listDialogs.empty());
}

TEST_F(PrintCommandsTest, PrintPreviewWithMarginsThatLeaveNoRoomSaysSoInstead) {
    OpenNumberedLines(3);
    WritePageMargins({1000, 1000, 15000, 15000});
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
    EXPECT_EQ(m_listMessages, std::vector<QString>({"The page margins leave no room for text. "
                                                    "Make them smaller in Page Setup."}));
}

} // namespace
