// CAboutDlg: the "About ZarnEditor" box.
#include "app/AboutDlg.h"

#include "resources/ZarnResources.h"
#include "ui_AboutDlg.h"

CAboutDlg::CAboutDlg(QWidget* pParent) : QDialog(pParent), m_pUi(std::make_unique<Ui_CAboutDlg>()) {
    m_pUi->setupUi(this);
    // The version is the build's own, the same that --version and the package show.
    m_pUi->IDC_STATIC_VERSION->setText(
        m_pUi->IDC_STATIC_VERSION->text().arg(QStringLiteral(ZARN_VERSION)));
    const int nIconSize = m_pUi->IDC_ICON->minimumWidth();
    m_pUi->IDC_ICON->setPixmap(LoadAppIcon().pixmap(QSize(nIconSize, nIconSize)));
    m_pUi->IDOK_1->setFocus();
    connect(m_pUi->IDOK_1, &QPushButton::clicked, this, &QDialog::accept);
}

CAboutDlg::~CAboutDlg() = default;
