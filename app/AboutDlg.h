// CAboutDlg: the "About ZarnEditor" box, and the application icon it shows.
#pragma once

#include <memory>

#include <QDialog>
#include <QIcon>

class Ui_CAboutDlg;

// The application icon (resource 128) in all its sizes, for the About box and the windows.
QIcon LoadAppIcon();

// The icon, the program's name and version, what it is for, and OK.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* pParent = nullptr);
    ~CAboutDlg() override;

private:
    std::unique_ptr<Ui_CAboutDlg> m_pUi;
};
