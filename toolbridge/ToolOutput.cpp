// What the Output pane shows of a tool's output: the chunk rules, the decoding, the append.
#include "toolbridge/ToolOutput.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>

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

void AppendToOutputEdit(QPlainTextEdit* pEdit, const QString& strText) {
    if (pEdit == nullptr || strText.isEmpty())
        return;
    // Through a cursor of our own: the edit's cursor, at the end, moves along with the text,
    // and nothing but the appended blocks is laid out again.
    QTextCursor cursor(pEdit->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(strText);
    pEdit->setTextCursor(cursor);
    QScrollBar* pBar = pEdit->verticalScrollBar();
    pBar->setValue(pBar->maximum());
}
