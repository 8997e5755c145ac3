// CDialogDockBar: a docking bar of the main window that hosts one page, the Output pane's.
#pragma once

#include <QDockWidget>
#include <QString>

class QMainWindow;

// The thinnest a docked bar may be dragged, and the smallest floating size, in pixels; more
// when its page needs more (the Output page needs room for one whole line of text).
constexpr int DOCKBAR_MIN_THICKNESS = 32;

// The hosted page fills the bar. Docked, the bar is resized by dragging its inner edge (never
// thinner than DOCKBAR_MIN_THICKNESS or than its page needs; the frame keeps room for its
// central area), and its title band with the close and float buttons runs along its long side:
// on top when docked at the top or bottom, on the left when docked left or right. The close
// button hides the bar; the float button or a double-click on the title band floats it, and a
// double-click on the floating bar's title docks it again. Placement and size last for the run
// only.
class CDialogDockBar : public QDockWidget {
    Q_OBJECT

public:
    explicit CDialogDockBar(QWidget* pParent = nullptr);

    // Hosts `pDialog` and docks the bar in `pFrame` at `area`. False, with nothing changed,
    // without a frame, a page or a docking area.
    bool Create(QMainWindow* pFrame, QWidget* pDialog, const QString& strTitle,
                Qt::DockWidgetArea area = Qt::BottomDockWidgetArea);

    // Hosts `pDialog`, which becomes the bar's child and is deleted with it; a page hosted
    // before stays the bar's child, hidden.
    void SetDialog(QWidget* pDialog);
    QWidget* GetDialog() const { return widget(); }

    // Where the bar is docked; Qt::NoDockWidgetArea while it floats or has no frame.
    Qt::DockWidgetArea GetDockArea() const;

protected:
    bool event(QEvent* pEvent) override;

private:
    void OnPlacementChanged();
    void UpdateMinimumSize();
};
