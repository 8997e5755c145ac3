// COutputEdit: the read-only text of the Output pane, where the tool commands report.
#pragma once

#include <QPlainTextEdit>
#include <QString>

// Black text on white although read-only, no line wrapping, and an append that keeps the end
// of the text in view.
class COutputEdit : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit COutputEdit(QWidget* pParent = nullptr);

    // Appends `strText` at the end and keeps its last line in view, as every writer to an
    // Output pane does (AppendToOutputEdit): "\r\n", "\n" and a lone "\r" are one line break
    // each, also when a "\r\n" is split between two appends.
    void AppendOutput(const QString& strText);

private:
    void ApplyColours();
};
