// CGoToLineDlg: the range shown in the line field's label, and OK enabled only for input that
// names a line of the document.
#include "view/GoToLineDlg.h"

#include "ui_GoToLineDlg.h"

CGoToLineDlg::CGoToLineDlg(QWidget* pParent, int nLineCount, int nCurrentLine)
    : QDialog(pParent), m_pUi(std::make_unique<Ui_CGoToLineDlg>()), m_nLineCount(nLineCount) {
    m_pUi->setupUi(this);
    m_pUi->IDC_LINE_RANGE_8641->setText(QStringLiteral("&Line number (1 - %1):").arg(m_nLineCount));
    m_pUi->IDC_LINE_8642->setText(QString::number(nCurrentLine));
    m_pUi->IDC_LINE_8642->selectAll();
    m_pUi->IDC_LINE_8642->setFocus();
    connect(m_pUi->IDC_LINE_8642, &QLineEdit::textChanged, this, &CGoToLineDlg::OnChangeInput);
    connect(m_pUi->IDC_COLUMN_8643, &QLineEdit::textChanged, this, &CGoToLineDlg::OnChangeInput);
    connect(m_pUi->IDOK_1, &QPushButton::clicked, this, &CGoToLineDlg::OnOK);
    connect(m_pUi->IDCANCEL_2, &QPushButton::clicked, this, &QDialog::reject);
    OnChangeInput();
}

CGoToLineDlg::~CGoToLineDlg() = default;

std::optional<GoToLineInput> CGoToLineDlg::ReadInput() const {
    // Only digits and blanks are valid, so Latin-1 loses nothing that matters.
    return ParseGoToLineInput(m_pUi->IDC_LINE_8642->text().toLatin1().toStdString(),
                              m_pUi->IDC_COLUMN_8643->text().toLatin1().toStdString(),
                              m_nLineCount);
}

void CGoToLineDlg::OnChangeInput() {
    m_pUi->IDOK_1->setEnabled(ReadInput().has_value());
}

void CGoToLineDlg::OnOK() {
    const std::optional<GoToLineInput> input = ReadInput();
    if (!input)
        return;
    m_input = *input;
    accept();
}
