// CPageSetupDlg: the Page Setup dialog, which sets the four printing margins, and the margins
// as the profile keeps them.
#pragma once

#include <memory>

#include <QDialog>

class Ui_CPageSetupDlg;

// Margins in 1/100 mm from the edges of the page's drawing rectangle; the footer lies inside
// the bottom one.
struct PageMargins {
    static constexpr int DEFAULT_MARGIN = 1000; // 10 mm

    int nLeft = DEFAULT_MARGIN;
    int nRight = DEFAULT_MARGIN;
    int nTop = DEFAULT_MARGIN;
    int nBottom = DEFAULT_MARGIN;

    bool operator==(const PageMargins&) const = default;
};

// The margins of the profile group "TextEdit/PageSetup": a value that is absent or not a number
// is the default, a negative one 0.
PageMargins ReadPageMargins();
void WritePageMargins(const PageMargins& margins);

// The caller presets m_margins and runs DoModal; OK copies the fields into m_margins, Cancel
// leaves them as they were.
class CPageSetupDlg : public QDialog {
    Q_OBJECT

public:
    explicit CPageSetupDlg(QWidget* pParent);
    ~CPageSetupDlg() override;

    int DoModal();

    PageMargins m_margins;

private:
    void OnOK();

    std::unique_ptr<Ui_CPageSetupDlg> m_pUi;
};
