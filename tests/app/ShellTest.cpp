// The application shell: start-up, commands and their route, documents, windows, bars, and
// the View menu's settings (line numbers, zoom, font) kept between runs.
#include "app/DialogDockBar.h"
#include "app/NumberEdit.h"
#include "app/OutputEdit.h"
#include "app/RecentFileList.h"
#include "resources/CommandIds.h"
#include "resources/CommandTable.h"
#include "resources/KeyTables.h"
#include "resources/MenuItem.h"
#include "resources/Menus.h"
#include "resources/StringTable.h"
#include "tests/app/AppTestSupport.h"
#include "toolbridge/ToolRunner.h"
#include "view/FontZoom.h"
#include "view/PaneSplitter.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
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

    // Drags the first divider of pSplitter by delta, as the mouse does.
    static void DragDivider(QSplitter* pSplitter, QPoint delta) {
        QSplitterHandle* pHandle = pSplitter->handle(1);
        ASSERT_NE(pHandle, nullptr);
        const QPoint ptStart = pHandle->rect().center();
        QTest::mousePress(pHandle, Qt::LeftButton, Qt::NoModifier, ptStart);
        QTest::mouseMove(pHandle, ptStart + delta);
        QTest::mouseRelease(pHandle, Qt::LeftButton, Qt::NoModifier, ptStart + delta);
        ProcessEvents();
    }

    // Answers the Document Properties dialog: types a GID and a path, then OK or Cancel.
    void AnswerProperties(const QString& strGid, const QString& strIdxPath, bool bOk) {
        DriveNextModalDialog([this, strGid, strIdxPath, bOk](QWidget* pDialog) {
            m_strShownFileName = pDialog->findChild<QLineEdit*>("IDC_FILENAME_1003")->text();
            pDialog->findChild<CNumberEdit*>("IDC_GID_1004")->setText(strGid);
            pDialog->findChild<QLineEdit*>("IDC_IDXPATH_1005")->setText(strIdxPath);
            pDialog->findChild<QPushButton*>(bOk ? "IDOK_1" : "IDCANCEL_2")->click();
        });
    }

    // The title of the next modal dialog, which is cancelled.
    void NoteNextDialog(QString& strTitle) {
        DriveNextModalDialog([&strTitle](QWidget* pDialog) {
            strTitle = pDialog->windowTitle();
            static_cast<QDialog*>(pDialog)->reject();
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

    QString m_strShownFileName;
};

TEST_F(ShellTest, WithoutFilesOnlyTheMainWindowShowsWithMenu128) {
    m_pApp = std::make_unique<CSampleApp>();
    m_pApp->SetRecoveryRoot(m_strRecoveryRoot);
    // The end of start-up empties a pending record.
    m_pApp->SetPendingRecord("1001", "/data/MAIN.IDX");
    m_pApp->InitInstance({});
    EXPECT_EQ(App().GetPendingGid() + App().GetPendingIdxPath(), "");
    EXPECT_EQ(AfxGetApp(), m_pApp.get());
    EXPECT_EQ(Windows(), "Zarn Editor | - | menu 128 | 0 docs");
    EXPECT_EQ(MenuTexts(MainFrame().menuBar()), QStringList({"&File", "&View", "&Help"}));
    EXPECT_TRUE(MainFrame().isVisible() && MainFrame().GetToolBar()->isVisible() &&
                MainFrame().statusBar()->isVisible() && MainFrame().GetOutputBar()->isVisible());
    EXPECT_EQ(MainFrame().GetOutputBar()->GetDockArea(), Qt::BottomDockWidgetArea);
    EXPECT_EQ(QStringList({MainFrame().GetPaneText(0), UpdatedPane(ID_INDICATOR_POSITION),
                           MainFrame().GetPaneText(ID_INDICATOR_GID)}),
              QStringList({"Ready", "", ""}));
    std::string strEnabled;
    for (const unsigned nId :
         {ID_EDIT_CUT, ID_FILE_SAVE, ID_FILE_NEW, ID_APP_ABOUT, ID_FILE_MRU_FIRST})
        strEnabled += Action(nId)->isEnabled() ? '1' : '0';
    EXPECT_EQ(strEnabled, "00110");
    EXPECT_EQ(Action(ID_FILE_MRU_FIRST)->text(), "Recent File");
    EXPECT_TRUE(Action(ID_FILE_MRU_FIRST)->isVisible());
    EXPECT_FALSE(Action(ID_FILE_MRU_FIRST + 1)->isVisible());
    EXPECT_TRUE(m_listMessages.empty());
    StopApp();
    EXPECT_EQ(AfxGetApp(), nullptr);
}

TEST_F(ShellTest, FilesOnTheCommandLineOpenMaximisedUnderMenu129TheLastOneActive) {
    StartApp({WriteFile("first.zarn", "a\r\n"),
              WriteFile("form.zarn", "; GID 1001\r\nuni_start_stream\r\n")});
    EXPECT_EQ(Windows(), "Zarn Editor - form.zarn | form.zarn | menu 129 | 2 docs");
    EXPECT_EQ(MainFrame().GetMdiArea()->subWindowList().size(), 2);
    EXPECT_EQ(LinesOf(ActiveDoc()), QStringList({"; GID 1001", "uni_start_stream", ""}));
    EXPECT_EQ(DocState(ActiveDoc()), "form.zarn path=~/form.zarn file=~/form.zarn gid= idx=");
    EXPECT_TRUE(ActiveFrame()->isMaximized());
    EXPECT_EQ(MenuTexts(MainFrame().menuBar()),
              QStringList({"&File", "&Edit", "&View", "Z&arn", "&Window", "&Help"}));
    EXPECT_EQ(ActiveFrame()->GetSplitter()->GetRowCount(), 1);
    EXPECT_EQ(ActiveFrame()->GetSplitter()->GetColumnCount(), 1);
    EXPECT_EQ(ActiveView()->GetBuffer(), &ActiveDoc()->GetTextBuffer());
}

// Missing, folder, fifo, unreadable: reported; a file that does not exist yet opens empty.
TEST_F(ShellTest, FilesThatCannotBeOpenedAreReportedAndTheOthersStillOpen) {
    const QString strMissing = TempPath("nowhere/missing.zarn");
    const QString strFifo = TempPath("fifo.zarn");
    ASSERT_EQ(::mkfifo(QFile::encodeName(strFifo).constData(), 0644), 0);
    const QString strLocked = WriteFile("locked.zarn", "x\r\n");
    ASSERT_TRUE(QFile::setPermissions(strLocked, QFileDevice::WriteOwner));
    const QString strNew = TempPath("new.zarn");
    StartApp({strMissing, WriteFile("good.zarn", "man_start_object ornament\r\n"), m_dir.path(),
              strFifo, strLocked, strNew});
    std::vector<QString> expected = {"Cannot open " + strMissing + ": No such file or directory",
                                     "Cannot open " + m_dir.path() + ": Is a directory",
                                     "Cannot open " + strFifo + ": not a regular file"};
    // The superuser reads every file.
    if (::geteuid() != 0)
        expected.push_back("Cannot open " + strLocked + ": Permission denied");
    EXPECT_EQ(m_listMessages, expected);
    ASSERT_EQ(Docs().GetDocuments().size(), ::geteuid() != 0 ? 2u : 3u);
    EXPECT_EQ(Docs().GetDocuments().front()->GetTitle(), "good.zarn");
    CSampleDoc* pDoc = ActiveDoc();
    EXPECT_EQ(LinesOf(pDoc), QStringList({""}));
    EXPECT_EQ(DocState(pDoc), "new.zarn path=~/new.zarn file= gid= idx=");
    EXPECT_EQ(MainFrame().windowTitle(), "Zarn Editor - new.zarn");
    EXPECT_FALSE(QFile::exists(strNew));
    QTest::keyClicks(ActiveView(), "abc");
    Execute(ID_FILE_SAVE);
    EXPECT_TRUE(m_listFileRequests.empty());
    EXPECT_EQ(ReadFile(strNew), QByteArray("abc"));
    EXPECT_FALSE(pDoc->IsModified());
    EXPECT_EQ(App().GetRecentFileList().GetFile(0), strNew);
}

TEST_F(ShellTest, EveryMenuItemKeyAndButtonHasItsOneActionWithItsKeysAndPrompts) {
    StartApp();
    std::vector<unsigned> ids, docMenuIds;
    CollectIds(GetMenu(IDR_MAINFRAME), ids);
    CollectIds(GetMenu(IDR_ZARNTYPE), docMenuIds);
    ids.insert(ids.end(), docMenuIds.begin(), docMenuIds.end());
    for (const KeyBinding& binding : GetMainKeyTable())
        ids.push_back(binding.nCommand);
    for (const unsigned nId : ids)
        EXPECT_NE(Action(nId), nullptr) << nId;
    for (const CommandInfo& info : GetCommandTable())
        EXPECT_TRUE(info.nPromptId == 0 || HasResString(info.nPromptId)) << info.nId;
    // The toolbar shows the same actions, each with its 16 x 15 image and its tool tip.
    std::vector<QAction*> buttons, expected;
    for (QAction* pAction : MainFrame().GetToolBar()->actions()) {
        if (!pAction->isSeparator())
            buttons.push_back(pAction);
    }
    for (const unsigned nId : GetMainToolBar()) {
        if (nId != 0)
            expected.push_back(Action(nId));
    }
    EXPECT_EQ(buttons, expected);
    for (QAction* pButton : buttons) {
        const QPixmap image = pButton->icon().pixmap(QSize(16, 15));
        EXPECT_TRUE(!image.isNull() && image.size() == QSize(16, 15)) << pButton->text().toStdString();
        EXPECT_FALSE(pButton->toolTip().isEmpty()) << pButton->text().toStdString();
    }
    // The main key table's keys, keypad Enter beside Return.
    for (const auto& [nId, pszKeys] : {std::pair{ID_EDIT_COPY, "Ctrl+C; Ctrl+Ins"},
                                       {ID_ZARN_PROPERTIES, "Alt+Return; Alt+Enter"},
                                       {ID_PREV_PANE, "Shift+F6"},
                                       {ID_ZARN_INSERT, "F5"},
                                       {ID_FILE_CLOSE, ""},
                                       {ID_VIEW_ZOOM_IN, "Ctrl++; Ctrl+="},
                                       {ID_VIEW_ZOOM_RESET, ""}})
        EXPECT_EQ(QKeySequence::listToString(Action(nId)->shortcuts()), pszKeys) << nId;
    // A prompt is status-bar text, then after a line feed, if there is one, the tool tip.
    EXPECT_EQ(QStringList({Action(ID_FILE_NEW)->statusTip(), Action(ID_FILE_NEW)->toolTip(),
                           Action(ID_ZARN_INSERT_BUTTON)->statusTip(),
                           Action(ID_EDIT_FIND_PREVIOUS)->toolTip(),
                           Action(ID_ZARN_HEX_CONVERTER)->statusTip()}),
              QStringList({"Create a new document", "New", "Insert into MAIN.IDX file",
                           "Find Previous", "Load Hex Converter\\Hex"}));
    // The editor's own commands are in the document's menu with a prompt and a tool tip.
    QStringList tips;
    for (const unsigned nId :
         {ID_EDIT_GOTO_LINE, ID_EDIT_DELETE_WORD, ID_EDIT_BACKSPACE_WORD, ID_VIEW_LINE_NUMBERS,
          ID_VIEW_ZOOM_IN, ID_VIEW_ZOOM_OUT, ID_VIEW_ZOOM_RESET, ID_VIEW_FONT}) {
        EXPECT_NE(std::find(docMenuIds.begin(), docMenuIds.end(), nId), docMenuIds.end()) << nId;
        EXPECT_FALSE(Action(nId)->statusTip().isEmpty()) << nId;
        tips.append(Action(nId)->toolTip());
    }
    EXPECT_EQ(tips.join(u'|'), "Go to Line|Delete Word|Backspace Word|Line Numbers|Zoom In|Zoom "
                               "Out|Reset Zoom|Font");
    // Pointing at an item shows its prompt in place of "Ready".
    Action(ID_FILE_NEW)->showStatusText(MainFrame().GetToolBar());
    EXPECT_EQ(MainFrame().GetPaneText(0), "Create a new document");
    QStatusTipEvent leave{QString()};
    QApplication::sendEvent(&MainFrame(), &leave);
    EXPECT_EQ(MainFrame().GetPaneText(0), "Ready");
    // A view tells there what it could not do.
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
    Press(&MainFrame(), "Ctrl+N");
    ProcessEvents();
    EXPECT_EQ(Windows(), "Zarn Editor - Zarn Document1 | Zarn Document1 | menu 129 | 1 docs");
    QString strShown;
    // Alt+Enter reaches the document from the view, which has no binding for it.
    App().OpenDocumentFile(WriteFile("form.zarn", "abc\r\n"));
    NoteNextDialog(strShown);
    Press(ActiveView(), "Alt+Return");
    ProcessEvents();
    EXPECT_EQ(strShown, "Document Properties");
    EXPECT_EQ(LinesOf(ActiveDoc()), QStringList({"abc", ""}));
    Execute(ID_FILE_NEW);
    for (const auto& [nId, pszTitle] : {std::pair{ID_APP_ABOUT, "About ZarnEditor"},
                                        {ID_ZARN_HEX_CONVERTER, "Zarn Hex Converter"}}) {
        NoteNextDialog(strShown);
        Execute(nId);
        EXPECT_EQ(strShown, pszTitle);
    }
    EXPECT_TRUE(Action(ID_FILE_SAVE)->isEnabled() && Action(ID_EDIT_SELECT_ALL)->isEnabled());
    EXPECT_FALSE(IsEnabled(ID_KEY_F10));
    QTest::keyClicks(ActiveView(), "ab");
    Press(ActiveView(), "F10");
    EXPECT_EQ(LinesOf(ActiveDoc()), QStringList({"ab"}));
    EXPECT_TRUE(m_listMessages.empty());
    // The view's own keys stay the view's: Ctrl+Z undoes in the view.
    Press(ActiveView(), "Ctrl+Z");
    EXPECT_EQ(LinesOf(ActiveDoc()), QStringList({""}));

    // The document's, the window's, the main window's and the application's, from the view.
    CSampleView* pView = ActiveView();
    EXPECT_TRUE(pView->RouteCommand(ID_EDIT_READ_ONLY));
    EXPECT_TRUE(ActiveDoc()->GetTextBuffer().IsReadOnly());
    CCmdUI cmdUI(ID_EDIT_READ_ONLY);
    EXPECT_TRUE(pView->RouteUpdateCmdUI(ID_EDIT_READ_ONLY, cmdUI));
    EXPECT_EQ(cmdUI.GetCheck(), 1);
    EXPECT_TRUE(pView->RouteCommand(ID_WINDOW_SPLIT));
    EXPECT_EQ(ActiveFrame()->GetSplitter()->GetRowCount(), 2);
    EXPECT_TRUE(pView->RouteCommand(ID_VIEW_OUTPUT));
    EXPECT_FALSE(MainFrame().GetOutputBar()->isVisible());
    EXPECT_TRUE(pView->RouteCommand(ID_FILE_NEW));
    EXPECT_EQ(Docs().GetDocuments().size(), 4u);
    EXPECT_FALSE(pView->RouteCommand(ID_KEY_F10));
}

// Read Only says so once, when turned on, and carries a check mark.
TEST_F(ShellTest, NewDocumentsAreNumberedEmptyDocumentsUnderTheirOwnMenu) {
    StartApp();
    Execute(ID_FILE_NEW);
    CSampleDoc* pDoc = ActiveDoc();
    EXPECT_EQ(LinesOf(pDoc), QStringList({""}));
    EXPECT_EQ(pDoc->GetTextBuffer().GetEolStyle(), EOL_CRLF);
    EXPECT_EQ(DocState(pDoc), "Zarn Document1 path= file= gid= idx=");
    EXPECT_EQ(UpdatedPane(ID_INDICATOR_GID), "");
    EXPECT_FALSE(Action(ID_ZARN_PROPERTIES)->isEnabled());
    EXPECT_EQ(EnabledOf({ID_CONTEXT_PROPERTIES, ID_ZARN_INSERT, ID_ZARN_INSERT_BUTTON}), "100");
    EXPECT_EQ(CheckOf(ID_EDIT_READ_ONLY), 0);
    Execute(ID_EDIT_READ_ONLY);
    EXPECT_EQ(m_listMessages, std::vector<QString>({"Document now read-only!"}));
    EXPECT_TRUE(pDoc->GetTextBuffer().IsReadOnly());
    EXPECT_EQ(CheckOf(ID_EDIT_READ_ONLY), 1);
    EXPECT_EQ(UpdatedPane(ID_INDICATOR_READ), "Read");
    EXPECT_TRUE(Action(ID_EDIT_READ_ONLY)->isChecked());
    Press(ActiveView(), "A");
    EXPECT_EQ(LinesOf(pDoc), QStringList({""}));
    Execute(ID_EDIT_READ_ONLY);
    EXPECT_EQ(m_listMessages.size(), 1u);
    EXPECT_FALSE(pDoc->GetTextBuffer().IsReadOnly());
    EXPECT_EQ(CheckOf(ID_EDIT_READ_ONLY), 0);
    EXPECT_EQ(UpdatedPane(ID_INDICATOR_READ), "");
    // The context menu's Properties opens even here; without a File Name no GID is shown.
    m_strShownFileName = "not shown";
    AnswerProperties("12", "", true);
    EXPECT_TRUE(ActiveView()->RouteCommand(ID_CONTEXT_PROPERTIES));
    EXPECT_EQ(m_strShownFileName, "");
    EXPECT_EQ(pDoc->GetGid(), "12");
    EXPECT_EQ(UpdatedPane(ID_INDICATOR_GID), "");
    Execute(ID_FILE_NEW);
    EXPECT_EQ(ActiveDoc()->GetTitle(), "Zarn Document2");
    const QPointer<CSampleDoc> pClosed = ActiveDoc();
    Execute(ID_FILE_CLOSE);
    EXPECT_TRUE(pClosed.isNull()); // a closed document goes with its last view
    EXPECT_EQ(MainFrame().GetMenuId(), IDR_ZARNTYPE);
    Execute(ID_FILE_NEW);
    EXPECT_EQ(Windows(), "Zarn Editor - Zarn Document3 | Zarn Document3 | menu 129 | 2 docs");
    Execute(ID_FILE_CLOSE);
    Execute(ID_FILE_CLOSE);
    EXPECT_EQ(Windows(), "Zarn Editor | - | menu 128 | 0 docs");
}

// The properties live as long as the document; an edit undone leaves it modified.
TEST_F(ShellTest, PropertiesOfAFileEnableInsertAndLiveOnlyAsLongAsTheDocument) {
    const QString strPath = WriteFile("32-105.zarn", "; GID 32-105\r\n");
    StartApp({strPath});
    CSampleDoc* pDoc = ActiveDoc();
    EXPECT_EQ(EnabledOf({ID_ZARN_PROPERTIES, ID_ZARN_INSERT}), "10");
    AnswerProperties("77", "/somewhere/MAIN.IDX", false);
    Execute(ID_ZARN_PROPERTIES);
    EXPECT_EQ(DocState(pDoc), "32-105.zarn path=~/32-105.zarn file=~/32-105.zarn gid= idx=");
    AnswerProperties("32-105", "/data/MAIN.IDX", true);
    Execute(ID_ZARN_PROPERTIES);
    EXPECT_EQ(m_strShownFileName, strPath);
    EXPECT_EQ(DocState(pDoc),
              "32-105.zarn path=~/32-105.zarn file=~/32-105.zarn gid=32-105 idx=/data/MAIN.IDX");
    EXPECT_EQ(EnabledOf({ID_ZARN_INSERT, ID_ZARN_INSERT_BUTTON}), "11");
    EXPECT_EQ(UpdatedPane(ID_INDICATOR_GID), "32-105");
    EXPECT_TRUE(Action(ID_ZARN_INSERT_BUTTON)->isEnabled());
    // One of the two missing disables Insert again.
    AnswerProperties("", "/data/MAIN.IDX", true);
    Execute(ID_ZARN_PROPERTIES);
    EXPECT_FALSE(IsEnabled(ID_ZARN_INSERT));
    AnswerProperties("5", "/db/MAIN.IDX", true);
    Execute(ID_ZARN_PROPERTIES);
    Execute(ID_FILE_CLOSE);
    EXPECT_TRUE(m_listMessages.empty()); // not modified: no save prompt
    pDoc = App().OpenDocumentFile(strPath);
    EXPECT_EQ(DocState(pDoc), "32-105.zarn path=~/32-105.zarn file=~/32-105.zarn gid= idx=");
    Press(ActiveView(), "X");
    EXPECT_EQ(LinesOf(pDoc).front(), "x; GID 32-105");
    EXPECT_TRUE(pDoc->IsModified());
    Press(ActiveView(), "Ctrl+Z");
    EXPECT_EQ(LinesOf(pDoc).front(), "; GID 32-105");
    EXPECT_TRUE(pDoc->IsModified());
    // The buffer keeps no flag of its own: the document's is the only one.
    EXPECT_FALSE(pDoc->GetTextBuffer().IsModified());
}

TEST_F(ShellTest, TheNextDocumentTakesThePendingRecord) {
    const QString strLoaded = WriteFile("1001.zarn", "; GID 1001\r\n");
    StartApp();
    App().SetPendingRecord("1001", "/db/MAIN.IDX");
    CSampleDoc* pDoc = App().OpenDocumentFile(strLoaded);
    ASSERT_NE(pDoc, nullptr);
    EXPECT_EQ(pDoc->GetGid() + " " + pDoc->GetIdxPath(), "1001 /db/MAIN.IDX");
    EXPECT_EQ(App().GetPendingGid() + App().GetPendingIdxPath(), "");
    EXPECT_TRUE(IsEnabled(ID_ZARN_INSERT));
    // A file already open makes no document: the record waits for the next one.
    App().SetPendingRecord("2040", "/db2/MAIN.IDX");
    EXPECT_EQ(App().OpenDocumentFile(strLoaded), pDoc);
    EXPECT_EQ(pDoc->GetGid(), "1001");
    EXPECT_EQ(App().GetPendingGid(), "2040");
    Execute(ID_FILE_NEW);
    EXPECT_EQ(ActiveDoc()->GetGid() + " " + ActiveDoc()->GetIdxPath(), "2040 /db2/MAIN.IDX");
    EXPECT_TRUE(App().GetPendingGid().isEmpty());
}

TEST_F(ShellTest, NewWindowShowsTheSameDocumentInANumberedWindow) {
    StartApp({WriteFile("form.zarn", "abc\r\n")});
    CSampleDoc* pDoc = ActiveDoc();
    CChildFrame* pFirst = ActiveFrame();
    Execute(ID_WINDOW_NEW);
    CChildFrame* pSecond = ActiveFrame();
    ASSERT_NE(pSecond, pFirst);
    EXPECT_EQ(pSecond->GetDocument(), pDoc);
    EXPECT_TRUE(pSecond->isMaximized());
    EXPECT_EQ(pDoc->GetViews().size(), 2u);
    // Both windows' titles, the main window's and the Window menu's items, the checked one
    // marked "+".
    QMenu* pWindowMenu = MenuAt(4);
    const auto Titles = [&] {
        emit pWindowMenu->aboutToShow();
        QStringList titles(
            {pFirst->windowTitle(), pSecond->windowTitle(), MainFrame().windowTitle()});
        for (QAction* pItem : pWindowMenu->actions().mid(pWindowMenu->actions().size() - 2))
            titles.append(pItem->text() + (pItem->isChecked() ? "+" : ""));
        return titles.join(u'|');
    };
    const QString strSaved = "form.zarn:1|form.zarn:2|Zarn Editor - form.zarn|&1 form.zarn:1|&2 "
                             "form.zarn:2+";
    EXPECT_EQ(Titles(), strSaved);
    // Choosing an item activates its window, maximised.
    pWindowMenu->actions().at(pWindowMenu->actions().size() - 2)->trigger();
    EXPECT_EQ(ActiveFrame(), pFirst);
    EXPECT_TRUE(pFirst->isMaximized());
    pWindowMenu->actions().last()->trigger();
    EXPECT_EQ(ActiveFrame(), pSecond);
    // One buffer; "*" marks it modified, also after Redo back to the saved text.
    Press(ActiveView(), "Z");
    EXPECT_EQ(pFirst->GetActiveView()->GetLineLength(0), 4);
    const QString strModified = "form.zarn*:1|form.zarn*:2|Zarn Editor - form.zarn*|&1 "
                                "form.zarn*:1|&2 form.zarn*:2+";
    EXPECT_EQ(Titles(), strModified);
    Execute(ID_FILE_SAVE);
    EXPECT_EQ(Titles(), strSaved);
    Execute(ID_EDIT_UNDO);
    EXPECT_EQ(Titles(), strModified);
    Execute(ID_EDIT_REDO);
    EXPECT_EQ(pSecond->windowTitle(), "form.zarn*:2");
    // Closing one of two windows asks nothing; closing the last one asks to save.
    EXPECT_TRUE(pSecond->close());
    FlushDeletes();
    EXPECT_TRUE(m_listMessages.empty());
    EXPECT_EQ(pFirst->windowTitle(), "form.zarn*");
    EXPECT_EQ(pDoc->GetViews().size(), 1u);
    AnswerMessageBoxes({QMessageBox::No});
    EXPECT_TRUE(pFirst->close());
    FlushDeletes();
    EXPECT_EQ(m_listMessages.size(), 1u);
    EXPECT_TRUE(Docs().GetDocuments().empty());
    EXPECT_FALSE(IsEnabled(ID_WINDOW_NEW));
}

// Rows share their lines, columns their columns; a divider dragged to the edge removes one.
TEST_F(ShellTest, SplitPanesShareTheirRowsAndColumnsPositionsAndGoWhenDraggedAway) {
    QByteArray bytes;
    for (int i = 0; i < 300; ++i)
        bytes += QByteArray(200, 'a' + static_cast<char>(i % 26)) + "\r\n";
    StartApp({WriteFile("long.zarn", bytes)});
    CSampleDoc* pDoc = ActiveDoc();
    EXPECT_EQ(EnabledOf({ID_WINDOW_SPLIT, ID_NEXT_PANE}), "10");
    Execute(ID_WINDOW_SPLIT);
    CPaneSplitter* pSplitter = ActiveFrame()->GetSplitter();
    ASSERT_EQ(pSplitter->GetRowCount(), 2);
    ASSERT_EQ(pSplitter->GetColumnCount(), 2);
    EXPECT_EQ(EnabledOf({ID_WINDOW_SPLIT, ID_NEXT_PANE}), "01");
    EXPECT_EQ(pDoc->GetViews().size(), 4u);
    for (int i = 0; i < 4; ++i) {
        ASSERT_NE(Pane(i / 2, i % 2), nullptr);
        EXPECT_EQ(Pane(i / 2, i % 2)->GetBuffer(), &pDoc->GetTextBuffer());
    }
    ProcessEvents();
    // F6 and Shift+F6 move the focus round the panes.
    Pane(0, 0)->setFocus();
    ProcessEvents();
    for (CSampleView* pExpected : {Pane(0, 1), Pane(1, 0), Pane(1, 1), Pane(0, 0)}) {
        Press(ActiveView(), "F6");
        ProcessEvents();
        EXPECT_EQ(ActiveView(), pExpected);
        EXPECT_EQ(QApplication::focusWidget(), pExpected);
    }
    Press(ActiveView(), "Shift+F6");
    ProcessEvents();
    EXPECT_EQ(ActiveView(), Pane(1, 1));

    // A pane scrolled down takes the other pane of its row along, not those of the other row.
    Pane(0, 0)->ScrollCaretIntoView({0, 150});
    EXPECT_GT(Pane(0, 0)->GetFirstVisibleLine(), 100);
    EXPECT_EQ(Pane(0, 1)->GetFirstVisibleLine(), Pane(0, 0)->GetFirstVisibleLine());
    EXPECT_EQ(Pane(1, 0)->GetFirstVisibleLine() + Pane(1, 1)->GetFirstVisibleLine(), 0);
    // Only the last column has a vertical bar, only the last row a horizontal one.
    EXPECT_EQ(Pane(0, 1)->verticalScrollBar()->value(), Pane(0, 0)->GetFirstVisibleLine());
    EXPECT_EQ(Pane(0, 0)->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(Pane(0, 0)->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(Pane(1, 1)->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    // A pane scrolled right takes the other pane of its column along.
    Pane(1, 1)->ScrollCaretIntoView({180, 0});
    EXPECT_GT(Pane(1, 1)->GetFirstVisibleColumn(), 100);
    EXPECT_EQ(Pane(0, 1)->GetFirstVisibleColumn(), Pane(1, 1)->GetFirstVisibleColumn());
    EXPECT_EQ(Pane(0, 0)->GetFirstVisibleColumn() + Pane(1, 0)->GetFirstVisibleColumn(), 0);

    CSampleView* pKeptRow = Pane(0, 0);
    pKeptRow->ScrollToTopLine(20, true);
    pKeptRow->SyncSiblingPanes(true);
    // A small drag only moves the divider; one to the bottom edge removes the lower row.
    auto* pRows = pSplitter->findChild<QSplitter*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_NE(pRows, nullptr);
    DragDivider(pRows, QPoint(0, 40));
    EXPECT_EQ(pSplitter->GetRowCount(), 2);
    DragDivider(pRows, QPoint(0, pRows->height()));
    EXPECT_EQ(pSplitter->GetRowCount(), 1);
    EXPECT_EQ(pSplitter->GetColumnCount(), 2);
    EXPECT_EQ(pDoc->GetViews().size(), 2u);
    EXPECT_EQ(Pane(0, 0), pKeptRow);
    EXPECT_EQ(Pane(0, 0)->GetFirstVisibleLine(), 20);
    EXPECT_EQ(Pane(0, 0)->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    // Dragged to the left edge, the first column goes; the right one moves into its place.
    CSampleView* pRight = Pane(0, 1);
    auto* pColumns = pRows->findChild<QSplitter*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_NE(pColumns, nullptr);
    DragDivider(pColumns, QPoint(-pColumns->width(), 0));
    EXPECT_EQ(pSplitter->GetColumnCount(), 1);
    EXPECT_EQ(Pane(0, 0), pRight);
    EXPECT_EQ(pDoc->GetViews().size(), 1u);
    EXPECT_EQ(pRight->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(ActiveFrame()->GetActiveView(), pRight);
    EXPECT_TRUE(IsEnabled(ID_WINDOW_SPLIT));
}

TEST_F(ShellTest, BarsToggleWithTheirCheckMarksAndMinimisedWindowsLineUpAtTheBottom) {
    StartApp({WriteFile("first.zarn", "a\r\n"), WriteFile("second.zarn", "b\r\n")});
    MainFrame().AppendOutput("first line\r\n", false);
    MainFrame().AppendOutput("second line", false);
    COutputEdit* pEdit = MainFrame().GetOutputEdit();
    EXPECT_EQ(pEdit->toPlainText(), "first line\nsecond line");
    for (const auto& [nId, pBar] :
         {std::pair<unsigned, QWidget*>{ID_VIEW_OUTPUT, MainFrame().GetOutputBar()},
          {ID_VIEW_TOOLBAR, MainFrame().GetToolBar()},
          {ID_VIEW_STATUS_BAR, MainFrame().statusBar()}}) {
        for (const bool bShown : {false, true}) {
            Execute(nId);
            MainFrame().OnIdleUpdateCmdUI();
            EXPECT_EQ(pBar->isVisible(), bShown) << nId;
            EXPECT_EQ(CheckOf(nId), bShown ? 1 : 0) << nId;
            EXPECT_EQ(Action(nId)->isChecked(), bShown) << nId;
        }
    }
    EXPECT_EQ(pEdit->toPlainText(), "first line\nsecond line");
    MainFrame().AppendOutput("fresh", true);
    EXPECT_EQ(pEdit->toPlainText(), "fresh");

    // Minimised from a cascade, windows line up at the bottom; a new one opens maximised.
    Execute(ID_WINDOW_CASCADE);
    const QList<QMdiSubWindow*> windows = MainFrame().GetMdiArea()->subWindowList();
    for (QMdiSubWindow* pWindow : windows)
        pWindow->showMinimized();
    Execute(ID_WINDOW_ARRANGE);
    const int nBottom = MainFrame().GetMdiArea()->viewport()->height();
    EXPECT_EQ(windows[0]->geometry().bottom() + 1, nBottom);
    EXPECT_EQ(windows[1]->geometry().bottom() + 1, nBottom);
    EXPECT_EQ(windows[1]->x(), windows[0]->geometry().right() + 1);
    Execute(ID_FILE_NEW);
    EXPECT_TRUE(ActiveFrame()->isMaximized());

    // Closing the main window while a tool runs cancels the run first.
    const std::shared_ptr<bool> pbCloseAsked = CloseMainWindowWhenOutputShows("started");
    CToolRunner runner("/bin/sh", {"-c", "echo started; exec sleep 60"}, pEdit);
    runner.Run();
    EXPECT_TRUE(*pbCloseAsked);
    EXPECT_FALSE(CToolRunner::IsAnyRunning());
    EXPECT_TRUE(pEdit->toPlainText().contains("Cancelled."));
    // The close that was put off happens once the run has unwound.
    ProcessEvents();
    EXPECT_FALSE(MainFrame().isVisible());
}

// The position pane follows every caret move at once, before any idle update runs.
TEST_F(ShellTest, TheStatusBarPanesFollowTheActiveView) {
    QByteArray bytes = "\tone two\r\nsecond line\r\nthird two\r\n";
    for (int i = 3; i < 60; ++i)
        bytes += "filler\r\n";
    StartApp({WriteFile("form.zarn", bytes)});
    CSampleView* pView = ActiveView();
    const auto Position = [this] {
        return MainFrame().GetPaneText(ID_INDICATOR_POSITION).toStdString();
    };
    EXPECT_EQ(UpdatedPane(ID_INDICATOR_POSITION), "Ln 1, Col 1");
    Press(pView, "Right Right");
    EXPECT_EQ(UpdatedPane(ID_INDICATOR_POSITION), "Ln 1, Col 3");
    // The pane counts characters; the move keeps the screen column (5, after the tab).
    Press(pView, "Down");
    EXPECT_EQ(UpdatedPane(ID_INDICATOR_POSITION), "Ln 2, Col 6");
    EXPECT_EQ(MainFrame().GetPaneText(ID_INDICATOR_OVR), "");
    Press(pView, "Ins");
    EXPECT_EQ(UpdatedPane(ID_INDICATOR_OVR), "OVR");
    Press(pView, "Ins");
    // The offscreen platform does not tell the lock keys' state: those panes stay blank.
    for (const unsigned nId :
         {ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL, ID_INDICATOR_BLANK})
        EXPECT_EQ(MainFrame().GetPaneText(nId), "") << nId;
    Press(pView, "Up End");
    EXPECT_EQ(Position(), "Ln 1, Col 9");
    Press(pView, "Down");
    EXPECT_EQ(Position(), "Ln 2, Col 12");
    const QPoint ptCell(pView->GetMarginWidth() + 2 * pView->GetCharWidth() + 1,
                        2 * pView->GetLineHeight() + 2);
    QTest::mouseClick(pView->viewport(), Qt::LeftButton, Qt::NoModifier, ptCell);
    EXPECT_EQ(Position(), "Ln 3, Col 3");
    QTest::keyClicks(pView, "xy");
    EXPECT_EQ(Position(), "Ln 3, Col 5");
    Press(pView, "Ctrl+Z");
    EXPECT_EQ(Position(), "Ln 3, Col 3");
    // Find: the dialog selects "two" on line 3, and F3 goes on round the end to line 1.
    DriveNextModalDialog([](QWidget* pDialog) {
        pDialog->findChild<QLineEdit*>("IDC_EDIT_FINDTEXT_8605")->setText("two");
        QTest::mouseClick(pDialog->findChild<QPushButton*>("IDOK_1"), Qt::LeftButton);
    });
    Press(pView, "Ctrl+F F3");
    EXPECT_EQ(Position(), "Ln 1, Col 9");
    // Go to Line, from its key in the main window.
    DriveNextModalDialog([](QWidget* pDialog) {
        EXPECT_EQ(pDialog->objectName(), "IDD_GOTO_LINE_8640");
        pDialog->findChild<QLineEdit*>("IDC_LINE_8642")->setText("40");
        pDialog->findChild<QLineEdit*>("IDC_COLUMN_8643")->setText("4");
        QTest::mouseClick(pDialog->findChild<QPushButton*>("IDOK_1"), Qt::LeftButton);
    });
    Press(pView, "Ctrl+G");
    EXPECT_EQ(pView->GetCaretTextPos(), (TextPos{3, 39}));
    EXPECT_EQ(Position(), "Ln 40, Col 4");
    // Another pane taking the focus shows its own caret (in an active window again).
    Execute(ID_WINDOW_SPLIT);
    MainFrame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&MainFrame()));
    Pane(0, 0)->setFocus();
    EXPECT_EQ(Position(), "Ln 40, Col 4");
    Pane(1, 0)->PutCaretAt({1, 2});
    EXPECT_EQ(Position(), "Ln 40, Col 4");
    Pane(1, 0)->setFocus();
    EXPECT_EQ(Position(), "Ln 3, Col 2");
    // So does another document window becoming the active one.
    Pane(0, 1)->PutCaretAt({5, 10});
    Pane(1, 1)->PutCaretAt({6, 11});
    CChildFrame* pFirst = ActiveFrame();
    App().OpenDocumentFile(WriteFile("other.zarn", "abc\r\n"));
    EXPECT_EQ(Position(), "Ln 1, Col 1");
    MainFrame().GetMdiArea()->setActiveSubWindow(pFirst);
    const TextPos ptCaret = ActiveView()->GetCaretTextPos();
    EXPECT_NE(ptCaret, (TextPos{0, 0}));
    EXPECT_EQ(Position(),
              "Ln " + std::to_string(ptCaret.y + 1) + ", Col " + std::to_string(ptCaret.x + 1));
}

TEST_F(ShellTest, LineNumbersShowInEveryPaneUntilTurnedOffAndTheChoiceIsKept) {
    StartApp();
    Execute(ID_FILE_NEW);
    Execute(ID_WINDOW_SPLIT);
    Execute(ID_WINDOW_NEW);
    Execute(ID_FILE_NEW);
    ASSERT_EQ(AllViews().size(), 6u);
    EXPECT_EQ(CheckOf(ID_VIEW_LINE_NUMBERS), 1);
    // "1" and its padding.
    for (CSampleView* pView : AllViews())
        EXPECT_EQ(pView->GetMarginWidth(), 2 * pView->GetCharWidth() + CTextView::MARGIN_WIDTH);
    Execute(ID_VIEW_LINE_NUMBERS);
    EXPECT_EQ(CheckOf(ID_VIEW_LINE_NUMBERS), 0);
    for (CSampleView* pView : AllViews())
        EXPECT_EQ(pView->GetMarginWidth(), CTextView::MARGIN_WIDTH);
    // Each run starts as the last one left it; without a document the item is there.
    for (const bool bShown : {false, true}) {
        StopApp();
        StartApp();
        EXPECT_TRUE(IsEnabled(ID_VIEW_LINE_NUMBERS));
        EXPECT_EQ(CheckOf(ID_VIEW_LINE_NUMBERS), bShown ? 1 : 0);
        Execute(ID_FILE_NEW);
        EXPECT_EQ(ActiveView()->IsShowingLineNumbers(), bShown);
        Execute(ID_VIEW_LINE_NUMBERS);
        EXPECT_EQ(ActiveView()->IsShowingLineNumbers(), !bShown);
    }
}

TEST_F(ShellTest, ZoomChangesEveryViewOfTheActiveDocumentWithinBounds) {
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
    EXPECT_FALSE(IsEnabled(ID_VIEW_ZOOM_RESET));
    // Commands, keys (Ctrl+= and Ctrl++ alike) and Ctrl with the wheel, each a point; Ctrl+0
    // stays bookmark 0, the wheel without Ctrl scrolls.
    const std::pair<std::function<void()>, int> steps[] = {
        {[&] { Execute(ID_VIEW_ZOOM_IN); }, 1},
        {[&] { Press(pView, "Ctrl+="); }, 2},
        {[&] { Press(pView, "Ctrl++"); }, 3},
        {[&] { Press(pView, "Ctrl+-"); }, 2},
        {[&] { Execute(ID_VIEW_ZOOM_OUT); }, 1},
        {[&] { Wheel(pView, 240, Qt::ControlModifier); }, 3},
        {[&] { Wheel(pView, -120, Qt::ControlModifier); }, 2},
        {[&] { Wheel(pView, -120, Qt::NoModifier); }, 2},
        {[&] { Press(pView, "Ctrl+0"); }, 2},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        steps[i].first();
        const int nSteps = steps[i].second;
        EXPECT_EQ(pDoc->GetZoomSteps(), nSteps);
        for (CSampleView* pDocView : pDoc->GetViews())
            EXPECT_EQ(PointsOf(pDocView), nBase + nSteps);
        for (CSampleView* pOtherView : pOther->GetViews())
            EXPECT_EQ(pOtherView->GetZoomSteps(), 0);
    }
    EXPECT_GT(pView->GetLineHeight(), cyBase);
    EXPECT_EQ(pDoc->GetTextBuffer().GetLineFlags(0) & LINEFLAG_MARK0, LINEFLAG_MARK0);
    Execute(ID_VIEW_ZOOM_RESET);
    EXPECT_EQ(pDoc->GetZoomSteps(), 0);
    EXPECT_EQ(pView->GetLineHeight(), cyBase);
    // The size stops at 72 and at 4 points, where the command that would pass them is off.
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

TEST_F(ShellTest, TheFontChosenGoesToEveryDocumentAndIsKept) {
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
    const int nLeft = pView->GetMarginWidth() + pView->GetCharWidth();
    int nInk = 0;
    for (int y = 0; y < pView->GetLineHeight(); ++y) {
        for (int x = nLeft; x < nLeft + pView->GetCharWidth(); ++x)
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
