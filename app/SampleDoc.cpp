// CSampleDoc: life cycle, views, properties and the document's commands.
#include "app/SampleDoc.h"

#include "app/CommandRoute.h"
#include "app/DocManager.h"
#include "app/DocPropertiesDlg.h"
#include "app/MainFrame.h"
#include "app/OutputEdit.h"
#include "app/RecoveryStore.h"
#include "app/SampleApp.h"
#include "app/SampleView.h"
#include "hexconv/ZarnHex.h"
#include "resources/CommandIds.h"
#include "toolbridge/ExportToVey.h"
#include "toolbridge/InsertIntoIdx.h"
#include "view/FontZoom.h"
#include "view/UserPrompts.h"

#include <algorithm>

#include <QFile>
#include <QFileInfo>

namespace {

constexpr char MSG_NOW_READ_ONLY[] = "Document now read-only!";
constexpr char LABEL_RELOAD[] = "Reload";
// The first look at a change's recovery file: it is due a second after the change at the
// earliest (RecoveryWriteDue).
constexpr std::chrono::milliseconds RECOVERY_FIRST_LOOK{1000};

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

CRecoveryStore* RecoveryStore() {
    CSampleApp* pApp = AfxGetApp();
    return pApp != nullptr ? pApp->GetRecoveryStore() : nullptr;
}

// Where a view stood before its text was replaced.
struct ViewPlace {
    CSampleView* pView;
    TextPos ptCaret;
    int nTopLine;
    int nLeftColumn;
};

} // namespace

void CSampleTextBuffer::SetModified(bool bModified) {
    m_pOwnerDoc->SetModifiedFlag(bModified);
}

bool CSampleTextBuffer::GetActionLabel(int nAction, std::string& label) const {
    if (nAction != EDITACT_RELOAD)
        return CTextBuffer::GetActionLabel(nAction, label);
    label = LABEL_RELOAD;
    return true;
}

CSampleDoc::CSampleDoc(CDocManager* pDocManager)
    : m_TextBuffer(this), m_lfFont(AfxGetApp() ? AfxGetApp()->GetEditorFont() : InitialFont()),
      m_pDocManager(pDocManager) {
    if (CSampleApp* pApp = AfxGetApp()) {
        m_strGid = pApp->TakePendingGid();
        m_strIdxPath = pApp->TakePendingIdxPath();
    }
    m_TextBuffer.AttachView(this);
    m_timerRecovery.setSingleShot(true);
    connect(&m_timerRecovery, &QTimer::timeout, this, &CSampleDoc::OnRecoveryTimer);
}

CSampleDoc::~CSampleDoc() {
    // A view never outlives its document; one still here would read freed lines.
    Q_ASSERT(m_lstViews.empty());
    m_TextBuffer.DetachView(this);
    DropRecovery();
}

LogFont CSampleDoc::InitialFont() {
    LogFont lf;
    lf.strFaceName = QStringLiteral("Courier New");
    lf.nHeight = 17;
    lf.nWeight = FW_NORMAL;
    return lf;
}

void CSampleDoc::SetFont(const LogFont& lf) {
    m_lfFont = lf;
    m_nZoomSteps = ClampZoomSteps(FontPointSize(m_lfFont, ScreenDpi()), m_nZoomSteps);
    for (CSampleView* pView : m_lstViews) {
        pView->SetBaseFont(m_lfFont);
        pView->SetZoomSteps(m_nZoomSteps);
    }
}

void CSampleDoc::SetZoomSteps(int nSteps) {
    m_nZoomSteps = ClampZoomSteps(FontPointSize(m_lfFont, ScreenDpi()), nSteps);
    for (CSampleView* pView : m_lstViews)
        pView->SetZoomSteps(m_nZoomSteps);
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

QString CSampleDoc::GetTitleWithMark() const {
    return m_bModified ? m_strTitle + u'*' : m_strTitle;
}

void CSampleDoc::SetModifiedFlag(bool bModified) {
    // Every edit sets the flag again: only a change of it is news.
    if (bModified == m_bModified)
        return;
    m_bModified = bModified;
    if (bModified)
        NoteTextChange();
    else
        DropRecovery();
    emit modifiedChanged();
}

void CSampleDoc::RememberFileState() {
    m_fileStamp = FileStamp::Of(m_strPathName);
}

FileResult CSampleDoc::ReplaceTextFromFile(const QString& strPath, int nEolStyle) {
    CTextBuffer source;
    if (FileResult result = source.LoadFile(LocalPath(strPath), nEolStyle); !result)
        return result;
    std::vector<ViewPlace> places;
    for (CSampleView* pView : m_lstViews)
        places.push_back({pView, pView->GetCaretTextPos(), pView->GetFirstVisibleLine(),
                          pView->GetFirstVisibleColumn()});
    if (!m_TextBuffer.ReplaceText(source, EDITACT_RELOAD))
        return FileResult::Success();
    m_TextBuffer.SetEolStyle(source.GetEolStyle());

    const int nLastLine = m_TextBuffer.GetLineCount() - 1;
    for (const ViewPlace& place : places) {
        TextPos pt = place.ptCaret;
        pt.y = std::min(pt.y, nLastLine);
        pt.x = std::min(pt.x, m_TextBuffer.GetLineLength(pt.y));
        place.pView->SetSelAnchor(pt);
        place.pView->SetSelectionRange(pt, pt);
        place.pView->PlaceCaret(pt);
        place.pView->ScrollToTopLine(std::min(place.nTopLine, nLastLine), true);
        place.pView->ScrollToColumn(place.nLeftColumn, true);
    }
    return FileResult::Success();
}

void CSampleDoc::SetTextMatchesFile(const FileStamp& stamp) {
    m_fileStamp = stamp;
    m_TextBuffer.TakeSavedState();
    SetModifiedFlag(false);
}

void CSampleDoc::MarkUnsaved() {
    m_TextBuffer.ForgetSavedState();
    SetModifiedFlag(true);
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
    // Taken before reading: a change made while the file is read then shows as one.
    const FileStamp stamp = FileStamp::Of(strPath);
    const FileResult result = m_TextBuffer.LoadFile(LocalPath(strPath), EOL_AUTO);
    if (!result)
        return result;
    m_strFileName = strPath;
    m_fileStamp = stamp;
    SetModifiedFlag(false);
    return result;
}

FileResult CSampleDoc::OnSaveDocument(const QString& strPath) {
    FileResult result = m_TextBuffer.SaveFile(LocalPath(strPath), EOL_AUTO, true);
    if (result)
        m_fileStamp = FileStamp::Of(strPath);
    return result;
}

FileResult CSampleDoc::OnRecoverDocument(const QString& strTextFile, int nEolStyle) {
    DeleteContents();
    const FileResult result = m_TextBuffer.LoadFile(LocalPath(strTextFile), nEolStyle);
    if (!result)
        return result;
    MarkUnsaved();
    return result;
}

void CSampleDoc::OnCloseDocument() {
    DropRecovery();
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

void CSampleDoc::OnBufferUpdate(CTextBufferListener*, const CChangeExtent* pExtent, uint32_t, int) {
    // Flags and resets are no edits; every edit comes with its extent.
    if (pExtent)
        NoteTextChange();
}

void CSampleDoc::NoteTextChange() {
    // Once per keystroke: only the time is taken; the timer, once running, looks at it.
    m_tLastChange = Clock::now();
    if (m_timerRecovery.isActive())
        return;
    m_tFirstUnwritten = m_tLastChange;
    m_timerRecovery.start(RECOVERY_FIRST_LOOK);
}

void CSampleDoc::OnRecoveryTimer() {
    const Clock::time_point tDue =
        RecoveryWriteDue(m_tFirstUnwritten, m_tLastChange, m_lastWriteTime);
    const Clock::time_point tNow = Clock::now();
    if (tNow < tDue) {
        m_timerRecovery.start(std::chrono::ceil<std::chrono::milliseconds>(tDue - tNow));
        return;
    }
    WriteRecoveryNow();
}

void CSampleDoc::WriteRecoveryNow() {
    m_timerRecovery.stop();
    if (!m_bModified) {
        DropRecovery();
        return;
    }
    CRecoveryStore* pStore = RecoveryStore();
    if (!pStore || !pStore->IsOpen())
        return;
    if (m_strRecoveryFile.isEmpty())
        m_strRecoveryFile = pStore->NewFileName(m_strTitle);
    // A write that fails leaves the last good one in place; the next change tries again.
    const Clock::time_point tStart = Clock::now();
    pStore->Write(m_strRecoveryFile, m_TextBuffer, m_strPathName, m_strTitle);
    m_lastWriteTime = Clock::now() - tStart;
}

void CSampleDoc::DropRecovery() {
    m_timerRecovery.stop();
    if (m_strRecoveryFile.isEmpty())
        return;
    CRecoveryStore::Remove(m_strRecoveryFile);
    m_strRecoveryFile.clear();
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
        {ID_VIEW_ZOOM_IN,       ID_VIEW_ZOOM_RESET,    &CSampleDoc::OnViewZoom,      &CSampleDoc::OnUpdateViewZoom},
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

void CSampleDoc::OnViewZoom(unsigned nId) {
    if (nId == ID_VIEW_ZOOM_RESET)
        SetZoomSteps(0);
    else
        SetZoomSteps(m_nZoomSteps + (nId == ID_VIEW_ZOOM_IN ? 1 : -1));
}

void CSampleDoc::OnUpdateViewZoom(CCmdUI& cmdUI) {
    // Each is enabled while it would change something.
    const unsigned nId = cmdUI.GetId();
    int nTarget = 0;
    if (nId != ID_VIEW_ZOOM_RESET)
        nTarget = m_nZoomSteps + (nId == ID_VIEW_ZOOM_IN ? 1 : -1);
    cmdUI.Enable(ClampZoomSteps(FontPointSize(m_lfFont, ScreenDpi()), nTarget) != m_nZoomSteps);
}
