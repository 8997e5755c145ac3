// CDocManager: creating, opening, saving and closing documents and their windows.
#include "app/DocManager.h"

#include "app/ChildFrame.h"
#include "app/FileWatch.h"
#include "app/MainFrame.h"
#include "app/RecentFileList.h"
#include "app/RecoveryStore.h"
#include "app/SampleApp.h"
#include "app/SampleDoc.h"
#include "resources/CommandIds.h"
#include "resources/StringTable.h"
#include "view/TextTransfer.h"
#include "view/UserPrompts.h"

#include <memory>

#include <QFileInfo>
#include <QMdiArea>
#include <QTemporaryFile>

namespace {

constexpr char MSG_CANNOT_OPEN[] = "Cannot open %1: %2";
constexpr char MSG_CANNOT_SAVE[] = "Cannot save %1: %2";
constexpr char MSG_SAVE_CHANGES[] = "Save changes to %1?";
constexpr char MSG_CANNOT_RECOVER[] = "Cannot recover %1: %2";
// Offered beside the document type's own filter when opening.
constexpr char FILTER_ALL_FILES[] = "All Files (*)";

// Fields of the document type's string (IDR_ZARNTYPE), separated by line feeds.
enum DocStringIndex {
    DOCSTR_WINDOW_TITLE,
    DOCSTR_DOC_NAME,
    DOCSTR_FILE_NEW_NAME,
    DOCSTR_FILTER,
    DOCSTR_FILTER_EXT
};

QString GetDocString(DocStringIndex nIndex) {
    const QStringList fields = BytesToText(LoadResString(IDR_ZARNTYPE)).split(u'\n');
    return nIndex < fields.size() ? fields.at(nIndex) : QString();
}

} // namespace

CDocManager::CDocManager(CSampleApp& app)
    : m_app(app), m_pFileWatch(std::make_unique<CFileWatch>(*this)) {}

CDocManager::~CDocManager() {
    // The windows, and with them the views, are gone by now.
    for (CSampleDoc* pDoc : m_lstDocs)
        delete pDoc;
}

QString CDocManager::NextUntitledTitle() {
    ++m_nUntitledCount;
    return GetDocString(DOCSTR_DOC_NAME) + QString::number(m_nUntitledCount);
}

CSampleDoc* CDocManager::OnFileNew() {
    auto pDoc = std::make_unique<CSampleDoc>(this);
    if (!pDoc->OnNewDocument())
        return nullptr;
    pDoc->SetTitle(NextUntitledTitle());
    return AddDocument(std::move(pDoc));
}

CSampleDoc* CDocManager::NewDocumentForFile(const QString& strPath) {
    auto pDoc = std::make_unique<CSampleDoc>(this);
    if (!pDoc->OnNewDocument())
        return nullptr;
    pDoc->SetPathName(strPath);
    // A file that another program makes meanwhile is one to reload.
    pDoc->RememberFileState();
    return AddDocument(std::move(pDoc));
}

CSampleDoc* CDocManager::OpenRecoveredDocument(const RecoveryRecord& record) {
    const auto Failed = [&record](const FileResult& result) -> CSampleDoc* {
        const QString& strName =
            record.strOriginalPath.isEmpty() ? record.strTitle : record.strOriginalPath;
        AfxMessageBox(QString::fromLatin1(MSG_CANNOT_RECOVER)
                          .arg(strName, QString::fromStdString(result.strError)),
                      QMessageBox::Ok, QMessageBox::Warning);
        return nullptr;
    };
    // The text is read like a file, so it goes into one first.
    QTemporaryFile textFile;
    if (!textFile.open())
        return Failed(FileResult::Failure(textFile.errorString().toStdString()));
    if (FileResult result = CRecoveryStore::ExtractText(record, textFile.fileName()); !result)
        return Failed(result);

    if (CSampleDoc* pOpen =
            record.strOriginalPath.isEmpty() ? nullptr : FindOpenDocument(record.strOriginalPath)) {
        if (FileResult result = pOpen->ReplaceTextFromFile(textFile.fileName(), record.nEolStyle);
            !result)
            return Failed(result);
        pOpen->MarkUnsaved();
        return pOpen;
    }
    auto pDoc = std::make_unique<CSampleDoc>(this);
    if (FileResult result = pDoc->OnRecoverDocument(textFile.fileName(), record.nEolStyle); !result)
        return Failed(result);
    if (record.strOriginalPath.isEmpty()) {
        pDoc->SetTitle(NextUntitledTitle());
    } else {
        pDoc->SetPathName(record.strOriginalPath);
        // The file as it is now is no news: the recovered text differs from it anyway.
        pDoc->RememberFileState();
    }
    return AddDocument(std::move(pDoc));
}

void CDocManager::OnFileOpen() {
    FileDialogRequest request;
    request.strFilter =
        GetDocString(DOCSTR_FILTER) + QStringLiteral(";;") + QLatin1String(FILTER_ALL_FILES);
    request.bMustExist = true;
    const QString strPath = PromptFileName(m_app.GetMainFrame(), request);
    if (!strPath.isEmpty())
        OpenDocumentFile(strPath);
}

CSampleDoc* CDocManager::OpenDocumentFile(const QString& strPath) {
    if (CSampleDoc* pOpen = FindOpenDocument(strPath)) {
        const std::vector<CChildFrame*> frames = GetFrames(pOpen);
        if (!frames.empty())
            frames.front()->ActivateFrame();
        return pOpen;
    }
    const QString strFullPath = QFileInfo(strPath).absoluteFilePath();
    auto pDoc = std::make_unique<CSampleDoc>(this);
    const FileResult result = pDoc->OnOpenDocument(strFullPath);
    if (!result) {
        AfxMessageBox(QString::fromLatin1(MSG_CANNOT_OPEN)
                          .arg(strPath, QString::fromStdString(result.strError)),
                      QMessageBox::Ok, QMessageBox::Warning);
        return nullptr;
    }
    pDoc->SetPathName(strFullPath);
    m_app.GetRecentFileList().Add(strFullPath);
    return AddDocument(std::move(pDoc));
}

bool CDocManager::DoFileSave(CSampleDoc* pDoc) {
    // A file the user may no longer write is saved under a name asked for; so is one that has
    // gone with its folder. A file that has gone from its folder is written there again.
    const QFileInfo info(pDoc->GetPathName());
    const bool bWritable =
        info.exists() ? info.isWritable() : QFileInfo(info.absolutePath()).isDir();
    return DoSave(pDoc, !pDoc->GetPathName().isEmpty() && !bWritable);
}

bool CDocManager::DoSave(CSampleDoc* pDoc, bool bSaveAs) {
    QString strPath = pDoc->GetPathName();
    if (bSaveAs || strPath.isEmpty()) {
        FileDialogRequest request;
        request.bSave = true;
        request.strInitialPath =
            strPath.isEmpty() ? pDoc->GetTitle() + GetDocString(DOCSTR_FILTER_EXT) : strPath;
        request.strFilter = GetDocString(DOCSTR_FILTER);
        request.strDefaultSuffix = GetDocString(DOCSTR_FILTER_EXT).mid(1);
        strPath = PromptFileName(m_app.GetMainFrame(), request);
        if (strPath.isEmpty())
            return false;
    }
    const bool bExisted = QFileInfo::exists(strPath);
    const FileResult result = pDoc->OnSaveDocument(strPath);
    if (!result) {
        AfxMessageBox(QString::fromLatin1(MSG_CANNOT_SAVE)
                          .arg(strPath, QString::fromStdString(result.strError)),
                      QMessageBox::Ok, QMessageBox::Warning);
        return false;
    }
    const QString strFullPath = QFileInfo(strPath).absoluteFilePath();
    // A file new on disk joins the recent files, also under the name it already had.
    if (strFullPath != pDoc->GetPathName() || !bExisted)
        m_app.GetRecentFileList().Add(strFullPath);
    if (strFullPath != pDoc->GetPathName()) {
        pDoc->SetPathName(strFullPath);
        m_pFileWatch->UpdateWatchedPaths();
    }
    return true;
}

bool CDocManager::SaveModified(CSampleDoc* pDoc) {
    if (!pDoc->IsModified())
        return true;
    const QString strName = pDoc->GetPathName().isEmpty() ? pDoc->GetTitle() : pDoc->GetPathName();
    switch (AfxMessageBox(QString::fromLatin1(MSG_SAVE_CHANGES).arg(strName),
                          QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                          QMessageBox::Question)) {
    case QMessageBox::Yes:
        return DoFileSave(pDoc);
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

bool CDocManager::SaveAllModified() {
    const std::vector<CSampleDoc*> docs = m_lstDocs;
    for (CSampleDoc* pDoc : docs) {
        if (!SaveModified(pDoc))
            return false;
    }
    return true;
}

void CDocManager::OnFileClose(CSampleDoc* pDoc) {
    if (SaveModified(pDoc))
        CloseDocument(pDoc);
}

void CDocManager::CloseDocument(CSampleDoc* pDoc) {
    const std::vector<CChildFrame*> frames = GetFrames(pDoc);
    if (frames.empty()) {
        RemoveDocument(pDoc);
        return;
    }
    // The last window to close takes the document with it.
    for (CChildFrame* pFrame : frames)
        pFrame->CloseWithoutPrompt();
}

void CDocManager::CloseAllDocuments() {
    const std::vector<CSampleDoc*> docs = m_lstDocs;
    for (CSampleDoc* pDoc : docs)
        CloseDocument(pDoc);
}

CChildFrame* CDocManager::CreateNewFrame(CSampleDoc* pDoc) {
    auto* pFrame = new CChildFrame(pDoc);
    m_app.GetMainFrame()->AddChildFrame(pFrame);
    UpdateFrameCounts(pDoc);
    pFrame->ActivateFrame();
    return pFrame;
}

std::vector<CChildFrame*> CDocManager::GetFrames(const CSampleDoc* pDoc) const {
    std::vector<CChildFrame*> frames;
    const CMainFrame* pMainFrame = m_app.GetMainFrame();
    if (!pMainFrame)
        return frames;
    const QList<QMdiSubWindow*> windows =
        pMainFrame->GetMdiArea()->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow* pWindow : windows) {
        auto* pFrame = qobject_cast<CChildFrame*>(pWindow);
        if (pFrame && pFrame->GetDocument() == pDoc && !pFrame->IsClosed())
            frames.push_back(pFrame);
    }
    return frames;
}

bool CDocManager::CanCloseFrame(CChildFrame* pFrame) {
    if (pFrame->IsClosingWithoutPrompt() || GetFrames(pFrame->GetDocument()).size() > 1)
        return true;
    return SaveModified(pFrame->GetDocument());
}

void CDocManager::OnFrameClosed(CChildFrame* pFrame) {
    CSampleDoc* pDoc = pFrame->GetDocument();
    if (GetFrames(pDoc).empty())
        RemoveDocument(pDoc);
    else
        UpdateFrameCounts(pDoc);
}

void CDocManager::UpdateFrameCounts(const CSampleDoc* pDoc) const {
    const std::vector<CChildFrame*> frames = GetFrames(pDoc);
    const bool bNumbered = frames.size() > 1;
    for (size_t i = 0; i < frames.size(); ++i)
        frames[i]->SetWindowNumber(bNumbered ? static_cast<int>(i) + 1 : 0);
}

CSampleDoc* CDocManager::FindOpenDocument(const QString& strPath) const {
    const QFileInfo info(strPath);
    const QString strKey = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    for (CSampleDoc* pDoc : m_lstDocs) {
        if (pDoc->GetPathName().isEmpty())
            continue;
        const QFileInfo docInfo(pDoc->GetPathName());
        const QString strDocKey =
            docInfo.exists() ? docInfo.canonicalFilePath() : docInfo.absoluteFilePath();
        if (strDocKey == strKey)
            return pDoc;
    }
    return nullptr;
}

CSampleDoc* CDocManager::AddDocument(std::unique_ptr<CSampleDoc> pNewDoc) {
    CSampleDoc* pDoc = pNewDoc.release();
    m_lstDocs.push_back(pDoc);
    CreateNewFrame(pDoc);
    m_pFileWatch->UpdateWatchedPaths();
    return pDoc;
}

void CDocManager::RemoveDocument(CSampleDoc* pDoc) {
    std::erase(m_lstDocs, pDoc);
    pDoc->OnCloseDocument();
    m_pFileWatch->UpdateWatchedPaths();
}
