// What the Output pane shows of a tool's output: the chunk rules, the decoding, the append.
#include "toolbridge/ToolOutput.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

QByteArray ShownPartOfChunk(QByteArrayView chunk) {
    qsizetype nEnd = chunk.indexOf('\0');
    if (nEnd < 0)
        nEnd = chunk.size();
    const qsizetype nPrompt = chunk.first(nEnd).indexOf(QByteArrayView(TOOL_PAUSE_PROMPT));
    if (nPrompt >= 0)
        nEnd = nPrompt;
    QByteArray shown = chunk.first(nEnd).toByteArray();
    shown.replace('\b', ' ');
    return shown;
}

QString CToolOutputDecoder::Decode(QByteArrayView shown) {
    QString strText = m_decoder.decode(shown);
    if (strText.isEmpty())
        return strText;
    if (m_bPendingCr && strText.front() != u'\n')
        strText.prepend(u'\n');
    m_bPendingCr = strText.back() == u'\r';
    if (m_bPendingCr)
        strText.chop(1);
    strText.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    strText.replace(u'\r', u'\n');
    return strText;
}

QString CToolOutputDecoder::Finish() {
    QString strText;
    if (m_bPendingCr)
        strText += u'\n';
    if (m_decoder.IsInsideCharacter())
        strText += QChar::ReplacementCharacter;
    m_bPendingCr = false;
    m_decoder.resetState();
    return strText;
}

namespace {

// Whether the last append to a text ended in "\r" with nothing changed since, so that a "\n"
// opening the next append completes that line break. It belongs to the text, not to the edit,
// and goes with it.
class COutputAppendState : public QObject {
    Q_OBJECT

public:
    static COutputAppendState* Of(QTextDocument* pDoc) {
        auto* pState = pDoc->findChild<COutputAppendState*>(QString(), Qt::FindDirectChildrenOnly);
        return pState != nullptr ? pState : new COutputAppendState(pDoc);
    }

    bool m_bPendingCr = false;
    bool m_bAppending = false;

private:
    explicit COutputAppendState(QTextDocument* pDoc) : QObject(pDoc) {
        // Any change but an append (the pane was emptied, say) ends a pending pair.
        connect(pDoc, &QTextDocument::contentsChanged, this, [this] {
            if (!m_bAppending)
                m_bPendingCr = false;
        });
    }
};

} // namespace

void AppendToOutputEdit(QPlainTextEdit* pEdit, const QString& strText, bool bClearFirst) {
    if (pEdit == nullptr)
        return;
    if (bClearFirst)
        pEdit->clear();
    QTextDocument* pDoc = pEdit->document();
    COutputAppendState* pState = COutputAppendState::Of(pDoc);
    // Through a cursor of our own: nothing but the appended blocks is laid out again.
    QTextCursor cursor(pDoc);
    cursor.movePosition(QTextCursor::End);
    if (!strText.isEmpty()) {
        QString strShown = strText;
        if (pState->m_bPendingCr && strShown.startsWith(u'\n'))
            strShown.remove(0, 1);
        const bool bEndsInCr = strShown.endsWith(u'\r');
        strShown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        strShown.replace(u'\r', u'\n');
        pState->m_bAppending = true;
        cursor.insertText(strShown);
        pState->m_bAppending = false;
        pState->m_bPendingCr = bEndsInCr;
    }
    // The edit's own cursor goes to the end: a selection of the user's would otherwise be
    // replaced later, and the caret is what the sideways scrolling follows.
    pEdit->setTextCursor(cursor);
    pEdit->ensureCursorVisible();
    QScrollBar* pBar = pEdit->verticalScrollBar();
    pBar->setValue(pBar->maximum());
}

#include "ToolOutput.moc"
