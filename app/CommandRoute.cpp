// CCommandRoute: finding the targets of a command and asking them in turn.
#include "app/CommandRoute.h"

#include "app/ChildFrame.h"
#include "app/MainFrame.h"
#include "app/SampleApp.h"
#include "app/SampleDoc.h"
#include "app/SampleView.h"

CCommandRoute CCommandRoute::FromView(CSampleView* pView) {
    CCommandRoute route;
    route.pView = pView;
    route.pDoc = pView->GetDocument();
    for (QWidget* pParent = pView->parentWidget(); pParent; pParent = pParent->parentWidget()) {
        if (auto* pFrame = qobject_cast<CChildFrame*>(pParent)) {
            route.pFrame = pFrame;
            break;
        }
    }
    route.pMainFrame = qobject_cast<CMainFrame*>(pView->window());
    route.pApp = route.pMainFrame ? route.pMainFrame->GetApp() : nullptr;
    return route;
}

CCommandRoute CCommandRoute::FromMainFrame(CMainFrame* pMainFrame) {
    CCommandRoute route;
    route.pFrame = pMainFrame->GetActiveFrame();
    if (route.pFrame) {
        route.pView = route.pFrame->GetActiveView();
        route.pDoc = route.pFrame->GetDocument();
    }
    route.pMainFrame = pMainFrame;
    route.pApp = pMainFrame->GetApp();
    return route;
}

bool CCommandRoute::OnCmdMsg(unsigned nId) const {
    if (pView && pView->OnCmdMsg(nId))
        return true;
    if (pDoc && pDoc->OnCmdMsg(nId))
        return true;
    if (pFrame && pFrame->OnCmdMsg(nId))
        return true;
    if (pMainFrame && pMainFrame->OnCmdMsg(nId))
        return true;
    return pApp && pApp->OnCmdMsg(nId);
}

bool CCommandRoute::OnUpdateCmdUI(unsigned nId, CCmdUI& cmdUI) const {
    if (pView && pView->OnUpdateCmdUI(nId, cmdUI))
        return true;
    if (pDoc && pDoc->OnUpdateCmdUI(nId, cmdUI))
        return true;
    if (pFrame && pFrame->OnUpdateCmdUI(nId, cmdUI))
        return true;
    if (pMainFrame && pMainFrame->OnUpdateCmdUI(nId, cmdUI))
        return true;
    return pApp && pApp->OnUpdateCmdUI(nId, cmdUI);
}

bool CCommandRoute::HasCommandHandler(unsigned nId) const {
    return (pView && pView->HasCommandHandler(nId)) || (pDoc && pDoc->HasCommandHandler(nId)) ||
           (pFrame && pFrame->HasCommandHandler(nId)) ||
           (pMainFrame && pMainFrame->HasCommandHandler(nId)) ||
           (pApp && pApp->HasCommandHandler(nId));
}

void CCommandRoute::DoUpdate(CCmdUI& cmdUI) const {
    if (!OnUpdateCmdUI(cmdUI.GetId(), cmdUI))
        cmdUI.Enable(HasCommandHandler(cmdUI.GetId()));
}
