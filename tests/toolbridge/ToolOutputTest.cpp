// The chunk rules and the stream decoding on their own, byte by byte, and the one append
// routine of the Output panes.
#include "toolbridge/ToolOutput.h"

#include "tests/support/PrintQString.h"

#include <QPlainTextEdit>
#include <QTextBlock>

#include <gtest/gtest.h>

static QByteArray Shown(const char* pBytes, qsizetype nSize) {
    return ShownPartOfChunk(QByteArrayView(pBytes, nSize));
}

TEST(ShownPartOfChunk, EndsAtTheFirstZeroByteOrPausePromptWhicheverComesFirst) {
    EXPECT_EQ(Shown("plain\n", 6), "plain\n");
    EXPECT_EQ(Shown("ab\0cd", 5), "ab");
    EXPECT_EQ(Shown("\0ab", 3), "");
    EXPECT_EQ(Shown("x Press any key to continue . . .\0y", 35), "x ");
    // A prompt after the zero byte is not looked at.
    EXPECT_EQ(Shown("x\0Press any key to continue . . .", 33), "x");
    EXPECT_EQ(Shown("Press any key to continue . . .", 31), "");
    EXPECT_EQ(Shown("Press any key to continue . .", 29), "Press any key to continue . .");
}

TEST(ShownPartOfChunk, TurnsEveryBackspaceIntoABlankBeforeLookingForThePrompt) {
    EXPECT_EQ(Shown("\b\ba\b", 4), "  a ");
    EXPECT_EQ(Shown("a\b Press any key to continue . . .", 34), "a  ");
    EXPECT_EQ(Shown("Press\bany key to continue . . .", 31), "");
    EXPECT_EQ(Shown("ok\nPress any\bkey\bto continue\b. . .\n", 35), "ok\n");
}

TEST(ToolOutputDecoder, KeepsCharactersAndLineBreaksWholeAcrossReads) {
    CToolOutputDecoder decoder;
    QString strText;
    for (const char* pPiece : {"a\xc3", "", "\xa9\r", "\n\xf0\x9f", "\x98", "\x80\r", "b\r"})
        strText += decoder.Decode(pPiece);
    strText += decoder.Finish();
    EXPECT_EQ(strText, QString::fromUtf8("a\u00e9\n\U0001F600\nb\n"));
}

TEST(ToolOutputDecoder, FinishShowsAnUnfinishedCharacterAndStartsAfresh) {
    CToolOutputDecoder decoder;
    EXPECT_EQ(decoder.Decode("x\xe2\x82"), "x");
    EXPECT_EQ(decoder.Finish(), QString(QChar::ReplacementCharacter));
    EXPECT_EQ(decoder.Decode("\xac"), QString(QChar::ReplacementCharacter));
    EXPECT_EQ(decoder.Finish(), "");
}

// Every Output pane appends through AppendToOutputEdit, whatever kind of edit it is.
TEST(AppendToOutputEdit, LineBreaksOfEveryStyleAlsoSplitBetweenAppends) {
    QPlainTextEdit edit;
    AppendToOutputEdit(&edit, "one\r\ntwo\rthree\nfour\r");
    AppendToOutputEdit(&edit, "\nfive\r");
    AppendToOutputEdit(&edit, "\r\nsix");
    EXPECT_EQ(edit.toPlainText(), "one\ntwo\nthree\nfour\nfive\n\nsix");
    EXPECT_EQ(edit.textCursor().position(), edit.toPlainText().size());
}

TEST(AppendToOutputEdit, EmptyingTheTextEndsAPendingLineBreak) {
    QPlainTextEdit edit;
    AppendToOutputEdit(&edit, "old\r");
    AppendToOutputEdit(&edit, "\nnew", true);
    EXPECT_EQ(edit.toPlainText(), "\nnew");
    AppendToOutputEdit(&edit, "x\r");
    edit.setPlainText("replaced");
    AppendToOutputEdit(&edit, "\ny");
    EXPECT_EQ(edit.toPlainText(), "replaced\ny");
    AppendToOutputEdit(nullptr, "ignored", true);
}

TEST(AppendToOutputEdit, PendingLineBreakBelongsToTheTextNotToTheEdit) {
    QPlainTextEdit first;
    QPlainTextEdit second;
    AppendToOutputEdit(&first, "a\r");
    AppendToOutputEdit(&second, "\nb");
    EXPECT_EQ(second.toPlainText(), "\nb");
    AppendToOutputEdit(&first, "\nc");
    EXPECT_EQ(first.toPlainText(), "a\nc");
}

// The pieces of the document's blocks: their lengths, in order.
static std::vector<int> BlockLengths(const QPlainTextEdit& edit) {
    std::vector<int> arrLengths;
    for (QTextBlock block = edit.document()->firstBlock(); block.isValid(); block = block.next())
        arrLengths.push_back(block.length() - 1);
    return arrLengths;
}

static QString WholeText(const QPlainTextEdit& edit) {
    return OutputPaneText(edit.document(), 0, edit.document()->characterCount() - 1);
}

// A line that never ends is shown in pieces, so that appending to it stays cheap; the pieces
// join again into the text as it came, also across appends and around a character of two
// UTF-16 units that falls on a piece's end.
TEST(AppendToOutputEdit, ALongLineIsShownInPiecesThatJoinIntoTheTextAsItCame) {
    QPlainTextEdit edit;
    QString strLine;
    for (int i = 0; i < 3; ++i) {
        const QString strPart = QString(3500, QChar(u'a' + i));
        AppendToOutputEdit(&edit, strPart);
        strLine += strPart;
    }
    AppendToOutputEdit(&edit, "\nshort\n");
    std::vector<int> arrExpected(strLine.size() / OUTPUT_PIECE_CHARS, OUTPUT_PIECE_CHARS);
    arrExpected.insert(arrExpected.end(), {int(strLine.size() % OUTPUT_PIECE_CHARS), 5, 0});
    EXPECT_EQ(BlockLengths(edit), arrExpected);
    EXPECT_EQ(WholeText(edit), strLine + "\nshort\n");
    // A part of it, from inside one piece to inside another.
    EXPECT_EQ(OutputPaneText(edit.document(), OUTPUT_PIECE_CHARS - 96, OUTPUT_PIECE_CHARS + 1 + 10),
              strLine.mid(OUTPUT_PIECE_CHARS - 96, 106));

    QPlainTextEdit wide;
    const QString strWide = QString(OUTPUT_PIECE_CHARS - 1, u'x') + QString::fromUtf8("\U0001F600");
    AppendToOutputEdit(&wide, strWide + strWide);
    EXPECT_EQ(BlockLengths(wide),
              std::vector<int>({OUTPUT_PIECE_CHARS - 1, OUTPUT_PIECE_CHARS, 3}));
    EXPECT_EQ(WholeText(wide), strWide + strWide);
}

// The pane keeps its last 50,000 lines and, above them, one line that says older text went.
TEST(AppendToOutputEdit, KeepsTheLastLinesAndSaysThatOlderOnesWereDropped) {
    QPlainTextEdit edit;
    const int nLines = OUTPUT_MAX_LINES + 10'000;
    QString strText;
    for (int i = 0; i < nLines; ++i)
        strText += QString::number(i) + u'\n';
    // In appends of a few thousand lines, as the runner makes them.
    for (qsizetype nPos = 0; nPos < strText.size(); nPos += 20'000)
        AppendToOutputEdit(&edit, strText.mid(nPos, 20'000));
    const QTextDocument* pDoc = edit.document();
    EXPECT_LE(pDoc->blockCount(), OUTPUT_MAX_LINES + 1);
    EXPECT_GT(pDoc->blockCount(), OUTPUT_MAX_LINES * 3 / 4);
    EXPECT_EQ(pDoc->firstBlock().text(), OutputDroppedNote());
    EXPECT_EQ(OutputDroppedNote(),
              "[Earlier output was dropped: the pane keeps the last 50,000 lines or 16 MB.]");
    // The lines after the note are the last ones, whole and in order.
    const QString strKept = WholeText(edit).mid(OutputDroppedNote().size() + 1);
    EXPECT_TRUE(strText.endsWith(strKept));
    EXPECT_TRUE(strKept.startsWith(QString::number(nLines - pDoc->blockCount() + 2) + u'\n'));

    // Dropping again keeps one note.
    AppendToOutputEdit(&edit, strText.left(200'000));
    EXPECT_EQ(pDoc->firstBlock().text(), OutputDroppedNote());
    EXPECT_NE(pDoc->firstBlock().next().text(), OutputDroppedNote());
    EXPECT_LE(pDoc->blockCount(), OUTPUT_MAX_LINES + 1);
}

TEST(AppendToOutputEdit, KeepsAtMost16MegabytesOfALineThatNeverEnds) {
    QPlainTextEdit edit;
    const QString strPart(1024 * 1024 - 7, u'z');
    const int nParts = 18;
    for (int i = 0; i < nParts; ++i)
        AppendToOutputEdit(&edit, strPart + QString::number(i % 10));
    const QTextDocument* pDoc = edit.document();
    EXPECT_LE(pDoc->characterCount(), OUTPUT_MAX_CHARS);
    EXPECT_GT(pDoc->characterCount(), OUTPUT_MAX_CHARS * 3 / 4);
    EXPECT_EQ(pDoc->firstBlock().text(), OutputDroppedNote());
    const QString strKept = WholeText(edit).mid(OutputDroppedNote().size() + 1);
    EXPECT_TRUE(strKept.endsWith(strPart + QString::number((nParts - 1) % 10)));
    EXPECT_EQ(edit.textCursor().position(), pDoc->characterCount() - 1);
}
