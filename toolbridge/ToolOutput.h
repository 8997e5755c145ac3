// What the Output pane shows of a tool's output: the chunk rules, the decoding, the append.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

class QPlainTextEdit;
class QTextDocument;

// The most bytes one read of the child's output takes: the chunk rules below apply per read.
constexpr qsizetype TOOL_CHUNK_MAX = 8191;

// The console's pause prompt; a child has no input, so its pause ends at once and the prompt
// is noise.
constexpr char TOOL_PAUSE_PROMPT[] = "Press any key to continue . . .";

// The part of one read (a "chunk") that the Output pane shows: every backspace becomes a
// blank, then the text ends at the first zero byte or where the pause prompt begins,
// whichever comes first; the rest of that chunk is dropped. A prompt split between two chunks
// is not found, so both of its pieces are shown.
QByteArray ShownPartOfChunk(QByteArrayView chunk);

// Turns the shown parts of successive chunks into text for the pane. One stateful UTF-8
// decoder serves the whole run, so a character split between two reads comes out whole, and
// a CR LF split between two reads gives one line break. Every CR LF and every lone CR becomes
// the pane's line break "\n"; bytes that are not UTF-8 show as U+FFFD.
class CToolOutputDecoder {
public:
    QString Decode(QByteArrayView shown);
    // What is still held when the output has ended: a pending line break, and U+FFFD for a
    // character the child never completed.
    QString Finish();

private:
    // QStringDecoder keeps the bytes of an unfinished character in its protected state.
    class CUtf8Decoder : public QStringDecoder {
    public:
        CUtf8Decoder() : QStringDecoder(QStringDecoder::Utf8) {}
        bool IsInsideCharacter() const { return state.remainingChars > 0; }
    };

    CUtf8Decoder m_decoder;
    bool m_bPendingCr = false; // the last text ended in CR: its LF may open the next one
};

// A line of an Output pane longer than this many characters is shown in pieces of this
// length, each on a row of its own, so that appending to a line that never ends costs no more
// than laying out one piece, and a repaint no more than a screen of pieces. The text itself is
// kept: OutputPaneText joins the pieces again.
constexpr int OUTPUT_PIECE_CHARS = 1024;
// What an Output pane holds of a long output: its last lines (a piece of a long line counts as
// one) and at most this many characters. Older text is dropped, and the pane's first line
// then says so (OutputDroppedNote).
constexpr int OUTPUT_MAX_LINES = 50'000;
constexpr int OUTPUT_MAX_CHARS = 16 * 1024 * 1024;

// The line at the top of a pane that has dropped older text.
QString OutputDroppedNote();

// The one way text reaches an Output pane: appends `strText` at the end of the edit, first
// emptying it if bClearFirst, and keeps the last line in view, also when the user had scrolled
// elsewhere; a long last line is scrolled into view sideways too. "\r\n", "\n" and a lone "\r"
// are one line break each, also when a "\r\n" is split between two appends to the same text.
// The edit's cursor ends at the end of the text. Costs no more than the appended text and one
// screen of layout, however long the edit's text and its last line already are. The edit keeps
// no undo history, so that dropped text is freed. A null edit is left alone.
void AppendToOutputEdit(QPlainTextEdit* pEdit, const QString& strText, bool bClearFirst = false);

// Drops all that the edit shows, leaving the note that older output was dropped: for a writer
// that dropped output older than what it appends next, so that the pane shows no gap.
void DropOutputEditText(QPlainTextEdit* pEdit);

// The text of an Output pane's document from position nFrom to nTo as it was appended: the
// pieces of a long line are joined again, and lines end in "\n". The note about dropped text
// is a line of its own.
QString OutputPaneText(const QTextDocument* pDoc, int nFrom, int nTo);
