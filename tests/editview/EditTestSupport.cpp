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

CCmdUI CommandUI(CTextView& view, unsigned nId) {
    CCmdUI cmdUI(nId);
    view.RouteUpdateCmdUI(nId, cmdUI);
    return cmdUI;
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

void Keys(CTextView& view, std::string_view script) {
    for (size_t i = 0, nEnd = 0; i < script.size(); i = nEnd + 1) {
        nEnd = std::min(script.find(script[i] == '"' ? '"' : ' ', i + 1), script.size());
        const std::string_view step = script.substr(i, nEnd - i);
        if (step[0] == '"') {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                          QString::fromUtf8(step.substr(1)));
            QApplication::sendEvent(&view, &key);
            ++nEnd;
        } else if (step == "ro" || step == "rw") {
            view.GetBuffer()->SetReadOnly(step == "ro");
        } else if (step[0] == '@') {
            const size_t nComma = step.find(',');
            QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier,
                              CellPoint(view, std::stoi(std::string(step.substr(1, nComma))),
                                        std::stoi(std::string(step.substr(nComma + 1)))));
        } else {
            const QKeySequence keys =
                QKeySequence::fromString(QString::fromUtf8(step), QKeySequence::PortableText);
            ASSERT_TRUE(keys.count() == 1 && keys[0].key() != Qt::Key_unknown) << step;
            QTest::keyClick(&view, keys[0].key(), keys[0].keyboardModifiers());
        }
    }
}

void ExpectUndoneTo(CEditFixture& fx, int nUndos, std::string_view golden) {
    fx.pBuffer->SetReadOnly(false);
    Press(fx.view, Qt::Key_Z, Qt::ControlModifier, nUndos);
    EXPECT_EQ(LinesOf(*fx.pBuffer), ParseGolden(golden).lines);
    EXPECT_FALSE(fx.pBuffer->CanUndo());
}

void RunEditCases(std::span<const EditCase> cases) {
    for (const EditCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pszBefore << " / " << c.pszKeys);
        if (c.pszClipIn)
            QGuiApplication::clipboard()->setText(QString::fromUtf8(c.pszClipIn));
        CEditFixture fx(c.pszBefore);
        Keys(fx.view, c.pszKeys);
        EXPECT_EQ(fx.State(), c.pszAfter);
        if (c.pszUndo) {
            EXPECT_EQ(CommandUI(fx.view, ID_EDIT_UNDO).GetText(), UndoItem(c.pszUndo));
        }
        if (c.pszClipOut) {
            EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8(c.pszClipOut));
        }
        if (c.nUndos >= 0)
            ExpectUndoneTo(fx, c.nUndos, c.pszBefore);
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
