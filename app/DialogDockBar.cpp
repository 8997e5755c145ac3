// CDialogDockBar: a docking bar of the main window that hosts one page, the Output pane's.
#include "app/DialogDockBar.h"

#include <QMainWindow>

CDialogDockBar::CDialogDockBar(QWidget* pParent) : QDockWidget(pParent) {
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                QDockWidget::DockWidgetFloatable);
    setAllowedAreas(Qt::AllDockWidgetAreas);
    connect(this, &QDockWidget::dockLocationChanged, this, &CDialogDockBar::OnPlacementChanged);
    connect(this, &QDockWidget::topLevelChanged, this, &CDialogDockBar::OnPlacementChanged);
    OnPlacementChanged();
}

bool CDialogDockBar::Create(QMainWindow* pFrame, QWidget* pDialog, const QString& strTitle,
                            Qt::DockWidgetArea area) {
    const bool bOneArea = area == Qt::LeftDockWidgetArea || area == Qt::RightDockWidgetArea ||
                          area == Qt::TopDockWidgetArea || area == Qt::BottomDockWidgetArea;
    if (pFrame == nullptr || pDialog == nullptr || !bOneArea)
        return false;
    setWindowTitle(strTitle);
    SetDialog(pDialog);
    pFrame->addDockWidget(area, this);
    OnPlacementChanged();
    return true;
}

void CDialogDockBar::SetDialog(QWidget* pDialog) {
    setWidget(pDialog);
    if (pDialog != nullptr)
        pDialog->show();
}

Qt::DockWidgetArea CDialogDockBar::GetDockArea() const {
    const auto* pFrame = qobject_cast<const QMainWindow*>(parentWidget());
    if (pFrame == nullptr || isFloating())
        return Qt::NoDockWidgetArea;
    return pFrame->dockWidgetArea(const_cast<CDialogDockBar*>(this));
}

// The title band runs along the bar's long side, so that a docked bar can be made as thin as
// DOCKBAR_MIN_THICKNESS on every side: across the short side it would need room for its two
// buttons and more.
void CDialogDockBar::OnPlacementChanged() {
    const Qt::DockWidgetArea area = GetDockArea();
    const bool bVertical = area == Qt::LeftDockWidgetArea || area == Qt::RightDockWidgetArea;
    setFeatures(bVertical ? features() | QDockWidget::DockWidgetVerticalTitleBar
                          : features() & ~QDockWidget::DockWidgetVerticalTitleBar);
    // The bar's minimum size grows to what its title band needs in one orientation and would
    // stay so after a turn: start again from the real minimum.
    setMinimumSize(DOCKBAR_MIN_THICKNESS, DOCKBAR_MIN_THICKNESS);
}
