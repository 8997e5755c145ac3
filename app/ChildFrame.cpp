// CChildFrame: the document window's views, panes, title, commands and closing.
#include "app/ChildFrame.h"

#include "app/CommandRoute.h"
#include "app/DocManager.h"
#include "app/MainFrame.h"
#include "app/SampleDoc.h"
#include "app/SampleView.h"
#include "resources/CommandIds.h"
#include "resources/ZarnResources.h"
#include "view/PaneSplitter.h"

#include <QCloseEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMdiArea>

CChildFrame::CChildFrame(CSampleDoc* pDoc, QWidget* pParent)
    : QMdiSubWindow(pParent), m_pDocument(pDoc), m_pSplitter(new CPaneSplitter) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(LoadAppIcon());
    m_pSplitter->SetPaneCreator([this] { return CreateView(); });
    setWidget(m_pSplitter);
    connect(m_pSplitter, &CPaneSplitter::panesChanged, this, &CChildFrame::OnPanesChanged);
    connect(pDoc, &CSampleDoc::titleChanged, this, &CChildFrame::UpdateFrameTitle);
    connect(pDoc, &CSampleDoc::modifiedChanged, this, &CChildFrame::UpdateFrameTitle);
    m_pSplitter->CreatePane(0, 0);
    UpdateFrameTitle();
}

CChildFrame::~CChildFrame() = default;

QWidget* CChildFrame::CreateView() {
    auto* pView = new CSampleView;
    m_pDocument->AddView(pView);
    pView->installEventFilter(this);
    pView->viewport()->installEventFilter(this);
    connect(pView, &CTextView::caretPositionChanged, this,
            [this, pView] { emit viewCaretMoved(pView); });
    return pView;
}

CSampleView* CChildFrame::GetActiveView() const {
    if (m_pActiveView)
        return m_pActiveView;
    return qobject_cast<CSampleView*>(m_pSplitter->GetPane(0, 0));
}

void CChildFrame::SetActiveView(CSampleView* pView) {
    m_pActiveView = pView;
}

bool CChildFrame::eventFilter(QObject* pWatched, QEvent* pEvent) {
    switch (pEvent->type()) {
    case QEvent::FocusIn:
        if (auto* pView = qobject_cast<CSampleView*>(pWatched)) {
            m_pActiveView = pView;
            emit viewCaretMoved(pView);
        }
        break;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        // Files dragged from a file manager open, wherever they are dropped; their names
        // are not text for the view.
        auto* pDrag = static_cast<QDragMoveEvent*>(pEvent);
        if (!CMainFrame::GetDroppedFiles(pDrag->mimeData()).isEmpty()) {
            pDrag->acceptProposedAction();
            return true;
        }
        break;
    }
    case QEvent::Drop: {
        auto* pDrop = static_cast<QDropEvent*>(pEvent);
        const QStringList listFiles = CMainFrame::GetDroppedFiles(pDrop->mimeData());
        auto* pMainFrame = qobject_cast<CMainFrame*>(window());
        if (listFiles.isEmpty() || !pMainFrame)
            break;
        pDrop->acceptProposedAction();
        pMainFrame->OpenDroppedFiles(listFiles);
        return true;
    }
    default:
        break;
    }
    return QMdiSubWindow::eventFilter(pWatched, pEvent);
}

void CChildFrame::ActivateFrame() {
    showMaximized();
    if (QMdiArea* pArea = mdiArea())
        pArea->setActiveSubWindow(this);
    if (CSampleView* pView = GetActiveView())
        pView->setFocus();
}

QSize CChildFrame::sizeHint() const {
    const QMdiArea* pArea = mdiArea();
    return pArea ? pArea->viewport()->size() * 3 / 4 : QMdiSubWindow::sizeHint();
}

void CChildFrame::SetWindowNumber(int nWindow) {
    m_nWindow = nWindow;
    UpdateFrameTitle();
}

void CChildFrame::UpdateFrameTitle() {
    QString strTitle = m_pDocument->GetTitleWithMark();
    if (m_nWindow > 0)
        strTitle += QStringLiteral(":%1").arg(m_nWindow);
    setWindowTitle(strTitle);
}

void CChildFrame::CloseWithoutPrompt() {
    m_bNoPrompt = true;
    close();
}

void CChildFrame::closeEvent(QCloseEvent* pEvent) {
    CDocManager* pManager = m_pDocument->GetDocManager();
    if (!pManager->CanCloseFrame(this)) {
        m_bNoPrompt = false;
        pEvent->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(pEvent);
    if (!pEvent->isAccepted())
        return;
    m_bClosed = true;
    pManager->OnFrameClosed(this);
}

void CChildFrame::OnPanesChanged() {
    // A removed pane takes the focus with it: the first pane takes over.
    if (m_pActiveView)
        return;
    CSampleView* pView = GetActiveView();
    if (pView && mdiArea() && mdiArea()->currentSubWindow() == this)
        pView->setFocus();
}

std::span<const CommandMapEntry<CChildFrame>> CChildFrame::GetCommandMap() {
    // clang-format off
    static const CommandMapEntry<CChildFrame> s_aEntries[] = {
        {ID_WINDOW_SPLIT, ID_WINDOW_SPLIT, &CChildFrame::OnWindowSplit, &CChildFrame::OnUpdateWindowSplit},
        {ID_NEXT_PANE,    ID_PREV_PANE,    &CChildFrame::OnNextPane,    &CChildFrame::OnUpdateNextPane},
    };
    // clang-format on
    return s_aEntries;
}

bool CChildFrame::OnCmdMsg(unsigned nId) {
    return DispatchCommand(this, GetCommandMap(), nId);
}

bool CChildFrame::OnUpdateCmdUI(unsigned nId, CCmdUI& cmdUI) {
    return DispatchUpdate(this, GetCommandMap(), nId, cmdUI);
}

bool CChildFrame::HasCommandHandler(unsigned nId) const {
    return MapHasCommand(GetCommandMap(), nId);
}

void CChildFrame::OnWindowSplit(unsigned) {
    m_pSplitter->Split();
}

void CChildFrame::OnUpdateWindowSplit(CCmdUI& cmdUI) {
    cmdUI.Enable(m_pSplitter->CanSplit());
}

void CChildFrame::OnNextPane(unsigned nId) {
    auto* pNext =
        qobject_cast<CSampleView*>(m_pSplitter->GetNextPane(GetActiveView(), nId == ID_PREV_PANE));
    if (!pNext)
        return;
    m_pActiveView = pNext;
    pNext->setFocus();
}

void CChildFrame::OnUpdateNextPane(CCmdUI& cmdUI) {
    cmdUI.Enable(m_pSplitter->GetRowCount() * m_pSplitter->GetColumnCount() > 1);
}
