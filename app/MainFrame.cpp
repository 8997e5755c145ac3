// CMainFrame: the window, its document windows, its commands, dropped files, the Output pane
// and closing.
#include "app/MainFrame.h"

#include "app/ChildFrame.h"
#include "app/CommandActions.h"
#include "app/CommandRoute.h"
#include "app/DialogDockBar.h"
#include "app/DocManager.h"
#include "app/KeyLockState.h"
#include "app/OutputEdit.h"
#include "app/OutputPage.h"
#include "app/SampleApp.h"
#include "app/SampleDoc.h"
#include "app/SampleView.h"
#include "resources/CommandIds.h"
#include "resources/KeyTables.h"
#include "resources/StringTable.h"
#include "resources/ZarnResources.h"
#include "toolbridge/ToolOutput.h"
#include "toolbridge/ToolRunner.h"
#include "view/TextTransfer.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>

namespace {

// Whether the key may be one of the actions' shortcuts, all of which come from the main key
// table. Keypad Enter stands for Return; a character of a non-Latin layout may stand for the
// Latin letter of the same key.
bool IsShortcutCandidate(const QKeyEvent* pEvent) {
    const int nKey = pEvent->key() == Qt::Key_Enter ? Qt::Key_Return : pEvent->key();
    if (nKey > 0xFF && nKey < Qt::Key_Escape)
        return true;
    return LookupKeyBinding(GetMainKeyTable(), nKey, pEvent->modifiers()) != 0;
}

} // namespace

CMainFrame::CMainFrame(CSampleApp* pApp) : m_pApp(pApp), m_pMdiArea(new QMdiArea(this)) {
    setWindowIcon(LoadAppIcon());
    setCentralWidget(m_pMdiArea);
    // The bars are shown and hidden from the View menu.
    setContextMenuPolicy(Qt::NoContextMenu);
    connect(m_pMdiArea, &QMdiArea::subWindowActivated, this, [this] {
        UpdateMenu();
        UpdateFrameTitle();
        OnViewCaretMoved(GetActiveView());
    });

    m_pActions = new CCommandActions(
        this, [this](unsigned nId) { ExecuteCommand(nId); },
        [this](CCmdUI& cmdUI) { CCommandRoute::FromMainFrame(this).DoUpdate(cmdUI); });
    UpdateMenu();
    // The Window menu lists the document windows.
    for (QMenu* pMenu : m_pActions->GetMenus(IDR_ZARNTYPE)) {
        if (pMenu->actions().contains(GetCommandAction(ID_WINDOW_NEW)))
            connect(pMenu, &QMenu::aboutToShow, this, [this, pMenu] { UpdateWindowList(pMenu); });
    }
    CreateToolBar();
    CreateStatusBar();
    CreateOutputBar();

    setAcceptDrops(true);
    // Sees the key and title events of this window before anything else does (eventFilter).
    qApp->installEventFilter(this);
    if (const QScreen* pScreen = QGuiApplication::primaryScreen())
        resize(pScreen->availableSize() * 4 / 5);
    UpdateFrameTitle();
    m_timerIdle.setInterval(IDLE_UPDATE_INTERVAL);
    connect(&m_timerIdle, &QTimer::timeout, this, &CMainFrame::OnIdleUpdateCmdUI);
    m_timerIdle.start();
}

CMainFrame::~CMainFrame() {
    // The document windows go with the MDI area; nothing may update the bars meanwhile.
    m_timerIdle.stop();
    m_pMdiArea->disconnect(this);
}

void CMainFrame::AddChildFrame(CChildFrame* pFrame) {
    m_pMdiArea->addSubWindow(pFrame);
    connect(pFrame, &QWidget::windowTitleChanged, this, &CMainFrame::UpdateFrameTitle);
    connect(pFrame, &CChildFrame::viewCaretMoved, this, &CMainFrame::OnViewCaretMoved);
}

CChildFrame* CMainFrame::GetActiveFrame() const {
    auto* pFrame = qobject_cast<CChildFrame*>(m_pMdiArea->currentSubWindow());
    return pFrame && !pFrame->IsClosed() ? pFrame : nullptr;
}

CSampleView* CMainFrame::GetActiveView() const {
    CChildFrame* pFrame = GetActiveFrame();
    return pFrame ? pFrame->GetActiveView() : nullptr;
}

CSampleDoc* CMainFrame::GetActiveDocument() const {
    CChildFrame* pFrame = GetActiveFrame();
    return pFrame ? pFrame->GetDocument() : nullptr;
}

void CMainFrame::AppendOutput(const QString& strText, bool bClearFirst) {
    AppendToOutputEdit(GetOutputEdit(), strText, bClearFirst);
}

COutputEdit* CMainFrame::GetOutputEdit() const {
    return m_pOutputPage ? m_pOutputPage->GetOutputEdit() : nullptr;
}

void CMainFrame::ExecuteCommand(unsigned nId) {
    const CCommandRoute route = CCommandRoute::FromMainFrame(this);
    CCmdUI cmdUI(nId);
    route.DoUpdate(cmdUI);
    if (!cmdUI.IsEnabled())
        return;
    route.OnCmdMsg(nId);
    // What the command changed shows at once, not at the next idle update.
    OnIdleUpdateCmdUI();
}

CCmdUI CMainFrame::QueryCommandUI(unsigned nId) {
    CCmdUI cmdUI(nId);
    CCommandRoute::FromMainFrame(this).DoUpdate(cmdUI);
    return cmdUI;
}

QAction* CMainFrame::GetCommandAction(unsigned nId) const {
    return m_pActions->GetAction(nId);
}

unsigned CMainFrame::GetMenuId() const {
    return m_pActions->GetInstalledMenu();
}

void CMainFrame::UpdateFrameTitle() {
    m_strTitle = BytesToText(LoadResString(IDS_APP_TITLE));
    if (const CSampleDoc* pDoc = GetActiveDocument())
        m_strTitle += QStringLiteral(" - ") + pDoc->GetTitleWithMark();
    if (windowTitle() != m_strTitle)
        setWindowTitle(m_strTitle);
}

bool CMainFrame::eventFilter(QObject* pWatched, QEvent* pEvent) {
    switch (pEvent->type()) {
    case QEvent::WindowTitleChange:
        // A maximised document window adds " - [its title]" to this window's title, and does
        // so again whenever the title changes: it never sees a change to the right title, and
        // a title it changed is put right.
        if (pWatched != this)
            break;
        if (windowTitle() == m_strTitle)
            return true;
        QMetaObject::invokeMethod(this, &CMainFrame::UpdateFrameTitle, Qt::QueuedConnection);
        break;
    case QEvent::ShortcutOverride:
        // A key is about to be matched against the shortcuts: they take the commands' states
        // of this moment, not of the last idle update.
        if (auto* pWidget = qobject_cast<QWidget*>(pWatched);
            pWidget && pWidget->window() == this &&
            IsShortcutCandidate(static_cast<const QKeyEvent*>(pEvent)))
            m_pActions->UpdateShortcutActions();
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(pWatched, pEvent);
}

QStringList CMainFrame::GetDroppedFiles(const QMimeData* pData) {
    QStringList listFiles;
    if (!pData || !pData->hasUrls())
        return listFiles;
    for (const QUrl& url : pData->urls()) {
        if (url.isLocalFile())
            listFiles.append(url.toLocalFile());
    }
    return listFiles;
}

void CMainFrame::OpenDroppedFiles(const QStringList& listFiles) {
    activateWindow();
    for (const QString& strPath : listFiles)
        m_pApp->OpenDocumentFile(strPath);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* pEvent) {
    if (!GetDroppedFiles(pEvent->mimeData()).isEmpty())
        pEvent->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* pEvent) {
    const QStringList listFiles = GetDroppedFiles(pEvent->mimeData());
    if (listFiles.isEmpty())
        return;
    pEvent->acceptProposedAction();
    OpenDroppedFiles(listFiles);
}

void CMainFrame::closeEvent(QCloseEvent* pEvent) {
    // A tool still writing to the Output pane is stopped first; the window closes once the
    // runs have unwound.
    if (CToolRunner::IsAnyRunning()) {
        pEvent->ignore();
        CToolRunner::CancelAll();
        CToolRunner::CallWhenNoneRunning(this, [this] { close(); });
        return;
    }
    CDocManager& docManager = m_pApp->GetDocManager();
    if (!docManager.SaveAllModified()) {
        pEvent->ignore();
        return;
    }
    docManager.CloseAllDocuments();
    pEvent->accept();
}

std::span<const CommandMapEntry<CMainFrame>> CMainFrame::GetCommandMap() {
    // clang-format off
    static const CommandMapEntry<CMainFrame> s_aEntries[] = {
        {ID_VIEW_OUTPUT,      ID_VIEW_OUTPUT,      &CMainFrame::OnViewOutput,    &CMainFrame::OnUpdateViewOutput},
        {ID_VIEW_TOOLBAR,     ID_VIEW_TOOLBAR,     &CMainFrame::OnViewToolBar,   &CMainFrame::OnUpdateViewToolBar},
        {ID_VIEW_STATUS_BAR,  ID_VIEW_STATUS_BAR,  &CMainFrame::OnViewStatusBar, &CMainFrame::OnUpdateViewStatusBar},
        {ID_WINDOW_NEW,       ID_WINDOW_NEW,       &CMainFrame::OnWindowNew,     &CMainFrame::OnUpdateWindowNew},
        {ID_WINDOW_ARRANGE,   ID_WINDOW_ARRANGE,   &CMainFrame::OnWindowArrange, nullptr},
        {ID_WINDOW_CASCADE,   ID_WINDOW_CASCADE,   &CMainFrame::OnWindowCascade, nullptr},
        {ID_WINDOW_TILE_HORZ, ID_WINDOW_TILE_HORZ, &CMainFrame::OnWindowTile,    nullptr},
        {ID_INDICATOR_CAPS,   ID_INDICATOR_SCRL,   nullptr,                      &CMainFrame::OnUpdateKeyIndicator},
    };
    // clang-format on
    return s_aEntries;
}

bool CMainFrame::OnCmdMsg(unsigned nId) {
    return DispatchCommand(this, GetCommandMap(), nId);
}

bool CMainFrame::OnUpdateCmdUI(unsigned nId, CCmdUI& cmdUI) {
    return DispatchUpdate(this, GetCommandMap(), nId, cmdUI);
}

bool CMainFrame::HasCommandHandler(unsigned nId) const {
    return MapHasCommand(GetCommandMap(), nId);
}

void CMainFrame::OnViewOutput(unsigned) {
    if (m_pOutputBar)
        m_pOutputBar->setVisible(m_pOutputBar->isHidden());
}

void CMainFrame::OnUpdateViewOutput(CCmdUI& cmdUI) {
    if (m_pOutputBar)
        cmdUI.SetCheck(m_pOutputBar->isHidden() ? 0 : 1);
}

void CMainFrame::OnViewToolBar(unsigned) {
    m_pToolBar->setVisible(m_pToolBar->isHidden());
}

void CMainFrame::OnUpdateViewToolBar(CCmdUI& cmdUI) {
    cmdUI.SetCheck(m_pToolBar->isHidden() ? 0 : 1);
}

void CMainFrame::OnViewStatusBar(unsigned) {
    statusBar()->setVisible(statusBar()->isHidden());
}

void CMainFrame::OnUpdateViewStatusBar(CCmdUI& cmdUI) {
    cmdUI.SetCheck(statusBar()->isHidden() ? 0 : 1);
}

void CMainFrame::OnWindowNew(unsigned) {
    if (CSampleDoc* pDoc = GetActiveDocument())
        m_pApp->GetDocManager().CreateNewFrame(pDoc);
}

void CMainFrame::OnUpdateWindowNew(CCmdUI& cmdUI) {
    cmdUI.Enable(GetActiveDocument() != nullptr);
}

void CMainFrame::OnWindowArrange(unsigned) {
    // The minimised windows line up along the bottom of the area.
    const int nBottom = m_pMdiArea->viewport()->height();
    int x = 0;
    for (QMdiSubWindow* pWindow : m_pMdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (!pWindow->isMinimized())
            continue;
        pWindow->move(x, nBottom - pWindow->height());
        x += pWindow->width();
    }
}

void CMainFrame::OnWindowCascade(unsigned) {
    m_pMdiArea->cascadeSubWindows();
}

void CMainFrame::OnWindowTile(unsigned) {
    m_pMdiArea->tileSubWindows();
}

void CMainFrame::OnUpdateKeyIndicator(CCmdUI& cmdUI) {
    KeyLock which = KeyLock::Scroll;
    if (cmdUI.GetId() == ID_INDICATOR_CAPS)
        which = KeyLock::Caps;
    else if (cmdUI.GetId() == ID_INDICATOR_NUM)
        which = KeyLock::Num;
    cmdUI.Enable(IsKeyLockOn(which));
}
