// CChildFrame: a document window: a maximised MDI child holding the pane splitter with the
// document's views.
#pragma once

#include "view/CmdUI.h"
#include "view/CommandMap.h"

#include <span>

#include <QMdiSubWindow>
#include <QPointer>

class CPaneSplitter;
class CSampleDoc;
class CSampleView;

// The window opens with one view and can be split into 2 x 2 panes (Split, 57653). It shows
// its document's title, with "*" after it while the document is modified, followed by ":n"
// while the document has several windows.
class CChildFrame : public QMdiSubWindow {
    Q_OBJECT

public:
    explicit CChildFrame(CSampleDoc* pDoc, QWidget* pParent = nullptr);
    ~CChildFrame() override;

    CSampleDoc* GetDocument() const { return m_pDocument; }
    CPaneSplitter* GetSplitter() const { return m_pSplitter; }
    // The pane that had the focus last, or the first pane.
    CSampleView* GetActiveView() const;
    void SetActiveView(CSampleView* pView);

    // Shows the window maximised and makes it the active one, whatever state it was in.
    void ActivateFrame();
    // 0 while the document has one window, else this window's number among them.
    void SetWindowNumber(int nWindow);
    void UpdateFrameTitle();

    // Closes without the save prompt: the document's Close and the program's exit ask first.
    void CloseWithoutPrompt();
    bool IsClosingWithoutPrompt() const { return m_bNoPrompt; }
    // The window has accepted to close and is on its way out.
    bool IsClosed() const { return m_bClosed; }

    bool OnCmdMsg(unsigned nId);
    bool OnUpdateCmdUI(unsigned nId, CCmdUI& cmdUI);
    bool HasCommandHandler(unsigned nId) const;

    // Three quarters of the MDI area: the size Cascade gives the window.
    QSize sizeHint() const override;

signals:
    // The caret of pView moved, or pView became the active pane: what the status bar's
    // position pane shows for the window may have changed.
    void viewCaretMoved(CSampleView* pView);

protected:
    void closeEvent(QCloseEvent* pEvent) override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    static std::span<const CommandMapEntry<CChildFrame>> GetCommandMap();

    QWidget* CreateView();
    void OnPanesChanged();
    void OnWindowSplit(unsigned nId);
    void OnUpdateWindowSplit(CCmdUI& cmdUI);
    void OnNextPane(unsigned nId);
    void OnUpdateNextPane(CCmdUI& cmdUI);

    CSampleDoc* m_pDocument;
    CPaneSplitter* m_pSplitter;
    QPointer<CSampleView> m_pActiveView;
    int m_nWindow = 0;
    bool m_bNoPrompt = false;
    bool m_bClosed = false;
};
