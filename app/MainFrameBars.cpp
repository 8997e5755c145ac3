// CMainFrame: the toolbar, the status bar with its nine panes, the Output bar, and the idle
// update that keeps them, the menu and the title in step with the active window.
#include "app/ChildFrame.h"
#include "app/CommandActions.h"
#include "app/CommandRoute.h"
#include "app/DialogDockBar.h"
#include "app/MainFrame.h"
#include "app/OutputPage.h"
#include "app/SampleView.h"
#include "resources/CommandIds.h"
#include "resources/StringTable.h"
#include "view/TextTransfer.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QToolBar>

namespace {

// The status bar's panes from left to right; 0 is the prompt pane.
// clang-format off
constexpr unsigned kIndicators[] = {
    0,
    ID_INDICATOR_POSITION,
    ID_INDICATOR_BLANK,
    ID_INDICATOR_GID,
    ID_INDICATOR_OVR,
    ID_INDICATOR_READ,
    ID_INDICATOR_CAPS,
    ID_INDICATOR_NUM,
    ID_INDICATOR_SCRL,
};
// clang-format on

} // namespace

void CMainFrame::CreateToolBar() {
    m_pToolBar = new QToolBar(QStringLiteral("Toolbar"), this);
    m_pToolBar->setObjectName(QStringLiteral("IDR_MAINFRAME_128"));
    m_pToolBar->setIconSize(QSize(16, 15));
    m_pToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    m_pActions->FillToolBar(m_pToolBar);
    addToolBar(Qt::TopToolBarArea, m_pToolBar);
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* pStatusBar = statusBar();
    for (const unsigned nId : kIndicators) {
        if (nId == 0) {
            // Prompts cover the idle message while a menu item or a button is pointed at.
            auto* pPrompt = new QLabel(BytesToText(LoadResString(IDS_IDLE_MESSAGE)));
            pStatusBar->addWidget(pPrompt, 1);
            m_aPanes.push_back({nId, pPrompt});
            continue;
        }
        // The pane is as wide as its string; a longer text widens it rather than being cut.
        auto* pPane = new QLabel(BytesToText(LoadResString(nId)));
        pPane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        pPane->setMinimumWidth(pPane->sizeHint().width());
        pPane->clear();
        pStatusBar->addPermanentWidget(pPane);
        m_aPanes.push_back({nId, pPane});
    }
}

void CMainFrame::CreateOutputBar() {
    // Without the bar the window still works; the tools then have no pane to write to.
    auto* pPage = new COutputPage;
    auto* pBar = new CDialogDockBar(this);
    if (!pBar->Create(this, pPage, QString(), Qt::BottomDockWidgetArea)) {
        delete pPage;
        delete pBar;
        return;
    }
    m_pOutputPage = pPage;
    m_pOutputBar = pBar;
}

void CMainFrame::UpdateMenu() {
    m_pActions->InstallMenu(menuBar(), GetActiveFrame() ? IDR_ZARNTYPE : IDR_MAINFRAME);
}

void CMainFrame::UpdateWindowList(QMenu* pMenu) {
    // After the menu's own items come the document windows, "&1 title" and so on, the active
    // one checked: choosing one activates it.
    for (QAction* pItem : m_listWindowItems)
        delete pItem;
    m_listWindowItems.clear();
    const QList<QMdiSubWindow*> windows = m_pMdiArea->subWindowList(QMdiArea::CreationOrder);
    if (windows.isEmpty())
        return;
    m_listWindowItems.push_back(pMenu->addSeparator());
    for (qsizetype i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* pWindow = windows.at(i);
        QString strTitle = pWindow->windowTitle();
        strTitle.replace(u'&', QStringLiteral("&&"));
        const QString strMnemonic = i < 9 ? QStringLiteral("&") : QString();
        QAction* pItem = pMenu->addAction(strMnemonic + QString::number(i + 1) + u' ' + strTitle);
        pItem->setCheckable(true);
        pItem->setChecked(pWindow == m_pMdiArea->currentSubWindow());
        connect(pItem, &QAction::triggered, this, [this, pTarget = QPointer(pWindow)] {
            if (!pTarget)
                return;
            m_pMdiArea->setActiveSubWindow(pTarget);
            if (auto* pFrame = qobject_cast<CChildFrame*>(pTarget.data());
                pFrame && pFrame->GetActiveView())
                pFrame->GetActiveView()->setFocus();
        });
        m_listWindowItems.push_back(pItem);
    }
}

void CMainFrame::UpdateStatusPanes() {
    const CCommandRoute route = CCommandRoute::FromMainFrame(this);
    for (const StatusPane& pane : m_aPanes) {
        if (pane.nId != 0)
            UpdateStatusPane(pane, route);
    }
}

void CMainFrame::UpdateStatusPane(const StatusPane& pane, const CCommandRoute& route) {
    // A pane nobody answers for, or that its handler disables, is blank; an enabled one shows
    // the handler's text, or else its own string.
    CCmdUI cmdUI(pane.nId);
    QString strText;
    if (route.OnUpdateCmdUI(pane.nId, cmdUI) && cmdUI.IsEnabled())
        strText = cmdUI.WasTextSet() ? QString::fromStdString(cmdUI.GetText())
                                     : BytesToText(LoadResString(pane.nId));
    if (pane.pLabel->text() != strText)
        pane.pLabel->setText(strText);
}

void CMainFrame::OnViewCaretMoved(CSampleView* pView) {
    if (pView != GetActiveView())
        return;
    const CCommandRoute route = CCommandRoute::FromMainFrame(this);
    for (const StatusPane& pane : m_aPanes) {
        if (pane.nId == ID_INDICATOR_POSITION)
            UpdateStatusPane(pane, route);
    }
}

QString CMainFrame::GetPaneText(unsigned nId) const {
    if (nId == 0 && !statusBar()->currentMessage().isEmpty())
        return statusBar()->currentMessage();
    for (const StatusPane& pane : m_aPanes) {
        if (pane.nId == nId)
            return pane.pLabel->text();
    }
    return {};
}

void CMainFrame::OnIdleUpdateCmdUI() {
    UpdateMenu();
    UpdateFrameTitle();
    m_pActions->UpdateAllActions();
    UpdateStatusPanes();
}
