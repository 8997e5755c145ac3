// CDialogDockBar: a docking bar of the main window that hosts one page, the Output pane's.
#include "app/DialogDockBar.h"

#include <algorithm>

#include <QEvent>
#include <QLayout>
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
    UpdateMinimumSize();
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
    UpdateMinimumSize();
}

// What the title band and the page need in the present orientation, and never less than
// DOCKBAR_MIN_THICKNESS: a minimum kept from another orientation, or left to the page alone,
// would let the bar be dragged too thin for its page or keep it too thick after a turn.
void CDialogDockBar::UpdateMinimumSize() {
    // The layout's answer includes a minimum set on the bar: ask it without one.
    setMinimumSize(0, 0);
    const QSize sizeNeeded = layout() != nullptr ? layout()->minimumSize() : QSize();
    const QSize sizeMin(std::max(DOCKBAR_MIN_THICKNESS, sizeNeeded.width()),
                        std::max(DOCKBAR_MIN_THICKNESS, sizeNeeded.height()));
    setMinimumSize(sizeMin);
}

bool CDialogDockBar::event(QEvent* pEvent) {
    const bool bDone = QDockWidget::event(pEvent);
    // The page's needs changed (a font, say).
    if (pEvent->type() == QEvent::LayoutRequest)
        UpdateMinimumSize();
    return bDone;
}
