// CNumberEdit: the record-number field of the Properties and Record Number dialogs.
#pragma once

#include <QChar>
#include <QLineEdit>

// The most characters a record number field holds.
constexpr int NUMEDIT_MAX_CHARS = 10;

// True for a character that typing into a record number field swallows: printable ASCII other
// than digits, the space, "-" and "?". Control characters and non-ASCII pass.
bool IsRefusedNumberChar(QChar ch);

// A single-line edit that holds at most NUMEDIT_MAX_CHARS characters and refuses typed letters
// and most punctuation. Pasted or dropped text is not filtered, only cut to the limit.
class CNumberEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit CNumberEdit(QWidget* pParent = nullptr);

    // Shows `strNumber` whole: the limit is for typing, and a longer value that came from
    // elsewhere must survive a round trip through the field.
    void SetNumber(const QString& strNumber);

protected:
    void keyPressEvent(QKeyEvent* pEvent) override;
    void inputMethodEvent(QInputMethodEvent* pEvent) override;
};
