// The chunk rules and the stream decoding on their own, byte by byte, and the one append
// routine of the Output panes.
#include "toolbridge/ToolOutput.h"

#include "tests/support/PrintQString.h"

#include <QPlainTextEdit>

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

TEST(ShownPartOfChunk, TurnsEveryBackspaceIntoABlank) {
    EXPECT_EQ(Shown("\b\ba\b", 4), "  a ");
    EXPECT_EQ(Shown("a\b Press any key to continue . . .", 34), "a  ");
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
