// CReplaceTextDlg: the Replace dialog's data exchange, its search loop and its three buttons.
#include "editview/ReplaceTextDlg.h"

#include "editview/EditView.h"
#include "ui_ReplaceTextDlg.h"
#include "view/FindDialog.h"
#include "view/SearchEngine.h"
#include "view/TextTransfer.h"
#include "view/UserPrompts.h"

CReplaceTextDlg::CReplaceTextDlg(CTextEditView* pView)
    : QDialog(pView), m_pView(pView), m_pUi(std::make_unique<Ui_CReplaceTextDlg>()) {
    m_pUi->setupUi(this);
    connect(m_pUi->IDC_EDIT_FINDTEXT_8605, &QLineEdit::textChanged, this,
            &CReplaceTextDlg::OnChangeFindWhat);
    connect(m_pUi->IDC_EDIT_SKIP_8610, &QPushButton::clicked, this, &CReplaceTextDlg::OnFindNext);
    connect(m_pUi->IDC_EDIT_REPLACE_8607, &QPushButton::clicked, this, &CReplaceTextDlg::OnReplace);
    connect(m_pUi->IDC_EDIT_REPLACE_ALL_8608, &QPushButton::clicked, this,
            &CReplaceTextDlg::OnReplaceAll);
    connect(m_pUi->IDCANCEL_2, &QPushButton::clicked, this, &CReplaceTextDlg::OnCancel);
}

CReplaceTextDlg::~CReplaceTextDlg() = default;

void CReplaceTextDlg::OnInitDialog() {
    UpdateData(false);
    m_pUi->IDC_EDIT_SKIP_8610->setEnabled(!m_sFindWhat.isEmpty());
    m_pUi->IDC_EDIT_SCOPE_SELECTION_8613->setEnabled(m_bAllowSelectionScope);
    m_bFound = false;
    // Typing starts in the search text, which is selected so that it is easily replaced.
    m_pUi->IDC_EDIT_FINDTEXT_8605->setFocus();
    m_pUi->IDC_EDIT_FINDTEXT_8605->selectAll();
}

int CReplaceTextDlg::DoModal() {
    OnInitDialog();
    return exec();
}

void CReplaceTextDlg::UpdateData(bool bSaveAndValidate) {
    Ui_CReplaceTextDlg& ui = *m_pUi;
    if (bSaveAndValidate) {
        m_sFindWhat = ui.IDC_EDIT_FINDTEXT_8605->text();
        m_sReplaceWith = ui.IDC_EDIT_REPLACE_WITH_8609->text();
        m_bMatchCase = ui.IDC_EDIT_MATCH_CASE_8604->isChecked();
        m_bWholeWord = ui.IDC_EDIT_WHOLE_WORD_8603->isChecked();
        m_nScope = ui.IDC_EDIT_SCOPE_SELECTION_8613->isChecked()   ? 0
                   : ui.IDC_EDIT_SCOPE_WHOLEFILE_8614->isChecked() ? 1
                                                                   : -1;
        return;
    }
    ui.IDC_EDIT_FINDTEXT_8605->setText(m_sFindWhat);
    ui.IDC_EDIT_REPLACE_WITH_8609->setText(m_sReplaceWith);
    ui.IDC_EDIT_MATCH_CASE_8604->setChecked(m_bMatchCase);
    ui.IDC_EDIT_WHOLE_WORD_8603->setChecked(m_bWholeWord);
    // Neither button is checked for a scope that is neither.
    ui.IDC_EDIT_SCOPE_SELECTION_8613->setAutoExclusive(false);
    ui.IDC_EDIT_SCOPE_WHOLEFILE_8614->setAutoExclusive(false);
    ui.IDC_EDIT_SCOPE_SELECTION_8613->setChecked(m_nScope == 0);
    ui.IDC_EDIT_SCOPE_WHOLEFILE_8614->setChecked(m_nScope == 1);
    ui.IDC_EDIT_SCOPE_SELECTION_8613->setAutoExclusive(true);
    ui.IDC_EDIT_SCOPE_WHOLEFILE_8614->setAutoExclusive(true);
}

void CReplaceTextDlg::OnChangeFindWhat() {
    m_pUi->IDC_EDIT_SKIP_8610->setEnabled(!m_pUi->IDC_EDIT_FINDTEXT_8605->text().isEmpty());
}

bool CReplaceTextDlg::FindAndSelectNext(const std::string& strFind) {
    if (SelectNextMatch(strFind))
        return true;
    OnNotFound();
    return false;
}

bool CReplaceTextDlg::SelectNextMatch(const std::string& strFind) {
    const uint32_t dwFlags = MakeSearchFlags(m_bMatchCase, m_bWholeWord, false);
    const bool bFound =
        m_nScope == 0
            ? m_pView->FindInRange(strFind, m_ptMatchPos, m_ptRangeBegin, m_ptRangeEnd, dwFlags,
                                   false, m_ptMatchPos)
            : m_pView->FindInDocument(strFind, m_ptMatchPos, dwFlags, false, m_ptMatchPos);
    if (bFound)
        m_pView->SelectFoundText(m_ptMatchPos, static_cast<int>(strFind.size()));
    return bFound;
}

void CReplaceTextDlg::OnNotFound() {
    ShowCannotFindString(m_sFindWhat);
    m_ptStartPos = m_nScope == 0 ? m_ptRangeBegin : TextPos{};
}

bool CReplaceTextDlg::ReplaceMatch(const std::string& strFind, const std::string& strReplace) {
    const TextPos ptMatch = m_ptMatchPos;
    if (!m_pView->ReplaceSelectedText(strReplace))
        return false;
    // The match never spans lines: only ends of the scope right of it on its line move.
    if (m_bAllowSelectionScope) {
        const int nDelta = static_cast<int>(strReplace.size()) - static_cast<int>(strFind.size());
        for (TextPos* pt : {&m_ptRangeBegin, &m_ptRangeEnd}) {
            if (pt->y == ptMatch.y && pt->x > ptMatch.x)
                pt->x += nDelta;
        }
    }
    // The next search starts just behind the new text, so a text that holds the one it
    // replaces is not replaced again.
    m_ptMatchPos = m_pView->GetCaretTextPos();
    return true;
}

bool CReplaceTextDlg::ConvertText(const QString& strText, const QString& strAction,
                                  std::string& strBytes) {
    ConvertedText converted = TextToBytes(strText);
    if (!converted.IsComplete()) {
        AfxMessageBox(MissingCharacterMessage(strAction, *converted.cpMissing));
        return false;
    }
    strBytes = std::move(converted.bytes);
    return true;
}

bool CReplaceTextDlg::ConvertBothTexts(std::string& strFind, std::string& strReplace) {
    return ConvertText(m_sFindWhat, QStringLiteral("search for"), strFind) &&
           ConvertText(m_sReplaceWith, QStringLiteral("replace with"), strReplace);
}

void CReplaceTextDlg::OnFindNext() {
    UpdateData(true);
    std::string strFind;
    if (!ConvertText(m_sFindWhat, QStringLiteral("search for"), strFind))
        return;
    // Overlapping matches count: the search goes on one character after the match's start.
    if (m_bFound)
        ++m_ptMatchPos.x;
    else
        m_ptMatchPos = m_ptStartPos;
    m_bFound = FindAndSelectNext(strFind);
}

void CReplaceTextDlg::OnReplace() {
    UpdateData(true);
    std::string strFind, strReplace;
    if (!ConvertBothTexts(strFind, strReplace))
        return;
    // The first press only finds what the next one replaces.
    if (!m_bFound) {
        m_ptMatchPos = m_ptStartPos;
        m_bFound = FindAndSelectNext(strFind);
        return;
    }
    if (!ReplaceMatch(strFind, strReplace))
        m_ptMatchPos.x += static_cast<int>(strReplace.size());
    m_bFound = FindAndSelectNext(strFind);
}

void CReplaceTextDlg::OnReplaceAll() {
    UpdateData(true);
    // An empty text has no match to replace: it ends as every search that finds nothing does.
    if (m_sFindWhat.isEmpty()) {
        m_bFound = false;
        OnNotFound();
        return;
    }
    std::string strFind, strReplace;
    if (!ConvertBothTexts(strFind, strReplace))
        return;
    if (!m_bFound) {
        m_ptMatchPos = m_ptStartPos;
        m_bFound = FindAndSelectNext(strFind);
        if (!m_bFound)
            return;
    }
    // The view is drawn once the replacements are done, not scrolled to each of them; it is
    // drawn again before the message that ends them.
    m_pView->setUpdatesEnabled(false);
    m_pView->BeginReplaceAll();
    // A replacement that changed nothing (an empty match) would find the same match again.
    while (m_bFound && ReplaceMatch(strFind, strReplace))
        m_bFound = SelectNextMatch(strFind);
    m_pView->EndReplaceAll();
    m_pView->setUpdatesEnabled(true);
    if (!m_bFound)
        OnNotFound();
}

void CReplaceTextDlg::OnCancel() {
    UpdateData(true);
    QDialog::reject();
}

void CReplaceTextDlg::reject() {
    OnCancel();
}
