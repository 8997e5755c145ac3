// CPageSetupDlg: the margins in millimetres on screen and in 1/100 mm in the profile.
#include "view/PageSetupDlg.h"

#include "ui_PageSetupDlg.h"

#include <algorithm>
#include <cmath>

#include <QPushButton>
#include <QSettings>

namespace {

// clang-format off
constexpr const char* PAGE_SETUP_GROUP = "TextEdit/PageSetup";
constexpr const char* LEFT_MARGIN_KEY   = "LeftMargin";
constexpr const char* RIGHT_MARGIN_KEY  = "RightMargin";
constexpr const char* TOP_MARGIN_KEY    = "TopMargin";
constexpr const char* BOTTOM_MARGIN_KEY = "BottomMargin";
// clang-format on

// A metre: wider than any sheet, and small enough to convert at any printer's resolution.
constexpr int MAX_MARGIN = 100000;

int ReadMargin(const QSettings& settings, const char* pszKey) {
    bool bOk = false;
    const int nValue = settings.value(QLatin1String(pszKey)).toInt(&bOk);
    // A margin outside the page's drawing rectangle would put text where nothing prints.
    return bOk ? std::clamp(nValue, 0, MAX_MARGIN) : PageMargins::DEFAULT_MARGIN;
}

double ToMillimetres(int nHundredths) {
    return nHundredths / 100.0;
}

int ToHundredths(double fMillimetres) {
    return static_cast<int>(std::lround(fMillimetres * 100.0));
}

} // namespace

PageMargins ReadPageMargins() {
    QSettings settings;
    settings.beginGroup(QLatin1String(PAGE_SETUP_GROUP));
    PageMargins margins;
    margins.nLeft = ReadMargin(settings, LEFT_MARGIN_KEY);
    margins.nRight = ReadMargin(settings, RIGHT_MARGIN_KEY);
    margins.nTop = ReadMargin(settings, TOP_MARGIN_KEY);
    margins.nBottom = ReadMargin(settings, BOTTOM_MARGIN_KEY);
    return margins;
}

void WritePageMargins(const PageMargins& margins) {
    QSettings settings;
    settings.beginGroup(QLatin1String(PAGE_SETUP_GROUP));
    settings.setValue(QLatin1String(LEFT_MARGIN_KEY), margins.nLeft);
    settings.setValue(QLatin1String(RIGHT_MARGIN_KEY), margins.nRight);
    settings.setValue(QLatin1String(TOP_MARGIN_KEY), margins.nTop);
    settings.setValue(QLatin1String(BOTTOM_MARGIN_KEY), margins.nBottom);
}

CPageSetupDlg::CPageSetupDlg(QWidget* pParent)
    : QDialog(pParent), m_pUi(std::make_unique<Ui_CPageSetupDlg>()) {
    m_pUi->setupUi(this);
    connect(m_pUi->IDC_BUTTONS->button(QDialogButtonBox::Ok), &QPushButton::clicked, this,
            &CPageSetupDlg::OnOK);
    connect(m_pUi->IDC_BUTTONS, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CPageSetupDlg::~CPageSetupDlg() = default;

int CPageSetupDlg::DoModal() {
    m_pUi->IDC_LEFT_MARGIN->setValue(ToMillimetres(m_margins.nLeft));
    m_pUi->IDC_RIGHT_MARGIN->setValue(ToMillimetres(m_margins.nRight));
    m_pUi->IDC_TOP_MARGIN->setValue(ToMillimetres(m_margins.nTop));
    m_pUi->IDC_BOTTOM_MARGIN->setValue(ToMillimetres(m_margins.nBottom));
    m_pUi->IDC_LEFT_MARGIN->setFocus();
    m_pUi->IDC_LEFT_MARGIN->selectAll();
    return exec();
}

void CPageSetupDlg::OnOK() {
    m_margins.nLeft = ToHundredths(m_pUi->IDC_LEFT_MARGIN->value());
    m_margins.nRight = ToHundredths(m_pUi->IDC_RIGHT_MARGIN->value());
    m_margins.nTop = ToHundredths(m_pUi->IDC_TOP_MARGIN->value());
    m_margins.nBottom = ToHundredths(m_pUi->IDC_BOTTOM_MARGIN->value());
    accept();
}
