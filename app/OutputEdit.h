// COutputEdit: the read-only text of the Output pane, where the tool commands report.
#pragma once

#include <QPlainTextEdit>
#include <QString>

class QMimeData;

// Black text on white although read-only, no line wrapping, and an append that keeps the end
// of the text in view. It is never so low that a line of text would not fit whole, also with
// the horizontal scroll bar shown.
class COutputEdit : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit COutputEdit(QWidget* pParent = nullptr);

    // Appends `strText` at the end and keeps its last line in view, as every writer to an
    // Output pane does (AppendToOutputEdit): "\r\n", "\n" and a lone "\r" are one line break
    // each, also when a "\r\n" is split between two appends.
    void AppendOutput(const QString& strText);

    // The whole text as the tools wrote it: a long line shown in pieces comes back whole.
    QString GetOutputText() const;

protected:
    // Copying and dragging give the selected text as the tools wrote it (GetOutputText).
    QMimeData* createMimeDataFromSelection() const override;
    void changeEvent(QEvent* pEvent) override;

private:
    void ApplyColours();
    void UpdateMinimumHeight();
};
