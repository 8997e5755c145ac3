// COutputEdit: the read-only text of the Output pane, where the tool commands report.
#include "app/OutputEdit.h"

#include "toolbridge/ToolOutput.h"

#include <cmath>

#include <QEvent>
#include <QFontMetricsF>
#include <QMimeData>
#include <QPalette>
#include <QScrollBar>
#include <QTextDocument>

COutputEdit::COutputEdit(QWidget* pParent) : QPlainTextEdit(pParent) {
    setReadOnly(true);
    // Read-only text is still there to be selected and copied, by keyboard too.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setUndoRedoEnabled(false);
    // Tool output is mostly plain Latin text, which needs no shaping; laying it out without
    // shaping halves the cost of a flood. Scripts that need shaping still get it.
    QFont fontPane = font();
    fontPane.setStyleStrategy(QFont::PreferNoShaping);
    setFont(fontPane);
    ApplyColours();
    UpdateMinimumHeight();
}

// The style would draw read-only or inactive text on grey or in the desktop's colours; tool
// output reads best as black on white in every state.
void COutputEdit::ApplyColours() {
    QPalette pal = palette();
    for (const QPalette::ColorGroup group :
         {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Base, Qt::white);
        pal.setColor(group, QPalette::Window, Qt::white);
        pal.setColor(group, QPalette::Text, Qt::black);
    }
    setPalette(pal);
}

// The frame, the margin above the first line, one line, and the horizontal scroll bar that a
// long line brings: the least height at which a line still shows whole.
void COutputEdit::UpdateMinimumHeight() {
    const double dLine = QFontMetricsF(font()).height();
    const double dMargin = document()->documentMargin();
    const int nBar = horizontalScrollBar()->sizeHint().height();
    setMinimumSize(1, 2 * frameWidth() + static_cast<int>(std::ceil(dMargin + dLine)) + nBar);
}

void COutputEdit::changeEvent(QEvent* pEvent) {
    QPlainTextEdit::changeEvent(pEvent);
    if (pEvent->type() == QEvent::FontChange || pEvent->type() == QEvent::StyleChange)
        UpdateMinimumHeight();
}

void COutputEdit::AppendOutput(const QString& strText) {
    AppendToOutputEdit(this, strText);
}

QString COutputEdit::GetOutputText() const {
    return OutputPaneText(document(), 0, document()->characterCount() - 1);
}

QMimeData* COutputEdit::createMimeDataFromSelection() const {
    const QTextCursor cursor = textCursor();
    auto* pData = new QMimeData;
    pData->setText(OutputPaneText(document(), cursor.selectionStart(), cursor.selectionEnd()));
    return pData;
}
