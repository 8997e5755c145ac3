// CSampleDoc: life cycle, views, properties and the document's commands.
#include "app/SampleDoc.h"

#include "app/CommandRoute.h"
#include "app/DocManager.h"
#include "app/DocPropertiesDlg.h"
#include "app/MainFrame.h"
#include "app/OutputEdit.h"
#include "app/SampleApp.h"
#include "app/SampleView.h"
#include "hexconv/ZarnHex.h"
#include "resources/CommandIds.h"
#include "toolbridge/ExportToVey.h"
#include "toolbridge/InsertIntoIdx.h"
#include "view/UserPrompts.h"

#include <algorithm>

#include <QFile>
#include <QFileInfo>

namespace {

constexpr char MSG_NOW_READ_ONLY[] = "Document now read-only!";

std::string LocalPath(const QString& strPath) {
    return QFile::encodeName(strPath).toStdString();
}

CMainFrame* MainFrame() {
    CSampleApp* pApp = AfxGetApp();
    return pApp != nullptr ? pApp->GetMainFrame() : nullptr;
}

COutputEdit* OutputEdit() {
    CMainFrame* pMainFrame = MainFrame();
    return pMainFrame != nullptr ? pMainFrame->GetOutputEdit() : nullptr;
}

} // namespace

void CSampleTextBuffer::SetModified(bool bModified) {
    m_pOwnerDoc->SetModifiedFlag(bModified);
}

CSampleDoc::CSampleDoc(CDocManager* pDocManager)
    : m_TextBuffer(this), m_lfFont(InitialFont()), m_pDocManager(pDocManager) {
    if (CSampleApp* pApp = AfxGetApp()) {
        m_strGid = pApp->TakePendingGid();
        m_strIdxPath = pApp->TakePendingIdxPath();
    }
}

CSampleDoc::~CSampleDoc() {
    // A view never outlives its document; one still here would read freed lines.
    Q_ASSERT(m_lstViews.empty());
}

LogFont CSampleDoc::InitialFont() {
    LogFont lf;
    lf.strFaceName = QStringLiteral("Courier New");
    lf.nHeight = 17;
    lf.nWeight = FW_NORMAL;
    return lf;
}

void CSampleDoc::SetPathName(const QString& strPath) {
    m_strPathName = QFileInfo(strPath).absoluteFilePath();
    SetTitle(QFileInfo(m_strPathName).fileName());
}

void CSampleDoc::SetTitle(const QString& strTitle) {
    if (strTitle == m_strTitle)
        return;
    m_strTitle = strTitle;
    emit titleChanged();
}

void CSampleDoc::DeleteContents() {
    m_TextBuffer.Clear();
}

bool CSampleDoc::OnNewDocument() {
    DeleteContents();
    m_strPathName.clear();
    if (!m_TextBuffer.InitEmpty(EOL_CRLF))
        return false;
    SetModifiedFlag(false);
    return true;
}

FileResult CSampleDoc::OnOpenDocument(const QString& strPath) {
    DeleteContents();
    const FileResult result = m_TextBuffer.LoadFile(LocalPath(strPath), EOL_AUTO);
    if (!result)
        return result;
    m_strFileName = strPath;
    SetModifiedFlag(false);
    return result;
}

FileResult CSampleDoc::OnSaveDocument(const QString& strPath) {
    return m_TextBuffer.SaveFile(LocalPath(strPath), EOL_AUTO, true);
}

void CSampleDoc::OnCloseDocument() {
    m_bClosed = true;
    if (m_lstViews.empty())
        deleteLater();
}

void CSampleDoc::AddView(CSampleView* pView) {
    if (std::find(m_lstViews.begin(), m_lstViews.end(), pView) != m_lstViews.end())
        return;
    m_lstViews.push_back(pView);
    pView->m_pDocument = this;
}

void CSampleDoc::RemoveView(CSampleView* pView) {
    const auto it = std::find(m_lstViews.begin(), m_lstViews.end(), pView);
    if (it == m_lstViews.end())
        return;
    m_lstViews.erase(it);
    pView->m_pDocument = nullptr;
    // Deferred: the view that goes last may still be on its way out of its window.
    if (m_lstViews.empty() && m_bClosed)
        deleteLater();
}

std::span<const CommandMapEntry<CSampleDoc>> CSampleDoc::GetCommandMap() {
    // clang-format off
    static const CommandMapEntry<CSampleDoc> s_aEntries[] = {
        {ID_EDIT_READ_ONLY,     ID_EDIT_READ_ONLY,     &CSampleDoc::OnEditReadOnly,  &CSampleDoc::OnUpdateEditReadOnly},
        {ID_CONTEXT_PROPERTIES, ID_CONTEXT_PROPERTIES, &CSampleDoc::OnProperties,    nullptr},
        {ID_ZARN_PROPERTIES,    ID_ZARN_PROPERTIES,    &CSampleDoc::OnProperties,    &CSampleDoc::OnUpdateProperties},
        {ID_ZARN_HEX_CONVERTER, ID_ZARN_HEX_CONVERTER, &CSampleDoc::OnHexConverter,  nullptr},
        {ID_ZARN_INSERT_BUTTON, ID_ZARN_INSERT,        &CSampleDoc::OnInsertIntoIdx, &CSampleDoc::OnUpdateInsert},
        {ID_ZARN_EXPORT_VEY,    ID_ZARN_EXPORT_VEY,    &CSampleDoc::OnExportToVey,   nullptr},
        {ID_INDICATOR_GID,      ID_INDICATOR_GID,      nullptr,                      &CSampleDoc::OnUpdateIndicatorGid},
        {ID_FILE_CLOSE,         ID_FILE_CLOSE,         &CSampleDoc::OnFileClose,     nullptr},
        {ID_FILE_SAVE,          ID_FILE_SAVE,          &CSampleDoc::OnFileSave,      nullptr},
        {ID_FILE_SAVE_AS,       ID_FILE_SAVE_AS,       &CSampleDoc::OnFileSaveAs,    nullptr},
    };
    // clang-format on
    return s_aEntries;
}

bool CSampleDoc::OnCmdMsg(unsigned nId) {
    return DispatchCommand(this, GetCommandMap(), nId);
}

bool CSampleDoc::OnUpdateCmdUI(unsigned nId, CCmdUI& cmdUI) {
    return DispatchUpdate(this, GetCommandMap(), nId, cmdUI);
}

bool CSampleDoc::HasCommandHandler(unsigned nId) const {
    return MapHasCommand(GetCommandMap(), nId);
}

void CSampleDoc::OnEditReadOnly(unsigned) {
    if (m_TextBuffer.IsReadOnly()) {
        m_TextBuffer.SetReadOnly(false);
        return;
    }
    m_TextBuffer.SetReadOnly(true);
    AfxMessageBox(QString::fromLatin1(MSG_NOW_READ_ONLY));
}

void CSampleDoc::OnUpdateEditReadOnly(CCmdUI& cmdUI) {
    cmdUI.SetCheck(m_TextBuffer.IsReadOnly() ? 1 : 0);
}

void CSampleDoc::OnProperties(unsigned) {
    CDocPropertiesDlg dlg(nullptr, &m_strFileName, &m_strIdxPath, &m_strGid);
    dlg.exec();
}

void CSampleDoc::OnUpdateProperties(CCmdUI& cmdUI) {
    cmdUI.Enable(!m_strFileName.isEmpty());
}

void CSampleDoc::OnHexConverter(unsigned) {
    ShowHexDialog();
}

void CSampleDoc::OnInsertIntoIdx(unsigned) {
    // The document may close while Grimlet runs; nothing of it is used after the run.
    InsertIntoIdx(
        m_strIdxPath, [this] { return m_pDocManager->SaveModified(this); },
        [this] { return m_strPathName; }, OutputEdit());
}

void CSampleDoc::OnUpdateInsert(CCmdUI& cmdUI) {
    cmdUI.Enable(!m_strIdxPath.isEmpty() && !m_strGid.isEmpty());
}

void CSampleDoc::OnExportToVey(unsigned) {
    ExportToVey(m_TextBuffer, m_strFileName, m_strPathName, m_strTitle, MainFrame(), OutputEdit());
}

void CSampleDoc::OnUpdateIndicatorGid(CCmdUI& cmdUI) {
    cmdUI.SetText(m_strFileName.isEmpty() ? std::string() : m_strGid.toStdString());
}

void CSampleDoc::OnFileSave(unsigned) {
    m_pDocManager->DoFileSave(this);
}

void CSampleDoc::OnFileSaveAs(unsigned) {
    m_pDocManager->DoSave(this, true);
}

void CSampleDoc::OnFileClose(unsigned) {
    m_pDocManager->OnFileClose(this);
}
