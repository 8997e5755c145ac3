// CSampleApp: start-up, the application's commands and the pending record.
#include "app/SampleApp.h"

#include "app/AboutDlg.h"
#include "app/CommandRoute.h"
#include "app/DocManager.h"
#include "app/ExampleForm.h"
#include "app/MainFrame.h"
#include "app/OutputEdit.h"
#include "app/RecentFileList.h"
#include "app/RecoveryStore.h"
#include "app/SampleDoc.h"
#include "app/SampleView.h"
#include "resources/CommandIds.h"
#include "resources/ZarnResources.h"
#include "toolbridge/LoadFromIdx.h"
#include "view/AppPrinter.h"
#include "view/FontZoom.h"
#include "view/UserPrompts.h"

#include <algorithm>
#include <utility>

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QFontDialog>
#include <QFontInfo>
#include <QSettings>

namespace {

CSampleApp* g_pTheApp = nullptr;

constexpr char MSG_OFFER_RECOVERY[] =
    "Zarn Editor ended without saving these documents:\n\n%1\nRecover opens them again, "
    "modified; Discard deletes their unsaved text.";
constexpr char MSG_NEVER_SAVED[] = "%1 (never saved)";
constexpr char BUTTON_RECOVER[] = "&Recover";
constexpr char BUTTON_DISCARD[] = "&Discard";

constexpr char SETTINGS_EDITOR[] = "Editor";
constexpr char KEY_LINE_NUMBERS[] = "LineNumbers";
constexpr char KEY_FONT_FACE[] = "FontFace";
constexpr char KEY_FONT_SIZE[] = "FontSize"; // points
constexpr char FONT_DIALOG_TITLE[] = "Font";

} // namespace

CSampleApp* AfxGetApp() {
    return g_pTheApp;
}

CSampleApp::CSampleApp()
    : m_pRecentFileList(std::make_unique<CRecentFileList>()),
      m_pDocManager(std::make_unique<CDocManager>(*this)) {
    Q_ASSERT(!g_pTheApp);
    g_pTheApp = this;
}

CSampleApp::~CSampleApp() {
    // The windows go first, taking the views with them; then the documents they showed.
    delete m_pMainFrame;
    m_pMainFrame = nullptr;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_pDocManager.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // An editor that ends normally leaves no recovery files.
    m_pRecoveryStore.reset();
    g_pTheApp = nullptr;
}

void CSampleApp::SetProfileNames() {
    QCoreApplication::setOrganizationName(QStringLiteral("ZarnEditor"));
    QCoreApplication::setApplicationName(QStringLiteral("Zarn Editor"));
}

void CSampleApp::InitInstance(const QStringList& listFiles, bool bRecover) {
    SetProfileNames();
    QApplication::setWindowIcon(LoadAppIcon());
    m_pRecentFileList->ReadList();
    ReadEditorSettings();
    // Without a place for recovery files the editor still works, only without them.
    m_pRecoveryStore = std::make_unique<CRecoveryStore>(
        m_strRecoveryRoot.isEmpty() ? CRecoveryStore::DefaultRoot() : m_strRecoveryRoot);
    m_pRecoveryStore->Open();

    m_pMainFrame = new CMainFrame(this);
    // Without files nothing opens: the window starts with no document.
    for (const QString& strPath : listFiles)
        OpenCommandLineFile(strPath);
    m_pMainFrame->show();
    OfferRecovery(!bRecover);
    m_pMainFrame->OnIdleUpdateCmdUI();

    m_strPendingIdxPath.clear();
    m_strPendingGid.clear();
}

void CSampleApp::OpenCommandLineFile(const QString& strPath) {
    // As other editors do: a name of a file still to be made, in a folder that exists.
    const QFileInfo info(strPath);
    if (!info.exists() && QFileInfo(info.absolutePath()).isDir())
        m_pDocManager->NewDocumentForFile(info.absoluteFilePath());
    else
        OpenDocumentFile(strPath);
}

void CSampleApp::OfferRecovery(bool bAsk) {
    const std::vector<RecoveryRecord> records = m_pRecoveryStore->TakeAbandoned();
    if (records.empty())
        return;
    if (bAsk) {
        QString strList;
        for (const RecoveryRecord& record : records)
            strList += (record.strOriginalPath.isEmpty()
                            ? QString::fromLatin1(MSG_NEVER_SAVED).arg(record.strTitle)
                            : record.strOriginalPath) +
                       u'\n';
        const QMessageBox::StandardButton answer =
            AfxChoiceBox(QString::fromLatin1(MSG_OFFER_RECOVERY).arg(strList),
                         {{QMessageBox::Yes, QString::fromLatin1(BUTTON_RECOVER)},
                          {QMessageBox::Discard, QString::fromLatin1(BUTTON_DISCARD)}},
                         QMessageBox::Warning);
        // Discard deletes them; a box closed otherwise keeps them for a later start.
        if (answer != QMessageBox::Yes) {
            m_pRecoveryStore->Release(
                answer == QMessageBox::Discard ? records : std::vector<RecoveryRecord>());
            return;
        }
    }
    // Each recovered text is in this editor's own recovery file before the old one goes; one
    // that cannot be read stays for a later start.
    std::vector<RecoveryRecord> listDone;
    for (const RecoveryRecord& record : records) {
        CSampleDoc* pDoc = m_pDocManager->OpenRecoveredDocument(record);
        if (!pDoc)
            continue;
        pDoc->WriteRecoveryNow();
        listDone.push_back(record);
    }
    m_pRecoveryStore->Release(listDone);
}

CSampleDoc* CSampleApp::OpenDocumentFile(const QString& strPath) {
    return m_pDocManager->OpenDocumentFile(strPath);
}

void CSampleApp::SetPendingRecord(const QString& strGid, const QString& strIdxPath) {
    m_strPendingGid = strGid;
    m_strPendingIdxPath = strIdxPath;
}

QString CSampleApp::TakePendingGid() {
    return std::exchange(m_strPendingGid, QString());
}

QString CSampleApp::TakePendingIdxPath() {
    return std::exchange(m_strPendingIdxPath, QString());
}

void CSampleApp::ReadEditorSettings() {
    QSettings settings;
    settings.beginGroup(QString::fromLatin1(SETTINGS_EDITOR));
    m_bShowLineNumbers = settings.value(QString::fromLatin1(KEY_LINE_NUMBERS), true).toBool();
    // A size that is not a number, or no face, leaves the initial font.
    m_strFontFace = settings.value(QString::fromLatin1(KEY_FONT_FACE)).toString();
    bool bNumber = false;
    m_nFontPoints = settings.value(QString::fromLatin1(KEY_FONT_SIZE)).toInt(&bNumber);
    if (!bNumber || m_nFontPoints <= 0)
        m_strFontFace.clear();
    m_nFontPoints = std::clamp(m_nFontPoints, MIN_ZOOM_POINTS, MAX_ZOOM_POINTS);
}

void CSampleApp::SetLineNumbersShown(bool bShow) {
    m_bShowLineNumbers = bShow;
    QSettings settings;
    settings.beginGroup(QString::fromLatin1(SETTINGS_EDITOR));
    settings.setValue(QString::fromLatin1(KEY_LINE_NUMBERS), bShow);
    for (CSampleDoc* pDoc : m_pDocManager->GetDocuments()) {
        for (CSampleView* pView : pDoc->GetViews())
            pView->SetShowLineNumbers(bShow);
    }
}

LogFont CSampleApp::GetEditorFont() const {
    if (m_strFontFace.isEmpty())
        return CSampleDoc::InitialFont();
    return FontAtPoints(m_strFontFace, m_nFontPoints, ScreenDpi());
}

void CSampleApp::SetEditorFont(const QString& strFace, int nPoints) {
    m_strFontFace = strFace;
    m_nFontPoints = std::clamp(nPoints, MIN_ZOOM_POINTS, MAX_ZOOM_POINTS);
    QSettings settings;
    settings.beginGroup(QString::fromLatin1(SETTINGS_EDITOR));
    settings.setValue(QString::fromLatin1(KEY_FONT_FACE), m_strFontFace);
    settings.setValue(QString::fromLatin1(KEY_FONT_SIZE), m_nFontPoints);
    const LogFont lf = GetEditorFont();
    for (CSampleDoc* pDoc : m_pDocManager->GetDocuments())
        pDoc->SetFont(lf);
}

std::span<const CommandMapEntry<CSampleApp>> CSampleApp::GetCommandMap() {
    // clang-format off
    static const CommandMapEntry<CSampleApp> s_aEntries[] = {
        {ID_FILE_NEW,           ID_FILE_NEW,           &CSampleApp::OnFileNew,        nullptr},
        {ID_FILE_OPEN,          ID_FILE_OPEN,          &CSampleApp::OnFileOpen,       nullptr},
        {ID_FILE_MRU_FIRST,     ID_FILE_MRU_LAST,      &CSampleApp::OnOpenRecentFile, &CSampleApp::OnUpdateRecentFileMenu},
        {ID_APP_ABOUT,          ID_APP_ABOUT,          &CSampleApp::OnAppAbout,       nullptr},
        {ID_FILE_PRINT_SETUP,   ID_FILE_PRINT_SETUP,   &CSampleApp::OnFilePrintSetup, nullptr},
        {ID_FILE_LOAD_FROM_IDX, ID_FILE_LOAD_FROM_IDX, &CSampleApp::OnLoadFromIdx,    nullptr},
        {ID_APP_EXIT,           ID_APP_EXIT,           &CSampleApp::OnAppExit,        nullptr},
        {ID_HELP_OPEN_EXAMPLE,  ID_HELP_OPEN_EXAMPLE,  &CSampleApp::OnOpenExampleForm, nullptr},
        {ID_VIEW_LINE_NUMBERS,  ID_VIEW_LINE_NUMBERS,  &CSampleApp::OnViewLineNumbers, &CSampleApp::OnUpdateViewLineNumbers},
        {ID_VIEW_FONT,          ID_VIEW_FONT,          &CSampleApp::OnViewFont,       nullptr},
    };
    // clang-format on
    return s_aEntries;
}

bool CSampleApp::OnCmdMsg(unsigned nId) {
    return DispatchCommand(this, GetCommandMap(), nId);
}

bool CSampleApp::OnUpdateCmdUI(unsigned nId, CCmdUI& cmdUI) {
    return DispatchUpdate(this, GetCommandMap(), nId, cmdUI);
}

bool CSampleApp::HasCommandHandler(unsigned nId) const {
    return MapHasCommand(GetCommandMap(), nId);
}

void CSampleApp::OnFileNew(unsigned) {
    m_pDocManager->OnFileNew();
}

void CSampleApp::OnFileOpen(unsigned) {
    m_pDocManager->OnFileOpen();
}

void CSampleApp::OnOpenRecentFile(unsigned nId) {
    const int nIndex = static_cast<int>(nId - ID_FILE_MRU_FIRST);
    if (nIndex >= m_pRecentFileList->GetSize())
        return;
    // An entry whose file no longer opens leaves the list.
    const QString strPath = m_pRecentFileList->GetFile(nIndex);
    if (!OpenDocumentFile(strPath))
        m_pRecentFileList->Remove(nIndex);
}

void CSampleApp::OnUpdateRecentFileMenu(CCmdUI& cmdUI) {
    // The first entry's place says "Recent File", disabled, while the list is empty; unused
    // entries are hidden.
    const int nIndex = static_cast<int>(cmdUI.GetId() - ID_FILE_MRU_FIRST);
    const bool bUsed = nIndex < m_pRecentFileList->GetSize();
    cmdUI.Enable(bUsed);
    if (bUsed)
        cmdUI.SetText(m_pRecentFileList->GetMenuText(nIndex).toStdString());
    else
        cmdUI.SetText(nIndex == 0 ? "Recent File" : "");
}

void CSampleApp::OnAppAbout(unsigned) {
    CAboutDlg dlg(m_pMainFrame);
    dlg.exec();
}

void CSampleApp::OnOpenExampleForm(unsigned) {
    // A copy open in a window is the user's work in progress: it is only brought forward.
    const QString strCopy = GetExampleCopyPath();
    if (m_pDocManager->FindOpenDocument(strCopy)) {
        OpenDocumentFile(strCopy);
        return;
    }
    const QString strPath = PrepareExampleCopy();
    if (!strPath.isEmpty())
        OpenDocumentFile(strPath);
}

void CSampleApp::OnFilePrintSetup(unsigned) {
    DoPrintSetup(m_pMainFrame);
}

void CSampleApp::OnLoadFromIdx(unsigned) {
    // The record goes to the document that opening the file constructs; when the file is
    // open already, that document is activated, and the record waits for the next one.
    LoadFromIdx(
        m_pMainFrame, m_pMainFrame->GetOutputEdit(),
        [this](const QString& strFile) -> CTextBuffer* {
            CSampleDoc* pDoc = m_pDocManager->FindOpenDocument(strFile);
            return pDoc != nullptr ? &pDoc->GetTextBuffer() : nullptr;
        },
        [this](const QString& strFile, const QString& strGid, const QString& strIdxPath) {
            SetPendingRecord(strGid, strIdxPath);
            return OpenDocumentFile(strFile) != nullptr;
        });
}

void CSampleApp::OnAppExit(unsigned) {
    m_pMainFrame->close();
}

void CSampleApp::OnViewLineNumbers(unsigned) {
    SetLineNumbersShown(!m_bShowLineNumbers);
}

void CSampleApp::OnUpdateViewLineNumbers(CCmdUI& cmdUI) {
    cmdUI.SetCheck(m_bShowLineNumbers ? 1 : 0);
}

void CSampleApp::OnViewFont(unsigned) {
    const LogFont lf = GetEditorFont();
    const int nDpi = ScreenDpi();
    // The family the face resolves to, which the dialog lists ("Courier New" is an alias).
    const QFont fontInitial(QFontInfo(MakeFont(lf)).family(), FontPointSize(lf, nDpi));
    bool bOk = false;
    const QFont font =
        QFontDialog::getFont(&bOk, fontInitial, m_pMainFrame,
                             QString::fromLatin1(FONT_DIALOG_TITLE), QFontDialog::MonospacedFonts);
    if (!bOk)
        return;
    // A size the dialog gives in pixels only is taken in points at the screen's resolution.
    const int nPoints = font.pointSize() > 0
                            ? font.pointSize()
                            : FontPointSize({font.family(), -font.pixelSize()}, nDpi);
    SetEditorFont(font.family(), nPoints);
}
