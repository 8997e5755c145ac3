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

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
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

// Whether an Output pane shows its first line whole, from top to bottom.
bool FirstLineWhole(QPlainTextEdit* pEdit) {
    const QRect rcLine = pEdit->cursorRect(QTextCursor(pEdit->document()->firstBlock()));
    return rcLine.top() >= 0 && rcLine.bottom() <= pEdit->viewport()->rect().bottom();
}

// At least 32 pixels and one whole line of output, above a scroll bar too; the centre stays.
TEST(DialogDockBar, DocksAtTheBottomAtItsPagesHeightAndIsResizedWithinItsLimits) {
    QMainWindow frame;
    frame.setCentralWidget(new QMdiArea);
    auto* pBar = new CDialogDockBar;
    auto* pPage = new COutputPage;
    for (const auto area : {Qt::AllDockWidgetAreas, Qt::NoDockWidgetArea})
        EXPECT_FALSE(pBar->Create(&frame, pPage, "Output", area));
    EXPECT_FALSE(pBar->Create(nullptr, pPage, "Output"));
    EXPECT_FALSE(pBar->Create(&frame, nullptr, "Output"));
    EXPECT_EQ(pBar->GetDialog(), nullptr);
    EXPECT_EQ(pBar->GetDockArea(), Qt::NoDockWidgetArea);
    ASSERT_TRUE(pBar->Create(&frame, pPage, "Output"));
    EXPECT_EQ(pBar->windowTitle(), "Output");
    frame.resize(800, 600);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    const QWidget* pCentral = frame.centralWidget();
    // Drags the separator between the centre and the bar by ptBy.
    const auto DragEdge = [&](QPoint ptBy) {
        const QRect rcBar = pBar->geometry();
        const QRect rcCentral = pCentral->geometry();
        const QPoint ptEdge = pBar->GetDockArea() == Qt::LeftDockWidgetArea
                                  ? QPoint((rcBar.right() + rcCentral.left()) / 2, 300)
                                  : QPoint(400, (rcCentral.bottom() + rcBar.top()) / 2);
        QTest::mousePress(&frame, Qt::LeftButton, {}, ptEdge);
        QTest::mouseMove(&frame, ptEdge + ptBy);
        QApplication::processEvents();
        QTest::mouseRelease(&frame, Qt::LeftButton, {}, ptEdge + ptBy);
        QApplication::processEvents();
    };
    EXPECT_EQ(pBar->GetDockArea(), Qt::BottomDockWidgetArea);
    EXPECT_TRUE(pPage->isVisible());
    EXPECT_EQ(pPage->height(), pPage->sizeHint().height());
    COutputEdit* pEdit = pPage->GetOutputEdit();
    pEdit->AppendOutput("first line " + QString(300, u'x'));
    DragEdge(QPoint(0, 1000));
    const int nThinnest = pBar->height();
    EXPECT_GE(nThinnest, 32);
    ASSERT_TRUE(pEdit->horizontalScrollBar()->isVisible());
    EXPECT_TRUE(FirstLineWhole(pEdit));
    DragEdge(QPoint(0, -40));
    EXPECT_EQ(pBar->height(), nThinnest + 40);
    DragEdge(QPoint(0, -5000));
    EXPECT_TRUE(pCentral->isVisible());
    // Docked left, it is resized sideways, down to 32 pixels, with its title on its side.
    frame.addDockWidget(Qt::LeftDockWidgetArea, pBar);
    QApplication::processEvents();
    ASSERT_EQ(pBar->GetDockArea(), Qt::LeftDockWidgetArea);
    EXPECT_TRUE(pBar->features() & QDockWidget::DockWidgetVerticalTitleBar);
    DragEdge(QPoint(-1000, 0));
    EXPECT_EQ(pBar->width(), 32);
    frame.addDockWidget(Qt::BottomDockWidgetArea, pBar);
    QApplication::processEvents();
    EXPECT_FALSE(pBar->features() & QDockWidget::DockWidgetVerticalTitleBar);
}

void Select(QPlainTextEdit& edit, int nFrom, int nTo) {
    QTextCursor cursor = edit.textCursor();
    cursor.setPosition(nFrom);
    cursor.setPosition(nTo, QTextCursor::KeepAnchor);
    edit.setTextCursor(cursor);
}

// A line too long to be shown in one piece still copies as it came, whole or in part.
TEST(OutputEdit, AppendsAtTheEndAndCopiesTheTextAsTheToolWroteIt) {
    COutputEdit edit;
    ShowActive(edit);
    edit.AppendOutput("done\n");
    QTest::keyClicks(&edit, "typed");
    EXPECT_EQ(edit.toPlainText(), "done\n");
    Press(&edit, "Ctrl+A");
    EXPECT_EQ(edit.textCursor().selectedText(), QString("done") + QChar::ParagraphSeparator);
    edit.AppendOutput("alpha\nbeta\n");
    Select(edit, 1, 4);
    edit.AppendOutput("gamma");
    EXPECT_EQ(edit.toPlainText(), "done\nalpha\nbeta\ngamma");
    EXPECT_FALSE(edit.textCursor().hasSelection());
    EXPECT_EQ(edit.textCursor().position(), edit.toPlainText().size());
    edit.clear();
    const QString strLong = QString(OUTPUT_PIECE_CHARS, u'a') + QString(100, u'b');
    edit.AppendOutput("first\r\n" + strLong + "\r\nlast");
    ASSERT_EQ(edit.blockCount(), 4);
    EXPECT_EQ(edit.GetOutputText(), "first\n" + strLong + "\nlast");
    Press(&edit, "Ctrl+A Ctrl+C");
    EXPECT_EQ(QApplication::clipboard()->text(), "first\n" + strLong + "\nlast");
    Select(edit, 6 + OUTPUT_PIECE_CHARS - 2, 6 + OUTPUT_PIECE_CHARS + 1 + 3);
    edit.copy();
    EXPECT_EQ(QApplication::clipboard()->text(), "aabbb");
}

// A long last line, not wrapped, is scrolled into view sideways, and back for the next.
TEST(OutputEdit, KeepsTheLastLineInViewAlsoAfterTheUserScrolledUp) {
    COutputEdit edit;
    edit.resize(300, 120);
    edit.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
    QScrollBar* pBar = edit.verticalScrollBar();
    const auto LineInView = [&edit](int nBlock) {
        QTextCursor cursor(edit.document()->findBlockByNumber(nBlock));
        return edit.viewport()->rect().contains(edit.cursorRect(cursor));
    };
    for (int i = 0; i < 200; ++i)
        edit.AppendOutput(QStringLiteral("line %1\r\n").arg(i));
    ASSERT_GT(pBar->maximum(), 0);
    EXPECT_EQ(pBar->value(), pBar->maximum());
    EXPECT_TRUE(LineInView(199));
    pBar->setValue(0);
    ASSERT_FALSE(LineInView(199));
    edit.AppendOutput("the end");
    EXPECT_EQ(pBar->value(), pBar->maximum());
    EXPECT_TRUE(LineInView(200));
    pBar->setValue(10);
    edit.AppendOutput("\n" + QString(400, u'x'));
    EXPECT_EQ(edit.document()->lastBlock().layout()->lineCount(), 1);
    EXPECT_GT(edit.horizontalScrollBar()->value(), 0);
    EXPECT_TRUE(edit.viewport()->rect().contains(edit.cursorRect()));
    edit.AppendOutput("\n");
    EXPECT_EQ(edit.horizontalScrollBar()->value(), 0);
    EXPECT_EQ(pBar->value(), pBar->maximum());
}

// Its least height still shows one whole line, also above the scroll bar of a long line.
TEST(OutputPage, HasItsDesignedSizeAndEscapeDoesNotCloseIt) {
    COutputPage page;
    auto* pEdit = Child<COutputEdit>(page, "IDC_OUTPUT_1012");
    ASSERT_EQ(pEdit, page.GetOutputEdit());
    EXPECT_EQ(page.sizeHint(), QSize(395, 73)); // 263 by 45 dialog units
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    pEdit->AppendOutput("kept");
    Press(pEdit, "Esc");
    EXPECT_TRUE(page.isVisible());
    EXPECT_EQ(pEdit->toPlainText(), "kept");
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
    // Emptied first; how: key names, each character's key, one key event, paste, composed.
    const std::tuple<bool, std::string, const char*, const char*> steps[] = {
        {false, "keys", "1 2 A - 3 Shift+?", "12-3?"},
        {true, "clicks", "`~!#$%^&*()_+|=\\[];',./{}:<>@\"Zz 7", " 7"},
        {true, "keys", "4", "4"},
        {false, "text", "\xc3\xa9", "4\xc3\xa9"},                 // e acute
        {false, "text", "\xe2\x82\xac", "4\xc3\xa9\xe2\x82\xac"}, // euro
        {false, "keys", "Backspace Backspace", "4"},
        {true, "clicks", "1234567890", "1234567890"},
        {false, "keys", "1", "1234567890"},
        {true, "paste", "ab#1", "ab#1"},
        {true, "paste", "abcdefghijklmno", "abcdefghij"},
        {true, "clicks", "12-34", "12-34"},
        {false, "keys", "Ctrl+A Ctrl+C Home Del", "2-34"},
        {true, "text", "1x2", "12"},
        {false, "compose", "7b-8", "127-8"},
    };
    for (const auto& [bClear, strHow, pszInput, pszText] : steps) {
        SCOPED_TRACE(pszInput);
        const QString strInput = QString::fromUtf8(pszInput);
        if (bClear)
            edit.clear();
        if (strHow == "keys") {
            Press(&edit, pszInput);
        } else if (strHow == "clicks") {
            QTest::keyClicks(&edit, strInput);
        } else if (strHow == "text") {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, strInput);
            QApplication::sendEvent(&edit, &press);
        } else if (strHow == "paste") {
            QGuiApplication::clipboard()->setText(strInput);
            Press(&edit, "Ctrl+V");
        } else {
            QInputMethodEvent composed;
            composed.setCommitString(strInput);
            QApplication::sendEvent(&edit, &composed);
        }
        EXPECT_EQ(edit.text(), QString::fromUtf8(pszText));
    }
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "12-34");
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
    Press(pEdit, "Del");
    QTest::keyClicks(pEdit, strText);
}

// The dialog's title and the texts of these children of it, with "!" after the focused one.
QStringList TextsOf(QWidget& dlg, std::initializer_list<const char*> names) {
    QStringList texts(dlg.windowTitle());
    for (const char* pszName : names) {
        QWidget* pChild = Child(dlg, pszName);
        QString strText;
        if (const auto* pLabel = qobject_cast<QLabel*>(pChild))
            strText = pLabel->text();
        else if (const auto* pEdit = qobject_cast<QLineEdit*>(pChild))
            strText = pEdit->text();
        else if (const auto* pButton = qobject_cast<QPushButton*>(pChild))
            strText = pButton->text() + (pButton->isDefault() ? " (default)" : "");
        texts.append(strText + (QApplication::focusWidget() == pChild ? "!" : ""));
    }
    return texts;
}

// The File Name cannot be edited; a GID longer than the field takes survives OK.
TEST(DocPropertiesDlg, ShowsThePropertiesWithTheGidFocusedAndTheFileNameReadOnly) {
    PropertiesDialog p;
    ShowActive(p.dlg);
    EXPECT_EQ(TextsOf(p.dlg,
                      {"IDC_STATIC_FILENAME", "IDC_FILENAME_1003", "IDC_STATIC_GID", "IDC_GID_1004",
                       "IDC_STATIC_IDXPATH", "IDC_IDXPATH_1005", "IDC_BROWSE_1006", "IDOK_1"}),
              QStringList({"Document Properties", "File Name:", "/home/forms/order.zarn", "GID:",
                           "32-105!", "Main IDX Path:", "/data/MAIN.IDX", "...", "OK (default)"}));
    p.pFileName->setFocus();
    QGuiApplication::clipboard()->setText("pasted");
    Press(p.pFileName, "End X Backspace Ctrl+V");
    EXPECT_EQ(p.pFileName->text(), "/home/forms/order.zarn");

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
    if (finish == OK_BUTTON || finish == CANCEL_BUTTON)
        QTest::mouseClick(Child<QPushButton>(dlg, finish == OK_BUTTON ? "IDOK_1" : "IDCANCEL_2"),
                          Qt::LeftButton);
    else if (finish != STAY_OPEN)
        Press(QApplication::focusWidget(), finish == ENTER ? "Return" : "Esc");
    EXPECT_EQ(dlg.isVisible(), finish == STAY_OPEN);
    if (finish != STAY_OPEN && finish != ESCAPE) {
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
        {"123456789012", nullptr,    nullptr, OK_BUTTON,     "1234567890", "/data/MAIN.IDX"},
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
            Press(p.pBrowse, "Space");
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

// OK and Cancel are the tool bridge's to press.
TEST(RecordNumberDlg, OpensEmptyAndEnterCopiesTheNumberEscapeNothing) {
    const std::tuple<const char*, Finish, const char*> cases[] = {{"3 2 - 1 0 5", ENTER, "32-105"},
                                                                  {"3", ESCAPE, "before"}};
    for (const auto& [pszKeys, finish, pszResult] : cases) {
        SCOPED_TRACE(pszKeys);
        QString strResult = "before";
        CRecordNumberDlg dlg(nullptr, &strResult);
        ShowActive(dlg);
        EXPECT_EQ(TextsOf(dlg, {"IDC_STATIC_RECORD", "IDC_NUMBER_1004", "IDOK_1"}),
                  QStringList({"Get Record Number", "Record #", "!", "OK (default)"}));
        Press(Child<CNumberEdit>(dlg, "IDC_NUMBER_1004"), pszKeys);
        FinishDialog(dlg, finish);
        EXPECT_EQ(strResult, pszResult);
    }
}

TEST(AboutDlg, ShowsIconAndVersionAndClosesWithOkAndTheAppIconComesInFourSizes) {
    CAboutDlg dlg;
    ShowActive(dlg);
    EXPECT_EQ(
        TextsOf(dlg, {"IDC_STATIC_VERSION", "IDOK_1"}),
        QStringList({"About ZarnEditor", "ZarnEditor Version " ZARN_VERSION, "OK (default)!"}));
    EXPECT_EQ(Child<QLabel>(dlg, "IDC_ICON")->pixmap().deviceIndependentSize(), QSizeF(32, 32));
    FinishDialog(dlg, ENTER);
    for (const int nSize : {16, 32, 48, 64})
        EXPECT_TRUE(LoadAppIcon().availableSizes().contains(QSize(nSize, nSize))) << nSize;
}

} // namespace
