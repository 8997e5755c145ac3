// CCommandRoute: the way a command takes through the targets that may handle it: the active
// view, its document, its document window, the main window and the application.
#pragma once

#include "view/CmdUI.h"
#include "view/CommandMap.h"

class CChildFrame;
class CMainFrame;
class CSampleApp;
class CSampleDoc;
class CSampleView;

// Each target is asked in turn, and the first that answers ends the walk. Any target may be
// missing: without a document window there is no view and no document.
struct CCommandRoute {
    CSampleView* pView = nullptr;
    CSampleDoc* pDoc = nullptr;
    CChildFrame* pFrame = nullptr;
    CMainFrame* pMainFrame = nullptr;
    CSampleApp* pApp = nullptr;

    // The route of a command that starts in pView (its key table, its context menu).
    static CCommandRoute FromView(CSampleView* pView);
    // The route of a command of the main window: through its active document window.
    static CCommandRoute FromMainFrame(CMainFrame* pMainFrame);

    // Runs the first command handler of nId; false when no target has one.
    bool OnCmdMsg(unsigned nId) const;
    // Runs the first update handler of nId; false when no target has one.
    bool OnUpdateCmdUI(unsigned nId, CCmdUI& cmdUI) const;
    bool HasCommandHandler(unsigned nId) const;
    // The state of a menu item or button: what its update handler says; without one, enabled
    // exactly when some target handles the command.
    void DoUpdate(CCmdUI& cmdUI) const;
};
