// CFileWatch: notices when another program changes, replaces or deletes the file of an open
// document, and brings the document in step with it.
#pragma once

#include <vector>

#include <QFileSystemWatcher>
#include <QObject>
#include <QPointer>
#include <QTimer>

class CDocManager;
class CSampleDoc;

// Each document's file and its folder are watched (a file replaced by a rename, as saving
// does, loses its watch, and the folder sees it come back), and every file is looked at again
// when the application becomes active. A file differs when its FileStamp is not the one its
// document last read or wrote, so the editor's own saves never count. Then:
// - an unmodified document reloads the file, as one edit that Undo reverts;
// - a modified one asks first: Reload, or Keep Mine (which leaves it modified);
// - a file that has gone is reported once, and the document stays open, modified.
class CFileWatch : public QObject {
    Q_OBJECT

public:
    // Events of one change come in bursts: the files are looked at this long after the
    // first event.
    static constexpr int SETTLE_TIME = 100; // ms

    explicit CFileWatch(CDocManager& docManager);
    ~CFileWatch() override;

    // Watches the files and folders of the open documents, and no others: after a document
    // was opened, saved under another name or closed.
    void UpdateWatchedPaths();
    // Looks at every document's file now.
    void CheckAllDocuments();

private:
    void AddPending(CSampleDoc* pDoc);
    void OnPathChanged(const QString& strPath);
    void RunPendingChecks();
    void CheckDocument(CSampleDoc* pDoc);
    void Reload(CSampleDoc* pDoc);

    CDocManager& m_docManager;
    QFileSystemWatcher m_watcher;
    QTimer m_timerSettle;
    std::vector<QPointer<CSampleDoc>> m_lstPending;
    bool m_bChecking = false;        // a question is open: checks wait for its answer
    bool m_bWaitingForTools = false; // checks wait for the end of a tool's run
};
