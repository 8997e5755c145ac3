// Golden texts: parsing the marks, formatting a view's state with them, and key scripts.
#include "GoldenText.h"

#include <QKeySequence>
#include <QTest>

#include <gtest/gtest.h>

GoldenText ParseGolden(std::string_view golden) {
    GoldenText text;
    text.lines.emplace_back();
    bool bLow = false, bHigh = false;
    for (const char ch : golden) {
        const TextPos here{static_cast<int>(text.lines.back().size()),
                           static_cast<int>(text.lines.size()) - 1};
        if (ch == '\n')
            text.lines.emplace_back();
        else if (ch == '|')
            text.ptCaret = here;
        else if (ch == '[')
            bLow = (text.ptSelLow = here, true);
        else if (ch == ']')
            bHigh = (text.ptSelHigh = here, true);
        else
            text.lines.back().push_back(ch);
    }
    EXPECT_EQ(bLow, bHigh) << "a golden text marks both ends of its selection or neither";
    if (!bLow)
        text.ptSelLow = text.ptSelHigh = text.ptCaret;
    return text;
}

void ApplyGolden(CTextView& view, const GoldenText& text) {
    const TextPos ptAnchor = text.ptCaret == text.ptSelLow ? text.ptSelHigh : text.ptSelLow;
    view.PlaceCaret(text.ptCaret);
    view.SetSelAnchor(ptAnchor);
    view.SetSelectionRange(ptAnchor, text.ptCaret);
}

std::string DescribeView(CTextView& view) {
    TextPos ptLow, ptHigh;
    view.GetOrderedSelection(ptLow, ptHigh);
    const TextPos ptCaret = view.GetCaretTextPos();
    const CTextBuffer* pBuffer = view.GetBuffer();
    std::string out;
    for (int y = 0; y < (pBuffer ? pBuffer->GetLineCount() : 1); ++y) {
        const std::string_view line = pBuffer ? pBuffer->GetLineView(y) : std::string_view();
        out += y > 0 ? "\n" : "";
        for (int x = 0; x <= static_cast<int>(line.size()); ++x) {
            const TextPos here{x, y};
            out += ptLow != ptHigh && here == ptHigh ? "]" : "";
            out += here == ptCaret ? "|" : "";
            out += ptLow != ptHigh && here == ptLow ? "[" : "";
            if (x < static_cast<int>(line.size()))
                out += line[static_cast<size_t>(x)];
        }
    }
    return out;
}

void Press(QWidget& widget, Qt::Key key, Qt::KeyboardModifiers modifiers, int nTimes) {
    for (int i = 0; i < nTimes; ++i)
        QTest::keyClick(&widget, key, modifiers);
}

void PressKeys(QWidget& widget, std::string_view script) {
    for (size_t i = 0, nEnd = 0; i < script.size(); i = nEnd + 1) {
        nEnd = std::min(script.find(' ', i), script.size());
        std::string_view step = script.substr(i, nEnd - i);
        int nTimes = 1;
        if (const size_t nStar = step.find('*', 1); nStar != std::string_view::npos) {
            nTimes = std::stoi(std::string(step.substr(nStar + 1)));
            step = step.substr(0, nStar);
        }
        const QKeySequence keys =
            QKeySequence::fromString(QString::fromUtf8(step), QKeySequence::PortableText);
        ASSERT_TRUE(keys.count() == 1 && keys[0].key() != Qt::Key_unknown) << step;
        Press(widget, keys[0].key(), keys[0].keyboardModifiers(), nTimes);
    }
}

std::string DescribeAfter(CTextView& view, std::string_view script) {
    PressKeys(view, script);
    return DescribeView(view);
}

std::string WhereAfter(CTextView& view, std::string_view script) {
    PressKeys(view, script);
    return Where(view);
}
