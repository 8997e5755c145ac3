// CRecordNumberDlg: the "Get Record Number" dialog that asks which record to load.
#include "app/RecordNumberDlg.h"

#include "ui_RecordNumberDlg.h"

CRecordNumberDlg::CRecordNumberDlg(QWidget* pParent, QString* pstrResult)
    : QDialog(pParent), m_pUi(std::make_unique<Ui_CRecordNumberDlg>()), m_pstrResult(pstrResult) {
    m_pUi->setupUi(this);
    m_pUi->IDC_NUMBER_1004->clear();
    // The number is all the dialog asks for: typing starts in its field.
    m_pUi->IDC_NUMBER_1004->setFocus();
    connect(m_pUi->IDOK_1, &QPushButton::clicked, this, &CRecordNumberDlg::OnOK);
    connect(m_pUi->IDCANCEL_2, &QPushButton::clicked, this, &QDialog::reject);
}

CRecordNumberDlg::~CRecordNumberDlg() = default;

void CRecordNumberDlg::OnOK() {
    if (m_pstrResult != nullptr)
        *m_pstrResult = m_pUi->IDC_NUMBER_1004->text();
    accept();
}
