// CMainFrame: the main window: the document windows in an MDI area, the menus, the toolbar,
// the status bar with its nine panes and the docked Output pane.
#pragma once

#include "view/CmdUI.h"
#include "view/CommandMap.h"

#include <span>
#include <vector>

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QTimer>

class CChildFrame;
class CCommandActions;
struct CCommandRoute;
class CDialogDockBar;
class COutputEdit;
class COutputPage;
class CSampleApp;
class CSampleDoc;
class CSampleView;
class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QMimeData;
class QToolBar;

// Every menu item, button and shortcut runs ExecuteCommand with its command id; the states
// of the items, buttons and panes come from the update handlers, run before a menu opens and
// on a short idle timer. The menu is 129 while a document window is active, else 128.
class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int IDLE_UPDATE_INTERVAL = 250; // ms between two updates of the bars

    explicit CMainFrame(CSampleApp* pApp);
    ~CMainFrame() override;

    CSampleApp* GetApp() const { return m_pApp; }
    QMdiArea* GetMdiArea() const { return m_pMdiArea; }

    // Document windows.
    void AddChildFrame(CChildFrame* pFrame);
    CChildFrame* GetActiveFrame() const;
    CSampleView* GetActiveView() const;
    CSampleDoc* GetActiveDocument() const;

    // The Output pane: appends strText, first emptying the pane if bClearFirst, and keeps
    // its last line in view. Without an Output bar nothing is written.
    void AppendOutput(const QString& strText, bool bClearFirst);
    COutputEdit* GetOutputEdit() const;
    CDialogDockBar* GetOutputBar() const { return m_pOutputBar; }

    // Runs command nId through the active view, its document, its window, this window and
    // the application; a command that its update handler disables does nothing.
    void ExecuteCommand(unsigned nId);
    // The state the update handlers give command or pane nId now.
    CCmdUI QueryCommandUI(unsigned nId);
    QAction* GetCommandAction(unsigned nId) const;
    unsigned GetMenuId() const;
    QToolBar* GetToolBar() const { return m_pToolBar; }
    // What status-bar pane nId shows: empty while it is blank.
    QString GetPaneText(unsigned nId) const;

    // The idle update: the menu for the active window, the title, the enabled, checked and
    // text states of the commands, and the status-bar panes.
    void OnIdleUpdateCmdUI();
    // "Zarn Editor - <title of the active document>" ("*" after it while the document is
    // modified), or "Zarn Editor" without one.
    void UpdateFrameTitle();

    // The local files among dropped data; empty when it carries none.
    static QStringList GetDroppedFiles(const QMimeData* pData);
    void OpenDroppedFiles(const QStringList& listFiles);

    bool OnCmdMsg(unsigned nId);
    bool OnUpdateCmdUI(unsigned nId, CCmdUI& cmdUI);
    bool HasCommandHandler(unsigned nId) const;

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
    void closeEvent(QCloseEvent* pEvent) override;
    void dragEnterEvent(QDragEnterEvent* pEvent) override;
    void dropEvent(QDropEvent* pEvent) override;

private:
    struct StatusPane {
        unsigned nId;
        QLabel* pLabel;
    };

    static std::span<const CommandMapEntry<CMainFrame>> GetCommandMap();

    void CreateToolBar();
    void CreateStatusBar();
    void CreateOutputBar();
    void UpdateMenu();
    void UpdateStatusPanes();
    void UpdateStatusPane(const StatusPane& pane, const CCommandRoute& route);
    // pView's caret moved, or pView became the active view: the position pane shows the active
    // view's caret at once, not at the next idle update.
    void OnViewCaretMoved(CSampleView* pView);
    void UpdateWindowList(QMenu* pMenu);

    void OnViewOutput(unsigned nId);
    void OnUpdateViewOutput(CCmdUI& cmdUI);
    void OnViewToolBar(unsigned nId);
    void OnUpdateViewToolBar(CCmdUI& cmdUI);
    void OnViewStatusBar(unsigned nId);
    void OnUpdateViewStatusBar(CCmdUI& cmdUI);
    void OnWindowNew(unsigned nId);
    void OnUpdateWindowNew(CCmdUI& cmdUI);
    void OnWindowArrange(unsigned nId);
    void OnWindowCascade(unsigned nId);
    void OnWindowTile(unsigned nId);
    void OnUpdateKeyIndicator(CCmdUI& cmdUI);

    CSampleApp* m_pApp;
    QMdiArea* m_pMdiArea;
    CCommandActions* m_pActions;
    QToolBar* m_pToolBar = nullptr;
    COutputPage* m_pOutputPage = nullptr;
    CDialogDockBar* m_pOutputBar = nullptr;
    std::vector<StatusPane> m_aPanes;
    QTimer m_timerIdle;
    QString m_strTitle;
    std::vector<QAction*> m_listWindowItems; // the Window menu's list of document windows
};
