// The View menu's settings of the documents' views: line numbers in every pane, zoom per
// document by command, key and wheel, and the font of every document, kept between runs.
#include "resources/CommandIds.h"
#include "tests/app/AppTestSupport.h"
#include "view/FontZoom.h"
#include "view/PaneSplitter.h"

#include <QFontDialog>
#include <QSettings>
#include <QTest>
#include <QWheelEvent>

namespace {

class ViewSettingsTest : public CAppTest {
protected:
    void SetUp() override {
        CAppTest::SetUp();
        QSettings().remove(QStringLiteral("Editor"));
    }
    void TearDown() override {
        CAppTest::TearDown();
        QSettings().remove(QStringLiteral("Editor"));
    }

    // Every view of every open document.
    std::vector<CSampleView*> AllViews() {
        std::vector<CSampleView*> views;
        for (CSampleDoc* pDoc : Docs().GetDocuments())
            views.insert(views.end(), pDoc->GetViews().begin(), pDoc->GetViews().end());
        return views;
    }
    int PointsOf(CSampleView* pView) {
        return FontPointSize(ZoomFont(pView->GetBaseFont(), pView->GetZoomSteps(), ScreenDpi()),
                             ScreenDpi());
    }
    static void Wheel(CSampleView* pView, int nDelta, Qt::KeyboardModifiers keys) {
        const QPointF pt(50, 20);
        QWheelEvent wheel(pt, pView->viewport()->mapToGlobal(pt), QPoint(), QPoint(0, nDelta),
                          Qt::NoButton, keys, Qt::NoScrollPhase, false);
        QApplication::sendEvent(pView->viewport(), &wheel);
    }
};

TEST_F(ViewSettingsTest, LineNumbersShowInEveryPaneUntilTurnedOffAndTheChoiceIsKept) {
    StartApp();
    Execute(ID_FILE_NEW);
    Execute(ID_WINDOW_SPLIT);
    Execute(ID_WINDOW_NEW);
    Execute(ID_FILE_NEW);
    ASSERT_EQ(AllViews().size(), 6u);
    EXPECT_EQ(MainFrame().QueryCommandUI(ID_VIEW_LINE_NUMBERS).GetCheck(), 1);
    for (CSampleView* pView : AllViews()) {
        EXPECT_TRUE(pView->IsShowingLineNumbers());
        EXPECT_EQ(pView->GetMarginWidth(),
                  2 * pView->GetCharWidth() + CTextView::MARGIN_WIDTH); // "1" and its padding
    }

    Execute(ID_VIEW_LINE_NUMBERS);
    EXPECT_EQ(MainFrame().QueryCommandUI(ID_VIEW_LINE_NUMBERS).GetCheck(), 0);
    for (CSampleView* pView : AllViews())
        EXPECT_EQ(pView->GetMarginWidth(), CTextView::MARGIN_WIDTH);

    // The next run starts with the line numbers off, and without a document the item is there.
    StopApp();
    StartApp();
    EXPECT_TRUE(MainFrame().QueryCommandUI(ID_VIEW_LINE_NUMBERS).IsEnabled());
    EXPECT_EQ(MainFrame().QueryCommandUI(ID_VIEW_LINE_NUMBERS).GetCheck(), 0);
    Execute(ID_FILE_NEW);
    EXPECT_FALSE(ActiveView()->IsShowingLineNumbers());
    Execute(ID_VIEW_LINE_NUMBERS);
    EXPECT_TRUE(ActiveView()->IsShowingLineNumbers());
    StopApp();
    StartApp();
    Execute(ID_FILE_NEW);
    EXPECT_TRUE(ActiveView()->IsShowingLineNumbers());
}

TEST_F(ViewSettingsTest, ZoomChangesEveryViewOfTheActiveDocumentWithinBounds) {
    StartApp();
    Execute(ID_FILE_NEW);
    CSampleDoc* pOther = ActiveDoc();
    Execute(ID_FILE_NEW);
    CSampleDoc* pDoc = ActiveDoc();
    Execute(ID_WINDOW_SPLIT);
    Execute(ID_WINDOW_NEW);
    CSampleView* pView = ActiveView();
    const int nBase = PointsOf(pView);
    const int cyBase = pView->GetLineHeight();
    EXPECT_FALSE(MainFrame().QueryCommandUI(ID_VIEW_ZOOM_RESET).IsEnabled());

    // Commands, keys (Ctrl+= and Ctrl++ alike) and Ctrl with the wheel, each a point.
    struct Step {
        const char* pszHow;
        std::function<void()> fnDo;
        int nSteps; // the document's zoom after it
    };
    const Step steps[] = {
        {"Zoom In", [&] { Execute(ID_VIEW_ZOOM_IN); }, 1},
        {"Ctrl+=", [&] { QTest::keyClick(pView, Qt::Key_Equal, Qt::ControlModifier); }, 2},
        {"Ctrl++", [&] { QTest::keyClick(pView, Qt::Key_Plus, Qt::ControlModifier); }, 3},
        {"Ctrl+-", [&] { QTest::keyClick(pView, Qt::Key_Minus, Qt::ControlModifier); }, 2},
        {"Zoom Out", [&] { Execute(ID_VIEW_ZOOM_OUT); }, 1},
        {"Ctrl+wheel up", [&] { Wheel(pView, 240, Qt::ControlModifier); }, 3},
        {"Ctrl+wheel down", [&] { Wheel(pView, -120, Qt::ControlModifier); }, 2},
        {"wheel", [&] { Wheel(pView, -120, Qt::NoModifier); }, 2},
        {"Ctrl+0", [&] { QTest::keyClick(pView, Qt::Key_0, Qt::ControlModifier); }, 2},
    };
    for (const Step& step : steps) {
        step.fnDo();
        EXPECT_EQ(pDoc->GetZoomSteps(), step.nSteps) << step.pszHow;
        for (CSampleView* pDocView : pDoc->GetViews())
            EXPECT_EQ(PointsOf(pDocView), nBase + step.nSteps) << step.pszHow;
        for (CSampleView* pOtherView : pOther->GetViews())
            EXPECT_EQ(pOtherView->GetZoomSteps(), 0) << step.pszHow;
    }
    EXPECT_GT(pView->GetLineHeight(), cyBase);
    // Ctrl+0 stayed bookmark 0, the wheel without Ctrl scrolling.
    EXPECT_EQ(pDoc->GetTextBuffer().GetLineFlags(0) & LINEFLAG_MARK0, LINEFLAG_MARK0);

    Execute(ID_VIEW_ZOOM_RESET);
    EXPECT_EQ(pDoc->GetZoomSteps(), 0);
    EXPECT_EQ(pView->GetLineHeight(), cyBase);
    // The size stops at 72 and at 4 points, where the command that would pass them is off.
    for (int i = 0; i < 100; ++i)
        Execute(ID_VIEW_ZOOM_IN);
    EXPECT_EQ(PointsOf(pView), MAX_ZOOM_POINTS);
    EXPECT_FALSE(MainFrame().QueryCommandUI(ID_VIEW_ZOOM_IN).IsEnabled());
    EXPECT_TRUE(MainFrame().QueryCommandUI(ID_VIEW_ZOOM_OUT).IsEnabled());
    Wheel(pView, -120 * 100, Qt::ControlModifier);
    EXPECT_EQ(PointsOf(pView), MIN_ZOOM_POINTS);
    EXPECT_FALSE(MainFrame().QueryCommandUI(ID_VIEW_ZOOM_OUT).IsEnabled());
    // Printing keeps the document's font: zoom is the screen's.
    EXPECT_EQ(pView->GetBaseFont().nHeight, CSampleDoc::InitialFont().nHeight);
}

TEST_F(ViewSettingsTest, TheFontChosenGoesToEveryDocumentAndIsKept) {
    StartApp();
    Execute(ID_FILE_NEW);
    Execute(ID_VIEW_ZOOM_IN);
    CSampleDoc* pZoomed = ActiveDoc();
    App().OpenDocumentFile(WriteFile("under.zarn", "a_b\r\n"));
    EXPECT_EQ(ActiveView()->GetBaseFont().strFaceName, CSampleDoc::InitialFont().strFaceName);
    EXPECT_EQ(ActiveView()->GetBaseFont().nHeight, CSampleDoc::InitialFont().nHeight);

    DriveNextModalDialog([](QWidget* pDialog) {
        auto* pFontDialog = qobject_cast<QFontDialog*>(pDialog);
        ASSERT_NE(pFontDialog, nullptr);
        EXPECT_TRUE(pFontDialog->testOption(QFontDialog::MonospacedFonts));
        pFontDialog->setCurrentFont(QFont(QStringLiteral("DejaVu Sans Mono"), 14));
        pFontDialog->accept();
    });
    Execute(ID_VIEW_FONT);
    for (CSampleView* pView : AllViews()) {
        EXPECT_EQ(pView->GetBaseFont().strFaceName, "DejaVu Sans Mono");
        EXPECT_EQ(PointsOf(pView), pView->GetDocument() == pZoomed ? 15 : 14);
    }
    // The underscore, which this font draws below its descent, is inside its row.
    CSampleView* pView = ActiveView();
    const QImage image = pView->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect rcCell(pView->GetMarginWidth() + pView->GetCharWidth(), 0, pView->GetCharWidth(),
                       pView->GetLineHeight());
    int nInk = 0;
    for (int y = rcCell.top(); y <= rcCell.bottom(); ++y) {
        for (int x = rcCell.left(); x <= rcCell.right(); ++x)
            nInk += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
    }
    EXPECT_GE(nInk, 3);

    StopApp();
    StartApp();
    Execute(ID_FILE_NEW);
    EXPECT_EQ(ActiveView()->GetBaseFont().strFaceName, "DejaVu Sans Mono");
    EXPECT_EQ(PointsOf(ActiveView()), 14);
    Execute(ID_VIEW_ZOOM_OUT);
    EXPECT_EQ(PointsOf(ActiveView()), 13);
}

} // namespace
