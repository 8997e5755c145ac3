// CNumberEdit: the record-number field of the Properties and Record Number dialogs.
#include "app/NumberEdit.h"

#include <algorithm>

#include <QInputMethodEvent>
#include <QKeyEvent>

namespace {

QString WithoutRefusedChars(const QString& strText) {
    QString strKept;
    strKept.reserve(strText.size());
    for (const QChar ch : strText) {
        if (!IsRefusedNumberChar(ch))
            strKept += ch;
    }
    return strKept;
}

} // namespace

bool IsRefusedNumberChar(QChar ch) {
    const char16_t c = ch.unicode();
    if (c <= u' ' || c >= 0x7f)
        return false;
    return !(c >= u'0' && c <= u'9') && c != u'-' && c != u'?';
}

CNumberEdit::CNumberEdit(QWidget* pParent) : QLineEdit(pParent) {
    setMaxLength(NUMEDIT_MAX_CHARS);
}

void CNumberEdit::SetNumber(const QString& strNumber) {
    setMaxLength(std::max<int>(NUMEDIT_MAX_CHARS, int(strNumber.size())));
    setText(strNumber);
}

void CNumberEdit::keyPressEvent(QKeyEvent* pEvent) {
    // With Ctrl or Meta held a key is a command (copy, paste, select all), not a character.
    const QString strText = pEvent->text();
    if (strText.isEmpty() || (pEvent->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))) {
        QLineEdit::keyPressEvent(pEvent);
        return;
    }
    const QString strKept = WithoutRefusedChars(strText);
    if (strKept == strText) {
        QLineEdit::keyPressEvent(pEvent);
        return;
    }
    if (strKept.isEmpty()) {
        pEvent->accept();
        return;
    }
    QKeyEvent filtered(pEvent->type(), pEvent->key(), pEvent->modifiers(), strKept,
                       pEvent->isAutoRepeat(), ushort(pEvent->count()));
    QLineEdit::keyPressEvent(&filtered);
    pEvent->setAccepted(filtered.isAccepted());
}

// Text composed by an input method is typed text too.
void CNumberEdit::inputMethodEvent(QInputMethodEvent* pEvent) {
    const QString strCommit = pEvent->commitString();
    const QString strKept = WithoutRefusedChars(strCommit);
    if (strKept == strCommit) {
        QLineEdit::inputMethodEvent(pEvent);
        return;
    }
    QInputMethodEvent filtered(pEvent->preeditString(), pEvent->attributes());
    filtered.setCommitString(strKept, pEvent->replacementStart(), pEvent->replacementLength());
    QLineEdit::inputMethodEvent(&filtered);
    pEvent->setAccepted(filtered.isAccepted());
}
