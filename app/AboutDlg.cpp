// CAboutDlg: the "About ZarnEditor" box, and the application icon it shows.
#include "app/AboutDlg.h"

#include "resources/CommandIds.h"
#include "resources/ZarnResources.h"
#include "ui_AboutDlg.h"

#include <QString>

QIcon LoadAppIcon() {
    InitZarnResources();
    QIcon icon;
    for (const int nSize : {16, 32, 48, 64})
        icon.addFile(QStringLiteral(":/zarn/icon/%1/%2.png").arg(IDR_MAINFRAME).arg(nSize),
                     QSize(nSize, nSize));
    return icon;
}

CAboutDlg::CAboutDlg(QWidget* pParent) : QDialog(pParent), m_pUi(std::make_unique<Ui_CAboutDlg>()) {
    m_pUi->setupUi(this);
    const int nIconSize = m_pUi->IDC_ICON->minimumWidth();
    m_pUi->IDC_ICON->setPixmap(LoadAppIcon().pixmap(QSize(nIconSize, nIconSize)));
    m_pUi->IDOK_1->setFocus();
    connect(m_pUi->IDOK_1, &QPushButton::clicked, this, &QDialog::accept);
}

CAboutDlg::~CAboutDlg() = default;
