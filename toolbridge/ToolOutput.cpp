// What the Output pane shows of a tool's output: the chunk rules, the decoding, the append.
#include "toolbridge/ToolOutput.h"

#include <algorithm>
#include <vector>

#include <QLocale>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

QByteArray ShownPartOfChunk(QByteArrayView chunk) {
    const qsizetype nZero = chunk.indexOf('\0');
    QByteArray shown = chunk.first(nZero >= 0 ? nZero : chunk.size()).toByteArray();
    // A prompt spelt with backspaces for blanks is the same prompt on the console.
    shown.replace('\b', ' ');
    const qsizetype nPrompt = shown.indexOf(QByteArrayView(TOOL_PAUSE_PROMPT));
    if (nPrompt >= 0)
        shown.truncate(nPrompt);
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

QString OutputDroppedNote() {
    return QStringLiteral(
               "[Earlier output was dropped: the pane keeps the last %1 lines or %2 MB.]")
        .arg(QLocale(QLocale::English).toString(OUTPUT_MAX_LINES))
        .arg(OUTPUT_MAX_CHARS / (1024 * 1024));
}

namespace {

// What a block of an Output pane is, kept in its user state.
enum OutputBlockKind {
    OUTPUT_BLOCK_LINE = -1,     // a line, or its first piece (the state of a new block)
    OUTPUT_BLOCK_CONTINUED = 1, // a further piece of the line before
    OUTPUT_BLOCK_NOTE = 2,      // the note that older text was dropped
};

// Once over a bound, text is dropped down to this far below it: every drop ends with the
// document compacting all its text, so a flood should drop text once in many appends.
constexpr int OUTPUT_KEEP_LINES = OUTPUT_MAX_LINES - OUTPUT_MAX_LINES / 16;
constexpr int OUTPUT_KEEP_CHARS = OUTPUT_MAX_CHARS - OUTPUT_MAX_CHARS / 16;

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

// The text with a line break wherever a line would grow beyond OUTPUT_PIECE_CHARS, the first
// line continuing a row that holds nColumn characters already. For each line break of the
// result, arrContinues tells whether it starts a further piece of the same line.
QString BreakIntoPieces(QStringView text, qsizetype nColumn, std::vector<bool>& arrContinues) {
    QString strOut;
    strOut.reserve(text.size() + text.size() / OUTPUT_PIECE_CHARS + 1);
    qsizetype nPos = 0;
    while (nPos < text.size()) {
        qsizetype nEnd = text.indexOf(u'\n', nPos);
        if (nEnd < 0)
            nEnd = text.size();
        while (nPos < nEnd) {
            if (nColumn >= OUTPUT_PIECE_CHARS) {
                strOut += u'\n';
                arrContinues.push_back(true);
                nColumn = 0;
            }
            qsizetype nTake = std::min(nEnd - nPos, OUTPUT_PIECE_CHARS - nColumn);
            // A character of two UTF-16 units stays in one piece.
            if (nPos + nTake < nEnd && text[nPos + nTake].isLowSurrogate())
                --nTake;
            if (nTake == 0) {
                nColumn = OUTPUT_PIECE_CHARS;
                continue;
            }
            strOut += text.sliced(nPos, nTake);
            nPos += nTake;
            nColumn += nTake;
        }
        if (nEnd < text.size()) {
            strOut += u'\n';
            arrContinues.push_back(false);
            nColumn = 0;
            ++nPos;
        }
    }
    return strOut;
}

// Keeps the pane within its bounds: drops the oldest lines, whole, and puts the note in their
// place.
void DropOldestText(QTextDocument* pDoc) {
    const int nBlocks = pDoc->blockCount();
    const int nChars = pDoc->characterCount();
    const bool bNote = pDoc->firstBlock().userState() == OUTPUT_BLOCK_NOTE;
    if (nBlocks - (bNote ? 1 : 0) <= OUTPUT_MAX_LINES && nChars <= OUTPUT_MAX_CHARS)
        return;
    QTextBlock first = pDoc->findBlockByNumber(std::max(0, nBlocks - OUTPUT_KEEP_LINES));
    const int nFirstChar = std::max(0, nChars - OUTPUT_KEEP_CHARS);
    QTextBlock byChars = pDoc->findBlock(nFirstChar);
    if (byChars.position() < nFirstChar && byChars.next().isValid())
        byChars = byChars.next();
    if (byChars.blockNumber() > first.blockNumber())
        first = byChars;

    QTextCursor cursor(pDoc);
    cursor.setPosition(first.position(), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    cursor.insertText(OutputDroppedNote() + u'\n');
    pDoc->firstBlock().setUserState(OUTPUT_BLOCK_NOTE);
    // What is left of a line that lost its start reads as a line of its own.
    pDoc->firstBlock().next().setUserState(OUTPUT_BLOCK_LINE);
}

} // namespace

void AppendToOutputEdit(QPlainTextEdit* pEdit, const QString& strText, bool bClearFirst) {
    if (pEdit == nullptr)
        return;
    if (bClearFirst)
        pEdit->clear();
    QTextDocument* pDoc = pEdit->document();
    if (pDoc->isUndoRedoEnabled())
        pDoc->setUndoRedoEnabled(false);
    COutputAppendState* pState = COutputAppendState::Of(pDoc);
    if (!strText.isEmpty()) {
        QString strShown = strText;
        if (pState->m_bPendingCr && strShown.startsWith(u'\n'))
            strShown.remove(0, 1);
        const bool bEndsInCr = strShown.endsWith(u'\r');
        strShown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        strShown.replace(u'\r', u'\n');

        QTextBlock last = pDoc->lastBlock();
        const int nLastNumber = last.blockNumber();
        const int nLastKind = last.userState();
        std::vector<bool> arrContinues;
        const QString strPieces = BreakIntoPieces(strShown, last.length() - 1, arrContinues);
        pState->m_bAppending = true;
        // Through a cursor of our own: nothing but the appended blocks is laid out again.
        QTextCursor cursor(pDoc);
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(strPieces);
        // Every block the append touched gets its kind, whichever of them the split of the last
        // block handed the old kind to.
        QTextBlock block = pDoc->findBlockByNumber(nLastNumber);
        block.setUserState(nLastKind);
        for (const bool bContinues : arrContinues) {
            block = block.next();
            block.setUserState(bContinues ? OUTPUT_BLOCK_CONTINUED : OUTPUT_BLOCK_LINE);
        }
        DropOldestText(pDoc);
        pState->m_bAppending = false;
        pState->m_bPendingCr = bEndsInCr;
    }
    // The edit's own cursor goes to the end: a selection of the user's would otherwise be
    // replaced later, and the caret is what the sideways scrolling follows.
    QTextCursor cursor(pDoc);
    cursor.movePosition(QTextCursor::End);
    pEdit->setTextCursor(cursor);
    pEdit->ensureCursorVisible();
    QScrollBar* pBar = pEdit->verticalScrollBar();
    pBar->setValue(pBar->maximum());
}

void DropOutputEditText(QPlainTextEdit* pEdit) {
    if (pEdit == nullptr)
        return;
    QTextDocument* pDoc = pEdit->document();
    pDoc->setPlainText(OutputDroppedNote() + u'\n');
    pDoc->firstBlock().setUserState(OUTPUT_BLOCK_NOTE);
}

QString OutputPaneText(const QTextDocument* pDoc, int nFrom, int nTo) {
    QString strText;
    for (QTextBlock block = pDoc->findBlock(nFrom); block.isValid() && block.position() <= nTo;
         block = block.next()) {
        const int nStart = block.position();
        if (nStart > nFrom && block.userState() != OUTPUT_BLOCK_CONTINUED)
            strText += u'\n';
        const int nBegin = std::max(nFrom, nStart) - nStart;
        const int nEnd = std::min(nTo, nStart + block.length() - 1) - nStart;
        if (nEnd > nBegin)
            strText += QStringView(block.text()).sliced(nBegin, nEnd - nBegin);
    }
    return strText;
}

#include "ToolOutput.moc"
