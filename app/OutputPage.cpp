// COutputPage: the page that fills the Output bar, holding the Output edit.
#include "app/OutputPage.h"

#include "app/OutputEdit.h"
#include "ui_OutputPage.h"

COutputPage::COutputPage(QWidget* pParent)
    : QWidget(pParent), m_pUi(std::make_unique<Ui_COutputPage>()) {
    m_pUi->setupUi(this);
    m_sizeDesign = size();
}

COutputPage::~COutputPage() = default;

COutputEdit* COutputPage::GetOutputEdit() const {
    return m_pUi->IDC_OUTPUT_1012;
}

QSize COutputPage::sizeHint() const {
    return m_sizeDesign;
}
