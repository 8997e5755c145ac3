// CFileWatch: watching the documents' files and reloading, asking or reporting when another
// program has changed one.
#include "app/FileWatch.h"

#include "app/DocManager.h"
#include "app/FileStamp.h"
#include "app/SampleDoc.h"
#include "toolbridge/ToolRunner.h"
#include "view/UserPrompts.h"

#include <algorithm>

#include <QFileInfo>
#include <QGuiApplication>

namespace {

constexpr char MSG_FILE_CHANGED[] =
    "%1\nhas been changed by another program.\n\nReload it and lose your changes (Undo brings "
    "them back), or keep your text?";
constexpr char MSG_FILE_DELETED[] =
    "%1\nhas been deleted by another program.\n\nThe document stays open and modified: Save "
    "writes the file again.";
constexpr char MSG_CANNOT_RELOAD[] = "Cannot reload %1: %2";
constexpr char BUTTON_RELOAD[] = "&Reload";
constexpr char BUTTON_KEEP_MINE[] = "&Keep Mine";

} // namespace

CFileWatch::CFileWatch(CDocManager& docManager) : m_docManager(docManager) {
    m_timerSettle.setSingleShot(true);
    m_timerSettle.setInterval(SETTLE_TIME);
    connect(&m_timerSettle, &QTimer::timeout, this, &CFileWatch::RunPendingChecks);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &CFileWatch::OnPathChanged);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &CFileWatch::OnPathChanged);
    // Coming back to the editor is when a change made meanwhile is looked for at the latest.
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive)
                    CheckAllDocuments();
            });
}

CFileWatch::~CFileWatch() = default;

void CFileWatch::UpdateWatchedPaths() {
    QStringList listWanted;
    for (const CSampleDoc* pDoc : m_docManager.GetDocuments()) {
        const QFileInfo info(pDoc->GetPathName());
        if (pDoc->GetPathName().isEmpty())
            continue;
        if (info.exists())
            listWanted.append(info.filePath());
        if (QFileInfo::exists(info.absolutePath()))
            listWanted.append(info.absolutePath());
    }
    listWanted.removeDuplicates();
    const QStringList listWatched = m_watcher.files() + m_watcher.directories();
    QStringList listGone, listNew;
    for (const QString& strPath : listWatched) {
        if (!listWanted.contains(strPath))
            listGone.append(strPath);
    }
    for (const QString& strPath : listWanted) {
        if (!listWatched.contains(strPath))
            listNew.append(strPath);
    }
    if (!listGone.isEmpty())
        m_watcher.removePaths(listGone);
    if (!listNew.isEmpty())
        m_watcher.addPaths(listNew);
}

void CFileWatch::CheckAllDocuments() {
    for (CSampleDoc* pDoc : m_docManager.GetDocuments())
        AddPending(pDoc);
    m_timerSettle.start();
}

void CFileWatch::AddPending(CSampleDoc* pDoc) {
    if (std::find(m_lstPending.begin(), m_lstPending.end(), pDoc) == m_lstPending.end())
        m_lstPending.emplace_back(pDoc);
}

void CFileWatch::OnPathChanged(const QString& strPath) {
    bool bAny = false;
    for (CSampleDoc* pDoc : m_docManager.GetDocuments()) {
        const QString& strDocPath = pDoc->GetPathName();
        if (strDocPath.isEmpty() ||
            (strDocPath != strPath && QFileInfo(strDocPath).absolutePath() != strPath))
            continue;
        AddPending(pDoc);
        bAny = true;
    }
    // Not put off by further events: a busy folder must not keep its files from a look.
    if (bAny && !m_timerSettle.isActive())
        m_timerSettle.start();
}

void CFileWatch::RunPendingChecks() {
    // A question is open: the check that asked it takes the new ones when it is answered.
    if (m_bChecking)
        return;
    // Grimlet may be writing the file of a document (Load from MAIN.IDX), which the command
    // settles with the document itself: the files are looked at once no tool runs.
    if (CToolRunner::IsAnyRunning()) {
        if (!m_bWaitingForTools)
            CToolRunner::CallWhenNoneRunning(this, [this] {
                m_bWaitingForTools = false;
                RunPendingChecks();
            });
        m_bWaitingForTools = true;
        return;
    }
    m_bChecking = true;
    while (!m_lstPending.empty()) {
        std::vector<QPointer<CSampleDoc>> lstDocs;
        lstDocs.swap(m_lstPending);
        // A file replaced by a rename keeps a watch on the file that went: each file is
        // watched afresh before it is looked at, so that a change made meanwhile is seen.
        QStringList listFiles;
        for (const QPointer<CSampleDoc>& pDoc : lstDocs) {
            if (pDoc && m_watcher.files().contains(pDoc->GetPathName()))
                listFiles.append(pDoc->GetPathName());
        }
        if (!listFiles.isEmpty())
            m_watcher.removePaths(listFiles);
        UpdateWatchedPaths();
        for (const QPointer<CSampleDoc>& pDoc : lstDocs) {
            if (pDoc && !pDoc->IsClosed())
                CheckDocument(pDoc);
        }
    }
    m_bChecking = false;
    UpdateWatchedPaths();
}

void CFileWatch::CheckDocument(CSampleDoc* pDoc) {
    const QString strPath = pDoc->GetPathName();
    if (strPath.isEmpty())
        return;
    const FileStamp stamp = FileStamp::Of(strPath);
    if (stamp == pDoc->GetFileStamp())
        return;
    if (!stamp.bExists) {
        // Said once: the stamp of the missing file is the one known from now on.
        pDoc->RememberFileState(stamp);
        pDoc->MarkUnsaved();
        AfxMessageBox(QString::fromLatin1(MSG_FILE_DELETED).arg(strPath), QMessageBox::Ok,
                      QMessageBox::Warning);
        return;
    }
    if (pDoc->IsModified()) {
        const QPointer<CSampleDoc> pAsked(pDoc);
        const QMessageBox::StandardButton answer =
            AfxChoiceBox(QString::fromLatin1(MSG_FILE_CHANGED).arg(strPath),
                         {{QMessageBox::Yes, QString::fromLatin1(BUTTON_RELOAD)},
                          {QMessageBox::No, QString::fromLatin1(BUTTON_KEEP_MINE)}},
                         QMessageBox::Question);
        if (!pAsked || pAsked->IsClosed())
            return;
        if (answer != QMessageBox::Yes) {
            pDoc->RememberFileState(stamp);
            pDoc->MarkUnsaved();
            return;
        }
    }
    Reload(pDoc);
}

void CFileWatch::Reload(CSampleDoc* pDoc) {
    // The file as it is read now, which may have changed again while a question was open.
    const QString strPath = pDoc->GetPathName();
    const FileStamp stamp = FileStamp::Of(strPath);
    if (const FileResult result = pDoc->ReplaceTextFromFile(strPath); !result) {
        pDoc->RememberFileState(stamp);
        pDoc->MarkUnsaved();
        AfxMessageBox(QString::fromLatin1(MSG_CANNOT_RELOAD)
                          .arg(strPath, QString::fromStdString(result.strError)),
                      QMessageBox::Ok, QMessageBox::Warning);
        return;
    }
    pDoc->SetTextMatchesFile(stamp);
}
