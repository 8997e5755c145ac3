// The command layer: the actions made from the command table, their shortcuts, prompts and
// icons, the route from view to application, and the commands nobody handles.
#include "app/DialogDockBar.h"
#include "resources/CommandIds.h"
#include "resources/CommandTable.h"
#include "resources/KeyTables.h"
#include "resources/MenuItem.h"
#include "resources/Menus.h"
#include "resources/StringTable.h"
#include "tests/app/AppTestSupport.h"
#include "view/PaneSplitter.h"

#include <algorithm>

#include <QAction>
#include <QDialog>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>

namespace {

void CollectIds(std::span<const MenuItem> items, std::vector<unsigned>& ids) {
    for (const MenuItem& item : items) {
        if (!item.items.empty())
            CollectIds(item.items, ids);
        else if (item.nId != 0)
            ids.push_back(item.nId);
    }
}

class CommandLayerTest : public CAppTest {
protected:
    bool IsEnabled(unsigned nId) { return MainFrame().QueryCommandUI(nId).IsEnabled(); }
};

TEST_F(CommandLayerTest, EveryMenuItemKeyAndButtonHasItsOneAction) {
    StartApp();
    std::vector<unsigned> ids;
    CollectIds(GetMenu(IDR_MAINFRAME), ids);
    CollectIds(GetMenu(IDR_ZARNTYPE), ids);
    for (const KeyBinding& binding : GetMainKeyTable())
        ids.push_back(binding.nCommand);
    for (const unsigned nId : ids)
        EXPECT_NE(MainFrame().GetCommandAction(nId), nullptr) << nId;

    // The toolbar shows the same actions, each with its 16 x 15 image and its tool tip.
    std::vector<QAction*> buttons;
    for (QAction* pAction : MainFrame().GetToolBar()->actions()) {
        if (!pAction->isSeparator())
            buttons.push_back(pAction);
    }
    std::vector<unsigned> expected;
    for (const unsigned nId : GetMainToolBar()) {
        if (nId != 0)
            expected.push_back(nId);
    }
    ASSERT_EQ(buttons.size(), expected.size());
    for (size_t i = 0; i < buttons.size(); ++i) {
        EXPECT_EQ(buttons[i], MainFrame().GetCommandAction(expected[i]));
        const QPixmap image = buttons[i]->icon().pixmap(QSize(16, 15));
        EXPECT_FALSE(image.isNull()) << expected[i];
        EXPECT_EQ(image.size(), QSize(16, 15)) << expected[i];
        EXPECT_FALSE(buttons[i]->toolTip().isEmpty()) << expected[i];
    }

    // Each menu item appears under the text of its menu.
    Execute(ID_FILE_NEW);
    QMenu* pFileMenu = MainFrame().menuBar()->actions().at(0)->menu();
    ASSERT_NE(pFileMenu, nullptr);
    QStringList texts;
    for (QAction* pAction : pFileMenu->actions())
        texts.append(pAction->isSeparator() ? QString("-") : pAction->text());
    EXPECT_EQ(texts.mid(0, 8),
              QStringList({"&New\tCtrl+N", "&Open...\tCtrl+O", "&Load from MAIN.IDX\tCtrl+L",
                           "&Close", "-", "&Save\tCtrl+S", "Save &As...", "-"}));
}

TEST_F(CommandLayerTest, TheShortcutsAreTheMainKeyTables) {
    StartApp();
    const QList<QKeySequence> copyKeys = MainFrame().GetCommandAction(ID_EDIT_COPY)->shortcuts();
    EXPECT_TRUE(copyKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_C)));
    EXPECT_TRUE(copyKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_Insert)));
    const QList<QKeySequence> propertiesKeys =
        MainFrame().GetCommandAction(ID_ZARN_PROPERTIES)->shortcuts();
    EXPECT_EQ(propertiesKeys, QList<QKeySequence>({QKeySequence(Qt::ALT | Qt::Key_Return),
                                                   QKeySequence(Qt::ALT | Qt::Key_Enter)}));
    EXPECT_EQ(MainFrame().GetCommandAction(ID_PREV_PANE)->shortcut(),
              QKeySequence(Qt::SHIFT | Qt::Key_F6));
    EXPECT_EQ(MainFrame().GetCommandAction(ID_ZARN_INSERT)->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_TRUE(MainFrame().GetCommandAction(ID_FILE_CLOSE)->shortcuts().isEmpty());
    EXPECT_EQ(MainFrame().GetCommandAction(ID_VIEW_ZOOM_IN)->shortcuts(),
              QList<QKeySequence>(
                  {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)}));
    EXPECT_TRUE(MainFrame().GetCommandAction(ID_VIEW_ZOOM_RESET)->shortcuts().isEmpty());
}

TEST_F(CommandLayerTest, PromptsShowOnTheStatusBarAndToolTipsAreTheTextAfterTheLineFeed) {
    StartApp();
    QAction* pNew = MainFrame().GetCommandAction(ID_FILE_NEW);
    EXPECT_EQ(pNew->statusTip(), "Create a new document");
    EXPECT_EQ(pNew->toolTip(), "New");
    EXPECT_EQ(MainFrame().GetCommandAction(ID_ZARN_INSERT_BUTTON)->statusTip(),
              "Insert into MAIN.IDX file");
    EXPECT_EQ(MainFrame().GetCommandAction(ID_EDIT_FIND_PREVIOUS)->toolTip(), "Find Previous");
    // A prompt without a line feed is all status-bar text.
    EXPECT_EQ(MainFrame().GetCommandAction(ID_ZARN_HEX_CONVERTER)->statusTip(),
              "Load Hex Converter\\Hex");

    // Pointing at an item shows its prompt in place of "Ready".
    pNew->showStatusText(MainFrame().GetToolBar());
    EXPECT_EQ(MainFrame().GetPaneText(0), "Create a new document");
    QStatusTipEvent leave{QString()};
    QApplication::sendEvent(&MainFrame(), &leave);
    EXPECT_EQ(MainFrame().GetPaneText(0), "Ready");
    // A view tells there what it could not do.
    Execute(ID_FILE_NEW);
    ASSERT_NE(ActiveView(), nullptr);
    QKeyEvent arrow(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(QChar(0x2192)));
    QApplication::sendEvent(ActiveView(), &arrow);
    EXPECT_TRUE(MainFrame().GetPaneText(0).startsWith(QStringLiteral("Cannot type U+2192")));

    // The editor's own commands are in the document's menu with a prompt and a tool tip.
    std::vector<unsigned> menuIds;
    CollectIds(GetMenu(IDR_ZARNTYPE), menuIds);
    const std::pair<unsigned, const char*> ownCommands[] = {
        {ID_EDIT_GOTO_LINE, "Go to Line"},
        {ID_EDIT_DELETE_WORD, "Delete Word"},
        {ID_EDIT_BACKSPACE_WORD, "Backspace Word"},
        {ID_VIEW_LINE_NUMBERS, "Line Numbers"},
        {ID_VIEW_ZOOM_IN, "Zoom In"},
        {ID_VIEW_ZOOM_OUT, "Zoom Out"},
        {ID_VIEW_ZOOM_RESET, "Reset Zoom"},
        {ID_VIEW_FONT, "Font"},
    };
    for (const auto& [nId, pszToolTip] : ownCommands) {
        EXPECT_NE(std::find(menuIds.begin(), menuIds.end(), nId), menuIds.end()) << nId;
        EXPECT_EQ(MainFrame().GetCommandAction(nId)->toolTip(), pszToolTip);
        EXPECT_FALSE(MainFrame().GetCommandAction(nId)->statusTip().isEmpty()) << nId;
    }

    // Every prompt the table names is in the string table.
    for (const CommandInfo& info : GetCommandTable()) {
        if (info.nPromptId != 0) {
            EXPECT_TRUE(HasResString(info.nPromptId)) << info.nId;
        }
    }
}

TEST_F(CommandLayerTest, ACommandNobodyHandlesIsDisabledAndItsKeyDoesNothing) {
    StartApp();
    // Without a document, the view's and the document's commands have no handler.
    MainFrame().OnIdleUpdateCmdUI();
    EXPECT_FALSE(MainFrame().GetCommandAction(ID_EDIT_CUT)->isEnabled());
    EXPECT_FALSE(MainFrame().GetCommandAction(ID_FILE_SAVE)->isEnabled());
    EXPECT_TRUE(MainFrame().GetCommandAction(ID_FILE_NEW)->isEnabled());
    EXPECT_TRUE(MainFrame().GetCommandAction(ID_APP_ABOUT)->isEnabled());

    Execute(ID_FILE_NEW);
    EXPECT_TRUE(MainFrame().GetCommandAction(ID_FILE_SAVE)->isEnabled());
    EXPECT_TRUE(MainFrame().GetCommandAction(ID_EDIT_SELECT_ALL)->isEnabled());
    EXPECT_FALSE(IsEnabled(ID_KEY_F10));
    QTest::keyClicks(ActiveView(), "ab");
    QTest::keyClick(ActiveView(), Qt::Key_F10);
    EXPECT_EQ(LinesOf(ActiveDoc()), QStringList({"ab"}));
    EXPECT_TRUE(m_listMessages.empty());
}

TEST_F(CommandLayerTest, ShortcutsOfTheMainWindowRunThroughTheRoute) {
    StartApp();
    QTest::keyClick(&MainFrame(), Qt::Key_N, Qt::ControlModifier);
    ProcessEvents();
    ASSERT_EQ(Docs().GetDocuments().size(), 1u);
    EXPECT_EQ(ActiveDoc()->GetTitle(), "Zarn Document1");

    // Alt+Enter reaches the document from the view, which has no binding for it.
    App().OpenDocumentFile(WriteFile("form.zarn", "abc\r\n"));
    bool bShown = false;
    DriveNextModalDialog([&bShown](QWidget* pDialog) {
        bShown = pDialog->objectName().contains("133");
        static_cast<QDialog*>(pDialog)->reject();
    });
    QTest::keyClick(ActiveView(), Qt::Key_Return, Qt::AltModifier);
    ProcessEvents();
    EXPECT_TRUE(bShown);
    EXPECT_EQ(LinesOf(ActiveDoc()), QStringList({"abc", ""}));
    Execute(ID_FILE_NEW);

    // The view's own keys stay the view's: Ctrl+Z undoes in the view.
    QTest::keyClicks(ActiveView(), "q");
    QTest::keyClick(ActiveView(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(LinesOf(ActiveDoc()), QStringList({""}));
}

TEST_F(CommandLayerTest, TheViewsCommandsGoOnToItsDocumentWindowAndApplication) {
    StartApp();
    Execute(ID_FILE_NEW);
    CSampleView* pView = ActiveView();
    // The document's Read Only, the window's Split, the main window's Output and the
    // application's New, all from the view.
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
    EXPECT_EQ(Docs().GetDocuments().size(), 2u);
    EXPECT_FALSE(pView->RouteCommand(ID_KEY_F10));
}

TEST_F(CommandLayerTest, TheAboutBoxAndTheHexConverterOpenModally) {
    StartApp();
    QString strTitle;
    QString strVersion;
    DriveNextModalDialog([&strTitle, &strVersion](QWidget* pDialog) {
        strTitle = pDialog->windowTitle();
        if (const auto* pLabel = pDialog->findChild<QLabel*>("IDC_STATIC_VERSION"))
            strVersion = pLabel->text();
        static_cast<QDialog*>(pDialog)->accept();
    });
    Execute(ID_APP_ABOUT);
    EXPECT_EQ(strTitle, "About ZarnEditor");
    // The build's one version, as --version and the package tell it.
    EXPECT_EQ(strVersion, "ZarnEditor Version " ZARN_VERSION);

    Execute(ID_FILE_NEW);
    strTitle.clear();
    DriveNextModalDialog([&strTitle](QWidget* pDialog) {
        strTitle = pDialog->windowTitle();
        static_cast<QDialog*>(pDialog)->reject();
    });
    Execute(ID_ZARN_HEX_CONVERTER);
    EXPECT_EQ(strTitle, "Zarn Hex Converter");
}

} // namespace
