// The docking bar in a real main window: where it starts, its close and float buttons,
// floating and docking again, and resizing by dragging the edge between it and the centre.
#include "app/DialogDockBar.h"

#include "app/OutputEdit.h"
#include "app/OutputPage.h"
#include "tests/support/PrintQString.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

namespace {

class DialogDockBarTest : public testing::Test {
protected:
    void SetUp() override {
        m_frame.setCentralWidget(new QMdiArea);
        m_pBar = new CDialogDockBar;
        m_pPage = new COutputPage;
        ASSERT_TRUE(m_pBar->Create(&m_frame, m_pPage, "Output"));
        m_frame.resize(800, 600);
        m_frame.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_frame));
    }

    QAbstractButton* TitleButton(const char* pszName) {
        return m_pBar->findChild<QAbstractButton*>(pszName);
    }

    QRect CentralRect() { return m_frame.centralWidget()->geometry(); }

    // Drags the separator between the centre and the bar by (dx, dy) with the mouse.
    void DragEdge(QPoint ptEdge, QPoint ptBy) {
        QTest::mousePress(&m_frame, Qt::LeftButton, {}, ptEdge);
        QTest::mouseMove(&m_frame, ptEdge + ptBy);
        QApplication::processEvents();
        QTest::mouseRelease(&m_frame, Qt::LeftButton, {}, ptEdge + ptBy);
        QApplication::processEvents();
    }

    QPoint BottomEdge() {
        return {m_frame.width() / 2, (CentralRect().bottom() + m_pBar->geometry().top()) / 2};
    }

    // The floating bar's title is the window manager's; this is the event its double-click
    // gives.
    void DoubleClickFloatingTitle() {
        QMouseEvent dbl(QEvent::NonClientAreaMouseButtonDblClick, QPointF(10, -5),
                        m_pBar->mapToGlobal(QPointF(10, -5)), Qt::LeftButton, Qt::LeftButton,
                        Qt::NoModifier);
        QApplication::sendEvent(m_pBar, &dbl);
        QApplication::processEvents();
    }

    QMainWindow m_frame;
    CDialogDockBar* m_pBar = nullptr;
    COutputPage* m_pPage = nullptr;
};

TEST_F(DialogDockBarTest, StartsDockedAtTheBottomWithThePageFillingIt) {
    EXPECT_EQ(m_pBar->GetDockArea(), Qt::BottomDockWidgetArea);
    EXPECT_FALSE(m_pBar->isFloating());
    EXPECT_EQ(m_pBar->GetDialog(), m_pPage);
    EXPECT_TRUE(m_pPage->isVisible());
    const QRect rcBar = m_pBar->geometry();
    EXPECT_EQ(rcBar.left(), 0);
    EXPECT_EQ(rcBar.width(), m_frame.width());
    EXPECT_EQ(rcBar.bottom(), m_frame.rect().bottom());
    EXPECT_LT(CentralRect().bottom(), rcBar.top());
    // The page spans the bar below its title band, at the height it was designed with.
    EXPECT_EQ(m_pPage->width(), rcBar.width());
    EXPECT_EQ(m_pPage->mapTo(m_pBar, QPoint(0, m_pPage->height())).y(), rcBar.height());
    EXPECT_EQ(m_pPage->height(), m_pPage->sizeHint().height());
}

TEST_F(DialogDockBarTest, CloseButtonHidesTheBarAndItsTextSurvives) {
    m_pPage->GetOutputEdit()->AppendOutput("result\n");
    QAbstractButton* pClose = TitleButton("qt_dockwidget_closebutton");
    ASSERT_NE(pClose, nullptr);
    ASSERT_TRUE(pClose->isVisible());
    QTest::mouseClick(pClose, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_FALSE(m_pBar->isVisible());
    EXPECT_GT(CentralRect().bottom(), m_frame.height() - 5);

    m_pBar->show();
    QApplication::processEvents();
    EXPECT_TRUE(m_pBar->isVisible());
    EXPECT_EQ(m_pBar->GetDockArea(), Qt::BottomDockWidgetArea);
    EXPECT_EQ(m_pPage->GetOutputEdit()->toPlainText(), "result\n");
}

TEST_F(DialogDockBarTest, FloatButtonFloatsAndATitleDoubleClickDocksAgain) {
    QAbstractButton* pFloat = TitleButton("qt_dockwidget_floatbutton");
    ASSERT_NE(pFloat, nullptr);
    QTest::mouseClick(pFloat, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(m_pBar->isFloating());
    EXPECT_EQ(m_pBar->GetDockArea(), Qt::NoDockWidgetArea);
    EXPECT_TRUE(m_pBar->isWindow());
    EXPECT_TRUE(m_pPage->isVisible());
    EXPECT_GT(CentralRect().bottom(), m_frame.height() - 5);

    DoubleClickFloatingTitle();
    EXPECT_FALSE(m_pBar->isFloating());
    EXPECT_EQ(m_pBar->GetDockArea(), Qt::BottomDockWidgetArea);
    EXPECT_LT(CentralRect().bottom(), m_pBar->geometry().top());
}

TEST_F(DialogDockBarTest, DoubleClickOnTheDockedTitleFloats) {
    // The title band runs along the top of a bar docked at the bottom, left of its buttons.
    const QPoint ptTitle(20, TitleButton("qt_dockwidget_closebutton")->geometry().center().y());
    QTest::mouseDClick(m_pBar, Qt::LeftButton, {}, ptTitle);
    QApplication::processEvents();
    EXPECT_TRUE(m_pBar->isFloating());
    DoubleClickFloatingTitle();
    EXPECT_EQ(m_pBar->GetDockArea(), Qt::BottomDockWidgetArea);
}

TEST_F(DialogDockBarTest, DraggingTheEdgeResizesTheBar) {
    const int nThickness = m_pBar->height();
    DragEdge(BottomEdge(), QPoint(0, -50));
    EXPECT_EQ(m_pBar->height(), nThickness + 50);
    DragEdge(BottomEdge(), QPoint(0, 20));
    EXPECT_EQ(m_pBar->height(), nThickness + 30);
}

// At least 32 pixels, and never so thin that the Output pane could not show one whole line,
// also above the horizontal scroll bar of a long line.
TEST_F(DialogDockBarTest, CannotGetTooThinForOneWholeLineOfOutput) {
    COutputEdit* pEdit = m_pPage->GetOutputEdit();
    pEdit->AppendOutput("first line " + QString(300, u'x'));
    DragEdge(BottomEdge(), QPoint(0, 1000));
    const int nThinnest = m_pBar->height();
    EXPECT_GE(nThinnest, DOCKBAR_MIN_THICKNESS);
    EXPECT_EQ(DOCKBAR_MIN_THICKNESS, 32);
    EXPECT_TRUE(m_pBar->isVisible());
    ASSERT_TRUE(pEdit->horizontalScrollBar()->isVisible());
    const QRect rcLine = pEdit->cursorRect(QTextCursor(pEdit->document()->firstBlock()));
    EXPECT_GE(rcLine.top(), 0);
    EXPECT_LE(rcLine.bottom(), pEdit->viewport()->rect().bottom());
    // It grows again from there.
    DragEdge(BottomEdge(), QPoint(0, -40));
    EXPECT_EQ(m_pBar->height(), nThinnest + 40);
}

TEST_F(DialogDockBarTest, GrowthStopsWhereTheFrameKeepsRoomForItsCentre) {
    DragEdge(BottomEdge(), QPoint(0, -5000));
    const QWidget* pCentral = m_frame.centralWidget();
    EXPECT_TRUE(pCentral->isVisible());
    EXPECT_EQ(pCentral->height(), pCentral->minimumSizeHint().height());
    EXPECT_LT(CentralRect().bottom(), m_pBar->geometry().top());
    EXPECT_EQ(m_pBar->geometry().bottom(), m_frame.rect().bottom());
}

TEST_F(DialogDockBarTest, DockedLeftItIsResizedSidewaysDownTo32Pixels) {
    m_frame.addDockWidget(Qt::LeftDockWidgetArea, m_pBar);
    QApplication::processEvents();
    ASSERT_EQ(m_pBar->GetDockArea(), Qt::LeftDockWidgetArea);
    EXPECT_TRUE(m_pBar->features() & QDockWidget::DockWidgetVerticalTitleBar);
    const QPoint ptEdge((m_pBar->geometry().right() + CentralRect().left()) / 2,
                        m_frame.height() / 2);
    DragEdge(ptEdge, QPoint(-1000, 0));
    EXPECT_EQ(m_pBar->width(), DOCKBAR_MIN_THICKNESS);

    m_frame.addDockWidget(Qt::BottomDockWidgetArea, m_pBar);
    QApplication::processEvents();
    EXPECT_FALSE(m_pBar->features() & QDockWidget::DockWidgetVerticalTitleBar);
}

TEST(DialogDockBar, CreateNeedsAFrameAPageAndOneArea) {
    QMainWindow frame;
    CDialogDockBar bar;
    COutputPage page;
    EXPECT_FALSE(bar.Create(nullptr, &page, "Output"));
    EXPECT_FALSE(bar.Create(&frame, nullptr, "Output"));
    EXPECT_FALSE(bar.Create(&frame, &page, "Output", Qt::AllDockWidgetAreas));
    EXPECT_FALSE(bar.Create(&frame, &page, "Output", Qt::NoDockWidgetArea));
    EXPECT_EQ(bar.GetDialog(), nullptr);
    EXPECT_EQ(bar.GetDockArea(), Qt::NoDockWidgetArea);
    ASSERT_TRUE(bar.Create(&frame, &page, "Output", Qt::TopDockWidgetArea));
    EXPECT_EQ(bar.GetDockArea(), Qt::TopDockWidgetArea);
    EXPECT_EQ(bar.windowTitle(), "Output");
}

} // namespace
