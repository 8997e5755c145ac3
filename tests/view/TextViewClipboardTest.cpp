// Copying the selection and the clipboard primitives: line ends and bytes as the platform's
// text when text leaves, and lone LF made CR LF when it comes in.
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
    std::string text;
    QGuiApplication::clipboard()->setText(
        QString::fromUtf8("one\ntwo\r\nthree\rfour \xC3\xA9\xE2\x82\xAC\n"));
    ASSERT_TRUE(view.GetTextFromClipboard(text));
    EXPECT_EQ(text, "one\r\ntwo\r\nthree\rfour \xE9\xE2\x82\xAC\r\n");
    QGuiApplication::clipboard()->clear();
    EXPECT_FALSE(view.IsClipboardTextAvailable());
    EXPECT_FALSE(view.GetTextFromClipboard(text));
    // Only text counts.
    auto* pData = new QMimeData;
    pData->setData(QStringLiteral("application/octet-stream"), QByteArray("xyz"));
    QGuiApplication::clipboard()->setMimeData(pData);
    EXPECT_FALSE(view.IsClipboardTextAvailable());
}

TEST(TextTransfer, BytesLeaveAsLatin1AndComeBackAsTheSameBytes) {
    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    const QString text = BytesToText(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(text.at(0xE9), QChar(0xE9));
    EXPECT_EQ(TextToBytes(text), all);
    // Beyond U+00FF: the UTF-8 bytes, a character outside the basic plane included.
    EXPECT_EQ(TextToBytes(QString::fromUtf8("\xE2\x82\xAC\xF0\x9F\x98\x80")),
              "\xE2\x82\xAC\xF0\x9F\x98\x80");
}

} // namespace
