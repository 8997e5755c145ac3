// CFindDialog: the Find dialog's data exchange and buttons, and the "not found" message that
// every search shares.
#include "view/FindDialog.h"

#include "resources/StringTable.h"
#include "ui_FindDialog.h"
#include "view/SearchEngine.h"
#include "view/TextTransfer.h"
#include "view/TextView.h"
#include "view/UserPrompts.h"

namespace {

constexpr unsigned IDS_CANNOT_FIND_STRING = 8606; // "Cannot find string"%s""

} // namespace

void ShowCannotFindString(const QString& strFindWhat) {
    QString strText = BytesToText(LoadResString(IDS_CANNOT_FIND_STRING));
    // Only the format's own "%s" is replaced, whatever the search text holds.
    if (const qsizetype nAt = strText.indexOf(QLatin1String("%s")); nAt >= 0)
        strText.replace(nAt, 2, strFindWhat);
    AfxMessageBox(strText);
}

CFindDialog::CFindDialog(CTextView* pView)
    : QDialog(pView), m_pView(pView), m_pUi(std::make_unique<Ui_CFindDialog>()) {
    m_pUi->setupUi(this);
    connect(m_pUi->IDC_EDIT_FINDTEXT_8605, &QLineEdit::textChanged, this,
            &CFindDialog::OnChangeFindWhat);
    connect(m_pUi->IDOK_1, &QPushButton::clicked, this, &CFindDialog::OnOK);
    connect(m_pUi->IDCANCEL_2, &QPushButton::clicked, this, &CFindDialog::OnCancel);
}

CFindDialog::~CFindDialog() = default;

void CFindDialog::OnInitDialog() {
    UpdateData(false);
    m_pUi->IDOK_1->setEnabled(!m_sFindWhat.isEmpty());
    // Typing starts in the search text, which is selected so that it is easily replaced.
    m_pUi->IDC_EDIT_FINDTEXT_8605->setFocus();
    m_pUi->IDC_EDIT_FINDTEXT_8605->selectAll();
}

int CFindDialog::DoModal() {
    OnInitDialog();
    return exec();
}

void CFindDialog::UpdateData(bool bSaveAndValidate) {
    Ui_CFindDialog& ui = *m_pUi;
    if (bSaveAndValidate) {
        m_sFindWhat = ui.IDC_EDIT_FINDTEXT_8605->text();
        m_bMatchCase = ui.IDC_EDIT_MATCH_CASE_8604->isChecked();
        m_bWholeWord = ui.IDC_EDIT_WHOLE_WORD_8603->isChecked();
        m_nDirection = ui.IDC_EDIT_DIRECTION_UP_8611->isChecked()     ? 0
                       : ui.IDC_EDIT_DIRECTION_DOWN_8612->isChecked() ? 1
                                                                      : -1;
        return;
    }
    ui.IDC_EDIT_FINDTEXT_8605->setText(m_sFindWhat);
    ui.IDC_EDIT_MATCH_CASE_8604->setChecked(m_bMatchCase);
    ui.IDC_EDIT_WHOLE_WORD_8603->setChecked(m_bWholeWord);
    // Neither button is checked for a direction that is neither.
    ui.IDC_EDIT_DIRECTION_UP_8611->setAutoExclusive(false);
    ui.IDC_EDIT_DIRECTION_DOWN_8612->setAutoExclusive(false);
    ui.IDC_EDIT_DIRECTION_UP_8611->setChecked(m_nDirection == 0);
    ui.IDC_EDIT_DIRECTION_DOWN_8612->setChecked(m_nDirection == 1);
    ui.IDC_EDIT_DIRECTION_UP_8611->setAutoExclusive(true);
    ui.IDC_EDIT_DIRECTION_DOWN_8612->setAutoExclusive(true);
}

void CFindDialog::OnChangeFindWhat() {
    m_pUi->IDOK_1->setEnabled(!m_pUi->IDC_EDIT_FINDTEXT_8605->text().isEmpty());
}

void CFindDialog::OnOK() {
    UpdateData(true);
    const bool bUp = m_nDirection == 0;
    const uint32_t dwFlags = MakeSearchFlags(m_bMatchCase, m_bWholeWord, bUp);
    const ConvertedText pattern = TextToBytes(m_sFindWhat);
    // Searching for some other text would find what the user did not ask for.
    if (!pattern.IsComplete()) {
        AfxMessageBox(MissingCharacterMessage(QStringLiteral("search for"), *pattern.cpMissing));
        return;
    }
    TextPos ptFound;
    if (m_pView->FindInDocument(pattern.bytes, bUp ? m_ptUpStartPos : m_ptStartPos, dwFlags, true,
                                ptFound)) {
        m_pView->SelectFoundText(ptFound, static_cast<int>(pattern.bytes.size()));
        accept();
        return;
    }
    ShowCannotFindString(m_sFindWhat);
    m_ptStartPos = {};
    m_ptUpStartPos = {};
}

void CFindDialog::OnCancel() {
    UpdateData(true);
    QDialog::reject();
}

void CFindDialog::reject() {
    OnCancel();
}
