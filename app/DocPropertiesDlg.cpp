// CDocPropertiesDlg: the "Document Properties" dialog (File Name, GID, Main IDX Path), and the
// .idx file question.
#include "app/DocPropertiesDlg.h"

#include "ui_DocPropertiesDlg.h"
#include "view/UserPrompts.h"

namespace {

QString ValueOf(const QString* pstr) {
    return pstr != nullptr ? *pstr : QString();
}

} // namespace

QString PromptIdxFile(QWidget* pParent) {
    FileDialogRequest request;
    request.strInitialPath = QStringLiteral("*.idx");
    request.strFilter = QStringLiteral("Database Records File (*.idx)");
    request.strDefaultSuffix = QStringLiteral("idx");
    request.bMustExist = true;
    return PromptFileName(pParent, request);
}

CDocPropertiesDlg::CDocPropertiesDlg(QWidget* pParent, QString* pstrFileName, QString* pstrIdxPath,
                                     QString* pstrGid)
    : QDialog(pParent), m_pUi(std::make_unique<Ui_CDocPropertiesDlg>()), m_pstrIdxPath(pstrIdxPath),
      m_pstrGid(pstrGid) {
    m_pUi->setupUi(this);
    m_pUi->IDC_FILENAME_1003->setText(ValueOf(pstrFileName));
    m_pUi->IDC_GID_1004->SetNumber(ValueOf(pstrGid));
    m_pUi->IDC_IDXPATH_1005->setText(ValueOf(pstrIdxPath));
    // Long values show their start, as they were typed.
    for (QLineEdit* pEdit : {m_pUi->IDC_FILENAME_1003, static_cast<QLineEdit*>(m_pUi->IDC_GID_1004),
                             m_pUi->IDC_IDXPATH_1005})
        pEdit->setCursorPosition(0);
    // The GID is what the dialog is mostly opened for.
    m_pUi->IDC_GID_1004->setFocus();

    connect(m_pUi->IDOK_1, &QPushButton::clicked, this, &CDocPropertiesDlg::OnOK);
    connect(m_pUi->IDCANCEL_2, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_pUi->IDC_BROWSE_1006, &QPushButton::clicked, this, &CDocPropertiesDlg::OnBrowse);
}

CDocPropertiesDlg::~CDocPropertiesDlg() = default;

void CDocPropertiesDlg::OnOK() {
    if (m_pstrGid != nullptr)
        *m_pstrGid = m_pUi->IDC_GID_1004->text();
    if (m_pstrIdxPath != nullptr)
        *m_pstrIdxPath = m_pUi->IDC_IDXPATH_1005->text();
    accept();
}

// Only the field changes: the document learns the path on OK, like a typed one.
void CDocPropertiesDlg::OnBrowse() {
    const QString strPath = PromptIdxFile(this);
    if (!strPath.isEmpty())
        m_pUi->IDC_IDXPATH_1005->setText(strPath);
}
