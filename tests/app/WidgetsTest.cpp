// The shell's widgets on their own: docking bar, Output pane, number field and dialogs.
#include "app/AboutDlg.h"
#include "app/DialogDockBar.h"
#include "app/DocPropertiesDlg.h"
#include "app/NumberEdit.h"
#include "app/OutputEdit.h"
#include "app/OutputPage.h"
#include "app/RecordNumberDlg.h"
#include "resources/ZarnResources.h"
#include "tests/app/AppTestSupport.h"
#include "toolbridge/ToolOutput.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

namespace {

template <typename TWidget = QWidget>
TWidget* Child(QWidget& parent, const char* pszName) {
    auto* pChild = parent.findChild<TWidget*>(pszName);
    EXPECT_NE(pChild, nullptr) << pszName;
    return pChild;
}

void ShowActive(QWidget& widget) {
    widget.show();
    widget.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&widget));
}

// Tab from the focus widget runs through `order`, which ends where it started.
void ExpectTabOrder(std::initializer_list<QWidget*> order) {
    for (QWidget* pNext : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), pNext) << pNext->objectName().toStdString();
    }
}

void TypeIntoNumberField(QWidget* pEdit) {
    for (const Qt::Key key : {Qt::Key_1, Qt::Key_2, Qt::Key_A, Qt::Key_Minus, Qt::Key_3})
        QTest::keyClick(pEdit, key);
    QTest::keyClick(pEdit, Qt::Key_Question, Qt::ShiftModifier);
}

// Whether an Output pane shows its first line whole, from top to bottom.
bool FirstLineWhole(QPlainTextEdit* pEdit) {
    const QRect rcLine = pEdit->cursorRect(QTextCursor(pEdit->document()->firstBlock()));
    return rcLine.top() >= 0 && rcLine.bottom() <= pEdit->viewport()->rect().bottom();
}

class DialogDockBarTest : public testing::Test {
protected:
    void SetUp() override {
        m_frame.setCentralWidget(new QMdiArea);
        ASSERT_TRUE(m_pBar->Create(&m_frame, m_pPage, "Output"));
        m_frame.resize(800, 600);
        m_frame.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_frame));
    }

    QRect CentralRect() { return m_frame.centralWidget()->geometry(); }
    void Click(const char* pszTitleButton) {
        QTest::mouseClick(m_pBar->findChild<QAbstractButton*>(pszTitleButton), Qt::LeftButton);
        QApplication::processEvents();
    }

    // Drags the separator between the centre and the bar (the bottom one by default).
    void DragEdge(QPoint ptBy, QPoint ptEdge = {}) {
        if (ptEdge.isNull())
            ptEdge = {m_frame.width() / 2, (CentralRect().bottom() + m_pBar->geometry().top()) / 2};
        QTest::mousePress(&m_frame, Qt::LeftButton, {}, ptEdge);
        QTest::mouseMove(&m_frame, ptEdge + ptBy);
        QApplication::processEvents();
        QTest::mouseRelease(&m_frame, Qt::LeftButton, {}, ptEdge + ptBy);
        QApplication::processEvents();
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

    void ExpectDockedAtTheBottom() {
        EXPECT_TRUE(m_pBar->isVisible() && !m_pBar->isFloating());
        EXPECT_EQ(m_pBar->GetDockArea(), Qt::BottomDockWidgetArea);
        EXPECT_LT(CentralRect().bottom(), m_pBar->geometry().top());
    }

    QMainWindow m_frame;
    CDialogDockBar* m_pBar = new CDialogDockBar;
    COutputPage* m_pPage = new COutputPage;
};

TEST_F(DialogDockBarTest, StartsAtTheBottomAndItsButtonsAndDoubleClicksCloseFloatAndDock) {
    ExpectDockedAtTheBottom();
    EXPECT_EQ(m_pBar->GetDialog(), m_pPage);
    EXPECT_TRUE(m_pPage->isVisible());
    // The page fills the bar below its title band, at the height it was designed with.
    const QRect rcBar = m_pBar->geometry();
    EXPECT_EQ(QRect(rcBar.topLeft(), m_frame.rect().bottomRight()), rcBar);
    EXPECT_EQ(rcBar.left(), 0);
    EXPECT_EQ(m_pPage->width(), rcBar.width());
    EXPECT_EQ(m_pPage->mapTo(m_pBar, QPoint(0, m_pPage->height())).y(), rcBar.height());
    EXPECT_EQ(m_pPage->height(), m_pPage->sizeHint().height());
    // Close hides the bar, which keeps its text.
    m_pPage->GetOutputEdit()->AppendOutput("result\n");
    Click("qt_dockwidget_closebutton");
    EXPECT_FALSE(m_pBar->isVisible());
    EXPECT_GT(CentralRect().bottom(), m_frame.height() - 5);
    m_pBar->show();
    QApplication::processEvents();
    ExpectDockedAtTheBottom();
    EXPECT_EQ(m_pPage->GetOutputEdit()->toPlainText(), "result\n");
    // Float, then a double-click on the floating title docks it again.
    Click("qt_dockwidget_floatbutton");
    EXPECT_TRUE(m_pBar->isFloating() && m_pBar->isWindow() && m_pPage->isVisible());
    EXPECT_EQ(m_pBar->GetDockArea(), Qt::NoDockWidgetArea);
    EXPECT_GT(CentralRect().bottom(), m_frame.height() - 5);
    DoubleClickFloatingTitle();
    ExpectDockedAtTheBottom();
    // The title band runs along the top of a bar docked at the bottom, left of its buttons.
    const int nTitleY =
        m_pBar->findChild<QAbstractButton*>("qt_dockwidget_closebutton")->geometry().center().y();
    QTest::mouseDClick(m_pBar, Qt::LeftButton, {}, QPoint(20, nTitleY));
    QApplication::processEvents();
    EXPECT_TRUE(m_pBar->isFloating());
    DoubleClickFloatingTitle();
    ExpectDockedAtTheBottom();
}

// At least 32 pixels and one whole line of output, above a scroll bar too; the centre stays.
TEST_F(DialogDockBarTest, DraggingTheEdgeResizesTheBarWithinItsLimits) {
    const int nThickness = m_pBar->height();
    DragEdge(QPoint(0, -50));
    EXPECT_EQ(m_pBar->height(), nThickness + 50);
    DragEdge(QPoint(0, 20));
    EXPECT_EQ(m_pBar->height(), nThickness + 30);
    COutputEdit* pEdit = m_pPage->GetOutputEdit();
    pEdit->AppendOutput("first line " + QString(300, u'x'));
    DragEdge(QPoint(0, 1000));
    const int nThinnest = m_pBar->height();
    EXPECT_GE(nThinnest, 32);
    EXPECT_TRUE(m_pBar->isVisible());
    ASSERT_TRUE(pEdit->horizontalScrollBar()->isVisible());
    EXPECT_TRUE(FirstLineWhole(pEdit));
    DragEdge(QPoint(0, -40));
    EXPECT_EQ(m_pBar->height(), nThinnest + 40);
    DragEdge(QPoint(0, -5000));
    const QWidget* pCentral = m_frame.centralWidget();
    EXPECT_TRUE(pCentral->isVisible());
    EXPECT_EQ(pCentral->height(), pCentral->minimumSizeHint().height());
    ExpectDockedAtTheBottom();
    EXPECT_EQ(m_pBar->geometry().bottom(), m_frame.rect().bottom());
    // Docked left, it is resized sideways, down to 32 pixels, with its title on its side.
    m_frame.addDockWidget(Qt::LeftDockWidgetArea, m_pBar);
    QApplication::processEvents();
    ASSERT_EQ(m_pBar->GetDockArea(), Qt::LeftDockWidgetArea);
    EXPECT_TRUE(m_pBar->features() & QDockWidget::DockWidgetVerticalTitleBar);
    DragEdge(QPoint(-1000, 0),
             {(m_pBar->geometry().right() + CentralRect().left()) / 2, m_frame.height() / 2});
    EXPECT_EQ(m_pBar->width(), 32);
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

class OutputEditTest : public testing::Test {
protected:
    void SetUp() override {
        m_edit.resize(300, 120);
        m_edit.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_edit));
    }
    QScrollBar* VertBar() { return m_edit.verticalScrollBar(); }
    bool LineInView(int nBlock) {
        QTextCursor cursor(m_edit.document()->findBlockByNumber(nBlock));
        return m_edit.viewport()->rect().contains(m_edit.cursorRect(cursor));
    }
    void Select(int nFrom, int nTo) {
        QTextCursor cursor = m_edit.textCursor();
        cursor.setPosition(nFrom);
        cursor.setPosition(nTo, QTextCursor::KeepAnchor);
        m_edit.setTextCursor(cursor);
    }
    COutputEdit m_edit;
};

TEST_F(OutputEditTest, EachLineBreakStyleIsOneLineBreakAlsoSplitBetweenAppends) {
    struct Step {
        const char* pszAppend; // nullptr: the pane is emptied
        const char* pszText;   // the pane's text afterwards; nullptr: not looked at
    };
    const Step steps[] = {
        {"one\r\ntwo\nthree\r\n", "one\ntwo\nthree\n"},
        {"cr\ralone\r\n\r\n", "one\ntwo\nthree\ncr\nalone\n\n"},
        {nullptr, ""},
        {"first\r", "first\n"},
        {"\nsecond\r", nullptr},
        {"", nullptr},
        {"\r\nthird", "first\nsecond\n\nthird"},
        {nullptr, nullptr},
        {"old\r", nullptr},
        {nullptr, nullptr},
        {"\nnew", "\nnew"}, // emptying the pane ends a pending CR LF
    };
    for (const Step& step : steps) {
        if (step.pszAppend)
            m_edit.AppendOutput(step.pszAppend);
        else
            m_edit.clear();
        EXPECT_TRUE(!step.pszText || m_edit.toPlainText() == step.pszText)
            << step.pszAppend << " gave " << m_edit.toPlainText().toStdString();
    }
}

TEST_F(OutputEditTest, IsReadOnlySelectableAndAppendsAtTheEndWhateverTheUserSelected) {
    m_edit.AppendOutput("done\n");
    EXPECT_TRUE(m_edit.isReadOnly());
    m_edit.setFocus();
    QTest::keyClicks(&m_edit, "typed");
    EXPECT_EQ(m_edit.toPlainText(), "done\n");
    QTest::keyClick(&m_edit, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(m_edit.textCursor().selectedText(), QString("done") + QChar::ParagraphSeparator);
    m_edit.AppendOutput("alpha\nbeta\n");
    Select(1, 4);
    m_edit.AppendOutput("gamma");
    EXPECT_EQ(m_edit.toPlainText(), "done\nalpha\nbeta\ngamma");
    EXPECT_FALSE(m_edit.textCursor().hasSelection());
    EXPECT_EQ(m_edit.textCursor().position(), m_edit.toPlainText().size());
}

TEST_F(OutputEditTest, KeepsTheLastLineInViewAlsoAfterTheUserScrolledUp) {
    for (int i = 0; i < 200; ++i)
        m_edit.AppendOutput(QStringLiteral("line %1\r\n").arg(i));
    ASSERT_GT(VertBar()->maximum(), 0);
    EXPECT_EQ(VertBar()->value(), VertBar()->maximum());
    EXPECT_TRUE(LineInView(199));
    VertBar()->setValue(0);
    ASSERT_FALSE(LineInView(199));
    m_edit.AppendOutput("the end");
    EXPECT_EQ(VertBar()->value(), VertBar()->maximum());
    EXPECT_TRUE(LineInView(200));
    EXPECT_EQ(m_edit.document()->lastBlock().text(), "the end");
    // A long last line, not wrapped, is scrolled into view sideways, and back for the next.
    VertBar()->setValue(10);
    m_edit.AppendOutput("\n" + QString(400, u'x'));
    EXPECT_EQ(m_edit.document()->lastBlock().layout()->lineCount(), 1);
    EXPECT_GT(m_edit.horizontalScrollBar()->value(), 0);
    EXPECT_TRUE(m_edit.viewport()->rect().contains(m_edit.cursorRect()));
    m_edit.AppendOutput("\n");
    EXPECT_EQ(m_edit.horizontalScrollBar()->value(), 0);
    EXPECT_EQ(VertBar()->value(), VertBar()->maximum());
}

// A line too long to be shown in one piece still copies as it came, whole or in part.
TEST_F(OutputEditTest, CopyingGivesTheTextAsTheToolWroteIt) {
    const QString strLong = QString(OUTPUT_PIECE_CHARS, u'a') + QString(100, u'b');
    m_edit.AppendOutput("first\r\n" + strLong + "\r\nlast");
    ASSERT_EQ(m_edit.blockCount(), 4);
    EXPECT_EQ(m_edit.GetOutputText(), "first\n" + strLong + "\nlast");
    m_edit.setFocus();
    QTest::keyClick(&m_edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&m_edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "first\n" + strLong + "\nlast");
    Select(6 + OUTPUT_PIECE_CHARS - 2, 6 + OUTPUT_PIECE_CHARS + 1 + 3);
    m_edit.copy();
    EXPECT_EQ(QApplication::clipboard()->text(), "aabbb");
}

// The background far right of the text is white, and the first line has dark pixels.
void ExpectBlackOnWhite(COutputEdit& edit) {
    const QImage image = edit.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(image.pixelColor(image.width() - 5, image.height() - 5), QColor(Qt::white));
    const QRect rcText = edit.cursorRect(QTextCursor(edit.document()->firstBlock()));
    int nDark = 0;
    for (int y = rcText.top(); y <= rcText.bottom(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            nDark += qGray(image.pixel(x, y)) < 60;
    }
    EXPECT_GT(nDark, 20);
}

TEST_F(OutputEditTest, DrawsBlackTextOnWhiteAlthoughReadOnlyDisabledOrUnderADarkPalette) {
    m_edit.AppendOutput("MMMMMMMM\nMMMMMMMM");
    ExpectBlackOnWhite(m_edit);
    m_edit.setEnabled(false);
    ExpectBlackOnWhite(m_edit);
    const QPalette palOld = QApplication::palette();
    QPalette palDark = palOld;
    palDark.setColor(QPalette::Base, QColor(30, 30, 30));
    palDark.setColor(QPalette::Window, QColor(30, 30, 30));
    palDark.setColor(QPalette::Text, QColor(230, 230, 230));
    QApplication::setPalette(palDark);
    COutputEdit edit;
    edit.resize(200, 80);
    edit.AppendOutput("MMMMMMMM");
    edit.show();
    const bool bExposed = QTest::qWaitForWindowExposed(&edit);
    if (bExposed)
        ExpectBlackOnWhite(edit);
    QApplication::setPalette(palOld);
    EXPECT_TRUE(bExposed);
}

// Its least height still shows one whole line, also above the scroll bar of a long line.
TEST(OutputPage, FillsItsPlanWithTheEditFivePixelsInAndEscapeDoesNotCloseIt) {
    COutputPage page;
    auto* pEdit = Child<COutputEdit>(page, "IDC_OUTPUT_1012");
    ASSERT_EQ(pEdit, page.GetOutputEdit());
    EXPECT_EQ(page.sizeHint(), QSize(395, 73)); // 263 by 45 dialog units
    page.resize(400, 100);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    EXPECT_EQ(pEdit->geometry(), QRect(5, 5, 390, 90));
    page.resize(250, 60);
    QApplication::processEvents();
    EXPECT_EQ(pEdit->geometry(), QRect(5, 5, 240, 50));
    pEdit->AppendOutput("kept");
    QTest::keyClick(pEdit, Qt::Key_Escape);
    EXPECT_TRUE(page.isVisible());
    EXPECT_EQ(pEdit->toPlainText(), "kept");
    pEdit->clear();
    pEdit->AppendOutput("first line " + QString(300, u'x'));
    page.resize(300, 1);
    QApplication::processEvents();
    EXPECT_EQ(page.height(), page.minimumSizeHint().height());
    ASSERT_TRUE(pEdit->horizontalScrollBar()->isVisible());
    EXPECT_TRUE(FirstLineWhole(pEdit));
}

// Typed characters are filtered; paste, command keys and non-ASCII characters are not.
TEST(NumberEdit, TakesDigitsDashQuestionMarkAndSpaceUpToTenCharacters) {
    CNumberEdit edit;
    ShowActive(edit);
    // A key that types `strText`, as a keyboard layout with such keys sends it.
    const auto TypeKey = [&edit](const QString& strText) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, strText);
        QApplication::sendEvent(&edit, &press);
    };
    const auto Keys = [&edit](std::initializer_list<QKeyCombination> keys) {
        for (const QKeyCombination key : keys)
            QTest::keyClick(&edit, key.key(), key.keyboardModifiers());
    };
    TypeIntoNumberField(&edit);
    EXPECT_EQ(edit.text(), "12-3?");
    edit.clear();
    QTest::keyClicks(&edit, "`~!#$%^&*()_+|=\\[];',./{}:<>@\"Zz 7");
    EXPECT_EQ(edit.text(), " 7");
    edit.clear();
    Keys({Qt::Key_4});
    TypeKey(QString::fromUtf8("\xc3\xa9"));     // e acute
    TypeKey(QString::fromUtf8("\xe2\x82\xac")); // euro
    EXPECT_EQ(edit.text(), QString::fromUtf8("4\xc3\xa9\xe2\x82\xac"));
    Keys({Qt::Key_Backspace, Qt::Key_Backspace});
    EXPECT_EQ(edit.text(), "4");
    edit.clear();
    QTest::keyClicks(&edit, "1234567890");
    EXPECT_EQ(edit.text(), "1234567890");
    Keys({Qt::Key_1});
    EXPECT_EQ(edit.text(), "1234567890");
    for (const auto& [pszPasted, pszText] :
         {std::pair{"ab#1", "ab#1"}, std::pair{"abcdefghijklmno", "abcdefghij"}}) {
        edit.clear();
        QGuiApplication::clipboard()->setText(pszPasted);
        Keys({Qt::CTRL | Qt::Key_V});
        EXPECT_EQ(edit.text(), pszText);
    }
    edit.clear();
    QTest::keyClicks(&edit, "12-34");
    Keys({Qt::CTRL | Qt::Key_A, Qt::CTRL | Qt::Key_C});
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "12-34");
    Keys({Qt::Key_Home, Qt::Key_Delete});
    EXPECT_EQ(edit.text(), "2-34");
    edit.clear();
    TypeKey("1x2");
    EXPECT_EQ(edit.text(), "12");
    QInputMethodEvent composed;
    composed.setCommitString("7b-8");
    QApplication::sendEvent(&edit, &composed);
    EXPECT_EQ(edit.text(), "127-8");
}

// The Document Properties dialog over the document's three strings.
struct PropertiesDialog {
    QString strFileName = "/home/forms/order.zarn";
    QString strIdxPath = "/data/MAIN.IDX";
    QString strGid = "32-105";
    CDocPropertiesDlg dlg{nullptr, &strFileName, &strIdxPath, &strGid};
    QLineEdit* pFileName = Child<QLineEdit>(dlg, "IDC_FILENAME_1003");
    CNumberEdit* pGid = Child<CNumberEdit>(dlg, "IDC_GID_1004");
    QLineEdit* pIdxPath = Child<QLineEdit>(dlg, "IDC_IDXPATH_1005");
    QPushButton* pBrowse = Child<QPushButton>(dlg, "IDC_BROWSE_1006");
    QPushButton* pOk = Child<QPushButton>(dlg, "IDOK_1");
    QPushButton* pCancel = Child<QPushButton>(dlg, "IDCANCEL_2");
};

void ReplaceText(QLineEdit* pEdit, const QString& strText) {
    pEdit->setFocus();
    pEdit->selectAll();
    QTest::keyClick(pEdit, Qt::Key_Delete);
    QTest::keyClicks(pEdit, strText);
}

QStringList TextsOf(QWidget& dlg, std::initializer_list<const char*> names) {
    QStringList texts(dlg.windowTitle());
    for (const char* pszName : names) {
        QWidget* pChild = Child(dlg, pszName);
        if (const auto* pLabel = qobject_cast<QLabel*>(pChild))
            texts.append(pLabel->text());
        else if (const auto* pEdit = qobject_cast<QLineEdit*>(pChild))
            texts.append(pEdit->text());
        else if (const auto* pButton = qobject_cast<QAbstractButton*>(pChild))
            texts.append(pButton->text());
    }
    return texts;
}

TEST(DocPropertiesDlg, ShowsThePropertiesWithTheGidFocusedInTheOrderAndPlaceOfItsPlan) {
    PropertiesDialog p;
    ShowActive(p.dlg);
    EXPECT_EQ(TextsOf(p.dlg,
                      {"IDC_STATIC_FILENAME", "IDC_FILENAME_1003", "IDC_STATIC_GID", "IDC_GID_1004",
                       "IDC_STATIC_IDXPATH", "IDC_IDXPATH_1005", "IDC_BROWSE_1006"}),
              QStringList({"Document Properties", "File Name:", "/home/forms/order.zarn",
                           "GID:", "32-105", "Main IDX Path:", "/data/MAIN.IDX", "..."}));
    EXPECT_EQ(QApplication::focusWidget(), p.pGid);
    EXPECT_TRUE(p.pOk->isDefault());
    // Labels left of their fields in one column; "...", OK and Cancel as planned; 221 x 74 DLU.
    const QRect rcFile = p.pFileName->geometry(), rcGid = p.pGid->geometry();
    const QRect rcPath = p.pIdxPath->geometry(), rcBrowse = p.pBrowse->geometry();
    const QRect rcOk = p.pOk->geometry(), rcCancel = p.pCancel->geometry();
    const int nLabelRight = Child(p.dlg, "IDC_STATIC_IDXPATH")->geometry().right();
    for (const auto& [nBefore, nAfter] : {std::pair{rcFile.bottom(), rcGid.top()},
                                          {rcGid.bottom(), rcPath.top()},
                                          {nLabelRight, rcPath.left()},
                                          {rcPath.right(), rcBrowse.left()},
                                          {rcBrowse.bottom(), rcOk.top()}})
        EXPECT_LT(nBefore, nAfter);
    for (const auto& [nOne, nOther] : {std::pair{rcFile.left(), rcGid.left()},
                                       {rcFile.left(), rcPath.left()},
                                       {rcFile.right(), rcGid.right()},
                                       {rcBrowse.right(), rcFile.right()},
                                       {rcOk.top(), rcCancel.top()},
                                       {rcCancel.right(), rcFile.right()}})
        EXPECT_EQ(nOne, nOther);
    EXPECT_LE(rcBrowse.width(), 24);
    EXPECT_LE(rcOk.left(), 6);
    EXPECT_EQ(rcOk.size(), rcCancel.size());
    EXPECT_NEAR(p.dlg.width(), 332, 40);
    EXPECT_NEAR(p.dlg.height(), 120, 30);
    p.pOk->setFocus();
    ExpectTabOrder({p.pCancel, p.pFileName, p.pGid, p.pIdxPath, p.pBrowse, p.pOk});

    // The File Name cannot be edited; the GID field is a record-number field.
    EXPECT_TRUE(p.pFileName->isReadOnly());
    p.pFileName->setFocus();
    QTest::keyClick(p.pFileName, Qt::Key_End);
    QTest::keyClicks(p.pFileName, "x");
    QTest::keyClick(p.pFileName, Qt::Key_Backspace);
    QGuiApplication::clipboard()->setText("pasted");
    QTest::keyClick(p.pFileName, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(p.pFileName->text(), "/home/forms/order.zarn");
    ReplaceText(p.pGid, "");
    TypeIntoNumberField(p.pGid);
    EXPECT_EQ(p.pGid->text(), "12-3?");
    QTest::keyClicks(p.pGid, "4567890");
    EXPECT_EQ(p.pGid->text(), "12-3?45678");

    // A missing File Name shows as empty; a GID longer than the field takes survives OK.
    QString strIdxPath, strGid = "1234567890-12345";
    CDocPropertiesDlg other(nullptr, nullptr, &strIdxPath, &strGid);
    other.show();
    EXPECT_EQ(TextsOf(other, {"IDC_FILENAME_1003", "IDC_GID_1004"}),
              QStringList({"Document Properties", "", "1234567890-12345"}));
    QTest::mouseClick(Child<QPushButton>(other, "IDOK_1"), Qt::LeftButton);
    EXPECT_EQ(strGid, "1234567890-12345");
    EXPECT_EQ(strIdxPath, "");
}

// How a test ends a dialog: with its buttons, Enter or Escape in the focused field, or not.
enum Finish { OK_BUTTON, CANCEL_BUTTON, ENTER, ESCAPE, STAY_OPEN };

void FinishDialog(QDialog& dlg, Finish finish) {
    if (finish == OK_BUTTON || finish == CANCEL_BUTTON) {
        const char* pszButton = finish == OK_BUTTON ? "IDOK_1" : "IDCANCEL_2";
        QTest::mouseClick(Child<QPushButton>(dlg, pszButton), Qt::LeftButton);
    } else if (finish != STAY_OPEN) {
        QTest::keyClick(QApplication::focusWidget(),
                        finish == ENTER ? Qt::Key_Return : Qt::Key_Escape);
    }
    EXPECT_EQ(dlg.isVisible(), finish == STAY_OPEN);
    if (finish == OK_BUTTON || finish == ENTER || finish == CANCEL_BUTTON) {
        EXPECT_EQ(dlg.result(), finish == CANCEL_BUTTON ? QDialog::Rejected : QDialog::Accepted);
    }
}

// Browse fills only the path field; Enter after it is OK, not another Browse.
TEST(DocPropertiesDlg, OkWritesGidAndPathCancelNothingAndBrowseFillsThePathField) {
    struct Case {
        const char* pszGid;    // typed in place of the GID; nullptr: left alone
        const char* pszPath;   // likewise the path
        const char* pszBrowse; // the file dialog's answer; nullptr: no Browse
        Finish finish;
        const char* pszGidAfter;
        const char* pszPathAfter;
    };
    // clang-format off
    const Case cases[] = {
        {"77",    "/other/MAIN.IDX", nullptr, OK_BUTTON,     "77",     "/other/MAIN.IDX"},
        {"5",     nullptr,           nullptr, ENTER,         "5",      "/data/MAIN.IDX"},
        {"",      "",                nullptr, OK_BUTTON,     "",       ""},
        {"77",    "/other/MAIN.IDX", nullptr, CANCEL_BUTTON, "32-105", "/data/MAIN.IDX"},
        {nullptr, nullptr, "/records/long path/MAIN.IDX", OK_BUTTON, "32-105", "/records/long path/MAIN.IDX"},
        {nullptr, nullptr, "/records/MAIN.IDX", CANCEL_BUTTON,       "32-105", "/data/MAIN.IDX"},
        {nullptr, nullptr, "/records/MAIN.IDX", ENTER,               "32-105", "/records/MAIN.IDX"},
        {nullptr, nullptr, "",                  STAY_OPEN,           "32-105", "/data/MAIN.IDX"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pszGid << " " << c.pszPath << " " << c.pszBrowse);
        PropertiesDialog p;
        ShowActive(p.dlg);
        std::vector<FileDialogRequest> requests;
        SetFileDialogHandler([&](const FileDialogRequest& request) {
            requests.push_back(request);
            return QString::fromUtf8(c.pszBrowse);
        });
        if (c.pszGid)
            ReplaceText(p.pGid, c.pszGid);
        if (c.pszPath)
            ReplaceText(p.pIdxPath, c.pszPath);
        if (c.pszBrowse && c.finish == ENTER) {
            p.pBrowse->setFocus();
            QTest::keyClick(p.pBrowse, Qt::Key_Space);
        } else if (c.pszBrowse) {
            QTest::mouseClick(p.pBrowse, Qt::LeftButton);
        }
        if (c.pszBrowse) {
            ASSERT_EQ(requests.size(), 1u);
            EXPECT_EQ(Describe(requests[0]),
                      "open existing *.idx Database Records File (*.idx) .idx");
            EXPECT_EQ(p.pIdxPath->text(), *c.pszBrowse ? c.pszBrowse : "/data/MAIN.IDX");
            // Only the field changed: the document hears of it on OK.
            EXPECT_EQ(p.strIdxPath, "/data/MAIN.IDX");
        }
        FinishDialog(p.dlg, c.finish);
        EXPECT_EQ(requests.size(), c.pszBrowse ? 1u : 0u);
        EXPECT_EQ(QStringList({p.strGid, p.strIdxPath, p.strFileName}),
                  QStringList({c.pszGidAfter, c.pszPathAfter, "/home/forms/order.zarn"}));
        SetFileDialogHandler({});
    }
}

TEST(RecordNumberDlg, OpensEmptyAndOkOrEnterCopyTheNumberCancelOrEscapeNothing) {
    const auto Keys = [](const char* pszKeys) {
        return [pszKeys](QWidget* pEdit) { QTest::keyClicks(pEdit, pszKeys); };
    };
    const std::tuple<std::function<void(QWidget*)>, Finish, const char*> cases[] = {
        {TypeIntoNumberField, OK_BUTTON, "12-3?"},       {Keys("32-105"), ENTER, "32-105"},
        {Keys("12"), CANCEL_BUTTON, "before"},           {Keys("3"), ESCAPE, "before"},
        {Keys("123456789012"), OK_BUTTON, "1234567890"},
    };
    for (const auto& [type, finish, pszResult] : cases) {
        SCOPED_TRACE(pszResult);
        QString strResult = "before";
        CRecordNumberDlg dlg(nullptr, &strResult);
        ShowActive(dlg);
        auto* pNumber = Child<CNumberEdit>(dlg, "IDC_NUMBER_1004");
        EXPECT_EQ(TextsOf(dlg, {"IDC_STATIC_RECORD", "IDC_NUMBER_1004"}),
                  QStringList({"Get Record Number", "Record #", ""}));
        EXPECT_EQ(QApplication::focusWidget(), pNumber);
        EXPECT_TRUE(Child<QPushButton>(dlg, "IDOK_1")->isDefault());
        type(pNumber);
        FinishDialog(dlg, finish);
        EXPECT_EQ(strResult, pszResult);
    }

    // The label and the field stand above OK and Cancel; Tab runs OK, Cancel, the field.
    QString strResult;
    CRecordNumberDlg dlg(nullptr, &strResult);
    ShowActive(dlg);
    QWidget* pNumber = Child(dlg, "IDC_NUMBER_1004");
    QWidget* pOk = Child(dlg, "IDOK_1");
    QWidget* pCancel = Child(dlg, "IDCANCEL_2");
    const QRect rcLabel = Child(dlg, "IDC_STATIC_RECORD")->geometry();
    EXPECT_LT(rcLabel.right(), pNumber->geometry().left());
    EXPECT_LT(pNumber->geometry().bottom(), pOk->geometry().top());
    EXPECT_EQ(pOk->geometry().left(), rcLabel.left());
    EXPECT_EQ(pCancel->geometry().right(), pNumber->geometry().right());
    EXPECT_EQ(pOk->size(), pCancel->size());
    EXPECT_NEAR(dlg.width(), 228, 30);
    pOk->setFocus();
    ExpectTabOrder({pCancel, pNumber, pOk});
}

TEST(AboutDlg, ShowsIconVersionAndTextAndClosesWithOkAndTheAppIconComesInFourSizes) {
    CAboutDlg dlg;
    ShowActive(dlg);
    EXPECT_EQ(TextsOf(dlg, {"IDC_STATIC_VERSION"}),
              QStringList({"About ZarnEditor", "ZarnEditor Version " ZARN_VERSION}));
    EXPECT_EQ(Child<QLabel>(dlg, "IDC_STATIC_INFO")->text().count(u'\n'), 1);
    const QPixmap icon = Child<QLabel>(dlg, "IDC_ICON")->pixmap();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.deviceIndependentSize().toSize(), QSize(32, 32));
    auto* pOk = Child<QPushButton>(dlg, "IDOK_1");
    EXPECT_TRUE(pOk->isDefault());
    EXPECT_EQ(QApplication::focusWidget(), pOk);
    FinishDialog(dlg, ENTER);
    const QIcon appIcon = LoadAppIcon();
    for (const int nSize : {16, 32, 48, 64}) {
        EXPECT_TRUE(appIcon.availableSizes().contains(QSize(nSize, nSize))) << nSize;
        EXPECT_EQ(appIcon.pixmap(nSize).toImage().size(), QSize(nSize, nSize)) << nSize;
    }
}

} // namespace
