// Helpers of the edit view tests.
#include "EditTestSupport.h"

#include "resources/CommandIds.h"

#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeySequence>
#include <QTest>

#include <gtest/gtest.h>

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

std::string UndoItem(const std::string& strGroup) {
    return "&Undo" + (strGroup.empty() ? "" : " " + strGroup) + "\tCtrl+Z";
}

std::vector<std::string> LinesOf(const CTextBuffer& buffer) {
    std::vector<std::string> lines;
    for (int i = 0; i < buffer.GetLineCount(); ++i)
        lines.emplace_back(buffer.GetLineView(i));
    return lines;
}

void Keys(QWidget& widget, std::string_view script) {
    size_t i = 0;
    while (i < script.size()) {
        if (script[i] == ' ') {
            ++i;
        } else if (script[i] == '"') {
            const size_t nEnd = script.find('"', i + 1);
            QTest::keyClicks(&widget, QString::fromUtf8(script.substr(i + 1, nEnd - i - 1)));
            i = nEnd + 1;
        } else {
            const size_t nEnd = std::min(script.find(' ', i), script.size());
            const QString name = QString::fromUtf8(script.substr(i, nEnd - i));
            const QKeySequence keys = QKeySequence::fromString(name, QKeySequence::PortableText);
            if (keys.count() != 1 || keys[0].key() == Qt::Key_unknown)
                ADD_FAILURE() << "no such key: " << name.toStdString();
            else
                QTest::keyClick(&widget, keys[0].key(), keys[0].keyboardModifiers());
            i = nEnd;
        }
    }
}

void RunEditCases(std::span<const EditCase> cases) {
    for (const EditCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pszBefore << " / " << c.pszKeys);
        if (c.pszClipIn)
            QGuiApplication::clipboard()->setText(QString::fromUtf8(c.pszClipIn));
        CEditFixture fx(c.pszBefore);
        fx.pBuffer->SetReadOnly(c.bReadOnly);
        Keys(fx.view, c.pszKeys);
        EXPECT_EQ(fx.State(), c.pszAfter);
        if (c.pszUndo) {
            EXPECT_EQ(CommandText(fx.view, ID_EDIT_UNDO), UndoItem(c.pszUndo));
        }
        if (c.pszClipOut) {
            EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8(c.pszClipOut));
        }
        if (c.nUndos < 0)
            continue;
        fx.pBuffer->SetReadOnly(false);
        Press(fx.view, Qt::Key_Z, Qt::ControlModifier, c.nUndos);
        EXPECT_EQ(LinesOf(*fx.pBuffer), ParseGolden(c.pszBefore).lines);
        EXPECT_FALSE(fx.pBuffer->CanUndo());
    }
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
