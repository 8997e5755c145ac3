// Helpers of the edit view tests.
#include "EditTestSupport.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QTest>

bool IsEnabled(CTextView& view, unsigned nId) {
    CCmdUI cmdUI(nId);
    view.RouteUpdateCmdUI(nId, cmdUI);
    return cmdUI.IsEnabled();
}

std::string CommandText(CTextView& view, unsigned nId) {
    CCmdUI cmdUI(nId);
    view.RouteUpdateCmdUI(nId, cmdUI);
    return cmdUI.GetText();
}

void Type(QWidget& widget, const QString& text) {
    QTest::keyClicks(&widget, text);
}

Qt::DropAction DropOn(CTextView& view, const QMimeData* pData, QPoint pt, Qt::DropActions possible,
                      Qt::KeyboardModifiers keys) {
    QWidget* pViewport = view.viewport();
    QDragEnterEvent enter(pt, possible, pData, Qt::LeftButton, keys);
    QApplication::sendEvent(pViewport, &enter);
    if (!enter.isAccepted())
        return Qt::IgnoreAction;
    QDragMoveEvent move(pt, possible, pData, Qt::LeftButton, keys);
    QApplication::sendEvent(pViewport, &move);
    if (!move.isAccepted()) {
        QDragLeaveEvent leave;
        QApplication::sendEvent(pViewport, &leave);
        return Qt::IgnoreAction;
    }
    QDropEvent drop(QPointF(pt), possible, pData, Qt::LeftButton, keys);
    QApplication::sendEvent(pViewport, &drop);
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

QPoint CellPoint(CTextView& view, int x, int y) {
    return {view.GetMarginWidth() + x * view.GetCharWidth() + 1,
            y * view.GetLineHeight() + view.GetLineHeight() / 2};
}
