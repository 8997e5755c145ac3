// The application shell: start-up, commands, documents, windows, bars and view settings, and
// its widgets on their own: docking bar, Output pane, number field and dialogs.
#include "app/AboutDlg.h"
#include "app/DialogDockBar.h"
#include "app/DocPropertiesDlg.h"
#include "app/NumberEdit.h"
#include "app/OutputEdit.h"
#include "app/OutputPage.h"
#include "app/RecentFileList.h"
#include "app/RecordNumberDlg.h"
#include "resources/CommandIds.h"
#include "resources/CommandTable.h"
#include "resources/KeyTables.h"
#include "resources/MenuItem.h"
#include "resources/Menus.h"
#include "resources/StringTable.h"
#include "resources/ZarnResources.h"
#include "tests/app/AppTestSupport.h"
#include "toolbridge/ToolOutput.h"
#include "view/FontZoom.h"
#include "view/PaneSplitter.h"

#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFontDialog>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QToolBar>
#include <QWheelEvent>

namespace {

void CollectIds(std::span<const MenuItem> items, std::vector<unsigned>& ids) {
    for (const MenuItem& item : items) {
        if (!item.items.empty())
            CollectIds(item.items, ids);
        else if (item.nId != 0)
            ids.push_back(item.nId);
    }
}

class ShellTest : public CAppTest {
protected:
    CSampleView* Pane(int nRow, int nCol) {
        return qobject_cast<CSampleView*>(ActiveFrame()->GetSplitter()->GetPane(nRow, nCol));
    }

    static void DragDivider(QSplitter* pSplitter, QPoint delta) {
        QSplitterHandle* pHandle = pSplitter->handle(1);
        const QPoint ptStart = pHandle->rect().center();
        QTest::mousePress(pHandle, Qt::LeftButton, Qt::NoModifier, ptStart);
        QTest::mouseMove(pHandle, ptStart + delta);
        QTest::mouseRelease(pHandle, Qt::LeftButton, Qt::NoModifier, ptStart + delta);
        ProcessEvents();
    }

    // Notes the next dialog's title and cancels it; in Properties notes the File Name, types in.
    void AnswerDialog(const QString& strGid = {}, const QString& strIdxPath = {}) {
        DriveNextModalDialog([this, strGid, strIdxPath](QWidget* pDialog) {
            m_strShown = pDialog->windowTitle();
            if (auto* pFileName = pDialog->findChild<QLineEdit*>("IDC_FILENAME_1003")) {
                m_strShown = pFileName->text();
                pDialog->findChild<CNumberEdit*>("IDC_GID_1004")->setText(strGid);
                pDialog->findChild<QLineEdit*>("IDC_IDXPATH_1005")->setText(strIdxPath);
                pDialog->findChild<QPushButton*>("IDOK_1")->click();
            } else {
                static_cast<QDialog*>(pDialog)->reject();
            }
        });
    }

    std::vector<CSampleView*> AllViews() {
        std::vector<CSampleView*> views;
        for (CSampleDoc* pDoc : Docs().GetDocuments())
            views.insert(views.end(), pDoc->GetViews().begin(), pDoc->GetViews().end());
        return views;
    }
    static int PointsOf(CSampleView* pView) {
        return FontPointSize(ZoomFont(pView->GetBaseFont(), pView->GetZoomSteps(), ScreenDpi()),
                             ScreenDpi());
    }
    static void Wheel(CSampleView* pView, int nDelta, Qt::KeyboardModifiers keys) {
        const QPointF pt(50, 20);
        QWheelEvent wheel(pt, pView->viewport()->mapToGlobal(pt), QPoint(), QPoint(0, nDelta),
                          Qt::NoButton, keys, Qt::NoScrollPhase, false);
        QApplication::sendEvent(pView->viewport(), &wheel);
    }

    QString m_strShown;
};

// Why a file cannot be read is the buffer's to say; a file not there yet opens empty.
TEST_F(ShellTest, WithoutFilesOnlyTheMainWindowShowsAndFilesOpenUnderTheirMenu) {
    m_pApp = std::make_unique<CSampleApp>();
    m_pApp->SetRecoveryRoot(m_strRecoveryRoot);
    m_pApp->SetPendingRecord("1001", "/data/MAIN.IDX");
    m_pApp->InitInstance({});
    EXPECT_EQ(MenuTexts(MainFrame().menuBar()), QStringList({"&File", "&View", "&Help"}));
    EXPECT_TRUE(MainFrame().isVisible() && MainFrame().GetToolBar()->isVisible() &&
                MainFrame().statusBar()->isVisible() && MainFrame().GetOutputBar()->isVisible() &&
                MainFrame().GetOutputBar()->GetDockArea() == Qt::BottomDockWidgetArea);
    QString strShown = Windows() + "|" + App().GetPendingGid() + App().GetPendingIdxPath() + "|" +
                       MainFrame().GetPaneText(0) + "|" + UpdatedPane(ID_INDICATOR_POSITION) + "|" +
                       MainFrame().GetPaneText(ID_INDICATOR_GID) + "|";
    for (const unsigned nId : {ID_EDIT_CUT, ID_FILE_SAVE, ID_FILE_NEW, ID_APP_ABOUT})
        strShown += Action(nId)->isEnabled() ? '1' : '0';
    for (QAction* pItem : {Action(ID_FILE_MRU_FIRST), Action(ID_FILE_MRU_FIRST + 1)})
        strShown += pItem->isVisible() ? "|" + pItem->text() + (pItem->isEnabled() ? "+" : "-")
                                       : QString("|hidden");
    EXPECT_EQ(strShown, "Zarn Editor | - | menu 128 | 0 docs||Ready|||0011|Recent File-|hidden");
    StopApp();
    EXPECT_EQ(AfxGetApp(), nullptr);

    const QString strFifo = TempPath("fifo.zarn");
    ASSERT_EQ(::mkfifo(QFile::encodeName(strFifo).constData(), 0644), 0);
    StartApp({TempPath("nowhere/missing.zarn"), strFifo,
              WriteFile("form.zarn", "; GID 1001\r\nuni_start_stream\r\n"), TempPath("new.zarn")});
    EXPECT_EQ(m_listMessages,
              std::vector<QString>({"Cannot open " + TempPath("nowhere/missing.zarn") +
                                        ": No such file or directory",
                                    "Cannot open " + strFifo + ": not a regular file"}));
    EXPECT_EQ(Windows(), "Zarn Editor - new.zarn | new.zarn | menu 129 | 2 docs");
    EXPECT_TRUE(ActiveFrame()->isMaximized());
    EXPECT_EQ(MenuTexts(MainFrame().menuBar()),
              QStringList({"&File", "&Edit", "&View", "Z&arn", "&Window", "&Help"}));
    CSampleDoc* pForm = Docs().GetDocuments().front();
    EXPECT_EQ(LinesOf(pForm), QStringList({"; GID 1001", "uni_start_stream", ""}));
    EXPECT_EQ(DocState(pForm), "form.zarn path=~/form.zarn file=~/form.zarn gid= idx=");
    CSampleDoc* pNew = ActiveDoc();
    EXPECT_FALSE(QFile::exists(TempPath("new.zarn")));
    m_fnState = [&] { return DocState(pNew) + " " + ReadFile(TempPath("new.zarn")); };
    Run("\"abc\" [Save]", "new.zarn path=~/new.zarn file= gid= idx= abc");
    EXPECT_TRUE(m_listFileRequests.empty());
    EXPECT_EQ(App().GetRecentFileList().GetFile(0), TempPath("new.zarn"));
}

TEST_F(ShellTest, EveryMenuItemKeyAndButtonHasItsOneActionWithItsKeysAndPrompts) {
    StartApp();
    std::vector<unsigned> ids;
    CollectIds(GetMenu(IDR_MAINFRAME), ids);
    CollectIds(GetMenu(IDR_ZARNTYPE), ids);
    for (const KeyBinding& binding : GetMainKeyTable())
        ids.push_back(binding.nCommand);
    for (const unsigned nId : ids)
        EXPECT_NE(Action(nId), nullptr) << nId;
    for (const CommandInfo& info : GetCommandTable())
        EXPECT_TRUE(info.nPromptId == 0 || HasResString(info.nPromptId)) << info.nId;
    // A command may have several keys; keypad Enter is Return.
    EXPECT_EQ(QKeySequence::listToString(
                  Action(ID_EDIT_COPY)->shortcuts() + Action(ID_ZARN_PROPERTIES)->shortcuts() +
                  Action(ID_ZARN_INSERT)->shortcuts() + Action(ID_FILE_CLOSE)->shortcuts()),
              "Ctrl+C; Ctrl+Ins; Alt+Return; Alt+Enter; F5");
    // A prompt is status-bar text, then after a line feed, if there is one, the tool tip.
    EXPECT_EQ(QStringList({Action(ID_FILE_NEW)->statusTip(), Action(ID_FILE_NEW)->toolTip(),
                           Action(ID_ZARN_HEX_CONVERTER)->statusTip()}),
              QStringList({"Create a new document", "New", "Load Hex Converter\\Hex"}));
    Action(ID_FILE_NEW)->showStatusText(MainFrame().GetToolBar());
    const QString strPointed = MainFrame().GetPaneText(0);
    QStatusTipEvent leave{QString()};
    QApplication::sendEvent(&MainFrame(), &leave);
    EXPECT_EQ(strPointed + "|" + MainFrame().GetPaneText(0), "Create a new document|Ready");
    // The toolbar shows the same actions, each with its 16 x 15 image and its tool tip.
    std::vector<QAction*> expected, buttons;
    for (const unsigned nId : GetMainToolBar())
        expected.push_back(nId != 0 ? Action(nId) : nullptr);
    for (QAction* pAction : MainFrame().GetToolBar()->actions()) {
        buttons.push_back(pAction->isSeparator() ? nullptr : pAction);
        EXPECT_TRUE(pAction->isSeparator() ||
                    (!pAction->toolTip().isEmpty() &&
                     pAction->icon().pixmap(QSize(16, 15)).size() == QSize(16, 15)))
            << pAction->text().toStdString();
    }
    EXPECT_EQ(buttons, expected);
    // The editor's own commands are in the document's menus, each with a prompt.
    std::vector<unsigned> docIds;
    CollectIds(GetMenu(IDR_ZARNTYPE), docIds);
    QStringList tips;
    for (const unsigned nId :
         {ID_EDIT_GOTO_LINE, ID_EDIT_DELETE_WORD, ID_EDIT_BACKSPACE_WORD, ID_VIEW_LINE_NUMBERS,
          ID_VIEW_ZOOM_IN, ID_VIEW_ZOOM_OUT, ID_VIEW_ZOOM_RESET, ID_VIEW_FONT}) {
        EXPECT_TRUE(std::ranges::count(docIds, nId) == 1 && !Action(nId)->statusTip().isEmpty())
            << nId;
        tips.append(Action(nId)->toolTip());
    }
    EXPECT_EQ(tips.join(u'|'), "Go to Line|Delete Word|Backspace Word|Line Numbers|Zoom In|Zoom "
                               "Out|Reset Zoom|Font");
    // A view tells in the status bar what it could not do.
    Execute(ID_FILE_NEW);
    QKeyEvent arrow(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(QChar(0x2192)));
    QApplication::sendEvent(ActiveView(), &arrow);
    EXPECT_TRUE(MainFrame().GetPaneText(0).startsWith(QStringLiteral("Cannot type U+2192")));
    EXPECT_EQ(MenuTexts(MenuAt(0)).mid(0, 8),
              QStringList({"&New\tCtrl+N", "&Open...\tCtrl+O", "&Load from MAIN.IDX\tCtrl+L",
                           "&Close", "-", "&Save\tCtrl+S", "Save &As...", "-"}));
}

// A command nobody on the route handles is disabled and its key does nothing.
TEST_F(ShellTest, CommandsRunThroughTheRouteFromTheViewToTheApplication) {
    StartApp();
    Run("Ctrl+N", "Zarn Editor - Zarn Document1 | Zarn Document1 | menu 129 | 1 docs");
    App().OpenDocumentFile(WriteFile("form.zarn", "abc\r\n"));
    m_fnState = [this] {
        return QFileInfo(m_strShown).fileName() + " | " + LinesOf(ActiveDoc()).join(u'|');
    };
    AnswerDialog();
    Run("Alt+Return", "form.zarn | abc|");
    Execute(ID_FILE_NEW);
    AnswerDialog();
    Run("[About...]", "About ZarnEditor | ");
    AnswerDialog();
    Run("[Hex Converter]", "Zarn Hex Converter | ");
    EXPECT_FALSE(IsEnabled(ID_KEY_F10));
    Run("\"ab\" F10", "Zarn Hex Converter | ab");
    Run("Ctrl+Z", "Zarn Hex Converter | ");
    EXPECT_TRUE(m_listMessages.empty());
    CSampleView* pView = ActiveView();
    CChildFrame* pFrame = ActiveFrame();
    for (const unsigned nId : {ID_EDIT_READ_ONLY, ID_WINDOW_SPLIT, ID_VIEW_OUTPUT, ID_FILE_NEW})
        EXPECT_TRUE(pView->RouteCommand(nId)) << nId;
    CCmdUI cmdUI(ID_EDIT_READ_ONLY);
    EXPECT_TRUE(pView->RouteUpdateCmdUI(ID_EDIT_READ_ONLY, cmdUI));
    EXPECT_EQ(QString("%1 %2 %3 %4")
                  .arg(cmdUI.GetCheck())
                  .arg(pFrame->GetSplitter()->GetRowCount())
                  .arg(MainFrame().GetOutputBar()->isVisible())
                  .arg(Docs().GetDocuments().size()),
              "1 2 0 4");
    EXPECT_FALSE(pView->RouteCommand(ID_KEY_F10));
}

// Read Only says so once, when turned on; Properties without a File Name shows no GID.
TEST_F(ShellTest, NewDocumentsAreNumberedEmptyDocumentsUnderTheirOwnMenu) {
    StartApp();
    Execute(ID_FILE_NEW);
    CSampleDoc* pDoc = ActiveDoc();
    EXPECT_EQ(pDoc->GetTextBuffer().GetEolStyle(), EOL_CRLF);
    EXPECT_EQ(DocState(pDoc), "Zarn Document1 path= file= gid= idx=");
    EXPECT_FALSE(Action(ID_ZARN_PROPERTIES)->isEnabled());
    EXPECT_EQ(EnabledOf({ID_CONTEXT_PROPERTIES, ID_ZARN_INSERT, ID_ZARN_INSERT_BUTTON}), "100");
    m_fnState = [&] {
        return QString("'%1' %2 %3 %4 %5 ")
                   .arg(UpdatedPane(ID_INDICATOR_READ))
                   .arg(pDoc->GetTextBuffer().IsReadOnly())
                   .arg(CheckOf(ID_EDIT_READ_ONLY))
                   .arg(Action(ID_EDIT_READ_ONLY)->isChecked())
                   .arg(m_listMessages.size()) +
               LinesOf(pDoc).join(u'|');
    };
    Run("", "'' 0 0 0 0 ");
    Run("[Read Only] A", "'Read' 1 1 1 1 ");
    EXPECT_EQ(m_listMessages, std::vector<QString>({"Document now read-only!"}));
    Run("[Read Only]", "'' 0 0 0 1 ");
    m_strShown = "not shown";
    AnswerDialog("12", "");
    EXPECT_TRUE(ActiveView()->RouteCommand(ID_CONTEXT_PROPERTIES));
    EXPECT_EQ(m_strShown + "|" + pDoc->GetGid() + "|" + UpdatedPane(ID_INDICATOR_GID), "|12|");
    m_fnState = nullptr;
    Run("[New]", "Zarn Editor - Zarn Document2 | Zarn Document2 | menu 129 | 2 docs");
    const QPointer<CSampleDoc> pClosed = ActiveDoc();
    Execute(ID_FILE_CLOSE);
    ProcessEvents();
    EXPECT_EQ(State(), "Zarn Editor - Zarn Document1 | Zarn Document1 | menu 129 | 1 docs");
    EXPECT_TRUE(pClosed.isNull());
    Run("[New]", "Zarn Editor - Zarn Document3 | Zarn Document3 | menu 129 | 2 docs");
    Run("[Close] [Close]", "Zarn Editor | - | menu 128 | 0 docs");
}

// An edit undone leaves the document modified; the buffer keeps no flag of its own.
TEST_F(ShellTest, PropertiesOfAFileEnableInsertAndLiveOnlyAsLongAsTheDocument) {
    const QString strPath = WriteFile("32-105.zarn", "; GID 32-105\r\n");
    StartApp({strPath});
    CSampleDoc* pDoc = ActiveDoc();
    m_fnState = [&] {
        const QString strPane = UpdatedPane(ID_INDICATOR_GID);
        return DocState(pDoc).section(" file=", 1).section(u' ', 1) + " " + strPane + " " +
               EnabledOf({ID_ZARN_PROPERTIES, ID_ZARN_INSERT, ID_ZARN_INSERT_BUTTON}) +
               (Action(ID_ZARN_INSERT_BUTTON)->isEnabled() ? "+" : "-");
    };
    Run("", "gid= idx=  100-");
    AnswerDialog("32-105", "/data/MAIN.IDX");
    Run("[Properties]", "gid=32-105 idx=/data/MAIN.IDX 32-105 111+");
    EXPECT_EQ(m_strShown, strPath);
    AnswerDialog("", "/data/MAIN.IDX");
    Run("[Properties]", "gid= idx=/data/MAIN.IDX  100-");
    AnswerDialog("5", "/db/MAIN.IDX");
    Run("[Properties]", "gid=5 idx=/db/MAIN.IDX 5 111+");
    Execute(ID_FILE_CLOSE);
    EXPECT_TRUE(m_listMessages.empty());
    pDoc = App().OpenDocumentFile(strPath);
    Run("", "gid= idx=  100-");
    m_fnState = [&] { return DocState(pDoc).left(12) + LinesOf(pDoc).front(); };
    Run("X", "32-105.zarn*x; GID 32-105");
    Run("Ctrl+Z", "32-105.zarn*; GID 32-105");
    EXPECT_FALSE(pDoc->GetTextBuffer().IsModified());
}

// "*" marks the one buffer modified, also after Redo back to the saved text.
TEST_F(ShellTest, NewWindowShowsTheSameDocumentInANumberedWindow) {
    StartApp({WriteFile("form.zarn", "abc\r\n")});
    CSampleDoc* pDoc = ActiveDoc();
    CChildFrame* pFirst = ActiveFrame();
    Execute(ID_WINDOW_NEW);
    CChildFrame* pSecond = ActiveFrame();
    EXPECT_TRUE(pSecond != pFirst && pSecond->isMaximized());
    QMenu* pWindowMenu = MenuAt(4);
    QList<QAction*> items;
    m_fnState = [&] {
        emit pWindowMenu->aboutToShow();
        items = pWindowMenu->actions().mid(pWindowMenu->actions().size() - 2);
        QString str = QString::number(pDoc->GetViews().size()) + " " + pFirst->windowTitle() + " " +
                      pSecond->windowTitle() + " " + MainFrame().windowTitle();
        for (QAction* pItem : items)
            str += " " + pItem->text() + (pItem->isChecked() ? "+" : "");
        return str;
    };
    const QString strSaved = "2 form.zarn:1 form.zarn:2 Zarn Editor - form.zarn &1 form.zarn:1 "
                             "&2 form.zarn:2+";
    Run("", strSaved);
    items[0]->trigger();
    EXPECT_EQ(ActiveFrame(), pFirst);
    EXPECT_TRUE(pFirst->isMaximized());
    items[1]->trigger();
    EXPECT_EQ(ActiveFrame(), pSecond);
    const QString strModified = "2 form.zarn*:1 form.zarn*:2 Zarn Editor - form.zarn* &1 "
                                "form.zarn*:1 &2 form.zarn*:2+";
    Run("Z", strModified);
    EXPECT_EQ(pFirst->GetActiveView()->GetLineLength(0), 4);
    Run("[Save]", strSaved);
    Run("[Undo]", strModified);
    Run("[Redo]", strModified);
    m_fnState = [&] {
        return QString("%1 views, %2 asked, %3 docs, ")
                   .arg(Docs().GetDocuments().empty() ? 0 : pDoc->GetViews().size())
                   .arg(m_listMessages.size())
                   .arg(Docs().GetDocuments().size()) +
               (ActiveFrame() ? ActiveFrame()->windowTitle() : "-");
    };
    EXPECT_TRUE(pSecond->close());
    FlushDeletes();
    EXPECT_EQ(State(), "1 views, 0 asked, 1 docs, form.zarn*");
    AnswerMessageBoxes({QMessageBox::No});
    EXPECT_TRUE(pFirst->close());
    FlushDeletes();
    EXPECT_EQ(State(), "0 views, 1 asked, 0 docs, -");
    EXPECT_FALSE(IsEnabled(ID_WINDOW_NEW));
}

TEST_F(ShellTest, SplitPanesGoRoundWithF6AndGoWhenTheirDividerIsDraggedAway) {
    StartApp({WriteFile("long.zarn", QByteArray(300, 'a').replace("a", "line\r\n"))});
    CSampleDoc* pDoc = ActiveDoc();
    CPaneSplitter* pSplitter = ActiveFrame()->GetSplitter();
    // Rows x columns, views, Split and Next Pane enabled, the active and focused pane.
    m_fnState = [&] {
        QString str = QString("%1x%2 %3 views ")
                          .arg(pSplitter->GetRowCount())
                          .arg(pSplitter->GetColumnCount())
                          .arg(pDoc->GetViews().size()) +
                      EnabledOf({ID_WINDOW_SPLIT, ID_NEXT_PANE});
        for (int i = 0; i < 4; ++i) {
            if (Pane(i / 2, i % 2) == ActiveView() && ActiveView() == QApplication::focusWidget())
                str += " at " + QString::number(i);
        }
        return str;
    };
    Run("", "1x1 1 views 10 at 0");
    Run("[Split]", "2x2 4 views 01 at 0");
    Run("F6", "2x2 4 views 01 at 1");
    Run("F6", "2x2 4 views 01 at 2");
    Run("F6 F6", "2x2 4 views 01 at 0");
    Run("Shift+F6", "2x2 4 views 01 at 3");
    CSampleView* pKeptRow = Pane(0, 0);
    pKeptRow->ScrollToTopLine(20, true);
    pKeptRow->SyncSiblingPanes(true);
    auto* pRows = pSplitter->findChild<QSplitter*>(QString(), Qt::FindDirectChildrenOnly);
    DragDivider(pRows, QPoint(0, 40));
    EXPECT_TRUE(State().startsWith("2x2 4 views 01"));
    DragDivider(pRows, QPoint(0, pRows->height()));
    EXPECT_TRUE(State().startsWith("1x2 2 views 11"));
    EXPECT_EQ(Pane(0, 0), pKeptRow);
    EXPECT_EQ(Pane(0, 0)->GetFirstVisibleLine(), 20);
    EXPECT_EQ(Pane(0, 0)->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    CSampleView* pRight = Pane(0, 1);
    auto* pColumns = pRows->findChild<QSplitter*>(QString(), Qt::FindDirectChildrenOnly);
    DragDivider(pColumns, QPoint(-pColumns->width(), 0));
    EXPECT_EQ(State(), "1x1 1 views 10 at 0");
    EXPECT_EQ(Pane(0, 0), pRight);
    EXPECT_EQ(pRight->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(ActiveFrame()->GetActiveView(), pRight);
}

TEST_F(ShellTest, BarsToggleWithTheirCheckMarksAndMinimisedWindowsLineUpAtTheBottom) {
    StartApp({WriteFile("first.zarn", "a\r\n"), WriteFile("second.zarn", "b\r\n")});
    MainFrame().AppendOutput("first line\r\n", false);
    MainFrame().AppendOutput("second line", false);
    // Per bar: shown, its check, its action's tick; one at a time, so a miswired command shows.
    const std::pair<unsigned, QWidget*> bars[] = {{ID_VIEW_OUTPUT, MainFrame().GetOutputBar()},
                                                  {ID_VIEW_TOOLBAR, MainFrame().GetToolBar()},
                                                  {ID_VIEW_STATUS_BAR, MainFrame().statusBar()}};
    m_fnState = [&] {
        MainFrame().OnIdleUpdateCmdUI();
        QString str;
        for (const auto& [nId, pBar] : bars)
            str += QString(" %1%2%3")
                       .arg(pBar->isVisible())
                       .arg(CheckOf(nId))
                       .arg(Action(nId)->isChecked());
        return str;
    };
    Run("[Output]", " 000 111 111");
    Run("[Output] [Toolbar]", " 111 000 111");
    Run("[Toolbar] [Status Bar]", " 111 111 000");
    Run("[Status Bar]", " 111 111 111");
    // The output pane keeps its text while hidden.
    EXPECT_EQ(MainFrame().GetOutputEdit()->toPlainText(), "first line\nsecond line");
    MainFrame().AppendOutput("fresh", true);
    EXPECT_EQ(MainFrame().GetOutputEdit()->toPlainText(), "fresh");
    const QList<QMdiSubWindow*> windows = MainFrame().GetMdiArea()->subWindowList();
    ASSERT_EQ(windows.size(), 2);
    Execute(ID_WINDOW_CASCADE);
    EXPECT_FALSE(windows[0]->isMaximized() || windows[1]->isMaximized());
    Execute(ID_WINDOW_TILE_HORZ);
    EXPECT_FALSE(windows[0]->geometry().intersects(windows[1]->geometry()));
    for (QMdiSubWindow* pWindow : windows)
        pWindow->showMinimized();
    Execute(ID_WINDOW_ARRANGE);
    const int nBottom = MainFrame().GetMdiArea()->viewport()->height();
    EXPECT_EQ(windows[0]->geometry().bottom() + 1, nBottom);
    EXPECT_EQ(windows[1]->geometry().bottom() + 1, nBottom);
    EXPECT_EQ(windows[1]->x(), windows[0]->geometry().right() + 1);
    Execute(ID_FILE_NEW);
    EXPECT_TRUE(ActiveFrame()->isMaximized());
}

// The position pane follows every caret move at once, before any idle update runs.
TEST_F(ShellTest, TheStatusBarPanesFollowTheActiveView) {
    QByteArray bytes = "\tone two\r\nsecond line\r\nthird two\r\n";
    for (int i = 3; i < 60; ++i)
        bytes += "filler\r\n";
    StartApp({WriteFile("form.zarn", bytes)});
    CSampleView* pView = ActiveView();
    m_fnState = [this] { return MainFrame().GetPaneText(ID_INDICATOR_POSITION); };
    EXPECT_EQ(UpdatedPane(ID_INDICATOR_POSITION), "Ln 1, Col 1");
    Run("Right Right", "Ln 1, Col 3");
    Run("Down", "Ln 2, Col 6");
    for (const char* pszOvr : {"OVR", ""}) {
        Run("Ins", "Ln 2, Col 6");
        EXPECT_EQ(UpdatedPane(ID_INDICATOR_OVR), pszOvr);
    }
    Run("Up End", "Ln 1, Col 9");
    Run("Down", "Ln 2, Col 12");
    QTest::mouseClick(pView->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(pView->GetMarginWidth() + 2 * pView->GetCharWidth() + 1,
                             2 * pView->GetLineHeight() + 2));
    Run("", "Ln 3, Col 3");
    Run("\"xy\"", "Ln 3, Col 5");
    Run("Ctrl+Z", "Ln 3, Col 3");
    pView->PutCaretAt({3, 39});
    Execute(ID_WINDOW_SPLIT);
    MainFrame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&MainFrame()));
    Pane(0, 0)->setFocus();
    Pane(1, 0)->PutCaretAt({1, 2});
    Run("", "Ln 40, Col 4");
    Pane(1, 0)->setFocus();
    Run("", "Ln 3, Col 2");
    Pane(0, 1)->PutCaretAt({5, 10});
    Pane(1, 1)->PutCaretAt({6, 11});
    CChildFrame* pFirst = ActiveFrame();
    App().OpenDocumentFile(WriteFile("other.zarn", "abc\r\n"));
    Run("", "Ln 1, Col 1");
    MainFrame().GetMdiArea()->setActiveSubWindow(pFirst);
    const TextPos ptCaret = ActiveView()->GetCaretTextPos();
    EXPECT_NE(ptCaret, (TextPos{0, 0}));
    Run("", QString("Ln %1, Col %2").arg(ptCaret.y + 1).arg(ptCaret.x + 1));
}

// The underscore, which the chosen font draws below its descent, is inside its row.
TEST_F(ShellTest, LineNumbersAndTheFontGoToEveryViewAndAreKept) {
    StartApp();
    Execute(ID_FILE_NEW);
    Execute(ID_WINDOW_SPLIT);
    Execute(ID_WINDOW_NEW);
    Execute(ID_VIEW_ZOOM_IN);
    CSampleDoc* pZoomed = ActiveDoc();
    App().OpenDocumentFile(WriteFile("under.zarn", "a_b\r\n"));
    EXPECT_EQ(ActiveView()->GetBaseFont().strFaceName, CSampleDoc::InitialFont().strFaceName);
    EXPECT_EQ(ActiveView()->GetBaseFont().nHeight, CSampleDoc::InitialFont().nHeight);
    ASSERT_EQ(AllViews().size(), 6u);
    m_fnState = [this] {
        QString str = QString::number(CheckOf(ID_VIEW_LINE_NUMBERS));
        for (CSampleView* pView : AllViews())
            str += QString(" %1%2")
                       .arg(pView->GetMarginWidth() > CTextView::MARGIN_WIDTH
                                ? (pView->GetMarginWidth() - CTextView::MARGIN_WIDTH) /
                                      pView->GetCharWidth()
                                : 0)
                       .arg(pView->GetBaseFont().strFaceName.left(1)) +
                   QString::number(PointsOf(pView));
        return str;
    };
    DriveNextModalDialog([](QWidget* pDialog) {
        auto* pFontDialog = qobject_cast<QFontDialog*>(pDialog);
        ASSERT_NE(pFontDialog, nullptr);
        EXPECT_TRUE(pFontDialog->testOption(QFontDialog::MonospacedFonts));
        pFontDialog->setCurrentFont(QFont(QStringLiteral("DejaVu Sans Mono"), 14));
        pFontDialog->accept();
    });
    Run("[Font...]", "1 2D15 2D15 2D15 2D15 2D15 2D14");
    EXPECT_EQ(AllViews().front()->GetDocument(), pZoomed);
    CSampleView* pView = ActiveView();
    const QImage image = pView->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int nLeft = pView->GetMarginWidth() + pView->GetCharWidth();
    int nInk = 0;
    for (int y = 0; y < pView->GetLineHeight(); ++y) {
        for (int x = nLeft; x < nLeft + pView->GetCharWidth(); ++x)
            nInk += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
    }
    EXPECT_GE(nInk, 3);
    Run("[Line Numbers]", "0 0D15 0D15 0D15 0D15 0D15 0D14");
    EXPECT_EQ(pView->GetMarginWidth(), CTextView::MARGIN_WIDTH);
    for (const char* pszState : {"0 0D14", "1 2D14"}) {
        StopApp();
        StartApp();
        EXPECT_TRUE(IsEnabled(ID_VIEW_LINE_NUMBERS));
        Run("[New]", pszState);
        Execute(ID_VIEW_LINE_NUMBERS);
    }
    Run("[Zoom Out]", "0 0D13");
}

// Ctrl+0 stays bookmark 0; the size stops at 72 and 4 points.
TEST_F(ShellTest, ZoomChangesEveryViewOfTheActiveDocumentWithinBounds) {
    StartApp();
    Execute(ID_FILE_NEW);
    Execute(ID_FILE_NEW);
    CSampleDoc* pDoc = ActiveDoc();
    Execute(ID_WINDOW_SPLIT);
    Execute(ID_WINDOW_NEW);
    CSampleView* pView = ActiveView();
    const int nBase = PointsOf(pView);
    const int cyBase = pView->GetLineHeight();
    EXPECT_FALSE(IsEnabled(ID_VIEW_ZOOM_RESET));
    m_fnState = [&] {
        QString str = QString::number(pDoc->GetZoomSteps()) + ":";
        for (CSampleView* pAny : AllViews())
            str += " " + QString::number(PointsOf(pAny) - nBase);
        return str;
    };
    Run("[Zoom In]", "1: 0 1 1 1 1 1");
    Run("Ctrl+=", "2: 0 2 2 2 2 2");
    Run("Ctrl++", "3: 0 3 3 3 3 3");
    Run("Ctrl+- [Zoom Out]", "1: 0 1 1 1 1 1");
    for (const auto& [nDelta, keys, pszState] : {std::tuple{240, Qt::ControlModifier, "3"},
                                                 {-120, Qt::ControlModifier, "2"},
                                                 {-120, Qt::NoModifier, "2"}}) {
        Wheel(pView, nDelta, keys);
        EXPECT_TRUE(State().startsWith(pszState)) << nDelta << " " << keys;
    }
    Run("Ctrl+0", "2: 0 2 2 2 2 2");
    EXPECT_EQ(pDoc->GetTextBuffer().GetLineFlags(0) & LINEFLAG_MARK0, LINEFLAG_MARK0);
    CSampleView* pPane = pDoc->GetViews().front();
    EXPECT_TRUE(pView->GetLineHeight() > cyBase && pPane->GetLineHeight() > cyBase);
    Run("[Reset Zoom]", "0: 0 0 0 0 0 0");
    EXPECT_TRUE(pView->GetLineHeight() == cyBase && pPane->GetLineHeight() == cyBase);
    for (int i = 0; i < 100; ++i)
        Execute(ID_VIEW_ZOOM_IN);
    EXPECT_EQ(PointsOf(pView), MAX_ZOOM_POINTS);
    EXPECT_EQ(EnabledOf({ID_VIEW_ZOOM_IN, ID_VIEW_ZOOM_OUT}), "01");
    Wheel(pView, -120 * 100, Qt::ControlModifier);
    EXPECT_EQ(PointsOf(pView), MIN_ZOOM_POINTS);
    EXPECT_FALSE(IsEnabled(ID_VIEW_ZOOM_OUT));
    // Printing keeps the document's font: zoom is the screen's.
    EXPECT_EQ(pView->GetBaseFont().nHeight, CSampleDoc::InitialFont().nHeight);
}

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
    frame.resize(800, 600);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    const QWidget* pCentral = frame.centralWidget();
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
    // The page is no dialog: Escape in it leaves it open, with its text.
    Press(pEdit, "Esc");
    EXPECT_TRUE(pPage->isVisible() && pEdit->toPlainText().startsWith("first line"));
    DragEdge(QPoint(0, 1000));
    const int nThinnest = pBar->height();
    EXPECT_GE(nThinnest, 32);
    ASSERT_TRUE(pEdit->horizontalScrollBar()->isVisible());
    const QRect rcLine = pEdit->cursorRect(QTextCursor(pEdit->document()->firstBlock()));
    EXPECT_TRUE(rcLine.top() >= 0 && rcLine.bottom() <= pEdit->viewport()->rect().bottom());
    DragEdge(QPoint(0, -40));
    EXPECT_EQ(pBar->height(), nThinnest + 40);
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
    auto* pTop = new CDialogDockBar;
    EXPECT_TRUE(pTop->Create(&frame, new COutputPage, "Top", Qt::TopDockWidgetArea) &&
                pTop->GetDockArea() == Qt::TopDockWidgetArea);
}

// A line too long to be shown in one piece still copies as it came, whole or in part.
TEST(OutputEdit, CopiesTheTextAsTheToolWroteItAlsoByKeys) {
    COutputEdit edit;
    ShowActive(edit);
    const QString strLong = QString(OUTPUT_PIECE_CHARS, u'a') + QString(100, u'b');
    edit.AppendOutput("first\r\n" + strLong + "\r\nlast");
    ASSERT_EQ(edit.blockCount(), 4);
    EXPECT_EQ(edit.GetOutputText(), "first\n" + strLong + "\nlast");
    Press(&edit, "Ctrl+A Ctrl+C");
    EXPECT_EQ(QApplication::clipboard()->text(), "first\n" + strLong + "\nlast");
    QTextCursor cursor(edit.document());
    cursor.setPosition(6 + OUTPUT_PIECE_CHARS - 2);
    cursor.setPosition(6 + OUTPUT_PIECE_CHARS + 1 + 3, QTextCursor::KeepAnchor);
    edit.setTextCursor(cursor);
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
    for (int i = 0; i < 200; ++i)
        edit.AppendOutput(QStringLiteral("line %1\r\n").arg(i));
    EXPECT_TRUE(pBar->maximum() > 0 && pBar->value() == pBar->maximum());
    pBar->setValue(10);
    edit.AppendOutput("\n" + QString(400, u'x'));
    EXPECT_EQ(edit.document()->lastBlock().layout()->lineCount(), 1);
    EXPECT_TRUE(edit.horizontalScrollBar()->value() > 0 &&
                edit.viewport()->rect().contains(edit.cursorRect()));
    edit.AppendOutput("\n");
    EXPECT_TRUE(edit.horizontalScrollBar()->value() == 0 && pBar->value() == pBar->maximum());
}

// Tools' output reads in one colour whatever the desktop's palette, also while disabled.
TEST(OutputEdit, IsReadOnlyAppendsAtTheEndWhateverIsSelectedAndDrawsBlackOnWhite) {
    COutputEdit edit;
    ShowActive(edit);
    edit.AppendOutput("MMMMMMMM\n");
    QTest::keyClicks(&edit, "typed");
    Press(&edit, "Ctrl+A");
    EXPECT_EQ(edit.textCursor().selectedText(), "MMMMMMMM" + QString(QChar::ParagraphSeparator));
    edit.AppendOutput("alpha\nbeta\n");
    QTextCursor cursor(edit.document());
    cursor.setPosition(1);
    cursor.setPosition(4, QTextCursor::KeepAnchor);
    edit.setTextCursor(cursor);
    edit.AppendOutput("gamma");
    EXPECT_EQ(edit.toPlainText(), "MMMMMMMM\nalpha\nbeta\ngamma");
    EXPECT_FALSE(edit.textCursor().hasSelection());
    EXPECT_EQ(edit.textCursor().position(), edit.toPlainText().size());
    // White far right of the text, and dark pixels in the first line.
    const auto BlackOnWhite = [](COutputEdit& e) {
        const QImage image = e.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect rcText = e.cursorRect(QTextCursor(e.document()->firstBlock()));
        int nDark = 0;
        for (int y = rcText.top(); y <= rcText.bottom(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                nDark += qGray(image.pixel(x, y)) < 60 ? 1 : 0;
        }
        return nDark > 20 && image.pixelColor(image.width() - 5, image.height() - 5) == Qt::white;
    };
    EXPECT_TRUE(BlackOnWhite(edit));
    edit.setEnabled(false);
    EXPECT_TRUE(BlackOnWhite(edit));
    const QPalette palOld = QApplication::palette();
    QPalette palDark = palOld;
    for (const auto role : {QPalette::Base, QPalette::Window})
        palDark.setColor(role, QColor(30, 30, 30));
    palDark.setColor(QPalette::Text, QColor(230, 230, 230));
    QApplication::setPalette(palDark);
    COutputEdit dark;
    dark.AppendOutput("MMMMMMMM");
    dark.show();
    const bool bBlackOnWhite = QTest::qWaitForWindowExposed(&dark) && BlackOnWhite(dark);
    QApplication::setPalette(palOld);
    EXPECT_TRUE(bBlackOnWhite);
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
        texts.append(pChild->property("text").toString() +
                     (pChild->property("default").toBool() ? " (default)" : "") +
                     (QApplication::focusWidget() == pChild ? "!" : ""));
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
        // Only the field changed: the document hears of it on OK.
        EXPECT_EQ(p.strIdxPath + " " + p.pIdxPath->text(),
                  "/data/MAIN.IDX " + QString(c.pszBrowse && *c.pszBrowse ? c.pszBrowse
                                              : c.pszPath                 ? c.pszPath
                                                                          : "/data/MAIN.IDX"));
        FinishDialog(p.dlg, c.finish);
        ASSERT_EQ(requests.size(), c.pszBrowse ? 1u : 0u);
        for (const FileDialogRequest& request : requests)
            EXPECT_EQ(Describe(request), "open existing *.idx Database Records File (*.idx) .idx");
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

TEST(AboutDlg, ShowsA32PixelIconAndVersionAndClosesWithOkAndTheAppIconComesInFourSizes) {
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
