// The chunk rules and the stream decoding on their own, byte by byte, and the one append
// routine of the Output panes.
#include "toolbridge/ToolOutput.h"

#include "tests/support/PrintQString.h"

#include <QPlainTextEdit>
#include <QTextBlock>

#include <gtest/gtest.h>

namespace {

// The shown part ends at the first zero byte or pause prompt, whichever comes first; every
// backspace is a blank before the prompt is looked for.
TEST(ShownPartOfChunk, EndsAtTheFirstZeroByteOrPausePromptWithBackspacesAsBlanks) {
    // clang-format off
    for (const auto& [chunk, shown] : std::vector<std::pair<QByteArray, QByteArray>>{
        {"plain\n", "plain\n"}, {QByteArray("ab\0cd", 5), "ab"}, {QByteArray("\0ab", 3), ""},
        {QByteArray("x Press any key to continue . . .\0y", 35), "x "},
        {QByteArray("x\0Press any key to continue . . .", 33), "x"},
        {"Press any key to continue . . .", ""},
        {"Press any key to continue . .", "Press any key to continue . ."},
        {"\b\ba\b", "  a "}, {"a\b Press any key to continue . . .", "a  "},
        {"Press\bany key to continue . . .", ""}, {"ok\nPress any\bkey\bto continue\b. . .\n", "ok\n"}})
        // clang-format on
        EXPECT_EQ(ShownPartOfChunk(chunk), shown) << chunk.toStdString();
}

TEST(ToolOutputDecoder, KeepsCharactersAndLineBreaksWholeAcrossReads) {
    CToolOutputDecoder decoder;
    QString strText;
    for (const char* pPiece : {"a\xc3", "", "\xa9\r", "\n\xf0\x9f", "\x98", "\x80\r", "b\r"})
        strText += decoder.Decode(pPiece);
    strText += decoder.Finish();
    EXPECT_EQ(strText, QString::fromUtf8("a\u00e9\n\U0001F600\nb\n"));
    // Finish shows an unfinished character and starts afresh.
    EXPECT_EQ(decoder.Decode("x\xe2\x82"), "x");
    EXPECT_EQ(decoder.Finish(), QString(QChar::ReplacementCharacter));
    EXPECT_EQ(decoder.Decode("\xac"), QString(QChar::ReplacementCharacter));
    EXPECT_EQ(decoder.Finish(), "");
}

// Every Output pane appends through AppendToOutputEdit. A line break of any style, also one
// split between appends, is one; a pending one belongs to the text, not to the edit, and
// emptying or replacing the text ends it.
TEST(AppendToOutputEdit, LineBreaksOfEveryStyleAlsoSplitBetweenAppends) {
    QPlainTextEdit edit;
    for (const char* pszText : {"one\r\ntwo\rthree\nfour\r", "\nfive\r", "\r\nsix"})
        AppendToOutputEdit(&edit, pszText);
    EXPECT_EQ(edit.toPlainText(), "one\ntwo\nthree\nfour\nfive\n\nsix");
    EXPECT_EQ(edit.textCursor().position(), edit.toPlainText().size());

    AppendToOutputEdit(&edit, "old\r");
    AppendToOutputEdit(&edit, "\nnew", true);
    EXPECT_EQ(edit.toPlainText(), "\nnew");
    AppendToOutputEdit(&edit, "x\r");
    edit.setPlainText("replaced");
    AppendToOutputEdit(&edit, "\ny");
    EXPECT_EQ(edit.toPlainText(), "replaced\ny");
    AppendToOutputEdit(nullptr, "ignored", true);

    QPlainTextEdit first;
    QPlainTextEdit second;
    AppendToOutputEdit(&first, "a\r");
    AppendToOutputEdit(&second, "\nb");
    EXPECT_EQ(second.toPlainText(), "\nb");
    AppendToOutputEdit(&first, "\nc");
    EXPECT_EQ(first.toPlainText(), "a\nc");
}

// The lengths of the document's blocks, in order.
std::vector<int> BlockLengths(const QPlainTextEdit& edit) {
    std::vector<int> arrLengths;
    for (QTextBlock block = edit.document()->firstBlock(); block.isValid(); block = block.next())
        arrLengths.push_back(block.length() - 1);
    return arrLengths;
}

QString WholeText(const QPlainTextEdit& edit) {
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

// The pane keeps its last 50,000 lines, and at most 16 MB of a line that never ends; above
// them, one line says that older text went.
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
    EXPECT_EQ(pDoc->firstBlock().text(),
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

    QPlainTextEdit line;
    const QString strPart(1024 * 1024 - 7, u'z');
    for (int i = 0; i < 18; ++i)
        AppendToOutputEdit(&line, strPart + QString::number(i % 10));
    pDoc = line.document();
    EXPECT_LE(pDoc->characterCount(), OUTPUT_MAX_CHARS);
    EXPECT_GT(pDoc->characterCount(), OUTPUT_MAX_CHARS * 3 / 4);
    EXPECT_EQ(pDoc->firstBlock().text(), OutputDroppedNote());
    EXPECT_TRUE(WholeText(line).mid(OutputDroppedNote().size() + 1).endsWith(strPart + "7"));
    EXPECT_EQ(line.textCursor().position(), pDoc->characterCount() - 1);
}

} // namespace
