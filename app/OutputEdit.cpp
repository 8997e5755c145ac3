// COutputEdit: the read-only text of the Output pane, where the tool commands report.
#include "app/OutputEdit.h"

#include "toolbridge/ToolOutput.h"

#include <QPalette>

COutputEdit::COutputEdit(QWidget* pParent) : QPlainTextEdit(pParent) {
    setReadOnly(true);
    // Read-only text is still there to be selected and copied, by keyboard too.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setUndoRedoEnabled(false);
    ApplyColours();
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

void COutputEdit::AppendOutput(const QString& strText) {
    AppendToOutputEdit(this, strText);
}
