// Copying the selection and the clipboard primitives: line ends and Windows-1252 bytes as the
// platform's text when text leaves, and lone LF made CR LF when it comes in.
#include "GoldenText.h"
#include "resources/CommandIds.h"
#include "view/TextTransfer.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <gtest/gtest.h>

namespace {

QString ClipboardText() {
    return QGuiApplication::clipboard()->text();
}

TEST(TextViewClipboard, CopyPutsTheSelectionOnTheClipboardWithLfLineEnds) {
    TGoldenFixture<CProbeView> fx("ab[cd\nef\n\xE9"
                                  "g]|h");
    QGuiApplication::clipboard()->clear();
    Press(fx.view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(ClipboardText(), QString::fromUtf8("cd\nef\n\xC3\xA9g"));
    EXPECT_TRUE(fx.view.IsClipboardTextAvailable());
    // Ctrl+Insert copies too; the selection stays.
    fx.view.SetSelectionRange({0, 1}, {2, 1});
    Press(fx.view, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(ClipboardText(), QStringLiteral("ef"));
    EXPECT_EQ(fx.State(), "abcd\n[ef]\n\xE9g|h");
}

TEST(TextViewClipboard, CopyWithNothingSelectedIsDisabledAndDoesNothing) {
    TGoldenFixture<CProbeView> fx("ab|cd");
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    CCmdUI cmdUI(ID_EDIT_COPY);
    EXPECT_TRUE(fx.view.RouteUpdateCmdUI(ID_EDIT_COPY, cmdUI));
    EXPECT_FALSE(cmdUI.IsEnabled());
    Press(fx.view, Qt::Key_C, Qt::ControlModifier);
    fx.view.CopySelection();
    EXPECT_EQ(ClipboardText(), QStringLiteral("before"));
    EXPECT_FALSE(fx.view.PutTextOnClipboard(""));
    EXPECT_EQ(ClipboardText(), QStringLiteral("before"));
}

TEST(TextViewClipboard, NulBytesAndCarriageReturnsInsideLinesLeaveAsTheyAre) {
    auto pBuffer = std::make_unique<CTextBuffer>();
    pBuffer->InitEmpty(EOL_CRLF);
    pBuffer->AppendToLine(0, std::string_view("a\0b\rc", 5));
    CProbeView view;
    SetUpView(view, pBuffer.get(), 20, 5);
    view.SetSelectionRange({0, 0}, {5, 0});
    view.CopySelection();
    EXPECT_EQ(ClipboardText(), QString::fromLatin1("a\0b\rc", 5));
}

TEST(TextViewClipboard, TextFromTheClipboardComesInWithCrLfLineEnds) {
    CProbeView view;
    QGuiApplication::clipboard()->setText(
        QString::fromUtf8("one\ntwo\r\nthree\rfour \xC3\xA9\xE2\x82\xAC\n"));
    std::optional<ConvertedText> text = view.GetTextFromClipboard();
    ASSERT_TRUE(text && text->IsComplete());
    EXPECT_EQ(text->bytes, "one\r\ntwo\r\nthree\rfour \xE9\x80\r\n");
    // A character the document cannot hold is named, and the text is not to be used.
    QGuiApplication::clipboard()->setText(QString::fromUtf8("a\nb \xE2\x86\x92"));
    text = view.GetTextFromClipboard();
    ASSERT_TRUE(text);
    EXPECT_EQ(text->cpMissing, U'\u2192');
    QGuiApplication::clipboard()->clear();
    EXPECT_FALSE(view.IsClipboardTextAvailable());
    EXPECT_FALSE(view.GetTextFromClipboard());
    // Only text counts.
    auto* pData = new QMimeData;
    pData->setData(QStringLiteral("application/octet-stream"), QByteArray("xyz"));
    QGuiApplication::clipboard()->setMimeData(pData);
    EXPECT_FALSE(view.IsClipboardTextAvailable());
}

TEST(TextTransfer, BytesLeaveAsWindows1252AndComeBackAsTheSameBytes) {
    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    const QString text = BytesToText(all);
    ASSERT_EQ(text.size(), 256);
    // The characters of the bytes that are not Latin-1; the five undefined bytes are the C1
    // controls of the same code.
    // clang-format off
    const char16_t expected[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    // clang-format on
    for (int i = 0; i < 256; ++i) {
        const char16_t cExpected = i >= 0x80 && i < 0xA0 ? expected[i - 0x80] : char16_t(i);
        EXPECT_EQ(text.at(i).unicode(), cExpected) << std::hex << i;
    }
    const ConvertedText back = TextToBytes(text);
    EXPECT_TRUE(back.IsComplete());
    EXPECT_EQ(back.bytes, all);

    // Characters without a byte: the first one is named, whatever follows.
    const struct {
        QString strText;
        char32_t cpMissing;
    } refused[] = {
        {QString::fromUtf8("a\xE2\x86\x92\xE2\x82\xAC"), U'\u2192'},
        {QString::fromUtf8("\xC2\x80"), U'\u0080'}, // a C1 control no byte stands for
        {QString::fromUtf8("x\xF0\x9F\x98\x80"), U'\U0001F600'},
        {QString(QChar(0xD800)) + u'a', 0xD800}, // a lone surrogate
    };
    for (const auto& row : refused) {
        const ConvertedText converted = IncomingTextToBytes(row.strText);
        EXPECT_FALSE(converted.IsComplete()) << row.strText.toStdString();
        EXPECT_EQ(converted.cpMissing, row.cpMissing) << row.strText.toStdString();
    }
    EXPECT_EQ(MissingCharacterMessage(QStringLiteral("paste"), U'\u2192'),
              QString::fromUtf8("Cannot paste U+2192 (\xE2\x86\x92): not in the document's "
                                "encoding, Windows-1252."));
    EXPECT_EQ(MissingCharacterMessage(QStringLiteral("type"), U'\u0080'),
              QStringLiteral("Cannot type U+0080: not in the document's encoding, Windows-1252."));
}

} // namespace
