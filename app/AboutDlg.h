// CAboutDlg: the "About ZarnEditor" box.
#pragma once

#include <memory>

#include <QDialog>

class Ui_CAboutDlg;

// The icon, the program's name and version, what it is for, and OK.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* pParent = nullptr);
    ~CAboutDlg() override;

private:
    std::unique_ptr<Ui_CAboutDlg> m_pUi;
};
